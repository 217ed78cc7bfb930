#include "rtf/RtfWriter.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include <vector>

#include "rtf/Borders.h"
#include "rtf/RtfFields.h"
#include "rtf/CodePage.h"
#include "rtf/Lists.h"
#include "rtf/Numbering.h"
#include "rtf/RtfWriter_p.h"
#include "rtf/TableModel.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace rtf {

namespace writer {

FootnoteReader& NoteReader() {
  static FootnoteReader reader = nullptr;
  return reader;
}

// Byte of every character in code page 1251, -1 where it has none: one lookup per character.
const std::vector<short>& Cp1251() {
  static const std::vector<short> table = [] {
    std::vector<short> t(65536, -1);
    const CodePageEncoder enc(1251);
    for (int c = 0x80; c < 65536; ++c) t[c] = short(enc.Byte(char16_t(c)));
    return t;
  }();
  return table;
}

namespace {

const char* UnderlineWord(int kind) {
  static const char* const words[] = {"\\ulnone",   "\\ul",        "\\ulw",        "\\uldb",
                                      "\\uld",      "\\uldash",    "\\uldashd",    "\\uldashdd",
                                      "\\ulwave",   "\\ulth",      "\\ulhair",     "\\ululdbwave",
                                      "\\ulhwave",  "\\ulldash",   "\\ulthdash",   "\\ulthdashd",
                                      "\\ulthdashdd", "\\ulthd",   "\\ulthldash"};
  return kind >= 0 && kind < int(sizeof(words) / sizeof(words[0])) ? words[kind] : "\\ul";
}

}  // namespace

int Writer::FontIndex(const QTextCharFormat& f) {
  FontKey key;
  const QStringList families = f.fontFamilies().toStringList();
  key.name = families.value(0);
  if (key.name.isEmpty() && f.hasProperty(QTextFormat::FontFamily)) key.name = f.font().family();
  // A name is one line of text up to its semicolon in the font table.
  key.name.remove(u';');
  for (QChar& c : key.name) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029 || u == 0xFFFC) c = u' ';
  }
  key.name = key.name.simplified();
  if (key.name.isEmpty()) key.name = defaultFamily_;
  key.pitchFamily = f.intProperty(kPitchAndFamily) & 0xF3;
  key.symbol = f.intProperty(kCharset) == 2;
  key.charset = f.intProperty(kCharset);
  return FontIndex(key);
}

int Writer::ScriptFontIndex(const QTextCharFormat& f, int nameProperty, int charsetProperty) {
  FontKey key;
  key.name = f.stringProperty(nameProperty);
  key.name.remove(u';');
  for (QChar& c : key.name)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() >= 0x2028) c = u' ';
  key.name = key.name.simplified();
  if (key.name.isEmpty()) return -1;
  key.charset = f.intProperty(charsetProperty);
  key.symbol = key.charset == 2;
  return FontIndex(key);
}

int Writer::FontIndex(FontKey key) {
  // Western and Cyrillic sets are written as Cyrillic, the text's own code page.
  if (key.symbol || key.charset == 0 || key.charset == 1 || key.charset < 0 || key.charset > 255) key.charset = 204;
  auto it = fontIndex_.find(key);
  if (it != fontIndex_.end()) return it->second;
  const int index = int(fonts_.size());
  fonts_.push_back(key);
  fontIndex_.emplace(key, index);
  return index;
}

int Writer::ColorIndex(const QColor& c) {
  const QRgb rgb = c.rgb() & 0xFFFFFF;
  auto it = colorIndex_.find(rgb);
  if (it != colorIndex_.end()) return it->second;
  colors_.push_back(c);
  const int index = int(colors_.size());  // entry 0 is the automatic colour
  colorIndex_.emplace(rgb, index);
  return index;
}

RunState Writer::StateOf(const QTextCharFormat& f) {
  RunState s;
  s.font = FontIndex(f);
  qreal pt = f.fontPointSize();
  // A size relative to the text around it (a heading pasted from a web page) is written as the
  // size it is shown in.
  if (pt <= 0 && f.intProperty(QTextFormat::FontSizeAdjustment) != 0) pt = f.font().pointSizeF();
  s.fs = pt > 0 ? std::clamp(qRound(pt * 2), 1, 3276) : defaultFs_;
  s.bold = f.fontWeight() > QFont::Medium;
  s.italic = f.fontItalic();
  s.ul = UnderlineType(f);
  s.strike = f.fontStrikeOut();
  s.prot = f.boolProperty(kProtected);
  s.vert = f.verticalAlignment() == QTextCharFormat::AlignSubScript     ? 1
           : f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 2
                                                                        : 0;
  if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
    s.fg = ColorIndex(f.foreground().color());
  if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
    s.bg = ColorIndex(f.background().color());
  s.hidden = f.boolProperty(kHidden);
  const QFont::Capitalization caps =
      f.hasProperty(QTextFormat::FontCapitalization) ? f.fontCapitalization() : QFont::MixedCase;
  s.caps = f.boolProperty(kAllCaps) || caps == QFont::AllUppercase;
  s.scaps = f.boolProperty(kSmallCaps) || caps == QFont::SmallCaps;
  s.outl = f.boolProperty(kOutline);
  s.shad = f.boolProperty(kShadow);
  s.rtl = f.boolProperty(kRtlRun);
  s.up = f.intProperty(kRaiseTw) / 10;
  s.expndtw = f.intProperty(kSpacingTw);
  s.kerning = f.intProperty(kKerningTw) / 10;
  s.scalex = f.hasProperty(kCharScaleX) ? f.intProperty(kCharScaleX) : 100;
  s.lang = f.intProperty(kLcid);
  s.ea = ScriptFontIndex(f, kEastAsianFont, kEastAsianCharset);
  s.cs = ScriptFontIndex(f, kAssocFont, kAssocCharset);
  return s;
}

void Writer::SwitchTo(const RunState& s) {
  if (s == cur_) return;
  // Only \plain takes a run's language or other script's fonts away again.
  if ((cur_.lang != 0 && s.lang == 0) || (cur_.ea >= 0 && s.ea < 0) || (cur_.cs >= 0 && s.cs < 0)) {
    Word("\\plain");
    cur_ = RunState{};
  }
  if (s.fg != cur_.fg) Word("\\cf", s.fg);
  if (s.bg != cur_.bg) Word("\\highlight", s.bg);
  if (s.ul != cur_.ul) Word(UnderlineWord(s.ul));
  if (s.strike != cur_.strike) Word(s.strike ? "\\strike" : "\\strike0");
  if (s.bold != cur_.bold) Word(s.bold ? "\\b" : "\\b0");
  if (s.italic != cur_.italic) Word(s.italic ? "\\i" : "\\i0");
  if (s.vert != cur_.vert) Word(s.vert == 1 ? "\\sub" : s.vert == 2 ? "\\super" : "\\nosupersub");
  if (s.prot != cur_.prot) Word(s.prot ? "\\protect" : "\\protect0");
  if (s.hidden != cur_.hidden) Word(s.hidden ? "\\v" : "\\v0");
  if (s.caps != cur_.caps) Word(s.caps ? "\\caps" : "\\caps0");
  if (s.scaps != cur_.scaps) Word(s.scaps ? "\\scaps" : "\\scaps0");
  if (s.outl != cur_.outl) Word(s.outl ? "\\outl" : "\\outl0");
  if (s.shad != cur_.shad) Word(s.shad ? "\\shad" : "\\shad0");
  if (s.rtl != cur_.rtl) Word(s.rtl ? "\\rtlch" : "\\ltrch");
  // \af names the complex script font in right-to-left text, the East Asian one after \dbch.
  if (s.cs != cur_.cs) {
    if (!s.rtl) Word("\\rtlch");
    Word("\\af", s.cs);
    if (!s.rtl) Word("\\ltrch");
  }
  if (s.ea != cur_.ea) {
    Word("\\dbch\\af", s.ea);
    Word("\\loch");
  }
  if (s.up != cur_.up) {
    if (s.up >= 0) Word("\\up", s.up);
    else Word("\\dn", -s.up);
  }
  if (s.expndtw != cur_.expndtw) Word("\\expndtw", s.expndtw);
  if (s.kerning != cur_.kerning) Word("\\kerning", s.kerning);
  if (s.scalex != cur_.scalex) Word("\\charscalex", s.scalex);
  if (s.lang != cur_.lang) Word("\\lang", s.lang);
  if (s.font != cur_.font) Word("\\f", s.font);
  if (s.fs != cur_.fs) Word("\\fs", s.fs);
  cur_ = s;
}

void Writer::Char(char16_t c) {
  // A byte in a symbol font reads as that font's glyph, so other text in it goes as \uN.
  const bool symbol = !ownCodePage_ && cur_.font >= 0 && size_t(cur_.font) < fonts_.size() &&
                      fonts_[size_t(cur_.font)].symbol;
  const bool otherSet = !ownCodePage_ && cur_.font >= 0 && size_t(cur_.font) < fonts_.size() &&
                        fonts_[size_t(cur_.font)].charset != 204;
  if (!symbol || (c != '\\' && c != '{' && c != '}')) switch (c) {
    case '\\': body_.append("\\\\"); needDelim_ = false; return;
    case '{': body_.append("\\{"); needDelim_ = false; return;
    case '}': body_.append("\\}"); needDelim_ = false; return;
    case '\t': Word("\\tab"); return;
    case 0x2028: Word("\\line"); return;
    case 0x00A0: body_.append("\\~"); needDelim_ = false; return;
    case 0x00AD: body_.append("\\-"); needDelim_ = false; return;
    case 0x2011: body_.append("\\_"); needDelim_ = false; return;
    default: break;
  }
  if (c < 0x20 || c == 0x7F || c == 0xFFFC || c == 0x2029 || (c >= 0xFDD0 && c <= 0xFDEF)) return;
  if (c >= 0x20 && c < 0x7F && !symbol) {
    RawAscii(char(c));
    return;
  }
  const int b = symbol || otherSet || asUnicode_ ? -1 : Cp1251()[c];
  if (b >= 0) {
    static const char hex[] = "0123456789abcdef";
    const char esc[4] = {'\\', '\'', hex[b >> 4], hex[b & 15]};
    body_.append(esc, 4);
    needDelim_ = false;
    return;
  }
  // Outside the code page: \uN (signed 16-bit) with one '?' for readers that skip it.
  body_.append("\\u");
  body_.append(Num(c >= 0x8000 ? int(c) - 65536 : int(c)));
  body_.append('?');
  needDelim_ = false;
}

void Writer::Escaped(const QString& s) {
  for (QChar c : s) Char(c.unicode());
}

QByteArray Writer::EscapedBytes(const QString& s) {
  QByteArray saved;
  body_.swap(saved);
  const bool delim = needDelim_;
  needDelim_ = false;
  ownCodePage_ = true;
  Escaped(s);
  ownCodePage_ = false;
  QByteArray out;
  body_.swap(out);
  body_.swap(saved);
  needDelim_ = delim;
  return out;
}

void Writer::Text(const QString& s, qsizetype from, qsizetype to) {
  for (qsizetype i = from; i < to; ++i) Char(s[i].unicode());
}

QByteArray Writer::BorderSpec(const BorderSide& b) {
  QByteArray p = "\\";
  p += BorderStyleWord(b.style);
  if (b.widthTw) p += "\\brdrw" + Num(b.widthTw);
  if (b.spaceTw) p += "\\brsp" + Num(b.spaceTw);
  if (b.color) p += "\\brdrcf" + Num(KeptColorIndex(b.color));
  return p;
}

int Writer::ListIndex(const QTextBlock& block, int* level) {
  const QTextList* list = block.textList();
  if (!list || !block.blockFormat().hasProperty(kListId)) return 0;
  auto known = listOfObject_.find(list);
  if (known == listOfObject_.end()) {
    ListDefinition def;
    int lvl = 0;
    if (!ListOfBlock(block, &def, &lvl)) {
      listOfObject_.emplace(list, std::make_pair(0, 0));
      return 0;
    }
    const QByteArray saved = def.Save();
    const auto key = std::make_pair(block.blockFormat().intProperty(kListId), saved);
    auto it = listIndex_.find(key);
    if (it == listIndex_.end()) {
      auto written = definitionIds_.find(saved);
      if (written == definitionIds_.end()) {
        // Two lists that came with the same id from different places each keep their own.
        for (const ListDefinition& d : lists_)
          if (d.listId == def.listId) {
            int next = 1;
            for (const ListDefinition& e : lists_) next = std::max(next, e.listId + 1);
            def.listId = next;
            break;
          }
        lists_.push_back(def);
        written = definitionIds_.emplace(saved, def.listId).first;
      }
      overrides_.push_back(written->second);
      it = listIndex_.emplace(key, int(overrides_.size())).first;
    }
    known = listOfObject_.emplace(list, std::make_pair(it->second, lvl)).first;
  }
  *level = std::clamp(block.blockFormat().intProperty(kListLevel), 0, kMaxListLevels - 1);
  return known->second.first;
}

QByteArray Writer::ParagraphProps(const QTextBlock& block, int level) {
  const QTextBlockFormat f = block.blockFormat();
  QByteArray p;
  int listLevel = 0;
  const int ls = ListIndex(block, &listLevel);
  const int numbering = f.intProperty(kNumbering);
  if (!ls && numbering > kNoNumbering && numbering <= kUpperRomanNumbering) {
    p.append("{\\*\\pn");
    if (numbering == kBulletNumbering) {
      p.append("\\pnlvlblt");
    } else {
      p.append("\\pnlvlbody");
      static const char* const kinds[] = {"", "", "\\pndec", "\\pnlcltr", "\\pnucltr",
                                          "\\pnlcrm", "\\pnucrm"};
      p.append(kinds[numbering]);
    }
    p.append("\\pnindent" + Num(f.intProperty(kNumberingTabTw)));
    if (numbering != kBulletNumbering) {
      const int start = f.hasProperty(kNumberingStart) ? f.intProperty(kNumberingStart) : 1;
      p.append("\\pnstart" + Num(start));
      switch (NumberingStyle(f) & kNumberStyleMask) {
        case kNumberParen: p.append("{\\pntxta )}"); break;
        case kNumberParens: p.append("{\\pntxtb (}{\\pntxta )}"); break;
        case kNumberPlain: break;
        default: p.append("{\\pntxta .}"); break;
      }
    } else {
      p.append("{\\pntxtb\\'95}");
    }
    p.append("}");
  }
  if (level >= 1) p.append("\\intbl");
  if (level >= 2) p.append("\\itap" + Num(level));
  const int align = Alignment(f);
  if (align == kAlignRight) p.append("\\qr");
  if (align == kAlignCenter) p.append("\\qc");
  if (align == kAlignJustify) p.append("\\qj");
  const int offset = OffsetTw(f);
  const int start = StartIndentTw(f);
  const int right = RightIndentTw(f);
  if (offset != 0) p.append("\\fi" + Num(-offset));
  if (start + offset != 0) p.append("\\li" + Num(start + offset));
  if (right != 0) p.append("\\ri" + Num(right));
  if (int sb = SpaceBeforeTw(f)) p.append("\\sb" + Num(sb));
  if (int sa = SpaceAfterTw(f)) p.append("\\sa" + Num(sa));
  const int rule = LineSpacingRule(f);
  const int value = LineSpacingValue(f);
  switch (rule) {
    case 1: p.append("\\sl360\\slmult1"); break;
    case 2: p.append("\\sl480\\slmult1"); break;
    case 3: if (value != 0) p.append("\\sl" + Num(std::abs(value)) + "\\slmult0"); break;
    case 4: if (value != 0) p.append("\\sl-" + Num(std::abs(value)) + "\\slmult0"); break;
    case 5: if (value > 0) p.append("\\sl" + Num(value * 12) + "\\slmult1"); break;
    default: break;
  }
  const QList<int> tabs = TabStopsTw(f);
  const QList<int> kinds = TabKinds(f);
  for (qsizetype i = 0; i < tabs.size(); ++i) {
    const int kind = kinds.value(i) & 0xF, leader = (kinds.value(i) >> 4) & 0xF;
    static const char* const kindWords[] = {"", "\\tqc", "\\tqr", "\\tqdec", ""};
    static const char* const leaderWords[] = {"", "\\tldot", "\\tlhyph", "\\tlul", "\\tlth", "\\tleq"};
    if (kind > 0 && kind < 4) p.append(kindWords[kind]);
    if (leader > 0 && leader < 6) p.append(leaderWords[leader]);
    p.append((kind == kTabBar ? "\\tb" : "\\tx") + Num(tabs[i]));
  }
  const int effects = ParaEffects(f);
  if (effects & kEffectKeep) p.append("\\keep");
  if (effects & kEffectKeepNext) p.append("\\keepn");
  if (effects & kEffectPageBreakBefore) p.append("\\pagebb");
  if (effects & kEffectNoWidowControl) p.append("\\nowidctlpar");
  if (effects & kEffectNoLineNumber) p.append("\\noline");
  if (effects & kEffectRtl) p.append("\\rtlpar");
  if (f.hasProperty(kBorders)) {
    const ParaBorders b = ParaBordersOf(f);
    if (b.box) {
      p.append("\\box" + BorderSpec(b.side[ParaBorders::kTop]));
    } else {
      static const char* const sides[] = {"\\brdrt", "\\brdrl", "\\brdrb", "\\brdrr", "\\brdrbtw"};
      for (int i = 0; i < ParaBorders::kSides; ++i)
        if (b.side[i].IsSet()) p.append(sides[i] + BorderSpec(b.side[i]));
    }
    if (b.box && b.side[ParaBorders::kBetween].IsSet()) p.append("\\brdrbtw" + BorderSpec(b.side[ParaBorders::kBetween]));
  }
  if (f.hasProperty(kShading)) {
    const Shading s = ParaShadingOf(f);
    if (s.percent100) p.append("\\shading" + Num(s.percent100));
    if (const char* word = ShadingPatternWord(s.pattern)) p.append(QByteArray("\\") + word);
    if (s.foreground) p.append("\\cfpat" + Num(KeptColorIndex(s.foreground)));
    if (s.background) p.append("\\cbpat" + Num(KeptColorIndex(s.background)));
  }
  if (ls) p.append("\\ls" + Num(ls) + "\\ilvl" + Num(listLevel));
  // Frame words, as read: only letters, digits and the backslashes before them.
  const QByteArray extra = f.property(kParagraphExtra).toByteArray();
  if (std::all_of(extra.begin(), extra.end(), [](char c) { return c == '\\' || c == '-' || std::isalnum(uchar(c)); }))
    p.append(extra);
  return p;
}

QString Writer::WrapperKey(const QTextCharFormat& cf) const {
  if (cf.isAnchor() && !cf.anchorHref().isEmpty()) return u'L' + cf.anchorHref();
  if (cf.hasProperty(kFieldId) && !cf.stringProperty(kFieldInst).isEmpty())
    return u'F' + QString::number(cf.intProperty(kFieldId)) + u' ' + cf.stringProperty(kFieldInst);
  return {};
}

void Writer::OpenWrapper(const QTextCharFormat& cf) {
  const QString key = WrapperKey(cf);
  if (key.isEmpty()) return;
  QString code;
  if (key.startsWith(u'L')) {
    // A field code escapes backslashes and quotes once more.
    code = QStringLiteral("HYPERLINK \"");
    for (QChar c : cf.anchorHref()) {
      if (c == u'\\' || c == u'"') code.append(u'\\');
      // Controls (a tab from a broken field) cannot be written as field code text.
      code.append(c.unicode() < 0x20 || c == QChar::LineSeparator ? QChar(u' ') : c);
    }
    code.append(u'"');
  } else {
    code = cf.stringProperty(kFieldInst);
    for (QChar& c : code)
      if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
          c == QChar::ParagraphSeparator)
        c = u' ';
  }
  Raw("{\\field{\\*\\fldinst{");
  Escaped(code);
  Raw("}}{\\fldrslt{");
  beforeWrapper_ = cur_;
  wrapperKey_ = key;
}

void Writer::CloseWrapper() {
  if (wrapperKey_.isEmpty()) return;
  Raw("}}}");
  cur_ = beforeWrapper_;
  wrapperKey_.clear();
}

void Writer::EmitProps(const QByteArray& props) {
  if (firstProps_ || props != prevProps_) {
    body_.append("\\pard");
    body_.append(props);
    needDelim_ = true;
    prevProps_ = props;
  }
  firstProps_ = false;
}

void Writer::WriteRuns(const QTextBlock& block, int from, int to) {
  bool wroteText = false;
  for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment frag = it.fragment();
    if (!frag.isValid()) continue;
    const int fs = std::max(frag.position(), from);
    const int fe = std::min(frag.position() + frag.length(), to);
    if (fs >= fe) continue;
    const QTextCharFormat cf = frag.charFormat();
    const QString key = cf.objectType() == kFieldObjectType ? QString() : WrapperKey(cf);
    if (!wrapperKey_.isEmpty() && key != wrapperKey_) CloseWrapper();
    if (!key.isEmpty() && wrapperKey_.isEmpty()) OpenWrapper(cf);
    auto known = stateOfFormat_.find(frag.charFormatIndex());
    if (known == stateOfFormat_.end()) known = stateOfFormat_.emplace(frag.charFormatIndex(), StateOf(cf)).first;
    SwitchTo(known->second);
    const QString text = frag.text();
    const qsizetype a = fs - frag.position(), b = fe - frag.position();
    wroteText = true;
    if (cf.hasProperty(kFootnote)) {
      // The mark is the footnote's number: readers count it themselves.
      const QByteArray note = cf.property(kFootnote).toByteArray();
      const QByteArray key = QByteArray::number(cf.intProperty(kFootnoteId)) + ':' + note;
      if (key != lastFootnote_) {
        Word("\\chftn");
        WriteSubDocument(cf.boolProperty(kEndnote) ? "{\\footnote\\ftnalt" : "{\\footnote", note, true);
        lastFootnote_ = key;
      }
      continue;
    }
    lastFootnote_.clear();
    if (cf.objectType() == kFieldObjectType) {
      for (qsizetype i = a; i < b; ++i) {
        if (text[i] != QChar::ObjectReplacementCharacter) continue;
        QString code = cf.stringProperty(kFieldInst);
        for (QChar& c : code)
          if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
              c == QChar::ParagraphSeparator)
            c = u' ';
        Raw("{\\field{\\*\\fldinst{");
        Escaped(code);
        Raw("}}{\\fldrslt }}");
      }
    } else if (cf.objectType() == kEmbeddedObjectType && cf.hasProperty(kShapeHead)) {
      for (qsizetype i = a; i < b; ++i) {
        if (text[i] != QChar::ObjectReplacementCharacter) {
          Char(text[i].unicode());
          continue;
        }
        Raw(cf.property(kShapeHead).toByteArray());
        if (cf.hasProperty(kShapeText)) WriteSubDocument("{\\shptxt", cf.property(kShapeText).toByteArray(), false);
        Raw(cf.property(kShapeTail).toByteArray());
      }
    } else if (cf.objectType() == kEmbeddedObjectType) {
      const QByteArray raw = cf.hasProperty(kObjectRtf) ? cf.property(kObjectRtf).toByteArray()
                                                        : cf.property(kPictureRtf).toByteArray();
      for (qsizetype i = a; i < b; ++i) {
        if (text[i] != QChar::ObjectReplacementCharacter) {
          Char(text[i].unicode());
          continue;
        }
        body_.append(raw);
        needDelim_ = false;
      }
    } else {
      Text(text, a, b);
    }
  }
  lastFootnote_.clear();
  CloseWrapper();
  if (!wroteText && block.length() <= 1) SwitchTo(StateOf(block.charFormat()));
}

void Writer::WriteParagraph(const QTextBlock& block, int from, int to, int level, Ending ending, bool pageBreak) {
  EmitProps(ParagraphProps(block, level));
  // The label, for readers that do not number paragraphs themselves.
  const QString label = numberer_.Next(block);
  if (!label.isEmpty()) {
    const QTextBlockFormat bf = block.blockFormat();
    const int numbering = bf.intProperty(kNumbering);
    if (!bf.hasProperty(kListId) && numbering == kBulletNumbering) Raw("{\\pntext \\'95\\tab}");
    else Raw("{\\pntext " + EscapedBytes(label) + "\\tab}");
  }
  WriteRuns(block, from, to);
  switch (ending) {
    case Ending::Par: Raw(pageBreak ? "\\page\r\n" : "\\par\r\n"); break;
    case Ending::Cell: Word("\\cell"); break;
    case Ending::NestCell: Word("\\nestcell"); break;
    case Ending::None: break;
  }
}

// The empty paragraph before a table that nothing else stands before is no text.
bool SkipStructural(const QTextBlock& b) {
  if (b.length() > 1 || !b.blockFormat().boolProperty(kStructural)) return false;
  const QTextBlock next = b.next();
  return next.isValid() && QTextCursor(next).currentTable() != QTextCursor(b).currentTable();
}

bool PageBreakBefore(const QTextBlock& next) {
  return next.isValid() && (next.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) &&
         !(ParaEffects(next.blockFormat()) & kEffectPageBreakBefore);
}

void Writer::WriteFrame(QTextFrame* frame) {
  for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
    if (QTextFrame* child = it.currentFrame()) {
      if (auto* table = qobject_cast<QTextTable*>(child)) WriteTable(table, 1);
      else WriteFrame(child);
      continue;
    }
    const QTextBlock b = it.currentBlock();
    if (!b.isValid() || SkipStructural(b)) {
      if (b.isValid()) numberer_.Next(b);
      continue;
    }
    WriteParagraph(b, b.position(), b.position() + b.length() - 1, 0, Ending::Par, PageBreakBefore(b.next()));
  }
}

void Writer::WriteCell(const QTextTableCell& cell, int level) {
  std::vector<QTextFrame::iterator> parts;
  for (QTextFrame::iterator it = cell.begin(); it != cell.end(); ++it) parts.push_back(it);
  for (size_t i = 0; i < parts.size(); ++i) {
    const QTextFrame::iterator& it = parts[i];
    if (QTextFrame* child = it.currentFrame()) {
      if (auto* table = qobject_cast<QTextTable*>(child)) WriteTable(table, level + 1);
      continue;
    }
    const QTextBlock b = it.currentBlock();
    if (!b.isValid()) continue;
    const bool last = i + 1 == parts.size();
    if (!last && SkipStructural(b)) {
      numberer_.Next(b);
      continue;
    }
    WriteParagraph(b, b.position(), b.position() + b.length() - 1, level,
                   last ? (level >= 2 ? Ending::NestCell : Ending::Cell) : Ending::Par, false);
  }
}

QByteArray Writer::RowDefinition(QTextTable* table, int row, const RowProps& props, const QList<int>& edges) {
  QByteArray d = "\\trowd\\trgaph" + Num(props.gapTw) + "\\trleft" + Num(props.leftTw);
  if (props.heightTw) d += "\\trrh" + Num(props.heightTw);
  if (props.align == 1) d += "\\trqc";
  if (props.align == 2) d += "\\trqr";
  if (props.header) d += "\\trhdr";
  if (props.keep) d += "\\trkeep";
  static const char* const rowSides[] = {"\\trbrdrt", "\\trbrdrl", "\\trbrdrb", "\\trbrdrr", "\\trbrdrh", "\\trbrdrv"};
  for (int i = 0; i < RowProps::kSides; ++i)
    if (props.border[i].IsSet()) d += rowSides[i] + BorderSpec(props.border[i]);
  d += props.extra;
  // A table made elsewhere (pasted HTML) draws its grid with the table's own border.
  const QTextTableFormat tf = table->format();
  const bool gridLines = !tf.hasProperty(kTableEdgesTw) && tf.border() > 0;
  for (int c = 0; c < table->columns(); ++c) {
    const QTextTableCell cell = table->cellAt(row, c);
    if (!cell.isValid() || cell.column() != c) continue;
    const QTextTableCellFormat cf = cell.format().toTableCellFormat();
    if (cf.boolProperty(kCellPhantom)) continue;
    if (cell.row() != row) d += "\\clvmrg";
    else if (cell.rowSpan() > 1) d += "\\clvmgf";
    int valign = cf.intProperty(kCellVAlign);
    if (!cf.hasProperty(kCellVAlign)) {
      if (cf.verticalAlignment() == QTextCharFormat::AlignMiddle) valign = 1;
      else if (cf.verticalAlignment() == QTextCharFormat::AlignBottom) valign = 2;
    }
    if (valign == 1) d += "\\clvertalc";
    if (valign == 2) d += "\\clvertalb";
    static const char* const cellSides[] = {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"};
    if (cf.hasProperty(kCellBorders)) {
      const CellBorders b = CellBorders::Load(cf.property(kCellBorders).value<QList<int>>());
      for (int i = 0; i < CellBorders::kSides; ++i)
        if (b.side[i].IsSet()) d += cellSides[i] + BorderSpec(b.side[i]);
    } else if (gridLines) {
      BorderSide line;
      line.style = kBorderSingle;
      line.widthTw = 10;
      for (const char* side : cellSides) d += side + BorderSpec(line);
    }
    if (cf.hasProperty(kCellShading)) {
      const Shading s = Shading::Load(cf.property(kCellShading).value<QList<int>>());
      if (s.percent100) d += "\\clshdng" + Num(s.percent100);
      if (const char* word = ShadingPatternWord(s.pattern)) d += QByteArray("\\cl") + word;
      if (s.foreground) d += "\\clcfpat" + Num(KeptColorIndex(s.foreground));
      if (s.background) d += "\\clcbpat" + Num(KeptColorIndex(s.background));
    } else if (cf.hasProperty(QTextFormat::BackgroundBrush) && cf.background().style() != Qt::NoBrush) {
      d += "\\clcbpat" + Num(ColorIndex(cf.background().color()));
    }
    d += cf.property(kCellExtra).toByteArray();
    const int last = std::min<int>(c + cell.columnSpan(), int(edges.size())) - 1;
    d += "\\cellx" + Num(edges.value(std::max(last, 0)));
  }
  return d;
}

bool HasTable(const QTextTableCell& cell) {
  for (QTextFrame::iterator it = cell.begin(); it != cell.end(); ++it)
    if (qobject_cast<QTextTable*>(it.currentFrame())) return true;
  return false;
}

void Writer::WriteTable(QTextTable* table, int level) {
  level = std::min(level, 8);
  const QList<int> edges = TableEdges(table);
  const QVariantList rowList = table->format().property(kTableRows).toList();
  for (int r = 0; r < table->rows(); ++r) {
    RowProps props;
    if (!rowList.isEmpty()) {
      props = RowProps::Load(rowList.value(std::min<int>(r, int(rowList.size()) - 1)));
    } else {
      props.gapTw = 108;
      props.leftTw = -108;
    }
    const QByteArray def = RowDefinition(table, r, props, edges);
    if (level == 1) Raw(def + "\r\n");
    for (int c = 0; c < table->columns(); ++c) {
      const QTextTableCell cell = table->cellAt(r, c);
      if (!cell.isValid() || cell.column() != c) continue;
      if (cell.format().boolProperty(kCellPhantom)) continue;
      if (cell.row() != r) {
        // The continuation of a cell merged down: an empty cell.
        QByteArray props2;
        props2.append("\\intbl");
        if (level >= 2) props2.append("\\itap" + Num(level));
        EmitProps(props2);
        Word(level >= 2 ? "\\nestcell" : "\\cell");
        continue;
      }
      WriteCell(cell, level);
    }
    // Nested rows define themselves last; readers take the row in force at \\row, so a row that
    // held nested tables says its own definition again.
    bool nested = false;
    for (int c = 0; c < table->columns() && !nested; ++c) {
      const QTextTableCell cell = table->cellAt(r, c);
      nested = cell.isValid() && cell.row() == r && cell.begin() != cell.end() && HasTable(cell);
    }
    if (level == 1) Raw((nested ? def : QByteArray()) + "\\row\r\n");
    else Raw("{\\*\\nesttableprops" + def + "\\nestrow}{\\nonesttables\\par}\r\n");
    // Readers start a row's paragraphs afresh: every row says its paragraphs' properties.
    firstProps_ = true;
  }
}

void Writer::WriteFlat(int from, int to) {
  const int docEnd = std::max(0, doc_.characterCount() - 1);
  for (QTextBlock block = doc_.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
    const int blockEnd = block.position() + block.length() - 1;  // its paragraph separator
    if (SkipStructural(block) && block.position() >= from && blockEnd < to) {
      numberer_.Next(block);
      continue;
    }
    const bool complete = to > blockEnd || (blockEnd == docEnd && to == docEnd);
    const QTextBlock next = block.next();
    WriteParagraph(block, from, to, 0, complete ? Ending::Par : Ending::None,
                   next.isValid() && next.position() <= to && PageBreakBefore(next));
    if (!complete) break;
  }
}

}  // namespace writer

using writer::NoteReader;
using writer::Writer;

void SetFootnoteReader(FootnoteReader reader) { NoteReader() = reader; }

QFont DefaultWriterFont() {
  QFont f(QStringLiteral("Times New Roman"));
  f.setPointSize(12);
  return f;
}

QByteArray WriteRtf(const QTextDocument& doc, int from, int to, const QFont* baseFont) {
  Writer w(doc, baseFont ? *baseFont : DefaultWriterFont());
  return w.Write(from, to);
}

QString DocumentToHtml(const QTextDocument& doc) {
  std::unique_ptr<QTextDocument> copy(doc.clone());
  QTextCursor c(copy.get());
  // Hidden text is no part of what others show; fields show their values.
  std::vector<std::pair<int, int>> hidden;
  std::vector<std::pair<int, QTextCharFormat>> objects;
  std::vector<std::pair<int, int>> unsafeLinks;
  for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.charFormat().isAnchor() && !IsWebLink(f.charFormat().anchorHref()))
        unsafeLinks.emplace_back(f.position(), f.position() + f.length());
      if (f.charFormat().boolProperty(kHidden)) {
        hidden.emplace_back(f.position(), f.position() + f.length());
        continue;
      }
      const int type = f.charFormat().objectType();
      if (type != kEmbeddedObjectType && type != kFieldObjectType) continue;
      for (int i = 0; i < f.length(); ++i) objects.emplace_back(f.position() + i, f.charFormat());
    }
    // Lists show as the kind of list they are.
    if (QTextList* list = b.textList()) {
      QTextListFormat lf = list->format();
      if (lf.style() == QTextListFormat::ListStyleUndefined) {
        lf.setStyle(ListStyleOf(b.blockFormat().intProperty(kNumbering)));
        list->setFormat(lf);
      }
    }
  }
  // Only web links stay links; the rest keep their text and its look.
  for (const auto& [a, b] : unsafeLinks) {
    c.setPosition(a);
    c.setPosition(b, QTextCursor::KeepAnchor);
    QTextCharFormat f = c.charFormat();
    f.setAnchor(false);
    f.clearProperty(QTextFormat::AnchorHref);
    f.clearProperty(QTextFormat::AnchorName);
    c.setCharFormat(f);
  }
  std::vector<std::pair<int, std::pair<int, QTextCharFormat>>> edits;  // from the end backwards
  for (const auto& [pos, fmt] : objects) edits.push_back({pos, {pos + 1, fmt}});
  for (const auto& [a, b] : hidden) edits.push_back({a, {b, QTextCharFormat()}});
  std::sort(edits.begin(), edits.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
  for (const auto& [pos, rest] : edits) {
    const auto& [end, fmt] = rest;
    c.setPosition(pos);
    c.setPosition(end, QTextCursor::KeepAnchor);
    if (fmt.objectType() == kFieldObjectType) {
      QTextCharFormat plain = fmt;
      plain.setObjectType(0);
      c.insertText(FieldValue(fmt.stringProperty(kFieldInst), 1), plain);
      continue;
    }
    if (fmt.objectType() != kEmbeddedObjectType) {
      c.removeSelectedText();
      continue;
    }
    const QImage image = ObjectImage(fmt);
    if (image.isNull()) {
      c.removeSelectedText();
      continue;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QSizeF size = ObjectSize(fmt);
    QTextImageFormat img;
    img.setName(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64()));
    img.setWidth(size.width());
    img.setHeight(size.height());
    c.insertImage(img);
  }
  // The toolkit gives a list item two style attributes (its character and its block format);
  // browsers keep only one of them, so they become one.
  QString html = copy->toHtml();
  static const QRegularExpression twice(QStringLiteral("(<[^<>]*?) style=\"([^\"]*)\"([^<>]*?) style=\"([^\"]*)\""));
  for (qsizetype from = 0;;) {
    const QRegularExpressionMatch m = twice.match(html, from);
    if (!m.hasMatch()) break;
    const QString merged = m.captured(1) + QStringLiteral(" style=\"") + m.captured(2) + m.captured(4) + u'"' + m.captured(3);
    html.replace(m.capturedStart(), m.capturedLength(), merged);
    from = m.capturedStart();
  }
  return html;
}

}  // namespace rtf
