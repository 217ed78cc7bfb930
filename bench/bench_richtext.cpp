// links: termora_richtext termora_engine termora_data termora_platform Qt6::Widgets
// The control's transfers against the engine doing the same work directly: loading a long
// definition into the control through the memory stream and the chunked stream-in, and copying
// one control's contents into another, each beside the bare engine call on the same bytes.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "richtext/qvriched.h"

using namespace richtext;

namespace {
QByteArray LongDefinition() {
  QByteArray R = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}\\pard ";
  for (int I = 0; I < 2000; ++I) {
    R += "{\\b term" + QByteArray::number(I) + "} ";
    R += "\\'cf\\'f7\\'e5\\'eb\\'e0 collects nectar and pollen from the flowers of the field. ";
    if (I % 20 == 19) R += "\\par\r\n";
  }
  return R + "}";
}

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_richtext";
  static char* Argv[] = {Name, nullptr};
  // No display is needed to measure, as in the other benchmarks.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication A(Argc, Argv);
  return A;
}

void ControlLoad(benchmark::State& State) {
  App();
  const QByteArray Bytes = LongDefinition();
  TqvDBRichEdit Edit;
  Edit.resize(500, 300);
  Edit.HandleNeeded();
  for (auto _ : State) {
    TqvRichMemoryStream Stream;
    Stream.WriteBuffer(Bytes);
    Stream.SetPosition(0);
    Edit.EngineLines().Clear();
    Edit.EngineLines().LoadFromStream(Stream);
  }
  if (Edit.Engine()->TextLength() < 100000) State.SkipWithError("the definition did not load");
  State.SetBytesProcessed(State.iterations() * Bytes.size());
}

void EngineLoad(benchmark::State& State) {
  App();
  const QByteArray Bytes = LongDefinition();
  engine::TRichEngine Engine;
  Engine.resize(500, 300);
  for (auto _ : State) Engine.LoadRtf(Bytes);
  if (Engine.TextLength() < 100000) State.SkipWithError("the definition did not load");
  State.SetBytesProcessed(State.iterations() * Bytes.size());
}

void ControlCopy(benchmark::State& State) {
  App();
  TqvDBRichEdit Source, Target;
  Source.resize(500, 300);
  Target.resize(500, 300);
  Source.HandleNeeded();
  Target.HandleNeeded();
  Source.Engine()->LoadRtf(LongDefinition());
  for (auto _ : State) CopyRichText(&Source, &Target);
  if (Target.Engine()->TextLength() != Source.Engine()->TextLength()) State.SkipWithError("the copy is not whole");
}

void EngineCopy(benchmark::State& State) {
  App();
  engine::TRichEngine Source, Target;
  Source.LoadRtf(LongDefinition());
  for (auto _ : State) Target.LoadRtf(Source.SaveRtf());
  if (Target.TextLength() != Source.TextLength()) State.SkipWithError("the copy is not whole");
}
}  // namespace

BENCHMARK(ControlLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(ControlCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineCopy)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
