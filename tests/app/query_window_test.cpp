// The tracking query in the real window (Qt's offscreen platform): every
// outcome, and a second click while a slow query runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "TrackFixture.h"
#include "app/QueryWindow.h"
#include "platform/gui/MainWindow.h"

namespace {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::yield();
  }
  return true;
}

struct TrackedWindow {
  std::atomic<int> finished{0};
  std::unique_ptr<MainWindow> window;

  explicit TrackedWindow(const ServiceHosts& hosts) {
    window =
        std::make_unique<MainWindow>(QueryWindowEvents([this, hosts](WindowControls& controls) {
          RunTrackingQuery(controls, hosts);
          ++finished;
        }));
    window->show();
  }

  void Query(const std::string& number) {
    window->SetText(ControlId::编辑框3, Gbk(number));
    window->Click();
  }
};

TEST(QueryWindow, EveryOutcomeOfTheDemoNumbers) {
  TrackedWindow tracked(DemoHosts(SharedDemo()));
  int queries = 0;
  for (const OutcomeRow& row : OutcomeRows()) {
    SCOPED_TRACE(row.number);
    tracked.Query(row.number);
    ++queries;
    ASSERT_TRUE(PumpUntil([&] { return tracked.finished == queries; }, 30000));
    EXPECT_EQ(tracked.window->GetText(ControlId::透明标签14), Gbk(row.status));
    EXPECT_EQ(tracked.window->GetText(ControlId::编辑框_日志1), Gbk(row.log));
  }
}

TEST(QueryWindow, ASecondClickWhileASlowQueryRunsShowsOnlyTheSecondQuery) {
  TrackedWindow tracked(DemoHosts(SharedDemo()));
  tracked.Query("VT300001");  // the trace service waits 3 s before answering
  PumpUntil([] { return false; }, 300);
  tracked.Query("VT100003");

  // Both workers end; the slow one's late output must not reach the window.
  ASSERT_TRUE(PumpUntil([&] { return tracked.finished == 2; }, 30000));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(tracked.window->GetText(ControlId::透明标签14), Gbk("海鹦物流"));
  EXPECT_EQ(tracked.window->GetText(ControlId::编辑框_日志1), "");
  EXPECT_EQ(tracked.window->GetText(ControlId::编辑框4).find("VT300001"), TextValue::npos);
}

}  // namespace
