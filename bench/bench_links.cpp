// links: termora_app termora_search termora_data
// Links between terms in a generated 50,000-term glossary with links (2 KB RTF definitions made
// of sentences of the bundled glossary, each with a few links to other terms, and one term linked
// from 1,000 others), each measured beside its baseline in the same run:
//  - "what links here" for the term linked from 1,000 others, names included, against a bare
//    indexed SQLite query returning those rows (source key and name) from a table of its own;
//  - following a link to a term of another letter, against choosing that letter and row by hand
//    (the datasets' ordinary moves);
//  - the "Find mentions" pass over a definition of 2 KB (and 4 and 8 KB, to show it linear).
// Each checks its work: the rows returned, the term landed on, the mentions found.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "app/SearchBox.h"
#include "app/SearchSource.h"
#include "app/TermLinks.h"
#include "app/Unit1.h"
#include "data/GlossaryStore.h"
#include "rtf/CodePage.h"
#include "search/IndexService.h"
#include "search/Mentions.h"

namespace {

// TERMORA_BENCH_TERMS makes a smaller glossary for a quick look; the figures are for 50,000.
const int kTerms = qEnvironmentVariableIsSet("TERMORA_BENCH_TERMS") ? qEnvironmentVariableIntValue("TERMORA_BENCH_TERMS")
                                                                    : 50000;
constexpr int kDefinitionBytes = 2048;
constexpr int kLinksPerDefinition = 3;
constexpr int kHubLinks = 1000;
const char16_t kAlphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";

QStringList CorpusSentences() {
  const QString folder = QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../glossary/terms"));
  QStringList sentences;
  QDirIterator it(folder, {QStringLiteral("*.txt")});
  while (it.hasNext()) {
    QFile f(it.next());
    if (!f.open(QIODevice::ReadOnly)) continue;
    QString text = QString::fromUtf8(f.readAll());
    text.remove(QRegularExpression(QStringLiteral("^#.*$"), QRegularExpression::MultilineOption));
    text.remove(QRegularExpression(QStringLiteral("[*\\[\\]|]")));
    for (const QString& s : text.split(QRegularExpression(QStringLiteral("(?<=[.!?])\\s+")), Qt::SkipEmptyParts)) {
      const QString t = s.simplified();
      if (t.size() > 20) sentences << t;
    }
  }
  if (sentences.size() < 100) qFatal("the bundled glossary was not found in %s", qPrintable(folder));
  return sentences;
}

// Text as the editor streams it out: Cyrillic as \'xx under code page 1251.
QByteArray RtfText(const QString& text) {
  QByteArray rtf;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      rtf += '\\';
      rtf += char(u);
    } else if (u < 0x80) {
      rtf += char(u);
    } else {
      const QByteArray b = rtf::EncodeCodePage(QString(c), 1251);
      rtf += b.size() == 1 ? "\\'" + QByteArray::number(static_cast<unsigned char>(b[0]), 16)
                           : "\\u" + QByteArray::number(int(u)) + '?';
    }
  }
  return rtf;
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
  std::vector<QString> names;  // by key - 1
  qint64 hub = 0;              // the term linked from kHubLinks others
  QString IndexPath() const { return dir.filePath(search::kIndexFileName); }

  Glossary() : sentences(CorpusSentences()) {
    QString error;
    if (!data::CreateGlossaryTables(dir.path(), &error)) qFatal("%s", qPrintable(error));
    data::GlossaryWriter w(dir.path());
    if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
    std::vector<int> ids;
    for (int l = 0; l < 27; ++l) ids.push_back(w.AddLetter(QString(QChar(kAlphabet[l])), l + 1));
    QRandomGenerator rng(25);
    // Keys are given in the order of adding, from 1: the names first, so links can name keys.
    for (int i = 0; i < kTerms; ++i) {
      const QString first = sentences.at(rng.bounded(sentences.size()));
      names.push_back(first.section(QLatin1Char(' '), 0, 1).remove(QRegularExpression(QStringLiteral("[^\\w -]"))).left(40));
    }
    hub = kTerms / 2 + 1;
    const int hubEvery = std::max(1, kTerms / kHubLinks);
    for (int i = 0; i < kTerms; ++i) {
      QByteArray body;
      for (int l = 0; l < kLinksPerDefinition; ++l) {
        qint64 to = rng.bounded(kTerms) + 1;
        if (l == 0 && i % hubEvery == 0 && i + 1 != hub) to = hub;
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
};

std::unique_ptr<Glossary> g_glossary;
std::unique_ptr<app::TForm1> g_window;
std::map<std::string, double> g_seconds;

void Record(const std::string& name, benchmark::State& state, double total) {
  g_seconds[name] = total / double(state.iterations());
}

app::TForm1& Window() {
  if (!g_window) {
    g_window = std::make_unique<app::TForm1>(g_glossary->dir.path());
    g_window->resize(824, 348);
    g_window->show();
    g_window->SearchBox1->Service()->Start();
    if (!g_window->SearchBox1->Service()->WaitIdle(600000)) qFatal("the index was not built in time");
  }
  return *g_window;
}

// ---- what links here ------------------------------------------------------------------------

void BM_WhatLinksHere(benchmark::State& state) {
  app::TForm1& f = Window();
  double total = 0;
  size_t rows = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::vector<search::LinkingTerm> terms = f.TermLinks1->LinksHere(g_glossary->hub);
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rows = terms.size();
    if (rows < size_t(kHubLinks) * 9 / 10 && kTerms >= 50000) state.SkipWithError("too few terms link to the hub");
  }
  Record("links_here", state, total);
  state.counters["rows"] = double(rows);
}

// The same rows from a table made only for this: source key and name by target, indexed.
void BM_BareIndexedQuery(benchmark::State& state) {
  const QString path = g_glossary->dir.filePath(QStringLiteral("bare.db"));
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  {
    std::vector<search::LinkingTerm> terms = Window().TermLinks1->LinksHere(g_glossary->hub);
    sqlite3_exec(db, "DROP TABLE IF EXISTS pairs; CREATE TABLE pairs(target INTEGER, source INTEGER, word TEXT);"
                     "CREATE INDEX pairs_target ON pairs(target); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO pairs VALUES(?, ?, ?)", -1, &ins, nullptr);
    QRandomGenerator rng(7);
    // The hub's rows among as many others as the index holds links.
    for (qint64 i = 0; i < qint64(kTerms) * kLinksPerDefinition; ++i) {
      const bool hub = i % kLinksPerDefinition == 0 && size_t(i / kLinksPerDefinition) < terms.size();
      const qint64 target = hub ? g_glossary->hub : qint64(rng.bounded(kTerms)) + 1;
      const QByteArray word = (hub ? terms[size_t(i / kLinksPerDefinition)].word : g_glossary->names[size_t(i % kTerms)]).toUtf8();
      sqlite3_bind_int64(ins, 1, target == g_glossary->hub && !hub ? target + 1 : target);
      sqlite3_bind_int64(ins, 2, i / kLinksPerDefinition + 1);
      sqlite3_bind_text(ins, 3, word.constData(), int(word.size()), SQLITE_TRANSIENT);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db, "SELECT source, word FROM pairs WHERE target = ?", -1, &q, nullptr);
  double total = 0;
  size_t rows = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<search::LinkingTerm> out;
    sqlite3_bind_int64(q, 1, g_glossary->hub);
    while (sqlite3_step(q) == SQLITE_ROW)
      out.push_back(search::LinkingTerm{sqlite3_column_int64(q, 0), 0,
                                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)),
                                                          sqlite3_column_bytes(q, 1))});
    sqlite3_reset(q);
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rows = out.size();
  }
  sqlite3_finalize(q);
  sqlite3_close(db);
  Record("bare_query", state, total);
  state.counters["rows"] = double(rows);
}

// ---- following a link -----------------------------------------------------------------------

// Two terms of different letters; each iteration goes from one to the other.
struct Pair {
  qint64 key[2];
  int letter[2];
};
Pair TwoTerms() {
  // Keys 1 and 2 are on the first two letters (terms go round the alphabet).
  return Pair{{28, 29}, {1, 2}};
}

void BM_FollowLinkToAnotherLetter(benchmark::State& state) {
  app::TForm1& f = Window();
  const Pair p = TwoTerms();
  f.TermLinks1->GoToTerm(p.key[0], false);
  double total = 0;
  int i = 0;
  for (auto _ : state) {
    const int to = ++i % 2;
    const auto t0 = std::chrono::steady_clock::now();
    f.TermLinks1->Follow(QStringLiteral("termora-term:%1").arg(p.key[to]));
    QCoreApplication::processEvents();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (f.Table2IDDetail->AsInteger() != p.key[to]) state.SkipWithError("the link did not land on its term");
  }
  Record("follow", state, total);
}

void BM_ChooseLetterAndRowByHand(benchmark::State& state) {
  app::TForm1& f = Window();
  const Pair p = TwoTerms();
  // The rows the terms have in their letters, as the user sees them.
  int row[2];
  for (int k = 0; k < 2; ++k) {
    f.Table1->SetRecNo(p.letter[k]);
    f.Table2->CheckBrowseMode();
    row[k] = 0;
    for (int r = 0; r < f.Table2->RowCount(); ++r)
      if (f.Table2->RowValue(r, f.Table2IDDetail).toLongLong() == p.key[k]) row[k] = r + 1;
  }
  f.Table1->SetRecNo(p.letter[0]);
  f.Table2->SetRecNo(row[0]);
  double total = 0;
  int i = 0;
  for (auto _ : state) {
    const int to = ++i % 2;
    const auto t0 = std::chrono::steady_clock::now();
    f.Table2->CheckBrowseMode();
    f.Table1->SetRecNo(p.letter[to]);
    f.Table2->SetRecNo(row[to]);
    QCoreApplication::processEvents();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (f.Table2IDDetail->AsInteger() != p.key[to]) state.SkipWithError("the moves did not land on the term");
  }
  Record("by_hand", state, total);
}

// ---- find mentions --------------------------------------------------------------------------

search::MentionFinder* g_finder = nullptr;

void BM_FindMentions(benchmark::State& state) {
  static search::MentionFinder finder;
  if (!g_finder) {
    for (size_t k = 0; k < g_glossary->names.size(); ++k) finder.Add(qint64(k + 1), g_glossary->names[k]);
    g_finder = &finder;
  }
  // A definition of the given size: the corpus's sentences, a term's name after each.
  QRandomGenerator rng(3);
  QString text;
  while (text.toUtf8().size() < state.range(0)) {
    text += g_glossary->sentences.at(rng.bounded(g_glossary->sentences.size())) + u' ';
    text += g_glossary->names[size_t(rng.bounded(kTerms))] + QStringLiteral(". ");
  }
  double total = 0;
  size_t found = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    found = finder.Find(text).size();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (found == 0) state.SkipWithError("no mention found");
  }
  Record("mentions_" + std::to_string(state.range(0)), state, total);
  state.counters["mentions"] = double(found);
}

BENCHMARK(BM_BareIndexedQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhatLinksHere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooseLetterAndRowByHand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FollowLinkToAnotherLetter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMentions)->Arg(2048)->Arg(4096)->Arg(8192)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  g_glossary = std::make_unique<Glossary>();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  auto ratio = [](const std::string& a, const std::string& b) {
    return g_seconds.count(a) && g_seconds.count(b) && g_seconds[b] > 0 ? g_seconds[a] / g_seconds[b] : -1.0;
  };
  std::printf("\n");
  if (const double r = ratio("links_here", "bare_query"); r >= 0)
    std::printf("what links here (%d links) / bare indexed query for those rows: %.2fx (target <= 2x)\n", kHubLinks, r);
  if (const double r = ratio("follow", "by_hand"); r >= 0)
    std::printf("following a link to another letter / choosing letter and row by hand: %.2fx (target <= 1.5x)\n", r);
  if (g_seconds.count("mentions_2048"))
    std::printf("find mentions over 2 KB: %.2f ms (target <= 20 ms); 4 KB / 2 KB: %.2fx, 8 KB / 2 KB: %.2fx (linear: 2x, 4x)\n",
                g_seconds["mentions_2048"] * 1e3, ratio("mentions_4096", "mentions_2048"),
                ratio("mentions_8192", "mentions_2048"));
  g_window.reset();
  g_glossary.reset();
  return 0;
}
