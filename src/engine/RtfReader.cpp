#include "engine/RtfReader.h"

#include <QColor>
#include <QHash>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/RtfCodePage.h"
#include "engine/TextModel.h"
#include "engine/TextObjects.h"

namespace engine {

namespace {

// Groups nested deeper than this are still balanced but their content is dropped: no editor
// writes such documents, and the state stack stays small whatever the input.
constexpr int kMaxDepth = 256;
constexpr int kMaxUnicodeSkip = 64;
constexpr int kMaxWordLength = 32;

enum class Dest : unsigned char {
  Text,
  Skip,
  FontTable,
  ColorTable,
  Pict,
  Object,
  ObjClass,
  ObjResult,
  FieldInst,
  Pn,
  PnTextAfter,   // {\pntxta ...}: what follows the number
  PnTextBefore,  // {\pntxtb ...}: what precedes it
  ListTable,
  ListOverride,
};

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
  int align = 1, li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
  bool slmult = false;
  QList<int> tabs;
  int numbering = 0, numStart = 1, numStyle = 0, numTab = 0;
  int ls = 0, ilvl = 0;
  bool operator==(const ParaState&) const = default;
};

struct State {
  CharState ch;
  ParaState pa;
  Dest dest = Dest::Text;
  bool star = false;       // "\*" seen: an unknown destination here is skipped
  bool firstWord = true;   // no control word yet in this group
  bool ownsDest = false;   // this group opened its destination (pict, object, field, pn)
  bool pictInResult = false;
  bool pictOpensGroup = false;
  bool inPict = false;    // a group inside a picture
  bool upr = false;       // this group holds an ANSI and a Unicode form of the same text
  bool uprAnsi = false;   // inside the ANSI form: its text is dropped  // \pict was the group's first word: the group is the picture
  int uc = 1;
  int field = -1;          // index into the open fields
  qsizetype groupStart = 0;
};

struct Font {
  QString name;
  QByteArray nameBytes;
  int charset = -1;
  int cpg = 0;
  int pitchFamily = 0;
  bool done = false;
};

struct Field {
  QString inst;
  bool owner = false;
};

struct Picture {
  QByteArray data;
  int kind = 5;
  int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
  bool hexHigh = false;
  int nibble = 0;
};

struct ObjectInfo {
  bool active = false;
  QString cls;
  int objw = 0, objh = 0;
  Picture result;
  bool hasResult = false;
};

enum Kw : int {
  kwUnknown,
  // destinations
  kwFonttbl, kwColortbl, kwPict, kwObject, kwObjclass, kwObjdata, kwResult, kwField, kwFldinst,
  kwFldrslt, kwPn, kwListtable, kwListoverridetable, kwShppict, kwSkipDest, kwUpr, kwUd,
  // document
  kwAnsi, kwMac, kwPc, kwPca, kwAnsicpg, kwDeff, kwRtf, kwUc, kwU, kwBin,
  // fonts and colours
  kwF, kwFcharset, kwCpg, kwFprq, kwFnil, kwFroman, kwFswiss, kwFmodern, kwFscript, kwFdecor,
  kwFtech, kwFbidi, kwRed, kwGreen, kwBlue,
  // character
  kwPlain, kwB, kwI, kwUl, kwUlnone, kwStrike, kwStriked, kwSub, kwSuper, kwNosupersub, kwFs,
  kwCf, kwCb, kwHighlight, kwChcbpat, kwProtect,
  // paragraph
  kwPard, kwQl, kwQc, kwQr, kwQj, kwQd, kwLi, kwRi, kwFi, kwSb, kwSa, kwSl, kwSlmult, kwTx, kwTb,
  kwLs, kwIlvl, kwIntbl,
  // numbering
  kwPnlvlblt, kwPnlvlbody, kwPnlvlcont, kwPnlvl, kwPndec, kwPnlcltr, kwPnucltr, kwPnlcrm, kwPnucrm,
  kwPnstart, kwPnindent, kwPntxta, kwPntxtb,
  kwList, kwListlevel, kwListid, kwLevelnfc, kwLevelstartat,
  // pictures and objects
  kwPngblip, kwJpegblip, kwDibitmap, kwWbitmap, kwWmetafile, kwEmfblip, kwMacpict, kwPmmetafile,
  kwPicw, kwPich, kwPicwgoal, kwPichgoal, kwPicscalex, kwPicscaley, kwObjw, kwObjh,
  // breaks and symbols
  kwPar, kwSect, kwPage, kwLine, kwTab, kwCell, kwRow, kwChar, kwChftn,
};

struct KwEntry {
  Kw kw;
  char16_t ch;  // for kwChar
};

const std::unordered_map<std::string_view, KwEntry>& Keywords() {
  static const std::unordered_map<std::string_view, KwEntry> map = {
      {"fonttbl", {kwFonttbl, 0}}, {"colortbl", {kwColortbl, 0}}, {"pict", {kwPict, 0}},
      {"object", {kwObject, 0}}, {"objclass", {kwObjclass, 0}}, {"objdata", {kwObjdata, 0}},
      {"result", {kwResult, 0}}, {"field", {kwField, 0}}, {"fldinst", {kwFldinst, 0}},
      {"fldrslt", {kwFldrslt, 0}}, {"pn", {kwPn, 0}}, {"listtable", {kwListtable, 0}},
      {"listoverridetable", {kwListoverridetable, 0}}, {"shppict", {kwShppict, 0}},
      // Row properties of nested tables: some writers put the cells' text inside, and nothing
      // in it is harmful to read.
      {"nesttableprops", {kwShppict, 0}},
      {"upr", {kwUpr, 0}}, {"ud", {kwUd, 0}},
      // Destinations whose text is not part of the body.
      {"stylesheet", {kwSkipDest, 0}}, {"info", {kwSkipDest, 0}}, {"header", {kwSkipDest, 0}},
      {"headerl", {kwSkipDest, 0}}, {"headerr", {kwSkipDest, 0}}, {"headerf", {kwSkipDest, 0}},
      {"footer", {kwSkipDest, 0}}, {"footerl", {kwSkipDest, 0}}, {"footerr", {kwSkipDest, 0}},
      {"footerf", {kwSkipDest, 0}}, {"nonesttables", {kwSkipDest, 0}}, {"footnote", {kwSkipDest, 0}}, {"pntext", {kwSkipDest, 0}},
      {"listtext", {kwSkipDest, 0}}, {"pnseclvl", {kwSkipDest, 0}},
      {"nonshppict", {kwSkipDest, 0}}, {"shp", {kwSkipDest, 0}}, {"shpinst", {kwSkipDest, 0}},
      {"xe", {kwSkipDest, 0}}, {"tc", {kwSkipDest, 0}}, {"txe", {kwSkipDest, 0}},
      {"do", {kwSkipDest, 0}}, {"filetbl", {kwSkipDest, 0}}, {"revtbl", {kwSkipDest, 0}},
      {"rsidtbl", {kwSkipDest, 0}}, {"template", {kwSkipDest, 0}}, {"annotation", {kwSkipDest, 0}},
      {"atnid", {kwSkipDest, 0}}, {"atnauthor", {kwSkipDest, 0}}, {"generator", {kwSkipDest, 0}},
      {"themedata", {kwSkipDest, 0}}, {"colorschememapping", {kwSkipDest, 0}},
      {"latentstyles", {kwSkipDest, 0}}, {"datastore", {kwSkipDest, 0}},
      {"userprops", {kwSkipDest, 0}}, {"docvar", {kwSkipDest, 0}}, {"pgdsctbl", {kwSkipDest, 0}},
      {"ansi", {kwAnsi, 0}}, {"mac", {kwMac, 0}}, {"pc", {kwPc, 0}}, {"pca", {kwPca, 0}},
      {"ansicpg", {kwAnsicpg, 0}}, {"deff", {kwDeff, 0}}, {"rtf", {kwRtf, 0}}, {"uc", {kwUc, 0}},
      {"u", {kwU, 0}}, {"bin", {kwBin, 0}},
      {"f", {kwF, 0}}, {"fcharset", {kwFcharset, 0}}, {"cpg", {kwCpg, 0}}, {"fprq", {kwFprq, 0}},
      {"fnil", {kwFnil, 0}}, {"froman", {kwFroman, 0}}, {"fswiss", {kwFswiss, 0}},
      {"fmodern", {kwFmodern, 0}}, {"fscript", {kwFscript, 0}}, {"fdecor", {kwFdecor, 0}},
      {"ftech", {kwFtech, 0}}, {"fbidi", {kwFbidi, 0}}, {"red", {kwRed, 0}},
      {"green", {kwGreen, 0}}, {"blue", {kwBlue, 0}},
      {"plain", {kwPlain, 0}}, {"b", {kwB, 0}}, {"i", {kwI, 0}}, {"ul", {kwUl, 0}},
      {"uld", {kwUl, 0}}, {"uldash", {kwUl, 0}}, {"uldashd", {kwUl, 0}}, {"uldashdd", {kwUl, 0}},
      {"uldb", {kwUl, 0}}, {"ulth", {kwUl, 0}}, {"ulw", {kwUl, 0}}, {"ulwave", {kwUl, 0}},
      {"ulnone", {kwUlnone, 0}}, {"strike", {kwStrike, 0}}, {"striked", {kwStriked, 0}},
      {"sub", {kwSub, 0}}, {"super", {kwSuper, 0}}, {"nosupersub", {kwNosupersub, 0}},
      {"fs", {kwFs, 0}}, {"cf", {kwCf, 0}}, {"cb", {kwCb, 0}}, {"highlight", {kwHighlight, 0}},
      {"chcbpat", {kwChcbpat, 0}}, {"protect", {kwProtect, 0}},
      {"pard", {kwPard, 0}}, {"ql", {kwQl, 0}}, {"qc", {kwQc, 0}}, {"qr", {kwQr, 0}},
      {"qj", {kwQj, 0}}, {"qd", {kwQd, 0}}, {"li", {kwLi, 0}}, {"lin", {kwLi, 0}},
      {"ri", {kwRi, 0}}, {"rin", {kwRi, 0}}, {"fi", {kwFi, 0}}, {"sb", {kwSb, 0}},
      {"sa", {kwSa, 0}}, {"sl", {kwSl, 0}}, {"slmult", {kwSlmult, 0}}, {"tx", {kwTx, 0}},
      {"tb", {kwTb, 0}}, {"ls", {kwLs, 0}}, {"ilvl", {kwIlvl, 0}}, {"intbl", {kwIntbl, 0}},
      {"pnlvlblt", {kwPnlvlblt, 0}}, {"pnlvlbody", {kwPnlvlbody, 0}},
      {"pnlvlcont", {kwPnlvlcont, 0}}, {"pnlvl", {kwPnlvl, 0}}, {"pndec", {kwPndec, 0}},
      {"pnlcltr", {kwPnlcltr, 0}}, {"pnucltr", {kwPnucltr, 0}}, {"pnlcrm", {kwPnlcrm, 0}},
      {"pnucrm", {kwPnucrm, 0}}, {"pnstart", {kwPnstart, 0}}, {"pnindent", {kwPnindent, 0}},
      {"pntxta", {kwPntxta, 0}}, {"pntxtb", {kwPntxtb, 0}},
      {"list", {kwList, 0}}, {"listlevel", {kwListlevel, 0}}, {"listid", {kwListid, 0}},
      {"levelnfc", {kwLevelnfc, 0}}, {"levelnfcn", {kwLevelnfc, 0}},
      {"levelstartat", {kwLevelstartat, 0}},
      {"pngblip", {kwPngblip, 0}}, {"jpegblip", {kwJpegblip, 0}}, {"dibitmap", {kwDibitmap, 0}},
      {"wbitmap", {kwWbitmap, 0}}, {"wmetafile", {kwWmetafile, 0}}, {"emfblip", {kwEmfblip, 0}},
      {"macpict", {kwMacpict, 0}}, {"pmmetafile", {kwPmmetafile, 0}}, {"picw", {kwPicw, 0}},
      {"pich", {kwPich, 0}}, {"picwgoal", {kwPicwgoal, 0}}, {"pichgoal", {kwPichgoal, 0}},
      {"picscalex", {kwPicscalex, 0}}, {"picscaley", {kwPicscaley, 0}}, {"objw", {kwObjw, 0}},
      {"objh", {kwObjh, 0}},
      {"par", {kwPar, 0}}, {"sect", {kwSect, 0}}, {"page", {kwPage, 0}}, {"line", {kwLine, 0}},
      {"tab", {kwTab, 0}}, {"cell", {kwCell, 0}}, {"nestcell", {kwCell, 0}}, {"row", {kwRow, 0}},
      {"nestrow", {kwRow, 0}}, {"chftn", {kwChftn, 0}},
      {"emdash", {kwChar, 0x2014}}, {"endash", {kwChar, 0x2013}}, {"bullet", {kwChar, 0x2022}},
      {"lquote", {kwChar, 0x2018}}, {"rquote", {kwChar, 0x2019}},
      {"ldblquote", {kwChar, 0x201C}}, {"rdblquote", {kwChar, 0x201D}},
      {"emspace", {kwChar, 0x2003}}, {"enspace", {kwChar, 0x2002}},
      {"qmspace", {kwChar, 0x2005}}, {"zwj", {kwChar, 0x200D}}, {"zwnj", {kwChar, 0x200C}},
      {"ltrmark", {kwChar, 0x200E}}, {"rtlmark", {kwChar, 0x200F}},
  };
  return map;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters that may not reach the document as text: controls (Qt would take CR and LF for
// paragraph ends), Qt's own block and frame markers, and the object character.
inline bool Unwanted(char16_t c) {
  return (c < 0x20 && c != '\t') || c == 0x7F || c == 0x2029 || c == 0xFFFC || c == 0xFDD0 ||
         c == 0xFDD1 || c == 0xFDEF;
}

int NumberingOfNfc(int nfc) {
  switch (nfc) {
    case 0: return 2;
    case 1: return 6;
    case 2: return 5;
    case 3: return 4;
    case 4: return 3;
    case 23: return 1;
    case 255: return 0;
    default: return 2;
  }
}

QTextListFormat::Style ListStyleOf(int numbering) {
  switch (numbering) {
    case 1: return QTextListFormat::ListDisc;
    case 3: return QTextListFormat::ListLowerAlpha;
    case 4: return QTextListFormat::ListUpperAlpha;
    case 5: return QTextListFormat::ListLowerRoman;
    case 6: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDecimal;
  }
}

class Reader {
 public:
  Reader(const QByteArray& in, QTextCursor& cur) : in_(in), cur_(cur) {}

  void Run();

 private:
  struct ListLevel {
    int nfc = 0;
    int start = 1;
  };

  // --- the document side ---
  void FlushBytes();
  void FlushRun();
  void EmitText(const QString& s);
  void EmitChar(char16_t c);
  void ResolveSurrogate();
  void EmitToDocument(const QString& s);
  void EmitObject(QTextCharFormat fmt);
  void RealizePendingPar();
  void EndParagraph();
  void ApplyBlockFormat();
  const QTextCharFormat& CharFormat(const CharState& ch);
  QTextBlockFormat BlockFormat(const ParaState& pa);
  int CodePageOf(int font);
  void AddPictureProperties(QTextCharFormat& f, const Picture& p);

  // --- the RTF side ---
  void PushGroup(qsizetype at);
  void PopGroup();
  void ControlWord(std::string_view word, bool hasParam, int param);
  void StartDest(State& s, Dest d);
  void EndFontEntry();
  void HandleText(const char* p, qsizetype n);
  void HexByte(unsigned char b);
  void Finish();

  const QByteArray& in_;
  QTextCursor& cur_;
  QTextDocument* doc_ = nullptr;

  std::vector<State> stack_;
  qsizetype pos_ = 0;  // where the tokenizer stands
  int overflow_ = 0;  // groups opened beyond kMaxDepth
  bool rootClosed_ = false;
  bool finishing_ = false;  // closing groups left open at the end of the file
  int footnotes_ = 0;
  int skipChars_ = 0;  // fallback characters still to skip after \uN
  char16_t highSurrogate_ = 0;

  int docCp_ = 1252;
  int deff_ = -1;
  std::unordered_map<int, Font> fonts_;
  int curFont_ = -1;
  int lastFontForCp_ = -2, lastCp_ = 1252;
  std::vector<QColor> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  std::vector<QString> links_;
  std::vector<Field> fields_;
  QString pnAfter_, pnBefore_;
  Picture pict_;
  ObjectInfo obj_;
  std::unordered_map<int, std::vector<ListLevel>> lists_;
  std::unordered_map<int, int> overrides_;
  std::vector<ListLevel> curLevels_;
  int curListId_ = 0;

  CodePageDecoder decoder_;
  QByteArray bytes_;  // text bytes waiting to be decoded in bytesCp_
  int bytesCp_ = 0;
  Dest bytesDest_ = Dest::Text;

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
  bool pageBreakNext_ = false;
  int pendingTabs_ = 0;
  bool blockTouched_ = false;
  bool insertedBlock_ = false;
  bool startedEmpty_ = false;
  QTextList* list_ = nullptr;
  int listKind_ = 0;
  int listBlock_ = -1;
  bool registered_ = false;
};

void Reader::PushGroup(qsizetype at) {
  if (!stack_.empty()) ResolveSurrogate();
  FlushBytes();
  skipChars_ = 0;
  if (int(stack_.size()) >= kMaxDepth) {
    ++overflow_;
    return;
  }
  State s = stack_.empty() ? State{} : stack_.back();
  s.star = false;
  s.firstWord = true;
  s.ownsDest = false;
  s.groupStart = at;
  if (stack_.empty()) s.dest = Dest::Text;
  if (s.upr) {
    s.upr = false;
    s.uprAnsi = true;
  }
  // Groups inside a picture hold its properties, never text or tables of the document; only
  // binary picture data may sit in one.
  if (s.dest == Dest::Pict) {
    s.dest = Dest::Skip;
    s.inPict = true;
  }
  stack_.push_back(std::move(s));
}

void Reader::PopGroup() {
  FlushBytes();
  skipChars_ = 0;
  if (overflow_ > 0) {
    --overflow_;
    return;
  }
  if (stack_.empty()) return;
  if (stack_.size() == 1) {
    // The root group closed: the document ends here, whatever follows (mail programs and
    // stream-outs leave bytes after it).
    rootClosed_ = true;
    return;
  }
  State done = std::move(stack_.back());
  stack_.pop_back();
  State& parent = stack_.back();
  if (!done.ownsDest) {
    if (done.dest == Dest::FontTable && parent.dest == Dest::FontTable) EndFontEntry();
    return;
  }
  switch (done.dest) {
    case Dest::FontTable: EndFontEntry(); break;
    case Dest::Pict: {
      if (pict_.hexHigh) pict_.hexHigh = false;
      if (done.pictInResult) {
        if (obj_.active && !obj_.hasResult) {
          obj_.result = std::move(pict_);
          obj_.hasResult = true;
        }
      } else if (!obj_.active && parent.dest == Dest::Text) {
        QTextCharFormat f = CharFormat(done.ch);
        AddPictureProperties(f, pict_);
        // A picture cut off by the end of the file is written back in full form, not as the
        // broken bytes, which could swallow what follows.
        f.setProperty(kPictureRtf,
                      finishing_ || !done.pictOpensGroup
                          ? PictureRtf(pict_.data, pict_.kind, pict_.picw, pict_.pich,
                                              pict_.goalw, pict_.goalh, pict_.scalex, pict_.scaley)
                          : in_.mid(done.groupStart, pos_ + 1 - done.groupStart));
        EmitObject(f);
      }
      pict_ = Picture{};
      break;
    }
    case Dest::Object: {
      // An object cut off by the end of the file has lost its data: it is dropped.
      if (obj_.active && !finishing_) {
        QTextCharFormat f = CharFormat(done.ch);
        if (obj_.hasResult) AddPictureProperties(f, obj_.result);
        if (obj_.objw > 0 && obj_.objh > 0 && !obj_.hasResult) {
          f.setProperty(kPictureGoalWTw, obj_.objw);
          f.setProperty(kPictureGoalHTw, obj_.objh);
        }
        f.setProperty(kObjectRtf, in_.mid(done.groupStart, pos_ + 1 - done.groupStart));
        f.setProperty(kObjectClass, obj_.cls);
        f.setProperty(kObjectKey, qulonglong(qHash(f.property(kObjectRtf).toByteArray())));
        if (parent.dest == Dest::Text) EmitObject(f);
      }
      obj_ = ObjectInfo{};
      break;
    }
    case Dest::Pn: {
      parent.pa.numbering = done.pa.numbering ? done.pa.numbering : 2;
      parent.pa.numStart = done.pa.numStart;
      parent.pa.numTab = done.pa.numTab;
      // The text around the number gives the numbering style: "1)", "(1)", "1." or "1".
      const QString after = pnAfter_.trimmed(), before = pnBefore_.trimmed();
      int style = 0x200;
      if (before == QLatin1String("(") && after == QLatin1String(")")) style = 0x100;
      else if (after == QLatin1String(")")) style = 0;
      else if (after.isEmpty() && before.isEmpty()) style = 0x300;
      parent.pa.numStyle = parent.pa.numbering == 1 ? 0 : style;
      break;
    }
    case Dest::ColorTable:
      if (colorSet_) colors_.emplace_back(red_, green_, blue_);
      colorSet_ = false;
      break;
    default: break;
  }
  // A field closes with the group that opened it.
  if (done.field >= 0 && done.field != parent.field && done.field < int(fields_.size()))
    fields_.resize(done.field);
}

void Reader::StartDest(State& s, Dest d) {
  FlushBytes();
  s.dest = d;
  s.ownsDest = true;
}

void Reader::EndFontEntry() {
  FlushBytes();
  if (curFont_ < 0) return;
  Font& f = fonts_[curFont_];
  if (!f.done) {
    f.done = true;
    QString name = f.name.trimmed();
    if (name.endsWith(u';')) name.chop(1);
    f.name = name.trimmed();
  }
  curFont_ = -1;
  lastFontForCp_ = -2;
}

int Reader::CodePageOf(int font) {
  if (font == lastFontForCp_) return lastCp_;
  int cp = docCp_;
  auto it = fonts_.find(font);
  if (it != fonts_.end()) {
    if (it->second.cpg > 0) cp = it->second.cpg;
    else if (int c = CodePageOfCharset(it->second.charset)) cp = c;
  }
  lastFontForCp_ = font;
  lastCp_ = cp;
  return cp;
}

void Reader::HexByte(unsigned char b) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  if (s.dest == Dest::Skip || s.dest == Dest::ColorTable || s.dest == Dest::ListTable ||
      s.dest == Dest::ListOverride || s.dest == Dest::Pn || s.dest == Dest::Object ||
      s.dest == Dest::ObjResult || s.dest == Dest::Pict)
    return;
  int cp = s.dest == Dest::FontTable && curFont_ >= 0 ? CodePageOf(curFont_)
                                                       : CodePageOf(s.ch.font);
  // A symbol font's name is ordinary text: only its glyphs live in the symbol table.
  if (s.dest == Dest::FontTable && cp == kSymbolCodePage) cp = docCp_;
  if (!bytes_.isEmpty() && (bytesCp_ != cp || bytesDest_ != s.dest)) FlushBytes();
  bytesCp_ = cp;
  bytesDest_ = s.dest;
  bytes_.append(char(b));
}

void Reader::FlushBytes() {
  if (bytes_.isEmpty()) return;
  QString s;
  decoder_.Decode(bytes_.constData(), bytes_.size(), bytesCp_, s);
  bytes_.clear();
  const Dest d = bytesDest_;
  switch (d) {
    case Dest::Text: EmitToDocument(s); break;
    case Dest::FontTable:
      if (curFont_ >= 0) fonts_[curFont_].name += s;
      break;
    case Dest::FieldInst:
      if (!fields_.empty()) fields_.back().inst += s;
      break;
    case Dest::ObjClass: obj_.cls += s; break;
    case Dest::PnTextAfter: pnAfter_ += s; break;
    case Dest::PnTextBefore: pnBefore_ += s; break;
    default: break;
  }
}

void Reader::EmitText(const QString& s) {
  FlushBytes();
  if (stack_.back().uprAnsi) return;
  const Dest d = stack_.back().dest;
  switch (d) {
    case Dest::Text: EmitToDocument(s); break;
    case Dest::FontTable:
      if (curFont_ >= 0) {
        fonts_[curFont_].name += s;
        if (s.contains(u';')) EndFontEntry();
      }
      break;
    case Dest::FieldInst:
      if (!fields_.empty()) fields_.back().inst += s;
      break;
    case Dest::ObjClass: obj_.cls += s; break;
    case Dest::PnTextAfter: pnAfter_ += s; break;
    case Dest::PnTextBefore: pnBefore_ += s; break;
    default: break;
  }
}

void Reader::EmitChar(char16_t c) { EmitText(QString(QChar(c))); }

void Reader::ResolveSurrogate() {
  if (!highSurrogate_) return;
  // Half a surrogate pair stands for nothing: it shows as a question mark.
  highSurrogate_ = 0;
  EmitChar(u'?');
}

void Reader::RealizePendingPar() {
  if (!pendingPar_) return;
  pendingPar_ = false;
  QTextBlockFormat bf = BlockFormat(stack_.back().pa);
  if (pageBreakNext_) {
    bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakNext_ = false;
  }
  cur_.insertBlock(bf, CharFormat(stack_.back().ch));
  insertedBlock_ = true;
  blockTouched_ = false;
}

void Reader::EmitToDocument(const QString& s) {
  if (s.isEmpty()) return;
  const CharState& ch = stack_.back().ch;
  if (pendingPar_ || (runHasState_ && !(runState_ == ch))) FlushRun();
  RealizePendingPar();
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

void Reader::FlushRun() {
  if (!run_.isEmpty()) {
    bool clean = true;
    for (QChar c : std::as_const(run_))
      if (Unwanted(c.unicode())) {
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
        else if (!Unwanted(c))
          filtered.append(QChar(c));
      }
      run_ = filtered;
    }
    if (!run_.isEmpty()) cur_.insertText(run_, CharFormat(runState_));
    run_.clear();
  }
  runHasState_ = false;
}

void Reader::EmitObject(QTextCharFormat fmt) {
  FlushRun();
  RealizePendingPar();
  if (pendingTabs_ > 0) EmitToDocument(QString());
  if (!registered_) {
    RegisterTextObjects(doc_);
    registered_ = true;
  }
  fmt.setObjectType(kEmbeddedObjectType);
  cur_.insertText(QString(QChar::ObjectReplacementCharacter), fmt);
  blockTouched_ = true;
}

void Reader::AddPictureProperties(QTextCharFormat& f, const Picture& p) {
  f.setProperty(kPictureData, p.data);
  f.setProperty(kPictureKind, p.kind);
  f.setProperty(kPictureWidthTw, p.picw);
  f.setProperty(kPictureHeightTw, p.pich);
  f.setProperty(kPictureGoalWTw, p.goalw);
  f.setProperty(kPictureGoalHTw, p.goalh);
  f.setProperty(kPictureScaleX, p.scalex);
  f.setProperty(kPictureScaleY, p.scaley);
  f.setProperty(kObjectKey, qulonglong(qHash(p.data)));
}

const QTextCharFormat& Reader::CharFormat(const CharState& ch) {
  if (haveLastFmt_ && lastFmtState_ == ch) return lastFmt_;
  QTextCharFormat f;
  auto it = fonts_.find(ch.font);
  if (it == fonts_.end()) it = fonts_.find(deff_);
  if (it != fonts_.end()) {
    const Font& font = it->second;
    if (!font.name.isEmpty()) {
      f.setFontFamilies(QStringList{font.name});
    }
    f.setProperty(kCharset, font.charset >= 0 ? font.charset : 1);
    f.setProperty(kPitchAndFamily, font.pitchFamily);
  }
  f.setFontPointSize(ch.fs / 2.0);
  if (ch.bold) f.setFontWeight(QFont::Bold);
  if (ch.italic) f.setFontItalic(true);
  if (ch.underline) f.setFontUnderline(true);
  if (ch.strike) f.setFontStrikeOut(true);
  if (ch.vert == 1) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  if (ch.vert == 2) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (ch.fg > 0 && ch.fg < int(colors_.size()) && colors_[ch.fg].isValid())
    f.setForeground(colors_[ch.fg]);
  if (ch.bg > 0 && ch.bg < int(colors_.size()) && colors_[ch.bg].isValid())
    f.setBackground(colors_[ch.bg]);
  if (ch.prot) f.setProperty(kProtected, true);
  if (ch.link >= 0 && ch.link < int(links_.size())) {
    f.setAnchor(true);
    f.setAnchorHref(links_[ch.link]);
    f.setProperty(kLink, true);
  }
  lastFmtState_ = ch;
  lastFmt_ = f;
  haveLastFmt_ = true;
  return lastFmt_;
}

QTextBlockFormat Reader::BlockFormat(const ParaState& pa) {
  if (haveLastBlockFmt_ && lastBlockState_ == pa) return lastBlockFmt_;
  QTextBlockFormat f;
  SetAlignment(f, pa.align);
  SetIndents(f, pa.li + pa.fi, pa.ri, -pa.fi);
  SetSpaceBefore(f, pa.sb);
  SetSpaceAfter(f, pa.sa);
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
  if (!pa.tabs.isEmpty()) SetTabStops(f, pa.tabs);
  int numbering = pa.numbering, start = pa.numStart, style = pa.numStyle;
  if (numbering == 0 && pa.ls > 0) {
    auto o = overrides_.find(pa.ls);
    auto l = lists_.find(o != overrides_.end() ? o->second : -1);
    if (l != lists_.end() && !l->second.empty()) {
      const ListLevel& lv = l->second[std::clamp(pa.ilvl, 0, int(l->second.size()) - 1)];
      numbering = NumberingOfNfc(lv.nfc);
      start = lv.start;
      style = 0x200;
    }
  }
  if (numbering > 0) {
    f.setProperty(kNumbering, numbering);
    f.setProperty(kNumberingStart, start);
    f.setProperty(kNumberingStyle, style);
    f.setProperty(kNumberingTabTw, pa.numTab);
  }
  lastBlockState_ = pa;
  lastBlockFmt_ = f;
  haveLastBlockFmt_ = true;
  return f;
}

void Reader::ApplyBlockFormat() {
  QTextBlockFormat bf = BlockFormat(stack_.back().pa);
  QTextBlock block = cur_.block();
  const QTextBlockFormat old = block.blockFormat();
  if (old.pageBreakPolicy() != QTextFormat::PageBreak_Auto)
    bf.setPageBreakPolicy(old.pageBreakPolicy());
  cur_.setBlockFormat(bf);
  const int numbering = bf.intProperty(kNumbering);
  if (numbering > 0) {
    const QTextBlock prev = block.previous();
    if (list_ && listKind_ == numbering && prev.isValid() && prev.blockNumber() == listBlock_) {
      list_->add(block);
    } else {
      QTextListFormat lf;
      lf.setStyle(ListStyleOf(numbering));
      lf.setIndent(0);
      list_ = cur_.createList(lf);
      listKind_ = numbering;
    }
    listBlock_ = block.blockNumber();
  } else if (QTextList* l = block.textList()) {
    l->remove(block);
  }
}

void Reader::EndParagraph() {
  FlushBytes();
  FlushRun();
  RealizePendingPar();
  pendingTabs_ = 0;
  ApplyBlockFormat();
  pendingPar_ = true;
}

void Reader::HandleText(const char* p, qsizetype n) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  switch (s.dest) {
    case Dest::Text:
    case Dest::FontTable:
    case Dest::FieldInst:
    case Dest::ObjClass:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore: break;
    case Dest::ColorTable:
      for (qsizetype i = 0; i < n; ++i)
        if (p[i] == ';') {
          colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
          colorSet_ = false;
          red_ = green_ = blue_ = 0;
        }
      return;
    default: return;
  }
  if (s.dest == Dest::FontTable) {
    // A font's name ends at its semicolon; the bytes go through the code page of that font.
    for (qsizetype i = 0; i < n; ++i) {
      HexByte(static_cast<unsigned char>(p[i]));
      if (p[i] == ';') EndFontEntry();
    }
    return;
  }
  const int cp = CodePageOf(s.ch.font);
  if (!bytes_.isEmpty() && (bytesCp_ != cp || bytesDest_ != s.dest)) FlushBytes();
  bytesCp_ = cp;
  bytesDest_ = s.dest;
  bytes_.append(p, n);
}

void Reader::ControlWord(std::string_view word, bool hasParam, int param) {
  State& s = stack_.back();
  const auto& kws = Keywords();
  auto it = kws.find(word);
  const Kw kw = it == kws.end() ? kwUnknown : it->second.kw;
  const bool first = s.firstWord;
  s.firstWord = false;

  if (kw == kwBin) return;  // handled by the tokenizer
  if (s.dest == Dest::Skip) return;
  if (s.star && first) {
    const bool known = kw == kwFonttbl || kw == kwColortbl || kw == kwPict || kw == kwObject ||
                       kw == kwObjclass || kw == kwObjdata || kw == kwResult || kw == kwField ||
                       kw == kwFldinst || kw == kwFldrslt || kw == kwPn ||
                       kw == kwListtable || kw == kwListoverridetable || kw == kwShppict ||
                       kw == kwUd;
    if (!known) {
      StartDest(s, Dest::Skip);
      return;
    }
  }
  if (kw != kwU && kw != kwChar && kw != kwTab && kw != kwLine) FlushBytes();

  const int v = hasParam ? param : 0;
  const bool on = !hasParam || param != 0;
  switch (kw) {
    case kwUnknown: return;
    case kwSkipDest:
      StartDest(s, Dest::Skip);
      return;
    case kwFonttbl: StartDest(s, s.dest == Dest::Text ? Dest::FontTable : Dest::Skip); return;
    case kwColortbl:
      if (s.dest != Dest::Text) {
        StartDest(s, Dest::Skip);
        return;
      }
      StartDest(s, Dest::ColorTable);
      colors_.clear();
      return;
    case kwPict:
      if (s.dest == Dest::Text || s.dest == Dest::ObjResult) {
        s.pictInResult = s.dest == Dest::ObjResult;
        s.pictOpensGroup = first;
        StartDest(s, Dest::Pict);
        pict_ = Picture{};
      } else {
        StartDest(s, Dest::Skip);
      }
      return;
    case kwObject:
      // Only a group that is the object can be kept byte for byte.
      if (s.dest == Dest::Text && !obj_.active && first) {
        StartDest(s, Dest::Object);
        obj_ = ObjectInfo{};
        obj_.active = true;
      } else {
        StartDest(s, Dest::Skip);
      }
      return;
    case kwObjclass:
      StartDest(s, s.dest == Dest::Object ? Dest::ObjClass : Dest::Skip);
      return;
    case kwObjdata: StartDest(s, Dest::Skip); return;
    case kwResult:
      StartDest(s, s.dest == Dest::Object ? Dest::ObjResult : Dest::Skip);
      return;
    case kwField:
      if (s.dest == Dest::Text) {
        fields_.push_back(Field{});
        s.field = int(fields_.size()) - 1;
      } else {
        StartDest(s, Dest::Skip);
      }
      return;
    case kwFldinst:
      StartDest(s, s.field >= 0 && s.field == int(fields_.size()) - 1 ? Dest::FieldInst
                                                                       : Dest::Skip);
      return;
    case kwFldrslt: {
      if (s.dest != Dest::Text || s.field < 0 || s.field >= int(fields_.size())) return;
      // HYPERLINK "target" [\l "anchor"]: the result's text becomes the link.
      const QString inst = fields_[s.field].inst.trimmed();
      if (inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) {
        QString rest = inst.mid(9).trimmed();
        QString target, anchor;
        bool nextIsAnchor = false;
        while (!rest.isEmpty()) {
          QString token;
          if (rest.startsWith(u'"')) {
            qsizetype i = 1;
            for (; i < rest.size() && rest[i] != u'"'; ++i) {
              if (rest[i] == u'\\' && i + 1 < rest.size()) ++i;
              token.append(rest[i]);
            }
            rest = rest.mid(i + 1).trimmed();
          } else {
            const qsizetype sp = rest.indexOf(u' ');
            token = sp < 0 ? rest : rest.left(sp);
            rest = sp < 0 ? QString() : rest.mid(sp + 1).trimmed();
            if (token.startsWith(u'\\')) {
              nextIsAnchor = token == QLatin1String("\\l");
              continue;
            }
            token.replace(QLatin1String("\\\\"), QLatin1String("\\"));
          }
          if (nextIsAnchor) anchor = token;
          else if (target.isEmpty()) target = token;
          nextIsAnchor = false;
        }
        if (!anchor.isEmpty()) target += u'#' + anchor;
        if (!target.isEmpty()) {
          links_.push_back(target);
          s.ch.link = int(links_.size()) - 1;
        }
      }
      s.dest = Dest::Text;
      return;
    }
    case kwPn:
      if (s.dest == Dest::Text) {
        StartDest(s, Dest::Pn);
        pnAfter_.clear();
        pnBefore_.clear();
        s.pa.numbering = 0;
        s.pa.numStart = 1;
        s.pa.numStyle = 0;
        s.pa.numTab = 0;
      } else {
        StartDest(s, Dest::Skip);
      }
      return;
    case kwListtable: StartDest(s, s.dest == Dest::Text ? Dest::ListTable : Dest::Skip); return;
    case kwListoverridetable:
      StartDest(s, s.dest == Dest::Text ? Dest::ListOverride : Dest::Skip);
      return;
    case kwShppict: return;
    case kwUpr:
      // {\upr{ansi text}{\*\ud{unicode text}}}: the same text twice; the Unicode form wins.
      s.upr = true;
      return;
    case kwUd:
      s.uprAnsi = false;
      return;
    default: break;
  }

  switch (s.dest) {
    case Dest::FontTable:
      switch (kw) {
        case kwF:
          EndFontEntry();
          curFont_ = v;
          fonts_[v] = Font{};
          return;
        case kwFcharset:
          if (curFont_ >= 0) fonts_[curFont_].charset = v;
          lastFontForCp_ = -2;
          return;
        case kwCpg:
          if (curFont_ >= 0) fonts_[curFont_].cpg = v;
          lastFontForCp_ = -2;
          return;
        case kwFprq:
          if (curFont_ >= 0) fonts_[curFont_].pitchFamily |= (v & 0x3);
          return;
        case kwFnil:
        case kwFroman:
        case kwFswiss:
        case kwFmodern:
        case kwFscript:
        case kwFdecor:
        case kwFtech:
        case kwFbidi:
          if (curFont_ >= 0) {
            static const int family[] = {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x00, 0x00};
            fonts_[curFont_].pitchFamily =
                (fonts_[curFont_].pitchFamily & 0x0F) | family[kw - kwFnil];
          }
          return;
        case kwU:
          break;  // a \uN in a font name
        default: return;
      }
      break;
    case Dest::ColorTable:
      switch (kw) {
        case kwRed: red_ = std::clamp(v, 0, 255); colorSet_ = true; return;
        case kwGreen: green_ = std::clamp(v, 0, 255); colorSet_ = true; return;
        case kwBlue: blue_ = std::clamp(v, 0, 255); colorSet_ = true; return;
        default: return;
      }
    case Dest::Pict:
      switch (kw) {
        case kwPngblip: pict_.kind = 1; return;
        case kwJpegblip: pict_.kind = 2; return;
        case kwDibitmap: pict_.kind = 3; return;
        case kwWbitmap: pict_.kind = 5; return;
        case kwWmetafile:
        case kwEmfblip:
        case kwMacpict:
        case kwPmmetafile: pict_.kind = 4; return;
        case kwPicw: pict_.picw = v; return;
        case kwPich: pict_.pich = v; return;
        case kwPicwgoal: pict_.goalw = v; return;
        case kwPichgoal: pict_.goalh = v; return;
        case kwPicscalex: pict_.scalex = v; return;
        case kwPicscaley: pict_.scaley = v; return;
        default: return;
      }
    case Dest::Object:
      if (kw == kwObjw) obj_.objw = v;
      if (kw == kwObjh) obj_.objh = v;
      return;
    case Dest::Pn:
      switch (kw) {
        case kwPnlvlblt: s.pa.numbering = 1; return;
        case kwPnlvlbody:
        case kwPnlvl:
          if (s.pa.numbering == 0) s.pa.numbering = 2;
          return;
        case kwPndec: s.pa.numbering = 2; return;
        case kwPnlcltr: s.pa.numbering = 3; return;
        case kwPnucltr: s.pa.numbering = 4; return;
        case kwPnlcrm: s.pa.numbering = 5; return;
        case kwPnucrm: s.pa.numbering = 6; return;
        case kwPnstart: s.pa.numStart = v; return;
        case kwPnindent: s.pa.numTab = v; return;
        case kwPntxta: StartDest(s, Dest::PnTextAfter); return;
        case kwPntxtb: StartDest(s, Dest::PnTextBefore); return;
        default: return;
      }
    case Dest::ListTable:
      switch (kw) {
        case kwList: curLevels_.clear(); return;
        case kwListlevel: curLevels_.push_back(ListLevel{}); return;
        case kwLevelnfc:
          if (!curLevels_.empty()) curLevels_.back().nfc = v;
          return;
        case kwLevelstartat:
          if (!curLevels_.empty()) curLevels_.back().start = v;
          return;
        case kwListid:
          // A list's own id follows its levels; a level's \listid does not occur.
          if (!curLevels_.empty()) lists_[v] = curLevels_;
          curListId_ = v;
          return;
        default: return;
      }
    case Dest::ListOverride:
      if (kw == kwListid) curListId_ = v;
      if (kw == kwLs) overrides_[v] = curListId_;
      return;
    case Dest::ObjResult:
    case Dest::Skip:
    case Dest::ObjClass:
    case Dest::FieldInst:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore:
      if (kw != kwU && kw != kwUc) return;
      break;
    default: break;
  }

  CharState& ch = s.ch;
  ParaState& pa = s.pa;
  switch (kw) {
    case kwAnsi: docCp_ = 1252; lastFontForCp_ = -2; return;
    case kwMac: docCp_ = 10000; lastFontForCp_ = -2; return;
    case kwPc: docCp_ = 437; lastFontForCp_ = -2; return;
    case kwPca: docCp_ = 850; lastFontForCp_ = -2; return;
    case kwAnsicpg:
      if (v > 0) docCp_ = v;
      lastFontForCp_ = -2;
      return;
    case kwDeff: deff_ = v; return;
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
          EmitChar(u'?');
        }
        return;
      }
      ResolveSurrogate();
      EmitChar(c);
      return;
    }
    case kwF:
      ch.font = v;
      return;
    case kwPlain: {
      const int link = ch.link;
      ch = CharState{};
      ch.font = deff_;
      ch.link = link;
      return;
    }
    case kwB: ch.bold = on; return;
    case kwI: ch.italic = on; return;
    case kwUl: ch.underline = on; return;
    case kwUlnone: ch.underline = false; return;
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
    case kwPard: {
      pa = ParaState{};
      return;
    }
    case kwQl: pa.align = 1; return;
    case kwQr: pa.align = 2; return;
    case kwQc: pa.align = 3; return;
    case kwQj:
    case kwQd: pa.align = 4; return;
    case kwLi: pa.li = std::clamp(v, -31680, 31680); return;
    case kwRi: pa.ri = std::clamp(v, -31680, 31680); return;
    case kwFi: pa.fi = std::clamp(v, -31680, 31680); return;
    case kwSb: pa.sb = std::clamp(v, 0, 31680); return;
    case kwSa: pa.sa = std::clamp(v, 0, 31680); return;
    case kwSl: pa.sl = std::clamp(v, -31680, 31680); return;
    case kwSlmult: pa.slmult = on; return;
    case kwTx:
    case kwTb:
      if (kw == kwTx && pa.tabs.size() < 32 && v > 0 && v <= 31680) pa.tabs.append(v);
      return;
    case kwLs: pa.ls = v; return;
    case kwIlvl: pa.ilvl = std::clamp(v, 0, 8); return;
    case kwPar:
    case kwSect:
      if (s.dest == Dest::Text) EndParagraph();
      return;
    case kwPage:
      if (s.dest == Dest::Text) {
        EndParagraph();
        pageBreakNext_ = true;
      }
      return;
    case kwRow:
      if (s.dest == Dest::Text) EndParagraph();
      return;
    case kwCell:
      if (s.dest == Dest::Text) {
        FlushBytes();
        ++pendingTabs_;
      }
      return;
    case kwChftn:
      // The footnote's text is not kept, but its mark in the text is.
      if (s.dest == Dest::Text) EmitText(QString::number(++footnotes_));
      return;
    case kwLine: EmitChar(0x2028); return;
    case kwTab: EmitChar(u'\t'); return;
    case kwChar: EmitChar(it->second.ch); return;
    default: return;
  }
}

void Reader::Run() {
  doc_ = cur_.document();
  const char* const data = in_.constData();
  const qsizetype size = in_.size();
  startedEmpty_ = cur_.block().length() <= 1;
  {
    State root;
    root.groupStart = 0;
    stack_.reserve(64);
  }
  qsizetype p = 0;
  // Leading white space and a byte order mark before the first brace.
  while (p < size && (data[p] == ' ' || data[p] == '\t' || data[p] == '\r' || data[p] == '\n'))
    ++p;
  if (size - p >= 3 && uchar(data[p]) == 0xEF && uchar(data[p + 1]) == 0xBB &&
      uchar(data[p + 2]) == 0xBF)
    p += 3;

  while (p < size) {
    pos_ = p;
    const char c = data[p];
    if (c == '{') {
      PushGroup(p);
      ++p;
      continue;
    }
    if (c == '}') {
      PopGroup();
      ++p;
      if (rootClosed_) break;
      continue;
    }
    if (stack_.empty()) {
      // Text before any group: read as if inside the root.
      PushGroup(p);
    }
    State& s = stack_.back();
    if (overflow_ > 0) {
      // Inside groups too deep to keep: only \bin matters, so that its data is not parsed.
      if (c == '\\' && p + 4 < size && std::memcmp(data + p + 1, "bin", 3) == 0 &&
          (data[p + 4] == '-' || (data[p + 4] >= '0' && data[p + 4] <= '9'))) {
        // fall through to the control word parser below
      } else {
        // An escaped brace is text, not a group.
        p += c == '\\' && p + 1 < size ? 2 : 1;
        continue;
      }
    }
    if (c == '\\') {
      if (p + 1 >= size) break;
      const char n = data[p + 1];
      if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
        qsizetype q = p + 1;
        while (q < size && ((data[q] >= 'a' && data[q] <= 'z') || (data[q] >= 'A' && data[q] <= 'Z')))
          ++q;
        std::string_view word(data + p + 1, size_t(std::min<qsizetype>(q - p - 1, kMaxWordLength)));
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (q < size && data[q] == '-' && q + 1 < size && data[q + 1] >= '0' && data[q + 1] <= '9') {
          negative = true;
          ++q;
        }
        int digits = 0;
        while (q < size && data[q] >= '0' && data[q] <= '9') {
          if (digits < 10) param = param * 10 + (data[q] - '0');
          ++digits;
          hasParam = true;
          ++q;
        }
        if (q < size && data[q] == ' ') ++q;
        if (negative) param = -param;
        param = std::clamp<long long>(param, INT_MIN, INT_MAX);
        p = q;
        if (word == "bin") {
          // Binary data: exactly N bytes, whatever they look like, never more than the file has.
          const qsizetype n = hasParam && param > 0 ? std::min<qsizetype>(param, size - p) : 0;
          if (overflow_ == 0 && skipChars_ == 0 && (s.dest == Dest::Pict || s.inPict))
            pict_.data.append(data + p, n);
          if (skipChars_ > 0) --skipChars_;
          p += n;
          continue;
        }
        if (overflow_ > 0) continue;
        if (skipChars_ > 0) {
          // A fallback is text; a following \u is the next character (the second half of a
          // surrogate pair, typically), not part of the fallback.
          if (word == "u") skipChars_ = 0;
          else {
            --skipChars_;
            continue;
          }
        }
        if (word != "u") ResolveSurrogate();
        ControlWord(word, hasParam, int(param));
        continue;
      }
      if (overflow_ > 0) {
        p += 2;
        continue;
      }
      if (n == '\'') {
        // \'xx: one byte of text in the current code page.
        int hi = p + 2 < size ? HexValue(data[p + 2]) : -1;
        int lo = p + 3 < size ? HexValue(data[p + 3]) : -1;
        if (hi < 0 || lo < 0) {
          p += 2 + (hi >= 0 ? 1 : 0);
          continue;
        }
        p += 4;
        if (skipChars_ > 0) {
          --skipChars_;
          continue;
        }
        s.firstWord = false;
        HexByte(static_cast<unsigned char>(hi * 16 + lo));
        continue;
      }
      p += 2;
      if (skipChars_ > 0 && n != '*') {
        --skipChars_;
        continue;
      }
      switch (n) {
        case '*': s.star = true; break;
        case '\\':
        case '{':
        case '}': {
          s.firstWord = false;
          const char lit = n;
          HandleText(&lit, 1);
          break;
        }
        case '~': s.firstWord = false; EmitChar(0x00A0); break;
        case '-': s.firstWord = false; EmitChar(0x00AD); break;
        case '_': s.firstWord = false; EmitChar(0x2011); break;
        case '\r':
        case '\n':
          s.firstWord = false;
          if (s.dest == Dest::Text) EndParagraph();
          break;
        default: break;  // \: \| and other symbols: nothing to show
      }
      continue;
    }
    if (c == '\r' || c == '\n' || c == 0) {
      ++p;
      continue;
    }
    if (s.dest == Dest::Pict) {
      // Hex picture data, white space allowed anywhere.
      while (p < size) {
        const char d = data[p];
        const int h = HexValue(d);
        if (h >= 0) {
          if (pict_.hexHigh) {
            pict_.data.append(char(pict_.nibble * 16 + h));
            pict_.hexHigh = false;
          } else {
            pict_.nibble = h;
            pict_.hexHigh = true;
          }
        } else if (d == '\\' || d == '{' || d == '}') {
          break;
        }
        ++p;
      }
      continue;
    }
    if (s.dest == Dest::Skip || s.dest == Dest::Object || s.dest == Dest::ObjResult) {
      ++p;
      while (p < size && data[p] != '\\' && data[p] != '{' && data[p] != '}') ++p;
      continue;
    }
    // Plain text bytes up to the next special byte. In a double-byte code page a lead byte
    // takes the next byte with it, even a brace or backslash.
    s.firstWord = false;
    const int cp = CodePageOf(s.ch.font);
    const bool dbcs = IsDoubleByteCodePage(cp);
    qsizetype q = p;
    while (q < size) {
      const char d = data[q];
      if (d == '\\' || d == '{' || d == '}' || d == '\r' || d == '\n' || d == 0) break;
      if (dbcs && IsLeadByte(cp, static_cast<unsigned char>(d)) && q + 1 < size) q += 2;
      else ++q;
      if (skipChars_ > 0) break;
    }
    if (skipChars_ > 0) {
      // Fallback characters of a \uN: each byte (or double-byte character) counts once.
      --skipChars_;
      p = q;
      continue;
    }
    HandleText(data + p, q - p);
    p = q;
  }
  pos_ = size;
  Finish();
}

void Reader::Finish() {
  finishing_ = true;
  while (!stack_.empty() && stack_.size() > 1) PopGroup();
  FlushBytes();
  if (!stack_.empty()) ResolveSurrogate();
  FlushRun();
  if (pendingPar_) {
    // The last paragraph mark of a document is its final paragraph; only a paste into the
    // middle of a text keeps it as a break.
    if (!cur_.atEnd()) {
      RealizePendingPar();
      ApplyBlockFormat();
    }
    pendingPar_ = false;
  } else if (blockTouched_ && (insertedBlock_ || startedEmpty_) && !stack_.empty()) {
    ApplyBlockFormat();
  }
}

}  // namespace

bool LooksLikeRtf(const QByteArray& bytes) {
  qsizetype p = 0;
  const qsizetype n = bytes.size();
  while (p < n && (bytes[p] == ' ' || bytes[p] == '\t' || bytes[p] == '\r' || bytes[p] == '\n'))
    ++p;
  if (n - p >= 3 && uchar(bytes[p]) == 0xEF && uchar(bytes[p + 1]) == 0xBB &&
      uchar(bytes[p + 2]) == 0xBF)
    p += 3;
  return n - p >= 5 && std::memcmp(bytes.constData() + p, "{\\rtf", 5) == 0;
}

bool ReadRtf(const QByteArray& rtf, QTextCursor& at, QString* error) {
  if (!LooksLikeRtf(rtf)) {
    if (error) *error = QStringLiteral("Not an RTF document: it does not begin with {\\rtf");
    return false;
  }
  if (at.isNull()) {
    if (error) *error = QStringLiteral("No document to read into");
    return false;
  }
  at.beginEditBlock();
  at.removeSelectedText();
  Reader r(rtf, at);
  r.Run();
  at.endEditBlock();
  if (error) error->clear();
  return true;
}

QString DecodeCodePage(const QByteArray& bytes, int codePage) {
  CodePageDecoder d;
  QString out;
  d.Decode(bytes.constData(), bytes.size(), codePage > 0 ? codePage : 1251, out);
  return out;
}

void InsertPlainText(const QString& text, QTextCursor& at) {
  at.beginEditBlock();
  at.removeSelectedText();
  const QTextCharFormat fmt = at.charFormat();
  QString line;
  auto flush = [&] {
    if (!line.isEmpty()) at.insertText(line, fmt);
    line.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == '\r' || c == '\n' || c == 0x2029) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      flush();
      at.insertBlock();
      continue;
    }
    if (Unwanted(c) || c == 0x2028) continue;
    line.append(QChar(c));
  }
  flush();
  at.endEditBlock();
}

}  // namespace engine
