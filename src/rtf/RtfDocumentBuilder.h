#pragma once
// The document side of the RTF reader: turns the reader's character and paragraph state into the
// document's formats and puts text, objects and paragraph ends in at a cursor, in runs.

#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <vector>

#include "rtf/RtfTables.h"
#include "rtf/TextModel.h"

class QTextList;

namespace rtf {

struct CharState {
  int font = -1;
  int fs = 24;  // half points
  bool bold = false, italic = false, underline = false, strike = false, prot = false;
  signed char vert = 0;  // 1 sub, 2 super
  int fg = 0, bg = 0;    // colour table entries, 0 = automatic
  int link = -1;         // index into the reader's link targets
  bool operator==(const CharState&) const = default;
};

struct ParaState {
  int align = kAlignLeft, li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
  bool slmult = false;
  QList<int> tabs;
  int numbering = 0, numStart = 1, numStyle = 0, numTab = 0;
  int ls = 0, ilvl = 0;
  bool operator==(const ParaState&) const = default;
};

// What the reader puts its content through: runs of text, objects and paragraph ends, with the
// rules that turn them into paragraphs (a run waits until its state changes, a paragraph mark is
// realised only when something follows it). Where the content goes is the derived class's: a
// document (DocumentBuilder) or only its plain text (TextBuilder); both follow the same rules, so
// the text is the same either way.
class ContentBuilder {
 public:
  virtual ~ContentBuilder() = default;

  // \deffN: the font of runs whose own font the table lacks.
  void SetDefaultFont(int font) { defaultFont_ = font; }
  int DefaultFont() const { return defaultFont_; }

  // Text in the given state; kept in a run until the state changes or something else comes.
  void Text(const QString& s, const CharState& ch, const ParaState& pa);
  // One object character (a picture or an embedded object) with its format.
  void Object(QTextCharFormat format, const CharState& ch, const ParaState& pa);
  void EndParagraph(const CharState& ch, const ParaState& pa);
  // \page: the next paragraph starts a page.
  void BreakPageBeforeNext() { pageBreakNext_ = true; }
  // \cell: a tab in front of the next text.
  void AddPendingTab() { ++pendingTabs_; }
  // The end of the input, with the state there (nullptr when no group was read).
  void Finish(const CharState* ch, const ParaState* pa);

  virtual const QTextCharFormat& CharFormat(const CharState& ch) = 0;

 protected:
  explicit ContentBuilder(bool startedEmpty) : startedEmpty_(startedEmpty) {}

  // Where the content goes. A run arrives with its line breaks as U+2028 and without unwanted
  // characters.
  virtual void PutRun(const QString& run, const CharState& ch) = 0;
  virtual void PutObject(const QTextCharFormat& format) = 0;
  virtual void PutParagraphBreak(const CharState& ch, const ParaState& pa, bool pageBreak) = 0;
  virtual void FormatParagraph(const ParaState& pa) = 0;
  // Nothing of the old content follows the insertion point.
  virtual bool AtEnd() const = 0;

 private:
  void FlushRun();
  void RealizePendingPar(const CharState& ch, const ParaState& pa);

  int defaultFont_ = -1;
  QString run_;
  CharState runState_;
  bool runHasState_ = false;
  bool pendingPar_ = false;
  bool pageBreakNext_ = false;
  int pendingTabs_ = 0;
  bool blockTouched_ = false;
  bool insertedBlock_ = false;
  bool startedEmpty_ = false;
};

// Puts the content into a document at a cursor, with its formats.
class DocumentBuilder : public ContentBuilder {
 public:
  DocumentBuilder(QTextCursor& cursor, const FontTable& fonts, const ColorTable& colors,
                  const ListTables& lists, const std::vector<QString>& links);

  const QTextCharFormat& CharFormat(const CharState& ch) override;

 protected:
  void PutRun(const QString& run, const CharState& ch) override;
  void PutObject(const QTextCharFormat& format) override;
  void PutParagraphBreak(const CharState& ch, const ParaState& pa, bool pageBreak) override;
  void FormatParagraph(const ParaState& pa) override;
  bool AtEnd() const override { return cur_.atEnd(); }

 private:
  QTextBlockFormat BlockFormat(const ParaState& pa);

  QTextCursor& cur_;
  const FontTable& fonts_;
  const ColorTable& colors_;
  const ListTables& lists_;
  const std::vector<QString>& links_;

  CharState lastFmtState_;
  QTextCharFormat lastFmt_;
  bool haveLastFmt_ = false;
  ParaState lastBlockState_;
  QTextBlockFormat lastBlockFmt_;
  bool haveLastBlockFmt_ = false;

  QTextList* list_ = nullptr;
  int listKind_ = 0;
  int listBlock_ = -1;
};

// Keeps only the plain text of a whole document, as PlainText() gives it for the document
// DocumentBuilder would build: paragraphs end with CR LF (none after the last), a line break is a
// CR, an object one space. Nothing is laid out or even stored as a document, so a long text
// converts in one pass.
class TextBuilder : public ContentBuilder {
 public:
  explicit TextBuilder(QString& out) : ContentBuilder(true), out_(out) {}

  const QTextCharFormat& CharFormat(const CharState&) override { return noFormat_; }

 protected:
  void PutRun(const QString& run, const CharState& ch) override;
  void PutObject(const QTextCharFormat&) override { out_.append(u' '); }
  void PutParagraphBreak(const CharState&, const ParaState&, bool) override { out_.append(QLatin1String("\r\n")); }
  void FormatParagraph(const ParaState&) override {}
  bool AtEnd() const override { return true; }

 private:
  QString& out_;
  QTextCharFormat noFormat_;
};

}  // namespace rtf
