// Runs a piece of work on the GUI thread while the calling thread waits.
//
// On the GUI thread itself the work runs directly. Work that the GUI thread
// never gets to (no application, or its event loop is gone) is dropped: the
// call then returns false instead of waiting for ever.
#pragma once

#include <functional>

bool RunOnGuiThread(const std::function<void()>& work);
