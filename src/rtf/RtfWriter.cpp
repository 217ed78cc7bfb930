#include "rtf/RtfWriter.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <map>
#include <unordered_map>
#include <vector>

#include "rtf/CodePage.h"
#include "rtf/Numbering.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace rtf {

namespace {

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

struct RunState {
  int font = -1, fs = -1;
  bool bold = false, italic = false, underline = false, strike = false, prot = false;
  int vert = 0, fg = 0, bg = 0;
  bool operator==(const RunState&) const = default;
};

struct FontKey {
  QString name;
  int pitchFamily = 0;
  bool operator<(const FontKey& o) const {
    return name != o.name ? name < o.name : pitchFamily < o.pitchFamily;
  }
};

QByteArray Num(int v) { return QByteArray::number(v); }

class Writer {
 public:
  explicit Writer(const QTextDocument& doc) : doc_(doc) {}
  QByteArray Write(int from, int to);

 private:
  int FontIndex(const QTextCharFormat& f);
  int ColorIndex(const QColor& c);
  RunState StateOf(const QTextCharFormat& f);
  void SwitchTo(const RunState& s);
  void Word(const char* w, int v) {
    body_.append(w);
    body_.append(Num(v));
    needDelim_ = true;
  }
  void Word(const char* w) {
    body_.append(w);
    needDelim_ = true;
  }
  void Text(const QString& s, qsizetype from, qsizetype to);
  void Char(char16_t c, char16_t next);
  void RawAscii(char c) {
    if (needDelim_) body_.append(' ');
    needDelim_ = false;
    body_.append(c);
  }
  void Escaped(const QString& s);
  QByteArray ParagraphProps(const QTextBlockFormat& f);
  QByteArray NumberLabel(int numbering, int n, int style);
  void OpenLink(const QString& href);
  void CloseLink();

  const QTextDocument& doc_;
  QByteArray body_;
  bool needDelim_ = false;
  RunState cur_;
  RunState beforeLink_;
  bool inLink_ = false;
  QString linkHref_;
  std::map<FontKey, int> fontIndex_;
  std::vector<FontKey> fonts_;
  std::map<QRgb, int> colorIndex_;
  std::unordered_map<int, RunState> stateOfFormat_;  // by the document's format index
  std::vector<QColor> colors_;
  QString defaultFamily_;
  int defaultFs_ = 24;
};

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
  s.underline = f.fontUnderline();
  s.strike = f.fontStrikeOut();
  s.prot = f.boolProperty(kProtected);
  s.vert = f.verticalAlignment() == QTextCharFormat::AlignSubScript     ? 1
           : f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 2
                                                                        : 0;
  if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
    s.fg = ColorIndex(f.foreground().color());
  if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
    s.bg = ColorIndex(f.background().color());
  return s;
}

void Writer::SwitchTo(const RunState& s) {
  if (s == cur_) return;
  if (s.fg != cur_.fg) Word("\\cf", s.fg);
  if (s.bg != cur_.bg) Word("\\highlight", s.bg);
  if (s.underline != cur_.underline) Word(s.underline ? "\\ul" : "\\ulnone");
  if (s.strike != cur_.strike) Word(s.strike ? "\\strike" : "\\strike0");
  if (s.bold != cur_.bold) Word(s.bold ? "\\b" : "\\b0");
  if (s.italic != cur_.italic) Word(s.italic ? "\\i" : "\\i0");
  if (s.vert != cur_.vert) Word(s.vert == 1 ? "\\sub" : s.vert == 2 ? "\\super" : "\\nosupersub");
  if (s.prot != cur_.prot) Word(s.prot ? "\\protect" : "\\protect0");
  if (s.font != cur_.font) Word("\\f", s.font);
  if (s.fs != cur_.fs) Word("\\fs", s.fs);
  cur_ = s;
}

void Writer::Char(char16_t c, char16_t next) {
  switch (c) {
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
  if (c >= 0x20 && c < 0x7F) {
    RawAscii(char(c));
    return;
  }
  if (c < 0x20 || c == 0x7F || c == 0xFFFC || c == 0x2029) return;
  const int b = Cp1251()[c];
  if (b >= 0) {
    static const char hex[] = "0123456789abcdef";
    const char esc[4] = {'\\', '\'', hex[b >> 4], hex[b & 15]};
    body_.append(esc, 4);
    needDelim_ = false;
    return;
  }
  Q_UNUSED(next);
  // Outside the code page: \uN (signed 16-bit) with one '?' for readers that skip it.
  body_.append("\\u");
  body_.append(Num(c >= 0x8000 ? int(c) - 65536 : int(c)));
  body_.append('?');
  needDelim_ = false;
}

void Writer::Escaped(const QString& s) {
  for (qsizetype i = 0; i < s.size(); ++i)
    Char(s[i].unicode(), i + 1 < s.size() ? s[i + 1].unicode() : 0);
}

void Writer::Text(const QString& s, qsizetype from, qsizetype to) {
  for (qsizetype i = from; i < to; ++i) Char(s[i].unicode(), i + 1 < to ? s[i + 1].unicode() : 0);
}

QByteArray Writer::NumberLabel(int numbering, int n, int style) {
  if (numbering == kBulletNumbering) return "\\'95";
  return ListLabel(numbering, n, style).toLatin1();
}

QByteArray Writer::ParagraphProps(const QTextBlockFormat& f) {
  QByteArray p;
  const int numbering = f.intProperty(kNumbering);
  if (numbering > kNoNumbering && numbering <= kUpperRomanNumbering) {
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
  for (int t : TabStopsTw(f)) p.append("\\tx" + Num(t));
  return p;
}

void Writer::OpenLink(const QString& href) {
  body_.append("{\\field{\\*\\fldinst{HYPERLINK \"");
  needDelim_ = false;
  // A field code escapes backslashes and quotes once more.
  QString code;
  for (QChar c : href) {
    if (c == u'\\' || c == u'"') code.append(u'\\');
    // Controls (a tab from a broken field) cannot be written as field code text.
    code.append(c.unicode() < 0x20 || c == QChar::LineSeparator ? QChar(u' ') : c);
  }
  Escaped(code);
  body_.append("\"}}{\\fldrslt{");
  needDelim_ = false;
  beforeLink_ = cur_;
  inLink_ = true;
  linkHref_ = href;
}

void Writer::CloseLink() {
  if (!inLink_) return;
  body_.append("}}}");
  needDelim_ = false;
  cur_ = beforeLink_;
  inLink_ = false;
  linkHref_.clear();
}

QByteArray Writer::Write(int from, int to) {
  const int docEnd = std::max(0, doc_.characterCount() - 1);
  if (to < 0 || to > docEnd) to = docEnd;
  from = std::clamp(from, 0, to);
  defaultFamily_ = doc_.defaultFont().family();
  if (doc_.defaultFont().pointSizeF() > 0) defaultFs_ = qRound(doc_.defaultFont().pointSizeF() * 2);

  QByteArray prevProps;
  bool firstBlock = true;
  int prevNumbering = 0, counter = 0;
  for (QTextBlock block = doc_.findBlock(from); block.isValid() && block.position() <= to;
       block = block.next()) {
    const int blockStart = block.position();
    const int blockEnd = blockStart + block.length() - 1;  // its paragraph separator
    const QTextBlockFormat bf = block.blockFormat();
    const QByteArray props = ParagraphProps(bf);
    if (firstBlock || props != prevProps) {
      body_.append("\\pard");
      body_.append(props);
      needDelim_ = true;
      prevProps = props;
    }
    firstBlock = false;
    const int numbering = bf.intProperty(kNumbering);
    if (numbering > kNoNumbering && numbering <= kUpperRomanNumbering) {
      counter = numbering == prevNumbering ? counter + 1
                                           : (bf.hasProperty(kNumberingStart)
                                                  ? bf.intProperty(kNumberingStart)
                                                  : 1);
      // For readers that do not number paragraphs themselves.
      body_.append("{\\pntext " + NumberLabel(numbering, counter, NumberingStyle(bf)) + "\\tab}");
      needDelim_ = false;
    }
    prevNumbering = numbering;

    bool wroteText = false;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      const int fs = std::max(frag.position(), from);
      const int fe = std::min(frag.position() + frag.length(), to);
      if (fs >= fe) continue;
      const QTextCharFormat cf = frag.charFormat();
      const QString href = cf.isAnchor() ? cf.anchorHref() : QString();
      if (inLink_ && href != linkHref_) CloseLink();
      if (!href.isEmpty() && !inLink_) OpenLink(href);
      auto known = stateOfFormat_.find(frag.charFormatIndex());
      if (known == stateOfFormat_.end())
        known = stateOfFormat_.emplace(frag.charFormatIndex(), StateOf(cf)).first;
      SwitchTo(known->second);
      const QString text = frag.text();
      const qsizetype a = fs - frag.position(), b = fe - frag.position();
      if (cf.objectType() == kEmbeddedObjectType) {
        const QByteArray raw = cf.hasProperty(kObjectRtf) ? cf.property(kObjectRtf).toByteArray()
                                                          : cf.property(kPictureRtf).toByteArray();
        for (qsizetype i = a; i < b; ++i) {
          if (text[i] != QChar::ObjectReplacementCharacter) {
            Char(text[i].unicode(), 0);
            continue;
          }
          body_.append(raw);
          needDelim_ = false;
        }
      } else {
        Text(text, a, b);
      }
      wroteText = true;
    }
    CloseLink();
    if (!wroteText && block.length() <= 1) SwitchTo(StateOf(block.charFormat()));
    const bool complete = to > blockEnd || (blockEnd == docEnd && to == docEnd);
    if (!complete) break;
    const QTextBlock next = block.next();
    const bool pageBreak = next.isValid() && next.position() <= to &&
                           next.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    body_.append(pageBreak ? "\\page\r\n" : "\\par\r\n");
    needDelim_ = false;
  }
  if (fonts_.empty()) FontIndex(QTextCharFormat());

  QByteArray out;
  out.reserve(body_.size() + 512);
  out.append("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl");
  static const char* const families[] = {"\\fnil", "\\froman", "\\fswiss",
                                         "\\fmodern", "\\fscript", "\\fdecor"};
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const FontKey& f = fonts_[i];
    const int family = (f.pitchFamily >> 4) & 0xF;
    out.append("{\\f" + Num(int(i)) + (family < 6 ? families[family] : "\\fnil"));
    if (f.pitchFamily & 3) out.append("\\fprq" + Num(f.pitchFamily & 3));
    out.append("\\fcharset204 ");
    body_.swap(out);
    const bool delim = needDelim_;
    needDelim_ = false;
    Escaped(f.name);
    needDelim_ = delim;
    body_.swap(out);
    out.append(";}");
  }
  out.append("}\r\n");
  if (!colors_.empty()) {
    out.append("{\\colortbl ;");
    for (const QColor& c : colors_)
      out.append("\\red" + Num(c.red()) + "\\green" + Num(c.green()) + "\\blue" + Num(c.blue()) +
                 ";");
    out.append("}\r\n");
  }
  out.append("\\viewkind4\\uc1");
  out.append(body_);
  out.append("}\r\n");
  return out;
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& doc, int from, int to) {
  Writer w(doc);
  return w.Write(from, to);
}

QString DocumentToHtml(const QTextDocument& doc) {
  std::unique_ptr<QTextDocument> copy(doc.clone());
  std::vector<std::pair<int, QTextCharFormat>> objects;
  for (QTextBlock b = copy->begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.charFormat().objectType() != kEmbeddedObjectType) continue;
      for (int i = 0; i < f.length(); ++i) objects.emplace_back(f.position() + i, f.charFormat());
    }
  QTextCursor c(copy.get());
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    c.setPosition(it->first);
    c.setPosition(it->first + 1, QTextCursor::KeepAnchor);
    const QImage image = ObjectImage(it->second);
    if (image.isNull()) {
      c.removeSelectedText();
      continue;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QSizeF size = ObjectSize(it->second);
    QTextImageFormat img;
    img.setName(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64()));
    img.setWidth(size.width());
    img.setHeight(size.height());
    c.insertImage(img);
  }
  return copy->toHtml();
}

}  // namespace rtf
