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
  // A drawing shape ({\shp ...}, {\shpgrp ...}): its group as read up to its text, its text as an
  // RTF document of its own (as footnotes are), and the rest of the group; written back so.
  kShapeHead,       // QByteArray
  kShapeText,       // QByteArray, absent for a shape without text
  kShapeTail,       // QByteArray
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
// A field that has no result text (PAGE, EQ): one object character that keeps the instruction
// and shows what it stands for (TextFields.h).
constexpr int kFieldObjectType = QTextFormat::UserObject + 2;

// What office documents say beyond the engine's first formats: kept in twips or as read, shown
// where the toolkit can show it, and written back.
enum KeptProperty : int {
  // --- character (QTextCharFormat) ---
  kUnderlineType = QTextFormat::UserProperty + 120,  // int: the kind of underline, numbered as
                                                     // the engine's CFU_* (3 double, 8 wave, ...)
  kHidden,        // bool: \v, laid out with no width and not drawn
  kAllCaps,       // bool: \caps
  kSmallCaps,     // bool: \scaps
  kOutline,       // bool: \outl
  kShadow,        // bool: \shad
  kRaiseTw,       // int: raised (> 0) or lowered (< 0) text, twips (\up and \dn are half points)
  kSpacingTw,     // int: \expndtw, added after every character
  kKerningTw,     // int: \kerning as twips: pairs are kerned from this font size up
  kCharScaleX,    // int: \charscalex, percent
  kLcid,          // int: \lang
  kRtlRun,        // bool: \rtlch
  kFieldInst,     // QString: the instruction of the field this run is the result of
  kFieldId,       // int: tells adjacent fields with the same instruction apart
  kFootnote,      // QByteArray: the footnote's body as an RTF document, on its mark
  kFootnoteId,    // int: tells adjacent footnotes with the same body apart
  kEndnote,       // bool: the note on this mark is an endnote (\ftnalt)
  kEastAsianFont,     // QString: the font of the run's East Asian characters (\dbch\fN)
  kEastAsianCharset,  // int: that font's character set
  kAssocFont,         // QString: the run's associated (complex script) font (\afN)
  kAssocCharset,      // int: that font's character set

  // --- paragraph (QTextBlockFormat) ---
  kTabKinds = QTextFormat::UserProperty + 150,  // QList<int>: per tab stop, its alignment
                                                // (TabKind) | its leader (TabLeader) << 4
  kParaEffects,   // int: ParaEffect bits
  kBorders,       // QList<int>: the paragraph's borders, ParaBorders::Save() (Borders.h)
  kShading,       // QList<int>: Shading::Save() (Borders.h)
  kListId,        // int: the list (its \ls override) a paragraph belongs to
  kListLevel,     // int: its level in that list, 0..8
  kStructural,    // bool: an empty paragraph the document needs before a table, not text

  // --- lists (QTextListFormat) ---
  kListDefinition = QTextFormat::UserProperty + 180,  // QByteArray: ListDefinition::Save()

  // --- tables (QTextTableFormat, QTextTableCellFormat) ---
  kTableEdgesTw = QTextFormat::UserProperty + 200,  // QList<int>: right edge of every column
  kTableRows,     // QVariantList: per row, RowProps::Save() (TableModel.h)
  kCellBorders,   // QList<int>: the cell's sides, CellBorders::Save() (Borders.h)
  kCellShading,   // QList<int>: as kShading
  kCellVAlign,    // int: 0 top, 1 centre, 2 bottom
  kCellWidthTw,   // int: the cell's preferred width as read (\clwWidth), 0 when none
  kTableLevel,    // int: nesting level of a table, 1 for the outermost
  kCellPhantom,   // bool: a cell the grid needs where a shorter row has none: not written
  kCellExtra,     // QByteArray: the cell's other words, written back as read

  // --- the document (the root frame's QTextFrameFormat); DocumentParts.h ---
  kDocumentParts = QTextFormat::UserProperty + 230,  // QVariantList: headers and footers
  kDocumentInfo,  // QVariantList: the information group's entries
};

// Tab stop kinds (kTabKinds; the high byte of PARAFORMAT's rgxTabs holds the same numbers).
enum TabKind : int { kTabLeft = 0, kTabCenter = 1, kTabRight = 2, kTabDecimal = 3, kTabBar = 4 };
enum TabLeader : int { kLeaderNone = 0, kLeaderDots = 1, kLeaderDashes = 2, kLeaderUnderline = 3,
                       kLeaderThick = 4, kLeaderEquals = 5 };

// kParaEffects bits, numbered as the engine's PFE_* values.
enum ParaEffect : int {
  kEffectRtl = 0x1,
  kEffectKeep = 0x2,
  kEffectKeepNext = 0x4,
  kEffectPageBreakBefore = 0x8,
  kEffectNoLineNumber = 0x10,
  kEffectNoWidowControl = 0x20,
};

// Paragraph lengths: the setters store the twips and the Qt layout value together; the getters
// read the twips, or derive them from the Qt value for a format that has none.
void SetIndents(QTextBlockFormat& f, int startTw, int rightTw, int offsetTw);
void SetSpaceBefore(QTextBlockFormat& f, int tw);
void SetSpaceAfter(QTextBlockFormat& f, int tw);
// rule 0 single, 1 one and a half, 2 double, 3 at least `value` twips, 4 exactly `value` twips,
// 5 `value` twentieths of a line.
void SetLineSpacing(QTextBlockFormat& f, int rule, int value);
// Tab positions with their kinds (TabKind | TabLeader << 4, one per position; none: all left
// tabs without leaders). Positions count from the left margin; the toolkit counts from where
// the first line starts, so the layout's positions depend on the indents (RefreshTabs).
void SetTabStops(QTextBlockFormat& f, const QList<int>& tw, const QList<int>& kinds = {});
// Lays the tab stops out again after the first line's start moved (SetIndents does this; so
// must whoever changes the left margin or text indent by other means).
void RefreshTabs(QTextBlockFormat& f);
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
// One kind per tab stop, 0 (a left tab without leader) where none was given.
QList<int> TabKinds(const QTextBlockFormat& f);
int Alignment(const QTextBlockFormat& f);

// A numbered paragraph shows its label where its first line starts and its text from the
// hanging indent on (half an inch on without one): the room the label takes before the text of
// the first line, 0 for a paragraph without a label.
int LabelRoomTw(const QTextBlockFormat& f);
// Lays the indents out again after the paragraph's numbering changed.
void RefreshIndents(QTextBlockFormat& f);

// ParaEffect bits: kept, and shown where the toolkit can (right to left, keep lines together,
// page break before).
void SetParaEffects(QTextBlockFormat& f, int effects);
int ParaEffects(const QTextBlockFormat& f);
// A paragraph's borders and shading: SetParaBorders and the others in Borders.h.

// Character properties beyond the toolkit's: each setter keeps the value (clearing it at its
// default) and sets what the toolkit can show of it.
void SetUnderlineType(QTextCharFormat& f, int kind);  // CFU_* kind, 0 none
int UnderlineType(const QTextCharFormat& f);
void SetHidden(QTextCharFormat& f, bool on);
void SetCaps(QTextCharFormat& f, bool all, bool small);
void SetCharOffset(QTextCharFormat& f, int tw);    // raised > 0, lowered < 0
void SetCharSpacing(QTextCharFormat& f, int tw);   // added after every character
void SetCharScale(QTextCharFormat& f, int percent);
// Sizes in twips move with the font size: called after it changed.
void RefreshCharOffset(QTextCharFormat& f);
void SetKeptCharProperties(QTextCharFormat& f, bool hidden, bool caps, bool scaps, bool outline, bool shadow,
                           int offsetTw, int spacingTw, int kerningTw, int scaleX, int lcid, bool rtl);

}  // namespace rtf
