// The ruler over a rich edit control in a window of its own, with the page setup dialog and
// printing to try them out before the editor window exists around them.
//
//   termora-ruler-demo [--cm] [--page] [--screenshot FILE] [--setup-screenshot FILE]
// --cm shows centimetres, --page lays the text out at the page's width, --screenshot saves a
// picture of the window and quits, --setup-screenshot the same of the page setup dialog.
#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Printer.h"
#include "richtext/editor/qvrich.h"
#include "richtext/qvRulerPanel.h"
#include "richtext/qvriched.h"

using namespace richtext;

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Termora"));
  const QStringList Args = App.arguments();

  QWidget Window;
  Window.setWindowTitle(QStringLiteral("Ruler"));
  Window.resize(603, 460);
  auto* Buttons = new QWidget(&Window);
  Buttons->setGeometry(0, 0, 603, 34);
  auto* Row = new QHBoxLayout(Buttons);
  auto* Setup = new QPushButton(QStringLiteral("Page Set&up..."), Buttons);
  auto* Print = new QPushButton(QStringLiteral("&Print"), Buttons);
  Row->addWidget(Setup);
  Row->addWidget(Print);
  Row->addStretch();

  auto* Edit = new TqvDBRichEdit(&Window);
  Edit->SetMeasurementUnits(Args.contains(QStringLiteral("--cm")) ? muCentimeters : muInches);
  if (Args.contains(QStringLiteral("--cm"))) Edit->PrintMargins() = TqvPrintMargins{2.5, 2.5, 2.5, 2.5};
  Edit->SetEditWidth(Args.contains(QStringLiteral("--page")) ? rewPrinterSize : rewWindowSize);
  Edit->SetGutterWidth(6);
  Edit->SetScrollBars(engine::ssVertical);
  Edit->setGeometry(0, 34 + 25 + 14, 603, 380);
  Edit->HandleNeeded();
  Edit->SetText(QStringLiteral(
      "Drag the markers on the ruler: the one at the top sets where the first line of the paragraph "
      "starts, the lower left one where its other lines start, the right one where all of them end.\n"
      "Each paragraph keeps its own indents; the markers follow the caret."));
  auto* Ruler = new TqvRulerPanel(Edit, &Window, Edit, 34 + 10);
  Edit->OnSelectionChange = [Ruler](engine::TCustomRichEdit*) { Ruler->UpdateMarkers(); };
  Ruler->UpdateMarkers();

  QObject::connect(Setup, &QPushButton::clicked, [&] {
    TqvPageSetupDialog Dialog;
    Dialog.SetTargetEdit(Edit);
    if (!Dialog.Execute()) return;
    if (Edit->UsesPrinterSize()) Ruler->PageSetupApplied();
    else Edit->SetFormatRect();
  });
  QObject::connect(Print, &QPushButton::clicked, [&] { Edit->Print(QStringLiteral("Ruler demo")); });
  Window.show();

  const int Shot = Args.indexOf(QStringLiteral("--screenshot"));
  if (Shot >= 0 && Shot + 1 < Args.size()) {
    QTimer::singleShot(300, [&] {
      Window.grab().save(Args[Shot + 1]);
      App.quit();
    });
  }
  const int SetupShot = Args.indexOf(QStringLiteral("--setup-screenshot"));
  if (SetupShot >= 0 && SetupShot + 1 < Args.size()) {
    QTimer::singleShot(300, [&] {
      QTimer::singleShot(300, [&] {
        if (QWidget* Dialog = QApplication::activeModalWidget()) {
          Dialog->grab().save(Args[SetupShot + 1]);
          Dialog->close();
        }
        App.quit();
      });
      Setup->click();
    });
  }
  return App.exec();
}
