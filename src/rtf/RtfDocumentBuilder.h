#pragma once
// The document side of the RTF reader: turns the reader's character and paragraph state into the
// document's formats and puts text, objects and paragraph ends in at a cursor, in runs.

#include <QPointer>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <unordered_map>
#include <vector>

#include "rtf/Borders.h"
#include "rtf/Lists.h"
#include "rtf/RtfTables.h"
#include "rtf/TableModel.h"
#include "rtf/TextModel.h"

class QTextList;
class QTextTable;

namespace rtf {

struct CharState {
  int font = -1;
  int fs = 24;  // half points
  bool bold = false, italic = false, strike = false, prot = false;
  int ul = 0;            // the kind of underline (kUnderlineType), 0 none
  signed char vert = 0;  // 1 sub, 2 super
  int fg = 0, bg = 0;    // colour table entries, 0 = automatic
  int link = -1;         // index into the reader's link targets
  bool hidden = false, caps = false, scaps = false, outl = false, shad = false, rtl = false;
  int up = 0;            // half points raised (> 0) or lowered
  int expndtw = 0, kerning = 0, scalex = 100, lang = 0;
  int field = -1;        // index into the reader's field instructions: a field's result
  // Fonts by script: \dbch makes \fN and \afN name the East Asian font; \afN in right-to-left
  // text names the complex script font. The text's bytes go through the last font named.
  int eaFont = -1, csFont = -1, codeFont = -1;
  signed char charType = 0;  // 0 \loch, 1 \hich, 2 \dbch
  bool operator==(const CharState&) const = default;
};

struct ParaState {
  int align = kAlignLeft, li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
  bool slmult = false;
  QList<int> tabs;
  QList<int> tabKinds;             // beside tabs: kind | leader << 4
  int tabKind = 0, tabLeader = 0;  // for the next \tx
  int numbering = 0, numStart = 1, numStyle = 0, numTab = 0;
  int ls = 0, ilvl = 0;
  int effects = 0;  // ParaEffect bits
  ParaBorders borders;
  Shading shading;
  bool intbl = false;
  int itap = 1;
  QByteArray frame;  // the words of a positioned frame (\posx, \absw ...) as read
  bool operator==(const ParaState&) const = default;
  // The nesting level of table the paragraph is in, 0 for none.
  int TableLevel() const;
};

// Tables nested deeper than this are read as the deepest one.
constexpr int kMaxTableDepth = 8;
// The most cells a table row holds; the text of further cells goes on in the last one, a
// paragraph each. Word processors write far fewer, and every new column makes the table rebuild
// its grid, so a row of tens of thousands of cells would take minutes to read.
constexpr int kMaxTableColumns = 512;
// Rows likewise: a table of more rows goes on as a table of its own after an empty paragraph.
constexpr int kMaxTableRows = 1000;
// A cell's right edge is read up to this many twips.
constexpr int kMaxCellEdgeTw = 63360;

// True for the first paragraph of the text, of a cell or of the text after a table.
bool FirstInItsFrame(const QTextBlock& block);
// The empty paragraph a document needs before a table that nothing else stands before: it takes
// no room and is not written.
void MarkStructural(QTextBlockFormat& f);

// What the reader puts the body's content through: a document (DocumentBuilder) or only its
// plain text (TextBuilder, RtfTextBuilder.h).
class ContentBuilder {
 public:
  virtual ~ContentBuilder() = default;

  // \deffN: the font of runs whose own font the table lacks.
  virtual void SetDefaultFont(int font) = 0;
  virtual int DefaultFont() const = 0;

  // Text in the given state; kept in a run until the state changes or something else comes.
  virtual void Text(const QString& s, const CharState& ch, const ParaState& pa) = 0;
  // One object character (a picture or an embedded object) with its format.
  virtual void Object(QTextCharFormat format, const CharState& ch, const ParaState& pa) = 0;
  virtual void EndParagraph(const CharState& ch, const ParaState& pa) = 0;
  // \page: the next paragraph starts a page.
  virtual void BreakPageBeforeNext() = 0;
  // \cell or \nestcell: the cell of a table at `level` ends; what follows goes into the next.
  virtual void EndCell(int level, const CharState& ch, const ParaState& pa) = 0;
  // \row or \nestrow: the row of the table at `level` ends, with this definition.
  virtual void EndRow(int level, const RowDef& def) = 0;
  // Text from an old drawing object's text box: a paragraph of its own.
  virtual void BreakParagraph(const CharState& ch, const ParaState& pa) = 0;
  // The document position after everything put in so far.
  virtual int Position() = 0;
  // Gives the characters [from, to) the char format properties of `props` (a footnote's body on
  // its mark).
  virtual void MarkRange(int from, int to, const QTextCharFormat& props) = 0;
  // The end of the input, with the state there (nullptr when no group was read).
  virtual void Finish(const CharState* ch, const ParaState* pa) = 0;

  virtual const QTextCharFormat& CharFormat(const CharState& ch) = 0;
};

class DocumentBuilder : public ContentBuilder {
 public:
  DocumentBuilder(QTextCursor& cursor, const FontTable& fonts, const ColorTable& colors,
                  const ListTables& lists, const std::vector<QString>& links,
                  const std::vector<QString>& fields);

  void SetDefaultFont(int font) override { defaultFont_ = font; }
  int DefaultFont() const override { return defaultFont_; }

  void Text(const QString& s, const CharState& ch, const ParaState& pa) override;
  void Object(QTextCharFormat format, const CharState& ch, const ParaState& pa) override;
  void EndParagraph(const CharState& ch, const ParaState& pa) override;
  void BreakPageBeforeNext() override { pageBreakNext_ = true; }
  void EndCell(int level, const CharState& ch, const ParaState& pa) override;
  void EndRow(int level, const RowDef& def) override;
  // The row definitions the reader holds, one per nesting level: a table that ends without its
  // last \row takes its last row's from here.
  void SetRowDefinitions(const std::vector<RowDef>* defs) { rowDefs_ = defs; }
  void BreakParagraph(const CharState& ch, const ParaState& pa) override;
  int Position() override;
  void MarkRange(int from, int to, const QTextCharFormat& props) override;
  void Finish(const CharState* ch, const ParaState* pa) override;

  const QTextCharFormat& CharFormat(const CharState& ch) override;

 private:
  struct OpenTable {
    QTextTable* table = nullptr;
    int level = 1;
    int row = 0, col = 0;
    bool cellEnded = false;  // the next content goes into the next cell
    bool rowEnded = false;   // the next content starts a row
    int cellsThisRow = 0;
    std::vector<RowDef> rows;  // the definition each ended row had
    std::vector<int> cellCounts;  // the cells each ended row had
  };

  void FlushRun();
  void RealizePendingPar(const CharState& ch, const ParaState& pa);
  void ApplyBlockFormat(const ParaState& pa);
  QTextBlockFormat BlockFormat(const ParaState& pa);
  // Opens and closes tables until the cursor is in a cell of a table at `level` (none for 0),
  // moving on to the next cell or row where one ended.
  void SyncTables(int level, const CharState& ch, const ParaState& pa);
  void OpenTableHere(const CharState& ch, const ParaState& pa);
  void Advance(OpenTable& t);
  void CloseTable();
  void FinishTable(OpenTable& t);
  QTextList* ListFor(int ls, int level, int numbering, const QTextBlockFormat& bf);

  QTextCursor& cur_;
  int afterTable_ = -1;  // where the paragraph after the table closed last starts
  const FontTable& fonts_;
  const ColorTable& colors_;
  const ListTables& lists_;
  const std::vector<QString>& links_;
  const std::vector<QString>& fields_;
  const std::vector<RowDef>* rowDefs_ = nullptr;
  int defaultFont_ = -1;

  QString run_;
  CharState runState_;
  bool runHasState_ = false;
  CharState lastFmtState_;
  QTextCharFormat lastFmt_;
  bool haveLastFmt_ = false;
  ParaState lastBlockState_;
  QTextBlockFormat lastBlockFmt_;
  bool haveLastBlockFmt_ = false;

  bool pendingPar_ = false;
  int paraStart_ = 0;  // where the paragraph being read started
  bool freshFrame_ = false;  // nothing is before it in the text, its cell or after its table
  bool pageBreakNext_ = false;
  int pendingTabs_ = 0;
  bool blockTouched_ = false;
  bool insertedBlock_ = false;
  bool startedEmpty_ = false;
  // Lists go away with their last paragraph (a later paragraph of the same read may take it out).
  QPointer<QTextList> list_;
  int listKind_ = 0;
  int listBlock_ = -1;
  std::vector<OpenTable> tables_;
  // The lists of \ls paragraphs, one per list and level.
  std::unordered_map<long long, QPointer<QTextList>> levelLists_;
};

}  // namespace rtf
