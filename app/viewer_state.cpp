// The one settings record of the process.
#include "app/viewer_state.h"

ViewerState viewer;
