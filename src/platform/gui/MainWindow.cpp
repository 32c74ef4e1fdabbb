#include "platform/gui/MainWindow.h"

#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/gui/BoxText.h"
#include "platform/gui/ControlTable.h"

namespace {

// Once per process: where the window's font is not installed, a CJK font that
// looks alike stands in for it.
void MapWindowFont() {
  static const bool mapped = [] {
    const QString family = QString::fromUtf8(kWindowFontFamily);
    if (!QFontDatabase::hasFamily(family)) {
      QFont::insertSubstitutions(
          family, {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                   QStringLiteral("Source Han Sans SC")});
    }
    return true;
  }();
  (void)mapped;
}

QColor FromRgb(int rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void ApplyLook(QWidget* widget, const ControlLayout& layout) {
  widget->setObjectName(QString::fromUtf8(layout.name));
  widget->setGeometry(layout.left, layout.top, layout.width, layout.height);
  if (layout.fontPixels > 0) {
    QFont font(QString::fromUtf8(kWindowFontFamily));
    font.setPixelSize(layout.fontPixels);
    font.setWeight(QFont::Normal);
    widget->setFont(font);
  }
  if (layout.textRgb >= 0 || layout.backRgb >= 0) {
    QPalette palette = widget->palette();
    if (layout.textRgb >= 0) {
      palette.setColor(QPalette::Text, FromRgb(layout.textRgb));
      // With no focus the selection looks like the text around it: hidden.
      palette.setColor(QPalette::Inactive, QPalette::HighlightedText, FromRgb(layout.textRgb));
    }
    if (layout.backRgb >= 0) {
      palette.setColor(QPalette::Base, FromRgb(layout.backRgb));
      palette.setColor(QPalette::Inactive, QPalette::Highlight, FromRgb(layout.backRgb));
    }
    widget->setPalette(palette);
  }
}

int MessageBoxAnswer(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      return IDOK;
  }
}

}  // namespace

MainWindow::MainWindow(WindowEvents events)
    : events_(std::move(events)), link_(std::make_shared<QueryLink>()) {
  link_->window = this;
  MapWindowFont();
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  CreateControls();
  if (events_.created)
    events_.created(*this);
}

MainWindow::~MainWindow() {
  link_->window = nullptr;
}

void MainWindow::CreateControls() {
  for (const ControlLayout& layout : WindowControlTable()) {
    const QString text = QString::fromUtf8(layout.initialText);
    QWidget* widget = nullptr;
    switch (layout.kind) {
      case ControlKind::TransparentLabel: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setText(text);
        widget = label;
        break;
      }
      case ControlKind::PictureBox: {
        picture_ = new QLabel(this);
        picture_->setFrameStyle(QFrame::Box | QFrame::Plain);
        picture_->setLineWidth(1);
        picture_->setScaledContents(true);
        widget = picture_;
        break;
      }
      case ControlKind::EditBox: {
        auto* edit = new QLineEdit(text, this);
        edit->setCursorPosition(0);
        if (layout.id == ControlId::编辑框3) {
          edit->setFrame(false);
          edit->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #7a7a7a; }"));
          connect(edit, &QLineEdit::returnPressed, this, &MainWindow::Click);
        }
        boxes_[static_cast<std::size_t>(layout.id)] = std::make_unique<LineBox>(edit);
        widget = edit;
        break;
      }
      case ControlKind::MultiLineEditBox: {
        auto* log = new QPlainTextEdit(this);
        log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        log->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        log->setFrameStyle(QFrame::Box | QFrame::Plain);
        log->setLineWidth(1);
        boxes_[static_cast<std::size_t>(layout.id)] = std::make_unique<LogBox>(log);
        widget = log;
        break;
      }
      case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, &MainWindow::Click);
        widget = button;
        break;
      }
    }
    ApplyLook(widget, layout);
    controls_[static_cast<std::size_t>(layout.id)] = widget;
  }
}

QWidget* MainWindow::Control(ControlId id) const {
  return controls_[static_cast<std::size_t>(id)];
}

EditBox* MainWindow::BoxOf(ControlId id) const {
  return boxes_[static_cast<std::size_t>(id)].get();
}

TextValue MainWindow::GetText(ControlId id) {
  if (EditBox* box = BoxOf(id))
    return box->GetText();
  QWidget* widget = Control(id);
  if (widget == picture_)
    return TextValue();
  if (auto* label = qobject_cast<QLabel*>(widget))
    return SingleLineFromQt(label->text());
  if (auto* button = qobject_cast<QPushButton*>(widget))
    return SingleLineFromQt(button->text());
  return TextValue();
}

void MainWindow::SetText(ControlId id, const TextValue& text) {
  if (EditBox* box = BoxOf(id)) {
    box->SetText(text);
    return;
  }
  // A picture box keeps no text; the other controls show theirs.
  QWidget* widget = Control(id);
  if (widget == picture_)
    return;
  if (auto* label = qobject_cast<QLabel*>(widget))
    label->setText(SingleLineToQt(text));
  if (auto* button = qobject_cast<QPushButton*>(widget))
    button->setText(SingleLineToQt(text));
}

void MainWindow::AppendText(ControlId id, const TextValue& text) {
  if (EditBox* box = BoxOf(id)) {
    box->AppendText(text);
    return;
  }
  // Controls that are no edit box take the text at their end.
  SetText(id, GetText(id) + text);
}

void MainWindow::SetSelectionStart(ControlId id, int offset) {
  if (EditBox* box = BoxOf(id))
    box->SetSelectionStart(offset);
}

int MainWindow::MessageBox(const TextValue& text, const TextValue& caption, int style) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (style & 0xF0) {
    case MB_ICONERROR:
      icon = QMessageBox::Critical;
      break;
    case MB_ICONQUESTION:
      icon = QMessageBox::Question;
      break;
    case MB_ICONWARNING:
      icon = QMessageBox::Warning;
      break;
    case MB_ICONINFORMATION:
      icon = QMessageBox::Information;
      break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if ((style & 0x0F) == MB_OKCANCEL)
    buttons = QMessageBox::Ok | QMessageBox::Cancel;
  if ((style & 0x0F) == MB_YESNO)
    buttons = QMessageBox::Yes | QMessageBox::No;
  QMessageBox box(icon, SingleLineToQt(caption), SingleLineToQt(text), buttons, this);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return MessageBoxAnswer(box.standardButton(box.clickedButton()));
}

void MainWindow::SetPicture(ControlId id, const ByteSet& png) {
  auto* label = qobject_cast<QLabel*>(Control(id));
  if (label == nullptr)
    return;
  QPixmap picture;
  picture.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG");
  label->setPixmap(picture);
}

bool MainWindow::StartThread(WorkerRoutine routine) {
  auto controls = std::make_shared<WorkerControls>(link_, link_->currentQuery);
  try {
    std::thread([controls, routine = std::move(routine)] {
      if (routine)
        routine(*controls);
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void MainWindow::Click() {
  ++link_->currentQuery;
  if (events_.queryClicked)
    events_.queryClicked(*this);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}
