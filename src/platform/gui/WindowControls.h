// The window's controls, named as on the form, and the four operations a
// query worker may use on them. Each operation is carried out on the GUI
// thread while the caller waits; an edit box gives back exactly the text put
// into it (line breaks as CR LF, no length limit).
#pragma once

#include "text/TextTypes.h"

enum class ControlId {
  透明标签1,
  图片框4,
  透明标签12,
  透明标签13,
  透明标签14,
  编辑框3,
  按钮_查询1,
  编辑框_日志1,
  编辑框4,
};

class WindowControls {
 public:
  virtual ~WindowControls() = default;
  virtual TextValue GetText(ControlId id) = 0;
  virtual void SetText(ControlId id, const TextValue& text) = 0;
  // Caret to the end, scrolled into view, text inserted there.
  virtual void AppendText(ControlId id, const TextValue& text) = 0;
  // Empty selection at the 0-based character offset, scrolled into view.
  virtual void SetSelectionStart(ControlId id, int offset) = 0;
};
