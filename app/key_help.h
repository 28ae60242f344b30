// The keys and mouse actions of the display window, as the help over the picture (h or ?)
// and orvelle --help list them.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& keyHelpLines();
