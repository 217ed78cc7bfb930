#include "rtf/RtfDocumentBuilder.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>

#include "rtf/Numbering.h"
#include "rtf/PlainText.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace rtf {

int ParaState::TableLevel() const { return intbl ? std::clamp(itap, 1, kMaxTableDepth) : 0; }

DocumentBuilder::DocumentBuilder(QTextCursor& cursor, const FontTable& fonts, const ColorTable& colors,
                                 const ListTables& lists, const std::vector<QString>& links,
                                 const std::vector<QString>& fields)
    : cur_(cursor), fonts_(fonts), colors_(colors), lists_(lists), links_(links), fields_(fields) {
  startedEmpty_ = cur_.block().length() <= 1;
  paraStart_ = cur_.position();
  freshFrame_ = startedEmpty_ && FirstInItsFrame(cur_.block());
}

void DocumentBuilder::Text(const QString& s, const CharState& ch, const ParaState& pa) {
  // Text that comes to nothing (control characters) neither starts a paragraph nor marks one as
  // written to.
  if (IsDroppedText(s)) return;
  SyncTables(pa.TableLevel(), ch, pa);
  if (pendingPar_ || (runHasState_ && !(runState_ == ch))) FlushRun();
  RealizePendingPar(ch, pa);
  if (!runHasState_) {
    runState_ = ch;
    runHasState_ = true;
  }
  if (pendingTabs_ > 0) {
    run_.append(QString(pendingTabs_, u'\t'));
    pendingTabs_ = 0;
  }
  run_.append(s);
  blockTouched_ = true;
}

void DocumentBuilder::FlushRun() {
  if (!run_.isEmpty()) {
    bool clean = true;
    for (QChar c : std::as_const(run_))
      if (IsUnwantedChar(c.unicode())) {
        clean = false;
        break;
      }
    if (!clean) {
      // A CR or LF byte that arrived as text (\'0d, \'0a) breaks the line; other controls go.
      QString filtered;
      filtered.reserve(run_.size());
      for (qsizetype i = 0; i < run_.size(); ++i) {
        const char16_t c = run_[i].unicode();
        if (c == '\r' || c == '\v' || (c == '\n' && (i == 0 || run_[i - 1] != u'\r')))
          filtered.append(QChar::LineSeparator);
        else if (!IsUnwantedChar(c))
          filtered.append(QChar(c));
      }
      run_ = filtered;
    }
    if (!run_.isEmpty()) cur_.insertText(run_, CharFormat(runState_));
    run_.clear();
  }
  runHasState_ = false;
}

void DocumentBuilder::Object(QTextCharFormat fmt, const CharState& ch, const ParaState& pa) {
  SyncTables(pa.TableLevel(), ch, pa);
  FlushRun();
  RealizePendingPar(ch, pa);
  if (fmt.objectType() != kFieldObjectType) fmt.setObjectType(kEmbeddedObjectType);
  cur_.insertText(QString(QChar::ObjectReplacementCharacter), fmt);
  blockTouched_ = true;
}

void DocumentBuilder::RealizePendingPar(const CharState& ch, const ParaState& pa) {
  if (!pendingPar_) return;
  pendingPar_ = false;
  QTextBlockFormat bf = BlockFormat(pa);
  if (pageBreakNext_) {
    bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakNext_ = false;
  }
  cur_.insertBlock(bf, CharFormat(ch));
  insertedBlock_ = true;
  blockTouched_ = false;
  paraStart_ = cur_.position();
  freshFrame_ = false;
}

void DocumentBuilder::EndParagraph(const CharState& ch, const ParaState& pa) {
  SyncTables(pa.TableLevel(), ch, pa);
  FlushRun();
  RealizePendingPar(ch, pa);
  pendingTabs_ = 0;
  ApplyBlockFormat(pa);
  pendingPar_ = true;
}

void DocumentBuilder::BreakParagraph(const CharState& ch, const ParaState& pa) {
  FlushRun();
  if (blockTouched_ && !pendingPar_) EndParagraph(ch, pa);
}

int DocumentBuilder::Position() {
  FlushRun();
  return cur_.position();
}

void DocumentBuilder::MarkRange(int from, int to, const QTextCharFormat& props) {
  FlushRun();
  if (from >= to) return;
  QTextCursor c(cur_.document());
  c.setPosition(from);
  c.setPosition(to, QTextCursor::KeepAnchor);
  c.mergeCharFormat(props);
}

void DocumentBuilder::Finish(const CharState* ch, const ParaState* pa) {
  FlushRun();
  while (!tables_.empty()) CloseTable();
  if (pendingPar_) {
    // The last paragraph mark of a document is its final paragraph; only a paste into the
    // middle of a text keeps it as a break.
    if (!cur_.atEnd()) {
      RealizePendingPar(*ch, *pa);
      ApplyBlockFormat(*pa);
    }
    pendingPar_ = false;
  } else if (blockTouched_ && (insertedBlock_ || startedEmpty_) && pa) {
    ApplyBlockFormat(*pa);
  }
}


const QTextCharFormat& DocumentBuilder::CharFormat(const CharState& ch) {
  if (haveLastFmt_ && lastFmtState_ == ch) return lastFmt_;
  QTextCharFormat f;
  if (const RtfFont* font = fonts_.Find(ch.font, defaultFont_)) {
    if (!font->name.isEmpty()) f.setFontFamilies(QStringList{font->name});
    f.setProperty(kCharset, font->charset >= 0 ? font->charset : 1);
    f.setProperty(kPitchAndFamily, font->pitchFamily);
  }
  const std::pair<int, std::pair<int, int>> byScript[] = {{ch.eaFont, {kEastAsianFont, kEastAsianCharset}},
                                                          {ch.csFont, {kAssocFont, kAssocCharset}}};
  for (const auto& [index, props] : byScript)
    if (const RtfFont* font = index >= 0 ? fonts_.Find(index, -1) : nullptr; font && !font->name.isEmpty()) {
      f.setProperty(props.first, font->name);
      f.setProperty(props.second, font->charset >= 0 ? font->charset : 1);
    }
  f.setFontPointSize(ch.fs / 2.0);
  if (ch.bold) f.setFontWeight(QFont::Bold);
  if (ch.italic) f.setFontItalic(true);
  if (ch.ul) SetUnderlineType(f, ch.ul);
  if (ch.strike) f.setFontStrikeOut(true);
  if (ch.vert == 1) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  if (ch.vert == 2) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (const QColor* c = colors_.Find(ch.fg)) f.setForeground(*c);
  if (const QColor* c = colors_.Find(ch.bg)) f.setBackground(*c);
  if (ch.prot) f.setProperty(kProtected, true);
  if (ch.link >= 0 && ch.link < int(links_.size())) {
    f.setAnchor(true);
    f.setAnchorHref(links_[size_t(ch.link)]);
    f.setProperty(kLink, true);
  }
  if (ch.field >= 0 && ch.field < int(fields_.size())) {
    f.setProperty(kFieldInst, fields_[size_t(ch.field)]);
    f.setProperty(kFieldId, ch.field);
  }
  SetKeptCharProperties(f, ch.hidden, ch.caps, ch.scaps, ch.outl, ch.shad, ch.up * 10, ch.expndtw,
                        ch.kerning * 10, ch.scalex, ch.lang, ch.rtl);
  lastFmtState_ = ch;
  lastFmt_ = f;
  haveLastFmt_ = true;
  return lastFmt_;
}

QTextBlockFormat DocumentBuilder::BlockFormat(const ParaState& pa) {
  if (haveLastBlockFmt_ && lastBlockState_ == pa) return lastBlockFmt_;
  QTextBlockFormat f;
  SetAlignment(f, pa.align);
  int rule = 0, value = 0;
  if (pa.sl != 0) {
    if (pa.slmult && pa.sl > 0) {
      // Kept in twentieths of a line; a value that rounds to single, one and a half or double
      // spacing is that rule, so what we write reads back as the same rule.
      const int lines20 = qRound(pa.sl / 12.0);
      if (lines20 == 20) rule = 0;
      else if (lines20 == 30) rule = 1;
      else if (lines20 == 40) rule = 2;
      else {
        rule = 5;
        value = lines20;
      }
    } else if (pa.sl > 0) {
      rule = 3;
      value = pa.sl;
    } else {
      rule = 4;
      value = pa.sl == INT_MIN ? INT_MAX : -pa.sl;
    }
  }
  SetLineSpacing(f, rule, value);
  if (!pa.tabs.isEmpty()) SetTabStops(f, pa.tabs, pa.tabKinds);
  SetSpaceBefore(f, pa.sb);
  SetSpaceAfter(f, pa.sa);
  int numbering = pa.numbering, start = pa.numStart, style = pa.numStyle;
  const ListDefinition* def = pa.ls > 0 ? lists_.Definition(pa.ls) : nullptr;
  if (def) {
    const ListLevelDef* lv = def->Level(pa.ilvl);
    numbering = NumberingOfLevel(*lv);
    start = lv->start;
    style = NumberStyleOfLabel(lv->text);
    if (numbering != kNoNumbering) {
      f.setProperty(kListId, pa.ls);
      f.setProperty(kListLevel, std::clamp(pa.ilvl, 0, int(def->levels.size()) - 1));
    }
  }
  if (numbering > kNoNumbering) {
    f.setProperty(kNumbering, numbering);
    f.setProperty(kNumberingStart, start);
    f.setProperty(kNumberingStyle, style);
    f.setProperty(kNumberingTabTw, pa.numTab);
  }
  // Numbered paragraphs show their label in the first line's indent: set after the numbering.
  SetIndents(f, pa.li + pa.fi, pa.ri, -pa.fi);
  SetParaEffects(f, pa.effects);
  if (pa.borders.Any()) SetParaBorders(f, pa.borders);
  if (pa.shading.Any()) SetParaShading(f, pa.shading);
  lastBlockState_ = pa;
  if (!pa.frame.isEmpty()) f.setProperty(kParagraphExtra, pa.frame);
  lastBlockFmt_ = f;
  haveLastBlockFmt_ = true;
  return f;
}

QTextList* DocumentBuilder::ListFor(int ls, int level, int numbering, const QTextBlockFormat& bf) {
  const long long key = (static_cast<long long>(ls) << 8) | level;
  auto it = levelLists_.find(key);
  if (it != levelLists_.end() && it->second) return it->second;
  QTextListFormat lf;
  lf.setStyle(QTextListFormat::ListStyleUndefined);
  lf.setIndent(0);
  lf.setProperty(kNumbering, numbering);
  if (const ListDefinition* def = lists_.Definition(ls)) lf.setProperty(kListDefinition, def->Save());
  lf.setProperty(kListId, ls);
  lf.setProperty(kListLevel, level);
  Q_UNUSED(bf);
  QTextList* list = cur_.createList(lf);
  levelLists_[key] = list;
  return list;
}

void DocumentBuilder::ApplyBlockFormat(const ParaState& pa) {
  QTextBlockFormat bf = BlockFormat(pa);
  QTextBlock block = cur_.block();
  const QTextBlockFormat old = block.blockFormat();
  if (old.pageBreakPolicy() != QTextFormat::PageBreak_Auto) bf.setPageBreakPolicy(old.pageBreakPolicy());
  // Most paragraphs end in the format they began with; setting it again costs as much as the
  // paragraph itself.
  if (old != bf) cur_.setBlockFormat(bf);
  const int numbering = bf.intProperty(kNumbering);
  if (numbering > kNoNumbering && bf.hasProperty(kListId)) {
    QTextList* list = ListFor(bf.intProperty(kListId), bf.intProperty(kListLevel), numbering, bf);
    if (block.textList() != list) list->add(block);
    list_ = nullptr;
    listBlock_ = -1;
  } else if (numbering > kNoNumbering) {
    const QTextBlock prev = block.previous();
    if (list_ && listKind_ == numbering && prev.isValid() && prev.blockNumber() == listBlock_) {
      list_->add(block);
    } else {
      QTextListFormat lf;
      lf.setStyle(QTextListFormat::ListStyleUndefined);
      lf.setProperty(kNumbering, numbering);
      lf.setIndent(0);
      list_ = cur_.createList(lf);
      listKind_ = numbering;
    }
    listBlock_ = block.blockNumber();
  } else if (QTextList* l = block.textList()) {
    l->remove(block);
  }
}

// ---- tables -------------------------------------------------------------------------------------

bool FirstInItsFrame(const QTextBlock& block) {
  const QTextBlock prev = block.previous();
  if (!prev.isValid()) return true;
  const QTextCursor here(block), before(prev);
  if (here.currentFrame() != before.currentFrame()) return true;
  if (const QTextTable* t = here.currentTable()) return t->cellAt(block.position()) != t->cellAt(prev.position());
  return false;
}

void MarkStructural(QTextBlockFormat& f) {
  f.setProperty(kStructural, true);
  f.setLineHeight(0, QTextBlockFormat::FixedHeight);
  f.setTopMargin(0);
  f.setBottomMargin(0);
}

void DocumentBuilder::SyncTables(int level, const CharState& ch, const ParaState& pa) {
  while (int(tables_.size()) > level) CloseTable();
  if (int(tables_.size()) == level && level > 0 && tables_.back().rowEnded &&
      tables_.back().row + 1 >= kMaxTableRows)
    CloseTable();
  // The table the text is in moves on to its next cell or row first: a table nested in that
  // cell opens there.
  if (!tables_.empty() && level > 0) Advance(tables_.back());
  while (int(tables_.size()) < level) OpenTableHere(ch, pa);
}

void DocumentBuilder::Advance(OpenTable& t) {
  if (t.rowEnded) {
    t.table->appendRows(1);
    ++t.row;
    t.col = 0;
    t.cellsThisRow = 0;
    t.rowEnded = false;
    t.cellEnded = false;
    cur_ = t.table->cellAt(t.row, 0).firstCursorPosition();
  } else if (t.cellEnded && t.col + 1 >= kMaxTableColumns) {
    t.cellEnded = false;
    cur_ = t.table->cellAt(t.row, t.col).lastCursorPosition();
    cur_.insertBlock();
  } else if (t.cellEnded) {
    ++t.col;
    if (t.col >= t.table->columns()) t.table->appendColumns(1);
    t.cellEnded = false;
    cur_ = t.table->cellAt(t.row, t.col).firstCursorPosition();
  } else {
    return;
  }
  paraStart_ = cur_.position();
  freshFrame_ = true;
  pendingPar_ = false;
  blockTouched_ = false;
  pendingTabs_ = 0;
}

void DocumentBuilder::OpenTableHere(const CharState& ch, const ParaState& pa) {
  FlushRun();
  // Text of the paragraph read before it said it is in a table (\intbl after the text, or a
  // \cell without it) is the table's first cell.
  QTextDocumentFragment adopted;
  if (!pendingPar_ && blockTouched_) {
    QTextCursor sel = cur_;
    sel.setPosition(std::max(cur_.block().position(), paraStart_), QTextCursor::KeepAnchor);
    adopted = sel.selection();
    sel.removeSelectedText();
    cur_.setPosition(sel.position());
    blockTouched_ = false;
  }
  // Between two tables one paragraph always stands: the one read there, or an empty one when
  // the text between them went into the second table. It is written back as a paragraph, since
  // a second table with nothing before it reads as more rows of the first.
  const bool afterTable = cur_.block().position() == afterTable_;
  if (pendingPar_) {
    // The table's start ends the paragraph before it; only an empty paragraph at the start of
    // the text (or of a cell) is one of its own, ahead of the one the table needs.
    if (cur_.block().length() <= 1 && freshFrame_ && !afterTable) {
      RealizePendingPar(ch, pa);
      freshFrame_ = true;  // the new paragraph is only there to hold the table's start
    }
    pendingPar_ = false;
  }
  if (cur_.block().length() <= 1 && freshFrame_ && !afterTable) {
    // Nothing stands before the table: the empty paragraph the document needs takes no room.
    QTextBlockFormat structural = cur_.blockFormat();
    MarkStructural(structural);
    cur_.setBlockFormat(structural);
  }
  const int level = int(tables_.size()) + 1;
  QTextTableFormat tf;
  tf.setBorder(0);
  tf.setBorderCollapse(true);
  tf.setCellSpacing(0);
  tf.setCellPadding(0);
  tf.setMargin(0);
  tf.setProperty(kTableLevel, level);
  OpenTable t;
  t.level = level;
  // One column to start with: columns come as cells do, the row definition may come last.
  t.table = cur_.insertTable(1, 1, tf);
  cur_ = t.table->cellAt(0, 0).firstCursorPosition();
  paraStart_ = cur_.position();
  freshFrame_ = true;
  tables_.push_back(std::move(t));
  blockTouched_ = false;
  if (!adopted.isEmpty()) {
    cur_.insertFragment(adopted);
    blockTouched_ = true;
  }
  pendingTabs_ = 0;
  haveLastBlockFmt_ = false;
}

void DocumentBuilder::EndCell(int level, const CharState& ch, const ParaState& pa) {
  level = std::clamp(level, 1, kMaxTableDepth);
  SyncTables(level, ch, pa);
  FlushRun();
  // "A\par\cell": the cell ends with an empty paragraph.
  RealizePendingPar(ch, pa);
  ApplyBlockFormat(pa);
  OpenTable& t = tables_.back();
  t.cellEnded = true;
  t.cellsThisRow = std::min(t.cellsThisRow + 1, kMaxTableColumns);
  pendingTabs_ = 0;
}

void DocumentBuilder::EndRow(int level, const RowDef& def) {
  level = std::clamp(level, 1, kMaxTableDepth);
  if (int(tables_.size()) < level) return;  // a row that no cell came before
  while (int(tables_.size()) > level) CloseTable();
  FlushRun();
  OpenTable& t = tables_.back();
  if (t.rowEnded) return;
  // Text after the row's last \cell is a cell of its own.
  if (!t.cellEnded && blockTouched_) ++t.cellsThisRow;
  t.rows.push_back(def);
  t.cellCounts.push_back(std::max(t.cellsThisRow, 1));
  t.rowEnded = true;
  t.cellEnded = false;
  pendingPar_ = false;
}

void DocumentBuilder::CloseTable() {
  FlushRun();
  OpenTable& t = tables_.back();
  if (!t.rowEnded) {
    // A table that ends without its last \row: the row ends here with the definition in force.
    if (!t.cellEnded && blockTouched_) ++t.cellsThisRow;
    RowDef def;
    if (rowDefs_ && t.level - 1 < int(rowDefs_->size())) def = (*rowDefs_)[size_t(t.level - 1)];
    else if (!t.rows.empty()) def = t.rows.back();
    t.rows.push_back(def);
    t.cellCounts.push_back(std::max(t.cellsThisRow, 1));
  }
  OpenTable done = std::move(t);
  tables_.pop_back();
  FinishTable(done);
  cur_.setPosition(done.table->lastPosition() + 1);
  afterTable_ = cur_.block().position();
  paraStart_ = cur_.position();
  freshFrame_ = true;
  pendingPar_ = false;
  blockTouched_ = false;
  pendingTabs_ = 0;
  haveLastBlockFmt_ = false;
}

namespace {

// A cell as the table shows it: one or more RTF cells merged across columns.
struct Logical {
  int left = 0, right = 0;  // twips
  int first = 0, count = 1;  // the RTF cells it is made of
  const CellDef* def = nullptr;
  int gs = 0, ge = 1;  // the grid columns it covers
};

// The paragraphs of a cell, in order.
std::vector<QTextBlock> CellBlocks(const QTextTableCell& cell, QTextDocument* doc) {
  std::vector<QTextBlock> out;
  for (QTextBlock b = doc->findBlock(cell.firstPosition()); b.isValid() && b.position() <= cell.lastPosition();
       b = b.next())
    out.push_back(b);
  return out;
}

std::vector<QTextBlockFormat> CellFormats(const QTextTableCell& cell, QTextDocument* doc) {
  std::vector<QTextBlockFormat> out;
  for (const QTextBlock& b : CellBlocks(cell, doc)) out.push_back(b.blockFormat());
  return out;
}

void SetCellFormats(const QTextTableCell& cell, QTextDocument* doc, const std::vector<QTextBlockFormat>& formats) {
  const std::vector<QTextBlock> blocks = CellBlocks(cell, doc);
  if (blocks.size() != formats.size()) return;
  QTextCursor c(doc);
  for (size_t i = 0; i < blocks.size(); ++i)
    if (blocks[i].blockFormat() != formats[i]) {
      c.setPosition(blocks[i].position());
      c.setBlockFormat(formats[i]);
    }
}

// Merges cells as the toolkit does, keeping every paragraph's format. The toolkit moves the text
// of the cells merged away into the first one and can leave a moved paragraph's format on the
// paragraph of a cell it moved the text past (the cell right of a cell merged downwards).
void MergeCells(QTextTable* table, int row, int col, int rows, int cols) {
  QTextDocument* doc = table->document();
  const int lastRow = row + rows - 1;
  struct Kept {
    int r, c;
    std::vector<QTextBlockFormat> formats;
  };
  std::vector<Kept> kept;  // the cells from the first merged to the one after the last, in order
  std::vector<QTextBlockFormat> merged;  // the first cell's, then those of the others with text
  for (int r = row; r <= std::min(lastRow + 1, table->rows() - 1); ++r)
    for (int c = r == row ? col : 0; c < table->columns(); ++c) {
      if (r > lastRow && c > 0) break;
      const QTextTableCell cell = table->cellAt(r, c);
      if (cell.row() != r || cell.column() != c) continue;  // covered by another's span
      const bool inside = r <= lastRow && c >= col && c < col + cols;
      std::vector<QTextBlockFormat> formats = CellFormats(cell, doc);
      if (!inside) {
        kept.push_back({r, c, std::move(formats)});
        if (r == lastRow && c >= col + cols) break;
      } else if (r == row && c == col) {
        merged = std::move(formats);
      } else if (cell.lastPosition() > cell.firstPosition()) {
        merged.insert(merged.end(), formats.begin(), formats.end());
      }
    }
  table->mergeCells(row, col, rows, cols);
  for (const Kept& k : kept) SetCellFormats(table->cellAt(k.r, k.c), doc, k.formats);
  SetCellFormats(table->cellAt(row, col), doc, merged);
}

void ApplySide(QTextTableCellFormat& cf, int side, const BorderSide& b) {
  const qreal w = b.Visible() ? b.DrawnWidth() : 0;
  const QBrush brush(b.color ? ColorOfKept(b.color) : QColor(Qt::black));
  const QTextFrameFormat::BorderStyle style = b.FrameStyle();
  switch (side) {
    case CellBorders::kTop: cf.setTopBorder(w); cf.setTopBorderBrush(brush); cf.setTopBorderStyle(style); break;
    case CellBorders::kLeft: cf.setLeftBorder(w); cf.setLeftBorderBrush(brush); cf.setLeftBorderStyle(style); break;
    case CellBorders::kBottom:
      cf.setBottomBorder(w);
      cf.setBottomBorderBrush(brush);
      cf.setBottomBorderStyle(style);
      break;
    default: cf.setRightBorder(w); cf.setRightBorderBrush(brush); cf.setRightBorderStyle(style); break;
  }
}

// The paddings a row or cell definition's kept words give, in twips, by side (top, left, bottom,
// right); -1 where none is given. Only paddings in twips count (the unit word says 3).
// Word processors write a cell's left padding as \clpadt and its top one as \clpadl, and read
// them so; a row's \trpadd words mean what they say.
struct Paddings {
  int tw[4] = {-1, -1, -1, -1};
};

Paddings PaddingsOf(const QByteArray& words, const char* stem, bool swapped) {
  Paddings p;
  int value[4] = {-1, -1, -1, -1}, unit[4] = {0, 0, 0, 0};
  const QByteArray lead = QByteArray("\\") + stem;
  static const char kSides[] = "tlbr";
  for (qsizetype at = words.indexOf(lead); at >= 0; at = words.indexOf(lead, at + 1)) {
    qsizetype i = at + lead.size();
    const bool isUnit = i < words.size() && words[i] == 'f';
    if (isUnit) ++i;
    if (i >= words.size()) break;
    const char* side = std::strchr(kSides, words[i]);
    if (!side || !*side) continue;
    qsizetype end = ++i;
    if (end < words.size() && words[end] == '-') ++end;
    while (end < words.size() && std::isdigit(static_cast<unsigned char>(words[end]))) ++end;
    bool ok = false;
    const int n = words.mid(i, end - i).toInt(&ok);
    if (!ok) continue;
    (isUnit ? unit : value)[side - kSides] = n;
  }
  for (int k = 0; k < 4; ++k) {
    const int shown = swapped && (k == 0 || k == 1) ? 1 - k : k;
    if (unit[k] == 3 && value[k] >= 0) p.tw[shown] = std::min(value[k], 31680);
  }
  return p;
}

void ApplyCellFormat(QTextTableCellFormat& cf, const CellDef* def, const RowProps& row, bool top, bool bottom,
                     bool left, bool right) {
  // The cell's own paddings, else the row's, else half the gap between cells beside, none above
  // and below.
  const Paddings rowPad = PaddingsOf(row.extra, "trpadd", false);
  const Paddings cellPad = def ? PaddingsOf(def->extra, "clpad", true) : Paddings{};
  auto pad = [&](int side, int fallbackTw) {
    const int tw = cellPad.tw[side] >= 0 ? cellPad.tw[side] : rowPad.tw[side] >= 0 ? rowPad.tw[side] : fallbackTw;
    return TwipsToDoc(tw);
  };
  const int gap = std::max(0, row.gapTw);
  cf.setTopPadding(pad(0, 0));
  cf.setLeftPadding(pad(1, gap));
  cf.setBottomPadding(pad(2, 0));
  cf.setRightPadding(pad(3, gap));
  CellBorders shown;
  if (def) {
    shown = def->borders;
    if (def->borders.Any()) cf.setProperty(kCellBorders, QVariant::fromValue(def->borders.Save()));
    if (def->shading.Any()) {
      cf.setProperty(kCellShading, QVariant::fromValue(def->shading.Save()));
      const QColor fill = def->shading.Fill();
      if (fill.isValid()) cf.setBackground(fill);
    }
    if (def->valign) {
      cf.setProperty(kCellVAlign, def->valign);
      cf.setVerticalAlignment(def->valign == 1 ? QTextCharFormat::AlignMiddle : QTextCharFormat::AlignBottom);
    }
    if (def->widthTw) cf.setProperty(kCellWidthTw, def->widthTw);
    if (!def->extra.isEmpty()) cf.setProperty(kCellExtra, def->extra);
  }
  // The row's borders stand where a cell has none of its own: outside on the row's edges,
  // between cells inside.
  auto fallback = [&](int side, const BorderSide& outer, const BorderSide& inner, bool isOuter) {
    if (!shown.side[side].IsSet()) shown.side[side] = isOuter ? outer : inner;
  };
  fallback(CellBorders::kTop, row.border[RowProps::kTop], row.border[RowProps::kHorizontal], top);
  fallback(CellBorders::kBottom, row.border[RowProps::kBottom], row.border[RowProps::kHorizontal], bottom);
  fallback(CellBorders::kLeft, row.border[RowProps::kLeft], row.border[RowProps::kVertical], left);
  fallback(CellBorders::kRight, row.border[RowProps::kRight], row.border[RowProps::kVertical], right);
  for (int side = 0; side < CellBorders::kSides; ++side) ApplySide(cf, side, shown.side[side]);
}

}  // namespace

void DocumentBuilder::FinishTable(OpenTable& t) {
  QTextTable* table = t.table;
  const int rows = std::min<int>(table->rows(), int(t.rows.size()));
  if (rows <= 0) return;
  std::vector<std::vector<Logical>> logical(static_cast<size_t>(rows));
  std::vector<std::vector<int>> rtfEdges(static_cast<size_t>(rows));
  std::vector<int> rowLeft(static_cast<size_t>(rows));
  int widest = 0;
  for (int r = 0; r < rows; ++r) {
    const RowDef& def = t.rows[size_t(r)];
    const int n = std::min(std::max(t.cellCounts[size_t(r)], int(def.cells.size())), kMaxTableColumns);
    int prev = def.props.leftTw, lastWidth = 1440;
    rowLeft[size_t(r)] = prev;
    for (int i = 0; i < n; ++i) {
      // Edges a row lacks stay where reading them back would put them, so the table written
      // reads back the same.
      int e = i < def.cells.size() ? def.cells[i].rightTw : std::min(prev + lastWidth, kMaxCellEdgeTw);
      if (e <= prev) e = prev + 144;  // edges that go back: the cell keeps a little room
      lastWidth = e - prev;
      rtfEdges[size_t(r)].push_back(e);
      prev = e;
    }
    for (int i = 0; i < n;) {
      int j = i + 1;
      if (i < def.cells.size() && def.cells[i].mergeFirst)
        while (j < n && j < def.cells.size() && def.cells[j].merged) ++j;
      Logical l;
      l.left = i == 0 ? rowLeft[size_t(r)] : rtfEdges[size_t(r)][size_t(i - 1)];
      l.right = rtfEdges[size_t(r)][size_t(j - 1)];
      l.first = i;
      l.count = j - i;
      l.def = i < def.cells.size() ? &def.cells[i] : nullptr;
      logical[size_t(r)].push_back(l);
      i = j;
    }
    widest = std::max(widest, n);
  }
  if (table->columns() < widest) table->appendColumns(widest - table->columns());

  bool naive = true;
  for (int r = 0; r < rows && naive; ++r)
    naive = int(rtfEdges[size_t(r)].size()) == table->columns() && rtfEdges[size_t(r)] == rtfEdges[0] &&
            rowLeft[size_t(r)] == rowLeft[0];
  QList<int> edges;
  int left = rowLeft[0];
  std::vector<std::vector<std::pair<int, int>>> phantoms(static_cast<size_t>(rows));  // grid ranges no cell covers
  if (naive) {
    for (int e : rtfEdges[0]) edges << e;
    for (int r = 0; r < rows; ++r)
      for (Logical& l : logical[size_t(r)]) {
        l.gs = l.first;
        l.ge = l.first + l.count;
        if (l.count > 1) MergeCells(table, r, l.gs, 1, l.count);
      }
  } else {
    // Rows with different cells: the columns are all the distinct edges, and each cell spans
    // the columns between its own edges. The cells move into a table of that shape.
    std::vector<int> grid;
    for (int r = 0; r < rows; ++r) {
      left = std::min(left, rowLeft[size_t(r)]);
      for (const Logical& l : logical[size_t(r)]) grid.push_back(l.right);
    }
    for (int r = 0; r < rows; ++r)
      if (rowLeft[size_t(r)] > left) grid.push_back(rowLeft[size_t(r)]);
    std::sort(grid.begin(), grid.end());
    grid.erase(std::unique(grid.begin(), grid.end()), grid.end());
    auto column = [&](int edge) { return int(std::lower_bound(grid.begin(), grid.end(), edge) - grid.begin()); };
    for (int r = 0; r < rows; ++r) {
      int at = 0;
      for (Logical& l : logical[size_t(r)]) {
        l.gs = l.left <= left ? 0 : column(l.left) + 1;
        l.ge = std::max(column(l.right) + 1, l.gs + 1);
        if (l.gs > at) phantoms[size_t(r)].push_back({at, l.gs});
        at = l.ge;
      }
      if (at < int(grid.size())) phantoms[size_t(r)].push_back({at, int(grid.size())});
    }
    QTextCursor c(cur_.document());
    c.setPosition(table->lastPosition() + 1);
    QTextTable* shaped = c.insertTable(rows, int(grid.size()), table->format());
    for (int r = 0; r < rows; ++r) {
      for (const Logical& l : logical[size_t(r)])
        if (l.ge - l.gs > 1) MergeCells(shaped, r, l.gs, 1, l.ge - l.gs);
      for (const auto& [a, b] : phantoms[size_t(r)])
        if (b - a > 1) MergeCells(shaped, r, a, 1, b - a);
    }
    for (int r = 0; r < rows; ++r)
      for (const Logical& l : logical[size_t(r)]) {
        const QTextTableCell from = table->cellAt(r, l.first);
        if (!from.isValid() || from.row() != r || from.column() != l.first) continue;
        QTextCursor sel(cur_.document());
        sel.setPosition(from.firstPosition());
        sel.setPosition(from.lastPosition(), QTextCursor::KeepAnchor);
        const QTextDocumentFragment content(sel);
        QTextCursor to = shaped->cellAt(r, l.gs).firstCursorPosition();
        to.insertFragment(content);
        // A fragment of one paragraph brings no paragraph format: copy them all.
        QTextBlock src = cur_.document()->findBlock(from.firstPosition());
        QTextBlock dst = cur_.document()->findBlock(shaped->cellAt(r, l.gs).firstPosition());
        const int dstEnd = shaped->cellAt(r, l.gs).lastPosition();
        QTextCursor fmt(cur_.document());
        for (; src.isValid() && dst.isValid() && src.position() < from.lastPosition() && dst.position() <= dstEnd;
             src = src.next(), dst = dst.next()) {
          fmt.setPosition(dst.position());
          fmt.setBlockFormat(src.blockFormat());
        }
      }
    const QTextBlockFormat before = cur_.document()->findBlock(table->firstPosition() - 1).blockFormat();
    QTextCursor gone(cur_.document());
    gone.setPosition(table->firstPosition() - 1);
    gone.setPosition(shaped->firstPosition() - 1, QTextCursor::KeepAnchor);
    gone.removeSelectedText();
    // The paragraph before the table is the one it had.
    gone.setBlockFormat(before);
    table = shaped;
    t.table = shaped;
    for (int e : grid) edges << e;
  }

  // Rows that continue a cell of the row above (\clvmrg) join it.
  for (int r = 0; r < rows; ++r)
    for (const Logical& l : logical[size_t(r)]) {
      if (!l.def || !l.def->vmergeFirst) continue;
      int k = 1;
      while (r + k < rows) {
        const auto& below = logical[size_t(r + k)];
        const auto it = std::find_if(below.begin(), below.end(),
                                     [&](const Logical& b) { return b.gs == l.gs && b.ge == l.ge; });
        if (it == below.end() || !it->def || !it->def->vmerged) break;
        ++k;
      }
      if (k > 1) MergeCells(table, r, l.gs, k, l.ge - l.gs);
    }

  // Formats: columns from the edges, what the toolkit cannot show kept beside.
  QTextTableFormat tf = table->format();
  QList<QTextLength> widths;
  int prevEdge = left;
  for (int e : edges) {
    widths << QTextLength(QTextLength::FixedLength, TwipsToDoc(std::max(1, e - prevEdge)));
    prevEdge = e;
  }
  tf.setColumnWidthConstraints(widths);
  tf.setProperty(kTableEdgesTw, QVariant::fromValue(edges));
  QVariantList rowProps;
  int headers = 0;
  bool leading = true;
  for (int r = 0; r < rows; ++r) {
    rowProps << t.rows[size_t(r)].props.Save();
    if (leading && t.rows[size_t(r)].props.header) ++headers;
    else leading = false;
  }
  tf.setProperty(kTableRows, rowProps);
  tf.setHeaderRowCount(headers);
  const int align = t.rows[0].props.align;
  tf.setAlignment(align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft);
  tf.setLeftMargin(align == 0 ? TwipsToDoc(std::max(0, left)) : 0);
  // Nor does it keep the space after the paragraph before a table.
  // (A paragraph of the frame the table stands in, not the end of a table before it.)
  QTextCursor start(table->document());
  start.setPosition(table->firstPosition() - 1);
  const QTextBlock before = start.block();
  if (before.isValid() && before.position() < start.position() &&
      QTextCursor(before).currentFrame() == start.currentFrame())
    tf.setTopMargin(before.blockFormat().bottomMargin());
  table->setFormat(tf);
  const int columns = table->columns();
  for (int r = 0; r < rows; ++r) {
    const RowProps& props = t.rows[size_t(r)].props;
    for (const Logical& l : logical[size_t(r)]) {
      QTextTableCell cell = table->cellAt(r, l.gs);
      if (!cell.isValid() || cell.row() != r || cell.column() != l.gs) continue;
      QTextTableCellFormat cf = cell.format().toTableCellFormat();
      ApplyCellFormat(cf, l.def, props, r == 0, r + cell.rowSpan() >= rows, l.gs == 0, l.ge >= columns);
      // The toolkit leaves out the space after a cell's last paragraph; word processors keep it.
      const QTextBlock last = table->document()->findBlock(cell.lastPosition());
      if (last.isValid()) cf.setBottomPadding(cf.bottomPadding() + last.blockFormat().bottomMargin());
      cell.setFormat(cf);
    }
    for (const auto& [a, b] : phantoms[size_t(r)]) {
      QTextTableCell cell = table->cellAt(r, a);
      if (!cell.isValid()) continue;
      QTextTableCellFormat cf = cell.format().toTableCellFormat();
      cf.setProperty(kCellPhantom, true);
      cell.setFormat(cf);
    }
  }
}

}  // namespace rtf
