// Runs the program's one window: initialises the GUI layer, creates and shows
// the window (its created event runs before it is shown) and runs the message
// loop on the calling thread.
//
// When the window is closed the process ends at once with code 0, taking any
// running worker with it: RunWindow never returns.
#pragma once

#include <functional>

#include "platform/gui/WindowHost.h"

struct WindowEvents {
  std::function<void(WindowHost&)> created;
  // The query button's click, and Enter in the tracking-number field.
  std::function<void(WindowHost&)> queryClicked;
};

[[noreturn]] void RunWindow(int argc, char** argv, const WindowEvents& events);

// With VANTREL_SCREENSHOT=file.png the window is saved as a picture once it
// has been shown, then closed. A program that wants some work of its own in
// the picture holds the picture until that work is done (any thread); the
// picture waits at most 20 s.
void HoldScreenshot();
void ReleaseScreenshot();
