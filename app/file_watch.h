// "Watch file": notices through inotify when the file on screen is rewritten, and says when
// it has been quiet long enough to be read again, so that a file caught half-written is read
// once it stops changing, never in between.
#pragma once

#include <chrono>
#include <string>

using WatchClock = std::chrono::steady_clock;

// When a changed file is due to be read again. A writer that has closed the file (or renamed
// a finished file into place) is done: a short quiet time suffices. A file still open for
// writing may only pause: it waits for a longer quiet time.
class ChangeSettling {
public:
    static constexpr std::chrono::milliseconds kQuietAfterClose{250};
    static constexpr std::chrono::milliseconds kQuietWhileOpen{1500};

    // A change of the file; writerDone when it was the writer closing it or a finished file
    // renamed into place.
    void noteChange(WatchClock::time_point at, bool writerDone);
    // Whether a change waits to be read.
    bool pending() const { return pending_; }
    // Whether the file has been quiet long enough to be read now.
    bool due(WatchClock::time_point now) const;
    // The change is being read: until the next change nothing is due.
    void taken() { pending_ = false; }
    // Changes noted so far: a read that began at one count and ends at another saw the file
    // change while it read it.
    unsigned long changes() const { return changes_; }

private:
    bool pending_ = false;
    bool writerDone_ = false;
    WatchClock::time_point lastChange_{};
    unsigned long changes_ = 0;
};

// Watches one file by its folder, which also sees a file replaced by a rename or deleted and
// written anew.
class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Watches path from now on (the folder of the file it names, after symbolic links), in
    // place of any earlier file; false with errno's text in error when it cannot.
    bool watch(const std::string& path, std::string& error);
    void stop();
    bool watching() const { return fd_ >= 0; }
    // The path given to watch.
    const std::string& path() const { return path_; }

    // Takes the events that arrived and tells whether the file is due to be read again now: it
    // has changed, has been quiet long enough and exists.
    bool reloadDue(WatchClock::time_point now);
    ChangeSettling& settling() { return settling_; }

private:
    void takeEvents(WatchClock::time_point now);

    int fd_ = -1;
    std::string path_;
    std::string watchedName_;  // the file's name in its folder
    ChangeSettling settling_;
};
