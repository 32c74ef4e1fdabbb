#include "app/MemoryWindow.h"

#include <algorithm>

#include "platform/codepage/CodePage.h"

namespace {

// Characters, not bytes: a GBK double-byte character counts once.
int CharacterCount(const TextValue& text) {
  return static_cast<int>(GbkToWide(text).size());
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
  control.caret = 0;
}

void MemoryWindow::AppendText(ControlId id, const TextValue& text) {
  std::lock_guard lock(mutex_);
  Control& control = controls_[id];
  control.text += text;
  control.caret = CharacterCount(control.text);
}

void MemoryWindow::SetSelectionStart(ControlId id, int offset) {
  std::lock_guard lock(mutex_);
  Control& control = controls_[id];
  control.caret = std::clamp(offset, 0, CharacterCount(control.text));
}

int MemoryWindow::SelectionStart(ControlId id) {
  std::lock_guard lock(mutex_);
  return controls_[id].caret;
}
