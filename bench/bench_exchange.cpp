// links: termora_app termora_exchange termora_data
// Exchanging terms with a generated 50,000-term glossary (2 KB RTF definitions), each measured
// beside its baseline in the same run:
//  - export to TBX (reading the glossary, turning each definition into text, writing the file)
//    against writing the same text with QXmlStreamWriter alone;
//  - import of that file into an empty glossary (reading it, setting it against the glossary,
//    storing it in one transaction) against the glossary builder's bulk write of the same terms;
//  - the review of a 50,000-term import against a 50,000-term glossary (every term a conflict):
//    from the file to the window's first screen shown, against its target of 1 s (and, for
//    comparison, until every term is listed, and reading it all before the window is made).
// Each checks its work. TERMORA_BENCH_TERMS makes a smaller glossary for a quick look.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QXmlStreamWriter>
#include <chrono>
#include <cstdio>
#include <map>

#include "app/ImportReview.h"
#include "data/GlossaryStore.h"
#include "data/TermReader.h"
#include "exchange/Export.h"
#include "exchange/Import.h"

namespace {

const int kTerms = qEnvironmentVariableIsSet("TERMORA_BENCH_TERMS") ? qEnvironmentVariableIntValue("TERMORA_BENCH_TERMS")
                                                                    : 50000;
const char16_t kAlphabet[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";
const QStringList kWords = QString::fromUtf8(
    "пчела матка трутень сота мёд воск прополис нектар пыльца леток улей рамка рой семья "
    "расплод личинка куколка перга забрус вощина медогонка дымарь клещ зимовка взяток")
                               .split(' ');

QByteArray Definition(QRandomGenerator& rng, int variant) {
  QString text;
  while (text.size() < 900) text += kWords.at(rng.bounded(kWords.size())) + QLatin1Char(' ');
  text += QString::number(variant);
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}\r\n"
                   "\\viewkind4\\uc1\\pard\\qj\\f0\\fs24 ";
  for (QChar c : text) {
    const ushort u = c.unicode();
    if (u < 0x80) {
      rtf += char(u);
    } else {
      // Cyrillic in code page 1251: А (0x410) is 0xC0, ё is 0xB8.
      const int b = u == 0x451 ? 0xB8 : u == 0x401 ? 0xA8 : u - 0x410 + 0xC0;
      rtf += "\\'" + QByteArray::number(b, 16);
    }
  }
  return rtf + "\\par\r\n}\r\n";
}

struct Term {
  int letter;
  QString word;
  QByteArray definition;
};

std::vector<Term> MakeTerms(int variant) {
  QRandomGenerator rng(28);
  std::vector<Term> terms;
  for (int i = 0; i < kTerms; ++i) {
    const int l = i % 27;
    terms.push_back({l, QString(QChar(kAlphabet[l])) + QStringLiteral("термин %1").arg(i), Definition(rng, variant)});
  }
  return terms;
}

void Write(const QString& folder, const std::vector<Term>& terms, bool withTerms = true) {
  QString error;
  if (!data::CreateGlossaryTables(folder, &error)) qFatal("%s", qPrintable(error));
  data::GlossaryWriter w(folder);
  if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
  std::vector<int> ids;
  for (int l = 0; l < 27; ++l) ids.push_back(w.AddLetter(QString(QChar(kAlphabet[l])), l + 1));
  if (withTerms)
    for (const Term& t : terms)
      if (!w.AddTerm(ids[size_t(t.letter)], t.word, t.definition)) qFatal("%s", qPrintable(w.ErrorText()));
  if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
}

qint64 Count(const QString& folder) {
  data::TermReader r;
  qint64 n = -1;
  if (!r.Open(folder).Ok() || !r.Count(&n).Ok()) return -1;
  return n;
}

QTemporaryDir* g_dir;
std::vector<Term>* g_terms;
std::map<std::string, double> g_seconds;
int g_run = 0;

QString Fresh(const char* name) { return g_dir->filePath(QStringLiteral("%1-%2").arg(name).arg(++g_run)); }

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_ExportTbx(benchmark::State& state) {
  for (auto _ : state) {
    const QString file = Fresh("export.tbx");
    const auto t0 = std::chrono::steady_clock::now();
    QList<exchange::Term> terms;
    QString error;
    if (!exchange::ReadGlossaryTerms(g_dir->filePath("glossary"), {}, &terms, &error) ||
        !exchange::WriteTerms(terms, exchange::Format::Tbx, file, nullptr, &error))
      state.SkipWithError(qPrintable(error));
    g_seconds["export"] = Since(t0);
    if (terms.size() != kTerms || terms.back().text.size() < 900) state.SkipWithError("not every term was exported");
    QFile::remove(g_dir->filePath("export.tbx"));
    QFile::rename(file, g_dir->filePath("export.tbx"));
  }
}

void BM_QXmlStreamWriterAlone(benchmark::State& state) {
  // The same text: every name, definition text and stored definition, already in memory.
  QList<exchange::Term> terms;
  QString error;
  if (!exchange::ReadGlossaryTerms(g_dir->filePath("glossary"), {}, &terms, &error)) state.SkipWithError("read");
  for (auto _ : state) {
    QFile f(Fresh("plain.xml"));
    const auto t0 = std::chrono::steady_clock::now();
    if (!f.open(QIODevice::WriteOnly)) state.SkipWithError("cannot write");
    QXmlStreamWriter w(&f);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("body"));
    for (const exchange::Term& t : terms) {
      w.writeStartElement(QStringLiteral("termEntry"));
      w.writeTextElement(QStringLiteral("term"), t.name);
      w.writeTextElement(QStringLiteral("descrip"), t.text);
      w.writeTextElement(QStringLiteral("definition"), QString::fromLatin1(t.rtf));
      w.writeEndElement();
    }
    w.writeEndDocument();
    f.close();
    g_seconds["xmlwriter"] = Since(t0);
    if (f.size() < qint64(kTerms) * 1000) state.SkipWithError("too little was written");
  }
}

void BM_ImportTbxIntoEmpty(benchmark::State& state) {
  for (auto _ : state) {
    const QString folder = Fresh("empty");
    Write(folder, {}, false);
    const auto t0 = std::chrono::steady_clock::now();
    exchange::Document doc;
    exchange::Plan plan;
    exchange::ImportSummary s;
    QString error;
    if (!exchange::ReadExchangeFile(g_dir->filePath("export.tbx"), &doc, &error) ||
        !exchange::MakePlan(folder, doc, &plan, &error) || !exchange::ApplyPlan(plan, &s, &error))
      state.SkipWithError(qPrintable(error));
    g_seconds["import"] = Since(t0);
    if (s.added != kTerms || Count(folder) != kTerms) state.SkipWithError("not every term was imported");
  }
}

void BM_BuilderBulkWrite(benchmark::State& state) {
  for (auto _ : state) {
    const QString folder = Fresh("built");
    const auto t0 = std::chrono::steady_clock::now();
    Write(folder, *g_terms);
    g_seconds["builder"] = Since(t0);
    if (Count(folder) != kTerms) state.SkipWithError("not every term was written");
  }
}

void BM_ReviewFirstScreen(benchmark::State& state) {
  // A file whose every term differs from the glossary's.
  const QString file = g_dir->filePath("changed.tbx");
  {
    const QString other = Fresh("other");
    Write(other, MakeTerms(1));
    QList<exchange::Term> terms;
    QString error;
    if (!exchange::ReadGlossaryTerms(other, {}, &terms, &error) ||
        !exchange::WriteTerms(terms, exchange::Format::Tbx, file, nullptr, &error))
      state.SkipWithError(qPrintable(error));
  }
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    app::TImportReview review(g_dir->filePath("glossary"), file);
    review.show();
    QApplication::processEvents();
    g_seconds["review"] = Since(t0);
    if (!review.isVisible()) state.SkipWithError("the review was not shown");
    // Then the whole list, read and compared in the background.
    while (review.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    g_seconds["review-listed"] = Since(t0);
    if (review.Plan().Count(exchange::ItemKind::Conflict) != kTerms || review.Items->model()->rowCount() != kTerms)
      state.SkipWithError("the review does not list every conflict");
  }
}

void BM_ReviewReadFirst(benchmark::State& state) {
  // For comparison: reading and comparing the whole file before the window is made.
  const QString file = g_dir->filePath("changed.tbx");
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    exchange::Document doc;
    exchange::Plan plan;
    QString error;
    if (!exchange::ReadExchangeFile(file, &doc, &error) ||
        !exchange::MakePlan(g_dir->filePath("glossary"), doc, &plan, &error))
      state.SkipWithError(qPrintable(error));
    app::TImportReview review(std::move(plan), file);
    review.show();
    QApplication::processEvents();
    g_seconds["review-read-first"] = Since(t0);
    if (review.Items->model()->rowCount() != kTerms) state.SkipWithError("the review does not list every conflict");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  benchmark::Initialize(&argc, argv);
  QTemporaryDir dir;
  g_dir = &dir;
  std::vector<Term> terms = MakeTerms(0);
  g_terms = &terms;
  Write(dir.filePath("glossary"), terms);
  BENCHMARK(BM_QXmlStreamWriterAlone)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  BENCHMARK(BM_ExportTbx)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  BENCHMARK(BM_BuilderBulkWrite)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  BENCHMARK(BM_ImportTbxIntoEmpty)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  BENCHMARK(BM_ReviewFirstScreen)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  BENCHMARK(BM_ReviewReadFirst)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  std::printf("\nexport to TBX / QXmlStreamWriter alone: %.2f (target <= 2)\n", g_seconds["export"] / g_seconds["xmlwriter"]);
  std::printf("import into an empty glossary / builder's bulk write: %.2f (target <= 2)\n",
              g_seconds["import"] / g_seconds["builder"]);
  std::printf("review of %d conflicts, first screen: %.2f s (target <= 1 s); every term listed: %.2f s; "
              "reading it all before showing: %.2f s\n",
              kTerms, g_seconds["review"], g_seconds["review-listed"], g_seconds["review-read-first"]);
  return 0;
}
