// The window's controls without a window: each control holds exactly the
// text put into it (line breaks as CR LF, no length limit). Safe to use from
// any thread; vantrel-track and the tests run queries on it.
#pragma once

#include <map>
#include <mutex>

#include "platform/gui/WindowControls.h"

class MemoryWindow : public WindowControls {
 public:
  // The controls start with the window's initial texts ("等待查询..." in the
  // status line, empty edit boxes).
  MemoryWindow();

  TextValue GetText(ControlId id) override;
  void SetText(ControlId id, const TextValue& text) override;
  void AppendText(ControlId id, const TextValue& text) override;
  void SetSelectionStart(ControlId id, int offset) override;

  // The caret's 0-based character offset, as the last operation left it.
  int SelectionStart(ControlId id);

 private:
  // The caret is worked out only when asked for: a query moves it on every
  // event, and counting the characters of a long log each time would cost
  // more than the query itself.
  struct Control {
    TextValue text;
    bool caretAtEnd = false;
    int caret = 0;
  };
  std::mutex mutex_;
  std::map<ControlId, Control> controls_;
};
