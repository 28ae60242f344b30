// Reading back the picture a frame has just drawn, before the buffers are swapped, so that a
// saved picture is exactly what the window shows.
#pragma once

#include <vector>

struct ShownPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from top to bottom, no padding
};

// The viewport of the back buffer. A window with stereo buffers shows two pictures, one to
// each eye: they are read from the left and right back buffers and put side by side, left
// eye first. Every mode that puts both eyes into one buffer is read as the one picture it
// shows.
ShownPicture readShownPicture();
