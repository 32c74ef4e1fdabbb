#include "platform/gui/EditBoxes.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>
#include <limits>

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
}

LineBox::~LineBox() {
  QObject::disconnect(changed_);
}

TextValue LineBox::Read() {
  return SingleLineFromQt(edit_->text());
}

TextValue LineBox::Write(const TextValue&, const TextValue& after) {
  const QString shown = SingleLineToQt(after);
  edit_->setText(shown);
  edit_->setCursorPosition(0);
  return HeldBytes(after, SingleLineFromQt, shown);
}

TextValue LineBox::Insert(const TextValue& text) {
  const QString shown = SingleLineToQt(text);
  if (!shown.isEmpty())
    edit_->setText(edit_->text() + shown);
  edit_->end(false);
  return HeldBytes(text, SingleLineFromQt, shown);
}

void LineBox::SetSelectionStart(int offset) {
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
