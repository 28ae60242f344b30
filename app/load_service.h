// The loads' side of the event loop: once it runs, loads read on the worker thread, a timer
// serves finished loads and the watched file, and the display window shows a long load's
// progress.
#pragma once

// Call once before the event loop starts (after glutInit).
void startLoadService();

// How often the timer serves loads and the watched file.
constexpr unsigned int kLoadServiceMilliseconds = 50;
