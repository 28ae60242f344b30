// The messages the programs give their user about what an action did (a failed load and its
// reason, a saved picture, a refused value): printed on standard output at once, and handed to
// whoever listens, as the viewer does to show them over the picture.
#pragma once

#include <string>

// Prints text exactly as it stands (its line ends included) and flushes it, then hands it to
// the listener. May be called from any thread: the listener must take care of that.
void tellUser(const std::string& text);

// The one listener (null: none), called after each message is printed.
using UserMessageListener = void (*)(const std::string& text);
void listenToUserMessages(UserMessageListener listener);
