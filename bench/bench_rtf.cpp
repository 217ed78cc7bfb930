// links: termora_rtf
// The RTF reader and writer on a generated 1 MB document of mixed formatted Cyrillic text:
// reading it into a QTextDocument against Qt importing the same document from its own HTML
// (setHtml), writing it against toHtml, and the peak memory of loading a 10 MB document; and the
// same read and write of a 1 MB document with tables and nested lists.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <cstdio>
#include <cstring>
#include <malloc.h>

#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"

namespace {

// A glossary-like text: paragraphs of Cyrillic words in runs of changing formats.
std::unique_ptr<QTextDocument> MakeDocument(qsizetype rtfBytes) {
  static const char* const words[] = {
      "пчела", "улей", "мёд", "соты", "матка", "трутень", "роение", "воск", "прополис",
      "нектар", "пыльца", "леток", "рамка", "магазин", "пасека", "медогонка", "забрус",
      "перга", "расплод", "печатка", "Apis", "mellifera", "варроа", "нозематоз"};
  const int nWords = int(sizeof(words) / sizeof(words[0]));
  const QColor colors[] = {QColor(0, 0, 0), QColor(200, 0, 0), QColor(0, 100, 0),
                           QColor(0, 0, 180)};
  auto doc = std::make_unique<QTextDocument>();
  QTextCursor c(doc.get());
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  qsizetype estimate = 0;
  bool first = true;
  while (estimate < rtfBytes) {
    QTextBlockFormat bf;
    rtf::SetAlignment(bf, 1 + int(next() % 4));
    rtf::SetIndents(bf, int(next() % 4) * 360, 0, int(next() % 2) * 360);
    rtf::SetSpaceAfter(bf, 120);
    if (first) c.setBlockFormat(bf);
    else c.insertBlock(bf);
    first = false;
    const int runs = 8 + int(next() % 8);
    for (int r = 0; r < runs; ++r) {
      QTextCharFormat f;
      f.setFontFamilies({QStringLiteral("Arial")});
      f.setFontPointSize(10 + int(next() % 4) * 2);
      if (next() % 3 == 0) f.setFontWeight(QFont::Bold);
      if (next() % 4 == 0) f.setFontItalic(true);
      if (next() % 6 == 0) f.setFontUnderline(true);
      f.setForeground(colors[next() % 4]);
      QString text;
      const int n = 1 + int(next() % 5);
      for (int w = 0; w < n; ++w) text += QString::fromUtf8(words[next() % nWords]) + u' ';
      c.insertText(text, f);
      // Roughly: a Cyrillic letter is 4 bytes of RTF, a format switch some 25.
      estimate += text.size() * 4 + 25;
    }
  }
  return doc;
}

struct Sample {
  QByteArray rtf;
  QString html;
  std::unique_ptr<QTextDocument> doc;
};

const Sample& OneMegabyte() {
  static Sample s = [] {
    Sample x;
    auto generated = MakeDocument(1400000);
    x.rtf = rtf::WriteRtf(*generated);
    // Both importers get the same document: the one the RTF reads into.
    x.doc = std::make_unique<QTextDocument>();
    QTextCursor c(x.doc.get());
    rtf::ReadRtf(x.rtf, c);
    x.html = x.doc->toHtml();
    return x;
  }();
  return s;
}

void BM_ReadRtf(benchmark::State& state) {
  const Sample& s = OneMegabyte();
  for (auto _ : state) {
    QTextDocument doc;
    QTextCursor c(&doc);
    rtf::ReadRtf(s.rtf, c);
    benchmark::DoNotOptimize(doc.characterCount());
  }
  state.SetBytesProcessed(state.iterations() * s.rtf.size());
  state.counters["rtf_bytes"] = double(s.rtf.size());
}

void BM_SetHtml(benchmark::State& state) {
  const Sample& s = OneMegabyte();
  for (auto _ : state) {
    QTextDocument doc;
    doc.setHtml(s.html);
    benchmark::DoNotOptimize(doc.characterCount());
  }
  state.counters["html_bytes"] = double(s.html.toUtf8().size());
}

void BM_WriteRtf(benchmark::State& state) {
  const Sample& s = OneMegabyte();
  for (auto _ : state) benchmark::DoNotOptimize(rtf::WriteRtf(*s.doc).size());
}

void BM_ToHtml(benchmark::State& state) {
  const Sample& s = OneMegabyte();
  for (auto _ : state) benchmark::DoNotOptimize(s.doc->toHtml().size());
}

// The same kind of text with tables (merged cells, a nested table) and two-level numbered lists
// between its paragraphs, about `rtfBytes` of RTF.
QByteArray TablesAndListsRtf(qsizetype rtfBytes) {
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
      "{\\colortbl;\\red200\\green0\\blue0;\\red255\\green255\\blue153;}"
      "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc1\\levelstartat1{\\leveltext\\'02\\'00.;}"
      "{\\levelnumbers\\'01;}\\fi-360\\li720}{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'04\\'00.\\'01.;}"
      "{\\levelnumbers\\'01\\'03;}\\fi-720\\li1440}\\listid1}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\viewkind4\\uc1 ";
  static const char* const words[] = {"\\'ef\\'f7\\'e5\\'eb\\'e0", "\\'f3\\'eb\\'e5\\'e9", "\\'ec\\'b8\\'e4",
                                      "\\'f1\\'ee\\'f2\\'fb", "\\'e2\\'ee\\'f1\\'ea", "nectar"};
  int n = 0;
  auto words6 = [&](int count) {
    QByteArray out;
    for (int w = 0; w < count; ++w, ++n) {
      if (n % 5 == 0) out += QByteArray("{\\b ") + words[n % 6] + "} ";
      else if (n % 7 == 0) out += QByteArray("{\\i\\cf1 ") + words[n % 6] + "} ";
      else out += QByteArray(words[n % 6]) + ' ';
    }
    return out;
  };
  while (rtf.size() < rtfBytes) {
    for (int p = 0; p < 3; ++p) rtf += "\\pard\\sa120 " + words6(30) + "\\par\r\n";
    for (int item = 0; item < 4; ++item)
      rtf += QByteArray(item % 2 ? "\\pard\\fi-720\\li1440\\ls1\\ilvl1 " : "\\pard\\fi-360\\li720\\ls1\\ilvl0 ") +
             words6(8) + "\\par\r\n";
    for (int row = 0; row < 4; ++row) {
      rtf += row == 0 ? "\\trowd\\trgaph108\\clcbpat2\\clmgf\\cellx2000\\clmrg\\cellx4000\\cellx6000\r\n"
                      : "\\trowd\\trgaph108\\clbrdrb\\brdrs\\brdrw10\\cellx2000\\cellx4000\\cellx6000\r\n";
      for (int cell = 0; cell < 3; ++cell) {
        if (row == 2 && cell == 2) {
          rtf += "\\pard\\intbl\\itap2 " + words6(2) + "\\nestcell " + words6(2) +
                 "\\nestcell{\\*\\nesttableprops\\trowd\\cellx900\\cellx1800\\nestrow}{\\nonesttables\\par}"
                 "\\pard\\intbl\\itap1\\cell\r\n";
          continue;
        }
        rtf += "\\pard\\intbl " + words6(6) + "\\cell\r\n";
      }
      rtf += row == 2 ? "\\trowd\\trgaph108\\clbrdrb\\brdrs\\brdrw10\\cellx2000\\cellx4000\\cellx6000\\row\r\n"
                      : "\\row\r\n";
    }
  }
  return rtf + "\\pard\\par}";
}

const Sample& TablesAndLists() {
  static Sample s = [] {
    Sample x;
    const QByteArray source = TablesAndListsRtf(1024 * 1024);
    auto read = std::make_unique<QTextDocument>();
    QTextCursor c(read.get());
    rtf::ReadRtf(source, c);
    x.rtf = rtf::WriteRtf(*read);
    x.doc = std::make_unique<QTextDocument>();
    QTextCursor c2(x.doc.get());
    rtf::ReadRtf(x.rtf, c2);
    x.html = x.doc->toHtml();
    return x;
  }();
  return s;
}

int TablesIn(const QTextDocument& doc) {
  int n = 0;
  for (QTextFrame* f : doc.rootFrame()->childFrames()) n += qobject_cast<QTextTable*>(f) != nullptr;
  return n;
}

void BM_ReadRtfTablesAndLists(benchmark::State& state) {
  const Sample& s = TablesAndLists();
  const int tables = TablesIn(*s.doc);
  for (auto _ : state) {
    QTextDocument doc;
    QTextCursor c(&doc);
    rtf::ReadRtf(s.rtf, c);
    if (TablesIn(doc) != tables || doc.characterCount() != s.doc->characterCount()) state.SkipWithError("not read whole");
  }
  state.counters["rtf_bytes"] = double(s.rtf.size());
  state.counters["tables"] = tables;
}

void BM_SetHtmlTablesAndLists(benchmark::State& state) {
  const Sample& s = TablesAndLists();
  for (auto _ : state) {
    QTextDocument doc;
    doc.setHtml(s.html);
    if (TablesIn(doc) == 0) state.SkipWithError("no tables");
  }
  state.counters["html_bytes"] = double(s.html.toUtf8().size());
}

void BM_WriteRtfTablesAndLists(benchmark::State& state) {
  const Sample& s = TablesAndLists();
  for (auto _ : state)
    if (rtf::WriteRtf(*s.doc).size() != s.rtf.size()) state.SkipWithError("not written whole");
}

void BM_ToHtmlTablesAndLists(benchmark::State& state) {
  const Sample& s = TablesAndLists();
  for (auto _ : state) benchmark::DoNotOptimize(s.doc->toHtml().size());
}

long StatusKb(const char* key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long value = -1;
  const size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0) value = std::atol(line + n + 1);
  std::fclose(f);
  return value;
}

// Peak resident memory added by loading a 10 MB document, as a multiple of its size. The
// kernel's peak counter is reset just before the load.
void BM_PeakMemoryLoading10MB(benchmark::State& state) {
  QByteArray rtf;
  {
    auto generated = MakeDocument(14000000);
    rtf = rtf::WriteRtf(*generated);
  }
  malloc_trim(0);
  double ratio = 0;
  for (auto _ : state) {
    FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (clear) {
      std::fputs("5", clear);
      std::fclose(clear);
    }
    const long before = StatusKb("VmRSS:");
    {
      QTextDocument doc;
      QTextCursor c(&doc);
      rtf::ReadRtf(rtf, c);
      benchmark::DoNotOptimize(doc.characterCount());
    }
    const long peak = StatusKb("VmHWM:");
    ratio = double(peak - before) * 1024.0 / double(rtf.size());
    malloc_trim(0);
  }
  state.counters["rtf_bytes"] = double(rtf.size());
  state.counters["peak_over_size"] = ratio;
}

}  // namespace

BENCHMARK(BM_PeakMemoryLoading10MB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtfTablesAndLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlTablesAndLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtfTablesAndLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToHtmlTablesAndLists)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
