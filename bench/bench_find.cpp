// links: termora_richtext termora_engine termora_platform Qt6::Widgets
// Find and replace through the control against Qt doing the same work directly on an editor
// holding the same text: Replace All of a word with 10,000 matches in a 1 MB definition beside
// QTextDocument::find and QTextCursor::insertText in one edit block, and Find Next to the only
// match near the end of 1 MB beside one QTextDocument::find.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "engine/RichEngine.h"
#include "platform/FindReplaceDialog.h"
#include "platform/Question.h"
#include "richtext/qvriched.h"

using namespace richtext;

namespace {
constexpr int kMatches = 10000;
const QString kWord = QStringLiteral("propolis");
const QString kReplacement = QStringLiteral("bee glue");

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_find";
  static char* Argv[] = {Name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication A(Argc, Argv);
  return A;
}

// About 1 MB of definition in paragraphs of some 1,000 characters; the word occurs `Matches`
// times, spread evenly, or once near the end when Matches is 1.
QString Definition(int Matches) {
  static const char* const Words[] = {"hive", "nectar", "worker", "drone", "comb", "queen", "pollen", "brood",
                                      "frame", "swarm", "wax", "honey", "пчела", "улей", "соты", "мёд"};
  QString Text;
  Text.reserve(1 << 20);
  int Placed = 0, N = 0;
  const int Target = 1 << 20;
  const int Every = Matches > 1 ? Target / Matches : Target;
  int NextMatchAt = Matches > 1 ? Every / 2 : Target - 200;
  while (Text.size() < Target) {
    if (Placed < Matches && Text.size() >= NextMatchAt) {
      Text += kWord;
      ++Placed;
      NextMatchAt += Every;
    } else {
      Text += QString::fromUtf8(Words[N++ % 16]);
    }
    Text += (N % 150 == 149) ? QChar('\r') : QChar(' ');
  }
  while (Placed++ < Matches) Text += QChar(' ') + kWord;
  return Text;
}

void LayOut(QTextDocument* Doc) { Doc->documentLayout()->blockBoundingRect(Doc->lastBlock()); }

int Count(const QString& Text, const QString& What) { return int(Text.count(What)); }

// The no-more-matches message is answered, and counted.
struct TAnswered {
  int Asked = 0;
  TAnswered() {
    platform::SetAnswerer([this](const platform::Question&) {
      ++Asked;
      return int(platform::idOk);
    });
  }
  ~TAnswered() { platform::SetAnswerer(nullptr); }
};

void ControlReplaceAll(benchmark::State& State) {
  App();
  const QString Text = Definition(kMatches);
  TAnswered Answers;
  TqvCustomRichEdit Edit;
  Edit.resize(600, 400);
  Edit.HandleNeeded();
  platform::TReplaceDialog* Dialog = Edit.ReplaceDialog();
  for (auto _ : State) {
    State.PauseTiming();
    Edit.SetText(Text);
    Edit.ClearUndo();
    LayOut(Edit.Engine()->document());
    Edit.SetSelStart(0);
    Edit.ShowReplaceDialog();
    Dialog->FindEdit()->setText(kWord);
    Dialog->ReplaceEdit()->setText(kReplacement);
    State.ResumeTiming();
    Dialog->ReplaceAllButton()->click();
    State.PauseTiming();
    const QString After = Edit.Engine()->Text();
    if (Count(After, kWord) != 0 || Count(After, kReplacement) != kMatches ||
        After.size() != Text.size() + kMatches * (kReplacement.size() - kWord.size()))
      State.SkipWithError("Replace All did not replace every match");
    Dialog->reject();
    State.ResumeTiming();
  }
  if (Answers.Asked != int(State.iterations())) State.SkipWithError("the pass did not end with its message");
  State.counters["matches"] = kMatches;
}

void QtReplaceAll(benchmark::State& State) {
  App();
  const QString Text = Definition(kMatches);
  QTextEdit Edit;
  Edit.resize(600, 400);
  for (auto _ : State) {
    State.PauseTiming();
    Edit.setPlainText(Text);
    QTextDocument* Doc = Edit.document();
    LayOut(Doc);
    State.ResumeTiming();
    QTextCursor Block(Doc);
    Block.beginEditBlock();
    int Replaced = 0;
    for (QTextCursor C = Doc->find(kWord); !C.isNull(); C = Doc->find(kWord, C)) {
      C.insertText(kReplacement);
      ++Replaced;
    }
    Block.endEditBlock();
    State.PauseTiming();
    if (Replaced != kMatches || Count(Doc->toPlainText(), kReplacement) != kMatches)
      State.SkipWithError("the replacements were not all made");
    State.ResumeTiming();
  }
}

void ControlFindNext(benchmark::State& State) {
  App();
  const QString Text = Definition(1);
  const int Expected = int(Text.lastIndexOf(kWord));
  TAnswered Answers;
  TqvCustomRichEdit Edit;
  Edit.resize(600, 400);
  Edit.HandleNeeded();
  Edit.SetText(Text);
  LayOut(Edit.Engine()->document());
  platform::TFindDialog* Dialog = Edit.FindDialog();
  for (auto _ : State) {
    State.PauseTiming();
    Edit.SetSelStart(0);
    Edit.ShowFindDialog();
    Dialog->FindEdit()->setText(kWord);
    State.ResumeTiming();
    Dialog->FindNextButton()->click();
    State.PauseTiming();
    if (Edit.SelStart() != Expected || Edit.SelLength() != kWord.size()) State.SkipWithError("the match was not selected");
    Dialog->reject();
    State.ResumeTiming();
  }
  if (Answers.Asked != 0) State.SkipWithError("a message was shown");
}

void QtFind(benchmark::State& State) {
  App();
  const QString Text = Definition(1);
  const int Expected = int(Text.lastIndexOf(kWord));
  QTextEdit Edit;
  Edit.resize(600, 400);
  Edit.setPlainText(Text);
  LayOut(Edit.document());
  for (auto _ : State) {
    const QTextCursor C = Edit.document()->find(kWord, 0);
    if (C.selectionStart() != Expected) State.SkipWithError("the match was not found");
    benchmark::DoNotOptimize(C);
  }
}
}  // namespace

BENCHMARK(ControlReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(QtReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ControlFindNext)->Unit(benchmark::kMillisecond);
BENCHMARK(QtFind)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
