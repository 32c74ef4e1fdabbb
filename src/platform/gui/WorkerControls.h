// The controls as a query worker sees them: every operation is carried out on
// the GUI thread while the worker waits, and only while the worker's query is
// still the window's current one. Once it is not (a later click, or the
// window is gone) writes do nothing and reads give the empty text.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/gui/WindowControls.h"

// Shared by the window and its workers; read and written on the GUI thread only.
struct QueryLink {
  WindowControls* window = nullptr;  // null once the window is gone
  std::uint64_t currentQuery = 0;
};

class WorkerControls final : public WindowControls {
 public:
  WorkerControls(std::shared_ptr<QueryLink> link, std::uint64_t query)
      : link_(std::move(link)), query_(query) {}

  TextValue GetText(ControlId id) override;
  void SetText(ControlId id, const TextValue& text) override;
  void AppendText(ControlId id, const TextValue& text) override;
  void SetSelectionStart(ControlId id, int offset) override;

 private:
  // On the GUI thread: the window while this worker's query is current.
  WindowControls* Target() const;

  std::shared_ptr<QueryLink> link_;
  std::uint64_t query_;
};
