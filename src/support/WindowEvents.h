#pragma once

// Lets the window handle what is waiting (clicks, key presses, repaints) and returns. The fixed
// points of a long run call this so that a Stop click is seen mid-run. A run reaches these
// points thousands of times a second; events are processed at most every
// WindowEventsIntervalMs, which keeps a click's answer well inside 100 ms while the window
// repaints a few dozen times a second instead of once per message.
void LetWindowProcessEvents();

inline constexpr int WindowEventsIntervalMs = 20;
