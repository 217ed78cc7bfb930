// The glossary window's definition opens the rich text editor with F2 and with its popup's first
// item; what the editor saves is stored with the record like any other change.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "engine/RichEngine.h"
#include "richtext/editor/qvrichform.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

using app::TForm1;
using richtext::TqvRichEditForm;

namespace {

class GlossaryEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    richtext::InstallRichEditForm();
    BuildGlossary(Dir.path(), SampleTerms());
    Form = Open();
    ASSERT_TRUE(Form);
  }
  std::unique_ptr<TForm1> Open() {
    QString Error;
    auto F = app::CreateForm1(Dir.path(), &Error);
    EXPECT_TRUE(F) << Error.toStdString();
    return F;
  }
  // Runs Script in the editor window when the definition opens it.
  void WhenOpened(const std::function<void(TqvRichEditForm&)>& Script) {
    Form->qvDBRichEdit1->OnCreateDialog = [Script](QWidget* W) {
      auto* F = static_cast<TqvRichEditForm*>(W);
      QTimer::singleShot(0, F, [F, Script] { Script(*F); });
    };
  }
  void PressF2() {
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(Form->qvDBRichEdit1->Handle(), &Press);
  }

  QTemporaryDir Dir;
  std::unique_ptr<TForm1> Form;
  TestQuestions Questions;
};

}  // namespace

TEST_F(GlossaryEditor, F2OpensTheEditorOnTheCurrentDefinitionAndSaveAndExitStoresIt) {
  QString Seen;
  WhenOpened([&](TqvRichEditForm& F) {
    Seen = F.RichEdit1->Text();
    // The definition's text colour comes along (its automatic colour is the panel's blue).
    EXPECT_EQ(F.RichEdit1->palette().color(QPalette::Text), Form->qvDBRichEdit1->palette().color(QPalette::Text));
    EXPECT_EQ(F.Automatic1->data().toInt(), 13500416);
    F.RichEdit1->SetSelStart(0);
    F.RichEdit1->SetSelText(QStringLiteral("Edited. "));
    F.SaveExit1->trigger();
  });
  PressF2();
  EXPECT_EQ(Seen, QString::fromUtf8("Definition of Акация"));
  EXPECT_EQ(Form->qvDBRichEdit1->Text(), QString::fromUtf8("Edited. Definition of Акация"));
  Form->Table2->Post();
  Form.reset();
  Form = Open();
  EXPECT_EQ(Form->Table2WordDetail->AsString(), QString::fromUtf8("Акация"));
  EXPECT_EQ(Form->qvDBRichEdit1->Text(), QString::fromUtf8("Edited. Definition of Акация"));
  EXPECT_TRUE(Questions.asked.empty());
}

TEST_F(GlossaryEditor, ThePopupsFirstItemIsEditAndOpeningWithoutChangesLeavesTheRecordAlone) {
  Form->Table2->Post();
  ASSERT_EQ(Form->Table2->State(), data::dsBrowse);
  richtext::TqvDBRichEdit* Definition = Form->qvDBRichEdit1;
  QMenu* Menu = Definition->GetPopupMenu();
  ASSERT_NE(Menu, nullptr);
  Definition->PreparePopup();
  QAction* First = Menu->actions().first();
  EXPECT_EQ(First->text(), QStringLiteral("&Edit"));
  bool Opened = false;
  WhenOpened([&](TqvRichEditForm& F) {
    Opened = true;
    F.Exit1->trigger();
  });
  First->trigger();
  EXPECT_TRUE(Opened);
  EXPECT_EQ(Form->Table2->State(), data::dsBrowse);
  EXPECT_FALSE(Definition->Modified());
  EXPECT_TRUE(Questions.asked.empty());
}
