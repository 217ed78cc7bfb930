#pragma once
// Reading RTF into the engine's document.

#include <QByteArray>
#include <QString>
#include <QTextCursor>

namespace engine {

// True when the bytes open an RTF document ("{\rtf", leading white space allowed).
bool LooksLikeRtf(const QByteArray& bytes);

// Inserts the document held in `rtf` at the cursor, replacing its selection; the cursor ends
// after the inserted content. A whole-document load is a cursor over an empty document; a
// stream-in of a selection uses the same call. Bytes that are not RTF insert nothing and return
// false with a message in *error, so that the caller can fall back to plain text. Broken RTF is
// read as far as it makes sense; no input crashes it or makes it hang.
bool ReadRtf(const QByteArray& rtf, QTextCursor& at, QString* error = nullptr);

// Decodes 8-bit text in a Windows/ISO code page known to iconv (1251 when 0 is given). Unknown
// code pages and undecodable bytes fall back to Latin-1 byte by byte, so nothing is lost.
QString DecodeCodePage(const QByteArray& bytes, int codePage = 1251);

// Inserts plain text as the engine's text stream does: CR, LF and CR LF each end a paragraph.
void InsertPlainText(const QString& text, QTextCursor& at);

}  // namespace engine
