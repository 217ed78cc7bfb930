// The program's printer: paper codes, the printer list with and without printers, the PDF
// printer's metrics and jobs, and jobs that fail.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include "base/Exception.h"
#include "platform/Printer.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TemporaryHome.h"

using namespace platform;

namespace {

// The PDF printer alone, writing into a temporary folder.
class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils (pdftotext, pdftoppm, pdfinfo) must be installed";
    Use({TPrinter::PdfPrinterName()});
  }
  void TearDown() override { SetPrinterSetup(std::nullopt); }
  void Use(const QStringList& Printers, QMarginsF Unprintable = {}) {
    TPrinterSetup S;
    S.Printers = Printers;
    S.PdfPath = Path();
    S.PdfUnprintable = Unprintable;
    SetPrinterSetup(S);
  }
  QString Path() const { return dir.filePath("out.pdf"); }

  // Prints Pages pages, each saying which it is at the printable area's top-left corner.
  void PrintPages(int Pages) {
    TPrinter& P = Printer();
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      if (N > 1) P.NewPage();
      numbers.push_back(P.PageNumber());
      QPainter& C = *P.Canvas();
      C.setFont(QFont("DejaVu Sans", 12));
      C.drawText(QPoint(0, C.fontMetrics().ascent()), QString("page %1 of the job").arg(N));
    }
    P.EndDoc();
  }

  QTemporaryDir dir;
  std::vector<int> numbers;
};

TEST(PaperCodes, MapToPageSizesBothWays) {
  struct Case { int Code; QPageSize::PageSizeId Id; bool Known; };
  const Case Cases[] = {
      {1, QPageSize::Letter, true}, {9, QPageSize::A4, true},     {5, QPageSize::Legal, true},
      {8, QPageSize::A3, true},     {11, QPageSize::A5, true},    {7, QPageSize::ExecutiveStandard, true},
      {54, QPageSize::Letter, true}, {77, QPageSize::A4, true},   {70, QPageSize::A6, true},
      {14, QPageSize::Letter, false}, {0, QPageSize::Letter, false}, {400, QPageSize::Letter, false},
  };
  for (const Case& C : Cases) {
    bool Known = !C.Known;
    EXPECT_EQ(PageSizeOfPaperCode(C.Code, &Known), C.Id) << C.Code;
    EXPECT_EQ(Known, C.Known) << C.Code;
  }
  // A size maps back to its first, upright code.
  EXPECT_EQ(PaperCodeOfPageSize(QPageSize::Letter), 1);
  EXPECT_EQ(PaperCodeOfPageSize(QPageSize::A4), 9);
  EXPECT_EQ(PaperCodeOfPageSize(QPageSize::Tabloid), 3);
  EXPECT_EQ(PaperCodeOfPageSize(QPageSize::Custom), 0);
  const QList<int> Offered = PaperCodes();
  EXPECT_TRUE(Offered.contains(1) && Offered.contains(9) && Offered.contains(5));
  EXPECT_FALSE(Offered.contains(54) || Offered.contains(77) || Offered.contains(14));
}

TEST_F(PrinterTest, WithoutAnyPrinterEveryQuestionReportsThatNoneIsSelected) {
  Use({});
  TPrinter& P = Printer();
  EXPECT_TRUE(P.Printers().isEmpty());
  EXPECT_EQ(P.PrinterIndex(), -1);
  EXPECT_FALSE(P.IsPdfPrinter());
  const std::vector<std::function<void()>> Questions = {
      [&] { P.PrinterName(); },      [&] { P.DeviceMode(); },   [&] { P.LogPixelsX(); },
      [&] { P.PhysicalPageSize(); }, [&] { P.PrintingOffset(); }, [&] { P.PageHeight(); },
      [&] { P.BeginDoc(); },
  };
  for (const auto& Q : Questions) {
    try {
      Q();
      ADD_FAILURE() << "no exception";
    } catch (const base::Exception& E) {
      EXPECT_EQ(E.Message(), TPrinter::NoPrinterMessage());
    }
  }
  EXPECT_FALSE(P.Printing());
  EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(PrinterTest, TheMachinesOwnListAlwaysEndsWithThePdfPrinter) {
  SetPrinterSetup(std::nullopt);
  const QStringList Names = Printer().Printers();
  ASSERT_FALSE(Names.isEmpty());
  EXPECT_EQ(Names.back(), TPrinter::PdfPrinterName());
  EXPECT_EQ(Names.count(TPrinter::PdfPrinterName()), 1);
  EXPECT_GE(Printer().PrinterIndex(), 0);
}

TEST_F(PrinterTest, SelectingAPrinterKeepsEachPrintersDeviceMode) {
  Use({"Office", TPrinter::PdfPrinterName()});
  TPrinter& P = Printer();
  EXPECT_EQ(P.PrinterName(), TPrinter::PdfPrinterName());  // the default without a desktop default
  P.DeviceMode().dmPaperSize = dmpA5;
  P.SetPrinterIndex(0);
  EXPECT_EQ(P.PrinterName(), "Office");
  P.DeviceMode().dmPaperSize = dmpLegal;
  P.SetPrinterIndex(1);
  P.SetPrinterIndex(1);  // re-selecting keeps it
  EXPECT_EQ(P.DeviceMode().dmPaperSize, dmpA5);
  P.SetPrinterIndex(0);
  EXPECT_EQ(P.DeviceMode().dmPaperSize, dmpLegal);
  EXPECT_THROW(P.SetPrinterIndex(2), base::Exception);
  P.SetPrinterIndex(-1);
  EXPECT_EQ(P.PrinterName(), TPrinter::PdfPrinterName());
}

TEST_F(PrinterTest, PdfMetricsFollowPaperOrientationAndUnprintableEdge) {
  struct Case { int Paper; TPrinterOrientation Orientation; double Edge; QSize Phys; QPoint Offset; };
  const Case Cases[] = {
      {dmpLetter, poPortrait, 0, {10200, 13200}, {0, 0}},
      {dmpLetter, poLandscape, 0, {13200, 10200}, {0, 0}},
      // A4 as a PDF sheet holds it: 595 x 842 points.
      {dmpA4, poPortrait, 18, {9917, 14033}, {300, 300}},
      {dmpA4, poLandscape, 36, {14033, 9917}, {600, 600}},
      {14, poPortrait, 0, {10200, 13200}, {0, 0}},  // a code without a page size prints on Letter
  };
  for (const Case& C : Cases) {
    Use({TPrinter::PdfPrinterName()}, QMarginsF(C.Edge, C.Edge, C.Edge, C.Edge));
    TPrinter& P = Printer();
    P.DeviceMode().dmPaperSize = C.Paper;
    P.SetOrientation(C.Orientation);
    EXPECT_EQ(P.DeviceMode().dmPaperSize, C.Paper);  // kept as given
    EXPECT_EQ(P.LogPixelsX(), 1200);
    EXPECT_EQ(P.LogPixelsY(), 1200);
    EXPECT_EQ(P.PhysicalPageSize(), C.Phys) << C.Paper;
    EXPECT_EQ(P.PrintingOffset(), C.Offset) << C.Paper;
    EXPECT_EQ(P.PageWidth(), C.Phys.width() - 2 * C.Offset.x());
    EXPECT_EQ(P.PageHeight(), C.Phys.height() - 2 * C.Offset.y());
  }
}

TEST_F(PrinterTest, AJobWritesItsPagesOnTheChosenSheetUnderItsTitle) {
  struct Case { int Paper; TPrinterOrientation Orientation; QSizeF Points; };
  const Case Cases[] = {{dmpLetter, poPortrait, {612, 792}},
                        {dmpLetter, poLandscape, {792, 612}},
                        {dmpA4, poPortrait, {595, 842}},
                        {dmpA4, poLandscape, {842, 595}}};
  for (const Case& C : Cases) {
    numbers.clear();
    TPrinter& P = Printer();
    P.DeviceMode().dmPaperSize = C.Paper;
    P.SetOrientation(C.Orientation);
    P.SetTitle("Quillon 5");
    PrintPages(3);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(P.Printing());
    EXPECT_EQ(P.LastOutputFile(), Path());
    ASSERT_EQ(pdf::PageCount(Path()), 3);
    const QSizeF Size = pdf::PageSizePoints(Path());
    EXPECT_NEAR(Size.width(), C.Points.width(), 1);
    EXPECT_NEAR(Size.height(), C.Points.height(), 1);
    EXPECT_EQ(pdf::Info(Path(), "Title"), "Quillon 5");
    const QStringList Texts = pdf::PageTexts(Path());
    ASSERT_EQ(Texts.size(), 3);
    for (int N = 0; N < 3; ++N) EXPECT_EQ(Texts[N].trimmed(), QString("page %1 of the job").arg(N + 1));
  }
}

TEST_F(PrinterTest, TheCanvasOriginIsTheCornerOfThePrintableArea) {
  Use({TPrinter::PdfPrinterName()}, QMarginsF(36, 72, 36, 72));  // half an inch, one inch
  TPrinter& P = Printer();
  P.DeviceMode().dmPaperSize = dmpLetter;
  P.BeginDoc();
  P.Canvas()->fillRect(QRect(0, 0, 1200, 600), Qt::black);  // one inch by half an inch
  P.EndDoc();
  const QImage Page = pdf::PageImage(Path(), 1, 100);
  EXPECT_EQ(pdf::InkBox(Page), QRect(50, 100, 100, 50));
}

TEST_F(PrinterTest, APdfThatCannotBeWrittenFailsClearlyAndLeavesNoJobBehind) {
  QFile Blocker(dir.filePath("not-a-folder"));
  ASSERT_TRUE(Blocker.open(QIODevice::WriteOnly));
  Blocker.close();
  PrintPages(1);
  ASSERT_EQ(Printer().LastOutputFile(), Path());
  Printer().SetOutputFileName(dir.filePath("not-a-folder/out.pdf"));
  try {
    Printer().BeginDoc();
    ADD_FAILURE() << "no exception";
  } catch (const base::Exception& E) {
    EXPECT_TRUE(E.Message().contains("not-a-folder/out.pdf")) << E.Message().toStdString();
  }
  EXPECT_FALSE(Printer().Printing());
  EXPECT_EQ(Printer().LastOutputFile(), QString());  // no file from this job
  Printer().SetOutputFileName({});
  PrintPages(1);  // the printer is ready for the next job
  EXPECT_EQ(pdf::PageCount(Path()), 1);
}

TEST_F(PrinterTest, AWriteFailureMidJobEndsItAndKeepsTheFileThatWasThere) {
  {
    QFile Old(Path());
    ASSERT_TRUE(Old.open(QIODevice::WriteOnly));
    Old.write("what the user had");
  }
  // A file size limit makes the disk refuse more bytes, as a full disk does.
  rlimit Saved{};
  getrlimit(RLIMIT_FSIZE, &Saved);
  const auto OldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit Small = Saved;
  Small.rlim_cur = 20000;
  setrlimit(RLIMIT_FSIZE, &Small);
  TPrinter& P = Printer();
  QString Message;
  int PagesBegun = 0;
  try {
    P.BeginDoc();
    for (PagesBegun = 1; PagesBegun < 200; ++PagesBegun) {
      QPainter& C = *P.Canvas();
      for (int Line = 0; Line < 60; ++Line)
        C.drawText(QPoint(0, 200 * (Line + 1)), QString("line %1 of page %2, some more words").arg(Line).arg(PagesBegun));
      P.NewPage();
    }
    P.EndDoc();
  } catch (const base::Exception& E) {
    Message = E.Message();
  }
  setrlimit(RLIMIT_FSIZE, &Saved);
  std::signal(SIGXFSZ, OldHandler);
  EXPECT_TRUE(Message.contains("could not be written")) << Message.toStdString();
  EXPECT_GT(PagesBegun, 1);  // it failed midway, not at the start
  EXPECT_FALSE(P.Printing());
  QFile Old(Path());
  ASSERT_TRUE(Old.open(QIODevice::ReadOnly));
  EXPECT_EQ(Old.readAll(), "what the user had");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.pdf"});  // no leftovers
}

TEST_F(PrinterTest, AQueueThatIsNotThereRefusesTheJob) {
  Use({"Nowhere"});
  try {
    Printer().BeginDoc();
    ADD_FAILURE() << "no exception";
  } catch (const base::Exception& E) {
    EXPECT_TRUE(E.Message().contains("Nowhere")) << E.Message().toStdString();
  }
  EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrinterTest, WithoutAFileNameThePdfGoesToANewFileInTheDocumentsFolder) {
  // The desktop's documents folder, as the user's folder settings name it.
  QTemporaryDir Config;
  QDir().mkpath(dir.filePath("Docs"));
  QFile Dirs(Config.filePath("user-dirs.dirs"));
  ASSERT_TRUE(Dirs.open(QIODevice::WriteOnly));
  Dirs.write(QString("XDG_DOCUMENTS_DIR=\"%1\"\n").arg(dir.filePath("Docs")).toUtf8());
  Dirs.close();
  const QByteArray OldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
  TPrinterSetup S;
  S.Printers = {TPrinter::PdfPrinterName()};
  SetPrinterSetup(S);
  Printer().SetTitle("Quillon 5");
  PrintPages(1);
  const QString First = Printer().LastOutputFile();
  PrintPages(1);
  const QString Second = Printer().LastOutputFile();
  Printer().SetTitle("a/b");
  PrintPages(1);
  const QString Third = Printer().LastOutputFile();
  if (OldConfig.isNull()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", OldConfig);
  EXPECT_EQ(First, dir.filePath("Docs/Quillon 5.pdf"));
  EXPECT_EQ(Second, dir.filePath("Docs/Quillon 5 (2).pdf"));
  EXPECT_EQ(Third, dir.filePath("Docs/a_b.pdf"));
  EXPECT_EQ(pdf::PageCount(First), 1);
}

TEST_F(PrinterTest, AnAccountWithoutADocumentsFolderStillGetsItsPdf) {
  struct Case {
    const char* name;
    const char* userDirs;   // the folder settings' documents entry; nullptr: none
    const char* inTheWay;   // a file where the folder would go; nullptr: none
    const char* expected;   // the PDF, from the home folder
  };
  const Case cases[] = {
      {"the usual folder is made", nullptr, nullptr, "Documents/Hive.pdf"},
      {"the folder the settings name is made", "\"$HOME/Papers/Bees\"", nullptr, "Papers/Bees/Hive.pdf"},
      {"a folder that cannot be made leaves the home folder", nullptr, "Documents", "Hive.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir Home;
    if (c.userDirs) {
      QDir().mkpath(Home.filePath(".config"));
      QFile Dirs(Home.filePath(".config/user-dirs.dirs"));
      ASSERT_TRUE(Dirs.open(QIODevice::WriteOnly));
      Dirs.write(QByteArray("XDG_DOCUMENTS_DIR=") + c.userDirs + "\n");
    }
    if (c.inTheWay) {
      QFile File(Home.filePath(c.inTheWay));
      ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    }
    TemporaryHome Env(Home.path());
    TPrinterSetup S;
    S.Printers = {TPrinter::PdfPrinterName()};
    SetPrinterSetup(S);
    Printer().SetTitle("Hive");
    ASSERT_NO_THROW(PrintPages(1));
    EXPECT_EQ(Printer().LastOutputFile(), Home.filePath(c.expected));
    EXPECT_EQ(pdf::PageCount(Home.filePath(c.expected)), 1);
  }
}

}  // namespace
