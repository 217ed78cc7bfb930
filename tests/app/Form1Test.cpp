#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/DateLine.h"
#include "engine/RichEditTypes.h"
#include "engine/RichEngine.h"
#include "tests/common/GlossaryFixture.h"
#include "app/Startup.h"
#include "tests/common/TestQuestions.h"
#include "app/Unit1.h"

using app::TForm1;
using namespace data;

namespace {

TEST(DateLine, ReadsTheDateInRussianWithoutLeadingZeroAndWithTheTrailingSpace) {
  struct Case {
    QDate date;
    const char* line;
  } cases[] = {
      {QDate(2024, 3, 5), "  Сегодня 5 марта 2024 года, вторник "},
      {QDate(2024, 3, 10), "  Сегодня 10 марта 2024 года, воскресенье "},
      {QDate(2023, 1, 1), "  Сегодня 1 января 2023 года, воскресенье "},
      {QDate(2024, 2, 29), "  Сегодня 29 февраля 2024 года, четверг "},
      {QDate(2025, 5, 31), "  Сегодня 31 мая 2025 года, суббота "},
      {QDate(2025, 12, 1), "  Сегодня 1 декабря 2025 года, понедельник "},
  };
  for (const auto& c : cases) EXPECT_EQ(app::DateLine(c.date), QString::fromUtf8(c.line)) << c.line;
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

  std::unique_ptr<TForm1> Open(const std::map<int, std::vector<QString>>& terms = SampleTerms(),
                               QDate today = QDate(2024, 3, 5)) {
    BuildGlossary(tmp.path(), terms);
    QString error;
    auto form = app::CreateForm1(tmp.path(), &error, [today] { return today; });
    EXPECT_TRUE(form) << error.toStdString();
    return form;
  }

  QStringList Words(TForm1& f) {
    QStringList words;
    for (int i = 0; i < f.Table2->RowCount(); ++i) words << f.Table2->RowValue(i, f.Table2WordDetail).toString();
    return words;
  }

  QTemporaryDir tmp;
};

TEST_F(Form1Test, StartsWithTheDateLineAndTheFirstTermOfLetterOneBeingEdited) {
  auto f = Open();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->windowTitle(), QString::fromUtf8(" Termora \"Словарь пчеловода\""));
  EXPECT_EQ(f->StatusBar1->currentMessage(), QString::fromUtf8("  Сегодня 5 марта 2024 года, вторник "));
  EXPECT_EQ(f->Table1->RecNo(), 1);
  EXPECT_EQ(f->Table2->State(), dsEdit);
  EXPECT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Акация"));
  EXPECT_FALSE(f->windowIcon().isNull());
  EXPECT_TRUE(f->qvDBRichEdit1->Text().contains(QString::fromUtf8("Definition of Акация")));
  // Advanced typography stays on, so stored justified paragraphs show justified. (The justified
  // selection itself does not outlive the edit that follows: the edit reloads the definition.)
  engine::TRichEngine* e = f->qvDBRichEdit1->Handle();
  EXPECT_EQ(e->Perform(engine::EM_GETTYPOGRAPHYOPTIONS) & engine::TO_ADVANCEDTYPOGRAPHY,
            engine::TO_ADVANCEDTYPOGRAPHY);
}

TEST_F(Form1Test, StartsInsertingWhenLetterOneHasNoTerms) {
  auto f = Open({{10, {QStringLiteral("Клещ")}}});
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Table2->State(), dsInsert);
  // Picking another letter without typing drops the empty record.
  f->Lm[10]->Click();
  EXPECT_EQ(f->Table2->State(), dsBrowse);
  f->Lm[1]->Click();
  EXPECT_TRUE(f->Table2->IsEmpty());
}

TEST_F(Form1Test, EachLetterButtonMovesTheMasterToItsRecord) {
  auto f = Open();
  ASSERT_TRUE(f);
  struct Case {
    int button;
    QStringList words;
  } cases[] = {
      {10, {QStringLiteral("Кандидат"), QStringLiteral("Каркас"), QStringLiteral("Клещ")}},
      {27, {QStringLiteral("Ячейка")}},
      {2, {}},
      {1, {QStringLiteral("Акация"), QStringLiteral("Апис")}},
  };
  for (const auto& c : cases) {
    f->Lm[c.button]->Click();
    EXPECT_EQ(f->Table1->RecNo(), c.button);
    EXPECT_EQ(f->Table1LetterMaster->AsString(), f->Lm[c.button]->Caption());
    EXPECT_EQ(Words(*f), c.words) << c.button;
  }
  // Every handler reaches its own record, and each caption is the letter of that record.
  for (int n = 1; n <= 27; ++n) {
    f->Lm[n]->Click();
    EXPECT_EQ(f->Table1->RecNo(), n);
    EXPECT_EQ(f->Lm[n]->Caption(), QString::fromUtf16(kLetterCaptions[n - 1]));
  }
}

TEST_F(Form1Test, EnterOrSpaceOnAFocusedLetterPicksIt) {
  auto f = Open();
  ASSERT_TRUE(f);
  f->show();
  QApplication::setActiveWindow(f.get());
  struct Case {
    int button;
    Qt::Key key;
  } cases[] = {{10, Qt::Key_Return}, {27, Qt::Key_Space}, {2, Qt::Key_Enter}};
  for (const auto& c : cases) {
    f->Lm[c.button]->setFocus();
    QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, c.key == Qt::Key_Space ? " " : "\r");
    QKeyEvent release(QEvent::KeyRelease, c.key, Qt::NoModifier, c.key == Qt::Key_Space ? " " : "\r");
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
    EXPECT_EQ(f->Table1->RecNo(), c.button) << c.button;
  }
  f->hide();
}

TEST_F(Form1Test, TheCurrentLetterLeavesThePendingEditInPlaceAndAnotherLetterStoresIt) {
  auto f = Open();
  ASSERT_TRUE(f);
  ASSERT_EQ(f->Table2->State(), dsEdit);
  f->Table2WordDetail->SetAsString(QStringLiteral("Акация белая"));
  f->Lm[1]->Click();
  EXPECT_EQ(f->Table2->State(), dsEdit);
  EXPECT_EQ(f->Table2WordDetail->AsString(), QStringLiteral("Акация белая"));

  f->Lm[10]->Click();
  f->Lm[1]->Click();
  EXPECT_EQ(Words(*f), QStringList({QStringLiteral("Акация белая"), QStringLiteral("Апис")}));
}

TEST_F(Form1Test, ClosingTheWindowStoresWhatTheGridAndTheDefinitionStillHold) {
  // Nothing of these was posted: the name is still in the grid's editor, the definition still in
  // the control. Closing stores them as moving to another term would.
  struct Case {
    const char* what;
    bool name, definition;
  } cases[] = {{"a name", true, false}, {"a definition", false, true}, {"both", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir folder;
    BuildGlossary(folder.path(), SampleTerms());
    TestQuestions q;
    {
      QString error;
      auto f = app::CreateForm1(folder.path(), &error);
      ASSERT_TRUE(f) << error.toStdString();
      f->show();
      if (c.name) {
        f->DBGrid1->ShowEditor();
        QLineEdit* editor = f->DBGrid1->InplaceEditor();
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Acacia alba"));
      }
      if (c.definition) QTest::keyClicks(f->qvDBRichEdit1->Engine(), QStringLiteral("Yellow "));
      EXPECT_TRUE(f->close());
    }
    EXPECT_TRUE(q.asked.empty()) << q.Texts().join("\n").toStdString();
    GlossaryTables stored(folder.path());
    stored.Open();
    EXPECT_EQ(stored.Words(), QStringList({c.name ? QStringLiteral("Acacia alba") : QStringLiteral("Акация"),
                                           QStringLiteral("Апис")}));
    const QByteArray rtf = stored.Table2TextDetail.AsBytes();
    EXPECT_TRUE(rtf.contains("Definition of")) << rtf.toStdString();
    EXPECT_EQ(rtf.contains("Yellow"), c.definition) << rtf.toStdString();
  }
}

TEST_F(Form1Test, ClosingWithNothingChangedWritesNothingAndAsksNothing) {
  auto f = Open();
  ASSERT_TRUE(f);
  const QString detail = tmp.filePath("tableDetail.DB");
  const QDateTime before = QFileInfo(detail).lastModified();
  TestQuestions q;
  f->show();
  EXPECT_TRUE(f->close());
  f.reset();
  EXPECT_EQ(QFileInfo(detail).lastModified(), before);
  EXPECT_TRUE(q.asked.empty()) << q.Texts().join("\n").toStdString();
}

TEST_F(Form1Test, AboutShowsOnePlainBoxCaptionedWithTheTitle) {
  auto f = Open();
  ASSERT_TRUE(f);
  TestQuestions q;
  f->LmButton1->Click();
  ASSERT_EQ(q.asked.size(), 1u);
  const auto& a = q.asked[0];
  EXPECT_EQ(a.caption, "Termora");
  EXPECT_EQ(a.icon, platform::Icon::None);
  EXPECT_EQ(a.buttons, platform::Buttons::Ok);
  // The first line names four web sites; the printed sources and the date of the last check follow.
  const QString lead = QString::fromUtf8("В программе Termora использованы материалы сайтов ");
  ASSERT_TRUE(a.text.startsWith(lead)) << a.text.toStdString();
  const QString first = a.text.section('\n', 0, 0);
  const QStringList sites = first.mid(lead.size()).split(QStringLiteral(", "));
  EXPECT_EQ(sites.size(), 4);
  for (const QString& s : sites) EXPECT_TRUE(!s.isEmpty() && !s.contains(' ')) << s.toStdString();
  EXPECT_FALSE(first.endsWith('.'));
  for (const char* source : {"ГОСТ 19792-2017", "ГОСТ 20728-2014", "№ 65 от 19.05.2016", "№ 490-ФЗ"})
    EXPECT_TRUE(a.text.contains(QString::fromUtf8(source))) << source;
  EXPECT_TRUE(a.text.contains(QString::fromUtf8("сверен с источниками 11.12.2026")));
  EXPECT_FALSE(a.text.endsWith('.'));
}

TEST(BackupMessage, FollowsTheResultFirstAndTheAbortedFlagSecond) {
  struct Case {
    int result;
    bool aborted;
    const char* message;
  } cases[] = {
      {0, false, "Оперция резервного копирования успешно завершена"},
      {0, true, "Оперция резервного копирования успешно завершена"},
      {1223, true, "Выполнение операции резервного копирования прервано пользователем"},
      {2, false, "Ошибка выполнения операции резервного копирования"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TForm1::BackupMessage(c.result, c.aborted), QString::fromUtf8(c.message)) << c.message;
}

TEST_F(Form1Test, BackupCopiesTheProjectRenamesASecondCopyAndReportsEachOutcome) {
  auto f = Open();
  ASSERT_TRUE(f);
  QTemporaryDir home;
  f->BackupSource = home.filePath("vekTermora/termoraProject");
  f->BackupTarget = home.filePath("vekTermora/backup");
  TestQuestions q;

  f->Button2Click(f->Button2);  // nothing to copy yet
  QDir().mkpath(f->BackupSource);
  {
    QFile big(f->BackupSource + "/data.bin");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(4 << 20, 'b'));
  }
  f->Button2Click(f->Button2);
  f->Button2Click(f->Button2);
  // Cancel in the progress window as soon as it is there.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<QProgressDialog*>(w)) p->cancel();
  });
  f->Button2Click(f->Button2);

  EXPECT_EQ(q.Texts(), QStringList({QString::fromUtf8("Ошибка выполнения операции резервного копирования"),
                                    QString::fromUtf8("Оперция резервного копирования успешно завершена"),
                                    QString::fromUtf8("Оперция резервного копирования успешно завершена"),
                                    QString::fromUtf8("Выполнение операции резервного копирования прервано пользователем")}));
  for (const auto& a : q.asked) EXPECT_EQ(a.caption, "Termora");
  EXPECT_EQ(QFileInfo(f->BackupTarget + "/termoraProject/data.bin").size(), 4 << 20);
  EXPECT_EQ(QFileInfo(f->BackupTarget + "/termoraProject (2)/data.bin").size(), 4 << 20);
  EXPECT_FALSE(QFileInfo::exists(f->BackupTarget + "/termoraProject (3)"));
}

TEST(BackupReport, ACopyThatLeftSomethingOutIsAFailureThatNamesIt) {
  platform::CopyOutcome r;
  r.result = platform::copyIncomplete;
  r.copiedTo = "/home/u/vekTermora/backup/termoraProject";
  r.leftOut = QStringList({"dev/null", "run/socket"});
  const QString text = TForm1::BackupReport(r);
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("Ошибка выполнения операции резервного копирования"))) << text.toStdString();
  EXPECT_TRUE(text.contains("dev/null, run/socket")) << text.toStdString();
  EXPECT_TRUE(text.contains(r.copiedTo)) << text.toStdString();
}

TEST_F(Form1Test, HiddenFontButtonActsOnlyWhenTheDetailIsBrowsing) {
  auto f = Open();
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->Button1->isVisibleTo(f.get()));
  f->Button1Click(f->Button1);  // still editing after start: nothing happens
  EXPECT_EQ(f->Table2->State(), dsEdit);
  f->Table2->Cancel();
  f->Button1Click(f->Button1);
  EXPECT_EQ(f->Table2->State(), dsEdit);
  EXPECT_EQ(f->qvDBRichEdit1->Handle()->Perform(engine::EM_GETTYPOGRAPHYOPTIONS) & engine::TO_ADVANCEDTYPOGRAPHY,
            engine::TO_ADVANCEDTYPOGRAPHY);
}

TEST(DeliverGuarded, AFailureEscapingAHandlerIsShownAndTheProgramGoesOn) {
  TestQuestions q;
  EXPECT_TRUE(app::DeliverGuarded([] { return true; }));
  EXPECT_FALSE(app::DeliverGuarded([]() -> bool { throw EDatabaseError("Record changed by another user"); }));
  EXPECT_FALSE(app::DeliverGuarded([]() -> bool { throw std::runtime_error("out of range"); }));
  EXPECT_EQ(q.Texts(), QStringList({"Record changed by another user", "out of range"}));
  for (const auto& a : q.asked) EXPECT_EQ(a.icon, platform::Icon::Error);
}

// ---- the open failure path --------------------------------------------------------------------

TEST(OpenFailure, MissingOrCorruptTablesAreReportedAndNothingIsCreated) {
  struct Case {
    const char* name;
    QByteArray master, detail;  // "-" means: no file
  } cases[] = {
      {"no tables", "-", "-"},
      {"only the master", "valid", "-"},
      {"corrupt files", "this is not a table", "nor this"},
  };
  for (const auto& c : cases) {
    QTemporaryDir tmp;
    if (c.master == "valid") {
      BuildGlossary(tmp.path(), {});
      QFile::remove(tmp.filePath("tableDetail.DB"));
    } else if (c.master != "-") {
      QFile m(tmp.filePath("tableMaster.DB"));
      ASSERT_TRUE(m.open(QIODevice::WriteOnly));
      m.write(c.master);
    }
    if (c.detail != "-") {
      QFile d(tmp.filePath("tableDetail.DB"));
      ASSERT_TRUE(d.open(QIODevice::WriteOnly));
      d.write(c.detail);
    }
    const QStringList before = QDir(tmp.path()).entryList(QDir::Files);
    QByteArray masterBytes;
    if (QFile m(tmp.filePath("tableMaster.DB")); m.open(QIODevice::ReadOnly)) masterBytes = m.readAll();

    QString error;
    auto form = app::CreateForm1(tmp.path(), &error);
    EXPECT_FALSE(form) << c.name;
    EXPECT_FALSE(error.isEmpty()) << c.name;
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), before) << c.name;
    if (QFile m(tmp.filePath("tableMaster.DB")); m.open(QIODevice::ReadOnly)) {
      EXPECT_EQ(m.readAll(), masterBytes) << c.name;
    }
  }
}

TEST(OpenFailure, TheProgramShowsTheStoreTextAndEndsWithoutAWindow) {
  QTemporaryDir tmp;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(tmp.path()));
  TestQuestions q;
  const int code = app::RunTermora();
  QDir::setCurrent(before);
  EXPECT_EQ(code, 1);
  ASSERT_EQ(q.asked.size(), 1u);
  EXPECT_EQ(q.asked[0].caption, "Termora");
  EXPECT_EQ(q.asked[0].icon, platform::Icon::Error);
  EXPECT_FALSE(q.asked[0].text.isEmpty());
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(qobject_cast<TForm1*>(w) && w->isVisible());
  EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
