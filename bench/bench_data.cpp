// links: termora_data
// Moving the master to another letter of a 50,000-term glossary (2 KB definitions): the detail's
// range, the rows the grid shows and the current definition's bytes, against the bare SQLite
// queries for the same rows run in the same process. Also the resident memory with it open
// (measured in a fresh process of this program), and the cost of the whole-file check the store
// makes when it opens a file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "data/DBGrid.h"
#include "data/DataSet.h"
#include "data/GlossaryStore.h"

using namespace data;

namespace {

constexpr int kTerms = 50000;
constexpr int kLetters = 27;
const char16_t kAlphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";

double ResidentMegabytes() {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

struct Glossary {
  QTemporaryDir dir;
  std::vector<int> ids;
  Glossary() {
    QString error;
    if (!data::CreateGlossaryTables(dir.path(), &error)) qFatal("%s", qPrintable(error));
    data::GlossaryWriter w(dir.path());
    if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
    for (int l = 0; l < kLetters; ++l) ids.push_back(w.AddLetter(QString(QChar(kAlphabet[l])), l + 1));
    QRandomGenerator rng(42);
    const QString lower = QString::fromUtf16(u"абвгдежзийклмнопрстуфхцчшщъыьэюяё");
    for (int i = 0; i < kTerms; ++i) {
      const int l = i % kLetters;
      QString word(QChar(kAlphabet[l]));
      const int len = 5 + rng.bounded(25);
      for (int k = 0; k < len; ++k) word += lower.at(rng.bounded(lower.size()));
      QByteArray def = "{\\rtf1\\ansi\\ansicpg1251 ";
      while (def.size() < 2048) def += "\\'e0\\'e1 text of the definition ";
      def += "}";
      if (!w.AddTerm(ids[l], word, def)) qFatal("%s", qPrintable(w.ErrorText()));
    }
    if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
  }
};

Glossary& TheGlossary() {
  static Glossary g;
  return g;
}

// The window's binding: letters, terms, a grid on the terms, the definition read on every move.
struct Window {
  TTable Table1;
  TDataSource DataSource1;
  TTable Table2;
  TDataSource DataSource2;
  TDBGrid* grid;
  TFieldDataLink definition;
  qint64 definitionBytes = 0;
  explicit Window(const QString& folder) : grid(new TDBGrid) {
    Table1.SetDatabaseName(folder);
    Table1.SetTableName("tableMaster");
    DataSource1.SetDataSet(&Table1);
    Table2.SetDatabaseName(folder);
    Table2.SetTableName("tableDetail.DB");
    Table2.SetIndexName("SecInxDetail");
    Table2.SetMasterFields("IDMaster");
    Table2.SetMasterSource(&DataSource1);
    DataSource2.SetDataSet(&Table2);
    grid->resize(301, 277);
    grid->SetDataSource(&DataSource2);
    grid->AddColumn("WordDetail").SetWidth(265);
    definition.SetFieldName("TextDetail");
    definition.OnDataChange = [this] {
      if (auto* f = dynamic_cast<TBlobField*>(definition.Field())) definitionBytes += f->AsBytes().size();
    };
    definition.SetDataSource(&DataSource2);
    Table1.Open();
    Table2.Open();
  }
  ~Window() { delete grid; }
  // What the grid reads to draw its visible rows.
  qint64 ReadGridRows() {
    TField* word = Table2.FieldByName("WordDetail");
    qint64 chars = 0;
    const int last = std::min(Table2.RowCount(), grid->TopRow() + grid->VisibleRowCount());
    for (int r = grid->TopRow(); r < last; ++r) chars += Table2.RowValue(r, word).toString().size();
    return chars;
  }
};

void BM_MoveMasterToAnotherLetter(benchmark::State& state) {
  Glossary& g = TheGlossary();
  Window w(g.dir.path());
  int n = 1;
  for (auto _ : state) {
    n = n % kLetters + 1;
    w.Table1.SetRecNo(n);
    benchmark::DoNotOptimize(w.ReadGridRows());
  }
  benchmark::DoNotOptimize(w.definitionBytes);
  state.counters["rows_per_letter"] = double(w.Table2.RecordCount());
}
BENCHMARK(BM_MoveMasterToAnotherLetter)->Unit(benchmark::kMicrosecond);

// The same rows straight from SQLite: the letter's range in index order with the columns the
// dataset holds, the visible words, and the first term's definition.
void BM_BareSqliteQueryForTheSameRows(benchmark::State& state) {
  Glossary& g = TheGlossary();
  sqlite3* db = nullptr;
  sqlite3_open_v2(g.dir.filePath("tableDetail.DB").toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* range = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT IDDetail, NumDetail, AssistDetail, WordDetail, VersionDetail FROM tableDetail "
                     "WHERE AssistDetail = ? ORDER BY AssistDetail, SortKeyDetail, IDDetail",
                     -1, &range, nullptr);
  sqlite3_stmt* blob = nullptr;
  sqlite3_prepare_v2(db, "SELECT TextDetail FROM tableDetail WHERE IDDetail = ?", -1, &blob, nullptr);
  int n = 0;
  qint64 bytes = 0;
  for (auto _ : state) {
    n = (n + 1) % kLetters;
    sqlite3_bind_int(range, 1, g.ids[n]);
    std::vector<std::string> words;
    std::vector<sqlite3_int64> keys;
    while (sqlite3_step(range) == SQLITE_ROW) {
      keys.push_back(sqlite3_column_int64(range, 0));
      benchmark::DoNotOptimize(sqlite3_column_int(range, 1));
      benchmark::DoNotOptimize(sqlite3_column_int(range, 2));
      words.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(range, 3)));
      benchmark::DoNotOptimize(sqlite3_column_int64(range, 4));
    }
    sqlite3_reset(range);
    sqlite3_bind_int64(blob, 1, keys.front());
    if (sqlite3_step(blob) == SQLITE_ROW) {
      std::string def(static_cast<const char*>(sqlite3_column_blob(blob, 0)), sqlite3_column_bytes(blob, 0));
      bytes += qint64(def.size());
    }
    sqlite3_reset(blob);
    benchmark::DoNotOptimize(words.data());
  }
  benchmark::DoNotOptimize(bytes);
  sqlite3_finalize(range);
  sqlite3_finalize(blob);
  sqlite3_close(db);
}
BENCHMARK(BM_BareSqliteQueryForTheSameRows)->Unit(benchmark::kMicrosecond);

// For information: the move plus painting the grid, which the program does on the next paint.
void BM_MoveMasterAndPaintTheGrid(benchmark::State& state) {
  Glossary& g = TheGlossary();
  Window w(g.dir.path());
  QImage image(w.grid->size(), QImage::Format_ARGB32_Premultiplied);
  int n = 1;
  for (auto _ : state) {
    n = n % kLetters + 1;
    w.Table1.SetRecNo(n);
    w.grid->render(&image);
  }
}
BENCHMARK(BM_MoveMasterAndPaintTheGrid)->Unit(benchmark::kMicrosecond);

// For information: opening both tables of the large glossary, as the window does at start.
void BM_OpenBothTables(benchmark::State& state) {
  Glossary& g = TheGlossary();
  for (auto _ : state) {
    Window w(g.dir.path());
    benchmark::DoNotOptimize(w.Table2.RecordCount());
  }
}
BENCHMARK(BM_OpenBothTables)->Unit(benchmark::kMillisecond);

// The whole-file check the store runs when it opens a file of up to 50 MB: its cost
// on both files of the large glossary, with their size, to show where that limit stands.
void BM_QuickCheckOfBothFiles(benchmark::State& state) {
  Glossary& g = TheGlossary();
  double megabytes = 0;
  for (auto _ : state) {
    megabytes = 0;
    for (const char* name : {"tableMaster.DB", "tableDetail.DB"}) {
      const QString path = g.dir.filePath(QString::fromLatin1(name));
      megabytes += double(QFileInfo(path).size()) / (1024 * 1024);
      sqlite3* db = nullptr;
      sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
      sqlite3_stmt* s = nullptr;
      sqlite3_prepare_v2(db, "PRAGMA quick_check(100)", -1, &s, nullptr);
      const bool ok = sqlite3_step(s) == SQLITE_ROW &&
                      std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) == "ok";
      sqlite3_finalize(s);
      sqlite3_close(db);
      if (!ok) state.SkipWithError("the check did not pass");
    }
  }
  state.counters["file_MB"] = megabytes;
}
BENCHMARK(BM_QuickCheckOfBothFiles)->Unit(benchmark::kMillisecond);

// Resident memory of a process with the glossary open, after visiting every letter. The
// glossary is built in this process (which grows it for good), so a fresh process of this same
// program opens it and reports what it holds before and after.
void BM_ResidentMemoryWithTheGlossaryOpen(benchmark::State& state) {
  Glossary& g = TheGlossary();
  double before = 0, open = 0;
  for (auto _ : state) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--resident-child"), g.dir.path()});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
      state.SkipWithError("the measuring process failed");
      return;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3 || figures[0] != "rss") {
      state.SkipWithError("the measuring process said nothing");
      return;
    }
    before = figures[1].toDouble();
    open = figures[2].toDouble();
  }
  state.counters["rss_before_open_MB"] = before;
  state.counters["rss_open_MB"] = open;
  state.counters["rss_added_MB"] = open - before;
}
BENCHMARK(BM_ResidentMemoryWithTheGlossaryOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

// The measuring process: opens the glossary in `folder`, visits every letter with the grid
// reading its rows and the definition read on every move, and reports its resident memory.
int ResidentChild(const QString& folder) {
  const double before = ResidentMegabytes();
  Window w(folder);
  qint64 rows = 0;
  for (int n = 1; n <= kLetters; ++n) {
    w.Table1.SetRecNo(n);
    rows += w.Table2.RecordCount();
    w.ReadGridRows();
  }
  if (rows != kTerms || w.definitionBytes == 0) return 1;  // not open, or nothing read
  const double open = ResidentMegabytes();
  std::printf("rss %.1f %.1f\n", before, open);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc == 3 && QByteArray(argv[1]) == "--resident-child") return ResidentChild(QString::fromLocal8Bit(argv[2]));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
