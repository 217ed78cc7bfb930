#pragma once
// The engine's document: the text and what the engine's messages do to it that needs no view —
// ranges of text, protection, character and paragraph formats with their masks, numbering, find
// and formatting a range onto a device. The engine window (TRichEngine) is one view over it;
// printing, find and a ruler can work on a TRichDocument alone.
//
// Positions count characters from 0; a paragraph break counts as one character. Lengths are twips.

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

#include "base/ScopeGuard.h"
#include "engine/RichEditTypes.h"

class QPainter;
class QPalette;

namespace engine {

class TRichDocument {
 public:
  // Works on `doc`, which it does not own; registers the drawing of embedded objects on it.
  explicit TRichDocument(QTextDocument* doc);
  ~TRichDocument();
  TRichDocument(const TRichDocument&) = delete;
  TRichDocument& operator=(const TRichDocument&) = delete;

  QTextDocument* Document() const { return doc_; }

  // ---- text ----
  int TextLength() const { return doc_->characterCount() - 1; }
  // The engine's text: a paragraph break shows as CR and a line break inside a paragraph as VT,
  // one character per position.
  QString Text() const;
  QString GetTextRange(int cpMin, int cpMax) const;
  // A cursor over [cpMin, cpMax) clamped to the text; 0 and -1 select everything.
  QTextCursor CursorFor(int cpMin, int cpMax) const;
  static bool IsObjectChar(QChar c) { return c == QChar::ObjectReplacementCharacter; }
  // Replaces everything with plain text in the typing default; CR, LF and CR LF end paragraphs.
  void SetPlainText(const QString& text);

  // True when changing [from, to) would change protected text; an empty range is inside a
  // protected run when the characters on both sides are protected.
  bool RangeHasProtected(int from, int to) const;

  // ---- character formats ----
  // The typing default: the format new text in an empty document takes.
  const QTextCharFormat& DefaultFormat() const { return defaultFormat_; }
  void DescribeDefault(CHARFORMAT2& full) const;
  void Describe(const QTextCharFormat& f, CHARFORMAT2& full) const;
  // The format of a non-empty range; returns the mask of the fields that are the same throughout.
  DWORD DescribeRange(int from, int to, CHARFORMAT2& full) const;
  // Hands a full record out as the caller's record (version 1 or 2) with the given mask;
  // automatic colours read as the colours they show in.
  static void CopyOut(CHARFORMAT2 full, DWORD mask, CHARFORMAT& cf, bool v2, const QPalette& pal);
  // Applies the named fields of cf to a format.
  static void Apply(QTextCharFormat& f, const CHARFORMAT& cf, bool v2);
  void ApplyToRange(int from, int to, const CHARFORMAT& cf, bool v2);
  // The typing default takes the named fields; with `documentFont` the document's font and an
  // empty document's paragraph mark take them too.
  void ApplyToDefault(const CHARFORMAT& cf, bool v2, bool documentFont);

  // ---- paragraph formats ----
  // The paragraphs from the one holding `from` to the one holding `to`.
  void GetParaFormat(int from, int to, PARAFORMAT& pf, bool v2) const;
  void SetParaFormat(int from, int to, const PARAFORMAT& pf, bool v2);
  DWORD TypographyOptions() const { return typography_; }
  void SetTypographyOptions(DWORD values, DWORD mask);
  // Justified paragraphs show justified only while advanced typography is on.
  void ApplyJustification();
  // Paragraphs whose list the toolkit changed (a list pasted as HTML, a key that ends a list)
  // take the numbering and indent the list shows, so that what is shown is what is written.
  void SyncNumbering(int from, int to);
  // Numbered paragraphs leave room for their bullet or number at the first-line indent and start
  // the first line's text after it; the labels themselves are drawn by DrawDecorations, which
  // the engine calls on screen and on paper after the text.
  void ShowNumbering(int from, int to);
  // True while a format change is under way: the document changes, the text does not.
  bool InFormatChange() const { return inFormatChange_; }
  // Marks a format change made by a view (the caret's format) for as long as it lives.
  [[nodiscard]] base::ValueRestorer<bool> FormatChange() { return {inFormatChange_, true}; }

  // ---- find ----
  LONG FindText(DWORD flags, FINDTEXTEX& ft) const;

  // ---- formatting onto a device (printing) ----
  // Lays [chrg) out at the width of fr->rc, draws what fits its height when `render`, and
  // returns the first character that did not fit. The layout is kept until the text changes or
  // ReleaseFormatCache is called twice in a row (once only sets it aside for the next range).
  LONG FormatRange(bool render, const FORMATRANGE& fr);
  void ReleaseFormatCache();

  // ---- what the toolkit's layout does not draw ----
  // Draws list labels, paragraph borders and tab leaders of `doc` (this document or a copy of
  // it laid out for printing) where they meet `clip`, in document coordinates.
  static void DrawDecorations(QTextDocument* doc, QPainter* p, const QRectF& clip, const QPalette& pal);
  // Hidden text takes no room and is not drawn: the layout of the blocks in [from, to] gets
  // its formats for that. True when the document has hidden text at all.
  static bool LayOutHiddenText(QTextDocument* doc, int from, int to);

 private:
  // The text laid out at a page's width, for FormatRange.
  struct FormatCache {
    std::unique_ptr<QTextDocument> doc;
    int widthTw = -1;
    int lastEnd = -1;  // where the last page ended, to count pages for page fields
    int page = 0;
  };

  void OnContentsChange(int pos, int added);
  // With `join`, the changes join the edit before; otherwise they are part of c's open edit.
  bool ShowNumbering(QTextCursor& c, int from, int to, bool join);

  QTextDocument* doc_;
  bool hiddenSeen_ = false;
  bool layingOutHidden_ = false;
  QTextCharFormat defaultFormat_;
  DWORD typography_ = 0;
  bool inFormatChange_ = false;
  std::unique_ptr<FormatCache> formatCache_;
  std::unique_ptr<FormatCache> spareCache_;  // released once, taken up again by the next range
  QMetaObject::Connection cacheReset_;
};

}  // namespace engine
