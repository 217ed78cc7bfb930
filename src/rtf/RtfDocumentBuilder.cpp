#include "rtf/RtfDocumentBuilder.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <climits>

#include "rtf/Numbering.h"
#include "rtf/PlainText.h"
#include "rtf/TextModel.h"

namespace rtf {

void ContentBuilder::Text(const QString& s, const CharState& ch, const ParaState& pa) {
  if (s.isEmpty()) return;
  if (pendingPar_ || (runHasState_ && !(runState_ == ch))) FlushRun();
  RealizePendingPar(ch, pa);
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

void ContentBuilder::FlushRun() {
  if (!run_.isEmpty()) {
    bool clean = true;
    for (QChar c : std::as_const(run_))
      if (IsUnwantedChar(c.unicode())) {
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
        else if (!IsUnwantedChar(c))
          filtered.append(QChar(c));
      }
      run_ = filtered;
    }
    if (!run_.isEmpty()) PutRun(run_, runState_);
    run_.clear();
  }
  runHasState_ = false;
}

void ContentBuilder::Object(QTextCharFormat fmt, const CharState& ch, const ParaState& pa) {
  FlushRun();
  RealizePendingPar(ch, pa);
  fmt.setObjectType(kEmbeddedObjectType);
  PutObject(fmt);
  blockTouched_ = true;
}

void ContentBuilder::RealizePendingPar(const CharState& ch, const ParaState& pa) {
  if (!pendingPar_) return;
  pendingPar_ = false;
  PutParagraphBreak(ch, pa, pageBreakNext_);
  pageBreakNext_ = false;
  insertedBlock_ = true;
  blockTouched_ = false;
}

void ContentBuilder::EndParagraph(const CharState& ch, const ParaState& pa) {
  FlushRun();
  RealizePendingPar(ch, pa);
  pendingTabs_ = 0;
  FormatParagraph(pa);
  pendingPar_ = true;
}

void ContentBuilder::Finish(const CharState* ch, const ParaState* pa) {
  FlushRun();
  if (pendingPar_) {
    // The last paragraph mark of a document is its final paragraph; only a paste into the
    // middle of a text keeps it as a break.
    if (!AtEnd()) {
      RealizePendingPar(*ch, *pa);
      FormatParagraph(*pa);
    }
    pendingPar_ = false;
  } else if (blockTouched_ && (insertedBlock_ || startedEmpty_) && pa) {
    FormatParagraph(*pa);
  }
}

// ---- into a document ----------------------------------------------------------------------------

DocumentBuilder::DocumentBuilder(QTextCursor& cursor, const FontTable& fonts, const ColorTable& colors,
                                 const ListTables& lists, const std::vector<QString>& links)
    : ContentBuilder(cursor.block().length() <= 1),
      cur_(cursor),
      fonts_(fonts),
      colors_(colors),
      lists_(lists),
      links_(links) {}

void DocumentBuilder::PutRun(const QString& run, const CharState& ch) { cur_.insertText(run, CharFormat(ch)); }

void DocumentBuilder::PutObject(const QTextCharFormat& fmt) {
  cur_.insertText(QString(QChar::ObjectReplacementCharacter), fmt);
}

void DocumentBuilder::PutParagraphBreak(const CharState& ch, const ParaState& pa, bool pageBreak) {
  QTextBlockFormat bf = BlockFormat(pa);
  if (pageBreak) bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  cur_.insertBlock(bf, CharFormat(ch));
}

const QTextCharFormat& DocumentBuilder::CharFormat(const CharState& ch) {
  if (haveLastFmt_ && lastFmtState_ == ch) return lastFmt_;
  QTextCharFormat f;
  if (const RtfFont* font = fonts_.Find(ch.font, DefaultFont())) {
    if (!font->name.isEmpty()) f.setFontFamilies(QStringList{font->name});
    f.setProperty(kCharset, font->charset >= 0 ? font->charset : 1);
    f.setProperty(kPitchAndFamily, font->pitchFamily);
  }
  f.setFontPointSize(ch.fs / 2.0);
  if (ch.bold) f.setFontWeight(QFont::Bold);
  if (ch.italic) f.setFontItalic(true);
  if (ch.underline) f.setFontUnderline(true);
  if (ch.strike) f.setFontStrikeOut(true);
  if (ch.vert == 1) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  if (ch.vert == 2) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (const QColor* c = colors_.Find(ch.fg)) f.setForeground(*c);
  if (const QColor* c = colors_.Find(ch.bg)) f.setBackground(*c);
  if (ch.prot) f.setProperty(kProtected, true);
  if (ch.link >= 0 && ch.link < int(links_.size())) {
    f.setAnchor(true);
    f.setAnchorHref(links_[size_t(ch.link)]);
    f.setProperty(kLink, true);
  }
  lastFmtState_ = ch;
  lastFmt_ = f;
  haveLastFmt_ = true;
  return lastFmt_;
}

QTextBlockFormat DocumentBuilder::BlockFormat(const ParaState& pa) {
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
  if (numbering == kNoNumbering && pa.ls > 0) {
    if (const ListLevel* lv = lists_.Level(pa.ls, pa.ilvl)) {
      numbering = NumberingOfLevelNfc(lv->nfc);
      start = lv->start;
      style = kNumberPeriod;
    }
  }
  if (numbering > kNoNumbering) {
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

void DocumentBuilder::FormatParagraph(const ParaState& pa) {
  QTextBlockFormat bf = BlockFormat(pa);
  QTextBlock block = cur_.block();
  const QTextBlockFormat old = block.blockFormat();
  if (old.pageBreakPolicy() != QTextFormat::PageBreak_Auto) bf.setPageBreakPolicy(old.pageBreakPolicy());
  // Most paragraphs end in the format they began with; setting it again costs as much as the
  // paragraph itself.
  if (old != bf) cur_.setBlockFormat(bf);
  const int numbering = bf.intProperty(kNumbering);
  if (numbering > kNoNumbering) {
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

// ---- only the text ------------------------------------------------------------------------------

void TextBuilder::PutRun(const QString& run, const CharState&) {
  for (QChar c : run) out_.append(c == QChar::LineSeparator ? QChar(u'\r') : c);
}

}  // namespace rtf
