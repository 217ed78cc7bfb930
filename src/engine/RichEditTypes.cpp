#include "engine/RichEditTypes.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace engine {

namespace {

QStringList& RegisteredFormats() {
  static QStringList list;
  return list;
}

}  // namespace

QString FaceName(const CHARFORMAT& cf) {
  return QString::fromUtf8(cf.szFaceName, qstrnlen(cf.szFaceName, LF_FACESIZE));
}

void SetFaceName(CHARFORMAT& cf, const QString& name) {
  std::memset(cf.szFaceName, 0, sizeof cf.szFaceName);
  QByteArray u = name.toUtf8();
  // Cut at a character boundary so that the stored name stays valid UTF-8.
  qsizetype n = std::min<qsizetype>(u.size(), LF_FACESIZE - 1);
  while (n > 0 && n < u.size() && (uchar(u[n]) & 0xC0) == 0x80) --n;
  std::memcpy(cf.szFaceName, u.constData(), size_t(n));
}

QString ClipboardFormatMime(UINT format) {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return QStringLiteral("text/plain");
    case CF_RTF:
    case CF_RTFNOOBJS: return QString::fromLatin1(kMimeRtf);
    case CF_HTML: return QString::fromLatin1(kMimeHtml);
    case CF_BITMAP:
    case CF_DIB: return QStringLiteral("image/png");
    default: break;
  }
  if (format >= kFirstRegisteredFormat && format < kFirstRegisteredFormat + UINT(RegisteredFormats().size()))
    return RegisteredFormats().at(int(format - kFirstRegisteredFormat));
  return {};
}

UINT RegisterClipboardFormat(const QString& mimeType) {
  // The rich text flavour keeps its old registered name as well as its MIME type.
  if (mimeType == QLatin1String(kMimeRtf) || mimeType == QLatin1String("Rich Text Format")) return CF_RTF;
  if (mimeType == QLatin1String(kMimeHtml)) return CF_HTML;
  QStringList& list = RegisteredFormats();
  qsizetype i = list.indexOf(mimeType);
  if (i < 0) {
    list.append(mimeType);
    i = list.size() - 1;
  }
  return UINT(kFirstRegisteredFormat + i);
}

}  // namespace engine
