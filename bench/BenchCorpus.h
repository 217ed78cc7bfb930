#pragma once
// The bundled glossary's text as the benchmarks feed it: its sentences as a reader sees them,
// and text encoded as the editor streams it out.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <unordered_map>

#include "rtf/CodePage.h"

// The sentences of glossary/terms, a cross-reference read as its shown words ([[Сот|сотов]] is
// "сотов", [[Сот]] is "Сот").
inline QStringList CorpusSentences() {
  const QString folder = QDir(QStringLiteral(TERMORA_SOURCE_ROOT)).filePath(QStringLiteral("glossary/terms"));
  static const QRegularExpression heading(QStringLiteral("^#.*$"), QRegularExpression::MultilineOption);
  static const QRegularExpression link(QStringLiteral("\\[\\[(?:[^\\]|]*\\|)?([^\\]]*)\\]\\]"));
  static const QRegularExpression sentenceEnd(QStringLiteral("(?<=[.!?])\\s+"));
  QStringList sentences;
  QDirIterator it(folder, {QStringLiteral("*.txt")});
  while (it.hasNext()) {
    QFile f(it.next());
    if (!f.open(QIODevice::ReadOnly)) continue;
    QString text = QString::fromUtf8(f.readAll());
    text.remove(heading);
    text.remove(QLatin1Char('*'));
    text.replace(link, QStringLiteral("\\1"));
    for (const QString& s : text.split(sentenceEnd, Qt::SkipEmptyParts)) {
      const QString t = s.simplified();
      if (t.size() > 20) sentences << t;
    }
  }
  if (sentences.size() < 100) qFatal("the bundled glossary was not found in %s", qPrintable(folder));
  return sentences;
}

// Text as the editor streams it out: Cyrillic as \'xx under code page 1251, the rest as \uN.
// Encoding a character at a time is slow, and 100 MB of definitions meet few distinct ones.
inline QByteArray RtfText(const QString& text) {
  static std::unordered_map<char16_t, QByteArray> escapes;
  QByteArray rtf;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      rtf += '\\';
      rtf += char(u);
    } else if (u < 0x80) {
      rtf += char(u);
    } else {
      auto it = escapes.find(u);
      if (it == escapes.end()) {
        const QByteArray b = rtf::EncodeCodePage(QString(c), 1251);
        const bool single = b.size() == 1 && rtf::DecodeCodePage(b, 1251) == QString(c);
        it = escapes
                 .emplace(u, single ? "\\'" + QByteArray::number(static_cast<unsigned char>(b[0]), 16)
                                    : "\\u" + QByteArray::number(int(u)) + '?')
                 .first;
      }
      rtf += it->second;
    }
  }
  return rtf;
}
