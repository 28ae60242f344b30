// Saving the shown picture and the view, each with its one line of report.
#include "app/picture_saving.h"

#include <GL/freeglut.h>

#include "app/file_list.h"
#include "app/viewer_state.h"
#include "core/user_message.h"
#include "io/picture_file.h"
#include "io/platform_dirs.h"
#include "io/view_file.h"

namespace {

bool pictureWanted = false;

std::string absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    const std::string here = currentDirectory();
    return here.empty() ? path : here + "/" + path;
}

}  // namespace

void requestPictureSave()
{
    pictureWanted = true;
}

bool pictureSaveRequested()
{
    return pictureWanted;
}

std::string savePictureInto(const std::string& folder, const std::string& dataFileName,
                            const ShownPicture& picture)
{
    std::string error;
    const std::string path = savePicture(folder, dataFileName, picture.width, picture.height,
                                         picture.rgb.empty() ? nullptr : picture.rgb.data(), error);
    if (path.empty()) {
        tellUser("Picture not saved: " + error + "\n");
        return "";
    }
    tellUser("Picture saved: " + path + "\n");
    return path;
}

void finishViewerFrame()
{
    // The back buffer holds the complete frame that the swap is about to show.
    if (pictureWanted) {
        pictureWanted = false;
        // Named after the file as it was opened: the name in the overlay goes blank when
        // another folder is chosen, while its data are still shown.
        savePictureInto(currentDirectory(), shownFilePath().empty() ? viewer.filename : shownFilePath(),
                        readShownPicture());
    }
    glutSwapBuffers();
}

std::string saveViewBesideData(const std::string& dataPath)
{
    const std::string path = absolute(viewFileNameFor(dataPath));
    std::string error;
    if (!writeViewFile(path, viewer, error)) {
        tellUser("View not saved: " + error + "\n");
        return "";
    }
    tellUser("View saved: " + path + "\n");
    return path;
}
