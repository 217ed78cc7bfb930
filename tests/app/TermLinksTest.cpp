#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>

#include "app/SearchBox.h"
#include "app/Startup.h"
#include "app/TermLinks.h"
#include "app/Unit1.h"
#include "engine/RichEngine.h"
#include "rtf/CodePage.h"
#include "rtf/TermLinks.h"
#include "search/IndexService.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

using app::TForm1;
using namespace data;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QByteArray Escaped(const QString& text) {
  QByteArray out;
  for (const char c : rtf::EncodeCodePage(text, 1251)) {
    const auto b = static_cast<unsigned char>(c);
    out += b >= 0x80 ? "\\'" + QByteArray::number(b, 16) : QByteArray(1, c);
  }
  return out;
}

// A definition as the editor stores it; "[[N|words]]" is a link to the term with key N.
QByteArray Rtf(const char* utf8) {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Verdana;}}\\f0\\fs24 ";
  const QString text = QString::fromUtf8(utf8);
  static const QRegularExpression link(QStringLiteral("\\[\\[(\\d+)\\|([^\\]]+)\\]\\]"));
  qsizetype at = 0;
  for (auto it = link.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    rtf += Escaped(text.mid(at, m.capturedStart() - at));
    rtf += "{\\field{\\*\\fldinst{HYPERLINK \"termora-term:" + m.captured(1).toLatin1() + "\"}}{\\fldrslt{" +
           Escaped(m.captured(2)) + "}}}";
    at = m.capturedEnd();
  }
  return rtf + Escaped(text.mid(at)) + "\\par\r\n}";
}

GlossaryTerm Term(const char* word, const char* text) { return {QString::fromUtf8(word), Rtf(text)}; }

// Keys follow the order of creation: Акарицид 1, Забрус 2, Клещ 3, Медогонка 4, Рамка 5,
// Центрифуга 6.
std::vector<LetterTerms> Glossary() {
  std::vector<LetterTerms> letters;
  for (int n = 1; n <= 27; ++n) letters.push_back({QString::fromUtf16(kLetterCaptions[n - 1]), {}});
  letters[0].terms = {Term("Акарицид", "Препарат против [[3|клещей]].")};
  letters[7].terms = {Term("Забрус", "Срезают перед [[999|откачкой]].")};
  letters[9].terms = {Term("Клещ", "Паразит пчёл.")};
  letters[11].terms = {Term("Медогонка", "Машина для откачки мёда из рамок.")};
  letters[15].terms = {Term("Рамка", "Деревянная рамка для сотов.")};
  letters[21].terms = {Term("Центрифуга", "То же, что медогонка; вращает рамки.")};
  return letters;
}

constexpr int kLetterM = 12, kLetterTs = 22, kLetterA = 1;

class TermLinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    MakeGlossary(tmp.path(), Glossary());
    QString error;
    f = app::CreateForm1(tmp.path(), &error, [] { return QDate(2024, 3, 5); });
    ASSERT_TRUE(f) << error.toStdString();
    f->SearchBox1->Service()->Start();
    ASSERT_TRUE(f->SearchBox1->Service()->WaitIdle(30000));
    f->show();
    QApplication::setActiveWindow(f.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
  }
  void TearDown() override {
    if (f) f->hide();
  }
  engine::TRichEngine* Engine() { return f->qvDBRichEdit1->Handle(); }
  QString Word() { return f->Table2WordDetail->AsString(); }
  void Letter(int recNo) { f->Table1->SetRecNo(recNo); }
  // Where the words stand in the definition.
  engine::CHARRANGE Find(const char* words) {
    const int at = int(Engine()->Text().indexOf(QString::fromUtf8(words)));
    EXPECT_GE(at, 0) << words;
    return {at, at + int(QString::fromUtf8(words).size())};
  }
  QPoint PointOf(const engine::CHARRANGE& r) {
    QTextCursor c(Engine()->document());
    c.setPosition(r.cpMin + 1);
    return Engine()->cursorRect(c).center();
  }
  QStringList LinksHere(qint64 key) {
    QStringList l;
    for (const search::LinkingTerm& t : f->TermLinks1->LinksHere(key)) l << t.word;
    return l;
  }
  QByteArray Stored(const char* word) {
    RawStore raw(tmp.filePath("tableDetail.DB"));
    return raw.Scalar(QStringLiteral("SELECT TextDetail FROM tableDetail WHERE WordDetail = '%1'").arg(QString::fromUtf8(word)))
        .toByteArray();
  }

  QTemporaryDir tmp;
  std::unique_ptr<TForm1> f;
};

TEST_F(TermLinksTest, AUserLinksWordsWithCtrlKFollowsTheLinkAndGoesBackAndForth) {
  Letter(kLetterTs);
  ASSERT_EQ(Word(), QString::fromUtf8("Центрифуга"));
  const engine::CHARRANGE words = Find("медогонка");
  Engine()->SetSel(words);
  f->qvDBRichEdit1->setFocus();

  // The chooser lists the selected words' own term first; the user takes it.
  QStringList listed;
  f->TermLinks1->RunDialog = [&](QDialog* d) {
    auto* chooser = qobject_cast<app::TLinkChooser*>(d);
    EXPECT_TRUE(chooser);
    if (!chooser) return int(QDialog::Rejected);
    for (int i = 0; i < chooser->List()->count(); ++i) listed << chooser->List()->item(i)->text();
    return int(QDialog::Accepted);
  };
  QTest::keyClick(Engine(), Qt::Key_K, Qt::ControlModifier);
  ASSERT_FALSE(listed.isEmpty());
  EXPECT_EQ(listed.first(), QString::fromUtf8("Медогонка"));
  engine::CHARRANGE link;
  EXPECT_EQ(Engine()->LinkTargetAt(words.cpMin, &link), QStringLiteral("termora-term:4"));
  EXPECT_EQ(link, words);
  EXPECT_EQ(Engine()->Text().trimmed(), QString::fromUtf8("То же, что медогонка; вращает рамки."));

  // One undo step takes it away, and redo brings it back.
  ASSERT_TRUE(Engine()->Undo());
  EXPECT_TRUE(Engine()->LinkTargetAt(words.cpMin).isEmpty());
  ASSERT_TRUE(Engine()->Redo());
  EXPECT_EQ(Engine()->LinkTargetAt(words.cpMin), QStringLiteral("termora-term:4"));
  // Typing right after it adds plain words.
  Engine()->SetSel({words.cpMax, words.cpMax});
  QTest::keyClicks(Engine(), "x");
  EXPECT_TRUE(Engine()->LinkTargetAt(words.cpMax).isEmpty());
  EXPECT_EQ(Engine()->LinkTargetAt(words.cpMax - 1), QStringLiteral("termora-term:4"));
  ASSERT_TRUE(Engine()->Undo());
  ASSERT_EQ(Engine()->Text().trimmed(), QString::fromUtf8("То же, что медогонка; вращает рамки."));

  // Posted: stored as a hyperlink field with the words as its result, and known as linking here.
  f->Table2->Post();
  const QByteArray stored = Stored("Центрифуга");
  EXPECT_TRUE(stored.contains("{\\field{\\*\\fldinst{HYPERLINK \"termora-term:4\"}}{\\fldrslt{")) << stored.constData();
  EXPECT_EQ(LinksHere(4), QStringList{QString::fromUtf8("Центрифуга")});

  // The tooltip names the term and gives its definition's first line.
  EXPECT_EQ(f->TermLinks1->ToolTip(QStringLiteral("termora-term:4")),
            QString::fromUtf8("Медогонка\nМашина для откачки мёда из рамок."));

  // A plain click only puts the caret there; Ctrl+click goes to the term, letter and all.
  QTest::mouseClick(Engine()->viewport(), Qt::LeftButton, {}, PointOf(words));
  EXPECT_EQ(Word(), QString::fromUtf8("Центрифуга"));
  QTest::mouseClick(Engine()->viewport(), Qt::LeftButton, Qt::ControlModifier, PointOf(words));
  EXPECT_EQ(f->Table1->RecNo(), kLetterM);
  EXPECT_EQ(Word(), QString::fromUtf8("Медогонка"));

  // Alt+Left back, Alt+Right forward.
  QTest::keyClick(Engine(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(f->Table1->RecNo(), kLetterTs);
  EXPECT_EQ(Word(), QString::fromUtf8("Центрифуга"));
  QTest::keyClick(Engine(), Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(Word(), QString::fromUtf8("Медогонка"));
  QTest::keyClick(Engine(), Qt::Key_Left, Qt::AltModifier);

  // Enter with the caret inside the link follows it too.
  Engine()->SetSel({words.cpMin + 2, words.cpMin + 2});
  QTest::keyClick(Engine(), Qt::Key_Return);
  EXPECT_EQ(Word(), QString::fromUtf8("Медогонка"));
}

TEST_F(TermLinksTest, ARefusedPostKeepsTheUserWhereTheyAreWithTheirChange) {
  Letter(kLetterA);
  if (f->Table2->State() != dsEdit) f->Table2->Edit();
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Акарицид новый"));
  // Another program stored the term meanwhile: the post is refused.
  RawStore raw(tmp.filePath("tableDetail.DB"));
  ASSERT_TRUE(raw.Exec("UPDATE tableDetail SET VersionDetail = VersionDetail + 1 WHERE WordDetail = 'Акарицид'"));
  TestQuestions questions;
  f->TermLinks1->Follow(QStringLiteral("termora-term:3"));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains("changed by another user")) << questions.asked[0].text.toStdString();
  EXPECT_EQ(f->Table1->RecNo(), kLetterA);
  EXPECT_EQ(f->Table2->State(), dsEdit);
  EXPECT_EQ(Word(), QString::fromUtf8("Акарицид новый"));
  EXPECT_FALSE(f->TermLinks1->CanGoBack());
}

TEST_F(TermLinksTest, RenameKeepsLinksDeleteSaysHowManyLinkAndLeavesThemBroken) {
  // "Клещ" is linked from "Акарицид": renamed, the link still goes there with its words unchanged.
  Letter(10);
  ASSERT_EQ(Word(), QString::fromUtf8("Клещ"));
  if (f->Table2->State() != dsEdit) f->Table2->Edit();
  f->Table2WordDetail->SetAsString(QString::fromUtf8("Клещ варроа"));
  f->Table2->Post();
  Letter(kLetterA);
  const engine::CHARRANGE words = Find("клещей");
  EXPECT_EQ(Engine()->LinkTargetAt(words.cpMin), QStringLiteral("termora-term:3"));
  EXPECT_FALSE(f->TermLinks1->IsBroken(QStringLiteral("termora-term:3")));
  ASSERT_TRUE(f->TermLinks1->Follow(QStringLiteral("termora-term:3")));
  EXPECT_EQ(Word(), QString::fromUtf8("Клещ варроа"));

  // Deleting it says first how many terms link to it, then asks as always.
  TestQuestions questions;
  f->DBNavigator1->BtnClick(nbDelete);
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_TRUE(questions.asked[0].text.contains(QString::fromUtf8("«Клещ варроа»"))) << questions.asked[0].text.toStdString();
  EXPECT_TRUE(questions.asked[0].text.contains(QStringLiteral(": 1."))) << questions.asked[0].text.toStdString();
  EXPECT_EQ(questions.asked[1].text, QStringLiteral("Delete record?"));
  EXPECT_NE(Word(), QString::fromUtf8("Клещ варроа"));

  // The link stays, drawn as broken; following it says so and goes nowhere.
  Letter(kLetterA);
  EXPECT_TRUE(f->TermLinks1->IsBroken(QStringLiteral("termora-term:3")));
  questions.asked.clear();
  Engine()->SetSel({words.cpMin + 1, words.cpMin + 1});
  QTest::keyClick(Engine(), Qt::Key_Return);
  EXPECT_EQ(Word(), QString::fromUtf8("Акарицид"));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains(QString::fromUtf8("нет в словаре")));
  // Drawn dashed: the decoration of the link's words.
  bool dashed = false;
  for (const QTextEdit::ExtraSelection& s : Engine()->extraSelections())
    if (s.cursor.selectionStart() == words.cpMin) dashed = s.format.underlineStyle() == QTextCharFormat::DashUnderline;
  EXPECT_TRUE(dashed);
}

TEST_F(TermLinksTest, ALinkBrokenInStoredDataIsDrawnAsBrokenAndSaysSoWhenFollowed) {
  Letter(8);
  ASSERT_EQ(Word(), QString::fromUtf8("Забрус"));
  const engine::CHARRANGE words = Find("откачкой");
  EXPECT_EQ(Engine()->LinkTargetAt(words.cpMin), QStringLiteral("termora-term:999"));
  EXPECT_TRUE(f->TermLinks1->IsBroken(QStringLiteral("termora-term:999")));
  EXPECT_TRUE(f->TermLinks1->IsBroken(QStringLiteral("termora-term:x1")));
  EXPECT_FALSE(f->TermLinks1->IsBroken(QStringLiteral("termora-term:4")));
  EXPECT_TRUE(f->TermLinks1->ToolTip(QStringLiteral("termora-term:999")).contains(QString::fromUtf8("нет в словаре")));
  TestQuestions questions;
  QTest::mouseClick(Engine()->viewport(), Qt::LeftButton, Qt::ControlModifier, PointOf(words));
  EXPECT_EQ(Word(), QString::fromUtf8("Забрус"));
  EXPECT_EQ(questions.asked.size(), 1u);
  // A target of any other kind is not followed from here and starts nothing.
  EXPECT_TRUE(f->TermLinks1->Follow(QStringLiteral("https://example.org/")));
  EXPECT_EQ(Word(), QString::fromUtf8("Забрус"));
}

TEST_F(TermLinksTest, FindMentionsProposesAndLinksOnlyWhatTheUserAccepts) {
  Letter(kLetterTs);
  std::vector<std::pair<QString, qint64>> proposed;
  const QString text = Engine()->Text();
  for (const search::Mention& m : f->TermLinks1->Mentions()) proposed.emplace_back(text.mid(m.from, m.to - m.from), m.term);
  const std::vector<std::pair<QString, qint64>> expected{{QString::fromUtf8("медогонка"), 4}, {QString::fromUtf8("рамки"), 5}};
  EXPECT_EQ(proposed, expected);

  // Declined: nothing linked.
  f->TermLinks1->RunDialog = [](QDialog*) { return int(QDialog::Rejected); };
  f->TermLinks1->FindMentions();
  EXPECT_TRUE(Engine()->LinkTargetAt(Find("медогонка").cpMin).isEmpty());
  // One accepted: that one only; then the other is all that is left to propose.
  f->TermLinks1->RunDialog = [](QDialog* d) {
    auto* list = d->findChild<QListWidget*>(QStringLiteral("MentionsList"));
    list->item(1)->setCheckState(Qt::Checked);
    return int(QDialog::Accepted);
  };
  f->TermLinks1->FindMentions();
  EXPECT_TRUE(Engine()->LinkTargetAt(Find("медогонка").cpMin).isEmpty());
  EXPECT_EQ(Engine()->LinkTargetAt(Find("рамки").cpMin), QStringLiteral("termora-term:5"));
  ASSERT_EQ(f->TermLinks1->Mentions().size(), 1u);
  // All at once.
  f->TermLinks1->RunDialog = [](QDialog* d) {
    d->findChild<QPushButton*>(QStringLiteral("LinkAll"))->click();
    return int(QDialog::Accepted);
  };
  f->TermLinks1->FindMentions();
  EXPECT_EQ(Engine()->LinkTargetAt(Find("медогонка").cpMin), QStringLiteral("termora-term:4"));
  EXPECT_TRUE(f->TermLinks1->Mentions().empty());
  EXPECT_EQ(Engine()->Text().trimmed(), QString::fromUtf8("То же, что медогонка; вращает рамки."));
}

TEST_F(TermLinksTest, WhatLinksHereListsTheLinkingTermsAndGoesToTheOneChosen) {
  Letter(10);
  ASSERT_EQ(Word(), QString::fromUtf8("Клещ"));
  QStringList shown;
  f->TermLinks1->RunDialog = [&](QDialog* d) {
    auto* list = d->findChild<QListWidget*>(QStringLiteral("LinksHereList"));
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
    list->setCurrentRow(0);
    return int(QDialog::Accepted);
  };
  // From the definition's popup menu, after the items that were there before.
  QMenu* popup = f->qvDBRichEdit1->BuiltInPopup();
  emit popup->aboutToShow();
  const QList<QAction*> items = popup->actions();
  ASSERT_TRUE(items.indexOf(f->LinksHereItem) > items.indexOf(f->qvDBRichEdit1->LinkItem()));
  EXPECT_TRUE(f->LinksHereItem->isEnabled());
  f->LinksHereItem->trigger();
  EXPECT_EQ(shown, QStringList{QString::fromUtf8("Акарицид")});
  EXPECT_EQ(Word(), QString::fromUtf8("Акарицид"));
  // And back.
  QTest::keyClick(Engine(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(Word(), QString::fromUtf8("Клещ"));
}

}  // namespace
