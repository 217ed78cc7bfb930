#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>
#include <thread>

#include "app/SearchBox.h"
#include "base/ScopeGuard.h"
#include "app/SearchSource.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "rtf/CodePage.h"
#include "search/SearchIndex.h"
#include "rtf/DefinitionText.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

using app::TForm1;
using app::TSearchBox;
using namespace data;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A definition as the editor stores it: RTF with the Cyrillic text in code page 1251.
QByteArray Rtf(const QString& text) {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Verdana;}}\\f0\\fs24 ";
  for (const char c : rtf::EncodeCodePage(text, 1251)) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) rtf += "\\'" + QByteArray::number(b, 16);
    else if (c == '\n') rtf += "\\par\r\n";
    else rtf += c;
  }
  return rtf + "\\par\r\n}";
}

// Types `text` into `w` key by key, as a keyboard would (the test library spells ASCII only).
void Type(QWidget* w, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
  }
}

// Runs the event loop until `done` holds, for at most `ms`.
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(10);
  }
  return true;
}

GlossaryTerm Term(const char* word, const char* text) { return {QString::fromUtf8(word), Rtf(QString::fromUtf8(text))}; }

// The alphabet's letters, with terms on А, В, К, Р and Т.
std::vector<LetterTerms> Glossary() {
  std::vector<LetterTerms> letters;
  for (int n = 1; n <= 27; ++n) letters.push_back({QString::fromUtf16(kLetterCaptions[n - 1]), {}});
  letters[0].terms = {Term("Акарицид", "Препарат против клещей."), Term("Апис", "Род пчёл, Apis mellifera.")};
  letters[2].terms = {Term("Варроатоз", "Болезнь, которую вызывает клещ Varroa.\nЛечат осенью.")};
  letters[9].terms = {Term("Кандидат", "Тесто для подкормки пчёл."), Term("Клещ варроа", "Паразит пчёл и расплода."),
                      Term("Клубок", "Пчёлы зимуют в клубе.")};
  letters[15].terms = {Term("Роение", "Естественное размножение семей.")};
  letters[17].terms = {Term("Трахейный клещ", "Живёт в трахеях пчелы.")};
  return letters;
}

class SearchBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

  std::unique_ptr<TForm1> Open(bool build = true) {
    if (build) MakeGlossary(tmp.path(), Glossary());
    QString error;
    auto f = app::CreateForm1(tmp.path(), &error, [] { return QDate(2024, 3, 5); });
    EXPECT_TRUE(f) << error.toStdString();
    if (!f) return f;
    f->SearchBox1->Service()->Start();
    EXPECT_TRUE(f->SearchBox1->Service()->WaitIdle(30000));
    return f;
  }
  static QStringList Shown(TForm1& f) {
    QStringList words;
    app::TSearchResultModel* m = f.SearchBox1->Model();
    for (int r = 0; r < m->rowCount(); ++r)
      words << m->data(m->index(r), Qt::DisplayRole).toString().section(QStringLiteral(" — "), 0, 0);
    return words;
  }
  static QStringList Search(TForm1& f, const char* typed) {
    f.SearchBox1->setText(QString::fromUtf8(typed));
    f.SearchBox1->RunQuery();
    return Shown(f);
  }
  static QStringList Words(std::initializer_list<const char*> words) {
    QStringList l;
    for (const char* w : words) l << QString::fromUtf8(w);
    return l;
  }
  QString TablePath() const { return tmp.filePath("tableDetail.DB"); }

  QTemporaryDir tmp;
};

TEST_F(SearchBoxTest, ANewUserFindsTheVarroaTermsAndLandsOnOne) {
  auto f = Open();
  ASSERT_TRUE(f);
  f->show();
  QApplication::setActiveWindow(f.get());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
  f->qvDBRichEdit1->setFocus();

  // The field sits in the status bar, beside the date line.
  EXPECT_EQ(f->SearchBox1->parentWidget(), f->StatusBar1);
  EXPECT_EQ(f->SearchBox1->focusPolicy(), Qt::ClickFocus);

  QTest::keyClick(f->qvDBRichEdit1, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(QApplication::focusWidget(), f->SearchBox1);
  Type(f->SearchBox1, QString::fromUtf8("клещ"));
  // The results come after a short pause in the typing.
  EXPECT_FALSE(f->SearchBox1->Results()->isVisible());
  EXPECT_TRUE(WaitFor([&] { return f->SearchBox1->Results()->isVisible(); }));
  EXPECT_EQ(Shown(*f), Words({"Клещ варроа", "Трахейный клещ", "Акарицид", "Варроатоз"}));
  EXPECT_EQ(f->SearchBox1->Results()->Summary()->text(), QString::fromUtf8("Найдено: 4"));
  app::TSearchResultModel* m = f->SearchBox1->Model();
  EXPECT_EQ(m->data(m->index(0), app::TSearchResultModel::LetterRole).toString(), QString::fromUtf8("К"));
  EXPECT_EQ(m->data(m->index(2), app::TSearchResultModel::SnippetRole).toString(),
            QString::fromUtf8("Препарат против \x01клещей\x02."));
  EXPECT_EQ(m->data(m->index(3), app::TSearchResultModel::LetterRole).toString(), QString::fromUtf8("В"));
  // The results lie over the window, right above the field, inside the window.
  const QRect shown = f->SearchBox1->Results()->geometry();
  EXPECT_TRUE(f->rect().contains(shown));
  EXPECT_LT(shown.bottom(), f->StatusBar1->geometry().top());

  // Down to the fourth, back up to the third: Enter goes to "Акарицид".
  for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(f->SearchBox1, k);
  EXPECT_EQ(f->SearchBox1->Model()->Current(), 2);
  QTest::keyClick(f->SearchBox1, Qt::Key_Down);
  QTest::keyClick(f->SearchBox1, Qt::Key_Return);
  EXPECT_EQ(f->Table1->RecNo(), 3);
  EXPECT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Варроатоз"));
  EXPECT_TRUE(f->qvDBRichEdit1->Text().contains(QString::fromUtf8("вызывает клещ Varroa")));
  EXPECT_FALSE(f->SearchBox1->Results()->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), f->DBGrid1);

  // A click on a row goes there too.
  f->SearchBox1->Activate();
  ASSERT_TRUE(f->SearchBox1->Results()->isVisible());
  QListView* list = f->SearchBox1->Results()->List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(m->index(1)).center());
  EXPECT_EQ(f->Table1->RecNo(), 18);
  EXPECT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Трахейный клещ"));
  f->hide();
}

TEST_F(SearchBoxTest, EscapeClosesTheResultsAndGivesTheFocusBack) {
  auto f = Open();
  ASSERT_TRUE(f);
  f->show();
  QApplication::setActiveWindow(f.get());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
  f->Lm[5]->setFocus();
  f->SearchBox1->Shortcut()->activated();
  ASSERT_TRUE(f->SearchBox1->hasFocus());
  Search(*f, "пчела");
  ASSERT_TRUE(f->SearchBox1->Results()->isVisible());
  QTest::keyClick(f->SearchBox1, Qt::Key_Escape);
  EXPECT_FALSE(f->SearchBox1->Results()->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), f->Lm[5]);
  // Nothing moved.
  EXPECT_EQ(f->Table1->RecNo(), 1);
  EXPECT_EQ(f->Table2->State(), dsEdit);
  f->hide();
}

TEST_F(SearchBoxTest, APostedRenameOrDeleteIsFoundAtOnceUnderTheNewWordsOnly) {
  auto f = Open();
  ASSERT_TRUE(f);
  // The term being edited since the start ("Акарицид") gets a new name and definition.
  ASSERT_EQ(f->Table2->State(), dsEdit);
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Акарицидная полоска"));
  f->Table2TextDetail->SetValue(Rtf(QString::fromUtf8("Полоска, пропитанная тимолом.")));
  f->Table2->Post();
  EXPECT_EQ(Search(*f, "тимол"), Words({"Акарицидная полоска"}));
  EXPECT_EQ(Search(*f, "полоски"), Words({"Акарицидная полоска"}));
  EXPECT_EQ(Search(*f, "препарат"), QStringList());
  EXPECT_EQ(Search(*f, "клещ"), Words({"Клещ варроа", "Трахейный клещ", "Варроатоз"}));

  // A new term, then a deleted one.
  f->Lm[16]->Click();
  f->Table2->Append();
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Рой"));
  f->Table2TextDetail->SetValue(Rtf(QString::fromUtf8("Часть семьи, вышедшая при роении.")));
  f->Table2->Post();
  EXPECT_EQ(Search(*f, "роение"), Words({"Роение", "Рой"}));
  f->Table2->First();
  ASSERT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Роение"));
  f->Table2->Delete();
  EXPECT_EQ(Search(*f, "роение"), Words({"Рой"}));
  EXPECT_EQ(Search(*f, "размножение"), QStringList());
}

TEST_F(SearchBoxTest, GoingToATermEndsThePendingEditByTheUsualRules) {
  auto f = Open();
  ASSERT_TRUE(f);
  TestQuestions questions;
  // A changed term is stored on the way.
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Акарицид новый"));
  Search(*f, "трахея");
  ASSERT_TRUE(f->SearchBox1->GoToResult(0));
  EXPECT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Трахейный клещ"));
  RawStore raw(TablePath());
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail WHERE WordDetail = 'Акарицид новый'").toInt(), 1);

  // A post the store refuses (another program stored the term meanwhile) keeps the user where
  // they are, with their change and the store's reason.
  f->Table2->Edit();
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Трахейный клещ (акарапидоз)"));
  ASSERT_TRUE(raw.Exec("UPDATE tableDetail SET VersionDetail = VersionDetail + 1 WHERE WordDetail = 'Трахейный клещ'"));
  Search(*f, "клубок");
  EXPECT_FALSE(f->SearchBox1->GoToResult(0));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains("changed by another user")) << questions.asked[0].text.toStdString();
  EXPECT_EQ(f->Table1->RecNo(), 18);
  EXPECT_EQ(f->Table2->State(), dsEdit);
  EXPECT_EQ(f->Table2WordDetail->AsString(), QString::fromUtf8("Трахейный клещ (акарапидоз)"));
  // What was refused is not in the index either.
  EXPECT_EQ(Search(*f, "акарапидоз"), QStringList());
  EXPECT_EQ(Search(*f, "трахея"), Words({"Трахейный клещ"}));
}

TEST_F(SearchBoxTest, AnIndexDeletedWhileRunningIsMadeAgainAtTheNextPostAndFindsIt) {
  auto f = Open();
  ASSERT_TRUE(f);
  for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(tmp.filePath(QStringLiteral("termora-search.db") + suffix));
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Акарицидная полоска"));
  f->Table2TextDetail->SetValue(Rtf(QString::fromUtf8("Полоска, пропитанная тимолом.")));
  f->Table2->Post();
  ASSERT_TRUE(f->SearchBox1->Service()->WaitIdle(10000));
  EXPECT_EQ(Search(*f, "тимол"), Words({"Акарицидная полоска"}));
  EXPECT_FALSE(f->SearchBox1->Results()->Summary()->text().contains(QString::fromUtf8("не удался")));
  EXPECT_EQ(Search(*f, "клещ"), Words({"Клещ варроа", "Трахейный клещ", "Варроатоз"}));
}

TEST_F(SearchBoxTest, AFullDiskSaysResultsMayBeIncompleteUntilTheIndexCatchesUp) {
  auto f = Open();
  ASSERT_TRUE(f);
  f->show();  // results complete themselves while they are shown
  search::SearchIndex::SimulateFullDisk(true);
  base::ScopeGuard room([] { search::SearchIndex::SimulateFullDisk(false); });
  QString text = QString::fromUtf8("Смолистое вещество.");
  for (int i = 0; i < 3000; ++i) text += QStringLiteral(" прополис%1").arg(i);
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Акарицидная полоска"));
  f->Table2TextDetail->SetValue(Rtf(text));
  f->Table2->Post();
  ASSERT_TRUE(f->SearchBox1->Service()->WaitIdle(10000));
  EXPECT_EQ(Search(*f, "смолистое"), QStringList());
  const QString summary = f->SearchBox1->Results()->Summary()->text();
  EXPECT_TRUE(summary.contains(QString::fromUtf8("могут быть неполными"))) << summary.toStdString();
  EXPECT_TRUE(summary.contains(QString::fromUtf8("на диске нет места"))) << summary.toStdString();
  // Room again: the results shown complete themselves.
  search::SearchIndex::SimulateFullDisk(false);
  EXPECT_TRUE(WaitFor([&] { return Shown(*f) == Words({"Акарицидная полоска"}); }, 20000));
  EXPECT_FALSE(f->SearchBox1->Results()->Summary()->text().contains(QString::fromUtf8("неполными")));
}

TEST_F(SearchBoxTest, ATermGoneBehindTheIndexIsReportedAndCaughtUpWith) {
  auto f = Open();
  ASSERT_TRUE(f);
  TestQuestions questions;
  Search(*f, "клубок");
  ASSERT_EQ(Shown(*f), Words({"Клубок"}));
  // Deleted by another program after the query.
  RawStore raw(TablePath());
  ASSERT_TRUE(raw.Exec("DELETE FROM tableDetail WHERE WordDetail = 'Клубок'"));
  f->Lm[10]->Click();
  f->Table2->Refresh();
  EXPECT_FALSE(f->SearchBox1->GoToResult(0));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains(QString::fromUtf8("«Клубок»")));
  ASSERT_TRUE(f->SearchBox1->Service()->WaitIdle(10000));
  EXPECT_EQ(Search(*f, "клубок"), QStringList());
}

TEST_F(SearchBoxTest, TablesChangedBehindTheProgramsBackAreCaughtUpWithAtTheNextStart) {
  Open().reset();
  const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
  if (sqlite3.isEmpty()) GTEST_SKIP() << "the sqlite3 program is not installed";
  // A definition rewritten as plain text, which the editor shows as such; a term deleted; one added.
  const QString sql = QString::fromUtf8(
      "UPDATE tableDetail SET TextDetail = CAST('Пчёлы собираются в клуб осенью.' AS BLOB)"
      " WHERE WordDetail = 'Клубок';"
      "DELETE FROM tableDetail WHERE WordDetail = 'Роение';"
      "INSERT INTO tableDetail (NumDetail, AssistDetail, WordDetail, TextDetail, SortKeyDetail)"
      " VALUES (0, 27, 'Яд пчелиный', CAST('Апитоксин' AS BLOB), 'яд пчелиный');");
  QProcess p;
  p.start(sqlite3, {TablePath(), sql});
  ASSERT_TRUE(p.waitForFinished(10000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

  auto f = Open(/*build=*/false);
  ASSERT_TRUE(f);
  EXPECT_EQ(Search(*f, "собираются"), Words({"Клубок"}));
  EXPECT_EQ(Search(*f, "зимуют"), QStringList());
  EXPECT_EQ(Search(*f, "роение"), QStringList());
  EXPECT_EQ(Search(*f, "апитоксин"), Words({"Яд пчелиный"}));
  app::TSearchResultModel* m = f->SearchBox1->Model();
  EXPECT_EQ(m->data(m->index(0), app::TSearchResultModel::LetterRole).toString(), QString::fromUtf8("Я"));
}

TEST_F(SearchBoxTest, ABrokenOrUnwritableIndexNeverKeepsTheGlossaryFromOpening) {
  MakeGlossary(tmp.path(), Glossary());
  const QString index = tmp.filePath(search::kIndexFileName);
  {
    QFile garbage(index);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, '\x7f'));
  }
  {
    auto f = Open(/*build=*/false);
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->SearchBox1->Service()->Status().inMemory);
    EXPECT_EQ(Search(*f, "клещ").size(), 4);
  }
  // Where the index cannot be written at all, search works from memory.
  ASSERT_TRUE(QFile::remove(index));
  ASSERT_TRUE(QDir(tmp.path()).mkdir(search::kIndexFileName));
  auto f = Open(/*build=*/false);
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->SearchBox1->Service()->Status().inMemory);
  EXPECT_EQ(Search(*f, "клещ").size(), 4);
  EXPECT_TRUE(WaitFor([&] { return f->SearchBox1->toolTip().contains(QString::fromUtf8("в памяти")); }));
}

// The glossary's tables, each definition taking a while to turn into text.
class SlowSource : public app::GlossaryTermSource {
 public:
  using GlossaryTermSource::GlossaryTermSource;
  QString TextOf(const QByteArray& definition) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    return GlossaryTermSource::TextOf(definition);
  }
  QString TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    return GlossaryTermSource::TextAndLinksOf(definition, links);
  }
};

TEST_F(SearchBoxTest, ALongBuildShowsItsProgressAndItsResultsCompleteThemselves) {
  std::vector<LetterTerms> letters = Glossary();
  for (int i = 1; i <= 400; ++i)
    letters[17].terms.push_back({QString::fromUtf8("Трутень %1").arg(i), Rtf(QString::fromUtf8("Самец пчелы."))});
  MakeGlossary(tmp.path(), letters);
  QWidget window;
  window.resize(824, 348);
  auto* bar = new QStatusBar(&window);
  bar->setGeometry(0, 328, 824, 20);
  const QString folder = tmp.path();
  auto* box = new TSearchBox(folder, {}, &window, [folder] { return std::make_unique<SlowSource>(folder); });
  bar->addPermanentWidget(box);
  window.show();
  box->Service()->Start();

  // Once the build has taken a moment, the field tells how far it is; the events go on meanwhile.
  ASSERT_TRUE(WaitFor([&] { return box->placeholderText().contains('%'); }, 10000));
  box->setText(QString::fromUtf8("трутень"));
  box->RunQuery();
  EXPECT_TRUE(box->Results()->Summary()->text().startsWith(QString::fromUtf8("Индекс поиска строится: ")))
      << box->Results()->Summary()->text().toStdString();
  EXPECT_LT(box->Model()->rowCount(), 400);
  // Built, the results shown are made complete without the user asking again.
  EXPECT_TRUE(WaitFor([&] { return box->Results()->Summary()->text() == QString::fromUtf8("Найдено: 400"); }, 30000))
      << box->Results()->Summary()->text().toStdString();
  EXPECT_EQ(box->Model()->rowCount(), 400);
  EXPECT_EQ(box->placeholderText(), QString::fromUtf8("Поиск по словарю (Ctrl+Shift+F)"));
}

TEST(ResultLine, ShowsTheFirstMatchHoweverFarIntoTheDefinitionItLies) {
  QFont font(QStringLiteral("Verdana"));
  font.setPixelSize(12);
  const int width = 480;
  const QString filler = QString::fromUtf8("пчёлы собирают нектар и пыльцу с цветков ").repeated(5);
  const QString mark = QString::fromUtf8("\x01клещ\x02");
  struct Case {
    QString text;
    bool cutAtStart, cutAtEnd;
  } cases[] = {
      {QString::fromUtf8("Короткая строка про ") + mark + ".", false, false},
      {mark + " " + filler, false, true},
      {filler + mark + " " + filler, true, true},
      {filler + mark, true, false},
      {filler, false, true},
  };
  const QString ellipsis = QString::fromUtf8("…");
  for (const auto& c : cases) {
    const QString shown = app::FitMarkedLine(c.text, font, width);
    EXPECT_EQ(shown.startsWith(ellipsis), c.cutAtStart) << shown.toStdString();
    EXPECT_EQ(shown.endsWith(ellipsis), c.cutAtEnd) << shown.toStdString();
    EXPECT_EQ(shown.contains(mark), c.text.contains(mark)) << shown.toStdString();
    QString plain = shown;
    plain.remove(QChar(1)).remove(QChar(2));
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(plain), width) << shown.toStdString();
  }
}

TEST(DefinitionText, IsWhatTheEditorShowsWhateverTheStoredForm) {
  struct Case {
    QByteArray stored;
    const char* text;
  } cases[] = {
      {Rtf(QString::fromUtf8("Пчёлы\nи мёд")), "Пчёлы\r\nи мёд"},
      {QString::fromUtf8("Просто текст").toUtf8(), "Просто текст"},
      {rtf::EncodeCodePage(QString::fromUtf8("Старый текст"), 1251), "Старый текст"},
      {QByteArray(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(rtf::DefinitionText(c.stored), QString::fromUtf8(c.text)) << c.text;
}

}  // namespace
