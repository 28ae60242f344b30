// The idle pass installed only while there is something for it to do.
#include "app/idle_pass.h"

#include "app/navigation.h"
#include "glui/glui.h"

namespace {

bool awake = false;

}  // namespace

void wakeIdlePass()
{
    if (!awake) {
        awake = true;
        GLUI_Master.set_glutIdleFunc(onIdle);
    }
}

void idlePassDone()
{
    if (awake) {
        awake = false;
        // A spinning trackball keeps the panel layer's own pass going; its steps are
        // changes, which wake this one again.
        GLUI_Master.set_glutIdleFunc(nullptr);
    }
}

bool idlePassAwake()
{
    return awake;
}
