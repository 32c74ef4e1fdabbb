// Helpers of the window tests: a window wired to the real click handlers and
// a test's own query routine, and waiting on the GUI thread without blocking it.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/QueryWindow.h"
#include "platform/codepage/CodePage.h"
#include "platform/gui/MainWindow.h"

// Processes the GUI thread's events until `done` holds; false after the time-out.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::yield();
  }
  return true;
}

inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

inline std::unique_ptr<MainWindow> MakeQueryWindow(QueryRoutine query) {
  auto window = std::make_unique<MainWindow>(QueryWindowEvents(std::move(query)));
  window->show();
  return window;
}

template <typename T>
T* ControlAs(MainWindow& window, ControlId id) {
  return qobject_cast<T*>(window.Control(id));
}

// GBK of a UTF-8 literal.
inline TextValue Gbk(const char* utf8) {
  return GbkFromUtf8(utf8);
}
