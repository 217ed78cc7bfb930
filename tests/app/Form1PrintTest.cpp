// The definition editor of the glossary window carries the print settings the editor window
// copies, and prints the definition with them.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "platform/Printer.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TestQuestions.h"

namespace {

TEST(Form1Print, TheDefinitionCarriesItsPrintSettingsAndPrintsWithThem) {
  QTemporaryDir Tmp;
  BuildGlossary(Tmp.path(), SampleTerms());
  QString Error;
  std::unique_ptr<app::TForm1> Form = app::CreateForm1(Tmp.path(), &Error);
  ASSERT_TRUE(Form) << Error.toStdString();
  richtext::TqvDBRichEdit* Edit = Form->qvDBRichEdit1;
  EXPECT_EQ(Edit->PrintJobName(), "Quillon 5");
  EXPECT_EQ(Edit->MeasurementUnits(), richtext::muInches);
  EXPECT_EQ(Edit->EditWidth(), richtext::rewWindowSize);
  const richtext::TqvPrintMargins& M = Edit->PrintMargins();
  EXPECT_EQ(std::vector<double>({M.Top, M.Bottom, M.Left, M.Right}), std::vector<double>(4, 1.0));
  for (richtext::TqvRTFHeaderFooter* HF : {&Edit->PrintHeader(), &Edit->PrintFooter()}) {
    EXPECT_DOUBLE_EQ(HF->VertMargin, 0.5);
    EXPECT_EQ(HF->Font.family(), "MS Sans Serif");
    EXPECT_EQ(HF->Font.pixelSize(), 11);
  }

  ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils must be installed";
  TestQuestions Questions;
  platform::TPrinterSetup S;
  S.Printers = {platform::TPrinter::PdfPrinterName()};
  S.PdfPath = Tmp.filePath("definition.pdf");
  platform::SetPrinterSetup(S);
  Edit->PrintHeader().CenterText = "Termora";
  Edit->SetText("Nectar is collected by worker bees.");
  Edit->Print(Edit->PrintJobName());
  platform::SetPrinterSetup(std::nullopt);
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_EQ(pdf::Info(S.PdfPath, "Title"), "Quillon 5");
  const QString Text = pdf::PageTexts(S.PdfPath).value(0);
  EXPECT_TRUE(Text.contains("Termora") && Text.contains("Nectar is collected by worker bees.")) << Text.toStdString();
}

}  // namespace
