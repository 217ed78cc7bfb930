// links: termora_richtext termora_engine termora_rtf Qt6::Widgets
// A definition of a million empty paragraphs: opening it in the control beside Qt's own editor
// taking the same text, and converting it with termora-rtf beside another RTF-to-text converter
// (or, where none is installed, beside the reader alone). Memory is reported against the RTF's
// size. Each run checks that the paragraphs arrived.
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

const QByteArray& HugeRtf() {
  static const QByteArray R = [] {
    QByteArray r = "{\\rtf1 ";
    r.reserve(7 + 5 * kParagraphs + 1);
    for (int i = 0; i < kParagraphs; ++i) r += "\\par ";
    return r + "}";
  }();
  return R;
}

// The resident memory of this process, in bytes.
qint64 ResidentBytes() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> parts = f.readAll().split(' ');
  return parts.size() > 1 ? parts[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Qt's editor, shown, taking the same million paragraphs as plain text.
void QTextEditSetPlainText(benchmark::State& State) {
  App();
  const QString Text(kParagraphs, u'\n');
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = std::make_unique<QTextEdit>();
    Edit->resize(500, 300);
    Edit->show();
    Settle();
    const qint64 Before = ResidentBytes();
    State.ResumeTiming();
    Edit->setPlainText(Text);
    Settle();
    State.PauseTiming();
    State.counters["MemoryPerRtfByte"] = double(ResidentBytes() - Before) / double(HugeRtf().size());
    if (Edit->document()->blockCount() != kParagraphs + 1) State.SkipWithError("the paragraphs did not arrive");
    Edit.reset();
    State.ResumeTiming();
  }
}

// The glossary's path: the definition's bytes through the memory stream into a shown control,
// and the window painted once.
void ControlOpen(benchmark::State& State) {
  App();
  for (auto _ : State) {
    State.PauseTiming();
    auto Edit = std::make_unique<richtext::TqvDBRichEdit>();
    Edit->resize(500, 300);
    Edit->show();
    Settle();
    const qint64 Before = ResidentBytes();
    State.ResumeTiming();
    richtext::TqvRichMemoryStream Stream;
    Stream.WriteBuffer(HugeRtf());
    Stream.SetPosition(0);
    Edit->EngineLines().LoadFromStream(Stream);
    Settle();
    State.PauseTiming();
    State.counters["MemoryPerRtfByte"] = double(ResidentBytes() - Before) / double(HugeRtf().size());
    if (Edit->Engine()->document()->blockCount() != kParagraphs) State.SkipWithError("the paragraphs did not arrive");
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
};

// Runs argv with its standard output counted in lines (through a file) and its resource use read
// from its own wait.
Run RunProcess(const QStringList& Args) {
  Run R;
  QTemporaryDir Dir;
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
  R.maxRssKb = Use.ru_maxrss;
  QFile f(QString::fromLocal8Bit(Out));
  if (f.open(QIODevice::ReadOnly)) R.outputLines = f.readAll().count('\n');
  return R;
}

void ToolText(benchmark::State& State) {
  const QString In = InputFile();
  for (auto _ : State) {
    const Run R = RunProcess({ToolPath(), QStringLiteral("text"), In});
    if (!R.ok || R.outputLines < kParagraphs - 1) State.SkipWithError("termora-rtf did not convert the text");
    State.counters["MemoryPerRtfByte"] = double(R.maxRssKb) * 1024.0 / double(HugeRtf().size());
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
  }
}

}  // namespace

BENCHMARK(QTextEditSetPlainText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ControlOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ReaderAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ToolText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(OtherConverterText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
