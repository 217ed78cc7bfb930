#pragma once
// How the engine's document keeps what RTF says beyond Qt's own formats.
//
// Every length the engine exchanges is in twips. Qt lays text out in document units (pixels at
// 96 per inch), which cannot hold a twip exactly, so each block and character format carries the
// twips it was given in user properties below; the RTF writer and the format getters read these,
// never the pixel values. Whoever sets a format sets both (see the Apply* helpers in
// TextModel.cpp once they exist, or set the property and the Qt value side by side).

#include <QTextFormat>

namespace engine {

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
  kAlignment,         // int: 1 left, 2 right, 3 centre, 4 justify (shown justified only while
                      // advanced typography is on, so Qt's alignment may differ)
  kNumbering,         // int: 0 none, 1 bullet, 2 arabic, 3 lower letter, 4 upper letter,
                      //      5 lower roman, 6 upper roman
  kNumberingStart,    // int
  kNumberingStyle,    // int
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
  kPictureKind,     // int: 1 png, 2 jpeg, 3 device-independent bitmap, 4 metafile, 5 other
  kPictureGoalWTw,  // int: \picwgoal
  kPictureGoalHTw,  // int: \pichgoal
  kPictureScaleX,   // int: \picscalex (100 when absent)
  kPictureScaleY,   // int
  kPictureRtf,      // QByteArray: the whole {\pict ...} group, written back byte for byte
  kObjectRtf,       // QByteArray: the whole {\object ...} group, written back byte for byte
  kObjectClass,     // QString: \objclass
  kObjectIndex,     // int: the engine's handle for the object's interface
};

// The object type of embedded objects and of pictures the engine draws itself
// (for QTextFormat::ObjectTypes / QTextDocument::documentLayout()->registerHandler).
constexpr int kEmbeddedObjectType = QTextFormat::UserObject + 1;

}  // namespace engine
