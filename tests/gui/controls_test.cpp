// The four control operations: exact bytes through a worker's hand-over to the
// GUI thread, line breaks as the platform counts them, and user edits.
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <vector>

#include <gtest/gtest.h>

#include "GuiTest.h"

namespace {

// Runs `routine` on a worker of `window` and waits for it on the GUI thread.
void RunWorker(MainWindow& window, const WorkerRoutine& routine) {
  std::atomic<bool> done{false};
  ASSERT_TRUE(window.StartThread([&](WindowControls& controls) {
    routine(controls);
    done = true;
  }));
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
}

TextValue LongText() {
  TextValue text;
  const TextValue line = Gbk("2024-05-01 10:00:00  快件已到达【上海转运中心】\r\n");
  while (text.size() + line.size() <= 100000) text += line;
  text.append(100000 - text.size(), 'x');
  return text;
}

// The first character boundary at or after the middle of a GBK text.
std::size_t Middle(const TextValue& text) {
  std::size_t i = 0;
  while (i < text.size() / 2) i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  return i;
}

TEST(Controls, WorkerGetsBackExactlyTheBytesPutIn) {
  struct Case {
    const char* what;
    TextValue text;
    int logLines;  // lines the log shows
  };
  const Case cases[] = {
      {"CR LF lines", "a\r\nb\r\n", 3},
      {"empty lines", "\r\n\r\nx", 3},
      {"a break cut in two", "ab\r\ncd", 2},
      {"lone CR", "a\rb\r", 1},
      {"lone LF", "\na\nb", 1},
      {"Chinese", Gbk("快递\r\n单号：123"), 2},
      {"100,000 bytes", LongText(), 0},
      {"empty", "", 1},
  };
  const ControlId boxes[] = {ControlId::编辑框_日志1, ControlId::编辑框4, ControlId::编辑框3,
                             ControlId::透明标签14};
  auto window = MakeQueryWindow({});
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  for (const Case& c : cases) {
    for (ControlId box : boxes) {
      SCOPED_TRACE(std::string(c.what) + " in " + window->Control(box)->objectName().toStdString());
      TextValue afterSet, afterAppend;
      RunWorker(*window, [&](WindowControls& controls) {
        controls.SetText(box, c.text);
        afterSet = controls.GetText(box);
        // In two pieces, cut in the middle (even inside a CR LF).
        controls.SetText(box, c.text.substr(0, Middle(c.text)));
        controls.AppendText(box, c.text.substr(Middle(c.text)));
        afterAppend = controls.GetText(box);
      });
      EXPECT_EQ(afterSet, c.text);
      EXPECT_EQ(afterAppend, c.text);
      if (box == ControlId::编辑框_日志1 && c.logLines > 0) {
        EXPECT_EQ(log->blockCount(), c.logLines);
      }
    }
  }
}

TEST(Controls, SelectionStartCountsALineBreakAsTwoCharacters) {
  auto window = MakeQueryWindow({});
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  window->SetText(ControlId::编辑框_日志1, Gbk("快递\r\ncd"));
  const struct {
    int offset, position;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}, {99, 5}, {-1, 0}};
  for (const auto& c : cases) {
    window->SetSelectionStart(ControlId::编辑框_日志1, c.offset);
    EXPECT_EQ(log->textCursor().position(), c.position) << c.offset;
    EXPECT_FALSE(log->textCursor().hasSelection());
  }
}

TEST(Controls, AppendShowsTheEndAndSelectionStartTheTop) {
  auto window = MakeQueryWindow({});
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  RunWorker(*window, [](WindowControls& controls) {
    for (int i = 0; i < 200; ++i) controls.AppendText(ControlId::编辑框_日志1, "line\r\n");
  });
  QScrollBar* bar = log->verticalScrollBar();
  EXPECT_GT(bar->value(), 0);
  EXPECT_EQ(log->textCursor().position(), log->document()->characterCount() - 1);

  RunWorker(*window, [](WindowControls& controls) {
    controls.SetSelectionStart(ControlId::编辑框_日志1, 1);
  });
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(log->textCursor().position(), 1);
}

TEST(Controls, TextTheUserTypesIsWhatTheNextReadGives) {
  auto window = MakeQueryWindow({});
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  auto* number = ControlAs<QLineEdit>(*window, ControlId::编辑框3);
  window->SetText(ControlId::编辑框_日志1, "a\r\nb");
  window->SetText(ControlId::编辑框3, "12");
  ASSERT_EQ(window->GetText(ControlId::编辑框_日志1), "a\r\nb");

  log->moveCursor(QTextCursor::End);
  log->textCursor().insertText(QString::fromUtf8("\n件"));  // Enter, then a character
  number->end(false);
  number->insert(QStringLiteral("3"));

  EXPECT_EQ(window->GetText(ControlId::编辑框_日志1), "a\r\nb\r\n" + Gbk("件"));
  EXPECT_EQ(window->GetText(ControlId::编辑框3), "123");
  // Setting the text it had before the user's edit changes the box back.
  window->SetText(ControlId::编辑框3, "12");
  EXPECT_EQ(number->text(), "12");
}

TEST(Controls, ALongLineTextIsWholeOnceTheUserReachesTheBox) {
  auto window = MakeQueryWindow({});
  auto* scratch = ControlAs<QLineEdit>(*window, ControlId::编辑框4);
  const TextValue text = LongText();
  window->SetText(ControlId::编辑框4, text.substr(0, 10));
  window->AppendText(ControlId::编辑框4, text.substr(10));

  QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(scratch, &focusIn);
  EXPECT_EQ(scratch->cursorPosition(), scratch->text().size());
  scratch->insert(QStringLiteral("!"));
  EXPECT_EQ(window->GetText(ControlId::编辑框4), text + "!");
  scratch->selectAll();
  scratch->del();
  EXPECT_EQ(window->GetText(ControlId::编辑框4), "");
}

}  // namespace
