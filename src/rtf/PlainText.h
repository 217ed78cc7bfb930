#pragma once
// Plain text in and out of a document, and the one rule for line breaks: CR, LF and CR LF each
// end a line, wherever text comes from.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>

namespace rtf {

// Characters that may not reach a document as text: controls other than tab (the toolkit would
// take CR and LF for paragraph ends), its own block and frame markers, and the object character.
inline bool IsUnwantedChar(char16_t c) {
  return (c < 0x20 && c != '\t') || c == 0x7F || c == 0x2029 || c == 0xFFFC || c == 0xFDD0 ||
         c == 0xFDD1 || c == 0xFDEF;
}

// Text of which nothing reaches a document: unwanted characters only, none of them a line break.
inline bool IsDroppedText(const QString& s) {
  for (QChar ch : s) {
    const char16_t c = ch.unicode();
    if (!IsUnwantedChar(c) || c == '\r' || c == '\n' || c == '\v') return false;
  }
  return true;
}

// Inserts plain text at the cursor, replacing its selection: every line break ends a paragraph,
// unwanted characters are dropped.
void InsertPlainText(const QString& text, QTextCursor& at);

// The text of [from, to) as the engine hands it out (to = -1: up to the end): paragraphs end
// with CR LF (none after the last one), a line break inside a paragraph is a CR, an embedded
// object is one space; in a table, cells are apart by a tab and rows end with CR LF.
QString PlainText(const QTextDocument& doc, int from = 0, int to = -1);

// The text of [from, to) as other programs on this desktop take it from the clipboard: lines
// end with LF, a picture or an embedded object gives nothing, a field without a result text
// gives the value it shows; table cells as in PlainText.
QString ClipboardText(const QTextDocument& doc, int from = 0, int to = -1);

// Every line break (CR, LF, CR LF) as CR LF.
QByteArray NormalizeLineBreaks(const QByteArray& text);

// The lines of a text; a final break adds no empty line.
QStringList SplitLines(const QString& text);

}  // namespace rtf
