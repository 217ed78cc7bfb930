#pragma once
// The red wavy line under words the dictionary does not know, drawn over the engine's text on
// screen only. Paragraphs are checked when they come into view, the visible ones at each paint;
// a paragraph's words are kept until its text or the dictionary changes, so a keystroke checks
// only the paragraph it changed.
#include <QList>
#include <QPainter>
#include <QTextBlock>
#include <functional>

#include "spell/SpellWords.h"

namespace engine {
class TRichEngine;
}
namespace spell {
class TSpeller;
}

namespace richtext {

class TqvSpellMarks {
 public:
  // Engine gives the current engine window (a control may make its window again).
  explicit TqvSpellMarks(std::function<engine::TRichEngine*()> Engine) : engine_(std::move(Engine)) {}

  // Draws the lines in Exposed (viewport pixels) with the speller, checking what it must.
  void Paint(QPainter& P, const QRect& Exposed, spell::TSpeller& Speller);
  // The unknown words of a paragraph, positions inside it.
  QList<spell::TWordSpan> MisspelledIn(const QTextBlock& Block, spell::TSpeller& Speller);
  // The unknown word holding document position Pos (or ending right at it); false if none.
  bool WordAt(int Pos, spell::TSpeller& Speller, spell::TWordSpan* Word);
  // Paragraphs checked since made (a keystroke should add one).
  int ParagraphsChecked() const { return checked_; }

 private:
  std::function<engine::TRichEngine*()> engine_;
  int checked_ = 0;
};

}  // namespace richtext
