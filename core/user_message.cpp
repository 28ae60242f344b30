// Messages for the user: the console line first, then the listener.
#include "core/user_message.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<UserMessageListener> listening{nullptr};

}  // namespace

void tellUser(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (const UserMessageListener listener = listening.load()) {
        listener(text);
    }
}

void listenToUserMessages(UserMessageListener listener)
{
    listening.store(listener);
}
