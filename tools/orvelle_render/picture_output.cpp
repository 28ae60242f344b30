// orvelle-render's picture file: through io's temporary-and-rename for files, straight into
// devices and pipes, never over the data file it drew.
#include "picture_output.h"

#include <sys/stat.h>

#include "io/picture_file.h"

bool writeRenderedPicture(const std::string& output, const std::string& input, int width, int height,
                          const unsigned char* rgbRowsTopDown, std::string& error)
{
    struct stat target {};
    if (::stat(output.c_str(), &target) == 0) {
        struct stat data {};
        if (::stat(input.c_str(), &data) == 0 && data.st_dev == target.st_dev && data.st_ino == target.st_ino) {
            error = "it is the data file " + input;
            return false;
        }
        if (S_ISDIR(target.st_mode)) {
            error = "it is a folder";
            return false;
        }
        if (!S_ISREG(target.st_mode)) {
            return writePngToDevice(output, width, height, rgbRowsTopDown, error);
        }
    }
    std::string reason;
    if (!writePng(output, width, height, rgbRowsTopDown, reason)) {
        // writePng's reason repeats the path; only the cause after it is kept.
        const std::string::size_type colon = reason.rfind(": ");
        error = colon == std::string::npos ? reason : reason.substr(colon + 2);
        return false;
    }
    return true;
}
