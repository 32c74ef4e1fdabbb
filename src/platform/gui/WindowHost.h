// What the window's event handlers may do with the window: the four control
// operations, a message box, a picture and a worker thread.
//
// Handlers run on the GUI thread. A worker gets a WindowControls of its own
// that the window stops obeying once a later click supersedes the worker:
// from then on its writes do nothing and its reads give the empty text.
#pragma once

#include <functional>

#include "platform/gui/WindowControls.h"
#include "text/TextTypes.h"

using WorkerRoutine = std::function<void(WindowControls&)>;

// Message box styles (buttons in the low four bits, the icon above them) and
// the answers, as the platform numbers them.
inline constexpr int MB_OK = 0x00;
inline constexpr int MB_OKCANCEL = 0x01;
inline constexpr int MB_YESNO = 0x04;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class WindowHost : public WindowControls {
 public:
  // Modal to the window that owns it; gives the button pressed.
  virtual int MessageBox(const TextValue& text, const TextValue& caption, int style) = 0;
  // The picture stretched to the box; bytes that are no picture clear it.
  virtual void SetPicture(ControlId id, const ByteSet& png) = 0;
  // A detached thread running `routine` for the current query; false when no
  // thread could be started.
  virtual bool StartThread(WorkerRoutine routine) = 0;
};
