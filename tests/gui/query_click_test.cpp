// The query button: clearing at the click, the empty-number message box, one
// worker per accepted click, Enter in the number field, and a click that
// supersedes a running query.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <mutex>

#include <gtest/gtest.h>

#include "GuiTest.h"

namespace {

// What the test's query routine saw, run by run.
struct Runs {
  std::mutex mutex;
  std::vector<TextValue> numbers;  // 编辑框3 as each run read it
  std::atomic<int> started{0};

  QueryRoutine Routine() {
    return [this](WindowControls& controls) {
      TextValue number = controls.GetText(ControlId::编辑框3);
      std::lock_guard lock(mutex);
      numbers.push_back(number);
      ++started;
    };
  }
};

struct SeenBox {
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool ownedByWindow = false;
  Qt::WindowModality modality = Qt::NonModal;
};

// Dismisses the next message box with OK and reports what it showed.
void DismissNextMessageBox(QWidget* owner, SeenBox& seen) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, [timer, owner, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr)
      return;
    seen = {box->text(),
            box->windowTitle(),
            box->icon(),
            box->standardButtons(),
            box->parentWidget() == owner,
            box->windowModality()};
    box->button(QMessageBox::Ok)->click();
    timer->deleteLater();
  });
  timer->start(10);
}

TEST(QueryClick, EmptyNumberShowsTheMessageBoxAndStartsNothing) {
  Runs runs;
  auto window = MakeQueryWindow(runs.Routine());
  window->SetText(ControlId::编辑框_日志1, "old trace\r\n");
  window->SetText(ControlId::编辑框4, "old answer");
  SeenBox seen;
  DismissNextMessageBox(window.get(), seen);
  window->Click();

  EXPECT_EQ(seen.text, QString::fromUtf8("请输入快递单号"));
  EXPECT_EQ(seen.caption, QString::fromUtf8("单号为空"));
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_TRUE(seen.ownedByWindow);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_EQ(window->GetText(ControlId::编辑框_日志1), "");
  EXPECT_EQ(window->GetText(ControlId::编辑框4), "");

  // The next accepted click is the first run there is.
  window->SetText(ControlId::编辑框3, "1");
  window->Click();
  ASSERT_TRUE(PumpUntil([&] { return runs.started == 1; }));
  PumpFor(100);
  std::lock_guard lock(runs.mutex);
  EXPECT_EQ(runs.numbers, std::vector<TextValue>{"1"});
}

TEST(QueryClick, OneBlankStartsAWorkerFromClearedBoxes) {
  Runs runs;
  auto window = MakeQueryWindow(runs.Routine());
  const TextValue company = Gbk("某某快递");
  window->SetText(ControlId::编辑框_日志1, "old trace\r\n");
  window->SetText(ControlId::编辑框4, "old answer");
  window->SetText(ControlId::透明标签14, company);
  window->SetText(ControlId::编辑框3, " ");
  window->Click();
  // Cleared at the click, before the worker has done anything.
  EXPECT_EQ(window->GetText(ControlId::编辑框_日志1), "");
  EXPECT_EQ(window->GetText(ControlId::编辑框4), "");
  EXPECT_EQ(window->GetText(ControlId::透明标签14), company);
  ASSERT_TRUE(PumpUntil([&] { return runs.started == 1; }));
  std::lock_guard lock(runs.mutex);
  EXPECT_EQ(runs.numbers, std::vector<TextValue>{" "});
}

TEST(QueryClick, EnterInTheNumberFieldRunsTheQuery) {
  Runs runs;
  auto window = MakeQueryWindow(runs.Routine());
  window->SetText(ControlId::编辑框3, "SF123");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(window->Control(ControlId::编辑框3), &enter);
  ASSERT_TRUE(PumpUntil([&] { return runs.started == 1; }));
  std::lock_guard lock(runs.mutex);
  EXPECT_EQ(runs.numbers, std::vector<TextValue>{"SF123"});
}

// A run that waits until the test lets it go, then writes and reads.
struct HeldRun {
  std::atomic<bool> go{false}, done{false};
  TextValue numberRead = "unread";
};

TEST(QueryClick, ASecondClickSupersedesTheRunningQuery) {
  HeldRun first, second;
  std::atomic<int> runCount{0};
  auto window = MakeQueryWindow([&](WindowControls& controls) {
    HeldRun& run = ++runCount == 1 ? first : second;
    while (!run.go) std::this_thread::yield();
    controls.SetText(ControlId::透明标签14, &run == &first ? "first" : "mine");
    controls.AppendText(ControlId::编辑框_日志1, &run == &first ? "first\r\n" : "second\r\n");
    run.numberRead = controls.GetText(ControlId::编辑框3);
    run.done = true;
  });
  window->SetText(ControlId::编辑框3, "111");
  window->Click();
  ASSERT_TRUE(PumpUntil([&] { return runCount == 1; }));
  window->SetText(ControlId::编辑框_日志1, "first's partial trace\r\n");

  window->SetText(ControlId::编辑框3, "222");
  window->Click();
  EXPECT_EQ(window->GetText(ControlId::编辑框_日志1), "");
  ASSERT_TRUE(PumpUntil([&] { return runCount == 2; }));
  second.go = true;
  ASSERT_TRUE(PumpUntil([&] { return second.done.load(); }));
  first.go = true;
  ASSERT_TRUE(PumpUntil([&] { return first.done.load(); }));

  EXPECT_EQ(second.numberRead, "222");
  EXPECT_EQ(first.numberRead, "");  // dropped
  EXPECT_EQ(window->GetText(ControlId::编辑框_日志1), "second\r\n");
  EXPECT_EQ(window->GetText(ControlId::透明标签14), "mine");
}

TEST(QueryClick, AWorkerOutlivingItsWindowIsDroppedSafely) {
  HeldRun run;
  auto window = MakeQueryWindow([&](WindowControls& controls) {
    while (!run.go) std::this_thread::yield();
    controls.SetText(ControlId::编辑框_日志1, "late");
    run.numberRead = controls.GetText(ControlId::编辑框3);
    run.done = true;
  });
  window->SetText(ControlId::编辑框3, "1");
  window->Click();
  window.reset();
  run.go = true;
  ASSERT_TRUE(PumpUntil([&] { return run.done.load(); }));
  EXPECT_EQ(run.numberRead, "");
}

}  // namespace
