// links: termora_richtext termora_engine termora_data termora_platform Qt6::Widgets
// Loading a definition that holds a large embedded photo: stream-in and first paint, beside the
// two things it cannot do without (decoding the photo, loading the same definition without it),
// measured in the same run; and the peak memory the load takes over the definition's bytes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <fstream>
#include <malloc.h>
#include <string>

#include "platform/FileObject.h"
#include "richtext/qvriched.h"
#include "richtext/qvricholeobject.h"

using namespace richtext;

namespace {
QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_objects";
  static char* Argv[] = {Name, nullptr};
  static QApplication A(Argc, Argv);
  return A;
}

// A photo-like JPEG of about 5 MB: smooth light with fine grain, as a camera gives.
const QByteArray& Photo() {
  static const QByteArray Bytes = [] {
    QImage Img(3600, 2700, QImage::Format_RGB32);
    QRandomGenerator Rng(42);
    for (int Y = 0; Y < Img.height(); ++Y) {
      auto* Row = reinterpret_cast<QRgb*>(Img.scanLine(Y));
      for (int X = 0; X < Img.width(); ++X) {
        const int G = int(Rng.bounded(48));
        Row[X] = qRgb((X / 15 + G) & 255, (Y / 11 + G) & 255, ((X + Y) / 20 + G) & 255);
      }
    }
    QByteArray Out;
    QBuffer B(&Out);
    B.open(QIODevice::WriteOnly);
    Img.save(&B, "JPEG", 92);
    return Out;
  }();
  return Bytes;
}

const QByteArray kText =
    "\\pard Honey frames are stored in a dry, cool room; the photo shows a full super before extraction.\\par\r\n";

QByteArray Definition(bool WithPhoto) {
  QByteArray Rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}\\viewkind4\\uc1";
  Rtf += kText;
  if (WithPhoto) {
    static const QByteArray Group = [] {
      QTemporaryDir Dir;
      QFile F(Dir.filePath(QStringLiteral("super.jpg")));
      F.open(QIODevice::WriteOnly);
      F.write(Photo());
      F.close();
      QString Why;
      TqvFileOleObject Host(platform::TFileObject::FromFile(F.fileName(), false, &Why));
      return Host.ObjectRtf();
    }();
    Rtf += Group + "\\par\r\n";
  }
  return Rtf + kText + "}";
}

// Loads the bytes as the control loads a field, then paints the control once.
void LoadAndPaint(TqvDBRichEdit& Edit, const QByteArray& Bytes, QImage& Canvas) {
  Edit.EngineLines().LoadFromBytes(Bytes);
  QPainter P(&Canvas);
  Edit.render(&P);
}

void Check(benchmark::State& State, TqvDBRichEdit& Edit, int Objects) {
  engine::IRichEditOle* Ole = Edit.RichEditOle();
  if (Edit.GetTextLen() < 100 || !Ole || Ole->GetObjectCount() != Objects) State.SkipWithError("nothing was loaded");
}

void DecodePhoto(benchmark::State& State) {
  App();
  const QByteArray& Bytes = Photo();
  for (auto _ : State) {
    QImage Img = QImage::fromData(Bytes);
    if (Img.isNull()) State.SkipWithError("the photo did not decode");
    benchmark::DoNotOptimize(Img.bits());
  }
  State.counters["photo_MB"] = double(Bytes.size()) / (1024 * 1024);
}

void LoadWithoutPhoto(benchmark::State& State) {
  App();
  const QByteArray Bytes = Definition(false);
  TqvDBRichEdit Edit;
  Edit.resize(500, 400);
  Edit.HandleNeeded();
  QImage Canvas(500, 400, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : State) LoadAndPaint(Edit, Bytes, Canvas);
  Check(State, Edit, 0);
}

void LoadWithPhoto(benchmark::State& State) {
  App();
  const QByteArray Bytes = Definition(true);
  TqvDBRichEdit Edit;
  Edit.resize(500, 400);
  Edit.HandleNeeded();
  QImage Canvas(500, 400, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : State) LoadAndPaint(Edit, Bytes, Canvas);
  Check(State, Edit, 1);
  State.counters["definition_MB"] = double(Bytes.size()) / (1024 * 1024);
}

long PeakKb() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmHWM:", 0) == 0) return std::stol(Line.substr(6));
  return -1;
}
long CurrentKb() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmRSS:", 0) == 0) return std::stol(Line.substr(6));
  return -1;
}

// The peak memory of one load over what the process held before it (the definition's bytes
// already read, as the field holds them), against the photo's size.
void LoadWithPhotoMemory(benchmark::State& State) {
  App();
  const QByteArray Bytes = Definition(true);
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = std::make_unique<TqvDBRichEdit>();
    Edit->resize(500, 400);
    Edit->HandleNeeded();
    QImage Canvas(500, 400, QImage::Format_ARGB32_Premultiplied);
    Canvas.fill(Qt::white);
    // Memory freed earlier goes back first, so that the peak counts only what the load takes.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long Before = CurrentKb();
    State.ResumeTiming();
    LoadAndPaint(*Edit, Bytes, Canvas);
    State.PauseTiming();
    const long Peak = PeakKb();
    Check(State, *Edit, 1);
    State.counters["peak_over_photo"] = double(Peak - Before) * 1024 / double(Photo().size());
    State.counters["peak_MB"] = double(Peak - Before) / 1024;
    Edit.reset();
    State.ResumeTiming();
  }
}
}  // namespace

BENCHMARK(DecodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithoutPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithPhotoMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
