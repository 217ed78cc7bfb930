// The page setup dialog: what it shows for the control's settings, what OK writes back into the
// control and the program's printer, and that Cancel, a missing printer and impossible margins
// change nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "platform/Printer.h"
#include "richtext/editor/qvrich.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/RichEditFixture.h"

using namespace richtext;
using platform::TPrinter;

namespace {

class PageSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Use({TPrinter::PdfPrinterName(), "Office"});
    Edit = new TProbeRichEdit(&Form);
    Edit->resize(400, 300);
    Edit->HandleNeeded();
    Dialog.SetTargetEdit(Edit);
  }
  void TearDown() override { platform::SetPrinterSetup(std::nullopt); }
  void Use(const QStringList& Printers) {
    platform::TPrinterSetup S;
    S.Printers = Printers;
    platform::SetPrinterSetup(S);
    if (!Printers.isEmpty()) platform::Printer().DeviceMode() = {platform::dmpLetter, platform::DMORIENT_PORTRAIT};
  }

  // Runs the dialog; Act sees it open and closes it.
  bool Run(const std::function<void(TqvPageSetupForm&)>& Act) {
    bool Seen = false;
    QTimer::singleShot(0, [&] {
      auto* F = qobject_cast<TqvPageSetupForm*>(QApplication::activeModalWidget());
      if (!F) return;
      Seen = true;
      Act(*F);
    });
    const bool Result = Dialog.Execute();
    EXPECT_TRUE(Seen) << "the dialog did not show";
    return Result;
  }
  static QDoubleSpinBox* Margin(TqvPageSetupForm& F, const char* Name) {
    return F.findChild<QDoubleSpinBox*>(Name);
  }
  static void Press(TqvPageSetupForm& F, const QString& Caption) {
    for (QPushButton* B : F.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
      if (B->text() == Caption) B->click();
  }
  static void Ok(TqvPageSetupForm& F) { Press(F, "&OK"); }
  static void Cancel(TqvPageSetupForm& F) { Press(F, "Cancel"); }

  QWidget Form;
  TProbeRichEdit* Edit = nullptr;
  TqvPageSetupDialog Dialog;
  TestQuestions Questions;
};

TEST_F(PageSetupTest, InchesShowAsInchesAndOkAppliesMarginsAndOrientation) {
  Edit->PrintMargins() = {1.0, 1.25, 0.5, 0.75};  // top, bottom, left, right
  const bool Confirmed = Run([](TqvPageSetupForm& F) {
    EXPECT_DOUBLE_EQ(Margin(F, "LeftEdit")->value(), 0.5);
    EXPECT_DOUBLE_EQ(Margin(F, "RightEdit")->value(), 0.75);
    EXPECT_DOUBLE_EQ(Margin(F, "TopEdit")->value(), 1.0);
    EXPECT_DOUBLE_EQ(Margin(F, "BottomEdit")->value(), 1.25);
    // Window-width layout: the paper is the printer's business, not this control's.
    EXPECT_FALSE(F.findChild<QComboBox*>("PaperBox")->isEnabled());
    EXPECT_TRUE(F.findChild<QRadioButton*>("PortraitButton")->isChecked());
    Margin(F, "LeftEdit")->setValue(1.125);
    F.findChild<QRadioButton*>("LandscapeButton")->setChecked(true);
    Ok(F);
  });
  EXPECT_TRUE(Confirmed);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Left, 1.125);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Right, 0.75);
  EXPECT_EQ(platform::Printer().Orientation(), platform::poLandscape);
  EXPECT_EQ(platform::Printer().DeviceMode().dmPaperSize, platform::dmpLetter);
  EXPECT_EQ(Edit->PrintPageSize(), platform::dmpLetter);
}

TEST_F(PageSetupTest, CentimetresShowAsMillimetresAndComeBackUnchanged) {
  Edit->SetMeasurementUnits(muCentimeters);
  Edit->PrintMargins() = {2.5, 2.5, 2.5, 3.0};
  Run([](TqvPageSetupForm& F) {
    EXPECT_DOUBLE_EQ(Margin(F, "LeftEdit")->value(), 25);
    EXPECT_DOUBLE_EQ(Margin(F, "RightEdit")->value(), 30);
    bool InMillimetres = false;
    for (QGroupBox* G : F.findChildren<QGroupBox*>()) InMillimetres |= G->title() == "Margins (millimeters)";
    EXPECT_TRUE(InMillimetres);
    Margin(F, "TopEdit")->setValue(12.5);
    Ok(F);
  });
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Left, 2.5);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Right, 3.0);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Top, 1.25);
}

TEST_F(PageSetupTest, CancelChangesNeitherMarginsNorPaperNorPrinter) {
  Edit->SetEditWidth(rewPrinterSize);
  Edit->SetPrintPageSize(platform::dmpA4);
  const int PrinterBefore = platform::Printer().PrinterIndex();
  const platform::TDeviceMode ModeBefore = platform::Printer().DeviceMode();
  const engine::RECT RectBefore = Edit->Engine()->GetRect();
  const bool Confirmed = Run([](TqvPageSetupForm& F) {
    Margin(F, "LeftEdit")->setValue(2);
    F.findChild<QComboBox*>("PaperBox")->setCurrentIndex(F.findChild<QComboBox*>("PaperBox")->findData(5));
    F.findChild<QComboBox*>("PrinterBox")->setCurrentIndex(1);
    F.findChild<QRadioButton*>("LandscapeButton")->setChecked(true);
    Cancel(F);
  });
  EXPECT_FALSE(Confirmed);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Left, 1.0);
  EXPECT_EQ(Edit->PrintPageSize(), platform::dmpA4);
  EXPECT_EQ(platform::Printer().PrinterIndex(), PrinterBefore);
  EXPECT_EQ(platform::Printer().DeviceMode(), ModeBefore);
  EXPECT_EQ(Edit->Engine()->GetRect(), RectBefore);
}

TEST_F(PageSetupTest, WithPrinterWidthThePaperIsChosenAndTheTextFollowsIt) {
  Edit->SetEditWidth(rewPrinterSize);
  Edit->SetPrintPageSize(platform::dmpA4);
  const engine::LONG A4Right = Edit->Engine()->GetRect().right;
  Run([](TqvPageSetupForm& F) {
    QComboBox* Paper = F.findChild<QComboBox*>("PaperBox");
    EXPECT_TRUE(Paper->isEnabled());
    EXPECT_EQ(Paper->currentData().toInt(), platform::dmpA4);
    Paper->setCurrentIndex(Paper->findData(int(platform::dmpLegal)));
    Ok(F);
  });
  EXPECT_EQ(Edit->PrintPageSize(), platform::dmpLegal);
  EXPECT_EQ(platform::Printer().DeviceMode().dmPaperSize, platform::dmpLegal);
  EXPECT_GT(Edit->Engine()->GetRect().right, A4Right);  // Legal is wider than A4
}

TEST_F(PageSetupTest, TheChosenPrinterBecomesTheProgramsPrinter) {
  ASSERT_EQ(platform::Printer().PrinterName(), TPrinter::PdfPrinterName());
  Run([](TqvPageSetupForm& F) {
    QComboBox* Printers = F.findChild<QComboBox*>("PrinterBox");
    EXPECT_EQ(Printers->count(), 2);
    Printers->setCurrentIndex(Printers->findText("Office"));
    Ok(F);
  });
  EXPECT_EQ(platform::Printer().PrinterName(), "Office");
}

TEST_F(PageSetupTest, MarginsThatLeaveNoRoomAreRefusedAndTheDialogStaysOpen) {
  const bool Confirmed = Run([this](TqvPageSetupForm& F) {
    Margin(F, "LeftEdit")->setValue(4.5);
    Margin(F, "RightEdit")->setValue(4.5);  // 9 inches across Letter's 8.5
    Ok(F);
    EXPECT_TRUE(F.isVisible());
    ASSERT_EQ(Questions.asked.size(), 1u);
    EXPECT_TRUE(Questions.asked[0].text.contains("no room"));
    Cancel(F);
  });
  EXPECT_FALSE(Confirmed);
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Left, 1.0);
}

TEST_F(PageSetupTest, TheDialogSitsCentredAThirdOfTheWayDownTheScreen) {
  Run([](TqvPageSetupForm& F) {
    const QRect Screen = F.screen()->geometry();
    const QRect Frame = F.frameGeometry();
    EXPECT_EQ(Frame.left(), Screen.left() + (Screen.width() - Frame.width()) / 2);
    EXPECT_EQ(Frame.top(), Screen.top() + (Screen.height() - Frame.height()) / 3);
    Cancel(F);
  });
}

TEST_F(PageSetupTest, WithoutAPrinterTheLayersMessageShowsAndNothingChanges) {
  Use({});
  EXPECT_FALSE(Dialog.Execute());
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_EQ(Questions.asked[0].text, TPrinter::NoPrinterMessage());
  EXPECT_DOUBLE_EQ(Edit->PrintMargins().Left, 1.0);
}

}  // namespace
