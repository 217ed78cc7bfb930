#include "richtext/qvspellmarks.h"

#include <QAbstractTextDocumentLayout>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>

#include "engine/RichEngine.h"
#include "spell/Speller.h"

namespace richtext {

namespace {

// Longer paragraphs are checked for the lines in view only, each time, without keeping words.
constexpr int kWholeParagraph = 8192;

// What a paragraph's check found, kept with the paragraph until its text or the speller changes.
struct TSpellBlockData : QTextBlockUserData {
  size_t TextHash = 0;
  const spell::TSpeller* Speller = nullptr;
  quint64 Generation = 0;
  QList<spell::TWordSpan> Words;
};

void DrawWave(QPainter& P, qreal X1, qreal X2, qreal Y) {
  if (X2 - X1 < 1) return;
  QPainterPath Path(QPointF(X1, Y));
  const qreal Step = 2;
  bool Up = true;
  for (qreal X = X1 + Step; X < X2 + Step; X += Step, Up = !Up) Path.lineTo(std::min(X, X2), Up ? Y - 1.5 : Y + 0.5);
  P.drawPath(Path);
}

// The checked slice of a long paragraph: its lines in [Top, Bottom) widened to whole words.
std::pair<int, int> VisibleSlice(const QTextBlock& B, qreal Top, qreal Bottom) {
  const QTextLayout* L = B.layout();
  int From = -1, To = -1;
  for (int I = 0; I < L->lineCount(); ++I) {
    const QTextLine Line = L->lineAt(I);
    if (Line.y() + Line.height() < Top || Line.y() > Bottom) continue;
    if (From < 0) From = Line.textStart();
    To = Line.textStart() + Line.textLength();
  }
  if (From < 0) return {0, 0};
  const QString Text = B.text();
  while (From > 0 && !Text[From - 1].isSpace()) --From;
  while (To < Text.size() && !Text[To].isSpace()) ++To;
  return {From, To};
}

}  // namespace

QList<spell::TWordSpan> TqvSpellMarks::MisspelledIn(const QTextBlock& Block, spell::TSpeller& Speller) {
  const QString Text = Block.text();
  const size_t Hash = qHash(Text);
  auto* Data = static_cast<TSpellBlockData*>(Block.userData());
  if (Data && Data->TextHash == Hash && Data->Speller == &Speller && Data->Generation == Speller.Generation())
    return Data->Words;
  if (!Data) {
    Data = new TSpellBlockData;
    QTextBlock(Block).setUserData(Data);
  }
  Data->TextHash = Hash;
  Data->Speller = &Speller;
  Data->Generation = Speller.Generation();
  Data->Words = Speller.Misspelled(Text);
  ++checked_;
  return Data->Words;
}

void TqvSpellMarks::Paint(QPainter& P, const QRect& Exposed, spell::TSpeller& Speller) {
  engine::TRichEngine* E = engine_();
  if (!E || !Speller.HasDictionary()) return;
  QTextDocument* Doc = E->document();
  QAbstractTextDocumentLayout* Layout = Doc->documentLayout();
  const QPointF Scroll(E->horizontalScrollBar()->value(), E->verticalScrollBar()->value());
  const QRectF Area = QRectF(Exposed).translated(Scroll);
  P.save();
  P.setRenderHint(QPainter::Antialiasing);
  P.setPen(QPen(QColor(220, 0, 0), 1));
  P.setClipRect(Exposed);
  P.translate(-Scroll);
  QTextBlock B = E->cursorForPosition(QPoint(0, Exposed.top())).block();
  // A table row's cells stand side by side: the paragraph at the left edge may not be the first.
  for (int Back = 0; Back < 64 && B.previous().isValid() &&
                     Layout->blockBoundingRect(B.previous()).bottom() >= Area.top();
       ++Back)
    B = B.previous();
  for (; B.isValid(); B = B.next()) {
    const QRectF R = Layout->blockBoundingRect(B);
    if (R.top() > Area.bottom()) {
      if (QTextCursor(B).currentTable() == nullptr) break;
      continue;
    }
    if (R.bottom() < Area.top() || !B.isVisible() || B.length() <= 1) continue;
    const QTextLayout* TL = B.layout();
    if (!TL) continue;
    const QPointF Origin = R.topLeft() - TL->boundingRect().topLeft();
    QList<spell::TWordSpan> Words;
    if (B.length() <= kWholeParagraph) {
      Words = MisspelledIn(B, Speller);
    } else {
      const auto [From, To] = VisibleSlice(B, Area.top() - Origin.y(), Area.bottom() - Origin.y());
      const QString Text = B.text();
      for (spell::TWordSpan W : Speller.Misspelled(QStringView(Text).mid(From, To - From))) {
        W.Start += From;
        Words.append(W);
      }
    }
    for (const spell::TWordSpan& W : Words)
      for (int I = 0; I < TL->lineCount(); ++I) {
        const QTextLine Line = TL->lineAt(I);
        const int LS = Line.textStart(), LE = LS + Line.textLength();
        const int From = std::max(W.Start, LS), To = std::min(W.End(), LE);
        if (From >= To) continue;
        const qreal Y = Origin.y() + Line.y() + Line.ascent() + std::max<qreal>(2, Line.descent() / 2);
        DrawWave(P, Origin.x() + Line.cursorToX(From), Origin.x() + Line.cursorToX(To), Y);
      }
  }
  P.restore();
}

bool TqvSpellMarks::WordAt(int Pos, spell::TSpeller& Speller, spell::TWordSpan* Word) {
  engine::TRichEngine* E = engine_();
  if (!E || !Speller.HasDictionary()) return false;
  const QTextBlock B = E->document()->findBlock(Pos);
  if (!B.isValid()) return false;
  const int InBlock = Pos - B.position();
  QList<spell::TWordSpan> Words;
  if (B.length() <= kWholeParagraph) {
    Words = MisspelledIn(B, Speller);
  } else {
    const QString Text = B.text();
    int From = InBlock, To = InBlock;
    while (From > 0 && !Text[From - 1].isSpace()) --From;
    while (To < Text.size() && !Text[To].isSpace()) ++To;
    for (spell::TWordSpan W : Speller.Misspelled(QStringView(Text).mid(From, To - From))) {
      W.Start += From;
      Words.append(W);
    }
  }
  for (const spell::TWordSpan& W : Words)
    if (W.Start <= InBlock && InBlock <= W.End()) {
      *Word = {B.position() + W.Start, W.Length};
      return true;
    }
  return false;
}

}  // namespace richtext
