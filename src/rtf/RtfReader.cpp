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
#include "rtf/PlainText.h"
#include "rtf/RtfDocumentBuilder.h"
#include "rtf/RtfFields.h"
#include "rtf/RtfKeywords.h"
#include "rtf/RtfTables.h"
#include "rtf/RtfTextBuilder.h"
#include "rtf/RtfTokenizer.h"
#include "rtf/RtfWriter.h"
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
  LevelText,   // {\leveltext ...}: a list level's label
  ListName,    // {\listname ...}
  Shape,       // an old drawing object: nothing but its text box's text is kept
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
  bool footnote = false;  // inside a footnote's body
  bool textBox = false;   // this group is an old drawing object's text
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
    case kwListoverridetable: case kwShppict: case kwUd: case kwNesttableprops: case kwFootnote:
    case kwLeveltext: case kwListname: case kwDo: return true;
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
      : in_(in),
        own_(std::make_unique<DocumentBuilder>(cur, fonts_, colors_, lists_, links_, fieldInsts_)),
        rowDefs_(size_t(kMaxTableDepth)), pendingCells_(size_t(kMaxTableDepth)) {
    static_cast<DocumentBuilder&>(builder_).SetRowDefinitions(&rowDefs_);
  }
  // Only the text, into `text`: see TextBuilder.
  Reader(const QByteArray& in, QString& text)
      : in_(in), own_(std::make_unique<TextBuilder>(text)),
        textOnly_(static_cast<TextBuilder*>(own_.get())),
        rowDefs_(size_t(kMaxTableDepth)), pendingCells_(size_t(kMaxTableDepth)) {}

  void Run();
  // Reading only the text met a table: the text is to be read through a document.
  bool NeedsDocument() const { return textOnly_ && textOnly_->NeedsDocument(); }

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
  void OtherWord(std::string_view word, bool hasParam, int param);
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
    int id = -1;  // in fieldInsts_
  };
  // Where the next border words go: a paragraph's side, a cell's or a row's.
  enum class BorderTarget { None, Para, ParaBox, Cell, Row };

  void FlushBytes();
  void AppendToDestination(Dest d, const QString& s);
  void EmitText(const QString& s);
  void EmitChar(char16_t c) { EmitText(QString(QChar(c))); }
  void ResolveSurrogate();
  void EmitObject(const QTextCharFormat& f) {
    const State& top = stack_.back();
    // An object in a field's result is its result as much as text is.
    if (top.ch.field >= 0 && top.ch.field < int(fieldHasResult_.size())) fieldHasResult_[size_t(top.ch.field)] = true;
    active_->Object(f, top.ch, top.pa);
  }
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
  bool TableWord(State& s, Kw kw, int v, bool on);
  void BodyWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on);
  bool KeptWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on);
  bool TableRowWord(State& s, const KwEntry& entry, bool hasParam, int v, bool on);
  BorderSide* CurrentBorder();
  int RowLevel(const State& s) const;
  int ColorOf(int index) const;
  void BeginFootnote(State& s);
  // Takes the footnote mark of `length` characters just written, begun at `before`. Measured back
  // from its end (writing it may first close a table or a paragraph), but never before where it
  // began: a number that went elsewhere (an alternative's skipped part) marks nothing.
  void MarkWritten(int before, int length) {
    markTo_ = builder_.Position();
    markFrom_ = std::max(before, markTo_ - length);
  }
  void EndFootnote(const State& done);

  const QByteArray& in_;
  FontTable fonts_;
  ColorTable colors_;
  ListTables lists_;
  std::vector<QString> links_;
  std::vector<QString> fieldInsts_;   // by field id: instructions of fields with results
  std::vector<bool> fieldHasResult_;
  std::unique_ptr<ContentBuilder> own_;
  ContentBuilder& builder_ = *own_;
  ContentBuilder* active_ = &builder_;  // where body text goes: the document or a footnote
  TextBuilder* textOnly_ = nullptr;     // set when only the text is read

  // Tables: the row being defined and the cell being defined, per nesting level.
  std::vector<RowDef> rowDefs_;
  std::vector<CellDef> pendingCells_;
  BorderTarget borderTarget_ = BorderTarget::None;
  int borderSide_ = 0;
  int borderLevel_ = 1;

  // Footnotes: the body is read into a document of its own, then kept on its mark.
  std::unique_ptr<QTextDocument> noteDoc_;
  std::unique_ptr<QTextCursor> noteCursor_;
  std::unique_ptr<ContentBuilder> noteBuilder_;
  QString noteText_;  // a footnote's body when only the text is read: it is not part of it
  int markFrom_ = -1, markTo_ = -1;  // the last footnote mark in the text
  QString levelText_;

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
  if (done.field >= 0 && done.field != parent.field && done.field < int(fields_.size())) {
    // A field with no result still keeps its instruction, as one character that shows what it
    // stands for.
    const Field f = fields_[size_t(done.field)];
    fields_.resize(size_t(done.field));
    if (f.id >= 0 && !fieldHasResult_[size_t(f.id)] && !f.inst.trimmed().isEmpty() &&
        HyperlinkTarget(f.inst).isEmpty() && parent.dest == Dest::Text && !finishing_) {
      QTextCharFormat fmt = active_->CharFormat(parent.ch);
      fmt.setObjectType(kFieldObjectType);
      fmt.setProperty(kFieldInst, f.inst.trimmed());
      fmt.clearProperty(kFieldId);
      EmitObject(fmt);
    }
  }
  if (done.textBox && !parent.textBox) active_->BreakParagraph(done.ch, done.pa);
  if (done.footnote && !parent.footnote) EndFootnote(done);
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
        QTextCharFormat f = builder_.CharFormat(done.ch);
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
        QTextCharFormat f = builder_.CharFormat(done.ch);
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
    case Dest::LevelText:
      if (parent.dest == Dest::ListTable) lists_.SetLevelText(levelText_);
      break;
    case Dest::ListName: {
      QString name = levelText_.trimmed();
      if (name.endsWith(u';')) name.chop(1);
      if (parent.dest == Dest::ListTable) lists_.Current().name = name.trimmed();
      break;
    }
    default: break;
  }
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
    case Dest::Shape:
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
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: break;
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
    case Dest::Text: {
      const State& top = stack_.back();
      if (top.ch.field >= 0 && top.ch.field < int(fieldHasResult_.size())) fieldHasResult_[size_t(top.ch.field)] = true;
      active_->Text(s, top.ch, top.pa);
      break;
    }
    case Dest::FontTable: fonts_.AppendName(s); break;
    case Dest::FieldInst:
      // Controls cannot be written back as instruction text: they read as the spaces the writer
      // puts in their place, so the instruction trims and matches alike on every read.
      if (!fields_.empty())
        for (QChar c : s)
          fields_.back().inst += c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                                         c == QChar::ParagraphSeparator
                                     ? QChar(u' ')
                                     : c;
      break;
    case Dest::ObjClass: obj_.cls += s; break;
    case Dest::PnTextAfter: pnAfter_ += s; break;
    case Dest::PnTextBefore: pnBefore_ += s; break;
    case Dest::LevelText:
    case Dest::ListName: levelText_ += s; break;
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
  active_->EndParagraph(stack_.back().ch, stack_.back().pa);
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
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: break;
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
  if (s.dest == Dest::Shape) {
    // Of an old drawing object only its text box's text is kept, as paragraphs at its place.
    if (kw == kwDptxbxtext && active_ == &builder_) {
      FlushBytes();
      builder_.BreakParagraph(s.ch, s.pa);
      StartDest(s, Dest::Text);
      s.textBox = true;
    }
    return;
  }
  if (s.star && first && !IsKnownDestination(kw)) {
    StartDest(s, Dest::Skip);
    return;
  }
  if (kw == kwUnknown) {
    if (s.dest == Dest::Text) OtherWord(word, hasParam, param);
    return;
  }
  if (kw != kwU && kw != kwChar && kw != kwTab && kw != kwLine) FlushBytes();

  const int v = hasParam ? param : 0;
  const bool on = !hasParam || param != 0;
  if (DestinationWord(s, kw, first)) return;
  if (TableWord(s, kw, v, on)) return;
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
        Field f;
        f.id = int(fieldInsts_.size());
        fieldInsts_.emplace_back();
        fieldHasResult_.push_back(false);
        fields_.push_back(f);
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
      // The result's text becomes the link the instruction names; other fields' results keep
      // their instruction.
      const Field& field = fields_[size_t(s.field)];
      const QString target = HyperlinkTarget(field.inst);
      if (!target.isEmpty()) {
        links_.push_back(target);
        s.ch.link = int(links_.size()) - 1;
      } else if (field.id >= 0 && !field.inst.trimmed().isEmpty()) {
        fieldInsts_[size_t(field.id)] = field.inst.trimmed();
        s.ch.field = field.id;
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
    case kwLeveltext:
      StartDest(s, s.dest == Dest::ListTable ? Dest::LevelText : Dest::Skip);
      levelText_.clear();
      return true;
    case kwListname:
      StartDest(s, s.dest == Dest::ListTable ? Dest::ListName : Dest::Skip);
      levelText_.clear();
      return true;
    case kwLevelnumbers: StartDest(s, Dest::Skip); return true;
    case kwNesttableprops: return true;
    case kwFootnote:
      if (s.dest == Dest::Text && active_ == &builder_) BeginFootnote(s);
      else StartDest(s, Dest::Skip);
      return true;
    case kwDo: StartDest(s, s.dest == Dest::Text ? Dest::Shape : Dest::Skip); return true;
    case kwDptxbxtext: StartDest(s, Dest::Skip); return true;
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

bool Reader::TableWord(State& s, Kw kw, int v, bool on) {
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
    case Dest::ListTable: {
      ListLevelDef* level = lists_.CurrentLevel();
      ListDefinition& def = lists_.Current();
      switch (kw) {
        case kwList: lists_.BeginList(); break;
        case kwListlevel: lists_.BeginLevel(); break;
        case kwListid: lists_.EndList(v); break;
        case kwListtemplateid: def.templateId = v; break;
        case kwListhybrid: def.hybrid = true; break;
        case kwListsimple: def.simple = on; break;
        default: break;
      }
      if (!level) return true;
      switch (kw) {
        case kwLevelnfc: level->nfc = v; break;
        case kwLevelstartat: level->start = v; break;
        case kwLeveljc: level->jc = std::clamp(v, 0, 2); break;
        case kwLevelfollow: level->follow = std::clamp(v, 0, 2); break;
        case kwLevellegal: level->legal = on; break;
        case kwLevelnorestart: level->noRestart = on; break;
        case kwFi: level->fi = std::clamp(v, -31680, 31680); break;
        case kwLi: level->li = std::clamp(v, -31680, 31680); break;
        case kwF:
          if (const RtfFont* font = fonts_.Find(v, -1)) {
            level->font = font->name;
            // A symbol font's label characters are its glyphs, unless the label names its glyphs
            // already (as \uN in the private use area): its other characters are then text.
            const bool named = std::any_of(level->text.begin(), level->text.end(), [](QChar c) {
              return c.unicode() >= 0xF000 && c.unicode() <= 0xF0FF;
            });
            if (font->charset == 2 && !named)
              for (QChar& c : level->text)
                if (c.unicode() >= 0x20 && c.unicode() < 0x100) c = QChar(0xF000 + c.unicode());
          }
          break;
        default: break;
      }
      return true;
    }
    case Dest::ListOverride:
      if (kw == kwListid) lists_.SelectList(v);
      if (kw == kwLs) lists_.AddOverride(v);
      return true;
    case Dest::ObjResult:
    case Dest::Skip:
    case Dest::ObjClass:
    case Dest::FieldInst:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: return kw != kwU && kw != kwUc;
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

void Reader::BeginFootnote(State& s) {
  FlushBytes();
  // A footnote with no mark before it gets one.
  if (markTo_ < 0 || markTo_ != builder_.Position()) {
    CharState mark = s.ch;
    mark.vert = 2;
    const QString number = QString::number(++footnotes_);
    const int before = builder_.Position();
    builder_.Text(number, mark, s.pa);
    MarkWritten(before, int(number.size()));
  } else {
    ++footnotes_;
  }
  if (textOnly_) {
    noteText_.clear();
    noteBuilder_ = std::make_unique<TextBuilder>(noteText_);
  } else {
    noteDoc_ = std::make_unique<QTextDocument>();
    noteCursor_ = std::make_unique<QTextCursor>(noteDoc_.get());
    noteBuilder_ = std::make_unique<DocumentBuilder>(*noteCursor_, fonts_, colors_, lists_, links_, fieldInsts_);
  }
  noteBuilder_->SetDefaultFont(builder_.DefaultFont());
  active_ = noteBuilder_.get();
  StartDest(s, Dest::Text);
  s.footnote = true;
  s.pa = ParaState{};
}

void Reader::EndFootnote(const State& done) {
  FlushBytes();
  noteBuilder_->Finish(&done.ch, &done.pa);
  QTextCharFormat props;
  if (noteDoc_) {
    props.setProperty(kFootnote, WriteRtf(*noteDoc_));
    props.setProperty(kFootnoteId, footnotes_);
    props.setToolTip(noteDoc_->toPlainText().trimmed());
  }
  active_ = &builder_;
  noteBuilder_.reset();
  noteCursor_.reset();
  noteDoc_.reset();
  builder_.MarkRange(markFrom_, markTo_, props);
  markFrom_ = markTo_ = -1;
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
  builder_.Finish(top ? &top->ch : nullptr, top ? &top->pa : nullptr);
}

}  // namespace

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where "\rtf" stands after the document's opening brace (office suites accept white space
// between them), or -1.
qsizetype RtfWordAt(const QByteArray& bytes) {
  qsizetype p = RtfStart(bytes.constData(), bytes.size());
  if (p >= bytes.size() || bytes[p] != '{') return -1;
  ++p;
  while (p < bytes.size() && IsBlank(bytes[p])) ++p;
  return bytes.size() - p >= 4 && std::memcmp(bytes.constData() + p, "\\rtf", 4) == 0 ? p : -1;
}

}  // namespace

bool LooksLikeRtf(const QByteArray& bytes) { return RtfWordAt(bytes) >= 0; }

namespace {

// White space between the brace and \rtf is no text of the document: the bytes without it, or
// empty where there is none.
QByteArray Tidied(const QByteArray& rtf) {
  const qsizetype word = RtfWordAt(rtf);
  const qsizetype brace = RtfStart(rtf.constData(), rtf.size());
  return word > brace + 1 ? rtf.left(brace + 1) + rtf.mid(word) : QByteArray();
}

const char kNotRtf[] = "Not an RTF document: it does not begin with {\\rtf";

}  // namespace

bool ReadRtf(const QByteArray& rtf, QTextCursor& at, QString* error, ReadLosses* losses) {
  if (losses) *losses = ReadLosses{};
  if (!LooksLikeRtf(rtf)) {
    if (error) *error = QString::fromLatin1(kNotRtf);
    return false;
  }
  if (at.isNull()) {
    if (error) *error = QStringLiteral("No document to read into");
    return false;
  }
  const QByteArray tidy = Tidied(rtf);
  at.beginEditBlock();
  at.removeSelectedText();
  Reader r(tidy.isEmpty() ? rtf : tidy, at);
  r.Run();
  at.endEditBlock();
  if (losses) losses->nestedTooDeep = r.Dropped();
  if (error) error->clear();
  return true;
}

bool ReadRtfText(const QByteArray& rtf, QString* text, QString* error, ReadLosses* losses) {
  text->clear();
  if (losses) *losses = ReadLosses{};
  if (!LooksLikeRtf(rtf)) {
    if (error) *error = QString::fromLatin1(kNotRtf);
    return false;
  }
  {
    const QByteArray tidy = Tidied(rtf);
    Reader r(tidy.isEmpty() ? rtf : tidy, *text);
    r.Run();
    if (!r.NeedsDocument()) {
      if (losses) losses->nestedTooDeep = r.Dropped();
      if (error) error->clear();
      return true;
    }
  }
  // A table's text is the one its document gives once its cells are shaped; nothing is laid out.
  text->clear();
  QTextDocument doc;
  QTextCursor at(&doc);
  if (!ReadRtf(rtf, at, error, losses)) return false;
  *text = PlainText(doc);
  return true;
}

}  // namespace rtf
