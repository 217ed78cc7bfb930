// links: termora_richtext termora_spell Qt6::Widgets
// Spelling. Checking a 100 KB Russian definition from scratch, against the dictionary's own
// spell() over the same words in a loop (the work that cannot be avoided); a keystroke in a 1 MB
// definition with checking on, against the same keystroke with checking off.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <hunspell.hxx>

#include "engine/RichEngine.h"
#include "richtext/qvriched.h"
#include "richtext/qvspellmarks.h"
#include "spell/SharedSpeller.h"
#include "spell/Speller.h"

namespace {

// The bundled glossary's definitions as plain text (markup dropped), repeated to Size characters,
// with a typing error in every fiftieth word so that suggestions-free misses are part of it.
QString GlossaryText(qsizetype Size) {
  const QDir Terms(QDir(QStringLiteral(TERMORA_SOURCE_ROOT)).filePath(QStringLiteral("glossary/terms")));
  QString All;
  for (const QString& Name : Terms.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
    QFile F(Terms.filePath(Name));
    if (F.open(QIODevice::ReadOnly)) All += QString::fromUtf8(F.readAll());
  }
  All.replace(QRegularExpression(QStringLiteral(R"(\[\[[^\]|]*\|([^\]]*)\]\])")), QStringLiteral("\\1"));
  All.remove(QStringLiteral("[[")).remove(QStringLiteral("]]")).remove(u'*').remove(QStringLiteral("## "));
  if (All.isEmpty()) All = QStringLiteral("Пчёлы собирают нектар и пыльцу с цветков, а матка откладывает яйца.\n");
  QString Out;
  int Word = 0;
  while (Out.size() < Size) {
    for (const QString& W : All.split(u' ')) {
      Out += (++Word % 50 == 0 && W.size() > 3) ? W.left(2) + W.mid(1) : W;
      Out += u' ';
      if (Out.size() >= Size) break;
    }
  }
  return Out;
}

const QString& Text100K() {
  static const QString T = GlossaryText(100 * 1024);
  return T;
}

bool Dictionary(QString* Aff, QString* Dic) { return spell::FindRussianDictionary(Aff, Dic); }

void BM_HunspellSpellLoop(benchmark::State& State) {
  QString Aff, Dic;
  if (!Dictionary(&Aff, &Dic)) return State.SkipWithError("no Russian dictionary");
  Hunspell H(Aff.toLocal8Bit().constData(), Dic.toLocal8Bit().constData());
  std::vector<std::string> Words;
  for (const spell::TWordSpan& W : spell::WordsToCheck(Text100K()))
    Words.push_back(Text100K().mid(W.Start, W.Length).toStdString());
  int Wrong = 0;
  for (auto _ : State)
    for (const std::string& W : Words) Wrong += !H.spell(W);
  State.counters["words"] = double(Words.size());
  benchmark::DoNotOptimize(Wrong);
}

void BM_SpellerCheckFromScratch(benchmark::State& State) {
  QString Aff, Dic;
  if (!Dictionary(&Aff, &Dic)) return State.SkipWithError("no Russian dictionary");
  qsizetype Found = 0;
  for (auto _ : State) {
    // A speller that has looked nothing up yet.
    State.PauseTiming();
    auto S = std::make_unique<spell::TSpeller>(spell::TSpellerFiles{Aff, Dic, {}, {}});
    State.ResumeTiming();
    Found += S->Misspelled(Text100K()).size();
    State.PauseTiming();
    S.reset();
    State.ResumeTiming();
  }
  State.counters["unknown"] = double(Found) / double(State.iterations());
}

// About 1 MB of the glossary's text in paragraphs of some 600 characters.
QString Text1M() {
  QString T = GlossaryText(1024 * 1024);
  for (qsizetype I = 600; I < T.size(); I += 600) {
    const qsizetype Space = T.indexOf(u' ', I);
    if (Space < 0) break;
    T[Space] = u'\n';
    I = Space;
  }
  return T;
}

void Keystroke(QWidget* W, QWidget* Viewport) {
  QKeyEvent Press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("а"));
  QApplication::sendEvent(W, &Press);
  QKeyEvent Release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("а"));
  QApplication::sendEvent(W, &Release);
  Viewport->repaint();
}

void BM_Keystroke1MB(benchmark::State& State, bool Checking) {
  if (!spell::WaitForSharedSpeller()->HasDictionary()) return State.SkipWithError("no Russian dictionary");
  static const QString Text = Text1M();
  richtext::TqvDBRichEditSpell Edit;
  Edit.SetCheckSpelling(Checking);
  Edit.resize(800, 600);
  Edit.HandleNeeded();
  engine::TRichEngine* E = Edit.Engine();
  E->SetTextLimit(64 * 1024 * 1024);
  E->SetPlainText(Text);
  Edit.show();
  E->SetSel({engine::LONG(Text.size() / 2), engine::LONG(Text.size() / 2)});
  E->ensureCursorVisible();
  E->setFocus();
  QApplication::processEvents();
  E->viewport()->repaint();
  const int Before = E->TextLength();
  for (auto _ : State) Keystroke(E, E->viewport());
  if (E->TextLength() != Before + int(State.iterations())) State.SkipWithError("keystrokes were refused");
  if (Checking) State.counters["paragraphs_checked"] = Edit.SpellMarks()->ParagraphsChecked();
}

BENCHMARK(BM_HunspellSpellLoop)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SpellerCheckFromScratch)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_Keystroke1MB, checking_off, false)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Keystroke1MB, checking_on, true)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
