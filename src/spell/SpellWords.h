#pragma once
// Which words of a text go to the dictionary: Russian words only. Latin names, numbers, words
// with digits, addresses and words in capitals are left alone.
#include <QList>
#include <QString>
#include <QStringView>

namespace spell {

struct TWordSpan {
  int Start = 0;
  int Length = 0;
  int End() const { return Start + Length; }
  friend bool operator==(const TWordSpan&, const TWordSpan&) = default;
};

// The words of Text to look up, in order. A hyphenated word ("светло-жёлтый") is one span.
QList<TWordSpan> WordsToCheck(QStringView Text);

// The parts of a hyphenated word, as spans inside it; one span for a plain word.
QList<TWordSpan> WordParts(QStringView Word);

// The word as the dictionary sees it: stress marks and soft hyphens dropped.
QString DictionaryForm(QStringView Word);

// Whether a character joins two letters into one word (hyphens, apostrophes).
bool IsWordJoiner(QChar C);

}  // namespace spell
