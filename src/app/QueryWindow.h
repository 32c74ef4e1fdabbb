// The window's two event handlers and the entry point of the programs that
// show the window.
//
// A query routine runs on a worker thread of its own, one per accepted
// click, and reaches the window only through the controls it is given.
#pragma once

#include "platform/gui/RunWindow.h"
#include "platform/gui/WindowHost.h"
#include "text/TextTypes.h"

using QueryRoutine = WorkerRoutine;

// Sets the logo into the picture box.
void OnWindowCreated(WindowHost& window);
// Clears the log and the scratch box, refuses an empty tracking number with a
// message box, and otherwise starts one worker running `query`.
void OnQueryClicked(WindowHost& window, const QueryRoutine& query);

// The handlers above wired to a window whose queries run `query`.
WindowEvents QueryWindowEvents(QueryRoutine query);

// Shows the window and runs it until it is closed; the process then ends with
// code 0 and this never returns.
int RunQueryWindow(int argc, char** argv, QueryRoutine query);

// The logo's PNG bytes, built into the program.
const ByteSet& LogoBytes();
