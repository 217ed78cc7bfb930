// Reading RTF: the entry points, and the reader's group stack, where a closing group hands what
// its destination collected to the document or its table.

#include "rtf/RtfReader.h"

#include <QHash>
#include <QTextBlock>
#include <cstring>

#include "rtf/Numbering.h"
#include "rtf/ObjectGroup.h"
#include "rtf/PlainText.h"
#include "rtf/RtfFields.h"
#include "rtf/RtfReader_p.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextObjects.h"

namespace rtf {

namespace reader {

namespace {

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

}  // namespace

void Reader::PushGroup(qsizetype at) {
  hexCr_ = false;
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
  hexCr_ = false;
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
      // It shows in the formats of its instruction's text, within the field's link or result.
      CharState ch = parent.ch;
      if (f.hasCh) {
        ch = f.ch;
        ch.link = parent.ch.link;
        ch.field = parent.ch.field;
      }
      QTextCharFormat fmt = active_->CharFormat(ch);
      fmt.setObjectType(kFieldObjectType);
      fmt.setProperty(kFieldInst, f.inst.trimmed());
      fmt.clearProperty(kFieldId);
      EmitObject(fmt);
    }
  }
  if (done.textBox && !parent.textBox) active_->BreakParagraph(done.ch, done.pa);
  if (done.footnote && !parent.footnote) EndFootnote(done);
  if (done.docPart && !parent.docPart) EndPart(done);
  if (done.shapeText && !parent.shapeText) {
    FlushBytes();
    noteBuilder_->Finish(&done.ch, &done.pa);
    if (noteDoc_) {
      shape_.text = WriteRtf(*noteDoc_);
      shape_.plain = noteDoc_->toPlainText();
    }
    shape_.textTo = at + 1;
    active_ = &builder_;
    noteBuilder_.reset();
    noteCursor_.reset();
    noteDoc_.reset();
  }
  if (!done.ownsDest) {
    if (done.dest == Dest::FontTable && parent.dest == Dest::FontTable) EndFontEntry();
    return false;
  }
  // The group's bytes, its closing brace included, for what is kept byte for byte.
  const QByteArray group = in_.mid(done.groupStart, at + 1 - done.groupStart);
  switch (done.dest) {
    case Dest::FontTable: EndFontEntry(); break;
    case Dest::Pict: {
      if (done.pictInShape) {
        if (shape_.active && !shape_.hasPicture) {
          shape_.picture = std::move(pict_);
          shape_.hasPicture = true;
        }
      } else if (done.pictInResult) {
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
    case Dest::ShapeGroup: EndShape(done, parent, at); break;
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
    case Dest::ShapeGroup:
    case Dest::ObjResult: return TextMode::Skipped;
    default: return TextMode::Text;
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
  builder_.Finish(top ? &top->ch : nullptr, top ? &top->pa : nullptr);
  if (wholeDoc_) {
    SetDocumentParts(*wholeDoc_, parts_);
    SetDocumentInfo(*wholeDoc_, info_);
  }
}

}  // namespace reader

using reader::Reader;

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

// The writer reads the footnotes this reader keeps as RTF back through it.
void LetTheWriterReadFootnotes() {
  static const bool installed = [] {
    SetFootnoteReader([](const QByteArray& rtf, QTextCursor& at) { return ReadRtf(rtf, at); });
    return true;
  }();
  Q_UNUSED(installed);
}

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
  LetTheWriterReadFootnotes();
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

bool ReadRtfText(const QByteArray& rtf, QString* text, QString* error, ReadLosses* losses, QStringList* links) {
  text->clear();
  if (links) links->clear();
  if (losses) *losses = ReadLosses{};
  if (!LooksLikeRtf(rtf)) {
    if (error) *error = QString::fromLatin1(kNotRtf);
    return false;
  }
  {
    LetTheWriterReadFootnotes();
    const QByteArray tidy = Tidied(rtf);
    Reader r(tidy.isEmpty() ? rtf : tidy, *text);
    r.Run();
    if (!r.NeedsDocument()) {
      if (losses) losses->nestedTooDeep = r.Dropped();
      if (links)
        for (const QString& l : r.Links()) links->append(l);
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
  if (links)
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
      for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat f = it.fragment().charFormat();
        if (f.isAnchor() && !f.anchorHref().isEmpty() && (links->isEmpty() || links->last() != f.anchorHref()))
          links->append(f.anchorHref());
      }
  return true;
}

}  // namespace rtf
