// orvelle-render's picture file: through io's temporary-and-rename for files, straight into
// devices and pipes, never over the data file it drew.
#include "picture_output.h"

#include <fcntl.h>
#include <stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/picture_file.h"

namespace {

struct StreamSink {
    int fd = -1;
    int error = 0;
};

void writeToStream(void* context, void* data, int size)
{
    StreamSink& sink = *static_cast<StreamSink*>(context);
    const char* bytes = static_cast<const char*>(data);
    std::size_t left = size > 0 ? static_cast<std::size_t>(size) : 0;
    while (sink.error == 0 && left > 0) {
        const ssize_t written = ::write(sink.fd, bytes, left);
        if (written < 0) {
            if (errno != EINTR) {
                sink.error = errno;
            }
            continue;
        }
        if (written == 0) {
            sink.error = EIO;
            continue;
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

bool writeToDevice(const std::string& output, int width, int height, const unsigned char* rows, std::string& error)
{
    StreamSink sink;
    sink.fd = ::open(output.c_str(), O_WRONLY | O_CLOEXEC);
    if (sink.fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int encoded = stbi_write_png_to_func(writeToStream, &sink, width, height, 3, rows, width * 3);
    int failure = sink.error != 0 ? sink.error : (encoded == 0 ? ENOMEM : 0);
    if (::close(sink.fd) != 0 && failure == 0) {
        failure = errno;
    }
    if (failure != 0) {
        error = std::strerror(failure);
        return false;
    }
    return true;
}

}  // namespace

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
            return writeToDevice(output, width, height, rgbRowsTopDown, error);
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
