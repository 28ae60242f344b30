// Saving the view as a PNG picture: a name that never overwrites, a write that never leaves
// half a file, and the row order OpenGL reads pixels in.
#include "io/picture_file.h"

#include <fcntl.h>
#include <stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kDefaultStem = "picture";
// Far beyond any real folder; only there so that a folder where every name fails with
// "exists" cannot keep the loop going for ever.
constexpr long kLastPictureNumber = 9999999;
// stb's encoder counts bytes in int; these keep every size it computes well inside that.
constexpr int kLargestSide = 1 << 16;
constexpr std::int64_t kLargestPixelCount = std::int64_t{1} << 28;
constexpr int kTemporaryNameAttempts = 100;

// Both flavours of strerror_r, as the C library in use declares one or the other.
[[maybe_unused]] const char* pickMessage(int result, const char* buffer)
{
    return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* pickMessage(const char* message, const char*)
{
    return message;
}

// strerror, safe with several threads saving at once.
std::string errnoText(int error)
{
    char buffer[256] = {};
    return pickMessage(strerror_r(error, buffer, sizeof buffer), buffer);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string bareName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string numberedName(const std::string& stem, long number)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%03ld", number);
    return stem + "-" + digits + ".png";
}

// Collects what stb encodes straight into the file, keeping the first failure's errno.
struct FileSink {
    int fd = -1;
    int error = 0;
};

void writeToSink(void* context, void* data, int size)
{
    FileSink& sink = *static_cast<FileSink*>(context);
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
            sink.error = EIO;  // a regular file that takes nothing will not take the rest
            continue;
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

// A new hidden file beside path. Opened like any new file (mode 0666 less the umask) rather
// than by mkstemp's 0600, so that the picture ends up readable as the user's files are.
int createTemporaryBeside(const std::string& path, std::string& temporary, int& error)
{
    static std::atomic<unsigned> counter{0};
    const std::string prefix = joinPath(folderOf(path), "." + bareName(path));
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = prefix + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) {
            break;
        }
    }
    error = errno;
    return -1;
}

// Makes the rename itself survive a power cut. Best effort: some file systems refuse to sync
// a folder, and the picture is already complete by then.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string pictureStem(const std::string& dataFileName)
{
    std::string stem = bareName(dataFileName);
    const std::size_t firstKept = stem.find_first_not_of('.');
    stem = firstKept == std::string::npos ? "" : stem.substr(firstKept);  // no hidden pictures
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos) {
        stem.erase(dot);
    }
    for (char& c : stem) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '_';  // a control character in a file name only makes trouble in a shell
        }
    }
    return stem.empty() ? kDefaultStem : stem;
}

std::string nextPictureName(const std::string& folder, const std::string& dataFileName, std::string& error)
{
    const std::string stem = pictureStem(dataFileName);
    for (long number = 1; number <= kLastPictureNumber; ++number) {
        const std::string path = joinPath(folder, numberedName(stem, number));
        int fd;
        do {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            error = "Cannot create a picture in " + (folder.empty() ? std::string(".") : folder) + ": " +
                    errnoText(errno);
            return "";
        }
    }
    error = "No free picture name left in " + (folder.empty() ? std::string(".") : folder);
    return "";
}

std::string nextPictureName(const std::string& folder, const std::string& dataFileName)
{
    std::string ignored;
    return nextPictureName(folder, dataFileName, ignored);
}

bool writePngToDevice(const std::string& path, int width, int height, const unsigned char* rgbRowsTopDown,
                      std::string& error)
{
    if (rgbRowsTopDown == nullptr || width <= 0 || height <= 0) {
        error = "the picture is empty";
        return false;
    }
    FileSink sink;
    sink.fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (sink.fd < 0) {
        error = errnoText(errno);
        return false;
    }
    const int encoded = stbi_write_png_to_func(writeToSink, &sink, width, height, 3, rgbRowsTopDown, width * 3);
    int failure = sink.error != 0 ? sink.error : (encoded == 0 ? ENOMEM : 0);
    if (::close(sink.fd) != 0 && failure == 0) {
        failure = errno;
    }
    if (failure != 0) {
        error = errnoText(failure);
        return false;
    }
    return true;
}

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbRowsTopDown,
              std::string& error)
{
    const std::string failure = "Cannot save the picture " + path + ": ";
    if (rgbRowsTopDown == nullptr || width <= 0 || height <= 0) {
        error = failure + "the picture is empty";
        return false;
    }
    if (width > kLargestSide || height > kLargestSide ||
        std::int64_t{width} * height > kLargestPixelCount) {
        error = failure + "the picture is too large";
        return false;
    }

    std::string temporary;
    int openError = 0;
    FileSink sink;
    sink.fd = createTemporaryBeside(path, temporary, openError);
    if (sink.fd < 0) {
        error = failure + errnoText(openError);
        return false;
    }

    const int encoded = stbi_write_png_to_func(writeToSink, &sink, width, height, 3, rgbRowsTopDown, width * 3);
    int writeError = sink.error;
    if (encoded == 0 && writeError == 0) {
        writeError = ENOMEM;  // stb fails only when it cannot allocate its buffers
    }
    if (writeError == 0 && ::fsync(sink.fd) != 0) {
        writeError = errno;  // a full disk on some file systems shows only here
    }
    if (::close(sink.fd) != 0 && writeError == 0) {
        writeError = errno;
    }
    if (writeError == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        writeError = errno;
    }
    if (writeError != 0) {
        ::unlink(temporary.c_str());
        error = failure + errnoText(writeError);
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

std::string savePicture(const std::string& folder, const std::string& dataFileName, int width, int height,
                        const unsigned char* rgbRowsTopDown, std::string& error)
{
    const std::string path = nextPictureName(folder, dataFileName, error);
    if (path.empty()) {
        return "";
    }
    if (!writePng(path, width, height, rgbRowsTopDown, error)) {
        // Only the empty reservation: nothing can have been renamed over it.
        ::unlink(path.c_str());
        return "";
    }
    return path;
}

int glRowStride(int width, int bytesPerPixel, int packAlignment)
{
    const int alignment = packAlignment > 0 ? packAlignment : 1;
    const int tight = width * bytesPerPixel;
    return (tight + alignment - 1) / alignment * alignment;
}

std::vector<unsigned char> topDownRows(const unsigned char* bottomUpRows, int width, int height,
                                       int bytesPerPixel, int rowStride)
{
    if (bottomUpRows == nullptr || width <= 0 || height <= 0 || bytesPerPixel <= 0) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
    if (rowStride < 0 || static_cast<std::size_t>(rowStride) < rowBytes) {
        return {};  // rows that overlap cannot be what OpenGL wrote
    }
    std::vector<unsigned char> rows(rowBytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = bottomUpRows + static_cast<std::size_t>(height - 1 - y) * rowStride;
        std::memcpy(rows.data() + static_cast<std::size_t>(y) * rowBytes, source, rowBytes);
    }
    return rows;
}
