// links: termora_richtext_editor termora_richtext termora_engine termora_data termora_platform Qt6::Widgets
// The editor window against the work it stands on, each pair measured in the same run:
// - opening the window on a 1 MB definition, until it is shown with the text laid out, against
//   loading the same definition into a definition control of the glossary window's size until it
//   is painted;
// - RefreshControls after a selection change in that document (with the two bars repainted),
//   against a QTextCursor charFormat and blockFormat query of the same selection and the same
//   repaint;
// - filling the font name box alone, to show its share of the opening.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "engine/RichEngine.h"
#include "richtext/editor/qvrichform.h"

using namespace richtext;

namespace {

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_editor";
  static char* Argv[] = {Name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication A(Argc, Argv);
  return A;
}

// About 1 MB of RTF: paragraphs of mixed Cyrillic and Latin text, bold terms, a bulleted list now
// and then.
const QByteArray& Definition() {
  static const QByteArray R = [] {
    QByteArray B = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Verdana;}}"
                   "{\\colortbl;\\red0\\green0\\blue206;}\\pard\\f0\\fs24\\cf1 ";
    for (int I = 0; B.size() < 1024 * 1024; ++I) {
      if (I % 10 == 9) B += "\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li720 ";
      B += "{\\b term" + QByteArray::number(I) + "} \\'cf\\'f7\\'e5\\'eb\\'e0 collects nectar and pollen "
           "from the flowers of the field, \\'ec\\'e5\\'e4 and wax.\\par\r\n";
      if (I % 10 == 9) B += "\\pard ";
    }
    return B + "}";
  }();
  return R;
}

QFont DefinitionFont() {
  QFont F(QStringLiteral("Verdana"));
  F.setPixelSize(16);
  return F;
}

// The glossary window's definition control: its size and font, shown.
std::unique_ptr<TqvDBRichEdit> DefinitionControl() {
  auto E = std::make_unique<TqvDBRichEdit>();
  E->setGeometry(100, 100, 497, 221);
  E->setFont(DefinitionFont());
  E->SetScrollBars(engine::ssVertical);
  E->show();
  QApplication::processEvents();
  return E;
}

void DefinitionControlLoad(benchmark::State& State) {
  App();
  auto E = DefinitionControl();
  int Length = 0;
  for (auto _ : State) {
    QElapsedTimer T;
    T.start();
    E->EngineLines().LoadFromBytes(Definition());
    E->Engine()->viewport()->grab();
    State.SetIterationTime(T.nsecsElapsed() / 1e9);
    Length = E->GetTextLen();
  }
  if (Length < 500000) State.SkipWithError("the definition did not load");
  State.SetBytesProcessed(State.iterations() * Definition().size());
}

void EditorOpen(benchmark::State& State) {
  App();
  InstallRichEditForm();
  auto Source = DefinitionControl();
  Source->EngineLines().LoadFromBytes(Definition());
  int Length = 0;
  double Seconds = 0;
  QElapsedTimer T;
  Source->OnCreateDialog = [&](QWidget* W) {
    auto* Form = static_cast<TqvRichEditForm*>(W);
    QTimer::singleShot(0, Form, [&, Form] {
      // Shown: the first paint of the text area lays out what it shows.
      Form->RichEdit1->Engine()->viewport()->grab();
      Seconds = T.nsecsElapsed() / 1e9;
      Length = Form->RichEdit1->GetTextLen();
      Form->Exit1Click();
    });
  };
  for (auto _ : State) {
    T.start();
    Source->Execute();
    State.SetIterationTime(Seconds);
  }
  if (Length != Source->GetTextLen()) State.SkipWithError("the editor did not get the whole text");
  State.SetBytesProcessed(State.iterations() * Definition().size());
}

// An open editor window on the definition, its selection on a word near the middle.
struct OpenEditor {
  OpenEditor() {
    InstallRichEditForm();
    Form.reset(static_cast<TqvRichEditForm*>(QvRichEditHooks().CreateEditorWindow()));
    Source = DefinitionControl();
    Source->EngineLines().LoadFromBytes(Definition());
    Edit = new TqvDBRichEdit(Form->ClientArea());
    Edit->setFont(DefinitionFont());
    Form->SourceEdit = Source.get();
    Form->RichEdit1 = Edit;
    Form->show();
    QApplication::processEvents();
  }
  // Alternates between two words of different formats, so every refresh has something to change.
  void NextSelection() {
    At = At == 500000 ? 500100 : 500000;
    Edit->SetSelStart(At);
    Edit->SetSelLength(5);
  }
  std::unique_ptr<TqvRichEditForm> Form;
  std::unique_ptr<TqvDBRichEdit> Source;
  TqvDBRichEdit* Edit = nullptr;
  int At = 0;
};

void RepaintBars(TqvRichEditForm& F) {
  F.Toolbar->repaint();
  F.FormatBar->repaint();
}

void RefreshControls(benchmark::State& State) {
  App();
  OpenEditor O;
  for (auto _ : State) {
    O.NextSelection();
    QElapsedTimer T;
    T.start();
    O.Form->RefreshControls();
    RepaintBars(*O.Form);
    State.SetIterationTime(T.nsecsElapsed() / 1e9);
  }
  if (O.Edit->GetTextLen() < 500000) State.SkipWithError("the definition did not load");
}

void CursorFormatQuery(benchmark::State& State) {
  App();
  OpenEditor O;
  int Seen = 0;
  for (auto _ : State) {
    O.NextSelection();
    QElapsedTimer T;
    T.start();
    const QTextCursor C = O.Edit->Engine()->textCursor();
    const QTextCharFormat Chars = C.charFormat();
    const QTextBlockFormat Block = C.blockFormat();
    RepaintBars(*O.Form);
    State.SetIterationTime(T.nsecsElapsed() / 1e9);
    Seen += Chars.fontWeight() + int(Block.alignment());
  }
  benchmark::DoNotOptimize(Seen);
  if (O.Edit->GetTextLen() < 500000) State.SkipWithError("the definition did not load");
}

// The font name box's share of opening the window: filled with the desktop's faces.
void FontNameFill(benchmark::State& State) {
  App();
  TqvRichEditForm Form;
  for (auto _ : State) {
    QElapsedTimer T;
    T.start();
    Form.FillFontNames();
    State.SetIterationTime(T.nsecsElapsed() / 1e9);
  }
  if (Form.FontNameCombo->count() == 0) State.SkipWithError("the font name box stayed empty");
  State.counters["faces"] = Form.FontNameCombo->count();
}

}  // namespace

BENCHMARK(DefinitionControlLoad)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(EditorOpen)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FontNameFill)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CursorFormatQuery)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshControls)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
