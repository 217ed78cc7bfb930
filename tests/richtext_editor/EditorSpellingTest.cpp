// The editor window of a control with spelling: the spelling button and Tools > Check Spelling
// are shown and walk the window's text in the spelling dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>

#include "richtext/qvspelldlg.h"
#include "spell/SharedSpeller.h"
#include "tests/richtext_editor/EditorFixture.h"

TEST(EditorSpelling, TheSpellingClassShowsTheSpellingCommandsAndTheyWalkTheText) {
  QString Aff, Dic;
  if (!spell::FindRussianDictionary(&Aff, &Dic)) GTEST_SKIP() << "no Russian dictionary installed";
  spell::ConfigureSharedSpeller({Aff, Dic, {}, {}});
  TestQuestions Questions;
  TqvDBRichEditSpell Edit;
  Edit.resize(300, 200);
  Edit.HandleNeeded();
  Edit.Engine()->SetPlainText(QStringLiteral("Пчеллы летят."));
  QStringList Seen;
  const TqvSpellDialogRunner Previous = SetSpellDialogRunner([&](TqvSpellDialog& D) {
    Seen << D.Word();
    D.ChangeTo()->setText(QStringLiteral("Пчёлы"));
    D.Change();
  });
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    EXPECT_FALSE(F.SpellButton->isHidden());
    EXPECT_TRUE(F.Tools1->menuAction()->isVisible());
    EXPECT_TRUE(F.Spelling1->isVisible());
    EXPECT_EQ(F.SpellButton->x(), F.FindButton->x() + F.FindButton->width());
    EXPECT_EQ(F.ToolbarBevel1->x(), 3 + F.SpellButton->x() + F.SpellButton->width());
    F.Spelling1->trigger();
    EXPECT_EQ(F.RichEdit1->Engine()->Text(), QStringLiteral("Пчёлы летят."));
    F.QDialog::done(QDialog::Rejected);
  });
  SetSpellDialogRunner(Previous);
  EXPECT_EQ(Seen, QStringList{QStringLiteral("Пчеллы")});
  EXPECT_TRUE(Questions.Texts().contains(QStringLiteral("The spell check is complete.")));
  spell::ResetSharedSpeller();
}
