#include "search/Words.h"

#include <QCryptographicHash>
#include <QStringList>
#include <libstemmer.h>

namespace search {

namespace {

// Longer runs are not words a reader types; they are cut so one token stays small.
constexpr size_t kMaxWordBytes = 120;
// Enough for a glossary's vocabulary; cleared when full so memory stays bounded.
constexpr size_t kMaxCachedStems = 200000;

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

namespace detail {

char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t c = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    c = b0 & 0x07;
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return c;
}

int WordCharKind(char32_t c) {
  if (c < 0x80) return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || (c >= '0' && c <= '9') ? 1 : 0;
  if (c >= 0x0400 && c <= 0x0481) return 1;  // Cyrillic letters (the signs after are not)
  if (c >= 0x048A && c <= 0x04FF) return 1;
  if (c == 0x00AD) return 2;  // a soft hyphen joins the parts of a word
  const QChar::Category cat = QChar::category(c);
  if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_Enclosing) return 2;  // stress marks
  return QChar::isLetterOrNumber(c) ? 1 : 0;
}

bool AppendFolded(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += (c >= 'A' && c <= 'Z') ? char(c + 32) : char(c);
    return false;
  }
  if (c >= 0x0400 && c <= 0x04FF) {
    if (c == 0x0401 || c == 0x0451) c = 0x0435;   // Ё, ё: е
    else if (c >= 0x0430 && c <= 0x045F) {}       // lower case already: most letters
    else if (c >= 0x0410 && c <= 0x042F) c += 0x20;
    else if (c >= 0x0400 && c <= 0x040F) c += 0x50;
    else c = QChar::toLower(c);
    AppendUtf8(c, out);
    return true;
  }
  AppendUtf8(QChar::toLower(c), out);
  return false;
}

}  // namespace detail

Stemmer::Stemmer() : stemmer_(sb_stemmer_new("russian", "UTF_8")) { cache_.reserve(1 << 15); }

Stemmer::~Stemmer() {
  if (stemmer_) sb_stemmer_delete(stemmer_);
}

std::string_view Stemmer::Token(const Word& word) {
  std::string_view w = word.folded;
  if (w.size() > kMaxWordBytes) {
    size_t cut = kMaxWordBytes;
    while (cut > 0 && (static_cast<unsigned char>(w[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    w = w.substr(0, cut);
  }
  if (!word.cyrillic || !stemmer_) return w;
  if (auto it = cache_.find(w); it != cache_.end()) return it->second;
  if (cache_.size() >= kMaxCachedStems) cache_.clear();
  const sb_symbol* s = sb_stemmer_stem(stemmer_, reinterpret_cast<const sb_symbol*>(w.data()), int(w.size()));
  std::string stem = s ? std::string(reinterpret_cast<const char*>(s), size_t(sb_stemmer_length(stemmer_)))
                       : std::string(w);
  return cache_.emplace(std::string(w), std::move(stem)).first->second;
}

QString Tokens(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  Stemmer stemmer;
  QStringList out;
  ForEachWord(std::string_view(utf8.constData(), size_t(utf8.size())), [&](const Word& w) {
    const std::string_view t = stemmer.Token(w);
    out << QString::fromUtf8(t.data(), qsizetype(t.size()));
    return true;
  });
  return out.join(QLatin1Char(' '));
}

QString TokenizerFingerprint() {
  // Words whose endings exercise most of the stemmer's rules, and the word rules' own cases.
  static const char kProbe[] =
      "Пчёлы пчелами пчелиный пчеловодство роение роением роился матками маточник летки "
      "медоносных медовый мёдом сотами сотовый вощина вощиной клещей клещевой варроатоз "
      "зимовка зимующих облётывались подкармливают подкормкой рамками ульевых ульи "
      "наибольшими красивейшая бегущими пишущий стоявшими ночью ложь Apis mellifera L. 1758 "
      "пче\xcc\x81" "лы medi\xc2\xad" "cina";
  static const QString fingerprint = [] {
    const QByteArray tokens = Tokens(QString::fromUtf8(kProbe)).toUtf8();
    return QStringLiteral("w1-") +
           QString::fromLatin1(QCryptographicHash::hash(tokens, QCryptographicHash::Sha1).toHex().left(16));
  }();
  return fingerprint;
}

}  // namespace search
