#pragma once

// Lets the window handle what is waiting (clicks, key presses, repaints) and returns. The fixed
// points of a long run call this so that a Stop click is seen mid-run.
void LetWindowProcessEvents();
