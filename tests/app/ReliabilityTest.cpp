// The glossary window when the store fails underneath it: a damaged file, a lock held by another
// window, a read-only file. Nothing is lost, nothing is reported as what it is not, and the
// window stays as it was and usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

#include "app/LockWaitWindow.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "data/LockWait.h"
#include "engine/RichEngine.h"
#include "tests/common/DamagedFile.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/ReadOnlyFile.h"
#include "tests/common/TestQuestions.h"

using app::TForm1;
using namespace data;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

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

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(ReliabilityTest, ALetterChangeWaitingForALockPaintsShowsTheWaitAndCancelsLikeATimeout) {
  BuildGlossary(tmp.path(), SampleTerms());
  auto form = Open();
  ASSERT_TRUE(form);
  app::InstallLockWaiter();
  TestQuestions q;
  const QStringList lettersA = Words(*form);
  const QString definitionA = Definition(*form);
  PaintCounter painted(form->LmPanel1);
  RawStore other(Detail());
  ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));

  bool shown = false;
  int paintsWhileWaiting = 0;
  QTimer::singleShot(700, form.get(), [&] {
    app::TLockWaitWindow* w = app::LockWaitWindow();
    shown = w && w->isVisible() && w->Label->text() == QStringLiteral("Waiting for another Termora window…");
    const int before = painted.paints;
    form->LmPanel1->update();
    QTimer::singleShot(200, form.get(), [&, before] {
      paintsWhileWaiting = painted.paints - before;
      // A click on another letter meanwhile is refused, not started inside this one.
      QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {},
                        form->Lm[3]->mapTo(form.get(), form->Lm[3]->rect().center()));
      if (app::TLockWaitWindow* w = app::LockWaitWindow()) w->CancelButton->click();
    });
  });
  QElapsedTimer timer;
  timer.start();
  form->Lm[10]->Click();
  EXPECT_LT(timer.elapsed(), 3500) << "the wait ran to its timeout";
  EXPECT_TRUE(shown);
  EXPECT_GT(paintsWhileWaiting, 0);
  EXPECT_EQ(app::LockWaitWindow(), nullptr);
  ASSERT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
  EXPECT_TRUE(q.asked[0].text.contains("busy")) << q.asked[0].text.toStdString();

  // Everything as it was before the click, and the click can be made again.
  EXPECT_EQ(form->Table1->RecNo(), 1);
  EXPECT_EQ(Words(*form), lettersA);
  EXPECT_EQ(Definition(*form), definitionA);
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  form->Lm[10]->Click();
  EXPECT_EQ(form->Table1->RecNo(), 10);
  EXPECT_EQ(Words(*form), QStringList({"Кандидат", "Каркас", "Клещ"}));
  data::SetLockWaiter({});
}

TEST_F(ReliabilityTest, AGlossaryThatCannotBeWrittenSaysWhyOnceAndShowsItselfReadOnly) {
  BuildGlossary(tmp.path(), SampleTerms());
  UnwritableFile locked(Detail());
  if (!locked.Usable()) GTEST_SKIP() << "no way here to make a file unwritable";
  TestQuestions q;
  auto form = Open();
  ASSERT_TRUE(form);
  ASSERT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
  EXPECT_TRUE(q.asked[0].text.contains(Detail())) << q.asked[0].text.toStdString();
  EXPECT_TRUE(q.asked[0].text.contains("cannot be changed")) << q.asked[0].text.toStdString();
  EXPECT_TRUE(q.asked[0].text.contains("read-only")) << q.asked[0].text.toStdString();

  auto* mark = form->StatusBar1->findChild<QLabel*>("ReadOnlyMark");
  ASSERT_TRUE(mark);
  EXPECT_TRUE(mark->isVisible());
  for (TNavigateBtn b : {nbInsert, nbDelete, nbEdit, nbPost, nbCancel})
    EXPECT_FALSE(form->DBNavigator1->ButtonEnabled(b)) << int(b);
  EXPECT_TRUE(form->DBNavigator1->ButtonEnabled(nbNext));
  EXPECT_TRUE(form->qvDBRichEdit1->GetReadOnly());

  // Typing and moving about ask nothing more and change nothing.
  const QString definition = Definition(*form);
  QTest::keyClicks(form->qvDBRichEdit1->Engine(), "xyz");
  EXPECT_EQ(Definition(*form), definition);
  EXPECT_EQ(form->Table2->State(), dsBrowse);
  form->DBNavigator1->BtnClick(nbNext);
  form->Lm[10]->Click();
  EXPECT_EQ(Words(*form), QStringList({"Кандидат", "Каркас", "Клещ"}));
  EXPECT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
}

TEST_F(ReliabilityTest, AKeystrokeThatFindsTheTermChangedElsewhereKeepsTheCaretWhereItWas) {
  const struct {
    const char* what;
    QString stored;  // what the other window stores meanwhile
    int from, to;    // this window's selection when the key is typed
    QString expected;
  } cases[] = {
      {"inside the new text", "0123456789", 5, 8, "01234x89"},
      {"past the end of a shorter text", "012", 5, 8, "012x"},
  };
  MakeGlossary(tmp.path(), {{"А", {{"Акация", "{\\rtf1 abcdefghijklmnop}"}}}});
  auto form = Open();
  ASSERT_TRUE(form);
  TestQuestions q;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form->Table2->Cancel();
    {
      GlossaryTables other(tmp.path());
      other.Open();
      other.Table2.Edit();
      other.Table2TextDetail.SetAsBytes("{\\rtf1 " + c.stored.toUtf8() + "}");
      other.Table2.Post();
    }
    engine::TRichEngine* e = form->qvDBRichEdit1->Engine();
    e->setFocus();
    e->SetSel({c.from, c.to});
    QTest::keyClicks(e, "x");
    EXPECT_EQ(Definition(*form), c.expected);
    EXPECT_EQ(form->Table2->State(), dsEdit);
    form->Table2->Post();
  }
  EXPECT_TRUE(q.asked.empty()) << q.Texts().join("\n").toStdString();
}

TEST_F(ReliabilityTest, ClosingWithAChangeTheStoreRefusesAsksAndNoKeepsTheWindowAndTheChange) {
  struct Case {
    const char* what;
    bool conflict;  // else the table is busy
    const char* reason;
  } cases[] = {{"another window stored the term meanwhile", true, "changed by another user"},
               {"another program holds the table", false, "busy"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir folder;
    MakeGlossary(folder.path(), {{"А", {{"Акация", "{\\rtf1 mine}"}}}});
    QString error;
    auto form = app::CreateForm1(folder.path(), &error);
    ASSERT_TRUE(form) << error.toStdString();
    form->show();
    QTest::keyClicks(form->qvDBRichEdit1->Engine(), "typed ");
    std::unique_ptr<RawStore> holder;
    if (c.conflict) {
      GlossaryTables other(folder.path());
      other.Open();
      other.Table2.Edit();
      other.Table2TextDetail.SetAsBytes("{\\rtf1 theirs}");
      other.Table2.Post();
    } else {
      holder = std::make_unique<RawStore>(folder.filePath("tableDetail.DB"));
      ASSERT_TRUE(holder->Exec("BEGIN EXCLUSIVE"));
    }

    TestQuestions q;
    q.answers = {platform::idNo};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_TRUE(q.asked[0].text.contains(c.reason)) << q.asked[0].text.toStdString();
    EXPECT_TRUE(q.asked[0].text.contains("without storing")) << q.asked[0].text.toStdString();
    EXPECT_EQ(q.asked[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(q.asked[0].defaultAnswer, platform::idNo);
    // No: the window stays, with the change still in it and still pending.
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Table2->State(), dsEdit);
    EXPECT_EQ(Definition(*form), "typed mine");

    if (c.conflict) {
      // Refused again; Yes closes without it, and the other window's text is what stays stored.
      q.answers = {platform::idYes};
      EXPECT_TRUE(form->close());
      EXPECT_EQ(q.asked.size(), 2u);
      form.reset();
      GlossaryTables stored(folder.path());
      stored.Open();
      EXPECT_EQ(stored.Table2TextDetail.AsBytes(), "{\\rtf1 theirs}");
    } else {
      // Once the other program lets go, closing stores it without a word.
      ASSERT_TRUE(holder->Exec("ROLLBACK"));
      EXPECT_TRUE(form->close());
      EXPECT_EQ(q.asked.size(), 1u) << q.Texts().join("\n").toStdString();
      form.reset();
      holder.reset();
      GlossaryTables stored(folder.path());
      stored.Open();
      EXPECT_TRUE(stored.Table2TextDetail.AsBytes().contains("typed mine")) << stored.Table2TextDetail.AsBytes().toStdString();
    }
  }
}

TEST_F(ReliabilityTest, WithNoLettersATypedDefinitionIsRefusedNotStoredUnderNoLetter) {
  MakeGlossary(tmp.path(), {});
  TestQuestions q;
  auto form = Open();
  ASSERT_TRUE(form);
  QTest::keyClicks(form->qvDBRichEdit1->Engine(), "x");
  form->DBNavigator1->BtnClick(nbInsert);
  ASSERT_FALSE(q.asked.empty());
  for (const auto& a : q.asked) EXPECT_TRUE(a.text.contains("tableMaster")) << a.text.toStdString();
  EXPECT_EQ(form->Table2->State(), dsBrowse);
  form.reset();
  RawStore raw(Detail());
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail").toInt(), 0);
}

TEST_F(ReliabilityTest, ALongDefinitionOpensTakesAKeyIsStoredAndReopensWithoutBeingLaidOutWhole) {
  // Laying such a text out whole took minutes; the window lays out what it shows.
  const int paragraphs = 20000;
  QByteArray longRtf = "{\\rtf1 ";
  for (int i = 0; i < paragraphs; ++i) longRtf += "\\par ";
  longRtf += "}";
  MakeGlossary(tmp.path(), {{"А", {{"Акация", longRtf}, {"Апис", "{\\rtf1 short}"}}}});
  TestQuestions q;
  auto form = Open();
  ASSERT_TRUE(form);
  engine::TRichEngine* e = form->qvDBRichEdit1->Engine();
  auto laidOutWhole = [&] {
    const QTextLayout* last = e->document()->lastBlock().layout();
    return last && last->lineCount() > 0;
  };
  ASSERT_EQ(e->document()->blockCount(), paragraphs);
  form->resize(form->width() + 40, form->height() + 30);
  QCoreApplication::processEvents();
  EXPECT_FALSE(laidOutWhole()) << "opening or resizing laid out the whole definition";

  e->setFocus();
  QTest::keyClicks(e, "x");
  form->DBNavigator1->BtnClick(nbNext);
  ASSERT_EQ(form->Table2WordDetail->AsString(), QString::fromUtf8("Апис"));
  form->DBNavigator1->BtnClick(nbPrior);
  ASSERT_EQ(form->Table2WordDetail->AsString(), QString::fromUtf8("Акация"));
  QCoreApplication::processEvents();
  EXPECT_EQ(e->document()->blockCount(), paragraphs);
  EXPECT_TRUE(e->document()->firstBlock().text().startsWith(u'x'));
  EXPECT_FALSE(laidOutWhole()) << "reopening laid out the whole definition";
  EXPECT_TRUE(q.asked.empty()) << q.Texts().join("\n").toStdString();
}

}  // namespace
