// Saving what the display window shows: the picture (key w, "Save picture") read back at the
// end of the next complete frame, and the view (key v, "Save view") beside the data.
#pragma once

#include <string>

#include "render/gl/picture_readback.h"

// Asks for the picture of the next complete frame to be saved.
void requestPictureSave();
bool pictureSaveRequested();

// The display window's end of a frame: a requested picture is read back and saved, then the
// buffers are swapped.
void finishViewerFrame();

// Saves picture in folder, named after the data file with a counter (never overwriting), and
// prints one line: "Picture saved: PATH", or "Picture not saved: " and why. Returns the path,
// or "" when nothing was saved.
std::string savePictureInto(const std::string& folder, const std::string& dataFileName,
                            const ShownPicture& picture);

// Saves the view of the viewer's settings beside the data file at dataPath (in the current
// folder when it is empty) and prints one line: "View saved: PATH", or "View not saved: " and
// why. Returns the path, or "" when nothing was saved.
std::string saveViewBesideData(const std::string& dataPath);
