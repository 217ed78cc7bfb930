#include "search/Fts.h"

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <sqlite3.h>

#include "search/Words.h"

namespace search {

namespace {

// One per table and connection: FTS5 never uses a tokenizer from two threads at once.
struct Tokenizer {
  Stemmer stemmer;
};

int Create(void*, const char**, int, Fts5Tokenizer** out) {
  auto* t = new (std::nothrow) Tokenizer;
  if (!t) return SQLITE_NOMEM;
  if (!t->stemmer.Ok()) {
    delete t;
    return SQLITE_ERROR;
  }
  *out = reinterpret_cast<Fts5Tokenizer*>(t);
  return SQLITE_OK;
}

void Delete(Fts5Tokenizer* t) { delete reinterpret_cast<Tokenizer*>(t); }

int Tokenize(Fts5Tokenizer* tokenizer, void* ctx, int flags, const char* text, int size,
             int (*token)(void*, int, const char*, int, int, int)) {
  Stemmer& stemmer = reinterpret_cast<Tokenizer*>(tokenizer)->stemmer;
  int rc = SQLITE_OK;
  const std::string_view all(text, size_t(size));
  if (!(flags & FTS5_TOKENIZE_PREFIX)) {
    ForEachWord(all, [&](const Word& w) {
      const std::string_view t = stemmer.Token(w);
      rc = token(ctx, 0, t.data(), int(t.size()), w.start, w.end);
      return rc == SQLITE_OK;
    });
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }
  // A prefix: its last word is a beginning as typed, not a word to cut to its stem.
  Word held;
  bool holding = false;
  ForEachWord(all, [&](const Word& w) {
    if (holding) {
      const std::string_view t = stemmer.Token(held);
      rc = token(ctx, 0, t.data(), int(t.size()), held.start, held.end);
    }
    held = w;
    holding = true;
    return rc == SQLITE_OK;
  });
  if (rc == SQLITE_OK && holding) {
    held.cyrillic = false;  // taken as it stands
    const std::string_view t = stemmer.Token(held);
    rc = token(ctx, 0, t.data(), int(t.size()), held.start, held.end);
  }
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// termora_inname(table, groups): 1 when every part of the query matches in the first column.
// `groups` gives each phrase's part (Query.h); a part is matched when any of its phrases is.
void InName(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const int phrases = api->xPhraseCount(fts);
  const char* groups = argc > 0 ? reinterpret_cast<const char*>(sqlite3_value_text(argv[0])) : nullptr;
  // Parts run 0, 1, 2, ... in order, so walking the phrases needs only the current part's state.
  int part = -1;
  bool partMatched = true;
  const char* g = groups;
  for (int p = 0; p < phrases; ++p) {
    int thisPart = p;
    if (g) {
      char* end = nullptr;
      thisPart = int(std::strtol(g, &end, 10));
      g = end;
    }
    if (thisPart != part) {
      if (!partMatched) break;
      part = thisPart;
      partMatched = false;
    }
    if (partMatched) continue;
    Fts5PhraseIter it;
    int col = -1;
    if (api->xPhraseFirstColumn(fts, p, &it, &col) != SQLITE_OK) {
      sqlite3_result_error(ctx, "termora_inname: cannot read the phrase", -1);
      return;
    }
    partMatched = col == 0;  // columns come in order: the name, when matched, comes first
  }
  sqlite3_result_int(ctx, phrases > 0 && partMatched ? 1 : 0);
}

// termora_snippet(table, column, on, off, ellipsis, tokens): `tokens` words of a column from
// shortly before its first match (or from its start), every matched phrase enclosed in `on` and
// `off`, and `ellipsis` where text is left out. Unlike the built-in snippet, which reads the
// whole text twice, this reads it once and only as far as the window's end.
constexpr int kSnippetLead = 4;  // words shown before the first match

struct SnippetWalk {
  int position = 0;
  int first = 0;
  int end = 0;  // one past the window's last position
  std::vector<std::pair<int, int>> spans;  // the byte range of each word of the window
};

int SnippetToken(void* walk, int flags, const char*, int, int start, int end) {
  auto* w = static_cast<SnippetWalk*>(walk);
  if (flags & FTS5_TOKEN_COLOCATED) return SQLITE_OK;
  if (w->position >= w->first) w->spans.emplace_back(start, end);
  return ++w->position >= w->end ? SQLITE_DONE : SQLITE_OK;
}

void Snippet(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 5) {
    sqlite3_result_error(ctx, "termora_snippet: wrong number of arguments", -1);
    return;
  }
  const int column = sqlite3_value_int(argv[0]);
  auto text = [&](int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
    return std::string_view(p ? p : "", size_t(sqlite3_value_bytes(argv[i])));
  };
  const std::string_view on = text(1), off = text(2), ellipsis = text(3);
  const int tokens = std::clamp(sqlite3_value_int(argv[4]), 1, 64);

  int instances = 0;
  if (api->xInstCount(fts, &instances) != SQLITE_OK) instances = 0;
  struct Inst {
    int position, size;
  };
  std::vector<Inst> found;
  for (int i = 0; i < instances; ++i) {
    int phrase = 0, col = 0, offset = 0;
    if (api->xInst(fts, i, &phrase, &col, &offset) == SQLITE_OK && col == column)
      found.push_back(Inst{offset, api->xPhraseSize(fts, phrase)});
  }
  int size = 0;
  if (api->xColumnSize(fts, column, &size) != SQLITE_OK) size = 0;
  int first = 0;
  if (!found.empty()) {
    first = std::min_element(found.begin(), found.end(), [](const Inst& a, const Inst& b) {
              return a.position < b.position;
            })->position;
    first = std::max(0, std::min(first - kSnippetLead, size - tokens));
  }
  const char* all = nullptr;
  int bytes = 0;
  if (api->xColumnText(fts, column, &all, &bytes) != SQLITE_OK || !all) {
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
    return;
  }
  SnippetWalk walk;
  walk.first = first;
  walk.end = first + tokens;
  walk.spans.reserve(size_t(tokens));
  const int rc = api->xTokenize(fts, all, bytes, &walk, SnippetToken);
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    sqlite3_result_error_code(ctx, rc);
    return;
  }
  // The words of each match inside the window; matches that overlap are marked as one, while
  // neighbouring words matched each on its own stay apart.
  std::vector<std::pair<int, int>> marks;  // first and last word, as indexes into spans
  const int shown = int(walk.spans.size());
  for (const Inst& in : found) {
    const int a = std::max(in.position, first) - first;
    const int b = std::min(in.position + std::max(in.size, 1), first + shown) - first - 1;
    if (a <= b) marks.emplace_back(a, b);
  }
  std::sort(marks.begin(), marks.end());

  // The window reaches the text's end when no word is left after it.
  const bool toEnd = walk.position < walk.end || walk.end >= size;
  const int from = first == 0 || walk.spans.empty() ? 0 : walk.spans.front().first;
  const int to = toEnd || walk.spans.empty() ? bytes : walk.spans.back().second;
  std::string out;
  out.reserve(size_t(to - from) + 32);
  if (first > 0) out += ellipsis;
  int at = from;
  for (size_t i = 0; i < marks.size();) {
    int last = marks[i].second;
    const int start = walk.spans[size_t(marks[i].first)].first;
    for (++i; i < marks.size() && marks[i].first <= last; ++i) last = std::max(last, marks[i].second);
    const int end = walk.spans[size_t(last)].second;
    out.append(all + at, size_t(start - at));
    out += on;
    out.append(all + start, size_t(end - start));
    out += off;
    at = end;
  }
  out.append(all + at, size_t(std::max(0, to - at)));
  if (!toEnd) out += ellipsis;
  sqlite3_result_text(ctx, out.data(), int(out.size()), SQLITE_TRANSIENT);
}

// termora_text(packed): the text PackText packed.
void Text(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const void* blob = sqlite3_value_blob(argv[0]);
  if (!blob) {
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
    return;
  }
  const QByteArray utf8 = UnpackText(static_cast<const char*>(blob), sqlite3_value_bytes(argv[0]));
  sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

fts5_api* Api(sqlite3* db) {
  fts5_api* api = nullptr;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &s, nullptr) != SQLITE_OK) return nullptr;
  sqlite3_bind_pointer(s, 1, &api, "fts5_api_ptr", nullptr);
  sqlite3_step(s);
  sqlite3_finalize(s);
  return api && api->iVersion >= 2 ? api : nullptr;
}

}  // namespace

// Packed form: ASCII as it is; U+0400 ... U+045F (Russian and its neighbours) as one byte from
// 0xA0 up; anything else as kEscape followed by its UTF-8 bytes.
constexpr unsigned char kEscape = 0x80;
constexpr char16_t kFirstPacked = 0x0400;
constexpr char16_t kLastPacked = 0x045F;
constexpr unsigned char kPackedBase = 0xA0;

QByteArray PackText(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  const QChar* p = text.constData();
  const QChar* end = p + text.size();
  while (p < end) {
    const char16_t c = p->unicode();
    if (c < 0x80) {
      out += char(c);
      ++p;
    } else if (c >= kFirstPacked && c <= kLastPacked) {
      out += char(kPackedBase + (c - kFirstPacked));
      ++p;
    } else {
      // One code point, a surrogate pair whole.
      const qsizetype n = (QChar::isHighSurrogate(c) && p + 1 < end && p[1].isLowSurrogate()) ? 2 : 1;
      out += char(kEscape);
      out += QStringView(p, n).toUtf8();
      p += n;
    }
  }
  return out;
}

QByteArray UnpackText(const char* packed, int size) {
  // At most four bytes a packed byte (an escaped code point is never longer packed than in UTF-8).
  QByteArray out(qsizetype(size) * 2 + 4, Qt::Uninitialized);
  char* o = out.data();
  for (int i = 0; i < size;) {
    const auto b = static_cast<unsigned char>(packed[i++]);
    if (b < 0x80) {
      *o++ = char(b);
    } else if (b >= kPackedBase) {
      const char16_t c = char16_t(kFirstPacked + (b - kPackedBase));
      *o++ = char(0xC0 | (c >> 6));
      *o++ = char(0x80 | (c & 0x3F));
    } else if (b == kEscape && i < size) {
      const auto lead = static_cast<unsigned char>(packed[i]);
      const int n = std::min(lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1, size - i);
      std::memcpy(o, packed + i, size_t(n));
      o += n;
      i += n;
    }
  }
  out.truncate(o - out.constData());
  return out;
}

bool RegisterFts(sqlite3* db, QString* error) {
  fts5_api* api = Api(db);
  if (!api) {
    if (error) *error = QStringLiteral("This SQLite has no full-text search (FTS5).");
    return false;
  }
  fts5_tokenizer tokenizer{Create, Delete, Tokenize};
  if (api->xCreateTokenizer(api, "termora", nullptr, &tokenizer, nullptr) != SQLITE_OK ||
      api->xCreateFunction(api, "termora_inname", nullptr, InName, nullptr) != SQLITE_OK ||
      api->xCreateFunction(api, "termora_snippet", nullptr, Snippet, nullptr) != SQLITE_OK ||
      sqlite3_create_function_v2(db, "termora_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                 Text, nullptr, nullptr, nullptr) != SQLITE_OK) {
    if (error) *error = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
  }
  return true;
}

}  // namespace search
