// links: termora_rtf
// The RTF reader and writer on a generated 1 MB document of mixed formatted Cyrillic text:
// reading it into a QTextDocument against Qt importing the same document from its own HTML
// (setHtml), writing it against toHtml, and the peak memory of loading a 10 MB document.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
