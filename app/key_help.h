// The keys and mouse actions of the display window, as the help over the picture (h or ?)
// and orvelle --help list them.
#pragma once

#include <string>
#include <vector>

struct KeyHelp {
    const char* keys;
    const char* action;
};

// Every key and mouse action, in the order both lists show them.
const std::vector<KeyHelp>& keyHelp();

// The help as orvelle --help prints it: one line per action, the keys in a column of their
// own, padded with blanks.
const std::vector<std::string>& keyHelpLines();
// The help over the picture: one line per action, its keys and the action parted by a tab,
// which the picture's help turns into two columns that line up in its proportional type.
const std::vector<std::string>& keyHelpColumns();
