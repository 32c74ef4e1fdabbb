#include "platform/gui/EditBoxes.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include "platform/gui/BoxText.h"

namespace {

// A text that is not well-formed comes back as the box converted it.
TextValue HeldBytes(const TextValue& text, TextValue (*readBack)(const QString&),
                    const QString& shown) {
  return IsWellFormedGbk(text) ? text : readBack(shown);
}

// Programs' changes cannot be undone by the user, as on the platform.
template <typename Change>
void WithoutUndo(QTextDocument& document, Change change) {
  document.setUndoRedoEnabled(false);
  change();
  document.setUndoRedoEnabled(true);
}

// Characters a line box shows of a longer text: far more than its width holds.
constexpr qsizetype kShownPart = 512;

// The first or last kShownPart characters, never half a surrogate pair.
QString Head(const QString& text) {
  qsizetype size = kShownPart;
  if (text.at(size - 1).isHighSurrogate())
    --size;
  return text.left(size);
}

QString Tail(const QString& text) {
  qsizetype size = kShownPart;
  if (text.at(text.size() - size).isLowSurrogate())
    --size;
  return text.right(size);
}

// Calls `reached` before the box takes focus or a drop.
class ReachWatcher final : public QObject {
 public:
  explicit ReachWatcher(std::function<void()> reached) : reached_(std::move(reached)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::DragEnter)
      reached_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> reached_;
};

}  // namespace

TextValue EditBox::GetText() {
  if (!known_.valid) {
    known_.text = Read();
    known_.valid = true;
  }
  return known_.text;
}

void EditBox::SetText(const TextValue& text) {
  GetText();
  if (known_.text == text)
    return;
  Own([&] { known_.text = Write(known_.text, text); });
}

void EditBox::AppendText(const TextValue& text) {
  GetText();
  if (!text.empty() && text.front() == '\n' && !known_.text.empty() && known_.text.back() == '\r') {
    // The two halves of a line break meet: the box shows the whole break.
    SetText(known_.text + text);
    Own([&] { Insert(TextValue()); });
    return;
  }
  Own([&] { known_.text += Insert(text); });
}

LineBox::LineBox(QLineEdit* edit) : edit_(edit) {
  edit_->setMaxLength(std::numeric_limits<int>::max());
  changed_ = QObject::connect(edit_, &QLineEdit::textChanged, [this] { Forget(); });
  reach_ = std::make_unique<ReachWatcher>([this] { ShowWhole(); });
  edit_->installEventFilter(reach_.get());
}

LineBox::~LineBox() {
  QObject::disconnect(changed_);
}

TextValue LineBox::Read() {
  return SingleLineFromQt(edit_->text());
}

TextValue LineBox::Write(const TextValue&, const TextValue& after) {
  const QString shown = SingleLineToQt(after);
  partShown_ = shown.size() > kShownPart;
  edit_->setText(partShown_ ? Head(shown) : shown);
  edit_->setCursorPosition(0);
  return HeldBytes(after, SingleLineFromQt, shown);
}

TextValue LineBox::Insert(const TextValue& text) {
  const QString shown = SingleLineToQt(text);
  if (partShown_ || edit_->text().size() + shown.size() > kShownPart) {
    // known_ holds the box's bytes, which convert back to what it shows.
    const QString whole = SingleLineToQt(known_.text) + shown;
    partShown_ = whole.size() > kShownPart;
    edit_->setText(partShown_ ? Tail(whole) : whole);
  } else if (!shown.isEmpty()) {
    edit_->setText(edit_->text() + shown);
  }
  edit_->end(false);
  return HeldBytes(text, SingleLineFromQt, shown);
}

void LineBox::ShowWhole() {
  if (!partShown_)
    return;
  const bool atEnd = edit_->cursorPosition() == edit_->text().size();
  const int caret = edit_->cursorPosition();
  Own([&] { edit_->setText(SingleLineToQt(known_.text)); });
  partShown_ = false;
  if (atEnd)
    edit_->end(false);
  else
    edit_->setCursorPosition(caret);
}

void LineBox::SetSelectionStart(int offset) {
  ShowWhole();
  edit_->setCursorPosition(std::clamp<int>(offset, 0, static_cast<int>(edit_->text().size())));
}

LogBox::LogBox(QPlainTextEdit* edit) : edit_(edit) {
  changed_ =
      QObject::connect(edit_->document(), &QTextDocument::contentsChanged, [this] { Forget(); });
}

LogBox::~LogBox() {
  QObject::disconnect(changed_);
}

TextValue LogBox::Read() {
  TextValue text = MultiLineFromQt(edit_->document()->toRawText());
  // A character GBK lacks becomes one byte, but one outside the basic plane
  // takes two document positions.
  aligned_ = MultiLineLength(text) == edit_->document()->characterCount() - 1;
  return text;
}

TextValue LogBox::Write(const TextValue& before, const TextValue& after) {
  QTextDocument* document = edit_->document();
  std::optional<BoxEdit> edit;
  if (aligned_)
    edit = MultiLineEdit(before, after);
  TextValue held;
  WithoutUndo(*document, [&] {
    if (edit) {
      QTextCursor cursor(document);
      cursor.setPosition(edit->position);
      cursor.setPosition(edit->position + edit->removed, QTextCursor::KeepAnchor);
      cursor.insertText(MultiLineToQt(edit->inserted));
      held = after;
    } else {
      const QString shown = MultiLineToQt(after);
      edit_->setPlainText(shown);
      held = MultiLineFromQt(shown);
      aligned_ = MultiLineLength(held) == document->characterCount() - 1;
    }
  });
  // A new text shows its beginning.
  edit_->setTextCursor(QTextCursor(document));
  edit_->ensureCursorVisible();
  return held;
}

TextValue LogBox::Insert(const TextValue& text) {
  edit_->moveCursor(QTextCursor::End);
  const QString shown = MultiLineToQt(text);
  WithoutUndo(*edit_->document(), [&] { edit_->insertPlainText(shown); });
  edit_->ensureCursorVisible();
  return HeldBytes(text, MultiLineFromQt, shown);
}

void LogBox::SetSelectionStart(int offset) {
  QTextCursor cursor(edit_->document());
  cursor.setPosition(MultiLinePosition(*edit_->document(), offset));
  edit_->setTextCursor(cursor);
  edit_->ensureCursorVisible();
}
