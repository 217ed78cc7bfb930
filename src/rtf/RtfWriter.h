#pragma once
// Writing the engine's document as RTF, in the engine's own form.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QTextDocument>

class QTextCursor;

namespace rtf {

// The font text that names none is written in when the caller gives no font of its own: RTF's
// own default, so that the bytes do not depend on the machine.
QFont DefaultWriterFont();

// One complete RTF document holding the characters [from, to) of doc (to = -1: up to the end):
// \ansicpg1251 with \fcharset204 fonts, Cyrillic as \'xx, other characters as \uN with one
// fallback, each paragraph ended by \par and CR LF. The same content gives the same bytes.
// Text whose format names no font is written in `baseFont` (the control's font), or in
// DefaultWriterFont() when none is given. Tables are written as tables when the range holds
// them whole; a range that cuts through a table takes its cells' text as paragraphs.
QByteArray WriteRtf(const QTextDocument& doc, int from = 0, int to = -1, const QFont* baseFont = nullptr);

// A footnote's body is kept as RTF (kFootnote) and written by reading it back into a document.
// The reader, the only maker of such bodies, installs itself here before it makes one, so the
// writer knows no reader. Without one a footnote's body is left out.
using FootnoteReader = bool (*)(const QByteArray& rtf, QTextCursor& at);
void SetFootnoteReader(FootnoteReader reader);

// HTML of the whole document, pictures included as data: URLs, for exchange with other programs.
// Hidden text is left out and list paragraphs carry their labels' kinds.
QString DocumentToHtml(const QTextDocument& doc);

}  // namespace rtf
