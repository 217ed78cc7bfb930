#pragma once
// Reading RTF into a document. The reader's parts: RtfTokenizer.h (bytes to tokens),
// RtfKeywords.h (control words), RtfTables.h (fonts, colours, lists) and RtfDocumentBuilder.h
// (what goes into the document); RtfReader.cpp and its parts RtfReader*.cpp tie them together
// by destination (RtfReader_p.h).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextCursor>

namespace rtf {

// True when the bytes open an RTF document ("{\rtf", leading white space allowed).
bool LooksLikeRtf(const QByteArray& bytes);

// Inserts the document held in `rtf` at the cursor, replacing its selection; the cursor ends
// after the inserted content. A whole-document load is a cursor over an empty document; a
// stream-in of a selection uses the same call. Bytes that are not RTF insert nothing and return
// false with a message in *error, so that the caller can fall back to plain text. Broken RTF is
// read as far as it makes sense; no input crashes it or makes it hang. Reading lays nothing out:
// whoever shows or prints the document registers the drawing of its objects (RegisterTextObjects).
// Groups nested deeper than this keep their balance but lose their content.
constexpr int kMaxGroupDepth = 256;

// What a read had to leave out, for a caller that tells its user.
struct ReadLosses {
  bool nestedTooDeep = false;  // content inside groups nested deeper than kMaxGroupDepth
};

bool ReadRtf(const QByteArray& rtf, QTextCursor& at, QString* error = nullptr, ReadLosses* losses = nullptr);

// The plain text of the document `rtf` holds, exactly as PlainText() gives it for the document
// ReadRtf builds from it. Read in one pass without a document, except for a text holding a table,
// which is read into a document that is not laid out. False, as ReadRtf, for bytes that are not
// RTF. With `links`, also the targets of its hyperlinks, in the order met.
bool ReadRtfText(const QByteArray& rtf, QString* text, QString* error = nullptr, ReadLosses* losses = nullptr,
                 QStringList* links = nullptr);

}  // namespace rtf
