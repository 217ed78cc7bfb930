// The editor window's commands that reach the control's dialogs and the printer: each acts on the
// window's own control, and what it changes comes back only with Save and Exit.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "platform/FindReplaceDialog.h"
#include "platform/Printer.h"
#include "richtext/editor/qvrich.h"
#include "tests/common/ObjectFakes.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TemporaryHome.h"
#include "tests/richtext_editor/EditorFixture.h"

using namespace engine;
using namespace richtext;

namespace {

class EditorCommands : public EditorOnGlossary {
 protected:
  EditorCommands() {
    platform::TPrinterSetup S;
    S.Printers = {platform::TPrinter::PdfPrinterName()};
    S.PdfPath = Dir.filePath(QStringLiteral("printed.pdf"));
    platform::SetPrinterSetup(S);
    SavedDialogs = EditorDialogs();
  }
  ~EditorCommands() override {
    platform::SetPrinterSetup(std::nullopt);
    EditorDialogs() = SavedDialogs;
  }
  QTemporaryDir Dir;
  TqvEditorDialogs SavedDialogs;
};

}  // namespace

TEST_F(EditorCommands, PrintPrintsTheWindowsCopyToThePdfPrinterUnderTheJobName) {
  ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils must be installed";
  const QString Pdf = Dir.filePath(QStringLiteral("chosen.pdf"));
  int Asked = 0;
  EditorDialogs().Print = [&](QWidget*, TqvPrintChoice& Choice) {
    ++Asked;
    EXPECT_TRUE(Choice.Collate);
    Choice.PrinterIndex = 0;
    Choice.PdfFile = Pdf;
    return true;
  };
  Edit.SetPrintJobName(QStringLiteral("Acacia print"));
  bool Allow = false;
  Edit.OnMenuPrintClick = [&](QWidget*, TqvCustomRichEdit*, bool& DoDefault) { DoDefault = Allow; };
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    F.RichEdit1->SetSelStart(0);
    F.RichEdit1->SetSelText(QStringLiteral("Printed: "));
    F.Print1->trigger();  // the host says no
    EXPECT_EQ(Asked, 0);
    Allow = true;
    F.PrintButton->click();
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
  EXPECT_EQ(Asked, 1);
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_EQ(pdf::Info(Pdf, QStringLiteral("Title")), QStringLiteral("Acacia print"));
  EXPECT_TRUE(pdf::PageTexts(Pdf).value(0).contains(QStringLiteral("Printed: Acacia blossom")));
  // The definition itself is as it was.
  EXPECT_EQ(Edit.Text(), QStringLiteral("Acacia blossom"));

  // Without any printer the window says so and prints nothing.
  platform::SetPrinterSetup(platform::TPrinterSetup{});
  RunEditor(Edit, [](TqvRichEditForm& F) {
    F.Print1->trigger();
    F.Exit1Click();
  });
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_EQ(Questions.asked[0].text, platform::TPrinter::NoPrinterMessage());
}

TEST_F(EditorCommands, PrintingToAFileStartsInTheDocumentsFolderAndSaysWhereThePdfWent) {
  ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils must be installed";
  QTemporaryDir Home;  // an account without a documents folder
  TemporaryHome Env(Home.path());
  platform::TPrinterSetup S;
  S.Printers = {platform::TPrinter::PdfPrinterName()};
  platform::SetPrinterSetup(S);  // the PDF printer picks its file as on a user's desktop
  const QString Documents = QDir(Home.path()).filePath(QStringLiteral("Documents"));
  Edit.SetPrintJobName(QStringLiteral("Acacia print"));
  struct Case {
    const char* name;
    const char* typed;    // into the print dialog's file box; nullptr: left as it is
    const char* browsed;  // the name given in Browse's file dialog; nullptr: no Browse
    const char* expected;  // the PDF, in the documents folder
  };
  const Case Cases[] = {
      {"no file named: a new one named after the job", nullptr, nullptr, "Acacia print.pdf"},
      {"Browse adds the extension", nullptr, "notes", "notes.pdf"},
      {"a name typed without folder or extension", "hive", nullptr, "hive.pdf"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.name);
    platform::Printer().SetOutputFileName({});
    const QString Expected = QDir(Documents).filePath(QString::fromUtf8(C.expected));
    RunEditor(Edit, [&](TqvRichEditForm& F) {
      QTimer::singleShot(0, [&] {
        auto* D = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(D, nullptr);
        base::ScopeGuard Close([D] {
          if (D->isVisible()) D->reject();
        });
        auto* File = D->findChild<QLineEdit*>();
        ASSERT_NE(File, nullptr);
        if (C.typed) File->setText(QString::fromUtf8(C.typed));
        if (C.browsed) {
          QTimer::singleShot(0, [&] {
            auto* Files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(Files, nullptr);
            // Not the program's working folder (the glossary's data).
            EXPECT_EQ(Files->directory().absolutePath(), Documents);
            Files->selectFile(QString::fromUtf8(C.browsed));
            static_cast<QDialog*>(Files)->accept();  // as its Save button does
            if (Files->isVisible()) Files->reject();
          });
          for (QPushButton* B : D->findChildren<QPushButton*>())
            if (B->text() == QStringLiteral("&Browse...")) B->click();
          EXPECT_EQ(File->text(), Expected);
        }
        D->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
      });
      F.Print1->trigger();
      EXPECT_EQ(F.StatusBar->PanelText(0), QStringLiteral("Printed to ") + Expected);
      F.Exit1Click();
    });
    EXPECT_TRUE(Questions.asked.empty());
    EXPECT_EQ(pdf::PageCount(Expected), 1);
  }
}

TEST_F(EditorCommands, PageSetupChangesTheWindowsControlAndOkTakesTheMarginsBack) {
  RunEditor(Edit, [](TqvRichEditForm& F) {
    QTimer::singleShot(0, [] {
      auto* Form = qobject_cast<TqvPageSetupForm*>(QApplication::activeModalWidget());
      ASSERT_NE(Form, nullptr);
      Form->findChild<QDoubleSpinBox*>(QStringLiteral("LeftEdit"))->setValue(0.5);
      for (QPushButton* B : Form->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
        if (B->text() == QStringLiteral("&OK")) B->click();
    });
    F.PageSetup1->trigger();
    EXPECT_DOUBLE_EQ(F.RichEdit1->PrintMargins().Left, 0.5);
    F.SaveExit1Click();
  });
  EXPECT_DOUBLE_EQ(Edit.PrintMargins().Left, 0.5);
}

TEST_F(EditorCommands, FindAndFindNextSearchTheWindowsText) {
  RunEditor(Edit, [](TqvRichEditForm& F) {
    TqvCustomRichEdit& R = *F.RichEdit1;
    R.SetSelStart(R.GetTextLen());
    R.SetSelText(QStringLiteral(" and more blossom"));
    R.SetSelStart(0);
    EXPECT_FALSE(F.FindNext1->isEnabled());
    F.Find1->trigger();
    platform::TFindDialog* Find = R.FindDialog();
    ASSERT_NE(Find, nullptr);
    EXPECT_TRUE(Find->isVisible());
    Find->SetFindText(QStringLiteral("blossom"));
    Find->FindNextButton()->click();
    EXPECT_EQ(R.SelStart(), 7);
    EXPECT_EQ(R.SelLength(), 7);
    Find->close();
    F.RefreshControls();
    EXPECT_TRUE(F.FindNext1->isEnabled());
    F.FindNext1->trigger();
    EXPECT_EQ(R.SelStart(), 24);
    R.SetModified(false);
    F.Exit1Click();
  });
}

TEST_F(EditorCommands, TheParagraphAndTabCommandsRunTheirDialogsOnTheWindowsControl) {
  const auto Saved = QvRichEditHooks();
  TqvCustomRichEdit* Seen[2] = {};
  QvRichEditHooks().ShowParagraphDialog = [&](TqvCustomRichEdit* E) {
    Seen[0] = E;
    E->SetParagraphFormat(pmStartIndent, QString(), 0, 0, 0, 0, nullptr, 0, 1440, 0, 0, false);
    return true;
  };
  QvRichEditHooks().ShowTabsDialog = [&](TqvCustomRichEdit* E) {
    Seen[1] = E;
    return false;
  };
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    const int Before = F.Ruler->FirstIndentMarker()->x();
    F.Paragraph1->trigger();
    // An inch further in at 96 pixels per inch: the ruler shows it at once.
    EXPECT_EQ(F.Ruler->FirstIndentMarker()->x(), Before + 96);
    F.Tabs1->trigger();
    EXPECT_EQ(Seen[0], F.RichEdit1);
    EXPECT_EQ(Seen[1], F.RichEdit1);
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
  QvRichEditHooks() = Saved;
}

TEST_F(EditorCommands, AnInsertedPictureIsStoredWithTheDefinition) {
  const QString Png = WriteFile(Dir, QStringLiteral("comb.png"), PngBytes(Qt::yellow, 24, 16));
  ScriptedDialog Insert([&](QDialog* D) {
    D->findChild<QRadioButton*>(QStringLiteral("CreateFromFile"))->setChecked(true);
    D->findChild<QLineEdit*>(QStringLiteral("FileName"))->setText(Png);
    D->findChild<QCheckBox*>(QStringLiteral("DisplayAsIcon"))->setChecked(false);
    D->findChild<QCheckBox*>(QStringLiteral("Link"))->setChecked(false);
    D->accept();
    return D->result();
  });
  EXPECT_TRUE(RunEditor(Edit, [](TqvRichEditForm& F) {
    EXPECT_TRUE(F.InsertObject1->isVisible());
    F.RichEdit1->SetSelStart(6);
    F.InsertObject1->trigger();
    EXPECT_EQ(F.RichEdit1->GetTextLen(), 15);
    F.SaveExit1Click();
  }));
  EXPECT_TRUE(Stored().contains("\\object")) << Stored().left(200).toStdString();
  EXPECT_EQ(Edit.GetTextLen(), 15);
}
