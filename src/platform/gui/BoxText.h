// Texts of an edit box between the program (GBK bytes) and Qt (QString).
//
// A multi-line box breaks lines only at CR LF, as the platform's edit box
// does. Qt would also break at a lone CR or LF and give every break back as
// LF, so a lone CR or LF is stored as its visible control picture (U+240D,
// U+240A), which GBK cannot hold, and each line break is given back as CR LF:
// the box returns exactly the bytes put into it.
#pragma once

#include <QString>
#include <QTextDocument>
#include <optional>
#include <string_view>

#include "text/TextTypes.h"

QString SingleLineToQt(const TextValue& text);
TextValue SingleLineFromQt(const QString& text);

// For QPlainTextEdit::setPlainText / insertPlainText.
QString MultiLineToQt(std::string_view text);
// From QTextDocument::toRawText() or MultiLineToQt(): line breaks to CR LF.
TextValue MultiLineFromQt(const QString& rawText);

// Single bytes up to 0x80 and lead bytes with a valid trail byte: such a text
// comes back from a box byte for byte, one box character per GBK character.
bool IsWellFormedGbk(std::string_view text);
// The characters a well-formed text takes in a multi-line box (CR LF is one).
int MultiLineLength(std::string_view text);

// The smallest replacement in a multi-line box's document that turns the
// well-formed text `before` into the well-formed text `after`.
struct BoxEdit {
  int position;
  int removed;
  std::string_view inserted;  // a part of `after`
};
std::optional<BoxEdit> MultiLineEdit(std::string_view before, std::string_view after);

// The 0-based character offset of the platform's text (a line break counts
// as two characters) as a position in the box's document; an offset between
// the CR and the LF of a break gives the end of the line.
int MultiLinePosition(const QTextDocument& document, int offset);
