// links: termora_book termora_glossary Qt6::Widgets Qt6::PrintSupport
// The glossary as a book. The bundled glossary to PDF through the program's printing path beside
// QTextDocument::print of one document holding the same formatted content (the target: at most
// 1.5 times its time); the generated glossary (2 KB definitions) to PDF and to HTML at 5,000 and
// 50,000 terms, with the time per term (the target: within 1.3 times from 5,000 to 50,000) and the
// process's peak resident memory (the target: below 500 MB at 50,000).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <map>

#include "book/Book.h"
#include "book/BookEntries.h"
#include "data/GlossaryStore.h"
#include "glossary/GlossaryBuild.h"
#include "platform/Printer.h"
#include "rtf/RtfReader.h"
#include "rtf/TextObjects.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_book";
  static char* argv[] = {name, nullptr};
  static QApplication a(argc, argv);
  return a;
}

double PeakMegabytes() {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  return 0;
}

// The PDF printer, writing where the benchmark says, on A4.
void PdfPrinterOnly(const QString& path) {
  platform::TPrinterSetup setup;
  setup.Printers = {platform::TPrinter::PdfPrinterName()};
  setup.PdfPath = path;
  platform::SetPrinterSetup(setup);
  platform::Printer().SetPrinterIndex(0);
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpA4;
  platform::Printer().SetPrinterIndex(0);
}

struct Bundled {
  QTemporaryDir dir;
  Bundled() {
    App();
    const QString source = QDir(QStringLiteral(TERMORA_SOURCE_ROOT)).filePath(QStringLiteral("glossary/terms"));
    QString out, err;
    QTextStream o(&out), e(&err);
    if (glossary::RunBuilder(source, dir.path(), o, e) != 0) qFatal("building the glossary: %s", qPrintable(err));
  }
};
Bundled& TheBundled() {
  static Bundled b;
  return b;
}

void BundledGlossaryToPdf(benchmark::State& state) {
  Bundled& g = TheBundled();
  book::BookSource source;
  QString error;
  std::vector<book::BookLetter> plan;
  if (!source.Open(g.dir.path(), &error) || !source.Plan({}, &plan, &error)) return state.SkipWithError(qPrintable(error));
  const QString path = g.dir.filePath("book.pdf");
  PdfPrinterOnly(g.dir.filePath("unused.pdf"));
  book::BookOptions o;
  o.overwrite = true;
  int pages = 0;
  for (auto _ : state) {
    const book::Result r = book::WritePdf(source, plan, o, path);
    if (!r.Ok()) return state.SkipWithError(qPrintable(r.message));
    pages = r.pages;
  }
  state.counters["terms"] = book::TermCount(plan);
  state.counters["pages"] = pages;
}

// The same entries in one document, printed by the toolkit.
void BundledGlossaryQTextDocumentPrint(benchmark::State& state) {
  Bundled& g = TheBundled();
  book::BookSource source;
  QString error;
  std::vector<book::BookLetter> plan;
  if (!source.Open(g.dir.path(), &error) || !source.Plan({}, &plan, &error)) return state.SkipWithError(qPrintable(error));
  QTextDocument doc;
  doc.setDefaultFont(book::BookFont());
  rtf::RegisterTextObjects(&doc);
  std::vector<int> starts;
  int done = 0;
  for (const book::BookLetter& l : plan) {
    std::vector<book::BookTerm> terms;
    source.Terms(l, &terms, &error);
    book::AppendEntries(terms, &doc, &starts, {}, &done, 0);
  }
  const QString path = g.dir.filePath("document.pdf");
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    doc.print(&printer);
  }
}

// A generated glossary of n terms over 27 letters, 2 KB definitions.
const QString& Generated(int n) {
  static std::map<int, std::unique_ptr<QTemporaryDir>> made;
  static std::map<int, QString> paths;
  auto& dir = made[n];
  if (!dir) {
    App();
    dir = std::make_unique<QTemporaryDir>();
    QString error;
    if (!data::CreateGlossaryTables(dir->path(), &error)) qFatal("%s", qPrintable(error));
    data::GlossaryWriter w(dir->path());
    if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
    const char16_t alphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";
    std::vector<int> ids;
    for (int l = 0; l < 27; ++l) ids.push_back(w.AddLetter(QString(QChar(alphabet[l])), l + 1));
    QRandomGenerator rng(42);
    const QString lower = QString::fromUtf16(u"абвгдежзийклмнопрстуфхцчшщъыьэюяё");
    for (int i = 0; i < n; ++i) {
      const int l = i % 27;
      QString word(QChar(alphabet[l]));
      const int len = 5 + rng.bounded(25);
      for (int k = 0; k < len; ++k) word += lower.at(rng.bounded(lower.size()));
      QByteArray def = "{\\rtf1\\ansi\\ansicpg1251 ";
      while (def.size() < 2048) def += "\\'e0\\'e1 text of the definition ";
      def += "}";
      if (!w.AddTerm(ids[size_t(l)], word, def)) qFatal("%s", qPrintable(w.ErrorText()));
    }
    if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
    paths[n] = dir->path();
  }
  return paths[n];
}

void GeneratedToPdf(benchmark::State& state) {
  const int n = int(state.range(0));
  const QString folder = Generated(n);
  book::BookSource source;
  QString error;
  std::vector<book::BookLetter> plan;
  if (!source.Open(folder, &error) || !source.Plan({}, &plan, &error)) return state.SkipWithError(qPrintable(error));
  PdfPrinterOnly(folder + "/unused.pdf");
  book::BookOptions o;
  o.overwrite = true;
  o.columns = 2;
  int pages = 0;
  for (auto _ : state) {
    const book::Result r = book::WritePdf(source, plan, o, folder + "/book.pdf");
    if (!r.Ok()) return state.SkipWithError(qPrintable(r.message));
    pages = r.pages;
  }
  state.counters["pages"] = pages;
  state.counters["s_per_term"] = benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate |
                                                                    benchmark::Counter::kInvert);
  state.counters["peak_MB"] = PeakMegabytes();
}

void GeneratedToHtml(benchmark::State& state) {
  const int n = int(state.range(0));
  const QString folder = Generated(n);
  book::BookSource source;
  QString error;
  std::vector<book::BookLetter> plan;
  if (!source.Open(folder, &error) || !source.Plan({}, &plan, &error)) return state.SkipWithError(qPrintable(error));
  book::BookOptions o;
  o.overwrite = true;
  for (auto _ : state) {
    const book::Result r = book::WriteHtml(source, plan, o, folder + "/site");
    if (!r.Ok()) return state.SkipWithError(qPrintable(r.message));
  }
  state.counters["s_per_term"] = benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate |
                                                                    benchmark::Counter::kInvert);
  state.counters["peak_MB"] = PeakMegabytes();
}

}  // namespace

BENCHMARK(BundledGlossaryToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BundledGlossaryQTextDocumentPrint)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(GeneratedToHtml)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(GeneratedToPdf)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
