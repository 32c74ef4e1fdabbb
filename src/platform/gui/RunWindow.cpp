#include "platform/gui/RunWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/gui/ControlTable.h"
#include "platform/gui/MainWindow.h"

namespace {

void PlaceCentred(QWidget& window) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr)
    return;
  const QRect area = screen->geometry();
  window.move(area.x() + (area.width() - kClientWidth) / 2,
              area.y() + (area.height() - kClientHeight) / 2);
}

// For looking at the window without a desktop: VANTREL_SCREENSHOT=file.png
// saves the window once it has been shown, then closes it.
void ScreenshotOnRequest(MainWindow& window) {
  const char* path = std::getenv("VANTREL_SCREENSHOT");
  if (path == nullptr || *path == '\0')
    return;
  const QString file = QString::fromLocal8Bit(path);
  QTimer::singleShot(300, &window, [&window, file] {
    if (!window.grab().save(file, "PNG"))
      std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
    window.close();
  });
}

}  // namespace

void RunWindow(int argc, char** argv, const WindowEvents& events) {
  std::unique_ptr<QApplication> ownApp;
  if (QCoreApplication::instance() == nullptr)
    ownApp = std::make_unique<QApplication>(argc, argv);
  auto* window = new MainWindow(events);
  PlaceCentred(*window);
  window->show();
  ScreenshotOnRequest(*window);
  QApplication::exec();
  // Workers may still be waiting for the window: nothing may be torn down
  // under them, so the process ends here without running any destructor.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(0);
}
