#include "platform/gui/WorkerControls.h"

#include "platform/gui/GuiThreadCall.h"

WindowControls* WorkerControls::Target() const {
  return link_->currentQuery == query_ ? link_->window : nullptr;
}

TextValue WorkerControls::GetText(ControlId id) {
  TextValue text;
  RunOnGuiThread([&] {
    if (WindowControls* window = Target())
      text = window->GetText(id);
  });
  return text;
}

void WorkerControls::SetText(ControlId id, const TextValue& text) {
  RunOnGuiThread([&] {
    if (WindowControls* window = Target())
      window->SetText(id, text);
  });
}

void WorkerControls::AppendText(ControlId id, const TextValue& text) {
  RunOnGuiThread([&] {
    if (WindowControls* window = Target())
      window->AppendText(id, text);
  });
}

void WorkerControls::SetSelectionStart(ControlId id, int offset) {
  RunOnGuiThread([&] {
    if (WindowControls* window = Target())
      window->SetSelectionStart(id, offset);
  });
}
