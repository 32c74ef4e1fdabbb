// Lets the GUI layer dispatch the calling thread's pending events. Safe on
// any thread; without a GUI it does nothing.
#pragma once

void ProcessEvents();
