// links: termora_app
// Start-up of Termora on a generated glossary of 50,000 terms (2 KB definitions), from process
// start to the first paint of the shown window, against a Qt program that shows an empty window,
// both measured in the same run as child processes. Also the resident memory of the started
// program with that glossary open.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "data/GlossaryStore.h"
#include "platform/Question.h"
#include "app/Startup.h"
#include "app/Unit1.h"

namespace {

constexpr int kTerms = 50000;
constexpr int kDefinitionBytes = 2048;

// Resident and peak resident memory of this process in kB.
long StatusKb(const char* key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(int(std::strlen(key))).trimmed().split(' ').value(0).toLong();
  return -1;
}

// Quits once the window has painted for the first time.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(o, e);
  }

 private:
  bool seen_ = false;
};

int ChildEmpty(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.resize(824, 348);
  FirstPaint p;
  w.installEventFilter(&p);
  w.show();
  return app.exec();
}

int ChildTermora(int argc, char** argv, const char* folder) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(platform::ApplicationTitle());
  QString error;
  auto form = app::CreateForm1(QString::fromLocal8Bit(folder), &error);
  if (!form) {
    std::fprintf(stderr, "cannot open the glossary: %s\n", qPrintable(error));
    return 1;
  }
  FirstPaint p;
  form->installEventFilter(&p);
  form->show();
  const int r = app.exec();
  std::printf("rss_kb %ld hwm_kb %ld\n", StatusKb("VmRSS:"), StatusKb("VmHWM:"));
  return r;
}

QString g_self;
std::unique_ptr<QTemporaryDir> g_glossary;
double g_emptySeconds = 0, g_termoraSeconds = 0;
long g_rssKb = 0, g_hwmKb = 0;

void Generate(const QString& folder) {
  QString error;
  if (!data::CreateGlossaryTables(folder, &error)) qFatal("%s", qPrintable(error));
  data::GlossaryWriter w(folder);
  if (!w.Begin(&error)) qFatal("%s", qPrintable(error));
  const QString letters = QStringLiteral("АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ");
  int ids[27];
  for (int n = 0; n < 27; ++n) ids[n] = w.AddLetter(letters.mid(n, 1), n + 1);
  QByteArray def;
  while (def.size() < kDefinitionBytes) def += QStringLiteral("Пчелиная семья зимует в клубе. ").toUtf8();
  def.truncate(kDefinitionBytes);
  for (int i = 0; i < kTerms; ++i) {
    const int n = i % 27;
    const QString word = letters.mid(n, 1) + QStringLiteral("термин %1").arg(i, 6, 10, QLatin1Char('0'));
    if (!w.AddTerm(ids[n], word, def)) qFatal("%s", qPrintable(w.ErrorText()));
  }
  if (!w.Commit(&error)) qFatal("%s", qPrintable(error));
}

double RunChild(const QStringList& args, QByteArray* out = nullptr) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  p.setProcessEnvironment(env);
  QElapsedTimer t;
  t.start();
  p.start(g_self, args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) qFatal("child failed: %s", p.readAllStandardError().constData());
  const double s = t.nsecsElapsed() / 1e9;
  if (out) *out = p.readAllStandardOutput();
  return s;
}

void BM_EmptyQtWindowStartup(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    const double s = RunChild({QStringLiteral("--child-empty")});
    state.SetIterationTime(s);
    total += s;
  }
  g_emptySeconds = total / double(state.iterations());
}

void BM_TermoraStartup50kTerms(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    QByteArray out;
    const double s = RunChild({QStringLiteral("--child-termora"), g_glossary->path()}, &out);
    state.SetIterationTime(s);
    total += s;
    const QList<QByteArray> f = out.trimmed().split(' ');
    if (f.size() == 4) {
      g_rssKb = f[1].toLong();
      g_hwmKb = f[3].toLong();
    }
  }
  g_termoraSeconds = total / double(state.iterations());
  state.counters["rss_MB"] = double(g_rssKb) / 1024.0;
  state.counters["peak_rss_MB"] = double(g_hwmKb) / 1024.0;
}

BENCHMARK(BM_EmptyQtWindowStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_TermoraStartup50kTerms)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--child-empty") == 0) return ChildEmpty(argc, argv);
  if (argc >= 3 && std::strcmp(argv[1], "--child-termora") == 0) return ChildTermora(argc, argv, argv[2]);

  g_self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  g_glossary = std::make_unique<QTemporaryDir>();
  {
    int qargc = 1;
    QCoreApplication gen(qargc, argv);
    Generate(g_glossary->path());
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nstart-up to the shown window, Termora with %d terms / empty Qt window: %.2fx (target <= 2x)\n",
              kTerms, g_termoraSeconds / g_emptySeconds);
  std::printf("resident memory with that glossary open: %.1f MB (peak %.1f MB, target < 150 MB)\n",
              double(g_rssKb) / 1024.0, double(g_hwmKb) / 1024.0);
  return 0;
}
