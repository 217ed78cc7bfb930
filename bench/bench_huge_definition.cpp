// links: termora_richtext termora_engine termora_rtf Qt6::Widgets
// A definition of a million empty paragraphs: opening it in the control beside Qt's own editor
// taking the same text, and converting it with termora-rtf beside another RTF-to-text converter
// (or, where none is installed, beside the reader alone). The control also opens 20 MB of long
// paragraphs, and leaves each for a short one. Memory is reported against the RTF's size (/1: the
// long paragraphs). Each run checks that the paragraphs arrived or went.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "richtext/qvRichStream.h"
#include "richtext/qvriched.h"
#include "rtf/RtfReader.h"

extern char** environ;

namespace {

// TERMORA_BENCH_PARAGRAPHS sizes a quicker look; the targets are for a million.
const int kParagraphs = [] {
  bool Ok = false;
  const int N = qEnvironmentVariableIntValue("TERMORA_BENCH_PARAGRAPHS", &Ok);
  return Ok && N > 0 ? N : 1000000;
}();

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_huge_definition";
  static char* Argv[] = {Name, nullptr};
  static QApplication A(Argc, Argv);
  return A;
}

// The two long definitions: kEmpty is kParagraphs empty paragraphs (5 MB for a million), kLong
// 17,000 paragraphs of 1.2 KB of text each (20 MB).
enum Kind { kEmpty, kLong };
constexpr int kLongParagraphs = 17000;

QByteArray LongParagraphText() {
  QByteArray p;
  while (p.size() < 1200) p += "The colony gathers nectar and pollen from the flowers of the field. ";
  return p;
}

const QByteArray& HugeRtf(Kind K = kEmpty) {
  static const QByteArray Empty = [] {
    QByteArray r = "{\\rtf1 ";
    r.reserve(7 + 5 * kParagraphs + 1);
    for (int i = 0; i < kParagraphs; ++i) r += "\\par ";
    return r + "}";
  }();
  static const QByteArray Long = [] {
    const QByteArray P = LongParagraphText();
    QByteArray r = "{\\rtf1\\ansi ";
    for (int i = 0; i < kLongParagraphs; ++i) r += P + "\\par\r\n";
    return r + "}";
  }();
  return K == kEmpty ? Empty : Long;
}

// The same text as plain text, for Qt's editor.
QString HugeText(Kind K) {
  if (K == kEmpty) return QString(kParagraphs, u'\n');
  const QString P = QString::fromLatin1(LongParagraphText()) + u'\n';
  QString r;
  r.reserve(P.size() * kLongParagraphs);
  for (int i = 0; i < kLongParagraphs; ++i) r += P;
  return r;
}

int ParagraphCount(Kind K) { return K == kEmpty ? kParagraphs : kLongParagraphs; }

// Bytes the heap holds now: what a document keeps, whatever the allocator has cached.
qint64 HeapInUse() { return qint64(mallinfo2().uordblks); }

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// An editor of the given kind, shown at the size the glossary gives its definition.
template <class Editor>
std::unique_ptr<Editor> Shown() {
  auto Edit = std::make_unique<Editor>();
  Edit->resize(500, 300);
  Edit->show();
  return Edit;
}

// The glossary's way into the control: the definition's bytes through the memory stream.
void LoadThroughStream(richtext::TqvDBRichEdit& Edit, const QByteArray& Rtf) {
  richtext::TqvRichMemoryStream Stream;
  Stream.WriteBuffer(Rtf);
  Stream.SetPosition(0);
  Edit.EngineLines().LoadFromStream(Stream);
}

// Qt's editor, shown, taking the same paragraphs as plain text.
void QTextEditSetPlainText(benchmark::State& State) {
  App();
  const Kind K = Kind(State.range(0));
  const QString Text = HugeText(K);
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = Shown<QTextEdit>();
    Settle();
    const qint64 Before = HeapInUse();
    State.ResumeTiming();
    Edit->setPlainText(Text);
    Settle();
    State.PauseTiming();
    State.counters["MemoryPerRtfByte"] = double(HeapInUse() - Before) / double(HugeRtf(K).size());
    if (Edit->document()->blockCount() != ParagraphCount(K) + 1) State.SkipWithError("the paragraphs did not arrive");
    Edit.reset();
    State.ResumeTiming();
  }
}

// The glossary's path: the definition's bytes through the memory stream into a shown control,
// and the window painted once.
void ControlOpen(benchmark::State& State) {
  App();
  const Kind K = Kind(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = Shown<richtext::TqvDBRichEdit>();
    Settle();
    const qint64 Before = HeapInUse();
    State.ResumeTiming();
    LoadThroughStream(*Edit, HugeRtf(K));
    Settle();
    State.PauseTiming();
    State.counters["MemoryPerRtfByte"] = double(HeapInUse() - Before) / double(HugeRtf(K).size());
    if (Edit->Engine()->document()->blockCount() != ParagraphCount(K)) State.SkipWithError("the paragraphs did not arrive");
    Edit.reset();
    State.ResumeTiming();
  }
}

// Leaving a long definition for a short one: Qt's editor replacing its text, and the control
// loading the next term's over it as the glossary does when it moves to another term.
constexpr char kShortRtf[] = "{\\rtf1 A short definition.}";

void QTextEditLeaveLongText(benchmark::State& State) {
  App();
  const QString Text = HugeText(Kind(State.range(0)));
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = Shown<QTextEdit>();
    Edit->setPlainText(Text);
    Settle();
    State.ResumeTiming();
    Edit->setPlainText(QStringLiteral("A short definition."));
    Settle();
    State.PauseTiming();
    if (Edit->document()->blockCount() != 1) State.SkipWithError("the text was not replaced");
    Edit.reset();
    State.ResumeTiming();
  }
}

void ControlLeaveLongText(benchmark::State& State) {
  App();
  const Kind K = Kind(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = Shown<richtext::TqvDBRichEdit>();
    LoadThroughStream(*Edit, HugeRtf(K));
    Settle();
    State.ResumeTiming();
    LoadThroughStream(*Edit, QByteArray(kShortRtf));
    Settle();
    State.PauseTiming();
    if (Edit->Engine()->document()->blockCount() != 1) State.SkipWithError("the text was not replaced");
    Edit.reset();
    State.ResumeTiming();
  }
}

// The reader alone, into a document of its own.
void ReaderAlone(benchmark::State& State) {
  App();
  for (auto _ : State) {
    QTextDocument Doc;
    QTextCursor Cursor(&Doc);
    if (!rtf::ReadRtf(HugeRtf(), Cursor)) State.SkipWithError("not read");
    if (Doc.blockCount() != kParagraphs) State.SkipWithError("the paragraphs did not arrive");
  }
}

// ---- whole processes ----------------------------------------------------------------------------

QString ToolPath() {
  const QString Env = qEnvironmentVariable("TERMORA_RTF");
  if (!Env.isEmpty()) return Env;
  return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/rtf/tool/termora-rtf");
}

QString InputFile() {
  static QTemporaryDir Dir;
  const QString Path = Dir.filePath(QStringLiteral("huge.rtf"));
  if (!QFile::exists(Path)) {
    QFile f(Path);
    if (f.open(QIODevice::WriteOnly)) f.write(HugeRtf());
  }
  return Path;
}

struct Run {
  bool ok = false;
  qint64 outputLines = 0;
  long maxRssKb = 0;
  double cpuMs = 0;  // user and system time of the process
};

// Runs argv with its standard output counted in lines (through a file) and its processor time
// read from its own wait. Its peak memory comes from /usr/bin/time, which starts it from a small
// process of its own: a child of this large process would count this one's pages as its own.
Run RunProcess(QStringList Args) {
  Run R;
  QTemporaryDir Dir;
  const QString Memory = Dir.filePath(QStringLiteral("memory"));
  const QString Time = QStandardPaths::findExecutable(QStringLiteral("time"), {QStringLiteral("/usr/bin")});
  if (!Time.isEmpty()) Args = QStringList{Time, QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), Memory} + Args;
  const QByteArray Out = QFile::encodeName(Dir.filePath(QStringLiteral("out")));
  std::vector<QByteArray> Bytes;
  for (const QString& a : Args) Bytes.push_back(QFile::encodeName(a));
  std::vector<char*> Argv;
  for (QByteArray& b : Bytes) Argv.push_back(b.data());
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, Out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t Pid = 0;
  const int Rc = posix_spawn(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Rc != 0) return R;
  int Status = 0;
  rusage Use{};
  if (wait4(Pid, &Status, 0, &Use) != Pid) return R;
  R.ok = WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
  R.cpuMs = (Use.ru_utime.tv_sec + Use.ru_stime.tv_sec) * 1e3 + (Use.ru_utime.tv_usec + Use.ru_stime.tv_usec) / 1e3;
  QFile m(Memory);
  if (m.open(QIODevice::ReadOnly)) R.maxRssKb = m.readAll().trimmed().toLong();
  QFile f(QString::fromLocal8Bit(Out));
  if (f.open(QIODevice::ReadOnly)) R.outputLines = f.readAll().count('\n');
  return R;
}

void ToolText(benchmark::State& State) {
  App();
  const QString In = InputFile();
  for (auto _ : State) {
    const Run R = RunProcess({ToolPath(), QStringLiteral("text"), In});
    if (!R.ok || R.outputLines < kParagraphs - 1) State.SkipWithError("termora-rtf did not convert the text");
    State.counters["MemoryPerRtfByte"] = double(R.maxRssKb) * 1024.0 / double(HugeRtf().size());
    State.counters["ProcessCpuMs"] = R.cpuMs;
  }
}

void OtherConverterText(benchmark::State& State) {
  const QString Other = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
  if (Other.isEmpty()) {
    State.SkipWithError("unrtf is not installed; compare ToolText with ReaderAlone");
    return;
  }
  const QString In = InputFile();
  for (auto _ : State) {
    const Run R = RunProcess({Other, QStringLiteral("--text"), In});
    if (!R.ok || R.outputLines < kParagraphs - 1) State.SkipWithError("unrtf did not convert the text");
    State.counters["MemoryPerRtfByte"] = double(R.maxRssKb) * 1024.0 / double(HugeRtf().size());
    State.counters["ProcessCpuMs"] = R.cpuMs;
  }
}

}  // namespace

BENCHMARK(QTextEditSetPlainText)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(kEmpty)->Arg(kLong);
BENCHMARK(ControlOpen)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(kEmpty)->Arg(kLong);
BENCHMARK(QTextEditLeaveLongText)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(kEmpty)->Arg(kLong);
BENCHMARK(ControlLeaveLongText)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(kEmpty)->Arg(kLong);
BENCHMARK(ReaderAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ToolText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(OtherConverterText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
