// The reader's control words: their dispatch, the words that open destinations, the words of the
// font, colour and list tables, and footnotes, read into a document of their own.

#include <QHash>

#include "rtf/Numbering.h"
#include "rtf/RtfFields.h"
#include "rtf/RtfReader_p.h"
#include "rtf/RtfWriter.h"

namespace rtf::reader {

namespace {

// Destinations a "\*" group may open without being skipped.
bool IsKnownDestination(Kw kw) {
  switch (kw) {
    case kwFonttbl: case kwColortbl: case kwPict: case kwObject: case kwObjclass: case kwObjdata:
    case kwResult: case kwField: case kwFldinst: case kwFldrslt: case kwPn: case kwListtable:
    case kwListoverridetable: case kwShppict: case kwUd: case kwNesttableprops: case kwFootnote:
    case kwLeveltext: case kwListname: case kwDo: case kwHeaderFooter: case kwInfo: case kwShape: case kwShapeInst: return true;
    default: return false;
  }
}

}  // namespace

void Reader::ControlWord(std::string_view word, bool hasParam, int param) {
  hexCr_ = false;
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
  if (s.dest == Dest::ShapeGroup) {
    ShapeWord(s, word, kw, hasParam, param, first);
    return;
  }
  if (kw == kwShape) {
    // Only a group that is the shape can be kept byte for byte.
    if (s.dest == Dest::Text && active_ == &builder_ && first) {
      FlushBytes();
      StartDest(s, Dest::ShapeGroup);
      shape_ = ShapeInfo{};
      shape_.active = true;
    } else {
      StartDest(s, Dest::Skip);
    }
    return;
  }
  if (s.dest == Dest::Info) {
    // Each group of the information group is one entry, named by its first word.
    if (first) {
      // A number on the entry's own word ({\version3}) is kept where the words' numbers go.
      info_.append(InfoEntry{QByteArray(word.data(), qsizetype(word.size())), s.star, {},
                             hasParam ? QByteArray::number(param) : QByteArray()});
      StartDest(s, Dest::InfoText);
    }
    return;
  }
  if (s.dest == Dest::InfoText && kw != kwU && kw != kwUc) {
    if (!info_.isEmpty() && !word.empty()) {
      info_.back().numbers += '\\' + QByteArray(word.data(), qsizetype(word.size()));
      if (hasParam) info_.back().numbers += QByteArray::number(param);
    }
    return;
  }
  if (s.star && first && !IsKnownDestination(kw)) {
    StartDest(s, Dest::Skip);
    return;
  }
  if (kw == kwHeaderFooter) {
    // Read whatever becomes of it, so that what it says of fonts and code pages counts alike
    // for the text and for the document.
    if (s.dest == Dest::Text && active_ == &builder_) BeginPart(s, word);
    else StartDest(s, Dest::Skip);
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
    case kwInfo:
      StartDest(s, s.dest == Dest::Text && active_ == &builder_ && wholeDoc_ ? Dest::Info : Dest::Skip);
      return true;
    case kwFtnalt:
      if (s.footnote) endnote_ = true;
      return true;
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
    case Dest::FieldInst:
      // The instruction's character formats are the field's when it has no result to show.
      return !((kw >= kwPlain && kw <= kwProtect) || (kw >= kwCaps && kw <= kwDbch) || kw == kwF ||
               kw == kwU || kw == kwUc);
    case Dest::ObjResult:
    case Dest::Skip:
    case Dest::ObjClass:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: return kw != kwU && kw != kwUc;
    default: return false;
  }
}

void Reader::ShapeWord(State& s, std::string_view word, Kw kw, bool hasParam, int param, bool first) {
  if (kw == kwPict) {
    s.pictInShape = true;
    s.pictOpensGroup = first;
    StartDest(s, Dest::Pict);
    pict_ = Picture{};
    return;
  }
  if (kw == kwShptxt && first && shape_.textFrom < 0) {
    shape_.textFrom = s.groupStart;
    BeginSubDocument(s);
    s.shapeText = true;
    return;
  }
  if (!hasParam) return;
  const int v = std::clamp(param, -kMaxCellEdgeTw, kMaxCellEdgeTw);
  if (word == "shpleft") shape_.left = v;
  else if (word == "shptop") shape_.top = v;
  else if (word == "shpright") shape_.right = v;
  else if (word == "shpbottom") shape_.bottom = v;
}

void Reader::EndShape(const State& done, State& parent, qsizetype at) {
  // A shape cut off by the end of the file is dropped, as objects are.
  if (shape_.active && !finishing_ && parent.dest == Dest::Text && active_ == &builder_) {
    QTextCharFormat f = builder_.CharFormat(done.ch);
    const QByteArray group = in_.mid(done.groupStart, at + 1 - done.groupStart);
    if (shape_.hasPicture) {
      f.setProperty(kPictureData, shape_.picture.data);
      f.setProperty(kPictureKind, shape_.picture.kind);
      f.setProperty(kPictureWidthTw, shape_.picture.picw);
      f.setProperty(kPictureHeightTw, shape_.picture.pich);
      f.setProperty(kPictureGoalWTw, shape_.picture.goalw);
      f.setProperty(kPictureGoalHTw, shape_.picture.goalh);
      f.setProperty(kPictureScaleX, shape_.picture.scalex);
      f.setProperty(kPictureScaleY, shape_.picture.scaley);
      f.setProperty(kObjectKey, qulonglong(qHash(shape_.picture.data)));
    } else if (shape_.right > shape_.left && shape_.bottom > shape_.top) {
      f.setProperty(kPictureGoalWTw, shape_.right - shape_.left);
      f.setProperty(kPictureGoalHTw, shape_.bottom - shape_.top);
    }
    if (shape_.textFrom > done.groupStart && shape_.textTo > shape_.textFrom && shape_.textTo <= at + 1) {
      f.setProperty(kShapeHead, in_.mid(done.groupStart, shape_.textFrom - done.groupStart));
      f.setProperty(kShapeText, shape_.text);
      f.setProperty(kShapeTail, in_.mid(shape_.textTo, at + 1 - shape_.textTo));
      f.setToolTip(shape_.plain.trimmed());
    } else {
      f.setProperty(kShapeHead, group);
      f.setProperty(kShapeTail, QByteArray());
    }
    EmitObject(f);
  }
  shape_ = ShapeInfo{};
}

void Reader::BeginSubDocument(State& s) {
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
  s.pa = ParaState{};
}

void Reader::BeginPart(State& s, std::string_view word) {
  FlushBytes();
  partWord_ = QByteArray(word.data(), qsizetype(word.size()));
  BeginSubDocument(s);
  s.docPart = true;
}

void Reader::EndPart(const State& done) {
  FlushBytes();
  noteBuilder_->Finish(&done.ch, &done.pa);
  if (noteDoc_ && wholeDoc_) parts_.append(DocumentPart{partWord_, WriteRtf(*noteDoc_)});
  active_ = &builder_;
  noteBuilder_.reset();
  noteCursor_.reset();
  noteDoc_.reset();
}

void Reader::BeginFootnote(State& s) {
  FlushBytes();
  endnote_ = false;
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
  BeginSubDocument(s);
  s.footnote = true;
}

void Reader::EndFootnote(const State& done) {
  FlushBytes();
  noteBuilder_->Finish(&done.ch, &done.pa);
  QTextCharFormat props;
  if (noteDoc_) {
    props.setProperty(kFootnote, WriteRtf(*noteDoc_));
    props.setProperty(kFootnoteId, footnotes_);
    if (endnote_) props.setProperty(kEndnote, true);
    props.setToolTip(noteDoc_->toPlainText().trimmed());
  }
  active_ = &builder_;
  noteBuilder_.reset();
  noteCursor_.reset();
  noteDoc_.reset();
  builder_.MarkRange(markFrom_, markTo_, props);
  markFrom_ = markTo_ = -1;
}

}  // namespace rtf::reader
