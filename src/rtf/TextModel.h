#pragma once
// How a document keeps what RTF says beyond Qt's own formats.
//
// Every length the engine exchanges is in twips. Qt lays text out in document units (pixels at
// 96 per inch), which cannot hold a twip exactly, so each block and character format carries the
// twips it was given in user properties below; the RTF writer and the format getters read these,
// never the pixel values. Whoever sets a format sets both (the Set* helpers below).

#include <QList>
#include <QString>
#include <QTextFormat>

namespace rtf {

// Document units per inch: the layout's pixels.
constexpr int kDocDpi = 96;
constexpr int kTwipsPerInch = 1440;

inline qreal TwipsToDoc(int tw) { return qreal(tw) * kDocDpi / kTwipsPerInch; }
inline int DocToTwips(qreal px) { return qRound(px * kTwipsPerInch / kDocDpi); }

enum TextProperty : int {
  // --- paragraph (QTextBlockFormat) ---
  kStartIndentTw = QTextFormat::UserProperty + 1,  // int: where the first line starts
  kRightIndentTw,                                  // int
  kOffsetTw,          // int: other lines start at start indent + offset (a hanging indent > 0)
  kSpaceBeforeTw,     // int
  kSpaceAfterTw,      // int
  kLineSpacingRule,   // int 0..5
  kLineSpacingValue,  // int: twips for rules 3 and 4, twentieths of a line for rule 5
  kTabStopsTw,        // QList<int>: up to 32 tab positions in twips, ascending
  kAlignment,         // int: a ParagraphAlignment (justified shows justified only while
                      // advanced typography is on, so Qt's alignment may differ)
  kNumbering,         // int: a NumberingKind (Numbering.h)
  kNumberingStart,    // int
  kNumberingStyle,    // int: kNumberParen ... kNumberPlain (Numbering.h)
  kNumberingTabTw,    // int
  kParagraphExtra,    // QByteArray: paragraph control words the engine keeps but does not use,
                      // written back as read

  // --- character (QTextCharFormat) ---
  kCharset = QTextFormat::UserProperty + 50,  // int: the font's character set (204 Cyrillic, ...)
  kPitchAndFamily,                            // int
  kProtected,                                 // bool
  kLink,                                      // bool: a link run (the anchor href holds the target)
  kAutoColor,                                 // bool: colour is "automatic" (no \cf)
  kCharExtra,                                 // QByteArray: kept, written back as read

  // --- pictures (QTextImageFormat) and embedded objects ---
  kPictureData = QTextFormat::UserProperty + 80,  // QByteArray: the picture's bytes as read
  kPictureKind,     // int: a PictureKind
  kPictureGoalWTw,  // int: \picwgoal
  kPictureGoalHTw,  // int: \pichgoal
  kPictureScaleX,   // int: \picscalex (100 when absent)
  kPictureScaleY,   // int
  kPictureRtf,      // QByteArray: the whole {\pict ...} group, written back byte for byte
  kObjectRtf,       // QByteArray: the whole {\object ...} group, written back byte for byte
  kObjectClass,     // QString: \objclass
  kObjectIndex,     // int: the engine's handle for the object's interface
  kObjectKey,       // qulonglong: a hash of the picture data, the key of the decoded-image cache
  kPictureWidthTw,  // int: \picw, kept for the writer (pixels for bitmaps, 0.01 mm for metafiles)
  kPictureHeightTw, // int: \pich
};

enum PictureKind : int {
  kPngPicture = 1,
  kJpegPicture = 2,
  kDibPicture = 3,  // a device-independent bitmap
  kMetafilePicture = 4,
  kOtherPicture = 5,
};

// A paragraph's kAlignment, numbered as the engine's PFA_* values.
enum ParagraphAlignment : int {
  kAlignLeft = 1,
  kAlignRight = 2,
  kAlignCenter = 3,
  kAlignJustify = 4,
};

// The object type of embedded objects and of pictures the engine draws itself
// (for QTextFormat::ObjectTypes / QTextDocument::documentLayout()->registerHandler).
constexpr int kEmbeddedObjectType = QTextFormat::UserObject + 1;

// Paragraph lengths: the setters store the twips and the Qt layout value together; the getters
// read the twips, or derive them from the Qt value for a format that has none.
void SetIndents(QTextBlockFormat& f, int startTw, int rightTw, int offsetTw);
void SetSpaceBefore(QTextBlockFormat& f, int tw);
void SetSpaceAfter(QTextBlockFormat& f, int tw);
// rule 0 single, 1 one and a half, 2 double, 3 at least `value` twips, 4 exactly `value` twips,
// 5 `value` twentieths of a line.
void SetLineSpacing(QTextBlockFormat& f, int rule, int value);
void SetTabStops(QTextBlockFormat& f, const QList<int>& tw);
// Justified text is laid out justified only when `showJustified` (advanced typography) is true.
void SetAlignment(QTextBlockFormat& f, int align, bool showJustified = true);

int StartIndentTw(const QTextBlockFormat& f);
int RightIndentTw(const QTextBlockFormat& f);
int OffsetTw(const QTextBlockFormat& f);
int SpaceBeforeTw(const QTextBlockFormat& f);
int SpaceAfterTw(const QTextBlockFormat& f);
int LineSpacingRule(const QTextBlockFormat& f);
int LineSpacingValue(const QTextBlockFormat& f);
QList<int> TabStopsTw(const QTextBlockFormat& f);
int Alignment(const QTextBlockFormat& f);

}  // namespace rtf
