#pragma once
// The reader's state and its class, shared by its units: RtfReader.cpp (the entry points and the
// group stack), RtfReaderText.cpp (text and bytes), RtfReaderDestinations.cpp (the dispatch of
// control words, destinations, the tables' words, footnotes) and RtfReaderFormat.cpp (the body's
// character, paragraph, border and table words). Nothing outside them includes it.

#include <QTextDocument>
#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "rtf/CodePage.h"
#include "rtf/DocumentParts.h"
#include "rtf/RtfDocumentBuilder.h"
#include "rtf/RtfKeywords.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfTables.h"
#include "rtf/RtfTextBuilder.h"
#include "rtf/RtfTokenizer.h"
#include "rtf/TextModel.h"

namespace rtf::reader {

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
  Info,        // {\info ...}: its entries
  InfoText,    // one entry of it: text, or numbers kept as read
  ShapeGroup,  // {\shp ...}: kept as read; its picture shown, its text read as a document
};

struct State {
  CharState ch;
  ParaState pa;
  Dest dest = Dest::Text;
  bool star = false;            // "\*" seen: an unknown destination here is skipped
  bool firstWord = true;        // no control word yet in this group
  bool ownsDest = false;        // this group opened its destination (pict, object, field, pn)
  bool pictInResult = false;    // the picture is an object's result
  bool pictInShape = false;     // the picture is a drawing shape's
  bool pictOpensGroup = false;  // \pict was the group's first word: the group is the picture
  bool inPict = false;          // a group inside a picture
  bool upr = false;             // this group holds an ANSI and a Unicode form of the same text
  bool uprAnsi = false;         // inside the ANSI form: its text is dropped
  int uc = 1;
  int field = -1;  // index into the open fields
  bool footnote = false;  // inside a footnote's body
  bool docPart = false;   // inside a header or footer
  bool shapeText = false;  // inside a shape's text
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

struct ShapeInfo {
  bool active = false;
  qsizetype textFrom = -1, textTo = -1;  // the bytes of its {\shptxt ...} group
  QByteArray text;                        // that text as an RTF document
  QString plain;
  Picture picture;
  bool hasPicture = false;
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct ObjectInfo {
  bool active = false;
  QString cls;
  int objw = 0, objh = 0;
  Picture result;
  bool hasResult = false;
};

// Reads one document: the tokenizer's sink, keeping the group stack and sending what each
// destination collects to its table or, for the body, to the document builder.
class Reader {
 public:
  Reader(const QByteArray& in, QTextCursor& cur)
      : in_(in),
        own_(std::make_unique<DocumentBuilder>(cur, fonts_, colors_, lists_, links_, fieldInsts_)),
        rowDefs_(size_t(kMaxTableDepth)), pendingCells_(size_t(kMaxTableDepth)) {
    static_cast<DocumentBuilder&>(builder_).SetRowDefinitions(&rowDefs_);
    // Only a document read whole takes the headers, footers and information of what it reads.
    if (cur.document() && cur.document()->isEmpty()) wholeDoc_ = cur.document();
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
  // The targets of the hyperlinks met, in order.
  const std::vector<QString>& Links() const { return links_; }
  bool SkippingFallback() const { return skipChars_ > 0; }
  void SkipFallback() { --skipChars_; }
  void StopFallback() { skipChars_ = 0; }
  void ControlWord(std::string_view word, bool hasParam, int param);
  void BinaryData(const char* data, qsizetype n);
  void HexEscape(unsigned char b) {
    stack_.back().firstWord = false;
    // A CR or LF byte as text ends the paragraph, as the character it is; CR LF is one end.
    if ((b == 0x0d || b == 0x0a) && stack_.back().dest == Dest::Text && !stack_.back().uprAnsi) {
      const bool pair = b == 0x0a && hexCr_;
      ResolveSurrogate();
      if (!pair) EndParagraph();
      hexCr_ = b == 0x0d;
      return;
    }
    hexCr_ = false;
    HexByte(b);
  }
  void Star() { stack_.back().star = true; }
  void LiteralByte(char c) {
    hexCr_ = false;
    stack_.back().firstWord = false;
    HandleText(&c, 1);
  }
  void SymbolChar(char16_t c) {
    hexCr_ = false;
    stack_.back().firstWord = false;
    EmitChar(c);
  }
  void ParagraphSymbol() {
    hexCr_ = false;
    stack_.back().firstWord = false;
    if (stack_.back().dest == Dest::Text) EndParagraph();
  }
  void OtherWord(std::string_view word, bool hasParam, int param);
  TextMode Mode() const;
  int BeginText() {
    State& s = stack_.back();
    s.firstWord = false;
    return CodePageOf(TextFont(s.ch));
  }
  void PictureHex(const char* data, qsizetype n);
  void Text(const char* data, qsizetype n) {
    hexCr_ = false;
    HandleText(data, n);
  }

 private:
  struct Field {
    QString inst;
    int id = -1;  // in fieldInsts_
    CharState ch;  // the formats of the instruction's text: a field without a result shows in them
    bool hasCh = false;
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
  static int TextFont(const CharState& ch) { return ch.codeFont >= 0 ? ch.codeFont : ch.font; }
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
  // Headers, footers and footnotes are read into a document of their own.
  void BeginSubDocument(State& s);
  void BeginPart(State& s, std::string_view word);
  void EndPart(const State& done);
  void ShapeWord(State& s, std::string_view word, Kw kw, bool hasParam, int param, bool first);
  void EndShape(const State& done, State& parent, qsizetype at);
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
  bool endnote_ = false;  // the footnote being read is an endnote
  QByteArray partWord_;   // the header or footer being read
  QList<DocumentPart> parts_;
  QList<InfoEntry> info_;
  QTextDocument* wholeDoc_ = nullptr;  // the document when the input is read as all of it
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
  bool hexCr_ = false;  // the last thing read was \'0d: a \'0a right after it ends no other paragraph

  int docCp_ = 1252;
  std::vector<Field> fields_;
  QString pnAfter_, pnBefore_;
  Picture pict_;
  ObjectInfo obj_;
  ShapeInfo shape_;

  CodePageDecoder decoder_;
  QByteArray bytes_;  // text bytes waiting to be decoded in bytesCp_
  int bytesCp_ = 0;
  Dest bytesDest_ = Dest::Text;
};

}  // namespace rtf::reader
