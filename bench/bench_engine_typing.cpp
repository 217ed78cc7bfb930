// links: termora_engine Qt6::Widgets
// Typing into a 1 MB definition: one keystroke's edit, layout and repaint in the engine window,
// against the same keystroke in a plain QTextEdit holding the same document.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTextEdit>
#include <memory>

#include "engine/RichEngine.h"

namespace {

// About 1 MB of RTF: Cyrillic paragraphs with bold, italic and coloured runs.
QByteArray MakeDocument() {
  const char* words[] = {"\\'cf\\'f7\\'e5\\'eb\\'e0", "\\'ec\\'b8\\'e4", "\\'f1\\'ee\\'f2\\'fb",
                         "\\'ee\\'f0\\'e8\\'ea\\'e0",  "\\'eb\\'e5\\'f2\\'ee\\'ea", "\\'ed\\'e5\\'ea\\'f2\\'e0\\'f0"};
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}{\\f1\\froman\\fcharset204 Times New "
      "Roman;}}{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue160;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  int n = 0;
  while (rtf.size() < 1024 * 1024) {
    rtf += "\\pard\\qj\\li360\\sa120 ";
    for (int w = 0; w < 40; ++w, ++n) {
      switch (n % 7) {
        case 0: rtf += "{\\b "; rtf += words[n % 6]; rtf += "}"; break;
        case 3: rtf += "{\\i\\cf1 "; rtf += words[n % 6]; rtf += "}"; break;
        case 5: rtf += "{\\f1\\cf2 "; rtf += words[n % 6]; rtf += "}"; break;
        default: rtf += words[n % 6]; break;
      }
      rtf += ' ';
    }
    rtf += "\\par\r\n";
  }
  rtf += "}";
  return rtf;
}

const QByteArray& Document() {
  static const QByteArray doc = MakeDocument();
  return doc;
}

// One keystroke, then the window brought up to date on screen.
void Keystroke(QTextEdit* w) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("а"));
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("а"));
  QApplication::sendEvent(w, &release);
  w->viewport()->repaint();
}

void Prepare(QTextEdit* w) {
  w->resize(800, 600);
  w->show();
  QTextCursor c = w->textCursor();
  c.setPosition(w->document()->characterCount() / 2);
  w->setTextCursor(c);
  w->ensureCursorVisible();
  w->setFocus();
  QApplication::processEvents();
  w->viewport()->repaint();
}

void BM_EngineKeystroke(benchmark::State& state) {
  engine::TRichEngine e;
  // The default limit (32,767 characters) is far below a 1 MB document: every key would be
  // refused. A control that holds such a text raises it, as the glossary's does.
  e.SetTextLimit(64 * 1024 * 1024);
  e.LoadRtf(Document());
  e.SetEventMask(engine::ENM_CHANGE | engine::ENM_SELCHANGE | engine::ENM_REQUESTRESIZE | engine::ENM_PROTECTED);
  e.SetTypographyOptions(engine::TO_ADVANCEDTYPOGRAPHY, engine::TO_ADVANCEDTYPOGRAPHY);
  int notes = 0;
  e.OnNotify = [&](engine::UINT, void*) -> engine::LRESULT {
    ++notes;
    return 0;
  };
  Prepare(&e);
  const int before = e.TextLength();
  for (auto _ : state) Keystroke(&e);
  // Every keystroke timed must have typed its character.
  if (e.TextLength() != before + int(state.iterations())) state.SkipWithError("keystrokes were refused");
  state.counters["chars"] = e.TextLength();
  benchmark::DoNotOptimize(notes);
}

void BM_QTextEditKeystroke(benchmark::State& state) {
  // The same document, formats and all, in Qt's own editor.
  engine::TRichEngine source;
  source.LoadRtf(Document());
  source.SetTypographyOptions(engine::TO_ADVANCEDTYPOGRAPHY, engine::TO_ADVANCEDTYPOGRAPHY);
  QTextEdit plain;
  QTextDocument* doc = source.document()->clone(&plain);
  doc->setDocumentMargin(0);
  plain.setDocument(doc);
  plain.setFrameShape(QFrame::NoFrame);
  Prepare(&plain);
  const int before = plain.document()->characterCount();
  for (auto _ : state) Keystroke(&plain);
  if (plain.document()->characterCount() != before + int(state.iterations())) state.SkipWithError("keystrokes were lost");
  state.counters["chars"] = plain.document()->characterCount() - 1;
}

BENCHMARK(BM_QTextEditKeystroke)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_EngineKeystroke)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
