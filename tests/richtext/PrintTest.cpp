// Printing the control's text on the PDF printer, read back with pdftotext and pdftoppm: pages,
// margins, header and footer where they belong, the handlers, bad margins and failing printers;
// and the text laid out at the page's width on screen.
#include <gtest/gtest.h>

#include <QFile>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "platform/Printer.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/RichEditFixture.h"

using namespace richtext;
using platform::TPrinter;

namespace {

constexpr int kDpi = 100;  // pages are rendered at this resolution for measuring

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils (pdftotext, pdftoppm, pdfinfo) must be installed";
    UsePrinters({TPrinter::PdfPrinterName()});
    Edit = MakeEdit(400, 300);
    Edit->setFont(QFont("DejaVu Sans", 12));
    for (TqvRTFHeaderFooter* HF : {&Edit->PrintHeader(), &Edit->PrintFooter()}) HF->Font = QFont("DejaVu Sans", 10);
  }
  void TearDown() override { platform::SetPrinterSetup(std::nullopt); }

  void UsePrinters(const QStringList& Printers, double EdgePoints = 0) {
    platform::TPrinterSetup S;
    S.Printers = Printers;
    S.PdfPath = Path();
    S.PdfUnprintable = QMarginsF(EdgePoints, EdgePoints, EdgePoints, EdgePoints);
    platform::SetPrinterSetup(S);
    if (!Printers.isEmpty()) platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;
  }
  QString Path() const { return dir.filePath("print.pdf"); }

  // Paragraphs w0000 ... of ten words each.
  static QString Words(int Count, int PerParagraph = 10) {
    QString Text;
    for (int N = 0; N < Count; ++N) {
      if (N > 0) Text += N % PerParagraph == 0 ? QChar('\n') : QChar(' ');
      Text += QString("w%1").arg(N, 4, 10, QChar('0'));
    }
    return Text;
  }
  static QString Lines(int Count) {
    QStringList L;
    for (int N = 0; N < Count; ++N) L << QString("line%1").arg(N);
    return L.join('\n');
  }

  void SetMargins(double Left, double Top, double Right, double Bottom) {
    Edit->PrintMargins() = TqvPrintMargins{Top, Bottom, Left, Right};
  }

  QTemporaryDir dir;
  TestQuestions Questions;
  std::unique_ptr<TProbeRichEdit> Edit;
};

TEST_F(PrintTest, AnEmptyTextPrintsOnePageWithItsHeaderAndFooter) {
  Edit->PrintHeader().LeftText = "HeadLeft";
  Edit->PrintFooter().RightText = "FootRight";
  Edit->Print("Empty");
  EXPECT_TRUE(Questions.asked.empty());
  ASSERT_EQ(pdf::PageCount(Path()), 1);
  const QString Text = pdf::PageTexts(Path()).value(0);
  EXPECT_TRUE(Text.contains("HeadLeft") && Text.contains("FootRight")) << Text.toStdString();
  EXPECT_EQ(pdf::Info(Path(), "Title"), "Empty");
}

TEST_F(PrintTest, ALongTextPrintsEveryWordExactlyOnceOnNumberedPages) {
  const int Count = 3000;
  Edit->SetText(Words(Count));
  std::vector<int> HeaderPages, FooterPages;
  Edit->OnPrintHeader = [&](TqvCustomRichEdit* Sender, QRect, int Page, QString& L, QString&, QString&, bool&) {
    EXPECT_EQ(Sender, Edit.get());
    HeaderPages.push_back(Page);
    L = QString("Page %1").arg(Page);
  };
  Edit->OnPrintFooter = [&](TqvCustomRichEdit*, QRect, int Page, QString&, QString&, QString&, bool&) {
    FooterPages.push_back(Page);
  };
  Edit->Print("Long");
  const QStringList Pages = pdf::PageTexts(Path());
  ASSERT_GT(Pages.size(), 3);
  EXPECT_EQ(pdf::PageCount(Path()), Pages.size());
  std::vector<int> Expected(Pages.size());
  std::iota(Expected.begin(), Expected.end(), 1);
  EXPECT_EQ(HeaderPages, Expected);
  EXPECT_EQ(FooterPages, Expected);
  QMap<QString, int> Seen;
  for (int P = 0; P < Pages.size(); ++P) {
    EXPECT_TRUE(Pages[P].contains(QString("Page %1\n").arg(P + 1))) << P;
    for (const QString& W : Pages[P].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
      if (W.startsWith('w')) ++Seen[W];
  }
  EXPECT_EQ(Seen.size(), Count);
  for (auto It = Seen.cbegin(); It != Seen.cend(); ++It) EXPECT_EQ(It.value(), 1) << It.key().toStdString();
}

TEST_F(PrintTest, ATextThatFillsExactlyOnePageStartsNoSecondPage) {
  // How many lines go on a page: the first page of a text that is surely longer.
  Edit->SetText(Lines(200));
  Edit->Print("Probe");
  const QStringList Probe = pdf::PageTexts(Path());
  ASSERT_GT(Probe.size(), 1);
  const int PerPage = int(Probe[0].count(QRegularExpression("line\\d+")));
  ASSERT_GT(PerPage, 10);

  Edit->SetText(Lines(PerPage));
  Edit->Print("Full");
  EXPECT_EQ(pdf::PageCount(Path()), 1);
  Edit->SetText(Lines(PerPage + 1));
  Edit->Print("Full plus one");
  ASSERT_EQ(pdf::PageCount(Path()), 2);
  EXPECT_EQ(pdf::PageTexts(Path())[1].trimmed(), QString("line%1").arg(PerPage));
}

TEST_F(PrintTest, LinesTallerThanThePagePrintOnePerPageAndLoseNoCharacter) {
  SetMargins(1, 5.45, 1, 5.5);  // a body 0.05 inches high on Letter: every line is taller
  Edit->SetText(Lines(5));
  Edit->Print("Tall");
  EXPECT_TRUE(Questions.asked.empty());
  const QStringList Pages = pdf::PageTexts(Path());
  ASSERT_EQ(Pages.size(), 5);
  for (int N = 0; N < 5; ++N) EXPECT_EQ(Pages[N].trimmed(), QString("line%1").arg(N));
}

// Where header, body and footer land on the sheet, in inches from its edges, for both units,
// both orientations, Letter and A4, and a printer that cannot print to the sheet's edge.
TEST_F(PrintTest, MarginsHeaderAndFooterLandWhereTheyBelongOnTheSheet) {
  struct Case {
    int Paper;
    platform::TPrinterOrientation Orientation;
    TqvMeasurementUnits Units;
    double Left, Top, Right, Bottom;      // in the units
    double EdgePoints;                    // unprintable edge of the printer
    double InLeft, InTop, InRight, InBottom;  // the same margins in inches
  };
  const Case Cases[] = {
      {platform::dmpLetter, platform::poPortrait, muInches, 1, 1.25, 1.5, 1, 0, 1, 1.25, 1.5, 1},
      {platform::dmpLetter, platform::poLandscape, muInches, 0.75, 1, 1, 1.5, 18, 0.75, 1, 1, 1.5},
      {platform::dmpA4, platform::poPortrait, muCentimeters, 5.074, 2.537, 2.537, 3.8055, 0, 2, 1, 1, 1.5},
      {platform::dmpA4, platform::poLandscape, muCentimeters, 2.537, 3.8055, 5.074, 2.537, 18, 1, 1.5, 2, 1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "paper " << C.Paper << " orientation " << C.Orientation << " units " << C.Units);
    UsePrinters({TPrinter::PdfPrinterName()}, C.EdgePoints);
    platform::Printer().DeviceMode().dmPaperSize = C.Paper;
    platform::Printer().SetOrientation(C.Orientation);
    Edit->SetMeasurementUnits(C.Units);
    SetMargins(C.Left, C.Top, C.Right, C.Bottom);
    for (TqvRTFHeaderFooter* HF : {&Edit->PrintHeader(), &Edit->PrintFooter()}) {
      HF->LeftText = "LEFT";
      HF->CenterText = "MIDDLE";
      HF->RightText = "RIGHT";
      HF->LineSeparator = true;
      HF->VertMargin = 0.5;  // inches whatever the units
    }
    Edit->SetText("HELLO");
    Edit->Print("Geometry");
    ASSERT_EQ(pdf::PageCount(Path()), 1);
    const QSizeF Sheet = pdf::PageSizePoints(Path()) / 72.0 * kDpi;  // pixels
    const QImage Page = pdf::PageImage(Path(), 1, kDpi);
    const double L = C.InLeft * kDpi, R = Sheet.width() - C.InRight * kDpi;
    const double T = C.InTop * kDpi, B = Sheet.height() - C.InBottom * kDpi;
    const double HeadTop = 0.5 * kDpi, FootBottom = Sheet.height() - 0.5 * kDpi;
    const int Tol = 4;  // glyph bearings and rasterising

    // The body's text starts at the body's top-left corner.
    const QRect Body = pdf::InkBox(Page, QRect(0, int(T) - 2, int(Sheet.width()), int(B - T)));
    EXPECT_NEAR(Body.left(), L, Tol);
    EXPECT_NEAR(Body.top(), T + 3, Tol);  // the cap height sits a little under the line's top
    // Header: three texts on one line from the header's top, the right one ending at the
    // body's right edge, the rule under them across the body's width.
    const int HeadRows = int(T) - int(HeadTop) - 2;
    // Text rows only: the rule lies 18 pixels under the header's top.
    const QRect HeadLeft = pdf::InkBox(Page, QRect(0, int(HeadTop) - 5, int(L + 80), 20));
    const QRect HeadRight = pdf::InkBox(Page, QRect(int(R - 80), int(HeadTop) - 5, 80 + 10, 20));
    const QRect HeadMiddle = pdf::InkBox(Page, QRect(int((L + R) / 2 - 60), int(HeadTop) - 5, 120, 20));
    EXPECT_NEAR(HeadLeft.left(), L, Tol);
    EXPECT_NEAR(HeadRight.right(), R, Tol);
    EXPECT_NEAR((HeadMiddle.left() + HeadMiddle.right()) / 2.0, (L + R) / 2, Tol);
    EXPECT_NEAR(HeadLeft.top(), HeadTop + 3, Tol);
    EXPECT_EQ(HeadLeft.top(), HeadRight.top());
    const QRect HeadRule = pdf::InkBox(Page, QRect(int(L + 90), int(HeadTop) + 15, int(R - L - 180), HeadRows - 15));
    EXPECT_LE(HeadRule.height(), 2);
    EXPECT_NEAR(HeadRule.top(), HeadTop + 16 + 2, Tol);  // text height, then 28 twips
    const QRect HeadRuleAll = pdf::InkBox(Page, QRect(0, HeadRule.top(), int(Sheet.width()), HeadRule.height()));
    EXPECT_NEAR(HeadRuleAll.left(), L, 1);
    EXPECT_NEAR(HeadRuleAll.right(), R, 1);
    // Footer: one line whose bottom is the footer's bottom edge, the rule above it.
    const QRect FootLeft = pdf::InkBox(Page, QRect(0, int(FootBottom) - 16, int(L + 80), 20));
    const QRect FootRight = pdf::InkBox(Page, QRect(int(R - 80), int(FootBottom) - 16, 90, 20));
    EXPECT_NEAR(FootLeft.left(), L, Tol);
    EXPECT_NEAR(FootRight.right(), R, Tol);
    EXPECT_NEAR(FootLeft.bottom(), FootBottom - 3, Tol);  // the descent under capitals
    const QRect FootRule = pdf::InkBox(Page, QRect(int(L + 90), int(B) + 2, int(R - L - 180), int(FootBottom - B) - 18));
    EXPECT_LE(FootRule.height(), 2);
    EXPECT_NEAR(FootRule.bottom(), FootBottom - 16 - 2, Tol);
  }
}

TEST_F(PrintTest, TabStopsCountFromTheLeftMarginOnThePrintedPage) {
  ASSERT_TRUE(Edit->Engine()->LoadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard Ref\\par"
                                      "\\pard\\li1440\\tx2880 A\\tab Bee\\par"
                                      "\\pard\\li720\\fi720\\tx2880 C\\tab Dee\\par}"));
  Edit->Print("Tabs");
  ASSERT_TRUE(Questions.asked.empty());
  std::map<QString, double> Left;
  for (const pdf::Word& W : pdf::PageWords(Path(), 1)) Left[W.Text] = W.Box.left();
  ASSERT_TRUE(Left.count("Ref") && Left.count("Bee") && Left.count("Dee"));
  // Two inches from where the unindented paragraph starts: 144 points.
  EXPECT_NEAR(Left["Bee"] - Left["Ref"], 144, 2);
  EXPECT_NEAR(Left["Dee"] - Left["Ref"], 144, 2);
}

TEST_F(PrintTest, AHeaderHandlerCanSuppressOnePageOnly) {
  Edit->PrintHeader().CenterText = "HEADING";
  Edit->PrintHeader().LineSeparator = true;
  Edit->SetText(Lines(150));
  std::vector<QString> TextsSeen;
  Edit->OnPrintHeader = [&](TqvCustomRichEdit*, QRect, int Page, QString&, QString& Center, QString&, bool& DoDefault) {
    TextsSeen.push_back(Center);
    EXPECT_TRUE(DoDefault);
    if (Page == 2) {
      Center = "changed";  // the change must not reach page 3
      DoDefault = false;
    }
  };
  Edit->Print("Suppressed");
  const QStringList Pages = pdf::PageTexts(Path());
  ASSERT_GE(Pages.size(), 3);
  EXPECT_TRUE(Pages[0].contains("HEADING"));
  EXPECT_FALSE(Pages[1].contains("HEADING") || Pages[1].contains("changed"));
  EXPECT_TRUE(Pages[2].contains("HEADING"));
  EXPECT_EQ(TextsSeen[2], "HEADING");
  // No rule on page 2 either: nothing at all above the body.
  const QImage Second = pdf::PageImage(Path(), 2, kDpi);
  EXPECT_TRUE(pdf::InkBox(Second, QRect(0, 0, 850, 98)).isEmpty());
  EXPECT_FALSE(pdf::InkBox(pdf::PageImage(Path(), 3, kDpi), QRect(0, 0, 850, 98)).isEmpty());
}

TEST_F(PrintTest, APageAreaReplacesTheMargins) {
  Edit->SetPageArea(QRect(2400, 3600, 4800, 6000));  // printer pixels: 2 and 3 inches in
  Edit->SetText("HELLO");
  Edit->Print("Area");
  const QImage Page = pdf::PageImage(Path(), 1, kDpi);
  const QRect Ink = pdf::InkBox(Page);
  EXPECT_NEAR(Ink.left(), 200, 4);
  EXPECT_NEAR(Ink.top(), 303, 4);
}

TEST(PrintBody, TheBodyIsClampedToThePrintableArea) {
  platform::TPrinterSetup S;
  S.Printers = {TPrinter::PdfPrinterName()};
  S.PdfUnprintable = QMarginsF(18, 18, 18, 18);  // a quarter inch: 360 twips
  platform::SetPrinterSetup(S);
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;  // 12240 x 15840 twips
  TqvCustomRichEdit E;
  struct Case { double Left, Top, Right, Bottom; engine::RECT Body; };
  const Case Cases[] = {
      {1, 1, 1, 1, {1080, 1080, 10440, 14040}},
      {0, 0, 0, 0, {0, 0, 11520, 15120}},            // into the unprintable edge
      {-2, -2, -2, -2, {0, 0, 11520, 15120}},
      {9, 1, 1, 1, {11520, 1080, 11520, 14040}},     // wider than the sheet: no width
      {5, 1, 5, 1, {6840, 1080, 6840, 14040}},       // left and right meet
      {1, 11.5, 1, 1, {1080, 15480, 10440, 15480}},  // the top below the printable area
  };
  for (const Case& C : Cases) {
    E.PrintMargins() = TqvPrintMargins{C.Top, C.Bottom, C.Left, C.Right};
    EXPECT_EQ(E.GetPrintBodyRect(), C.Body) << C.Left << " " << C.Top << " " << C.Right << " " << C.Bottom;
  }
  E.SetMeasurementUnits(muCentimeters);
  E.PrintMargins() = TqvPrintMargins{2.537, 2.537, 2.537, 2.537};
  EXPECT_EQ(E.GetPrintBodyRect(), (engine::RECT{1080, 1080, 10440, 14040}));
  platform::SetPrinterSetup(std::nullopt);
}

TEST_F(PrintTest, MarginsThatLeaveNoBodyAreRefusedAndNothingIsPrinted) {
  Edit->SetText("keep me");
  Edit->SetModified(false);
  const QByteArray Before = Edit->EngineLines().SaveToBytes();
  for (auto M : {TqvPrintMargins{1, 1, 5, 4}, TqvPrintMargins{6, 6, 1, 1}, TqvPrintMargins{1, 1, 9, 1}}) {
    Edit->PrintMargins() = M;
    Questions.asked.clear();
    Edit->Print("No room");
    ASSERT_EQ(Questions.asked.size(), 1u);
    EXPECT_TRUE(Questions.asked[0].text.contains("no room")) << Questions.asked[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(Path()));
  }
  EXPECT_EQ(Edit->EngineLines().SaveToBytes(), Before);
  EXPECT_FALSE(Edit->Modified());
  EXPECT_FALSE(platform::Printer().Printing());
}

TEST_F(PrintTest, AFailingPrinterEndsTheJobWithAMessageAndLeavesTheText) {
  Edit->SetText(Words(200));
  Edit->SetModified(false);
  const QByteArray Before = Edit->EngineLines().SaveToBytes();
  QFile Blocker(dir.filePath("file"));
  ASSERT_TRUE(Blocker.open(QIODevice::WriteOnly));
  Blocker.close();
  platform::Printer().SetOutputFileName(dir.filePath("file/print.pdf"));
  Edit->Print("Nowhere");
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_TRUE(Questions.asked[0].text.contains("file/print.pdf")) << Questions.asked[0].text.toStdString();
  EXPECT_FALSE(platform::Printer().Printing());
  EXPECT_EQ(Edit->EngineLines().SaveToBytes(), Before);
  EXPECT_FALSE(Edit->Modified());
  // The next job works.
  platform::Printer().SetOutputFileName({});
  Questions.asked.clear();
  Edit->Print("Again");
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_GE(pdf::PageCount(Path()), 1);
}

TEST_F(PrintTest, WithoutAPrinterPrintingReportsItAndPrinterWidthFallsBackToTheWindow) {
  UsePrinters({});
  Edit->Print("None");
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_EQ(Questions.asked[0].text, TPrinter::NoPrinterMessage());
  const engine::RECT WindowRect = Edit->Engine()->GetRect();
  Edit->SetEditWidth(rewPrinterSize);
  EXPECT_FALSE(Edit->UsesPrinterSize());
  Edit->SetFormatRect();
  EXPECT_EQ(Edit->Engine()->GetRect(), WindowRect);
  Edit->SetPrintPageSize(platform::dmpA4);
  EXPECT_EQ(Edit->Engine()->GetRect(), WindowRect);
}

TEST_F(PrintTest, PrinterWidthLaysTheTextOutAtThePagesPrintableWidth) {
  QWidget Form;  // the control sits on a form
  Edit.reset(new TProbeRichEdit(&Form));
  Edit->resize(400, 300);
  Edit->HandleNeeded();
  Edit->SetScrollBars(engine::ssVertical);
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;
  Edit->SetEditWidth(rewPrinterSize);
  ASSERT_TRUE(Edit->UsesPrinterSize());
  const int S = Edit->ScreenPixelsY();
  const int G = Edit->GutterWidth();
  // Letter, margins of an inch each side: 6.5 inches of text.
  EXPECT_EQ(Edit->Engine()->GetRect(), (engine::RECT{G + 10, 0, engine::LONG(6.5 * S) + G + 4, 13200 * S / 1200}));
  // A new paper size goes into the printer's device mode and the text follows it.
  Edit->SetPrintPageSize(platform::dmpA4);
  EXPECT_EQ(platform::Printer().DeviceMode().dmPaperSize, platform::dmpA4);
  const engine::LONG A4Right = engine::LONG(std::trunc((9917.0 / 1200 - 2) * S)) + G + 4;
  EXPECT_EQ(Edit->Engine()->GetRect().right, A4Right);
  EXPECT_EQ(Edit->Engine()->GetRect().bottom, 14033 * S / 1200);
  // Centimetres: the margins' sum converts as the component converts lengths.
  Edit->SetMeasurementUnits(muCentimeters);
  Edit->PrintMargins() = TqvPrintMargins{2.537, 2.537, 2.537, 2.537};
  Edit->SetFormatRect();
  EXPECT_EQ(Edit->Engine()->GetRect().right, A4Right);
  // Once the vertical scroll bar has a range, the rectangle makes room for it.
  Edit->SetText(Lines(200));
  ASSERT_NE(Edit->Engine()->verticalScrollBar()->maximum(), 0);
  Edit->SetFormatRect();
  EXPECT_EQ(Edit->Engine()->GetRect().right,
            A4Right - Edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 5);
  // Printing takes the control's paper size into the printer first.
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;
  Edit->Print("Paper");
  EXPECT_NEAR(pdf::PageSizePoints(Path()).width(), 595, 1);
  Edit.reset();
}

}  // namespace
