#include "platform/DesktopApps.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace platform {

namespace {

// A desktop entry's [Desktop Entry] keys.
QHash<QString, QString> ReadDesktopEntry(const QString& path) {
  QHash<QString, QString> keys;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || f.size() > 256 * 1024) return keys;
  bool inEntry = false;
  while (!f.atEnd()) {
    const QString line = QString::fromUtf8(f.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    if (!inEntry || line.startsWith(QLatin1Char('#'))) continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq > 0) keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
  }
  return keys;
}

// Splits an Exec line into words, honouring double quotes and backslash escapes inside them.
QStringList SplitExec(const QString& exec) {
  QStringList words;
  QString cur;
  bool quoted = false, any = false;
  for (qsizetype i = 0; i < exec.size(); ++i) {
    const QChar c = exec[i];
    if (quoted) {
      if (c == QLatin1Char('\\') && i + 1 < exec.size()) cur += exec[++i];
      else if (c == QLatin1Char('"')) quoted = false;
      else cur += c;
    } else if (c == QLatin1Char('"')) {
      quoted = any = true;
    } else if (c.isSpace()) {
      if (any || !cur.isEmpty()) words << cur;
      cur.clear();
      any = false;
    } else {
      cur += c;
    }
  }
  if (any || !cur.isEmpty()) words << cur;
  return words;
}

}  // namespace

// Starts an application on a file: a desktop entry's Exec line with its field codes filled in,
// or a command line with the file added.
bool LaunchWith(const QString& path, const QString& application) {
  QStringList words;
  if (application.endsWith(QLatin1String(".desktop"))) {
    QString exec;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
      const QString file = dir + QLatin1Char('/') + application;
      if (QFileInfo::exists(file)) {
        exec = ReadDesktopEntry(file).value(QStringLiteral("Exec"));
        break;
      }
    }
    if (exec.isEmpty()) return false;
    bool placed = false;
    for (const QString& w : SplitExec(exec)) {
      if (w == QLatin1String("%f") || w == QLatin1String("%F")) {
        words << path;
        placed = true;
      } else if (w == QLatin1String("%u") || w == QLatin1String("%U")) {
        words << QUrl::fromLocalFile(path).toString();
        placed = true;
      } else if (w.size() == 2 && w[0] == QLatin1Char('%')) {
        continue;  // %i, %c, %k and the deprecated codes
      } else {
        QString word = w;
        word.replace(QLatin1String("%%"), QLatin1String("%"));
        words << word;
      }
    }
    if (!placed) words << path;
  } else {
    words = SplitExec(application);
    words << path;
  }
  if (words.isEmpty()) return false;
  const QString program = words.takeFirst();
  return QProcess::startDetached(program, words);
}

QList<TDesktopApplication> ApplicationsFor(const QString& mimeType) {
  const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
  QStringList wanted{mimeType};
  if (type.isValid()) wanted << type.allAncestors();
  QList<TDesktopApplication> apps;
  QSet<QString> seen;
  for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
    QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files);
    while (it.hasNext()) {
      const QString file = it.next();
      const QString id = QFileInfo(file).fileName();
      if (seen.contains(id)) continue;  // the user's own entry hides the system's
      seen.insert(id);
      const auto keys = ReadDesktopEntry(file);
      if (keys.value(QStringLiteral("NoDisplay")) == QLatin1String("true") ||
          keys.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
          keys.value(QStringLiteral("Exec")).isEmpty())
        continue;
      const QStringList types = keys.value(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
      bool opens = false;
      for (const QString& w : wanted) opens = opens || types.contains(w);
      if (!opens) continue;
      apps.append({id, keys.value(QStringLiteral("Name"), id), keys.value(QStringLiteral("Exec"))});
    }
  }
  std::sort(apps.begin(), apps.end(), [](const auto& a, const auto& b) {
    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
  });
  return apps;
}

}  // namespace platform
