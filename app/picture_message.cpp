// The message over the picture: kept with its time, read by the frames, taken off by a timer.
#include "app/picture_message.h"

#include <GL/freeglut.h>

#include "app/viewer_state.h"
#include "core/user_message.h"

PictureMessage pictureMessage;
PictureMessage::Clock::time_point (*messageClock)() = PictureMessage::Clock::now;

namespace {

// When the message that the armed timer takes off goes; the timer of an earlier message is
// not armed again for a later one that goes after it.
PictureMessage::Clock::time_point timerFor{};
bool timerArmed = false;

void messageGone(int)
{
    timerArmed = false;
    if (viewer.mainWindow != 0) {
        glutPostWindowRedisplay(viewer.mainWindow);
    }
}

void showOnPicture(const std::string& text)
{
    pictureMessage.show(text, messageClock());
}

}  // namespace

void PictureMessage::show(const std::string& text, Clock::time_point now)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    text_ = text;
    shown_ = now;
    ++count_;
}

std::string PictureMessage::textAt(Clock::time_point now) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (text_.empty() || now < shown_ || now >= shown_ + kMessageShownFor) {
        return "";
    }
    return text_;
}

PictureMessage::Clock::time_point PictureMessage::goesAt() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return shown_ + kMessageShownFor;
}

unsigned long PictureMessage::count() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

void showUserMessagesOnPicture()
{
    listenToUserMessages(showOnPicture);
}

void serviceMessages()
{
    static unsigned long served = 0;
    const unsigned long count = pictureMessage.count();
    if (count != served && viewer.mainWindow != 0) {
        served = count;
        glutPostWindowRedisplay(viewer.mainWindow);
    }
}

std::string messageOfNextFrame()
{
    const PictureMessage::Clock::time_point now = messageClock();
    std::string text = pictureMessage.textAt(now);
    if (text.empty() || !glutGet(GLUT_INIT_STATE)) {
        return text;
    }
    const PictureMessage::Clock::time_point goes = pictureMessage.goesAt();
    // A timer armed for an earlier time comes first and finds the later message still shown:
    // its redraw arms the next.
    if (!timerArmed || timerFor > goes) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(goes - now).count() + 1;
        glutTimerFunc(static_cast<unsigned int>(wait), messageGone, 0);
        timerArmed = true;
        timerFor = goes;
    }
    return text;
}
