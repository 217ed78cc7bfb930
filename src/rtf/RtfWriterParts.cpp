// The RTF writer's document-level parts: the font and list tables, footnotes and the document's
// header and table groups.

#include <QTextCursor>

#include "rtf/CodePage.h"
#include "rtf/DocumentParts.h"
#include "rtf/RtfWriter_p.h"
#include "rtf/TextModel.h"

namespace rtf::writer {

void Writer::WriteSubDocument(const QByteArray& opening, const QByteArray& stored, bool footnote) {
  QTextDocument note;
  QTextCursor c(&note);
  if (!NoteReader() || !NoteReader()(stored, c)) return;
  // The body is a group of its own: what it changes ends with it.
  const RunState savedRun = cur_;
  const QByteArray savedProps = prevProps_;
  const bool savedFirst = firstProps_;
  const QString savedWrapper = wrapperKey_;
  const RunState savedBefore = beforeWrapper_;
  const QByteArray savedNote = lastFootnote_;
  // The body's formats are numbered by its own document: the text's numbers mean other formats.
  std::unordered_map<int, RunState> savedStates;
  savedStates.swap(stateOfFormat_);
  Raw(opening + "\\pard\\plain ");
  cur_ = RunState{};
  firstProps_ = true;
  wrapperKey_.clear();
  lastFootnote_.clear();
  if (footnote) Raw("{\\super\\chftn}");
  // The body's cells are written as paragraphs of it; the empty one a table leaves after itself
  // is none.
  QTextBlock end = note.lastBlock();
  if (end.length() <= 1 && end != note.begin() && QTextCursor(end.previous()).currentTable()) end = end.previous();
  for (QTextBlock b = note.begin(); b.isValid(); b = b.next()) {
    EmitProps(ParagraphProps(b, 0));
    WriteRuns(b, 0, note.characterCount());
    // A reader takes the body's last paragraph mark for its end: an empty paragraph there needs
    // a mark of its own, which also gives it its formats.
    if (b != end || b.length() <= 1) Raw("\\par ");
    if (b == end) break;
  }
  CloseWrapper();
  Raw("}");
  cur_ = savedRun;
  prevProps_ = savedProps;
  firstProps_ = savedFirst;
  wrapperKey_ = savedWrapper;
  beforeWrapper_ = savedBefore;
  lastFootnote_ = savedNote;
  stateOfFormat_.swap(savedStates);
}

QByteArray Writer::ListTables() {
  if (lists_.empty()) return {};
  QByteArray out = "{\\*\\listtable";
  for (const ListDefinition& d : lists_) {
    out += "{\\list\\listtemplateid" + Num(d.templateId ? d.templateId : d.listId);
    if (d.hybrid) out += "\\listhybrid";
    if (d.simple) out += "\\listsimple1";
    for (const ListLevelDef& l : d.levels) {
      out += "{\\listlevel\\levelnfc" + Num(l.nfc) + "\\levelnfcn" + Num(l.nfc) + "\\leveljc" + Num(l.jc) +
             "\\leveljcn" + Num(l.jc) + "\\levelfollow" + Num(l.follow) + "\\levelstartat" + Num(l.start);
      if (l.legal) out += "\\levellegal1";
      if (l.noRestart) out += "\\levelnorestart1";
      static const char hex[] = "0123456789abcdef";
      auto byte = [&](int b) {
        out += "\\'";
        out += hex[(b >> 4) & 15];
        out += hex[b & 15];
      };
      out += "{\\leveltext";
      byte(std::min<int>(int(l.text.size()), 255));
      QByteArray numbers;
      for (qsizetype i = 0; i < l.text.size() && i < 255; ++i) {
        const ushort u = l.text[i].unicode();
        if (u < kMaxListLevels) {
          byte(u);
          numbers += "\\'";
          numbers += hex[((i + 1) >> 4) & 15];
          numbers += hex[(i + 1) & 15];
        } else if (u < 0x20) {
          byte(u);  // a tab: as a word it would be no character of the label
        } else {
          out += EscapedBytes(QString(l.text[i]));
        }
      }
      out += ";}{\\levelnumbers" + numbers + ";}";
      if (!l.font.isEmpty()) {
        QTextCharFormat f;
        f.setFontFamilies({l.font});
        bool symbol = false;
        for (QChar c : l.text) symbol = symbol || (c.unicode() >= 0xF020 && c.unicode() <= 0xF0FF);
        if (symbol) f.setProperty(kCharset, 2);
        out += "\\f" + Num(FontIndex(f));
      }
      if (l.fi) out += "\\fi" + Num(l.fi);
      if (l.li) out += "\\li" + Num(l.li);
      out += "}";
    }
    out += "{\\listname " + EscapedBytes(d.name) + ";}\\listid" + Num(d.listId) + "}";
  }
  out += "}\r\n{\\*\\listoverridetable";
  for (size_t i = 0; i < overrides_.size(); ++i)
    out += "{\\listoverride\\listid" + Num(overrides_[i]) + "\\listoverridecount0\\ls" + Num(int(i + 1)) + "}";
  out += "}\r\n";
  return out;
}

QByteArray Writer::InfoGroup() {
  const QList<InfoEntry> entries = DocumentInfo(doc_);
  if (entries.isEmpty()) return {};
  QByteArray out = "{\\info";
  for (const InfoEntry& e : entries) {
    // A word is kept only as letters: anything else could not be read back as the same word.
    bool word = !e.word.isEmpty();
    for (char c : e.word) word = word && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    if (!word) continue;
    out += QByteArray(e.starred ? "{\\*\\" : "{\\") + e.word;
    out += e.numbers;
    if (!e.text.isEmpty()) out += ' ' + EscapedBytes(e.text);
    out += '}';
  }
  out += "}\r\n";
  return out;
}

QByteArray Writer::Write(int from, int to) {
  const int docEnd = std::max(0, doc_.characterCount() - 1);
  if (to < 0 || to > docEnd) to = docEnd;
  from = std::clamp(from, 0, to);
  defaultFamily_ = base_.family();
  if (base_.pointSizeF() > 0) defaultFs_ = std::clamp(qRound(base_.pointSizeF() * 2), 1, 3276);

  // Labels number on from the start of the text.
  const QTextBlock first = doc_.findBlock(from);
  for (QTextBlock b = doc_.begin(); b.isValid() && b != first; b = b.next()) numberer_.Next(b);
  QByteArray info;
  if (from == 0 && to == docEnd) {
    // Headers and footers open the body, as section properties do.
    for (const DocumentPart& part : DocumentParts(doc_)) {
      if (!IsHeaderFooterWord(part.word)) {
        // A word that says which of them show (\facingp, \titlepg).
        if (part.word == "facingp" || part.word == "titlepg") Word(("\\" + part.word).constData());
        continue;
      }
      WriteSubDocument("{\\" + part.word, part.rtf, false);
      Raw("\r\n");
    }
    WriteFrame(doc_.rootFrame());
    info = InfoGroup();
  } else {
    WriteFlat(from, to);
  }
  // The list table names fonts and colours: it is made before those tables are written.
  const QByteArray listTables = ListTables();
  if (fonts_.empty()) FontIndex(QTextCharFormat());

  QByteArray out;
  out.reserve(body_.size() + listTables.size() + 512);
  out.append("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl");
  static const char* const families[] = {"\\fnil", "\\froman", "\\fswiss",
                                         "\\fmodern", "\\fscript", "\\fdecor"};
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const FontKey& f = fonts_[i];
    const int family = (f.pitchFamily >> 4) & 0xF;
    out.append("{\\f" + Num(int(i)) + (family < 6 ? families[family] : "\\fnil"));
    if (f.pitchFamily & 3) out.append("\\fprq" + Num(f.pitchFamily & 3));
    out.append(f.symbol ? QByteArray("\\fcharset2 ") : "\\fcharset" + Num(f.charset) + ' ');
    asUnicode_ = !f.symbol && f.charset != 204;
    out.append(EscapedBytes(f.name));
    asUnicode_ = false;
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
  out.append(listTables);
  out.append(info);
  out.append("\\viewkind4\\uc1");
  out.append(body_);
  out.append("}\r\n");
  return out;
}

}  // namespace rtf::writer
