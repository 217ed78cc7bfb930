// Streaming text in and out of the engine window: RTF or plain text, the whole text or the
// selection, through the caller's chunk callback or as whole buffers.
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

#include "base/ScopeGuard.h"
#include "engine/RichEngine.h"
#include "rtf/CodePage.h"
#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

namespace engine {

namespace {

constexpr LONG kChunk = 4096;

bool IsRtfKind(DWORD format) {
  const DWORD kind = format & SF_KINDMASK;
  return kind == SF_RTF || kind == SF_RTFNOOBJS;
}

// Decodes text bytes: UTF-16 when asked, UTF-8 when they are valid UTF-8, else the Cyrillic
// code page older definitions were written in.
QString DecodeText(const QByteArray& bytes, bool unicode) {
  if (unicode) return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = utf8.decode(bytes);
  if (!utf8.hasError()) return s;
  return rtf::DecodeCodePage(bytes, 1251);
}

}  // namespace

LRESULT TRichEngine::ReadIn(DWORD format, const QByteArray& bytes, DWORD& error) {
  error = 0;
  const bool selection = format & SFF_SELECTION;
  const bool rtf = IsRtfKind(format);
  const int before = TextLength();
  const CHARRANGE sel = GetSel();
  const int from = selection ? sel.cpMin : 0, to = selection ? sel.cpMax : before;
  if (ProtectedRefuses(EM_STREAMIN, WPARAM(format), 0, from, to) || (rtf && !rtf::LooksLikeRtf(bytes))) {
    error = DWORD(E_FAIL);
    return 0;
  }
  QTextDocument* d = document();
  bool ok = true;
  {
    // A whole new text is laid out the way Qt's own editor lays out a new text: once, from the
    // start, a part at a time between paints. Without a page size the document lays nothing out
    // while it is filled (laying out each paragraph as it arrived made a long definition take
    // minutes); giving the size back starts that one layout. Nor is there anything to undo into.
    const QSizeF page = d->pageSize();
    const bool undo = d->isUndoRedoEnabled();
    base::ScopeGuard restore([&] {
      if (selection) return;
      d->setUndoRedoEnabled(undo);
      d->setPageSize(page);
    });
    if (!selection) {
      d->setUndoRedoEnabled(false);
      d->setPageSize(QSizeF(0, 0));
    }
    // A whole text is selected inside the edit block, where placing a cursor lays nothing out
    // (outside it, selecting to the end would lay out the whole old text first).
    QTextCursor c = selection ? CursorFor(from, to) : QTextCursor(d);
    c.beginEditBlock();
    if (!selection) {
      c.setPosition(to, QTextCursor::KeepAnchor);
      c.removeSelectedText();
      c.setBlockFormat(QTextBlockFormat());
      c.setBlockCharFormat(doc_->DefaultFormat());
      c.setCharFormat(doc_->DefaultFormat());
    }
    if (rtf) ok = rtf::ReadRtf(bytes, c, nullptr);
    else rtf::InsertPlainText(DecodeText(bytes, format & SF_UNICODE), c);
    c.endEditBlock();
    if (ok && !(TypographyOptions() & TO_ADVANCEDTYPOGRAPHY)) doc_->ApplyJustification();
    if (ok) doc_->ShowNumbering(from, c.position());
    if (ok && selection) setTextCursor(c);
    if (ok && !selection) {
      // A whole new text: nothing to undo into, nothing changed by the user yet. The caret goes
      // to the start before the layout begins, or placing it would lay out the whole text.
      d->clearUndoRedoStacks();
      d->setModified(false);
      setTextCursor(QTextCursor(d));
    }
  }
  if (!ok) {
    error = DWORD(E_FAIL);
    return 0;
  }
  return TextLength() - before + (to - from);
}

LRESULT TRichEngine::StreamIn(DWORD format, EDITSTREAM& es) {
  es.dwError = 0;
  if (!es.pfnCallback) {
    es.dwError = DWORD(E_INVALIDARG);
    return 0;
  }
  QByteArray bytes;
  QByteArray chunk(kChunk, Qt::Uninitialized);
  for (;;) {
    LONG got = 0;
    const DWORD r = es.pfnCallback(es.dwCookie, reinterpret_cast<BYTE*>(chunk.data()), kChunk, &got);
    if (r != 0) {
      es.dwError = r;
      return 0;
    }
    if (got <= 0) break;
    bytes.append(chunk.constData(), std::min(got, kChunk));
  }
  return ReadIn(format, bytes, es.dwError);
}

DWORD TRichEngine::LoadBytes(DWORD format, const QByteArray& bytes) {
  DWORD error = 0;
  ReadIn(format, bytes, error);
  return error;
}

QByteArray TRichEngine::SaveBytes(DWORD format) const {
  const bool selection = format & SFF_SELECTION;
  const CHARRANGE sel = GetSel();
  const int from = selection ? sel.cpMin : 0, to = selection ? sel.cpMax : -1;
  if (IsRtfKind(format)) return rtf::WriteRtf(*document(), from, to, &font());
  const QString text = rtf::PlainText(*document(), from, to);
  if (format & SF_UNICODE) return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  return text.toUtf8();
}

LRESULT TRichEngine::StreamOut(DWORD format, EDITSTREAM& es) {
  es.dwError = 0;
  if (!es.pfnCallback) {
    es.dwError = DWORD(E_INVALIDARG);
    return 0;
  }
  QByteArray bytes = SaveBytes(format);
  qsizetype done = 0;
  while (done < bytes.size()) {
    const LONG want = LONG(std::min<qsizetype>(kChunk, bytes.size() - done));
    LONG took = 0;
    const DWORD r = es.pfnCallback(es.dwCookie, reinterpret_cast<BYTE*>(bytes.data() + done), want, &took);
    if (r != 0) {
      es.dwError = r;
      return LRESULT(done);
    }
    if (took <= 0) {
      // A callback that takes nothing would never finish.
      es.dwError = DWORD(E_FAIL);
      return LRESULT(done);
    }
    done += std::min(took, want);
  }
  return LRESULT(done);
}

bool TRichEngine::LoadRtf(const QByteArray& rtf, bool selection) {
  return LoadBytes(SF_RTF | (selection ? SFF_SELECTION : 0), rtf) == 0;
}

QByteArray TRichEngine::SaveRtf(bool selection) const { return SaveBytes(SF_RTF | (selection ? SFF_SELECTION : 0)); }

}  // namespace engine
