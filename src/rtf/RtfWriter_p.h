#pragma once
// The RTF writer's class and its state, shared by its units: RtfWriter.cpp (runs, paragraphs,
// tables) and RtfWriterParts.cpp (the document's tables and parts: fonts, lists, notes, headers
// and footers, the information group). Nothing outside them includes it.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <map>
#include <unordered_map>
#include <vector>

#include "rtf/Borders.h"
#include "rtf/Lists.h"
#include "rtf/Numbering.h"
#include "rtf/RtfWriter.h"
#include "rtf/TableModel.h"

namespace rtf::writer {

FootnoteReader& NoteReader();
// Byte of every character in code page 1251, -1 where it has none.
const std::vector<short>& Cp1251();

struct RunState {
  int font = -1, fs = -1;
  bool bold = false, italic = false, strike = false, prot = false;
  int ul = 0;
  int vert = 0, fg = 0, bg = 0;
  bool hidden = false, caps = false, scaps = false, outl = false, shad = false, rtl = false;
  int up = 0, expndtw = 0, kerning = 0, scalex = 100, lang = 0;
  int ea = -1, cs = -1;  // the East Asian and complex script fonts, -1 none
  bool operator==(const RunState&) const = default;
};

struct FontKey {
  QString name;
  int pitchFamily = 0;
  bool symbol = false;  // a symbol font: its own character set, not Cyrillic
  // The character set as read where it is another script's (Japanese, Greek ...): text in the
  // font goes as \uN, since its bytes would read in that set's code page. 204 otherwise.
  int charset = 204;
  bool operator<(const FontKey& o) const {
    if (name != o.name) return name < o.name;
    if (pitchFamily != o.pitchFamily) return pitchFamily < o.pitchFamily;
    if (symbol != o.symbol) return symbol < o.symbol;
    return charset < o.charset;
  }
};

inline QByteArray Num(int v) { return QByteArray::number(v); }


// What ends a paragraph as it is written.
enum class Ending { Par, Cell, NestCell, None };

class Writer {
 public:
  Writer(const QTextDocument& doc, const QFont& base) : doc_(doc), base_(base) {}
  QByteArray Write(int from, int to);

 private:
  int FontIndex(const QTextCharFormat& f);
  int FontIndex(FontKey key);
  // The font of a run's other script (kEastAsianFont ...), -1 for none.
  int ScriptFontIndex(const QTextCharFormat& f, int nameProperty, int charsetProperty);
  int ColorIndex(const QColor& c);
  int KeptColorIndex(int kept) { return kept ? ColorIndex(ColorOfKept(kept)) : 0; }
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
  void Raw(const QByteArray& bytes) {
    body_.append(bytes);
    needDelim_ = false;
  }
  void Text(const QString& s, qsizetype from, qsizetype to);
  void Char(char16_t c);
  void RawAscii(char c) {
    if (needDelim_) body_.append(' ');
    needDelim_ = false;
    body_.append(c);
  }
  void Escaped(const QString& s);
  QByteArray EscapedBytes(const QString& s);
  QByteArray BorderSpec(const BorderSide& b);
  QByteArray ParagraphProps(const QTextBlock& block, int level);
  int ListIndex(const QTextBlock& block, int* level);

  // Wrappers around runs: a link or a field's result.
  void OpenWrapper(const QTextCharFormat& cf);
  void CloseWrapper();
  QString WrapperKey(const QTextCharFormat& cf) const;

  void WriteFrame(QTextFrame* frame);
  void WriteTable(QTextTable* table, int level);
  QByteArray RowDefinition(QTextTable* table, int row, const RowProps& props, const QList<int>& edges);
  void WriteCell(const QTextTableCell& cell, int level);
  void WriteFlat(int from, int to);
  void WriteParagraph(const QTextBlock& block, int from, int to, int level, Ending ending, bool pageBreak);
  void WriteRuns(const QTextBlock& block, int from, int to);
  // A footnote's, header's or footer's text, kept as RTF, as a group opened by `opening`.
  void WriteSubDocument(const QByteArray& opening, const QByteArray& stored, bool footnote);
  QByteArray InfoGroup();
  void EmitProps(const QByteArray& props);
  QByteArray ListTables();

  const QTextDocument& doc_;
  QFont base_;
  QByteArray body_;
  bool needDelim_ = false;
  bool ownCodePage_ = false;
  bool asUnicode_ = false;  // a font name in another script's set: its bytes would read in that set  // text of the font table and list labels: never a symbol font's
  RunState cur_;
  RunState beforeWrapper_;
  QString wrapperKey_;  // empty when no wrapper is open
  QByteArray lastFootnote_;
  QByteArray prevProps_;
  bool firstProps_ = true;
  ListNumberer numberer_;
  std::map<FontKey, int> fontIndex_;
  std::vector<FontKey> fonts_;
  std::map<QRgb, int> colorIndex_;
  std::unordered_map<int, RunState> stateOfFormat_;  // by the document's format index
  std::vector<QColor> colors_;
  QString defaultFamily_;
  int defaultFs_ = 24;
  // Lists written: one override per list of the document, in order of first use, and one
  // definition per definition they use: overrides of one list share its numbers.
  std::map<std::pair<int, QByteArray>, int> listIndex_;
  std::vector<int> overrides_;  // the list id of each override
  std::map<QByteArray, int> definitionIds_;  // a definition as read -> its id as written
  std::vector<ListDefinition> lists_;
  std::unordered_map<const QTextList*, std::pair<int, int>> listOfObject_;  // list -> (ls, level)
};

}  // namespace rtf::writer
