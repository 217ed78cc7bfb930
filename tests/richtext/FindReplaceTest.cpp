// Find and replace as the user drives them: through the dialogs' fields and buttons, checking
// what the text, the selection and the messages become.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/FindReplaceDialog.h"
#include "richtext/Qvintl.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;
using platform::TFindDialog;
using platform::TReplaceDialog;

namespace {
const QString kNoMore = QStringLiteral("No more matches found");

QString U(const char* Utf8) { return QString::fromUtf8(Utf8); }

struct TFindCase {
  const char* Name;
  const char* Text;
  int SelStart, SelLength;
  const char* Search;
  const char* Replacement;  // nullptr: the find dialog
  bool WholeWord, MatchCase;
  const char* Presses;      // F Find Next, R Replace, A Replace All, in order
  const char* FinalText;
  int FinalStart, FinalLength;
  int Messages;             // "No more matches found" shown
};

// Each row opens its dialog on the selection (a new pass), fills the fields and presses.
const TFindCase kCases[] = {
    {"a match at the pass's start is met only after the wrap", "bee bee", 0, 3, "bee", nullptr, false, false, "FFF",
     "bee bee", 0, 3, 1},
    {"the caret before the only match finds it first", "bee hive", 0, 0, "bee", nullptr, false, false, "F", "bee hive",
     0, 3, 0},
    {"one match: found, no more, found again", "a hive", 0, 0, "hive", nullptr, false, false, "FFF", "a hive", 2, 4, 1},
    {"no match at all", "a hive", 3, 0, "wasp", nullptr, false, false, "F", "a hive", 3, 0, 1},
    {"whole word skips a longer word", "beeswax bee", 0, 0, "bee", nullptr, true, false, "F", "beeswax bee", 8, 3, 0},
    {"match case skips other cases", "Bee bee", 0, 0, "bee", nullptr, false, true, "F", "Bee bee", 4, 3, 0},
    {"Cyrillic ignores case, Ё included", "пчела ЁЖ ёж", 0, 0, "ёж", nullptr, false, false, "FF", "пчела ЁЖ ёж", 9, 2,
     0},
    {"Cyrillic match case", "Мёд и мёд", 0, 0, "мёд", nullptr, false, true, "F", "Мёд и мёд", 6, 3, 0},
    {"Cyrillic whole word, yo as e", "ежевика ёж", 0, 0, "еж", nullptr, true, false, "F", "ежевика ёж", 8, 2, 0},
    {"e finds yo without case", "и Мёд", 0, 0, "мед", nullptr, false, false, "F", "и Мёд", 2, 3, 0},
    {"yo finds e without case", "медок", 0, 0, "МЁД", nullptr, false, false, "F", "медок", 0, 3, 0},
    {"match case keeps yo and e apart", "мёд мед", 0, 0, "мед", nullptr, false, true, "FF", "мёд мед", 4, 3, 1},
    {"Replace All takes yo and e alike", "мёд, Мед, МЁДОК", 0, 0, "мед", "honey", false, false, "A",
     "honey, honey, honeyОК", 5, 0, 1},
    {"Replace replaces the yo match", "Пчёлы", 0, 4, "пчел", "Ос", false, false, "R", "Осы", 2, 0, 1},
    {"Replace All before and after the caret, longer word", "wax and wax and wax", 5, 0, "wax", "beeswax", false,
     false, "A", "beeswax and beeswax and beeswax", 7, 0, 1},
    {"Replace All goes on right after each insertion", "abab", 0, 2, "ab", "x", false, false, "A", "xx", 2, 0, 1},
    {"a replacement containing the search text", "a a a", 0, 0, "a", "aa", false, false, "A", "aa aa aa", 2, 0, 1},
    {"an empty replacement", "a b a", 2, 0, "a", "", false, false, "A", " b ", 0, 0, 1},
    {"matches at the very start and end", "bee in the bee", 0, 0, "bee", "wasp", false, false, "A",
     "wasp in the wasp", 4, 0, 1},
    {"whole word Replace All", "bee beeswax bee", 0, 0, "bee", "x", true, false, "A", "x beeswax x", 1, 0, 1},
    {"match case Replace All", "Bee bee BEE", 0, 0, "bee", "x", false, true, "A", "Bee x BEE", 5, 0, 1},
    {"Cyrillic Replace All keeps other words", "Ёж ёж ЁЖИК", 0, 0, "ёж", "еж", true, false, "A", "еж еж ЁЖИК", 2,
     0, 1},
    {"Replace replaces the selected match and selects the next", "ab ab", 0, 2, "ab", "x", false, false, "R",
     "x ab", 2, 2, 0},
    {"Replace twice, then the pass ends", "ab ab", 0, 2, "ab", "x", false, false, "RR", "x x", 3, 0, 1},
    {"Replace without a selected match only finds", "ab ab", 1, 0, "ab", "x", false, false, "R", "ab ab", 3, 2, 0},
    {"the replace dialog's Find Next never replaces", "ab ab", 0, 2, "ab", "x", false, false, "F", "ab ab", 3, 2, 0},
};

class FindReplace : public ::testing::TestWithParam<TFindCase> {};

void Press(TFindDialog* D, char Button) {
  auto* R = qobject_cast<TReplaceDialog*>(D);
  if (Button == 'F') D->FindNextButton()->click();
  else if (Button == 'R') R->ReplaceButton()->click();
  else if (Button == 'A') R->ReplaceAllButton()->click();
}
}  // namespace

TEST_P(FindReplace, TextSelectionAndMessages) {
  const TFindCase& C = GetParam();
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(U(C.Text));
  E->SetSelStart(C.SelStart);
  E->SetSelLength(C.SelLength);
  const bool Replacing = C.Replacement != nullptr;
  if (Replacing) E->ShowReplaceDialog();
  else E->ShowFindDialog();
  TFindDialog* D = Replacing ? static_cast<TFindDialog*>(E->ReplaceDialog()) : E->FindDialog();
  D->FindEdit()->setText(U(C.Search));
  if (Replacing) E->ReplaceDialog()->ReplaceEdit()->setText(U(C.Replacement));
  // Find Next of the replace dialog searches with the find dialog's options, so both get them.
  for (TFindDialog* Each : {static_cast<TFindDialog*>(E->FindDialog()), D}) {
    Each->SetWholeWord(C.WholeWord);
    Each->SetMatchCase(C.MatchCase);
  }
  for (const char* P = C.Presses; *P; ++P) Press(D, *P);

  EXPECT_EQ(E->Text(), U(C.FinalText));
  EXPECT_EQ(E->SelStart(), C.FinalStart);
  EXPECT_EQ(E->SelLength(), C.FinalLength);
  EXPECT_EQ(Q.Texts(), QStringList(QVector<QString>(C.Messages, kNoMore)));
  for (const auto& A : Q.asked) EXPECT_EQ(A.icon, platform::Icon::Information);
  EXPECT_EQ(E->LastFindText(), U(C.Search));
}

INSTANTIATE_TEST_SUITE_P(Cases, FindReplace, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TFindCase>& I) {
                           QString N = QString::fromUtf8(I.param.Name);
                           for (QChar& Ch : N)
                             if (!(Ch.isLetterOrNumber() && Ch.unicode() < 128)) Ch = QChar('_');
                           return N.toStdString();
                         });

TEST(FindReplaceDialogs, TheSearchFieldTakesASelectedWordButNotSeveralLines) {
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(QStringLiteral("royal jelly\rdrone brood"));
  E->SetSelStart(6);
  E->SetSelLength(5);
  E->ShowFindDialog();
  EXPECT_EQ(E->FindDialog()->FindText(), QStringLiteral("jelly"));
  E->FindDialog()->FindNextButton()->click();  // searched: jelly is now the last text
  E->SetSelStart(6);
  E->SetSelLength(10);  // across the paragraph break
  E->ShowReplaceDialog();
  EXPECT_EQ(E->ReplaceDialog()->FindText(), QStringLiteral("jelly"));
  E->SetSelStart(0);
  E->SetSelLength(0);
  E->ShowFindDialog();
  EXPECT_EQ(E->FindDialog()->FindText(), QStringLiteral("jelly"));
}

TEST(FindReplaceDialogs, FindNextOfTheReplaceDialogUsesTheFindDialogsOptions) {
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(QStringLiteral("xBee"));
  E->ShowReplaceDialog();
  E->ReplaceDialog()->SetMatchCase(true);
  E->ReplaceDialog()->FindEdit()->setText(QStringLiteral("bee"));
  E->ReplaceDialog()->FindNextButton()->click();
  // The find dialog's Match case is off until it is used.
  EXPECT_EQ(E->SelStart(), 1);
  EXPECT_EQ(E->SelLength(), 3);
  EXPECT_TRUE(Q.asked.empty());
  EXPECT_EQ(E->FindDialog()->FindText(), QStringLiteral("bee"));
  E->FindDialog()->SetMatchCase(true);
  E->ReplaceDialog()->FindNextButton()->click();
  EXPECT_EQ(Q.Texts(), QStringList{kNoMore});
}

TEST(FindReplaceDialogs, ClosingTheLastOpenDialogGivesBackHideSelection) {
  auto E = MakeEdit();
  E->SetText(QStringLiteral("comb"));
  ASSERT_TRUE(E->HideSelection());
  E->ShowFindDialog();
  EXPECT_FALSE(E->HideSelection());
  E->ShowReplaceDialog();  // a second dialog must not remember the False the first put there
  E->ShowFindDialog();     // nor the same one shown again
  E->FindDialog()->reject();
  EXPECT_FALSE(E->HideSelection());  // the replace dialog is still open
  E->ReplaceDialog()->reject();
  EXPECT_TRUE(E->HideSelection());

  E->SetHideSelection(false);
  E->ShowReplaceDialog();
  E->ReplaceDialog()->close();
  EXPECT_FALSE(E->HideSelection());
}

TEST(FindReplaceDialogs, ReplaceAllIsOneUndoStep) {
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(QStringLiteral("wax, wax and wax"));
  E->ClearUndo();
  E->ShowReplaceDialog();
  E->ReplaceDialog()->FindEdit()->setText(QStringLiteral("wax"));
  E->ReplaceDialog()->ReplaceEdit()->setText(QStringLiteral("propolis"));
  E->ReplaceDialog()->ReplaceAllButton()->click();
  EXPECT_EQ(E->Text(), QStringLiteral("propolis, propolis and propolis"));
  EXPECT_TRUE(E->Modified());
  E->Undo();
  EXPECT_EQ(E->Text(), QStringLiteral("wax, wax and wax"));
  EXPECT_FALSE(E->CanUndo());
}

TEST(FindReplaceDialogs, ReplaceAllStopsAtTheTextLimitAndUndoesAsOne) {
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(QStringLiteral("a a a a a"));  // 9 characters
  E->SetMaxLength(20);
  E->SetSelStart(0);
  E->ClearUndo();
  E->ShowReplaceDialog();
  E->ReplaceDialog()->FindEdit()->setText(QStringLiteral("a"));
  E->ReplaceDialog()->ReplaceEdit()->setText(QStringLiteral("aaaa"));
  E->ReplaceDialog()->ReplaceAllButton()->click();
  // Three fit (18 characters); the fourth would make 21: refused, and no "no more" claim.
  EXPECT_EQ(E->Text(), QStringLiteral("a aaaa aaaa aaaa a"));
  EXPECT_EQ(E->SelStart(), 17);
  EXPECT_EQ(E->SelLength(), 1);
  EXPECT_TRUE(Q.asked.empty());
  E->Undo();
  EXPECT_EQ(E->Text(), QStringLiteral("a a a a a"));
}

TEST(FindReplaceDialogs, AReadOnlyControlIsSearchedButNotChanged) {
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetText(QStringLiteral("ab ab"));
  E->SetReadOnly(true);
  E->SetSelStart(0);
  E->SetSelLength(2);
  E->ShowReplaceDialog();
  E->ReplaceDialog()->ReplaceEdit()->setText(QStringLiteral("x"));
  E->ReplaceDialog()->ReplaceAllButton()->click();
  EXPECT_EQ(E->Text(), QStringLiteral("ab ab"));
  EXPECT_TRUE(Q.asked.empty());
  EXPECT_FALSE(E->ReplaceOne(QStringLiteral("ab"), QStringLiteral("x"), 0));
}

TEST(FindReplaceDialogs, ReplaceOneReplacesTheFirstMatchFromTheCaret) {
  auto E = MakeEdit();
  E->SetText(QStringLiteral("Bee, bee and bee"));
  E->SetSelStart(1);
  EXPECT_TRUE(E->ReplaceOne(QStringLiteral("bee"), QStringLiteral("wasp"), stMatchCase));
  EXPECT_EQ(E->Text(), QStringLiteral("Bee, wasp and bee"));
  EXPECT_EQ(E->SelStart(), 9);
  EXPECT_EQ(E->SelLength(), 0);
  EXPECT_TRUE(E->ReplaceOne(QStringLiteral("bee"), QStringLiteral("wasp"), stWholeWord));
  EXPECT_EQ(E->Text(), QStringLiteral("Bee, wasp and wasp"));
  EXPECT_FALSE(E->ReplaceOne(QStringLiteral("bee"), QStringLiteral("wasp"), 0));
  EXPECT_EQ(E->Text(), QStringLiteral("Bee, wasp and wasp"));
}

TEST(FindReplaceDialogs, AMatchFarBehindTheFirstSearchWindowIsFound) {
  TestQuestions Q;
  auto E = MakeEdit();
  QString Text;
  for (int I = 0; I < 3000; ++I) Text += QStringLiteral("honey comb\r");
  Text += QStringLiteral("queen");
  E->SetText(Text);
  E->ShowFindDialog();
  E->FindDialog()->FindEdit()->setText(QStringLiteral("queen"));
  E->FindDialog()->FindNextButton()->click();
  EXPECT_EQ(E->SelStart(), 3000 * 11);
  EXPECT_EQ(E->SelText(), QStringLiteral("queen"));
  EXPECT_TRUE(Q.asked.empty());
}

TEST(FindReplaceDialogs, ReplaceAllInABoundDefinitionStartsTheEditAndIsStored) {
  TGlossary G({{QString::fromUtf8("Воск"), Rtf("wax and wax")}});
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  ASSERT_EQ(G.Table2.State(), data::dsBrowse);
  E->ShowReplaceDialog();
  E->ReplaceDialog()->FindEdit()->setText(QStringLiteral("wax"));
  E->ReplaceDialog()->ReplaceEdit()->setText(QString::fromUtf8("воск"));
  E->ReplaceDialog()->ReplaceAllButton()->click();
  EXPECT_EQ(G.Table2.State(), data::dsEdit);
  G.Table2.Post();
  E->SetDataSource(nullptr);
  auto Reader = MakeEdit();
  Reader->LoadFromBlobField(&G.Text);
  EXPECT_EQ(Reader->Text(), QString::fromUtf8("воск and воск"));
}

TEST(FindReplaceDialogs, ARecordThatCannotBeEditedIsNotChanged) {
  TGlossary G({{QString::fromUtf8("Воск"), Rtf("wax and wax")}});
  G.DataSource2.SetAutoEdit(false);
  TestQuestions Q;
  auto E = MakeEdit();
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  E->ShowReplaceDialog();
  E->ReplaceDialog()->FindEdit()->setText(QStringLiteral("wax"));
  E->ReplaceDialog()->ReplaceEdit()->setText(QStringLiteral("x"));
  E->ReplaceDialog()->ReplaceAllButton()->click();
  EXPECT_EQ(E->Text(), QStringLiteral("wax and wax"));
  EXPECT_EQ(G.Table2.State(), data::dsBrowse);
  EXPECT_TRUE(Q.asked.empty());
}
