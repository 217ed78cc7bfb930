// links: termora_richtext termora_engine termora_platform Qt6::Widgets Qt6::PrintSupport
// Printing a definition of some 200 pages to the PDF printer beside the toolkit's own document
// printing of the same text to a PDF printer; and a step of dragging a ruler marker (the move
// and the ruler's repaint) beside repainting a plain widget of the ruler's size.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#include "platform/Printer.h"
#include "richtext/qvRulerPanel.h"
#include "richtext/qvriched.h"

using namespace richtext;

namespace {

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench_print";
  static char* Argv[] = {Name, nullptr};
  static QApplication A(Argc, Argv);
  return A;
}

// A long definition: terms in bold, Cyrillic and Latin text, paragraphs of a few lines.
QByteArray LongDefinition(int Paragraphs) {
  QByteArray R = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 DejaVu Sans;}}\\f0\\fs22 ";
  for (int I = 0; I < Paragraphs; ++I) {
    R += "{\\b term" + QByteArray::number(I) + "} \\'cf\\'f7\\'e5\\'eb\\'e0 ";
    for (int W = 0; W < 6; ++W) R += "collects nectar and pollen from the flowers of the field, ";
    R += "\\par\r\n";
  }
  return R + "}";
}

constexpr int kParagraphs = 2600;

QString PdfPages(const QString& Path) {
  QProcess P;
  P.start("pdfinfo", {Path});
  P.waitForFinished(60000);
  for (const QString& Line : QString::fromUtf8(P.readAllStandardOutput()).split('\n'))
    if (Line.startsWith("Pages:")) return Line.mid(6).trimmed();
  return {};
}

void ControlPrint(benchmark::State& State) {
  App();
  QTemporaryDir Dir;
  platform::TPrinterSetup S;
  S.Printers = {platform::TPrinter::PdfPrinterName()};
  S.PdfPath = Dir.filePath("control.pdf");
  platform::SetPrinterSetup(S);
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;
  TqvDBRichEdit Edit;
  Edit.resize(600, 400);
  Edit.HandleNeeded();
  Edit.EngineLines().LoadFromBytes(LongDefinition(kParagraphs));
  // The margins the toolkit's printing gives a document: 2 cm.
  Edit.SetMeasurementUnits(muCentimeters);
  Edit.PrintMargins() = TqvPrintMargins{2.0, 2.0, 2.0, 2.0};
  for (auto _ : State) {
    Edit.Print("Long definition");
    if (platform::Printer().PageNumber() < 200) {
      const std::string Why = QString("only %1 pages printed").arg(platform::Printer().PageNumber()).toStdString();
      State.SkipWithError(Why.c_str());
      break;
    }
  }
  State.counters["pages"] = platform::Printer().PageNumber();
  if (PdfPages(S.PdfPath).toInt() != platform::Printer().PageNumber()) State.SkipWithError("the PDF lacks pages");
  platform::SetPrinterSetup(std::nullopt);
}

void DocumentPrint(benchmark::State& State) {
  App();
  QTemporaryDir Dir;
  TqvDBRichEdit Edit;
  Edit.resize(600, 400);
  Edit.HandleNeeded();
  Edit.EngineLines().LoadFromBytes(LongDefinition(kParagraphs));
  const QTextDocument* Doc = Edit.Engine()->document();
  const QString Path = Dir.filePath("document.pdf");
  for (auto _ : State) {
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(Path);
    // Without margins of its own: the toolkit lays the document out 2 cm inside the sheet.
    Printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    Doc->print(&Printer);
  }
  const int Pages = PdfPages(Path).toInt();
  State.counters["pages"] = Pages;
  const std::string Why = QString("only %1 pages printed").arg(Pages).toStdString();
  if (Pages < 200) State.SkipWithError(Why.c_str());
}

// An editor-like window with the ruler over the control.
struct RulerWindow {
  RulerWindow() {
    Window.resize(603, 430);
    Edit = new TqvDBRichEdit(&Window);
    Edit->setGeometry(0, 87, 595, 330);
    Edit->HandleNeeded();
    Edit->EngineLines().LoadFromBytes(LongDefinition(50));
    Ruler = new TqvRulerPanel(Edit, &Window, Edit, 10);
    Window.show();
    QApplication::processEvents();
  }
  QWidget Window;
  TqvDBRichEdit* Edit;
  TqvRulerPanel* Ruler;
};

void SendMouse(QWidget* Target, QEvent::Type Type, QPoint Global) {
  QMouseEvent E(Type, QPointF(Target->mapFromGlobal(Global)), QPointF(Global),
                Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Target, &E);
}

void RulerDragStep(benchmark::State& State) {
  App();
  RulerWindow W;
  TqvTrackIcon* M = W.Ruler->FirstIndentMarker();
  int Layouts = 0;
  QObject::connect(W.Edit->Engine()->document()->documentLayout(), &QAbstractTextDocumentLayout::update,
                   [&] { ++Layouts; });
  const int Y = M->y() + 5;
  SendMouse(M, QEvent::MouseButtonPress, W.Ruler->mapToGlobal(QPoint(M->x() + 5, Y)));
  int Step = 0;
  for (auto _ : State) {
    const int X = 20 + (Step++ % 400);
    SendMouse(M, QEvent::MouseMove, W.Ruler->mapToGlobal(QPoint(X, Y)));
    W.Ruler->repaint();
  }
  if (M->x() + 5 != 20 + (Step - 1) % 400) State.SkipWithError("the marker did not follow the mouse");
  if (Layouts != 0) State.SkipWithError("the text was laid out during the drag");
  SendMouse(M, QEvent::MouseButtonRelease, W.Ruler->mapToGlobal(QPoint(M->x() + 5, Y)));
}

void PlainWidgetRepaint(benchmark::State& State) {
  App();
  QWidget Window;
  Window.resize(603, 430);
  QWidget Plain(&Window);
  Plain.setGeometry(0, 10, 603, 25);
  Plain.setAutoFillBackground(true);
  Window.show();
  QApplication::processEvents();
  for (auto _ : State) Plain.repaint();
}

}  // namespace

BENCHMARK(ControlPrint)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(DocumentPrint)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RulerDragStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWidgetRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
