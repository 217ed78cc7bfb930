// The reader's words of the body: character and paragraph formatting, tabs, borders and shading,
// and the rows and cells of tables.

#include "rtf/Borders.h"
#include "rtf/Numbering.h"
#include "rtf/RtfReader_p.h"

#include <unordered_set>

namespace rtf::reader {

void Reader::BodyWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on) {
  CharState& ch = s.ch;
  ParaState& pa = s.pa;
  switch (entry.kw) {
    case kwAnsi: docCp_ = 1252; fonts_.ForgetCodePages(); return;
    case kwMac: docCp_ = 10000; fonts_.ForgetCodePages(); return;
    case kwPc: docCp_ = 437; fonts_.ForgetCodePages(); return;
    case kwPca: docCp_ = 850; fonts_.ForgetCodePages(); return;
    case kwAnsicpg:
      if (v > 0) docCp_ = v;
      fonts_.ForgetCodePages();
      return;
    case kwDeff: builder_.SetDefaultFont(v); return;
    case kwUc: s.uc = std::clamp(v, 0, kMaxUnicodeSkip); return;
    case kwU: {
      int code = v;
      if (code < 0) code += 65536;
      char16_t c = char16_t(code & 0xFFFF);
      if (code < 0 || code > 0xFFFF) c = 0xFFFD;
      skipChars_ = s.uc;
      if (QChar::isHighSurrogate(c)) {
        ResolveSurrogate();
        highSurrogate_ = c;
        return;
      }
      if (QChar::isLowSurrogate(c)) {
        if (highSurrogate_) {
          const char16_t pair[2] = {highSurrogate_, c};
          highSurrogate_ = 0;
          EmitText(QString(reinterpret_cast<const QChar*>(pair), 2));
        } else {
          EmitChar(0xFFFD);
        }
        return;
      }
      ResolveSurrogate();
      EmitChar(c);
      return;
    }
    case kwF:
      if (ch.charType == 2) ch.eaFont = v;
      else ch.font = v;
      ch.codeFont = v;
      return;
    case kwAf:
      if (ch.charType == 2) ch.eaFont = v;
      else if (ch.rtl) ch.csFont = v;
      return;
    case kwLoch: ch.charType = 0; return;
    case kwHich: ch.charType = 1; return;
    case kwDbch: ch.charType = 2; return;
    case kwPlain: {
      const int link = ch.link, field = ch.field;
      ch = CharState{};
      ch.font = builder_.DefaultFont();
      ch.link = link;
      ch.field = field;
      return;
    }
    case kwB: ch.bold = on; return;
    case kwI: ch.italic = on; return;
    case kwUl: ch.ul = on ? std::max<int>(1, entry.ch) : 0; return;
    case kwUlnone: ch.ul = 0; return;
    case kwStrike:
    case kwStriked: ch.strike = on; return;
    case kwSub: ch.vert = on ? 1 : 0; return;
    case kwSuper: ch.vert = on ? 2 : 0; return;
    case kwNosupersub: ch.vert = 0; return;
    case kwFs: ch.fs = hasParam && v > 0 ? std::min(v, 3276) : 24; return;
    case kwCf: ch.fg = std::max(v, 0); return;
    case kwCb:
    case kwHighlight:
    case kwChcbpat: ch.bg = std::max(v, 0); return;
    case kwProtect: ch.prot = on; return;
    case kwPard: pa = ParaState{}; return;
    case kwQl: pa.align = kAlignLeft; return;
    case kwQr: pa.align = kAlignRight; return;
    case kwQc: pa.align = kAlignCenter; return;
    case kwQj:
    case kwQd: pa.align = kAlignJustify; return;
    case kwLi: pa.li = std::clamp(v, -31680, 31680); return;
    case kwRi: pa.ri = std::clamp(v, -31680, 31680); return;
    case kwFi: pa.fi = std::clamp(v, -31680, 31680); return;
    case kwSb: pa.sb = std::clamp(v, 0, 31680); return;
    case kwSa: pa.sa = std::clamp(v, 0, 31680); return;
    case kwSl: pa.sl = std::clamp(v, -31680, 31680); return;
    case kwSlmult: pa.slmult = on; return;
    case kwLs: pa.ls = v; return;
    case kwIlvl: pa.ilvl = std::clamp(v, 0, 8); return;
    case kwPar:
    case kwSect:
      if (s.dest == Dest::Text) EndParagraph();
      return;
    case kwPage:
      if (s.dest == Dest::Text) {
        EndParagraph();
        builder_.BreakPageBeforeNext();
      }
      return;
    case kwChftn:
      // The mark of a footnote in the text; in the footnote's own body the writer puts it back.
      // The number is taken only by the footnote that follows it: a mark without one is plain
      // text when written back, and must not shift the numbers of the footnotes after it.
      if (s.dest == Dest::Text && !s.footnote) {
        const QString number = QString::number(footnotes_ + 1);
        const int before = builder_.Position();
        EmitText(number);
        MarkWritten(before, int(number.size()));
      }
      return;
    case kwChpgn:
      // The current page's number: a page field.
      if (s.dest == Dest::Text) {
        QTextCharFormat fmt = active_->CharFormat(s.ch);
        fmt.setObjectType(kFieldObjectType);
        fmt.setProperty(kFieldInst, QStringLiteral("PAGE"));
        fmt.clearProperty(kFieldId);
        EmitObject(fmt);
      }
      return;
    case kwLine: EmitChar(0x2028); return;
    case kwTab: EmitChar(u'\t'); return;
    case kwChar: EmitChar(entry.ch); return;
    default:
      if (!KeptWord(s, entry, hasParam, v, on)) TableRowWord(s, entry, hasParam, v, on);
      return;
  }
}

int Reader::ColorOf(int index) const {
  const QColor* c = colors_.Find(index);
  return c ? KeptColor(*c) : 0;
}

int Reader::RowLevel(const State& s) const { return std::max(1, s.pa.TableLevel()); }

BorderSide* Reader::CurrentBorder() {
  switch (borderTarget_) {
    case BorderTarget::Para: return &stack_.back().pa.borders.side[borderSide_];
    case BorderTarget::ParaBox: return &stack_.back().pa.borders.side[ParaBorders::kTop];
    case BorderTarget::Cell: return &pendingCells_[size_t(borderLevel_ - 1)].borders.side[borderSide_];
    case BorderTarget::Row: return &rowDefs_[size_t(borderLevel_ - 1)].props.border[borderSide_];
    default: return nullptr;
  }
}

bool Reader::KeptWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on) {
  CharState& ch = s.ch;
  ParaState& pa = s.pa;
  switch (entry.kw) {
    case kwCaps: ch.caps = on; return true;
    case kwScaps: ch.scaps = on; return true;
    case kwOutl: ch.outl = on; return true;
    case kwShad: ch.shad = on; return true;
    case kwV: ch.hidden = on; return true;
    case kwUp: ch.up = std::clamp(hasParam ? v : 6, -3276, 3276); return true;
    case kwDn: ch.up = -std::clamp(hasParam ? v : 6, -3276, 3276); return true;
    case kwExpnd: ch.expndtw = std::clamp(v, -6552, 6552) * 5; return true;
    case kwExpndtw: ch.expndtw = std::clamp(v, -32767, 32767); return true;
    case kwKerning: ch.kerning = std::clamp(v, 0, 3276); return true;
    case kwCharscalex: ch.scalex = v > 0 ? std::min(v, 600) : 100; return true;
    case kwLang: ch.lang = std::clamp(v, 0, 0xFFFF); return true;
    case kwRtlch: ch.rtl = true; return true;
    case kwLtrch: ch.rtl = false; return true;
    case kwTabKind: pa.tabKind = entry.ch; return true;
    case kwTabLeader: pa.tabLeader = entry.ch; return true;
    case kwTx:
    case kwTb:
      if (pa.tabs.size() < 32 && v > 0 && v <= 31680) {
        pa.tabs.append(v);
        pa.tabKinds.append((entry.kw == kwTb ? kTabBar : pa.tabKind) | pa.tabLeader << 4);
      }
      pa.tabKind = pa.tabLeader = 0;
      return true;
    case kwKeep: pa.effects = on ? pa.effects | kEffectKeep : pa.effects & ~kEffectKeep; return true;
    case kwKeepn: pa.effects = on ? pa.effects | kEffectKeepNext : pa.effects & ~kEffectKeepNext; return true;
    case kwPagebb:
      pa.effects = on ? pa.effects | kEffectPageBreakBefore : pa.effects & ~kEffectPageBreakBefore;
      return true;
    case kwNowidctlpar: pa.effects |= kEffectNoWidowControl; return true;
    case kwWidctlpar: pa.effects &= ~kEffectNoWidowControl; return true;
    case kwNoline: pa.effects |= kEffectNoLineNumber; return true;
    case kwRtlpar: pa.effects |= kEffectRtl; return true;
    case kwLtrpar: pa.effects &= ~kEffectRtl; return true;
    case kwBox:
      pa.borders.box = true;
      borderTarget_ = BorderTarget::ParaBox;
      return true;
    case kwBrdrSide:
      borderTarget_ = BorderTarget::Para;
      borderSide_ = entry.ch;
      return true;
    case kwBrdrStyle:
    case kwBrdrw:
    case kwBrsp:
    case kwBrdrcf: {
      auto apply = [&](BorderSide& b) {
        if (entry.kw == kwBrdrStyle) b.style = entry.ch;
        else if (entry.kw == kwBrdrw) b.widthTw = std::clamp(v, 0, 1440);
        else if (entry.kw == kwBrsp) b.spaceTw = std::clamp(v, 0, 1440);
        else b.color = ColorOf(v);
      };
      if (borderTarget_ == BorderTarget::ParaBox) {
        for (int i = ParaBorders::kTop; i <= ParaBorders::kRight; ++i) apply(pa.borders.side[i]);
      } else if (BorderSide* b = CurrentBorder()) {
        apply(*b);
      }
      return true;
    }
    case kwShading: pa.shading.percent100 = std::clamp(v, 0, 10000); return true;
    case kwCfpat: pa.shading.foreground = ColorOf(v); return true;
    case kwCbpat: pa.shading.background = ColorOf(v); return true;
    case kwBgPattern: pa.shading.pattern = entry.ch; return true;
    default: return false;
  }
}

bool Reader::TableRowWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on) {
  ParaState& pa = s.pa;
  const int level = RowLevel(s);
  RowDef& row = rowDefs_[size_t(level - 1)];
  CellDef& cell = pendingCells_[size_t(level - 1)];
  switch (entry.kw) {
    case kwIntbl:
      pa.intbl = on;
      return true;
    case kwItap:
      pa.itap = std::clamp(v, 0, kMaxTableDepth);
      if (pa.itap == 0) pa.intbl = false;
      return true;
    case kwTrowd:
      row = RowDef{};
      cell = CellDef{};
      borderTarget_ = BorderTarget::None;
      return true;
    case kwTrgaph: row.props.gapTw = std::clamp(v, 0, 31680); return true;
    case kwTrleft: row.props.leftTw = std::clamp(v, -31680, 31680); return true;
    case kwTrrh: row.props.heightTw = std::clamp(v, -31680, 31680); return true;
    case kwTrAlign: row.props.align = entry.ch; return true;
    case kwTrhdr: row.props.header = on; return true;
    case kwTrkeep: row.props.keep = on; return true;
    case kwTrBrdr:
      borderTarget_ = BorderTarget::Row;
      borderSide_ = entry.ch;
      borderLevel_ = level;
      return true;
    case kwCellx:
      // A row with more cells than anyone needs is cut short; its cells' text still comes in.
      if (row.cells.size() < 256) {
        cell.rightTw = std::clamp(v, -31680, kMaxCellEdgeTw);
        row.cells.append(cell);
      }
      cell = CellDef{};
      borderTarget_ = BorderTarget::None;
      return true;
    case kwClmgf: cell.mergeFirst = true; return true;
    case kwClmrg: cell.merged = true; return true;
    case kwClvmgf: cell.vmergeFirst = true; return true;
    case kwClvmrg: cell.vmerged = true; return true;
    case kwClvert: cell.valign = entry.ch; return true;
    case kwClBrdr:
      borderTarget_ = BorderTarget::Cell;
      borderSide_ = entry.ch;
      borderLevel_ = level;
      return true;
    case kwClcbpat: cell.shading.background = ColorOf(v); return true;
    case kwClcfpat: cell.shading.foreground = ColorOf(v); return true;
    case kwClshdng: cell.shading.percent100 = std::clamp(v, 0, 10000); return true;
    case kwClBgPattern: cell.shading.pattern = entry.ch; return true;
    case kwClwWidth:
      cell.extra += "\\clwWidth" + QByteArray::number(v);
      return true;
    case kwClftsWidth:
      cell.extra += "\\clftsWidth" + QByteArray::number(v);
      return true;
    case kwCell:
    case kwNestcell:
      if (s.dest != Dest::Text) return true;
      FlushBytes();
      if (!pa.intbl) {
        // A cell without \intbl: the paragraph it ends is in a table.
        pa.intbl = true;
        pa.itap = 1;
      }
      active_->EndCell(entry.kw == kwCell ? 1 : std::max(2, pa.TableLevel()), s.ch, pa);
      return true;
    case kwRow:
    case kwNestrow:
      if (s.dest != Dest::Text) return true;
      FlushBytes();
      {
        const int at = entry.kw == kwRow ? 1 : std::max(2, pa.TableLevel());
        active_->EndRow(at, rowDefs_[size_t(at - 1)]);
      }
      return true;
    default: Q_UNUSED(hasParam); return false;
  }
}

void Reader::OtherWord(std::string_view word, bool hasParam, int param) {
  // The words of a row or cell definition the reader does not use are kept and written back;
  // those that name a colour could not be, and revision marks mean nothing once read.
  // A positioned frame's words are the paragraph's: kept and written back with it.
  static const std::unordered_set<std::string_view> frameWords = {
      "posx", "posy", "posxc", "posxi", "posxo", "posxl", "posxr", "posyc", "posyb", "posyt", "posyil",
      "posyin", "posyout", "posnegx", "posnegy", "phmrg", "phpg", "phcol", "pvmrg", "pvpg", "pvpara",
      "absw", "absh", "abslock", "nowrap", "dxfrtext", "dfrmtxtx", "dfrmtxty", "overlay", "wrapdefault",
      "wraparound", "wraptight", "wrapthrough", "absnoovrlp", "dropcapli", "dropcapt", "frmtxlrtb",
      "frmtxtbrl", "frmtxbtlr", "frmtxlrtbv", "frmtxtbrlv"};
  // Which headers and footers show: left and right pages apart, the first page apart.
  if ((word == "facingp" || word == "titlepg") && wholeDoc_ && active_ == &builder_) {
    const QByteArray w(word.data(), qsizetype(word.size()));
    if (std::none_of(parts_.begin(), parts_.end(), [&](const DocumentPart& p) { return p.word == w; }))
      parts_.append(DocumentPart{w, {}});
    return;
  }
  if (frameWords.count(word)) {
    QByteArray& frame = stack_.back().pa.frame;
    if (frame.size() < 512) {
      frame += '\\' + QByteArray(word.data(), qsizetype(word.size()));
      if (hasParam) frame += QByteArray::number(param);
    }
    return;
  }
  const bool rowWord = word.substr(0, 2) == "tr" || word.substr(0, 3) == "tbl";
  const bool cellWord = word.substr(0, 2) == "cl";
  if (!rowWord && !cellWord) return;
  if (word.find("pat") != std::string_view::npos || word.find("rsid") != std::string_view::npos) return;
  QByteArray kept = "\\" + QByteArray(word.data(), qsizetype(word.size()));
  if (hasParam) kept += QByteArray::number(param);
  const int level = RowLevel(stack_.back());
  if (rowWord) rowDefs_[size_t(level - 1)].props.extra += kept;
  else pendingCells_[size_t(level - 1)].extra += kept;
}

}  // namespace rtf::reader
