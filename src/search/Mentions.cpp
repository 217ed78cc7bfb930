#include "search/Mentions.h"

#include <QByteArray>
#include <QChar>
#include <algorithm>
#include <unordered_set>

namespace search {

namespace {

// Whether the bytes between two words keep them one name: spaces and hyphens do ("пчёлы-трутовки",
// a line break inside a paragraph); any other mark (a full stop, a bracket, a quote) ends it.
bool JoinsName(std::string_view gap) {
  for (size_t i = 0; i < gap.size();) {
    const char32_t c = detail::NextCodePoint(gap, i);
    if (c == U'-' || c == 0x2010 || c == 0x2011 || c == 0x00AD) continue;
    if (c <= 0xFFFF && QChar(char16_t(c)).isSpace()) continue;
    return false;
  }
  return true;
}

}  // namespace

void MentionFinder::Add(qint64 term, const QString& name) {
  const QByteArray utf8 = name.toUtf8();
  std::string key;
  size_t words = 0;
  ForEachWord(std::string_view(utf8.constData(), size_t(utf8.size())), [&](const Word& w) {
    if (!key.empty()) key += ' ';
    key += stemmer_.Token(w);
    ++words;
    return true;
  });
  // A one-letter name ("Я") would be found in every other sentence.
  if (words == 0 || (words == 1 && name.trimmed().size() < 2)) return;
  names_.emplace(std::move(key), term);
  if (words > longest_) longest_ = words;
}

void MentionFinder::Clear() {
  names_.clear();
  longest_ = 0;
}

std::vector<Mention> MentionFinder::Find(const QString& text, qint64 self,
                                         const std::vector<std::pair<int, int>>& linked) {
  std::vector<Mention> found;
  if (names_.empty() || text.isEmpty()) return found;
  const QByteArray utf8 = text.toUtf8();
  // The words' stems one after another in one string, and each word's place in bytes and in
  // characters (UTF-16, as the caller counts): no allocation per word, and a small footprint, so
  // a long text costs no more per word than a short one.
  struct Token {
    int stemAt, stemSize;
    int start, end;  // bytes
    int from, to;    // characters
  };
  std::string stems;
  stems.reserve(size_t(utf8.size()));
  std::vector<Token> tokens;
  tokens.reserve(size_t(utf8.size()) / 6);
  int walkedBytes = 0, walkedChars = 0;
  auto charAt = [&](int byte) {
    for (; walkedBytes < byte; ++walkedBytes) {
      const unsigned char u = static_cast<unsigned char>(utf8[walkedBytes]);
      if ((u & 0xC0) != 0x80) walkedChars += u >= 0xF0 ? 2 : 1;  // a 4-byte sequence is two UTF-16 units
    }
    return walkedChars;
  };
  ForEachWord(std::string_view(utf8.constData(), size_t(utf8.size())), [&](const Word& w) {
    const std::string_view stem = stemmer_.Token(w);
    const int from = charAt(w.start);
    tokens.push_back(Token{int(stems.size()), int(stem.size()), w.start, w.end, from, charAt(w.end)});
    stems += stem;
    return true;
  });
  std::unordered_set<qint64> proposed;
  std::string key;
  for (size_t i = 0; i < tokens.size();) {
    size_t taken = 0;
    qint64 term = 0;
    key.clear();
    const size_t most = std::min(longest_, tokens.size() - i);
    size_t best = 0;
    for (size_t n = 1; n <= most; ++n) {
      if (n > 1) {
        const int from = tokens[i + n - 2].end, to = tokens[i + n - 1].start;
        if (!JoinsName(std::string_view(utf8.constData() + from, size_t(to - from)))) break;
        key += ' ';
      }
      key.append(stems, size_t(tokens[i + n - 1].stemAt), size_t(tokens[i + n - 1].stemSize));
      if (auto it = names_.find(key); it != names_.end()) {
        best = n;
        term = it->second;
      }
    }
    const int from = best > 0 ? tokens[i].from : 0;
    const int to = best > 0 ? tokens[i + best - 1].to : 0;
    if (best > 0 && std::any_of(linked.begin(), linked.end(),
                                [&](const std::pair<int, int>& l) { return from < l.second && l.first < to; })) {
      taken = 1;  // within a link: the next word may start a name outside it
    } else if (best > 0 && term != self && proposed.insert(term).second) {
      found.push_back(Mention{from, to, term});
      taken = best;
    } else if (best > 0) {
      taken = best;  // named again, or the text's own term: its words are no other name's start
    }
    i += taken > 0 ? taken : 1;
  }
  return found;
}

}  // namespace search
