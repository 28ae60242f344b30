// Watching the file on screen with inotify on its folder.
#include "app/file_watch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

void ChangeSettling::noteChange(WatchClock::time_point at, bool writerDone)
{
    pending_ = true;
    writerDone_ = writerDone;
    lastChange_ = at;
    ++changes_;
}

bool ChangeSettling::due(WatchClock::time_point now) const
{
    if (!pending_) {
        return false;
    }
    return now - lastChange_ >= (writerDone_ ? kQuietAfterClose : kQuietWhileOpen);
}

FileWatch::~FileWatch()
{
    stop();
}

bool FileWatch::watch(const std::string& path, std::string& error)
{
    stop();
    // A link is followed: what is rewritten is the file it points to, in that file's folder.
    char resolved[PATH_MAX];
    const std::string real = ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
    const std::string::size_type slash = real.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : real.substr(0, slash));
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    const uint32_t events = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE | IN_DELETE;
    if (::inotify_add_watch(fd_, folder.c_str(), events) < 0) {
        error = std::strerror(errno);
        stop();
        return false;
    }
    path_ = path;
    watchedName_ = slash == std::string::npos ? real : real.substr(slash + 1);
    settling_ = ChangeSettling{};
    return true;
}

void FileWatch::stop()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
    watchedName_.clear();
}

void FileWatch::takeEvents(WatchClock::time_point now)
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) {
            return;  // EAGAIN: nothing more for now
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || watchedName_ != event->name) {
                continue;
            }
            const bool writerDone = (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0;
            settling_.noteChange(now, writerDone);
        }
    }
}

bool FileWatch::reloadDue(WatchClock::time_point now)
{
    if (fd_ < 0) {
        return false;
    }
    takeEvents(now);
    if (!settling_.due(now)) {
        return false;
    }
    // A file deleted and not yet written again waits for its new version.
    struct stat info {};
    return ::stat(path_.c_str(), &info) == 0;
}
