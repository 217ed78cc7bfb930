#pragma once
// The plain-text side of the RTF reader: keeps only the text PlainText() gives for the document
// DocumentBuilder would build, in one pass and without a document, so that a long definition
// converts for the search index or `termora-rtf text` in time and memory near its size.

#include <QString>
#include <QTextCharFormat>

#include "rtf/RtfDocumentBuilder.h"

namespace rtf {

// Follows DocumentBuilder's rules for runs and paragraphs: paragraphs end with CR LF (none after
// the last), a line break is a CR, an object one space, a footnote's mark is its number, a text
// box's text a paragraph of its own; page breaks, lists and hidden text change only formats.
// Tables are the one thing it does not follow: their cells are cut and merged after the table
// is read, so the first sign of one sets NeedsDocument() and the text read is to be thrown away.
class TextBuilder : public ContentBuilder {
 public:
  explicit TextBuilder(QString& out) : out_(out) {}

  // The input holds a table: only a document gives its text.
  bool NeedsDocument() const { return needsDocument_; }

  void SetDefaultFont(int font) override { defaultFont_ = font; }
  int DefaultFont() const override { return defaultFont_; }

  void Text(const QString& s, const CharState& ch, const ParaState& pa) override;
  void Object(QTextCharFormat, const CharState&, const ParaState& pa) override;
  void EndParagraph(const CharState& ch, const ParaState& pa) override;
  void BreakPageBeforeNext() override {}
  void EndCell(int, const CharState&, const ParaState&) override { needsDocument_ = true; }
  // No table is ever open here, and a row no cell came before is nothing in a document either.
  void EndRow(int, const RowDef&) override {}
  void BreakParagraph(const CharState& ch, const ParaState& pa) override;
  int Position() override;
  void MarkRange(int, int, const QTextCharFormat&) override { FlushRun(); }
  void Finish(const CharState*, const ParaState*) override { FlushRun(); }

  const QTextCharFormat& CharFormat(const CharState&) override { return noFormat_; }

 private:
  // False (and the text given up) where the document builder would open a table.
  bool Follows(const ParaState& pa);
  void FlushRun();
  void RealizePendingPar();

  QString& out_;
  QTextCharFormat noFormat_;
  int defaultFont_ = -1;
  QString run_;
  CharState runState_;
  bool runHasState_ = false;
  bool pendingPar_ = false;
  bool blockTouched_ = false;
  bool needsDocument_ = false;
  int position_ = 0;  // where the document's cursor would be
};

}  // namespace rtf
