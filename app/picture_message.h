// The last message the viewer gave its user, shown over the picture for a few seconds: every
// message printed through tellUser (core/user_message) feeds it, each frame is handed it, and
// one timer redraws the picture when it goes.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

constexpr std::chrono::milliseconds kMessageShownFor{4000};

// A message and when it was shown; messages may arrive from the load worker's thread.
class PictureMessage {
public:
    using Clock = std::chrono::steady_clock;

    void show(const std::string& text, Clock::time_point now);
    // The message while it is shown at now: empty before any, and once its time is over.
    std::string textAt(Clock::time_point now) const;
    // When the message last shown goes.
    Clock::time_point goesAt() const;
    // How many messages were shown so far.
    unsigned long count() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
    Clock::time_point shown_{};
    unsigned long count_ = 0;
};

// The viewer's message, and the clock it is shown and read by (a test sets its own).
extern PictureMessage pictureMessage;
extern PictureMessage::Clock::time_point (*messageClock)();

// From now on every message printed for the user is also shown over the picture.
void showUserMessagesOnPicture();

// Asks for a frame of the display window when a message came since the last call (the
// load service's timer calls it, whichever thread printed the message).
void serviceMessages();

// The message to write over the next frame of the display window. While one is shown, a timer
// asks for the frame that takes it off (in the event loop only).
std::string messageOfNextFrame();
