#pragma once
// Finding where a text names terms of the glossary in any grammatical form ("медогонкой" names
// Медогонка), names of several words included: each name becomes the stems of its words, and a
// run of the text's words with the same stems, apart only by spaces or hyphens, is a mention
// ("гнезде. Пчёлы" does not name Гнездо пчёл). One pass over the text, looking up each run of up
// to the longest name's length of words, so the time grows with the text.

#include <QString>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "search/Words.h"

namespace search {

struct Mention {
  int from = 0;  // characters of the text (UTF-16), the mention's first
  int to = 0;    // and one past its last
  qint64 term = 0;
};

class MentionFinder {
 public:
  // A term and its name; a name without a word is left out.
  void Add(qint64 term, const QString& name);
  void Clear();
  bool IsEmpty() const { return names_.empty(); }
  size_t Size() const { return names_.size(); }

  // The mentions in `text`, in order, none overlapping: at each place the longest name wins.
  // A term is proposed once, at its first mention; `self` (the text's own term) never. Words
  // within `linked` (character ranges [from, to) of the text's existing links) are never
  // proposed and do not count as any term's first mention: a link's words already name a term.
  std::vector<Mention> Find(const QString& text, qint64 self = 0,
                            const std::vector<std::pair<int, int>>& linked = {});

 private:
  // A name's stems joined by a space, to its term; two terms of the same name: the first kept.
  std::unordered_map<std::string, qint64> names_;
  size_t longest_ = 0;  // words in the longest name
  Stemmer stemmer_;
};

}  // namespace search
