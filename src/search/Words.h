#pragma once
// How the index sees text: words are runs of letters and digits; each becomes a token in lower
// case with ё read as е, and a Russian word is cut to its stem by the Snowball stemmer, so that
// every grammatical form of it gives the same token. Words in other scripts (Latin names) and
// numbers stay as written.

#include <QString>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

struct sb_stemmer;

namespace search {

// One word of a UTF-8 text: its folded form and its byte range in the text.
struct Word {
  std::string folded;  // lower case, ё as е, combining marks (stress accents) left out
  int start = 0;
  int end = 0;
  bool cyrillic = false;
};

// Calls `each(const Word&)` for every word of `text`, in order; stops when it returns false.
template <class F>
void ForEachWord(std::string_view text, F&& each);

// A Russian stemmer with a cache of the stems it has made. Not thread-safe: one per thread.
class Stemmer {
 public:
  Stemmer();
  ~Stemmer();
  Stemmer(const Stemmer&) = delete;
  Stemmer& operator=(const Stemmer&) = delete;

  // The token for a word as ForEachWord gives it.
  std::string_view Token(const Word& word);
  bool Ok() const { return stemmer_ != nullptr; }

 private:
  // Looked up by string_view, so finding a cached stem copies nothing.
  struct Hash {
    using is_transparent = void;
    // Eight bytes at a step: a Russian word is some fifteen bytes, and a glossary's build looks
    // up every word of every definition here.
    size_t operator()(std::string_view s) const {
      uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
      size_t i = 0;
      for (; i + 8 <= s.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
      }
      if (i < s.size()) {
        uint64_t w = 0;
        std::memcpy(&w, s.data() + i, s.size() - i);
        h = (h ^ w) * 0x94D049BB133111EBull;
        h ^= h >> 29;
      }
      return size_t(h);
    }
  };
  sb_stemmer* stemmer_ = nullptr;
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> cache_;
};

// The tokens of a whole text, joined by spaces (for tests and diagnostics).
QString Tokens(const QString& text);

// Changes whenever the stemmer or the word rules would give other tokens for the same text, so
// that an index made by another build is known for what it is.
QString TokenizerFingerprint();

// ---- implementation ----

namespace detail {

// Decodes one code point at `i` (advancing it); malformed bytes read as U+FFFD.
char32_t NextCodePoint(std::string_view s, size_t& i);
// 0: not part of a word; 1: a letter or digit; 2: a mark to skip inside a word.
int WordCharKind(char32_t c);
// Appends the folded form of `c` as UTF-8; true when it is Cyrillic.
bool AppendFolded(char32_t c, std::string& out);

}  // namespace detail

template <class F>
void ForEachWord(std::string_view text, F&& each) {
  Word w;
  bool inWord = false;
  size_t i = 0;
  while (i < text.size()) {
    const size_t at = i;
    const char32_t c = detail::NextCodePoint(text, i);
    // Lower-case Russian letters, most of any text, are taken as their bytes stand.
    const bool plainRussian = c >= 0x0430 && c <= 0x044F;
    const int kind = plainRussian ? 1 : detail::WordCharKind(c);
    if (kind == 1) {
      if (!inWord) {
        inWord = true;
        w.folded.clear();
        w.cyrillic = false;
        w.start = int(at);
      }
      if (plainRussian) {
        w.folded.append(text.data() + at, i - at);
        w.cyrillic = true;
      } else if (detail::AppendFolded(c, w.folded)) {
        w.cyrillic = true;
      }
      w.end = int(i);
    } else if (kind == 2 && inWord) {
      w.end = int(i);
    } else if (inWord) {
      inWord = false;
      if (!each(static_cast<const Word&>(w))) return;
    }
  }
  if (inWord) each(static_cast<const Word&>(w));
}

}  // namespace search
