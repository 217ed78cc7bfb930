#include "search/Query.h"

#include <QStringList>

#include "search/Words.h"

namespace search {

namespace {

bool HasWord(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  bool any = false;
  ForEachWord(std::string_view(utf8.constData(), size_t(utf8.size())), [&](const Word&) {
    any = true;
    return false;
  });
  return any;
}

class Builder {
 public:
  // One part of the query as a quoted string; the tokenizer splits it into words again, so
  // "медо-носный" is the two words in that order.
  void Add(QString part, bool prefix) {
    part.replace(QLatin1Char('*'), QLatin1Char(' '));
    part = part.trimmed();
    if (!HasWord(part)) return;
    part.replace(QLatin1Char('"'), QLatin1String("\"\""));
    const QString quoted = QLatin1Char('"') + part + QLatin1Char('"');
    const QString group = QString::number(parts_.size());
    if (prefix) {
      // The index holds stems, and a stem may be shorter than what was typed ("пчелины*" and
      // the stem "пчелин" of "пчелиный"): the words that begin so, or those whose stem the typed
      // beginning has.
      parts_ << QStringLiteral("(%1* OR %1)").arg(quoted);
      groups_ << group << group;
    } else {
      parts_ << quoted;
      groups_ << group;
    }
  }
  // Joined by an explicit AND: the full-text syntax takes "a b" for both, but not a bracketed
  // part beside another ("(a* OR a) b" is an error).
  Match Result() const { return Match{parts_.join(QLatin1String(" AND ")), groups_.join(QLatin1Char(' '))}; }

 private:
  QStringList parts_;
  QStringList groups_;
};

}  // namespace

Match ParseQuery(const QString& text) {
  Builder b;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    const QChar c = text[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c == QLatin1Char('"')) {
      // A phrase runs to the next quote, or to the end when the user has not typed it yet.
      const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
      const qsizetype end = close < 0 ? n : close;
      const QString phrase = text.mid(i + 1, end - i - 1);
      i = close < 0 ? n : close + 1;
      bool prefix = false;
      while (i < n && text[i] == QLatin1Char('*')) {
        prefix = true;
        ++i;
      }
      b.Add(phrase, prefix);
      continue;
    }
    qsizetype end = i;
    while (end < n && !text[end].isSpace() && text[end] != QLatin1Char('"')) ++end;
    const QString word = text.mid(i, end - i);
    i = end;
    b.Add(word, word.endsWith(QLatin1Char('*')));
  }
  return b.Result();
}

}  // namespace search
