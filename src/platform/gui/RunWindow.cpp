#include "platform/gui/RunWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <atomic>
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

std::atomic<int> screenshotHolds{0};

// For looking at the window without a desktop: VANTREL_SCREENSHOT=file.png
// saves the window once it has been shown and nothing holds the picture,
// then closes it.
void ScreenshotOnRequest(MainWindow& window) {
  const char* path = std::getenv("VANTREL_SCREENSHOT");
  if (path == nullptr || *path == '\0')
    return;
  const QString file = QString::fromLocal8Bit(path);
  constexpr int kShownMilliseconds = 300;
  constexpr int kPollMilliseconds = 100;
  constexpr int kLongestWaitMilliseconds = 20000;
  auto* poll = new QTimer(&window);
  QElapsedTimer started;
  started.start();
  QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, started, file] {
    const qint64 waited = started.elapsed();
    if (waited < kShownMilliseconds)
      return;
    if (screenshotHolds.load() > 0) {
      if (waited < kLongestWaitMilliseconds)
        return;
      std::fputs("the work held for the screenshot did not finish in time\n", stderr);
    }
    poll->stop();
    if (!window.grab().save(file, "PNG"))
      std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
    window.close();
  });
  poll->start(kPollMilliseconds);
}

}  // namespace

void HoldScreenshot() {
  ++screenshotHolds;
}

void ReleaseScreenshot() {
  --screenshotHolds;
}

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
