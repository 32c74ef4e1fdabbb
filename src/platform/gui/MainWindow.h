// The program's window in Qt Widgets: the controls of ControlTable, their
// operations for the GUI thread, the message box, the picture and the worker
// threads. RunWindow shows it; tests create it directly.
//
// The created event runs at the end of construction. Each click (or Enter in
// the tracking-number field) makes a new query current before the click
// handler runs, so a worker of an earlier query loses the window at once.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "platform/gui/EditBoxes.h"
#include "platform/gui/RunWindow.h"
#include "platform/gui/WindowHost.h"
#include "platform/gui/WorkerControls.h"

class QLabel;

class MainWindow final : public QWidget, public WindowHost {
 public:
  explicit MainWindow(WindowEvents events);
  ~MainWindow() override;

  // GUI thread only.
  TextValue GetText(ControlId id) override;
  void SetText(ControlId id, const TextValue& text) override;
  void AppendText(ControlId id, const TextValue& text) override;
  void SetSelectionStart(ControlId id, int offset) override;
  int MessageBox(const TextValue& text, const TextValue& caption, int style) override;
  void SetPicture(ControlId id, const ByteSet& png) override;
  bool StartThread(WorkerRoutine routine) override;

  QWidget* Control(ControlId id) const;
  // What a click on the query button does.
  void Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  EditBox* BoxOf(ControlId id) const;

  WindowEvents events_;
  std::array<QWidget*, 9> controls_{};
  std::array<std::unique_ptr<EditBox>, 9> boxes_;
  QLabel* picture_ = nullptr;
  std::shared_ptr<QueryLink> link_;
};
