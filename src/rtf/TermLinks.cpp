#include "rtf/TermLinks.h"

namespace rtf {

QString TermLinkHref(qint64 key) { return QLatin1String(kTermLinkScheme) + QString::number(key); }

bool IsTermLink(const QString& href) { return href.startsWith(QLatin1String(kTermLinkScheme), Qt::CaseInsensitive); }

qint64 TermLinkKey(const QString& href) {
  if (!IsTermLink(href)) return 0;
  const QStringView digits = QStringView(href).mid(qsizetype(sizeof kTermLinkScheme) - 1);
  // Digits only: "+5", " 5" or "5x" are not a key another program could have meant.
  if (digits.isEmpty() || digits.size() > 18) return 0;
  for (QChar c : digits)
    if (c < u'0' || c > u'9') return 0;
  return digits.toLongLong();
}

}  // namespace rtf
