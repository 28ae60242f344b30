// The one list of the display window's keys and mouse actions.
#include "app/key_help.h"

#include <algorithm>
#include <cstring>

const std::vector<KeyHelp>& keyHelp()
{
    static const std::vector<KeyHelp> keys = {
        {"left drag", "turn the scene"},
        {"middle drag", "move it nearer or farther"},
        {"right drag", "shift it (each press: diagnostics on/off)"},
        {"X / x, Y / y, Z / z", "turn by one degree about x, y, z"},
        {"S / s", "scale up / down by 0.1"},
        {"arrow keys", "shift the scene by 0.1"},
        {"1 2 3 4", "front, top, side, three-quarter view"},
        {"0", "fit the data to the window again"},
        {"w", "save the picture as shown (PNG)"},
        {"v", "save the view beside the data (.view)"},
        {"F / f", "full screen (panels hidden)"},
        {"Escape / q", "back to 800 x 600, panels shown"},
        {"p", "print the matrix matCur"},
        {"h / ?", "this help, on and off"},
    };
    return keys;
}

const std::vector<std::string>& keyHelpLines()
{
    static const std::vector<std::string> lines = [] {
        std::size_t width = 0;
        for (const KeyHelp& key : keyHelp()) {
            width = std::max(width, std::strlen(key.keys));
        }
        std::vector<std::string> made;
        for (const KeyHelp& key : keyHelp()) {
            std::string line = key.keys;
            line.resize(width + 2, ' ');
            made.push_back(line + key.action);
        }
        return made;
    }();
    return lines;
}

const std::vector<std::string>& keyHelpColumns()
{
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> made;
        for (const KeyHelp& key : keyHelp()) {
            made.push_back(std::string(key.keys) + "\t" + key.action);
        }
        return made;
    }();
    return lines;
}
