#pragma once
// Writing the engine's document as RTF, in the engine's own form.

#include <QByteArray>
#include <QString>
#include <QTextDocument>

namespace rtf {

// One complete RTF document holding the characters [from, to) of doc (to = -1: up to the end):
// \ansicpg1251 with \fcharset204 fonts, Cyrillic as \'xx, other characters as \uN with one
// fallback, each paragraph ended by \par and CR LF. The same content gives the same bytes.
QByteArray WriteRtf(const QTextDocument& doc, int from = 0, int to = -1);

// HTML of the whole document, pictures included as data: URLs, for exchange with other programs.
QString DocumentToHtml(const QTextDocument& doc);

}  // namespace rtf
