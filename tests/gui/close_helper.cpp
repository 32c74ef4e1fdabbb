// The window program with a query that never stops using the controls. Once
// the worker is busy, the window is closed with Esc ("esc") or like its close
// button ("close"); the process must then end at once with code 0.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/QueryWindow.h"

namespace {

std::atomic<int> operations{0};

void BusyQuery(WindowControls& controls) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    controls.AppendText(ControlId::编辑框_日志1, controls.GetText(ControlId::编辑框3));
    ++operations;
  }
}

QWidget* FindWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->findChild<QPushButton*>() != nullptr)
      return widget;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool useEsc = argc > 1 && std::strcmp(argv[1], "esc") == 0;
  QApplication app(argc, argv);
  QTimer::singleShot(0, [] {
    QWidget* window = FindWindow();
    window->findChild<QLineEdit*>()->setText(QStringLiteral("1"));
    window->findChild<QPushButton*>()->click();
  });
  auto* poll = new QTimer(&app);
  QObject::connect(poll, &QTimer::timeout, [useEsc] {
    if (operations < 20)
      return;
    QWidget* window = FindWindow();
    if (useEsc) {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(window->focusWidget() ? window->focusWidget() : window, &esc);
    } else {
      window->close();
    }
  });
  poll->start(5);
  RunQueryWindow(argc, argv, BusyQuery);
}
