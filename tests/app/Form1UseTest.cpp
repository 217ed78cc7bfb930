// The glossary window driven as a user drives it: mouse clicks and keys on the shown window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "data/DBNavigator.h"
#include "tests/common/GlossaryFixture.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using app::TForm1;
using namespace data;

namespace {

class Form1Use : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    BuildGlossary(tmp.path(), SampleTerms());
    QString error;
    form = app::CreateForm1(tmp.path(), &error);
    ASSERT_TRUE(form) << error.toStdString();
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  void TearDown() override {
    if (form) form->hide();
  }

  void ClickRow(int row) {
    TDBGrid* g = form->DBGrid1;
    QTest::mouseClick(g, Qt::LeftButton, {},
                      QPoint(100, g->TitleHeight() + row * g->DefaultRowHeight() + g->DefaultRowHeight() / 2));
  }
  void ClickNavigator(TNavigateBtn b) { QTest::mouseClick(form->DBNavigator1->Button(b), Qt::LeftButton); }
  // Types into whatever has the focus, any alphabet.
  static void Type(const QString& text) {
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
  }
  QString Focused() const {
    const QWidget* f = QApplication::focusWidget();
    while (f && f->objectName().isEmpty()) f = f->parentWidget();  // the engine inside the definition
    return f ? f->objectName() : QString();
  }

  QTemporaryDir tmp;
  std::unique_ptr<TForm1> form;
};

TEST_F(Form1Use, NavigatorClicksLeaveTheKeyboardWhereItWas) {
  ClickRow(0);
  ASSERT_EQ(Focused(), "DBGrid1");
  ClickNavigator(nbNext);
  EXPECT_EQ(Focused(), "DBGrid1");
  EXPECT_EQ(form->Table2->RecNo(), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(form->Table2->RecNo(), 3);

  // After "+" the typing goes into the new term.
  ClickNavigator(nbInsert);
  EXPECT_EQ(Focused(), "DBGrid1");
  ASSERT_EQ(form->Table2->State(), dsInsert);
  Type(QString::fromUtf8("Арка"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(form->Table2WordDetail->AsString(), QString::fromUtf8("Арка"));
  ClickNavigator(nbCancel);
  EXPECT_EQ(Focused(), "DBGrid1");

  // With the definition focused, it keeps the focus.
  QTest::mouseClick(form->qvDBRichEdit1->Handle()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
  ASSERT_EQ(Focused(), "qvDBRichEdit1");
  ClickNavigator(nbPrior);
  EXPECT_EQ(Focused(), "qvDBRichEdit1");
}

TEST_F(Form1Use, ShiftTabWalksTheTabOrderBackwards) {
  // Round the window once forwards from the grid, then backwards: the same stops in reverse.
  form->DBGrid1->setFocus();
  QStringList forward{Focused()};
  for (int i = 0; i < 40 && (forward.size() == 1 || forward.back() != "DBGrid1"); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    forward << Focused();
  }
  ASSERT_EQ(forward.back(), "DBGrid1");
  EXPECT_TRUE(forward.contains("Lm1") && forward.contains("LmButton1") && forward.contains("qvDBRichEdit1"));
  EXPECT_FALSE(forward.contains("LmPanel1"));

  QStringList backward{Focused()};
  for (int i = 1; i < forward.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    backward << Focused();
  }
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, forward);
}

}  // namespace
