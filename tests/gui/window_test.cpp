// The window as it first appears: frame, every control's place, text, font and
// colours, the logo, hidden selection, and Esc.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include <gtest/gtest.h>

#include "GuiTest.h"

namespace {

struct ControlCase {
  ControlId id;
  const char* name;
  const char* className;
  QRect geometry;
  const char* text;  // UTF-8; null: checked on its own
  int fontPixels;    // 0: the default font
};

const ControlCase kControls[] = {
    {ControlId::透明标签1, "透明标签1", "QLabel", {585, 96, 258, 24}, nullptr, 12},
    {ControlId::图片框4, "图片框4", "QLabel", {19, 26, 80, 80}, "", 0},
    {ControlId::透明标签12, "透明标签12", "QLabel", {112, 28, 73, 32}, "快递单号:", 16},
    {ControlId::透明标签13, "透明标签13", "QLabel", {110, 67, 74, 32}, "快递公司:", 16},
    {ControlId::透明标签14, "透明标签14", "QLabel", {209, 71, 343, 23}, "等待查询...", 16},
    {ControlId::编辑框3, "编辑框3", "QLineEdit", {199, 31, 344, 26}, "", 12},
    {ControlId::按钮_查询1, "按钮_查询1", "QPushButton", {576, 31, 64, 26}, "查询", 0},
    {ControlId::编辑框_日志1, "编辑框_日志1", "QPlainTextEdit", {0, 120, 752, 300}, "", 12},
    {ControlId::编辑框4, "编辑框4", "QLineEdit", {656, 176, 32, 8}, "", 0},
};

TEST(Window, FrameIsFixedWithMinimiseButNoMaximise) {
  auto window = MakeQueryWindow({});
  EXPECT_EQ(window->windowTitle(), "Vantrel");
  EXPECT_EQ(window->size(), QSize(752, 420));
  EXPECT_EQ(window->minimumSize(), QSize(752, 420));
  EXPECT_EQ(window->maximumSize(), QSize(752, 420));
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
}

TEST(Window, EveryControlHasItsPlaceTextAndFont) {
  auto window = MakeQueryWindow({});
  for (const ControlCase& c : kControls) {
    SCOPED_TRACE(c.name);
    QWidget* control = window->Control(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->objectName(), QString::fromUtf8(c.name));
    EXPECT_STREQ(control->metaObject()->className(), c.className);
    EXPECT_EQ(control->geometry(), c.geometry);
    if (c.text != nullptr) {
      EXPECT_EQ(window->GetText(c.id), Gbk(c.text));
    }
    if (c.fontPixels == 0)
      continue;
    EXPECT_EQ(control->font().pixelSize(), c.fontPixels);
    EXPECT_EQ(control->font().weight(), QFont::Normal);
    // The font the control ends up with draws Chinese.
    EXPECT_TRUE(QFontMetrics(control->font()).inFontUcs4(U'递'));
  }
}

TEST(Window, ContactLineFitsInsideTheWindow) {
  auto window = MakeQueryWindow({});
  auto* contact = ControlAs<QLabel>(*window, ControlId::透明标签1);
  ASSERT_FALSE(contact->text().isEmpty());
  const int visible = window->width() - contact->x();
  EXPECT_LE(QFontMetrics(contact->font()).horizontalAdvance(contact->text()), visible);
}

TEST(Window, ScratchBoxIsARealControlAboveTheLog) {
  auto window = MakeQueryWindow({});
  QWidget* scratch = window->Control(ControlId::编辑框4);
  EXPECT_TRUE(scratch->isVisible());
  EXPECT_EQ(window->childAt(660, 180), scratch);
  EXPECT_EQ(window->childAt(600, 180)->parentWidget(), window->Control(ControlId::编辑框_日志1));
}

TEST(Window, BoxesHaveTheirColoursAndBehaviour) {
  auto window = MakeQueryWindow({});
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  EXPECT_EQ(log->palette().color(QPalette::Base), QColor(128, 128, 128));
  EXPECT_EQ(log->palette().color(QPalette::Text), QColor(255, 255, 255));
  EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(log->isReadOnly());

  auto* number = ControlAs<QLineEdit>(*window, ControlId::编辑框3);
  EXPECT_EQ(number->palette().color(QPalette::Base), QColor(255, 255, 255));
  EXPECT_EQ(number->palette().color(QPalette::Text), QColor(0, 0, 0));
  EXPECT_FALSE(number->isReadOnly());
  for (ControlId id : {ControlId::编辑框3, ControlId::编辑框4}) {
    EXPECT_EQ(ControlAs<QLineEdit>(*window, id)->maxLength(), std::numeric_limits<int>::max());
  }
  for (ControlId id : {ControlId::透明标签1, ControlId::透明标签12, ControlId::透明标签14}) {
    EXPECT_FALSE(window->Control(id)->autoFillBackground());
    EXPECT_EQ(ControlAs<QLabel>(*window, id)->textFormat(), Qt::PlainText);
  }
}

TEST(Window, CreatedEventShowsTheLogoStretched) {
  const QImage logo = QImage::fromData(LogoBytes().data(), static_cast<int>(LogoBytes().size()));
  ASSERT_EQ(logo.size(), QSize(300, 300));
  EXPECT_TRUE(logo.hasAlphaChannel());

  auto window = MakeQueryWindow({});
  auto* picture = ControlAs<QLabel>(*window, ControlId::图片框4);
  EXPECT_TRUE(picture->hasScaledContents());
  EXPECT_EQ(picture->frameShape(), QFrame::Box);
  ASSERT_FALSE(picture->pixmap().isNull());
  const auto format = QImage::Format_ARGB32_Premultiplied;
  EXPECT_EQ(picture->pixmap().toImage().convertToFormat(format), logo.convertToFormat(format));

  // Bytes that are no picture leave the box empty.
  window->SetPicture(ControlId::图片框4, ByteSet{1, 2, 3});
  EXPECT_TRUE(picture->pixmap().isNull());
}

int PixelsOf(const QImage& image, QColor colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  }
  return count;
}

TEST(Window, LogSelectionIsHiddenWithoutFocus) {
  auto window = MakeQueryWindow({});
  QApplication::setActiveWindow(window.get());
  auto* log = ControlAs<QPlainTextEdit>(*window, ControlId::编辑框_日志1);
  window->SetText(ControlId::编辑框_日志1, "selected selected selected\r\nselected");
  log->selectAll();
  const QColor highlight = log->palette().color(QPalette::Active, QPalette::Highlight);

  log->setFocus();
  ASSERT_TRUE(PumpUntil([&] { return log->hasFocus(); }, 2000));
  EXPECT_GT(PixelsOf(log->grab().toImage(), highlight), 100);

  window->Control(ControlId::编辑框3)->setFocus();
  ASSERT_TRUE(PumpUntil([&] { return !log->hasFocus(); }, 2000));
  EXPECT_TRUE(log->textCursor().hasSelection());
  EXPECT_EQ(PixelsOf(log->grab().toImage(), highlight), 0);
}

TEST(Window, EscClosesTheWindow) {
  auto window = MakeQueryWindow({});
  QWidget* number = window->Control(ControlId::编辑框3);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(number, &esc);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
