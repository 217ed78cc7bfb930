// The engine window's clipboard: cut, copy and paste, what it offers other programs, and what it
// takes from them (its own RTF, HTML with its pictures, plain text, formats the host registered).
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QUrl>
#include <vector>

#include "engine/RichEngine.h"
#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace engine {

void TRichEngine::Copy() {
  const CHARRANGE s = GetSel();
  if (s.cpMin == s.cpMax) return;
  QMimeData* md = nullptr;
  if (oleCallback_) {
    CHARRANGE r = s;
    if (oleCallback_->GetClipboardData(&r, RECO_COPY, &md) != S_OK) md = nullptr;
  }
  if (!md) md = MimeDataForRange(s.cpMin, s.cpMax);
  lastClipboard_ = md;
  QApplication::clipboard()->setMimeData(md);
}

void TRichEngine::Cut() {
  const CHARRANGE s = GetSel();
  if (readOnly_ || s.cpMin == s.cpMax) return;
  if (ProtectedRefuses(WM_CUT, 0, 0, s.cpMin, s.cpMax)) return;
  Copy();
  NotifyObjectsRemoved(s.cpMin, s.cpMax);
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

void TRichEngine::Clear() {
  const CHARRANGE s = GetSel();
  if (readOnly_ || s.cpMin == s.cpMax) return;
  if (ProtectedRefuses(WM_CLEAR, 0, 0, s.cpMin, s.cpMax)) return;
  NotifyObjectsRemoved(s.cpMin, s.cpMax);
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

void TRichEngine::Paste() { PasteSpecial(0); }

bool TRichEngine::PasteSpecial(UINT format) {
  if (readOnly_) return false;
  const QMimeData* md = QApplication::clipboard()->mimeData();
  if (!md) return false;
  const CHARRANGE s = GetSel();
  if (ProtectedRefuses(format ? EM_PASTESPECIAL : WM_PASTE, WPARAM(format), 0, s.cpMin, s.cpMax)) return false;
  return InsertMimeData(md, format);
}

namespace {
bool HasRtf(const QMimeData* md) {
  return md->hasFormat(QString::fromLatin1(kMimeRtf)) || md->hasFormat(QString::fromLatin1(kMimeRtfApp));
}
QByteArray RtfOf(const QMimeData* md) {
  QByteArray b = md->data(QString::fromLatin1(kMimeRtf));
  if (b.isEmpty()) b = md->data(QString::fromLatin1(kMimeRtfApp));
  return b;
}
bool Offers(const QMimeData* md, UINT format) {
  if (!md) return false;
  switch (format) {
    case 0: return HasRtf(md) || md->hasHtml() || md->hasText();
    case CF_RTF:
    case CF_RTFNOOBJS: return HasRtf(md);
    case CF_HTML: return md->hasHtml();
    case CF_TEXT:
    case CF_UNICODETEXT: return md->hasText();
    default: {
      const QString mime = ClipboardFormatMime(format);
      return !mime.isEmpty() && md->hasFormat(mime);
    }
  }
}
// Pictures in pasted HTML come in as the toolkit's own images, which the stored form does not
// know and would drop: each one whose image is at hand becomes a picture of the engine's own.
void AdoptHtmlPictures(QTextDocument* doc, int from, int to) {
  std::vector<std::pair<int, QTextImageFormat>> found;
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (!f.isValid() || !f.charFormat().isImageFormat()) continue;
      for (int i = 0; i < f.length(); ++i) {
        const int pos = f.position() + i;
        if (pos >= from && pos < to) found.emplace_back(pos, f.charFormat().toImageFormat());
      }
    }
  }
  QTextCursor c(doc);
  for (const auto& [pos, img] : found) {
    const QVariant res = doc->resource(QTextDocument::ImageResource, QUrl(img.name()));
    QImage image;
    if (res.typeId() == QMetaType::QImage) image = res.value<QImage>();
    else if (res.typeId() == QMetaType::QPixmap) image = res.value<QPixmap>().toImage();
    else if (res.typeId() == QMetaType::QByteArray) image = QImage::fromData(res.toByteArray());
    if (image.isNull()) continue;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) continue;
    QTextCharFormat pf = rtf::PictureFormat(png, rtf::kPngPicture, img.width() > 0 ? rtf::DocToTwips(img.width()) : 0,
                                            img.height() > 0 ? rtf::DocToTwips(img.height()) : 0);
    if (img.isAnchor()) {
      pf.setAnchor(true);
      pf.setAnchorHref(img.anchorHref());
    }
    c.setPosition(pos);
    c.setPosition(pos + 1, QTextCursor::KeepAnchor);
    c.setCharFormat(pf);
  }
}

// A picture as a data URI: PNG and JPEG pictures as they are, any other picture the engine can
// draw as PNG; empty for one it cannot (a metafile).
QString PictureUri(const QTextFormat& f) {
  const int kind = f.intProperty(rtf::kPictureKind);
  const QByteArray data = f.property(rtf::kPictureData).toByteArray();
  if (!data.isEmpty() && (kind == rtf::kPngPicture || kind == rtf::kJpegPicture)) {
    const char* mime = kind == rtf::kPngPicture ? "image/png" : "image/jpeg";
    return QStringLiteral("data:%1;base64,").arg(QLatin1String(mime)) + QString::fromLatin1(data.toBase64());
  }
  const QImage image = rtf::ObjectImage(f);
  if (image.isNull()) return {};
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

// The range as HTML that other programs read whole: the toolkit's HTML would name pictures it
// alone can resolve, so each picture goes in as a data URI, and a field without a result text
// as the value it shows.
QString HtmlOf(const QTextDocument& doc, const QTextCursor& range) {
  const QTextDocumentFragment fragment = range.selection();
  if (!range.selectedText().contains(QChar::ObjectReplacementCharacter)) return fragment.toHtml();
  QTextDocument copy;
  copy.setDefaultFont(doc.defaultFont());
  QTextCursor c(&copy);
  c.insertFragment(fragment);
  std::vector<std::pair<int, QTextCharFormat>> objects;
  for (QTextBlock b = copy.begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.charFormat().objectType() < QTextFormat::UserObject) continue;
      for (int i = 0; i < f.length(); ++i) objects.emplace_back(f.position() + i, f.charFormat());
    }
  // From the end, so that a replacement of another length leaves the positions before it.
  for (auto o = objects.rbegin(); o != objects.rend(); ++o) {
    const auto& [pos, format] = *o;
    c.setPosition(pos);
    c.setPosition(pos + 1, QTextCursor::KeepAnchor);
    QTextCharFormat plain = format;
    plain.setObjectType(QTextFormat::NoObject);
    if (format.objectType() == rtf::kFieldObjectType) {
      const QVariant page = doc.property(rtf::kPageNumberProperty);
      c.insertText(rtf::FieldValue(format.stringProperty(rtf::kFieldInst), page.isValid() ? page.toInt() : 1), plain);
      continue;
    }
    const QString uri = format.objectType() == rtf::kEmbeddedObjectType ? PictureUri(format) : QString();
    if (uri.isEmpty()) {
      c.removeSelectedText();
      continue;
    }
    QTextImageFormat image;
    image.setName(uri);
    const QSizeF size = rtf::ObjectSize(format);
    image.setWidth(size.width());
    image.setHeight(size.height());
    if (format.isAnchor()) {
      image.setAnchor(true);
      image.setAnchorHref(format.anchorHref());
    }
    c.insertText(QString(QChar::ObjectReplacementCharacter), image);
  }
  return QTextDocumentFragment(&copy).toHtml();
}
}  // namespace

bool TRichEngine::CanPaste(UINT format) const {
  if (readOnly_) return false;
  return Offers(QApplication::clipboard()->mimeData(), format);
}

QMimeData* TRichEngine::MimeDataForRange(int from, int to) const {
  auto* md = new QMimeData;
  md->setData(QString::fromLatin1(kMimeRtf), rtf::WriteRtf(*document(), from, to, &font()));
  md->setHtml(HtmlOf(*document(), CursorFor(from, to)));
  // Line ends as this desktop has them; the engine's own CR LF stays in the RTF.
  md->setText(rtf::ClipboardText(*document(), from, to));
  return md;
}

bool TRichEngine::InsertMimeData(const QMimeData* md, UINT onlyFormat) {
  if (!md) return false;
  UINT format = onlyFormat;
  if (oleCallback_ && oleCallback_->QueryAcceptData(md, &format, RECO_PASTE, true) != S_OK) return false;
  QTextCursor c = textCursor();
  const int removing = c.selectionEnd() - c.selectionStart();
  const bool rtfOk = (format == 0 || format == CF_RTF || format == CF_RTFNOOBJS) && HasRtf(md);
  const bool htmlOk = (format == 0 || format == CF_HTML) && md->hasHtml();
  const bool textOk = (format == 0 || format == CF_TEXT || format == CF_UNICODETEXT) && md->hasText();
  // A format registered by the host: its bytes are RTF when they look like it, else UTF-8 text.
  const QString customMime = format >= kFirstRegisteredFormat ? ClipboardFormatMime(format) : QString();
  const bool customOk = !customMime.isEmpty() && md->hasFormat(customMime);
  if (!rtfOk && !htmlOk && !textOk && !customOk) return false;
  c.beginEditBlock();
  const int before = TextLength();
  const int pasteStart = c.selectionStart();
  bool done = false;
  if (customOk) {
    const QByteArray bytes = md->data(customMime);
    c.removeSelectedText();
    if (rtf::LooksLikeRtf(bytes)) done = rtf::ReadRtf(bytes, c, nullptr);
    if (!done) {
      rtf::InsertPlainText(QString::fromUtf8(bytes), c);
      done = true;
    }
  }
  if (rtfOk) {
    c.removeSelectedText();
    done = rtf::ReadRtf(RtfOf(md), c, nullptr);
  }
  if (!done && htmlOk) {
    c.removeSelectedText();
    const int htmlStart = c.position();
    c.insertFragment(QTextDocumentFragment::fromHtml(md->html(), document()));
    AdoptHtmlPictures(document(), htmlStart, c.position());
    done = true;
  }
  if (!done && textOk) {
    c.removeSelectedText();
    rtf::InsertPlainText(md->text(), c);
    done = true;
  }
  c.endEditBlock();
  if (done && TextLength() - before + removing > 0 && !FitsLimit(0, 0)) {
    // More than the engine may hold: take the paste back.
    document()->undo(nullptr);
    Notify(EN_MAXTEXT, nullptr);
    return false;
  }
  if (done) {
    if (!(TypographyOptions() & TO_ADVANCEDTYPOGRAPHY)) doc_->ApplyJustification();
    doc_->SyncNumbering(pasteStart, c.position());
    setTextCursor(c);
    ensureCursorVisible();
  }
  return done;
}

bool TRichEngine::canInsertFromMimeData(const QMimeData* source) const {
  return !readOnly_ && Offers(source, 0);
}

QMimeData* TRichEngine::createMimeDataFromSelection() const {
  const CHARRANGE s = GetSel();
  return MimeDataForRange(s.cpMin, s.cpMax);
}

void TRichEngine::insertFromMimeData(const QMimeData* source) {
  if (readOnly_) return;
  InsertMimeData(source, 0);
}

}  // namespace engine
