// The glossary window when the store fails underneath it: a damaged file, a lock held by another
// window, a read-only file. Nothing is lost, nothing is reported as what it is not, and the
// window stays as it was and usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <memory>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "engine/RichEngine.h"
#include "tests/common/DamagedFile.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

using app::TForm1;
using namespace data;

namespace {

class ReliabilityTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

  std::unique_ptr<TForm1> Open() {
    QString error;
    auto form = app::CreateForm1(tmp.path(), &error, [] { return QDate(2024, 3, 5); });
    EXPECT_TRUE(form) << error.toStdString();
    if (form) {
      form->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    return form;
  }
  QString Detail() const { return tmp.filePath("tableDetail.DB"); }
  static QString Definition(TForm1& f) { return f.qvDBRichEdit1->Engine()->Text(); }
  static QStringList Words(TForm1& f) {
    QStringList words;
    for (int i = 0; i < f.Table2->RowCount(); ++i) words << f.Table2->RowValue(i, f.Table2WordDetail).toString();
    return words;
  }

  QTemporaryDir tmp;
};

TEST_F(ReliabilityTest, ADefinitionOnADamagedPageIsReportedOnceAndNeverShownAsAnother) {
  // Long definitions, each on pages of its own.
  MakeGlossary(tmp.path(), {{"А",
                             {{"Акация", "{\\rtf1 first " + QByteArray(3000, 'a') + "}"},
                              {"Апис", "{\\rtf1 second " + QByteArray(3000, 'b') + "}"}}}});
  auto form = Open();
  ASSERT_TRUE(form);
  TestQuestions q;
  ASSERT_TRUE(Definition(*form).startsWith("first"));
  form->Table2->Cancel();
  ScrambleTablePage(Detail(), TablePageHolding(Detail(), "second"));

  form->DBNavigator1->BtnClick(nbNext);
  QTest::qWait(50);
  ASSERT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
  EXPECT_TRUE(q.asked[0].text.contains("damaged")) << q.asked[0].text.toStdString();
  EXPECT_TRUE(q.asked[0].text.contains(Detail())) << q.asked[0].text.toStdString();
  EXPECT_FALSE(q.asked[0].text.contains("another user"));
  // Not the previous term's definition, not an empty one: why it cannot be shown.
  EXPECT_EQ(form->Table2WordDetail->AsString(), "Апис");
  EXPECT_TRUE(Definition(*form).startsWith("(The table file")) << Definition(*form).toStdString();
  EXPECT_EQ(Words(*form), QStringList({"Акация", "Апис"}));

  // Typing over it stores nothing and asks nothing again.
  QTest::keyClicks(form->qvDBRichEdit1->Engine(), "xyz");
  QTest::keyClick(form->qvDBRichEdit1->Engine(), Qt::Key_Backspace);
  EXPECT_EQ(form->Table2->State(), dsBrowse);
  EXPECT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
  EXPECT_TRUE(Definition(*form).startsWith("(The table file"));

  // The term before it still reads, and is editable.
  form->DBNavigator1->BtnClick(nbPrior);
  EXPECT_TRUE(Definition(*form).startsWith("first"));
  QTest::keyClicks(form->qvDBRichEdit1->Engine(), "x");
  EXPECT_EQ(form->Table2->State(), dsEdit);
}

}  // namespace
