#include "app/MemoryWindow.h"

#include <algorithm>

#include "platform/codepage/CodePage.h"

namespace {

// Characters, not bytes: a GBK lead byte and the byte after it count once.
int CharacterCount(const TextValue& text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i, ++count) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      ++i;
    }
  }
  return count;
}

}  // namespace

MemoryWindow::MemoryWindow() {
  controls_[ControlId::透明标签12].text = GbkFromUtf8("快递单号:");
  controls_[ControlId::透明标签13].text = GbkFromUtf8("快递公司:");
  controls_[ControlId::透明标签14].text = GbkFromUtf8("等待查询...");
  controls_[ControlId::按钮_查询1].text = GbkFromUtf8("查询");
}

TextValue MemoryWindow::GetText(ControlId id) {
  std::lock_guard lock(mutex_);
  return controls_[id].text;
}

void MemoryWindow::SetText(ControlId id, const TextValue& text) {
  std::lock_guard lock(mutex_);
  Control& control = controls_[id];
  control.text = text;
  control.caretAtEnd = false;
  control.caret = 0;
}

void MemoryWindow::AppendText(ControlId id, const TextValue& text) {
  std::lock_guard lock(mutex_);
  Control& control = controls_[id];
  control.text += text;
  control.caretAtEnd = true;
}

void MemoryWindow::SetSelectionStart(ControlId id, int offset) {
  std::lock_guard lock(mutex_);
  Control& control = controls_[id];
  control.caretAtEnd = false;
  control.caret = offset;
}

int MemoryWindow::SelectionStart(ControlId id) {
  std::lock_guard lock(mutex_);
  const Control& control = controls_[id];
  const int length = CharacterCount(control.text);
  return control.caretAtEnd ? length : std::clamp(control.caret, 0, length);
}
