#include "rtf/RtfReader.h"

#include <QHash>
#include <QTextDocument>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "rtf/CodePage.h"
#include "rtf/Numbering.h"
#include "rtf/ObjectGroup.h"
#include "rtf/RtfDocumentBuilder.h"
#include "rtf/RtfFields.h"
#include "rtf/RtfKeywords.h"
#include "rtf/RtfTables.h"
#include "rtf/RtfTokenizer.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace rtf {

namespace {

// Groups nested deeper than this are still balanced but their content is dropped: no editor
// writes such documents, and the state stack stays small whatever the input.
constexpr int kMaxDepth = kMaxGroupDepth;
constexpr int kMaxUnicodeSkip = 64;

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

struct State {
  CharState ch;
  ParaState pa;
  Dest dest = Dest::Text;
  bool star = false;            // "\*" seen: an unknown destination here is skipped
  bool firstWord = true;        // no control word yet in this group
  bool ownsDest = false;        // this group opened its destination (pict, object, field, pn)
  bool pictInResult = false;    // the picture is an object's result
  bool pictOpensGroup = false;  // \pict was the group's first word: the group is the picture
  bool inPict = false;          // a group inside a picture
  bool upr = false;             // this group holds an ANSI and a Unicode form of the same text
  bool uprAnsi = false;         // inside the ANSI form: its text is dropped
  int uc = 1;
  int field = -1;  // index into the open fields
  qsizetype groupStart = 0;
};

struct Picture {
  QByteArray data;
  int kind = kOtherPicture;
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

// Destinations a "\*" group may open without being skipped.
bool IsKnownDestination(Kw kw) {
  switch (kw) {
    case kwFonttbl: case kwColortbl: case kwPict: case kwObject: case kwObjclass: case kwObjdata:
    case kwResult: case kwField: case kwFldinst: case kwFldrslt: case kwPn: case kwListtable:
    case kwListoverridetable: case kwShppict: case kwUd: return true;
    default: return false;
  }
}

void AddPictureProperties(QTextCharFormat& f, const Picture& p) {
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

// Reads one document: the tokenizer's sink, keeping the group stack and sending what each
// destination collects to its table or, for the body, to the document builder.
class Reader {
 public:
  Reader(const QByteArray& in, QTextCursor& cur)
      : in_(in), builder_(std::make_unique<DocumentBuilder>(cur, fonts_, colors_, lists_, links_)) {}
  Reader(const QByteArray& in, QString& text) : in_(in), builder_(std::make_unique<TextBuilder>(text)) {}

  void Run();

  // ---- the tokenizer's sink ----
  void PushGroup(qsizetype at);
  bool PopGroup(qsizetype at);
  bool InGroup() const { return !stack_.empty(); }
  bool Overflowing() const { return overflow_ > 0; }
  void DroppedNested() { droppedNested_ = true; }
  bool Dropped() const { return droppedNested_; }
  bool SkippingFallback() const { return skipChars_ > 0; }
  void SkipFallback() { --skipChars_; }
  void StopFallback() { skipChars_ = 0; }
  void ControlWord(std::string_view word, bool hasParam, int param);
  void BinaryData(const char* data, qsizetype n);
  void HexEscape(unsigned char b) {
    stack_.back().firstWord = false;
    HexByte(b);
  }
  void Star() { stack_.back().star = true; }
  void LiteralByte(char c) {
    stack_.back().firstWord = false;
    HandleText(&c, 1);
  }
  void SymbolChar(char16_t c) {
    stack_.back().firstWord = false;
    EmitChar(c);
  }
  void ParagraphSymbol() {
    stack_.back().firstWord = false;
    if (stack_.back().dest == Dest::Text) EndParagraph();
  }
  TextMode Mode() const;
  int BeginText() {
    State& s = stack_.back();
    s.firstWord = false;
    return CodePageOf(s.ch.font);
  }
  void PictureHex(const char* data, qsizetype n);
  void Text(const char* data, qsizetype n) { HandleText(data, n); }

 private:
  struct Field {
    QString inst;
  };

  void FlushBytes();
  void AppendToDestination(Dest d, const QString& s);
  void EmitText(const QString& s);
  void EmitChar(char16_t c) { EmitText(QString(QChar(c))); }
  void ResolveSurrogate();
  void EmitObject(const QTextCharFormat& f) { builder_->Object(f, stack_.back().ch, stack_.back().pa); }
  void EndParagraph();
  void StartDest(State& s, Dest d);
  void EndFontEntry();
  int CodePageOf(int font) { return fonts_.CodePageOf(font, docCp_); }
  void HandleText(const char* p, qsizetype n);
  void HexByte(unsigned char b);
  void CloseDestination(const State& done, State& parent);
  void Finish();

  // Control words by what they act on; each returns true when it consumed the word.
  bool DestinationWord(State& s, Kw kw, bool first);
  bool TableWord(State& s, Kw kw, int v);
  void BodyWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on);

  const QByteArray& in_;
  FontTable fonts_;
  ColorTable colors_;
  ListTables lists_;
  std::vector<QString> links_;
  std::unique_ptr<ContentBuilder> builder_;

  std::vector<State> stack_;
  int overflow_ = 0;  // groups opened beyond kMaxDepth
  bool droppedNested_ = false;
  bool rootClosed_ = false;
  bool finishing_ = false;  // closing groups left open at the end of the file
  int footnotes_ = 0;
  int skipChars_ = 0;  // fallback characters still to skip after \uN
  char16_t highSurrogate_ = 0;

  int docCp_ = 1252;
  std::vector<Field> fields_;
  QString pnAfter_, pnBefore_;
  Picture pict_;
  ObjectInfo obj_;

  CodePageDecoder decoder_;
  QByteArray bytes_;  // text bytes waiting to be decoded in bytesCp_
  int bytesCp_ = 0;
  Dest bytesDest_ = Dest::Text;
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

bool Reader::PopGroup(qsizetype at) {
  FlushBytes();
  skipChars_ = 0;
  if (overflow_ > 0) {
    --overflow_;
    return false;
  }
  if (stack_.empty()) return false;
  if (stack_.size() == 1) {
    // The root group closed: the document ends here, whatever follows (mail programs and
    // stream-outs leave bytes after it).
    rootClosed_ = true;
    return true;
  }
  State done = std::move(stack_.back());
  stack_.pop_back();
  State& parent = stack_.back();
  if (!done.ownsDest) {
    if (done.dest == Dest::FontTable && parent.dest == Dest::FontTable) EndFontEntry();
    return false;
  }
  // The group's bytes, its closing brace included, for what is kept byte for byte.
  const QByteArray group = in_.mid(done.groupStart, at + 1 - done.groupStart);
  switch (done.dest) {
    case Dest::FontTable: EndFontEntry(); break;
    case Dest::Pict: {
      if (done.pictInResult) {
        if (obj_.active && !obj_.hasResult) {
          obj_.result = std::move(pict_);
          obj_.hasResult = true;
        }
      } else if (!obj_.active && parent.dest == Dest::Text) {
        QTextCharFormat f = builder_->CharFormat(done.ch);
        AddPictureProperties(f, pict_);
        // A picture cut off by the end of the file is written back in full form, not as the
        // broken bytes, which could swallow what follows.
        f.setProperty(kPictureRtf, finishing_ || !done.pictOpensGroup
                                       ? PictureRtf(pict_.data, pict_.kind, pict_.picw, pict_.pich,
                                                    pict_.goalw, pict_.goalh, pict_.scalex, pict_.scaley)
                                       : group);
        EmitObject(f);
      }
      pict_ = Picture{};
      break;
    }
    case Dest::Object: {
      // An object cut off by the end of the file has lost its data: it is dropped.
      if (obj_.active && !finishing_) {
        QTextCharFormat f = builder_->CharFormat(done.ch);
        if (obj_.hasResult) AddPictureProperties(f, obj_.result);
        if (obj_.objw > 0 && obj_.objh > 0 && !obj_.hasResult) {
          f.setProperty(kPictureGoalWTw, obj_.objw);
          f.setProperty(kPictureGoalHTw, obj_.objh);
        }
        f.setProperty(kObjectRtf, group);
        f.setProperty(kObjectClass, obj_.cls);
        f.setProperty(kObjectKey, qulonglong(qHash(group)));
        // Each object read is a new one to the engine, even when its bytes repeat another's.
        f.setProperty(kObjectIndex, NewObjectHandle());
        if (parent.dest == Dest::Text) EmitObject(f);
      }
      obj_ = ObjectInfo{};
      break;
    }
    case Dest::Pn:
      parent.pa.numbering = done.pa.numbering ? done.pa.numbering : kArabicNumbering;
      parent.pa.numStart = done.pa.numStart;
      parent.pa.numTab = done.pa.numTab;
      parent.pa.numStyle = parent.pa.numbering == kBulletNumbering ? kNumberParen : NumberStyleOfText(pnBefore_, pnAfter_);
      break;
    case Dest::ColorTable: colors_.Close(); break;
    default: break;
  }
  // A field closes with the group that opened it.
  if (done.field >= 0 && done.field != parent.field && done.field < int(fields_.size()))
    fields_.resize(size_t(done.field));
  return false;
}

void Reader::StartDest(State& s, Dest d) {
  FlushBytes();
  s.dest = d;
  s.ownsDest = true;
}

void Reader::EndFontEntry() {
  FlushBytes();
  fonts_.EndEntry();
}

TextMode Reader::Mode() const {
  switch (stack_.back().dest) {
    case Dest::Pict: return TextMode::PictureHex;
    case Dest::Skip:
    case Dest::Object:
    case Dest::ObjResult: return TextMode::Skipped;
    default: return TextMode::Text;
  }
}

void Reader::PictureHex(const char* data, qsizetype n) {
  for (qsizetype i = 0; i < n; ++i) {
    const int h = HexValue(data[i]);
    if (h < 0) continue;
    if (pict_.hexHigh) {
      pict_.data.append(char(pict_.nibble * 16 + h));
      pict_.hexHigh = false;
    } else {
      pict_.nibble = h;
      pict_.hexHigh = true;
    }
  }
}

void Reader::BinaryData(const char* data, qsizetype n) {
  const State& s = stack_.back();
  if (overflow_ > 0 && n > 0) droppedNested_ = true;
  if (overflow_ == 0 && skipChars_ == 0 && (s.dest == Dest::Pict || s.inPict)) pict_.data.append(data, n);
  if (skipChars_ > 0) --skipChars_;
}

void Reader::HexByte(unsigned char b) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  switch (s.dest) {
    case Dest::Text:
    case Dest::FontTable:
    case Dest::ObjClass:
    case Dest::FieldInst:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore: break;
    default: return;
  }
  int cp = s.dest == Dest::FontTable && fonts_.HasCurrent() ? CodePageOf(fonts_.Current()) : CodePageOf(s.ch.font);
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
  AppendToDestination(bytesDest_, s);
}

void Reader::AppendToDestination(Dest d, const QString& s) {
  switch (d) {
    case Dest::Text: builder_->Text(s, stack_.back().ch, stack_.back().pa); break;
    case Dest::FontTable: fonts_.AppendName(s); break;
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
  const State& top = stack_.back();
  if (top.uprAnsi) return;
  AppendToDestination(top.dest, s);
  if (top.dest == Dest::FontTable && fonts_.HasCurrent() && s.contains(u';')) EndFontEntry();
}

void Reader::ResolveSurrogate() {
  if (!highSurrogate_) return;
  // Half a surrogate pair stands for nothing: it shows as a question mark.
  highSurrogate_ = 0;
  EmitChar(u'?');
}

void Reader::EndParagraph() {
  FlushBytes();
  builder_->EndParagraph(stack_.back().ch, stack_.back().pa);
}

void Reader::HandleText(const char* p, qsizetype n) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  switch (s.dest) {
    case Dest::Text:
    case Dest::FieldInst:
    case Dest::ObjClass:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore: break;
    case Dest::FontTable:
      // A font's name ends at its semicolon; the bytes go through the code page of that font.
      for (qsizetype i = 0; i < n; ++i) {
        HexByte(static_cast<unsigned char>(p[i]));
        if (p[i] == ';') EndFontEntry();
      }
      return;
    case Dest::ColorTable:
      for (qsizetype i = 0; i < n; ++i)
        if (p[i] == ';') colors_.EndEntry();
      return;
    default: return;
  }
  const int cp = CodePageOf(s.ch.font);
  if (!bytes_.isEmpty() && (bytesCp_ != cp || bytesDest_ != s.dest)) FlushBytes();
  bytesCp_ = cp;
  bytesDest_ = s.dest;
  bytes_.append(p, n);
}

void Reader::ControlWord(std::string_view word, bool hasParam, int param) {
  const KwEntry entry = FindKeyword(word);
  if (entry.kw != kwU) ResolveSurrogate();
  State& s = stack_.back();
  const Kw kw = entry.kw;
  const bool first = s.firstWord;
  s.firstWord = false;

  if (s.dest == Dest::Skip) return;
  if (s.star && first && !IsKnownDestination(kw)) {
    StartDest(s, Dest::Skip);
    return;
  }
  if (kw != kwU && kw != kwChar && kw != kwTab && kw != kwLine) FlushBytes();

  const int v = hasParam ? param : 0;
  const bool on = !hasParam || param != 0;
  if (DestinationWord(s, kw, first)) return;
  if (TableWord(s, kw, v)) return;
  BodyWord(s, entry, hasParam, v, on);
}

bool Reader::DestinationWord(State& s, Kw kw, bool first) {
  switch (kw) {
    case kwUnknown: return true;
    case kwSkipDest: StartDest(s, Dest::Skip); return true;
    case kwFonttbl: StartDest(s, s.dest == Dest::Text ? Dest::FontTable : Dest::Skip); return true;
    case kwColortbl:
      if (s.dest != Dest::Text) {
        StartDest(s, Dest::Skip);
        return true;
      }
      StartDest(s, Dest::ColorTable);
      colors_.Clear();
      return true;
    case kwPict:
      if (s.dest == Dest::Text || s.dest == Dest::ObjResult) {
        s.pictInResult = s.dest == Dest::ObjResult;
        s.pictOpensGroup = first;
        StartDest(s, Dest::Pict);
        pict_ = Picture{};
      } else {
        StartDest(s, Dest::Skip);
      }
      return true;
    case kwObject:
      // Only a group that is the object can be kept byte for byte.
      if (s.dest == Dest::Text && !obj_.active && first) {
        StartDest(s, Dest::Object);
        obj_ = ObjectInfo{};
        obj_.active = true;
      } else {
        StartDest(s, Dest::Skip);
      }
      return true;
    case kwObjclass: StartDest(s, s.dest == Dest::Object ? Dest::ObjClass : Dest::Skip); return true;
    case kwObjdata: StartDest(s, Dest::Skip); return true;
    case kwResult: StartDest(s, s.dest == Dest::Object ? Dest::ObjResult : Dest::Skip); return true;
    case kwField:
      if (s.dest == Dest::Text) {
        fields_.push_back(Field{});
        s.field = int(fields_.size()) - 1;
      } else {
        StartDest(s, Dest::Skip);
      }
      return true;
    case kwFldinst:
      StartDest(s, s.field >= 0 && s.field == int(fields_.size()) - 1 ? Dest::FieldInst : Dest::Skip);
      return true;
    case kwFldrslt: {
      if (s.dest != Dest::Text || s.field < 0 || s.field >= int(fields_.size())) return true;
      // The result's text becomes the link the instruction names.
      const QString target = HyperlinkTarget(fields_[size_t(s.field)].inst);
      if (!target.isEmpty()) {
        links_.push_back(target);
        s.ch.link = int(links_.size()) - 1;
      }
      s.dest = Dest::Text;
      return true;
    }
    case kwPn:
      if (s.dest == Dest::Text) {
        StartDest(s, Dest::Pn);
        pnAfter_.clear();
        pnBefore_.clear();
        s.pa.numbering = kNoNumbering;
        s.pa.numStart = 1;
        s.pa.numStyle = kNumberParen;
        s.pa.numTab = 0;
      } else {
        StartDest(s, Dest::Skip);
      }
      return true;
    case kwListtable: StartDest(s, s.dest == Dest::Text ? Dest::ListTable : Dest::Skip); return true;
    case kwListoverridetable:
      StartDest(s, s.dest == Dest::Text ? Dest::ListOverride : Dest::Skip);
      return true;
    case kwShppict: return true;
    case kwUpr:
      // {\upr{ansi text}{\*\ud{unicode text}}}: the same text twice; the Unicode form wins.
      s.upr = true;
      return true;
    case kwUd: s.uprAnsi = false; return true;
    default: return false;
  }
}

bool Reader::TableWord(State& s, Kw kw, int v) {
  switch (s.dest) {
    case Dest::FontTable:
      switch (kw) {
        case kwF:
          EndFontEntry();
          fonts_.Begin(v);
          return true;
        case kwFcharset: fonts_.SetCharset(v); return true;
        case kwCpg: fonts_.SetCodePage(v); return true;
        case kwFprq: fonts_.SetPitch(v); return true;
        case kwFnil:
        case kwFroman:
        case kwFswiss:
        case kwFmodern:
        case kwFscript:
        case kwFdecor:
        case kwFtech:
        case kwFbidi: {
          static const int family[] = {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x00, 0x00};
          fonts_.SetFamily(family[kw - kwFnil]);
          return true;
        }
        case kwU: return false;  // a \uN in a font name
        default: return true;
      }
    case Dest::ColorTable:
      switch (kw) {
        case kwRed: colors_.SetRed(v); break;
        case kwGreen: colors_.SetGreen(v); break;
        case kwBlue: colors_.SetBlue(v); break;
        default: break;
      }
      return true;
    case Dest::Pict:
      switch (kw) {
        case kwPngblip: pict_.kind = kPngPicture; break;
        case kwJpegblip: pict_.kind = kJpegPicture; break;
        case kwDibitmap: pict_.kind = kDibPicture; break;
        case kwWbitmap: pict_.kind = kOtherPicture; break;
        case kwWmetafile:
        case kwEmfblip:
        case kwMacpict:
        case kwPmmetafile: pict_.kind = kMetafilePicture; break;
        case kwPicw: pict_.picw = v; break;
        case kwPich: pict_.pich = v; break;
        case kwPicwgoal: pict_.goalw = v; break;
        case kwPichgoal: pict_.goalh = v; break;
        case kwPicscalex: pict_.scalex = v; break;
        case kwPicscaley: pict_.scaley = v; break;
        default: break;
      }
      return true;
    case Dest::Object:
      if (kw == kwObjw) obj_.objw = v;
      if (kw == kwObjh) obj_.objh = v;
      return true;
    case Dest::Pn:
      switch (kw) {
        case kwPnlvlblt: s.pa.numbering = kBulletNumbering; break;
        case kwPnlvlbody:
        case kwPnlvl:
          if (s.pa.numbering == kNoNumbering) s.pa.numbering = kArabicNumbering;
          break;
        case kwPndec: s.pa.numbering = kArabicNumbering; break;
        case kwPnlcltr: s.pa.numbering = kLowerLetterNumbering; break;
        case kwPnucltr: s.pa.numbering = kUpperLetterNumbering; break;
        case kwPnlcrm: s.pa.numbering = kLowerRomanNumbering; break;
        case kwPnucrm: s.pa.numbering = kUpperRomanNumbering; break;
        case kwPnstart: s.pa.numStart = v; break;
        case kwPnindent: s.pa.numTab = v; break;
        case kwPntxta: StartDest(s, Dest::PnTextAfter); break;
        case kwPntxtb: StartDest(s, Dest::PnTextBefore); break;
        default: break;
      }
      return true;
    case Dest::ListTable:
      switch (kw) {
        case kwList: lists_.BeginList(); break;
        case kwListlevel: lists_.BeginLevel(); break;
        case kwLevelnfc: lists_.SetLevelFormat(v); break;
        case kwLevelstartat: lists_.SetLevelStart(v); break;
        case kwListid: lists_.EndList(v); break;
        default: break;
      }
      return true;
    case Dest::ListOverride:
      if (kw == kwListid) lists_.SelectList(v);
      if (kw == kwLs) lists_.AddOverride(v);
      return true;
    case Dest::ObjResult:
    case Dest::Skip:
    case Dest::ObjClass:
    case Dest::FieldInst:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore: return kw != kwU && kw != kwUc;
    default: return false;
  }
}

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
    case kwDeff: builder_->SetDefaultFont(v); return;
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
    case kwF: ch.font = v; return;
    case kwPlain: {
      const int link = ch.link;
      ch = CharState{};
      ch.font = builder_->DefaultFont();
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
    case kwTx:
      if (pa.tabs.size() < 32 && v > 0 && v <= 31680) pa.tabs.append(v);
      return;
    case kwLs: pa.ls = v; return;
    case kwIlvl: pa.ilvl = std::clamp(v, 0, 8); return;
    case kwPar:
    case kwSect:
    case kwRow:
      if (s.dest == Dest::Text) EndParagraph();
      return;
    case kwPage:
      if (s.dest == Dest::Text) {
        EndParagraph();
        builder_->BreakPageBeforeNext();
      }
      return;
    case kwCell:
      if (s.dest == Dest::Text) {
        FlushBytes();
        builder_->AddPendingTab();
      }
      return;
    case kwChftn:
      // The footnote's text is not kept, but its mark in the text is.
      if (s.dest == Dest::Text) EmitText(QString::number(++footnotes_));
      return;
    case kwLine: EmitChar(0x2028); return;
    case kwTab: EmitChar(u'\t'); return;
    case kwChar: EmitChar(entry.ch); return;
    default: return;
  }
}

void Reader::Run() {
  stack_.reserve(64);
  TokenizeRtf(in_.constData(), in_.size(), *this);
  Finish();
}

void Reader::Finish() {
  finishing_ = true;
  while (stack_.size() > 1) PopGroup(in_.size());
  FlushBytes();
  if (!stack_.empty()) ResolveSurrogate();
  const State* top = stack_.empty() ? nullptr : &stack_.back();
  builder_->Finish(top ? &top->ch : nullptr, top ? &top->pa : nullptr);
}

}  // namespace

bool LooksLikeRtf(const QByteArray& bytes) {
  const qsizetype p = RtfStart(bytes.constData(), bytes.size());
  return bytes.size() - p >= 5 && std::memcmp(bytes.constData() + p, "{\\rtf", 5) == 0;
}

bool ReadRtf(const QByteArray& rtf, QTextCursor& at, QString* error, ReadLosses* losses) {
  if (losses) *losses = ReadLosses{};
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
  if (losses) losses->nestedTooDeep = r.Dropped();
  if (error) error->clear();
  return true;
}

bool ReadRtfText(const QByteArray& rtf, QString* text, QString* error, ReadLosses* losses) {
  if (losses) *losses = ReadLosses{};
  text->clear();
  if (!LooksLikeRtf(rtf)) {
    if (error) *error = QStringLiteral("Not an RTF document: it does not begin with {\\rtf");
    return false;
  }
  Reader r(rtf, *text);
  r.Run();
  if (losses) losses->nestedTooDeep = r.Dropped();
  if (error) error->clear();
  return true;
}

}  // namespace rtf
