#include "spell/SpellWords.h"

namespace spell {

namespace {

constexpr char16_t kStress = 0x0301;      // combining acute accent, the stress mark
constexpr char16_t kSoftHyphen = 0x00AD;

bool IsCyrillic(QChar C) { return C.script() == QChar::Script_Cyrillic; }

bool IsHyphen(QChar C) { return C == u'-' || C == QChar(0x2010) || C == QChar(0x2011); }

// Letters, digits and the marks that sit inside a word.
bool IsWordChar(QChar C) {
  return C.isLetterOrNumber() || C.category() == QChar::Mark_NonSpacing || C == QChar(kSoftHyphen);
}

// A whitespace-separated chunk that is an address: its words are not words of the language.
bool IsAddress(QStringView Chunk) {
  if (Chunk.contains(u"://")) return true;
  if (Chunk.startsWith(u"www.", Qt::CaseInsensitive) || Chunk.startsWith(u"mailto:", Qt::CaseInsensitive))
    return true;
  const qsizetype At = Chunk.indexOf(u'@');
  return At > 0 && Chunk.indexOf(u'.', At) > At + 1;
}

bool ShouldCheck(QStringView Word) {
  bool Cyrillic = false, Lower = false;
  int Letters = 0;
  for (QChar C : Word) {
    if (C.isDigit()) return false;
    if (!C.isLetter()) continue;
    ++Letters;
    if (IsCyrillic(C)) Cyrillic = true;
    if (C.isLower()) Lower = true;
  }
  // Latin or other scripts are names and terms of science; capitals are abbreviations.
  if (!Cyrillic) return false;
  return Lower || Letters < 2;
}

}  // namespace

bool IsWordJoiner(QChar C) { return IsHyphen(C) || C == u'\'' || C == QChar(0x2019); }

QList<TWordSpan> WordsToCheck(QStringView Text) {
  QList<TWordSpan> Out;
  const int N = int(Text.size());
  int I = 0;
  while (I < N) {
    while (I < N && Text[I].isSpace()) ++I;
    int ChunkEnd = I;
    while (ChunkEnd < N && !Text[ChunkEnd].isSpace()) ++ChunkEnd;
    if (IsAddress(Text.mid(I, ChunkEnd - I))) {
      I = ChunkEnd;
      continue;
    }
    while (I < ChunkEnd) {
      if (!IsWordChar(Text[I])) {
        ++I;
        continue;
      }
      const int Start = I;
      while (I < ChunkEnd) {
        if (IsWordChar(Text[I])) {
          ++I;
        } else if (IsWordJoiner(Text[I]) && I + 1 < ChunkEnd && IsWordChar(Text[I + 1]) && I > Start) {
          ++I;
        } else {
          break;
        }
      }
      const QStringView Word = Text.mid(Start, I - Start);
      if (ShouldCheck(Word)) Out.append({Start, I - Start});
    }
  }
  return Out;
}

QList<TWordSpan> WordParts(QStringView Word) {
  QList<TWordSpan> Parts;
  int Start = 0;
  for (int I = 0; I <= int(Word.size()); ++I) {
    if (I < int(Word.size()) && !IsHyphen(Word[I])) continue;
    if (I > Start) Parts.append({Start, I - Start});
    Start = I + 1;
  }
  return Parts;
}

QString DictionaryForm(QStringView Word) {
  QString Out;
  Out.reserve(Word.size());
  for (QChar C : Word) {
    if (C == QChar(kStress) || C == QChar(kSoftHyphen)) continue;
    Out.append(C == QChar(0x2019) ? QChar(u'\'') : C);
  }
  return Out;
}

}  // namespace spell
