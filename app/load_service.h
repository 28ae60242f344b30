// The loads' side of the event loop: once it runs, loads read on the worker thread, a timer
// serves finished loads, the watched file and the folder chooser's answer, and the display
// window shows a long load's progress.
#pragma once

// Call once before the event loop starts (after glutInit).
void startLoadService();

// How often the timer serves loads, the watched file and the folder chooser.
constexpr unsigned int kLoadServiceMilliseconds = 50;
