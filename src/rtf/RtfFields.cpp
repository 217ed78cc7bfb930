#include "rtf/RtfFields.h"

namespace rtf {

QString HyperlinkTarget(const QString& instruction) {
  const QString inst = instruction.trimmed();
  if (!inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) return {};
  QString rest = inst.mid(9).trimmed();
  QString target, anchor;
  bool nextIsAnchor = false;
  while (!rest.isEmpty()) {
    QString token;
    if (rest.startsWith(u'"')) {
      qsizetype i = 1;
      for (; i < rest.size() && rest[i] != u'"'; ++i) {
        if (rest[i] == u'\\' && i + 1 < rest.size()) ++i;
        token.append(rest[i]);
      }
      rest = rest.mid(i + 1).trimmed();
    } else {
      const qsizetype sp = rest.indexOf(u' ');
      token = sp < 0 ? rest : rest.left(sp);
      rest = sp < 0 ? QString() : rest.mid(sp + 1).trimmed();
      if (token.startsWith(u'\\')) {
        nextIsAnchor = token == QLatin1String("\\l");
        continue;
      }
      token.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    }
    if (nextIsAnchor) anchor = token;
    else if (target.isEmpty()) target = token;
    nextIsAnchor = false;
  }
  if (!anchor.isEmpty()) target += u'#' + anchor;
  return target;
}

bool IsWebLink(const QString& href) {
  // The scheme as written, not as a parser reads it: a browser must see the same one.
  for (const char* scheme : {"http://", "https://", "mailto:"})
    if (href.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) return true;
  return false;
}

}  // namespace rtf
