// links: termora_app termora_search termora_data
// Links between terms in a generated 50,000-term glossary with links (2 KB RTF definitions made
// of sentences of the bundled glossary, each with a few links to other terms, and one term linked
// from 1,000 others). Each benchmark measures an operation and its baseline side by side: one
// iteration is one paired repetition (the two interleaved, A-B then B-A), and the ratio of each
// repetition is kept, so the figures are min / median / max of ratios taken under the same load,
// in processor time and on the wall clock:
//  - "what links here" for the term linked from 1,000 others, names included, against a bare
//    indexed SQLite query returning the same rows (source key and name) from a table of its own;
//  - following a link to a term of another letter, against choosing that letter and row by hand
//    (the datasets' ordinary moves);
//  - the "Find mentions" pass over a definition of 2 KB, and its time per byte over 20 KB against
//    that over 2 KB (linear: 1).
// Each checks its work: the rows returned and their names, the term landed on, the mentions
// found and what they name.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/SearchBox.h"
#include "app/SearchSource.h"
#include "app/TermLinks.h"
#include "app/Unit1.h"
#include "bench/BenchCorpus.h"
#include "data/GlossaryStore.h"
#include "rtf/CodePage.h"
#include "search/IndexService.h"
#include "search/Mentions.h"
#include "search/Words.h"

namespace {

// TERMORA_BENCH_TERMS makes a smaller glossary for a quick look; the figures are for 50,000.
const int kTerms = qEnvironmentVariableIsSet("TERMORA_BENCH_TERMS") ? qEnvironmentVariableIntValue("TERMORA_BENCH_TERMS")
                                                                    : 50000;
constexpr int kDefinitionBytes = 2048;
constexpr int kLinksPerDefinition = 3;
constexpr int kHubLinks = 1000;
constexpr int kRepetitions = 15;  // paired repetitions of each benchmark
const char16_t kAlphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";

// Time as seconds on the wall clock and of this program's processor time. The machines these run
// on are shared: a slice lost to another program lands on one side of a pair at random, which the
// processor time leaves out; both are reported.
struct Times {
  double wall = 0, cpu = 0;
  Times& operator+=(const Times& t) {
    wall += t.wall;
    cpu += t.cpu;
    return *this;
  }
  Times operator/(double d) const { return Times{wall / d, cpu / d}; }
};
Times Now() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return Times{std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(),
               double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9};
}
Times Since(const Times& t0) {
  const Times t = Now();
  return Times{t.wall - t0.wall, t.cpu - t0.cpu};
}

QByteArray LinkField(qint64 key, const QString& words) {
  return "{\\field{\\*\\fldinst{HYPERLINK \"termora-term:" + QByteArray::number(key) + "\"}}{\\fldrslt{" +
         RtfText(words) + "}}}";
}

const QByteArray kRtfHead = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}\r\n"
                            "\\viewkind4\\uc1\\pard\\qj\\f0\\fs24 ";
const QByteArray kRtfTail = "\\par\r\n}\r\n";

struct Glossary {
  QTemporaryDir dir;
  QStringList sentences;
  std::vector<QString> names;                 // by key - 1, no two with the same tokens
  std::set<std::pair<qint64, qint64>> links;  // (target, source)
  qint64 hub = 0;                             // the term linked from kHubLinks others

  // Names of one to three words of the corpus, told apart as the mention finder tells them.
  void MakeNames(QRandomGenerator& rng) {
    static const QRegularExpression word(QStringLiteral("^\\p{L}{3,}$"));
    QStringList vocabulary;
    QSet<QString> seen;
    for (const QString& s : sentences)
      for (const QString& w : s.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (word.match(w).hasMatch() && !seen.contains(w.toLower())) {
          seen.insert(w.toLower());
          vocabulary << w.toLower();
        }
    QSet<QString> taken;
    static const int kWords[] = {1, 2, 2, 3};
    while (int(names.size()) < kTerms) {
      QStringList parts;
      for (int n = kWords[rng.bounded(4)]; n > 0; --n) parts << vocabulary.at(rng.bounded(vocabulary.size()));
      QString name = parts.join(QLatin1Char(' '));
      name[0] = name[0].toUpper();
      const QString tokens = search::Tokens(name);
      if (name.size() > 40 || taken.contains(tokens)) continue;
      taken.insert(tokens);
      names.push_back(name);
    }
  }

  Glossary() : sentences(CorpusSentences()) {
    QRandomGenerator rng(25);
    MakeNames(rng);
    QString error;
    if (!data::CreateGlossaryTables(dir.path(), &error)) qFatal("%s", qPrintable(error));
    data::GlossaryWriter w(dir.path());
    if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
    std::vector<int> ids;
    for (int l = 0; l < 27; ++l) ids.push_back(w.AddLetter(QString(QChar(kAlphabet[l])), l + 1));
    // Keys are given in the order of adding, from 1, and the terms go round the alphabet.
    hub = kTerms / 2 + 2;  // not itself one of the terms that link to it
    const int hubEvery = std::max(1, kTerms / kHubLinks);
    for (int i = 0; i < kTerms; ++i) {
      const qint64 source = i + 1;
      QByteArray body;
      for (int l = 0; l < kLinksPerDefinition; ++l) {
        qint64 to = rng.bounded(kTerms) + 1;
        if (l == 0 && i % hubEvery == 0) to = hub;
        if (to == source) to = source % kTerms + 1;  // no term links to itself
        links.emplace(to, source);
        body += RtfText(sentences.at(rng.bounded(sentences.size()))) + " см. " + LinkField(to, names[size_t(to - 1)]) + ". ";
      }
      for (;;) {
        const QByteArray next = RtfText(sentences.at(rng.bounded(sentences.size()))) + " ";
        if (kRtfHead.size() + body.size() + next.size() + kRtfTail.size() > kDefinitionBytes) break;
        body += next;
      }
      if (!w.AddTerm(ids[size_t(i % 27)], names[size_t(i)], kRtfHead + body + kRtfTail))
        qFatal("%s", qPrintable(w.ErrorText()));
    }
    if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
  }

  std::vector<qint64> SourcesOf(qint64 target) const {
    std::vector<qint64> out;
    for (auto it = links.lower_bound({target, 0}); it != links.end() && it->first == target; ++it) out.push_back(it->second);
    return out;
  }
};

std::unique_ptr<Glossary> g_glossary;
std::unique_ptr<app::TForm1> g_window;

app::TForm1& Window() {
  if (!g_window) {
    g_window = std::make_unique<app::TForm1>(g_glossary->dir.path());
    g_window->resize(824, 348);
    g_window->show();
    g_window->SearchBox1->Service()->Start();
    if (!g_window->SearchBox1->Service()->WaitIdle(1800000)) qFatal("the index was not built in time");
  }
  return *g_window;
}

// ---- paired repetitions -----------------------------------------------------------------------

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Summary {
  std::string what;
  double aMs, bMs, min, median, max, target;
};
std::vector<Summary> g_summary;

Summary Summarize(const std::string& what, const std::vector<double>& a, const std::vector<double>& b, double target) {
  std::vector<double> r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(b[i] > 0 ? a[i] / b[i] : 0);
  if (r.empty()) return Summary{what, 0, 0, 0, 0, 0, target};
  return Summary{what, Median(a) * 1e3, Median(b) * 1e3, *std::min_element(r.begin(), r.end()), Median(r),
                 *std::max_element(r.begin(), r.end()), target};
}

// `a` and `b`: time per operation in each repetition; the ratios are a / b.
void Report(benchmark::State& state, const std::string& what, const std::vector<Times>& a, const std::vector<Times>& b,
            double target) {
  if (a.empty() || b.empty()) return;
  std::vector<double> aCpu, bCpu, aWall, bWall;
  for (const Times& t : a) aCpu.push_back(t.cpu), aWall.push_back(t.wall);
  for (const Times& t : b) bCpu.push_back(t.cpu), bWall.push_back(t.wall);
  const Summary cpu = Summarize(what + ", processor time", aCpu, bCpu, target);
  const Summary wall = Summarize(what + ", wall clock", aWall, bWall, target);
  state.counters["ratio_cpu_med"] = cpu.median;
  state.counters["ratio_wall_med"] = wall.median;
  g_summary.push_back(cpu);
  g_summary.push_back(wall);
}

// ---- what links here ------------------------------------------------------------------------

// The same rows from a table made only for this: source key and name by target, indexed.
struct BareLinks {
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  explicit BareLinks(const Glossary& g) {
    const QString path = g.dir.filePath(QStringLiteral("bare.db"));
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "DROP TABLE IF EXISTS pairs; CREATE TABLE pairs(target INTEGER, source INTEGER, word TEXT);"
                     "CREATE INDEX pairs_target ON pairs(target); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO pairs VALUES(?, ?, ?)", -1, &ins, nullptr);
    for (const auto& [target, source] : g.links) {
      const QByteArray word = g.names[size_t(source - 1)].toUtf8();
      sqlite3_bind_int64(ins, 1, target);
      sqlite3_bind_int64(ins, 2, source);
      sqlite3_bind_text(ins, 3, word.constData(), int(word.size()), SQLITE_TRANSIENT);
      if (sqlite3_step(ins) != SQLITE_DONE) qFatal("the bare table was not filled: %s", sqlite3_errmsg(db));
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (sqlite3_prepare_v2(db, "SELECT source, word FROM pairs WHERE target = ?", -1, &query, nullptr) != SQLITE_OK)
      qFatal("%s", sqlite3_errmsg(db));
  }
  ~BareLinks() {
    sqlite3_finalize(query);
    sqlite3_close(db);
  }
  std::vector<search::LinkingTerm> To(qint64 target) {
    std::vector<search::LinkingTerm> out;
    sqlite3_bind_int64(query, 1, target);
    while (sqlite3_step(query) == SQLITE_ROW)
      out.push_back(search::LinkingTerm{sqlite3_column_int64(query, 0), 0,
                                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 1)),
                                                          sqlite3_column_bytes(query, 1))});
    sqlite3_reset(query);
    return out;
  }
};

// The rows are the terms that link to `target`, each with its own name.
bool RightRows(std::vector<search::LinkingTerm> rows, qint64 target) {
  const std::vector<qint64> want = g_glossary->SourcesOf(target);
  std::sort(rows.begin(), rows.end(), [](const auto& x, const auto& y) { return x.id < y.id; });
  if (rows.size() != want.size()) return false;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].id != want[i] || rows[i].word != g_glossary->names[size_t(want[i] - 1)]) return false;
  return true;
}

void BM_WhatLinksHere_vs_BareIndexedQuery(benchmark::State& state) {
  app::TForm1& f = Window();
  static BareLinks bare(*g_glossary);
  const qint64 hub = g_glossary->hub;
  if (kTerms >= 50000 && g_glossary->SourcesOf(hub).size() < size_t(kHubLinks))
    state.SkipWithError("fewer terms link to the hub than meant");
  const std::vector<search::LinkingTerm> here = f.TermLinks1->LinksHere(hub);
  if (!RightRows(here, hub)) state.SkipWithError("what links here gave other rows");
  if (!std::is_sorted(here.begin(), here.end(), [](const auto& x, const auto& y) { return x.word < y.word; }))
    state.SkipWithError("what links here is not in the order of the names");
  if (!RightRows(bare.To(hub), hub)) state.SkipWithError("the bare query gave other rows");
  // A hundred of each a repetition, some 40 ms a side: a slice lost to another program is a
  // small part of it.
  constexpr int kRounds = 100;
  std::vector<Times> a, b;
  size_t rows = 0;
  int rep = 0;
  for (auto _ : state) {
    Times ta, tb;
    for (int k = 0; k < kRounds; ++k) {
      for (int half = 0; half < 2; ++half) {
        const Times t0 = Now();
        if ((half + rep + k) % 2 == 0) {
          rows = f.TermLinks1->LinksHere(hub).size();
          ta += Since(t0);
        } else {
          rows = bare.To(hub).size();
          tb += Since(t0);
        }
        benchmark::DoNotOptimize(rows);
      }
    }
    a.push_back(ta / kRounds);
    b.push_back(tb / kRounds);
    ++rep;
  }
  state.counters["rows"] = double(g_glossary->SourcesOf(hub).size());
  Report(state, "what links here / bare indexed query", a, b, 2.0);
}

// ---- following a link -----------------------------------------------------------------------

void BM_FollowLink_vs_ChooseLetterAndRowByHand(benchmark::State& state) {
  app::TForm1& f = Window();
  // Keys 28 and 29 are on the first two letters (terms go round the alphabet).
  const qint64 key[2] = {28, 29};
  const int letter[2] = {1, 2};
  int row[2];  // the rows the terms have in their letters, as the user sees them
  for (int k = 0; k < 2; ++k) {
    f.Table2->CheckBrowseMode();
    f.Table1->SetRecNo(letter[k]);
    row[k] = 0;
    for (int r = 0; r < f.Table2->RowCount(); ++r)
      if (f.Table2->RowValue(r, f.Table2IDDetail).toLongLong() == key[k]) row[k] = r + 1;
    if (row[k] == 0) state.SkipWithError("a term is not in its letter");
  }
  f.TermLinks1->GoToTerm(key[0], false);
  QCoreApplication::processEvents();
  // Each round goes there and back, once by the link and once by hand, taking turns at which goes
  // first, so both ways cover both directions.
  constexpr int kRounds = 10;
  std::vector<Times> a, b;
  int at = 0;
  for (auto _ : state) {
    Times ta, tb;
    for (int k = 0; k < 2 * kRounds; ++k) {
      const int to = 1 - at;
      const bool byLink = (k / 2 + k) % 2 == 0;
      const Times t0 = Now();
      bool moved = true;
      if (byLink) {
        moved = f.TermLinks1->Follow(QStringLiteral("termora-term:%1").arg(key[to]));
      } else {
        f.Table2->CheckBrowseMode();
        f.Table1->SetRecNo(letter[to]);
        f.Table2->SetRecNo(row[to]);
      }
      QCoreApplication::processEvents();
      (byLink ? ta : tb) += Since(t0);
      if (!moved || f.Table1->RecNo() != letter[to] || f.Table2IDDetail->AsInteger() != key[to]) {
        state.SkipWithError(byLink ? "the link did not land on its term" : "the moves did not land on the term");
        break;
      }
      at = to;
    }
    a.push_back(ta / kRounds);
    b.push_back(tb / kRounds);
  }
  Report(state, "following a link / choosing letter and row by hand", a, b, 1.5);
}

// ---- find mentions --------------------------------------------------------------------------

// A definition of about 2 KB: the corpus's sentences, a term's name after each. `named` gets the
// terms whose names were put in.
QString MentionText(quint32 seed, std::set<qint64>* named) {
  QRandomGenerator rng{seed};
  QString text;
  while (text.toUtf8().size() < 2048) {
    text += g_glossary->sentences.at(rng.bounded(g_glossary->sentences.size())) + u' ';
    const qint64 key = rng.bounded(kTerms) + 1;
    text += u'(' + g_glossary->names[size_t(key - 1)] + QStringLiteral("). ");
    named->insert(key);
  }
  return text;
}

// Every term put in is found (a name stands in brackets, so no other name can take its words),
// and every mention found names its term in some form.
bool RightMentions(const QString& text, const std::vector<search::Mention>& found, const std::set<qint64>& named) {
  std::set<qint64> terms;
  for (const search::Mention& m : found) {
    if (search::Tokens(text.mid(m.from, m.to - m.from)) != search::Tokens(g_glossary->names[size_t(m.term - 1)]))
      return false;
    terms.insert(m.term);
  }
  return std::includes(terms.begin(), terms.end(), named.begin(), named.end());
}

// Ten definitions of 2 KB, and the same ten as one definition of 20 KB: the same words either
// way, so the time per byte shows what the length alone costs.
void BM_FindMentions_2KB_vs_20KB(benchmark::State& state) {
  static search::MentionFinder finder;
  if (finder.IsEmpty())
    for (size_t k = 0; k < g_glossary->names.size(); ++k) finder.Add(qint64(k + 1), g_glossary->names[k]);
  constexpr int kParts = 10;
  QStringList parts;
  std::set<qint64> namedAll;
  size_t partMentions = 0;
  for (int p = 0; p < kParts; ++p) {
    std::set<qint64> named;
    parts << MentionText(quint32(p + 1), &named);
    const std::vector<search::Mention> found = finder.Find(parts.back());
    if (!RightMentions(parts.back(), found, named)) state.SkipWithError("the mentions found are not the names put in");
    partMentions += found.size();
    namedAll.insert(named.begin(), named.end());
  }
  const QString whole = parts.join(QString());
  if (!RightMentions(whole, finder.Find(whole), namedAll)) state.SkipWithError("the mentions found are not the names put in");
  const double partBytes = double(whole.toUtf8().size()) / kParts, wholeBytes = double(whole.toUtf8().size());
  // A repetition: fifty rounds, each the ten parts and the whole, which goes first taking turns;
  // some 40 ms of work a side, so a slice lost to another program is a small part of it.
  constexpr int kRounds = 50;
  std::vector<Times> perByteWhole, perBytePart;
  size_t found = 0;
  int turn = 0;
  for (auto _ : state) {
    Times tp, tw;
    for (int r = 0; r < kRounds; ++r, ++turn) {
      for (int half = 0; half < 2; ++half) {
        const Times t0 = Now();
        if ((half + turn) % 2 == 0) {
          for (const QString& part : parts) found += finder.Find(part).size();
          tp += Since(t0);
        } else {
          found += finder.Find(whole).size();
          tw += Since(t0);
        }
      }
    }
    benchmark::DoNotOptimize(found);
    perBytePart.push_back(tp / (kRounds * kParts * partBytes));
    perByteWhole.push_back(tw / (kRounds * wholeBytes));
  }
  state.counters["mentions_2KB"] = double(partMentions) / kParts;
  state.counters["mentions_20KB"] = double(finder.Find(whole).size());
  Report(state, "find mentions: time per byte, 20 KB / 2 KB", perByteWhole, perBytePart, 1.3);
  // The 2 KB pass itself, in milliseconds (its "ratio" to a millisecond).
  std::vector<Times> ms(perBytePart.size(), Times{1e-3, 1e-3});
  std::vector<Times> part;
  for (const Times& t : perBytePart) part.push_back(t / (1 / partBytes));
  Report(state, "find mentions over 2 KB, ms", part, ms, 20);
}

BENCHMARK(BM_WhatLinksHere_vs_BareIndexedQuery)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FollowLink_vs_ChooseLetterAndRowByHand)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMentions_2KB_vs_20KB)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  g_glossary = std::make_unique<Glossary>();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\n%d terms; min / median / max of %d paired repetitions (medians of each side in brackets):\n", kTerms,
              kRepetitions);
  for (const Summary& s : g_summary)
    std::printf("%-72s %7.3f / %7.3f / %7.3f  (target <= %g)%s  [%.4f ms vs %.4f ms]\n", s.what.c_str(), s.min, s.median,
                s.max, s.target, s.median > s.target ? "  MISSED" : "", s.aMs, s.bMs);
  g_window.reset();
  g_glossary.reset();
  return 0;
}
