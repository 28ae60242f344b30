// The lines of the keys' help.
#include "app/key_help.h"

const std::vector<std::string>& keyHelpLines()
{
    static const std::vector<std::string> lines = {
        "left drag       turn the scene",
        "middle drag     move it nearer or farther",
        "right drag      shift it (each press: diagnostics on/off)",
        "X x Y y Z z     turn by one degree about x, y, z",
        "S s             scale up / down",
        "arrow keys      shift the scene",
        "1 2 3 4         front, top, side, three-quarter view",
        "0               fit the data to the window again",
        "w               save the picture as shown (PNG)",
        "v               save the view beside the data (.view)",
        "F f             full screen",
        "Escape q        back to 800 x 600, panels shown",
        "p               print the matrix matCur",
        "h ?             this help, on and off",
    };
    return lines;
}
