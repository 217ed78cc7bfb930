#pragma once
// Paragraph numbering: the kinds a paragraph's kNumbering holds, the toolkit list style each one
// shows as, the RTF list level formats they come from, and the label of a numbered paragraph.
// Every layer that maps between these asks here, so the maps cannot drift apart.

#include <QString>
#include <QTextBlockFormat>
#include <QTextListFormat>

namespace rtf {

// The kinds of kNumbering (TextModel.h), in the order the engine's PFN_* values number them.
enum NumberingKind : int {
  kNoNumbering = 0,
  kBulletNumbering = 1,
  kArabicNumbering = 2,
  kLowerLetterNumbering = 3,
  kUpperLetterNumbering = 4,
  kLowerRomanNumbering = 5,
  kUpperRomanNumbering = 6,
};

// How the number stands in its label (kNumberingStyle): "3)", "(3)", "3." or "3".
constexpr int kNumberParen = 0x000;
constexpr int kNumberParens = 0x100;
constexpr int kNumberPeriod = 0x200;
constexpr int kNumberPlain = 0x300;
constexpr int kNumberStyleMask = 0xF00;

// The list style a numbering kind shows as; anything unknown counts as arabic.
QTextListFormat::Style ListStyleOf(int numbering);
// The numbering kind of a list style (bullets of any shape are bullets; unknown styles arabic).
int NumberingOfListStyle(QTextListFormat::Style style);
// The numbering kind of an RTF list level's \levelnfc (255: none; unknown: arabic).
int NumberingOfLevelNfc(int nfc);

// The label of the number-th paragraph of a list of the given kind and style: a bullet, or the
// number ("3", "c", "C", "iii", "III") framed as the style says.
QString ListLabel(int numbering, int number, int style = kNumberPeriod);

// The numbering style the text around an old-style number gives: "(" and ")", ")", nothing,
// or anything else (a period).
int NumberStyleOfText(const QString& before, const QString& after);

// The numbering style of a paragraph format ("1." when it has none).
int NumberingStyle(const QTextBlockFormat& f);

}  // namespace rtf
