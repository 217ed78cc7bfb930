// links: termora_app termora_search termora_data
// Search in a generated 50,000-term glossary (2 KB RTF definitions made of sentences of the
// bundled glossary, so words come with their real frequencies and forms), each measured beside
// its baseline in the same run:
//  - a query, from the typed text to the results in the list (every match ranked, and the name,
//    letter and line of definition of each row the list shows at once), against the bare FTS5
//    query for the same stemmed words on the same index (every match, ordered by rank); also,
//    for information, with the results painted, and against FTS5 giving those rows' snippets;
//  - a full rebuild of the index, against converting every definition's RTF to text;
//  - the index file's size against the size of the definitions' text (UTF-8).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdio>
#include <ctime>
#include <map>
#include <unordered_map>
#include <memory>
#include <vector>

#include "app/SearchBox.h"
#include "app/SearchSource.h"
#include "app/Unit1.h"
#include "bench/BenchCorpus.h"
#include "data/GlossaryStore.h"
#include "data/TermReader.h"
#include "rtf/CodePage.h"
#include "rtf/DefinitionText.h"
#include "search/Fts.h"
#include "search/IndexService.h"
#include "search/Query.h"

namespace {

// TERMORA_BENCH_TERMS makes a smaller glossary for a quick look; the figures are for 50,000.
const int kTerms = qEnvironmentVariableIsSet("TERMORA_BENCH_TERMS") ? qEnvironmentVariableIntValue("TERMORA_BENCH_TERMS")
                                                                    : 50000;
constexpr int kDefinitionBytes = 2048;
const char16_t kAlphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";

// What the user types, and what each stands for.
struct Query {
  const char* name;
  const char* typed;
};
// The rows the results list shows at once.
constexpr int kShownRows = 7;

const Query kQueries[] = {
    {"frequent_word", "пчёлы"},
    {"common_word", "клещ"},
    {"rare_word", "апитерапия"},
    {"one_term", "Зюзельник"},
    {"two_words", "мёд нектар"},
    {"phrase", "\"пчелиная семья\""},
    {"prefix", "пчел*"},
};

const QByteArray kRtfHead = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}\r\n"
                            "\\viewkind4\\uc1\\pard\\qj\\f0\\fs24 ";
const QByteArray kRtfTail = "\\par\r\n}\r\n";

struct Glossary {
  QTemporaryDir dir;
  std::vector<QByteArray> definitions;
  qint64 textBytes = 0;  // the definitions' text, UTF-8

  Glossary() {
    const QStringList sentences = CorpusSentences();
    QString error;
    if (!data::CreateGlossaryTables(dir.path(), &error)) qFatal("%s", qPrintable(error));
    data::GlossaryWriter w(dir.path());
    if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
    std::vector<int> ids;
    for (int l = 0; l < 27; ++l) ids.push_back(w.AddLetter(QString(QChar(kAlphabet[l])), l + 1));
    QRandomGenerator rng(15);
    for (int i = 0; i < kTerms; ++i) {
      const QString first = sentences.at(rng.bounded(sentences.size()));
      QString word = first.section(QLatin1Char(' '), 0, 1).remove(QRegularExpression(QStringLiteral("[^\\w -]")));
      if (i == kTerms / 2) word = QStringLiteral("Зюзельник");  // NOLINT  // the one term only its name finds
      word = word.left(40);
      QByteArray body;
      for (;;) {
        const QByteArray next = (body.isEmpty() ? QByteArray() : QByteArray(" ")) +
                                RtfText(sentences.at(rng.bounded(sentences.size())));
        if (kRtfHead.size() + body.size() + next.size() + kRtfTail.size() > kDefinitionBytes && !body.isEmpty()) break;
        body += next;
      }
      const QByteArray rtf = kRtfHead + body + kRtfTail;
      if (!w.AddTerm(ids[size_t(i % 27)], word, rtf)) qFatal("%s", qPrintable(w.ErrorText()));
    }
    if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
    data::TermReader reader;
    if (!reader.Open(dir.path()).Ok()) qFatal("cannot read the generated glossary");
    std::vector<data::TermRow> rows;
    for (qint64 after = 0;;) {
      if (!reader.ReadAfter(after, 1000, &rows).Ok()) qFatal("cannot read the generated glossary");
      if (rows.empty()) break;
      for (data::TermRow& r : rows) definitions.push_back(std::move(r.definition));
      after = rows.back().key;
    }
  }
  QString IndexPath() const { return dir.filePath(search::kIndexFileName); }
};

std::unique_ptr<Glossary> g_glossary;
std::map<std::string, double> g_seconds;     // mean time of each benchmark
std::map<std::string, double> g_cpuSeconds;  // and the CPU time of the whole process for it

void Record(const std::string& name, benchmark::State& state, double total, double cpu = -1) {
  g_seconds[name] = total / double(state.iterations());
  if (cpu >= 0) g_cpuSeconds[name] = cpu / double(state.iterations());
}

// CPU time of the whole process, every thread included: the machine may be shared, and the
// index is built on a thread of its own.
double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// ---- rebuild --------------------------------------------------------------------------------

void BM_ConvertEveryDefinitionToText(benchmark::State& state) {
  Glossary& g = *g_glossary;
  double total = 0, cpu = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ProcessCpuSeconds();
    qint64 bytes = 0;
    for (const QByteArray& d : g.definitions) bytes += rtf::DefinitionText(d).toUtf8().size();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
    g.textBytes = bytes;
    if (bytes < qint64(g.definitions.size()) * 500) state.SkipWithError("the definitions gave too little text");
  }
  Record("convert", state, total, cpu);
  state.counters["process_cpu_s"] = cpu;
  state.counters["text_MB"] = double(g.textBytes) / 1e6;
}
BENCHMARK(BM_ConvertEveryDefinitionToText)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Where the index file's bytes go: each table with its own indexes, and the free pages.
QString SizeBreakdown(const QString& path) {
  sqlite3* db = nullptr;
  QStringList parts;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name, sum(pgsize) FROM dbstat GROUP BY name ORDER BY 2 DESC", -1, &s, nullptr) ==
        SQLITE_OK)
      while (sqlite3_step(s) == SQLITE_ROW)
        parts << QStringLiteral("%1 %2 MB")
                     .arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))))
                     .arg(double(sqlite3_column_int64(s, 1)) / 1e6, 0, 'f', 1);
    sqlite3_finalize(s);
    if (sqlite3_prepare_v2(db, "SELECT freelist_count * page_size FROM pragma_freelist_count, pragma_page_size", -1, &s,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      parts << QStringLiteral("free %1 MB").arg(double(sqlite3_column_int64(s, 0)) / 1e6, 0, 'f', 1);
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return parts.join(QStringLiteral(", "));
}

qint64 IndexedTerms(const QString& path) {
  sqlite3* db = nullptr;
  qint64 n = -1;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM term", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
      n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return n;
}

void BM_RebuildTheWholeIndex(benchmark::State& state) {
  Glossary& g = *g_glossary;
  double total = 0, cpu = 0;
  for (auto _ : state) {
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(g.IndexPath() + QLatin1String(suffix));
    const QString folder = g.dir.path();
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ProcessCpuSeconds();
    {
      search::IndexService s(folder, [folder] { return std::make_unique<app::GlossaryTermSource>(folder); });
      s.Start();
      if (!s.WaitIdle(3600 * 1000) || s.Status().state != search::IndexState::Ready) state.SkipWithError("no index");
    }
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
    if (IndexedTerms(g.IndexPath()) != kTerms) state.SkipWithError("the index does not hold every term");
  }
  Record("rebuild", state, total, cpu);
  state.counters["process_cpu_s"] = cpu;
  state.counters["index_MB"] = double(QFileInfo(g.IndexPath()).size()) / 1e6;
}
BENCHMARK(BM_RebuildTheWholeIndex)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// ---- queries ----------------------------------------------------------------------------------

// The bare query: every match of the same stemmed words, in rank order. With `shown`, FTS5 also
// gives what the list shows of the rows it shows: the name and a snippet, marked.
// The index, made once when the rebuild benchmark did not run.
void EnsureIndex() {
  Glossary& g = *g_glossary;
  if (IndexedTerms(g.IndexPath()) == kTerms) return;
  const QString folder = g.dir.path();
  search::IndexService s(folder, [folder] { return std::make_unique<app::GlossaryTermSource>(folder); });
  s.Start();
  s.WaitIdle(3600 * 1000);
}

void BareFts5Query(benchmark::State& state, const Query& q, int shown) {
  EnsureIndex();
  Glossary& g = *g_glossary;
  sqlite3* db = nullptr;
  sqlite3_open_v2(g.IndexPath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  QString error;
  if (!search::RegisterFts(db, &error)) qFatal("%s", qPrintable(error));
  sqlite3_stmt* s = nullptr;
  const char* sql = shown ? "SELECT rowid, highlight(term_text, 0, '<b>', '</b>'),"
                            " snippet(term_text, 1, '<b>', '</b>', '…', 14)"
                            " FROM term_text WHERE term_text MATCH ? ORDER BY rank LIMIT ?"
                          : "SELECT rowid FROM term_text WHERE term_text MATCH ? ORDER BY rank";
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) qFatal("%s", sqlite3_errmsg(db));
  const QByteArray match = search::ParseQuery(QString::fromUtf8(q.typed)).expression.toUtf8();
  qint64 rows = 0;
  double total = 0, cpu = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ProcessCpuSeconds();
    sqlite3_bind_text(s, 1, match.constData(), int(match.size()), SQLITE_STATIC);
    if (shown) sqlite3_bind_int(s, 2, shown);
    rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
      if (shown) {
        benchmark::DoNotOptimize(sqlite3_column_text(s, 1));
        benchmark::DoNotOptimize(sqlite3_column_text(s, 2));
      }
      ++rows;
    }
    sqlite3_reset(s);
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
  }
  if (rows == 0) state.SkipWithError("the query found nothing");
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.counters["rows"] = double(rows);
  Record(std::string(shown ? "snippets_" : "bare_") + q.name, state, total, cpu);
}

struct ShownWindow {
  std::unique_ptr<app::TForm1> form;
  ShownWindow() {
    QString error;
    form = std::make_unique<app::TForm1>(g_glossary->dir.path());
    form->show();
    form->SearchBox1->Service()->Start();
    form->SearchBox1->Service()->WaitIdle(600 * 1000);
    QCoreApplication::processEvents();
  }
};

std::unique_ptr<ShownWindow> g_window;

// What the user waits for: the query run and the list given its rows, with the name, letter and
// line of definition of every row it shows at once. With `paint`, the results painted too.
void QueryToResults(benchmark::State& state, const Query& q, bool paint) {
  EnsureIndex();
  if (!g_window) g_window = std::make_unique<ShownWindow>();
  app::TSearchBox* box = g_window->form->SearchBox1;
  app::TSearchResultModel* model = box->Model();
  box->setText(QString::fromUtf8(q.typed));
  int rows = 0;
  qint64 chars = 0;
  double total = 0, cpu = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ProcessCpuSeconds();
    box->RunQuery();
    if (paint) {
      box->Results()->repaint();
    } else {
      for (int r = 0; r < std::min(model->rowCount(), kShownRows); ++r) {
        const QModelIndex i = model->index(r);
        for (int role : {app::TSearchResultModel::WordRole, app::TSearchResultModel::LetterRole,
                         app::TSearchResultModel::SnippetRole})
          chars += model->data(i, role).toString().size();
      }
    }
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
    rows = model->rowCount();
  }
  benchmark::DoNotOptimize(chars);
  if (rows == 0 || !box->Results()->isVisible()) state.SkipWithError("no results were shown");
  if (model->data(model->index(0), app::TSearchResultModel::SnippetRole).toString().isEmpty())
    state.SkipWithError("the first row has no line of definition");
  state.counters["matches"] = rows;
  Record(std::string(paint ? "painted_" : "shown_") + q.name, state, total, cpu);
}

void RegisterQueries() {
  for (const Query& q : kQueries) {
    benchmark::RegisterBenchmark((std::string("BM_BareFts5Query/") + q.name).c_str(),
                                 [&q](benchmark::State& s) { BareFts5Query(s, q, 0); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_BareFts5QueryWithShownSnippets/") + q.name).c_str(),
                                 [&q](benchmark::State& s) { BareFts5Query(s, q, kShownRows); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_QueryToResultsShown/") + q.name).c_str(),
                                 [&q](benchmark::State& s) { QueryToResults(s, q, false); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_QueryToResultsPainted/") + q.name).c_str(),
                                 [&q](benchmark::State& s) { QueryToResults(s, q, true); })
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  g_glossary = std::make_unique<Glossary>();
  RegisterQueries();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\n");
  // Each ratio of two benchmarks run in this process: elapsed time, and CPU time of the process
  // (the machine may be shared with other work).
  auto ratio = [](const std::string& a, const std::string& b) {
    return g_seconds.count(a) && g_seconds.count(b) && g_seconds[b] > 0 ? g_seconds[a] / g_seconds[b] : -1.0;
  };
  auto cpuRatio = [](const std::string& a, const std::string& b) {
    return g_cpuSeconds.count(a) && g_cpuSeconds.count(b) && g_cpuSeconds[b] > 0 ? g_cpuSeconds[a] / g_cpuSeconds[b]
                                                                                  : -1.0;
  };
  std::printf("query to results shown / the bare FTS5 query for the same stemmed words (target <= 3x), as elapsed\n"
              "and CPU time; for information, to results painted, and shown / FTS5 giving the shown rows' snippets:\n"
              "%-14s %9s %9s %8s %8s %11s %9s %12s\n", "", "bare ms", "shown ms", "ratio", "cpu", "painted ms", "ratio",
              "vs snippets");
  for (const Query& q : kQueries) {
    const std::string n = q.name;
    if (!g_seconds.count("shown_" + n) || !g_seconds.count("bare_" + n)) continue;
    std::printf("%-14s %9.3f %9.3f %7.2fx %7.2fx %11.3f %8.2fx %11.2fx\n", q.name, g_seconds["bare_" + n] * 1e3,
                g_seconds["shown_" + n] * 1e3, ratio("shown_" + n, "bare_" + n), cpuRatio("shown_" + n, "bare_" + n),
                g_seconds["painted_" + n] * 1e3, ratio("painted_" + n, "bare_" + n),
                ratio("shown_" + n, "snippets_" + n));
  }
  if (const double r = ratio("rebuild", "convert"); r >= 0)
    std::printf("full rebuild / converting every definition to text: %.2fx elapsed, %.2fx CPU (target <= 3x)\n", r,
                cpuRatio("rebuild", "convert"));
  if (g_glossary->textBytes > 0 && QFileInfo::exists(g_glossary->IndexPath()))
    std::printf("index file / definitions' text: %.2fx (%.1f MB / %.1f MB, target <= 1.5x)\n",
                double(QFileInfo(g_glossary->IndexPath()).size()) / double(g_glossary->textBytes),
                double(QFileInfo(g_glossary->IndexPath()).size()) / 1e6, double(g_glossary->textBytes) / 1e6);
  std::printf("index file: %s\n", qPrintable(SizeBreakdown(g_glossary->IndexPath())));
  g_window.reset();
  g_glossary.reset();
  return 0;
}
