// Writing and reading saved view files.
#include "io/view_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/view_file.h"
#include "io/picture_file.h"

namespace {

// A view is a few dozen lines; anything far larger is not one.
constexpr off_t kLargestViewBytes = 1 << 20;

std::string reason(int error)
{
    return std::strerror(error);
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::string& bytes, int& error)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        if (n == 0) {
            error = EIO;  // a file that takes nothing will not take the rest
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A new hidden file beside path, ".NAME.PID-N.tmp", opened as any new file is (0666 less the
// umask), so that the view ends up readable as the user's files are.
int createTemporaryBeside(const std::string& path, std::string& temporary)
{
    const std::string::size_type slash = path.rfind('/');
    const std::string start = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = start + "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR)) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

std::string viewFileNameFor(const std::string& dataFilePath)
{
    const std::string folder = folderOf(dataFilePath);
    const std::string name = pictureStem(dataFilePath) + ".view";
    if (folder.empty()) {
        return name;
    }
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool writeViewFile(const std::string& path, const Settings& settings, std::string& error)
{
    const std::string failure = "Cannot save the view " + path + ": ";
    std::string temporary;
    const int fd = createTemporaryBeside(path, temporary);
    if (fd < 0) {
        error = failure + reason(errno);
        return false;
    }
    int writeError = 0;
    writeAll(fd, viewText(settings), writeError);
    if (writeError == 0 && ::fsync(fd) != 0) {
        writeError = errno;
    }
    if (::close(fd) != 0 && writeError == 0) {
        writeError = errno;
    }
    if (writeError == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        writeError = errno;
    }
    if (writeError != 0) {
        ::unlink(temporary.c_str());
        error = failure + reason(writeError);
        return false;
    }
    return true;
}

bool readViewFile(const std::string& path, Settings& settings, std::string& error)
{
    const std::string where = "view file " + path + ": ";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = where + reason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestViewBytes) {
        const bool large = S_ISREG(info.st_mode) && info.st_size > kLargestViewBytes;
        ::close(fd);
        error = where + (large ? "too large for a view" : "not a regular file");
        return false;
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, &text[done], text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int readError = n < 0 ? errno : 0;
            ::close(fd);
            error = where + (readError != 0 ? reason(readError) : "changed while it was read");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!applyViewText(text, settings, error)) {
        error = where + error;
        return false;
    }
    return true;
}

ProgramOption viewFileOption(Settings& settings, CommandLine& line)
{
    return {"--view-file", "F",
            "the view saved in F (key v of the viewer): turn, shift, size, display,\nview mode, colours; "
            "options after it change what it set",
            [&settings, &line](const std::string& value, std::string& error) {
                if (!readViewFile(value, settings, error)) {
                    return false;
                }
                for (const SettingRow* row : viewRows()) {
                    if (!line.gave(*row)) {
                        line.givenRows.push_back(row);
                    }
                }
                return true;
            }};
}
