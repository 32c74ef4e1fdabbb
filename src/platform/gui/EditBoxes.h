// The window's edit boxes as the program sees them: each gives back exactly
// the bytes put into it, and reading stays cheap because a box keeps its text
// in the program's bytes until the user changes it. GUI thread only.
#pragma once

#include <QMetaObject>
#include <memory>

#include "text/TextTypes.h"

class QLineEdit;
class QPlainTextEdit;

class EditBox {
 public:
  virtual ~EditBox() = default;
  TextValue GetText();
  // A text equal to the box's leaves the box as it is.
  void SetText(const TextValue& text);
  // Caret to the end, scrolled into view, text inserted there.
  void AppendText(const TextValue& text);
  virtual void SetSelectionStart(int offset) = 0;

 protected:
  // What the box holds, in the program's bytes.
  struct Known {
    bool valid = true;  // boxes start empty
    TextValue text;
  };
  virtual TextValue Read() = 0;
  // Replaces the whole text; gives the bytes the box now holds.
  virtual TextValue Write(const TextValue& before, const TextValue& after) = 0;
  // Inserts at the end, caret after it; gives the bytes inserted.
  virtual TextValue Insert(const TextValue& text) = 0;
  // Runs a change of our own, which does not make the known text stale.
  template <typename Change>
  void Own(Change change) {
    owning_ = true;
    change();
    owning_ = false;
  }
  void Forget() {
    if (!owning_)
      known_.valid = false;
  }

  Known known_;
  bool owning_ = false;
};

// A single-line box: Qt keeps CR, LF and every other character as given.
// Qt lays out a line edit's whole text on every paint, so a long text is
// shown as the part around the caret until the user reaches for the box
// (focus or a drop): then the box takes the whole text.
class LineBox final : public EditBox {
 public:
  explicit LineBox(QLineEdit* edit);
  ~LineBox() override;
  void SetSelectionStart(int offset) override;

 private:
  TextValue Read() override;
  TextValue Write(const TextValue& before, const TextValue& after) override;
  TextValue Insert(const TextValue& text) override;
  void ShowWhole();

  QLineEdit* edit_;
  QMetaObject::Connection changed_;
  std::unique_ptr<QObject> reach_;  // watches for focus and drops
  bool partShown_ = false;
};

// A multi-line box: lines break at CR LF only (see BoxText.h). Rewriting the
// text changes only the part that differs, so a long log stays fast.
class LogBox final : public EditBox {
 public:
  explicit LogBox(QPlainTextEdit* edit);
  ~LogBox() override;
  void SetSelectionStart(int offset) override;

 private:
  TextValue Read() override;
  TextValue Write(const TextValue& before, const TextValue& after) override;
  TextValue Insert(const TextValue& text) override;

  QPlainTextEdit* edit_;
  QMetaObject::Connection changed_;
  // The document holds one character per box character of the known text,
  // so that positions can be worked out from the bytes.
  bool aligned_ = true;
};
