#pragma once
// Writing the engine's document as RTF, in the engine's own form.

#include <QByteArray>
#include <QString>
#include <QTextDocument>

namespace engine {

// One complete RTF document holding the characters [from, to) of doc (to = -1: up to the end):
// \ansicpg1251 with \fcharset204 fonts, Cyrillic as \'xx, other characters as \uN with one
// fallback, each paragraph ended by \par and CR LF. The same content gives the same bytes.
QByteArray WriteRtf(const QTextDocument& doc, int from = 0, int to = -1);

// The text of [from, to) as the engine hands it out: paragraphs end with CR LF (none after the
// last one), a line break inside a paragraph is a CR, an embedded object is one space.
QString PlainText(const QTextDocument& doc, int from = 0, int to = -1);

// HTML of the whole document, pictures included as data: URLs, for exchange with other programs.
QString DocumentToHtml(const QTextDocument& doc);

// Encodes text in a single-byte code page (1251 when 0 is given) or UTF-8 (65001); characters
// the code page lacks become '?'.
QByteArray EncodeCodePage(const QString& text, int codePage = 1251);

}  // namespace engine
