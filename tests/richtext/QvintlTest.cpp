#include <gtest/gtest.h>

#include "richtext/Qvintl.h"

using namespace richtext;

namespace {

template <class R>
QStringList NamesOf() {
  QStringList N;
  for (const auto& P : R::TextProperties()) N << QString::fromLatin1(P.Name);
  return N;
}

// Puts GlobalIntl's texts back after a test that changed them.
class GlobalTextsGuard {
 public:
  GlobalTextsGuard() { Saved.ApplyToGlobalFrom(*GlobalIntl); }
  ~GlobalTextsGuard() { Saved.ApplyToGlobal(); }

 private:
  struct Copy : TqvIntl {
    void ApplyToGlobalFrom(const TqvIntl& G) {
      RichEdit()->AssignTexts(*G.RichEdit());
      RichEdit()->MenuLabels()->AssignTexts(*G.RichEdit()->MenuLabels());
      RichEdit()->PopupMenuLabels()->AssignTexts(*G.RichEdit()->PopupMenuLabels());
      RichEdit()->ParagraphDialog()->AssignTexts(*G.RichEdit()->ParagraphDialog());
      RichEdit()->TabDialog()->AssignTexts(*G.RichEdit()->TabDialog());
      RichEdit()->ParagraphDialog()->SetHelpContext(G.RichEdit()->ParagraphDialog()->HelpContext());
      RichEdit()->TabDialog()->SetHelpContext(G.RichEdit()->TabDialog()->HelpContext());
      UserMessages()->AssignTexts(*G.UserMessages());
      SetBtnOKCaption(G.BtnOKCaption());
      SetBtnCancelCaption(G.BtnCancelCaption());
    }
  } Saved;
};

}  // namespace

TEST(Qvintl, GlobalInstanceExistsWithDefaultsBeforeAnyWindow) {
  ASSERT_NE(GlobalIntl, nullptr);
  EXPECT_EQ(GlobalIntl->BtnOKCaption(), "&OK");
  EXPECT_EQ(GlobalIntl->BtnCancelCaption(), "Cancel");
  EXPECT_FALSE(GlobalIntl->Connected());
}

TEST(Qvintl, RecordsKeepTheirPublishedOrder) {
  // The order is the streaming order; spot-check the ends and the places a slip would show.
  const QStringList R = NamesOf<TqvDBRichEditIntl>();
  ASSERT_EQ(R.size(), 40);
  EXPECT_EQ(R.first(), "FontNameComboHint");
  EXPECT_EQ(R[10], "RedoButtonHint");
  EXPECT_EQ(R.last(), "NUMLockCaption");

  const QStringList M = NamesOf<TqvRichEditMenuLabels>();
  ASSERT_EQ(M.size(), 34);
  EXPECT_EQ(M.mid(20, 4), QStringList({"InsertCaption", "RulerCaption", "RedoCaption", "ViewCaption"}));

  EXPECT_EQ(NamesOf<TqvRichEditPopupMenuLabels>().size(), 17);
  const QStringList P = NamesOf<TqvRichEditParagraphDlg>();
  ASSERT_EQ(P.size(), 25);
  EXPECT_EQ(P.mid(15, 4), QStringList({"AlignLeft", "AlignRight", "AlignCenter", "AlignJustify"}));
  EXPECT_EQ(TqvRichEditTabDlg::PublishedOrder().mid(0, 3),
            QStringList({"TabDlgCaption", "HelpContext", "TabGroupBoxCaption"}));
  EXPECT_EQ(NamesOf<TqvUserMessagesIntl>().size(), 11);
}

TEST(Qvintl, DefaultsThatAreEasyToGetWrong) {
  TqvIntl I;
  const auto* U = I.UserMessages();
  // Two spaces after each "!".
  EXPECT_EQ(U->MemoChangesWarning(), "Changes have been made!  Are you sure you wish to cancel?");
  EXPECT_EQ(U->RichEditExitWarning(), "Changes have been made!  Do you wish to save your changes?");
  EXPECT_EQ(U->RecordViewExitWarning(), U->RichEditExitWarning());
  EXPECT_EQ(U->PictureValidateError(), "Invalid characters. Field : ");
  EXPECT_EQ(U->RichEditMSWordNotFound(), "Unable to start Microsoft Word's Spell Checker.");

  const auto* M = I.RichEdit()->MenuLabels();
  EXPECT_EQ(M->RedoCaption(), "");
  EXPECT_EQ(M->SpellCheckCaption(), "Check &Spelling");
  EXPECT_EQ(M->HelpCaption(), "Help");
  const auto* Pop = I.RichEdit()->PopupMenuLabels();
  EXPECT_EQ(Pop->FindCaption(), "Fin&d");
  EXPECT_EQ(Pop->InsertObjectCaption(), "Insert &Object...");
  EXPECT_EQ(I.RichEdit()->UnderlineButtonHint(),
            "Underline | Formats the selection with a continuous underline (toggle)");
  EXPECT_EQ(I.RichEdit()->ParagraphDialog()->HelpContext(), 0);
  EXPECT_EQ(I.RichEdit()->TabDialog()->TabDlgCaption(), "Tab");
  EXPECT_EQ(I.RichEdit()->TabDialog()->SetTabButtonCaption(), "Set");
}

TEST(Qvintl, EmptyTextsFallBackOnlyWhereTheyHaveAFallback) {
  TqvIntl I;
  auto* M = I.RichEdit()->MenuLabels();
  EXPECT_EQ(M->RedoCaptionShown(), "&Redo");  // empty by default, shown as "&Redo"
  M->SetInsertCaption("");
  M->SetRulerCaption("");
  EXPECT_EQ(M->InsertCaptionShown(), "&Insert");
  EXPECT_EQ(M->RulerCaptionShown(), "&Ruler");
  M->SetRedoCaption("Re&do");
  EXPECT_EQ(M->RedoCaptionShown(), "Re&do");
  M->SetFileCaption("");
  EXPECT_EQ(M->FileCaption(), "");

  auto* R = I.RichEdit();
  R->SetRedoButtonHint("");
  EXPECT_EQ(R->RedoButtonHintShown(), "Redo | Reverses the last undo action");
  R->SetUndoButtonHint("");
  EXPECT_EQ(R->UndoButtonHint(), "");

  auto* P = R->ParagraphDialog();
  EXPECT_EQ(P->SpacingChoices(),
            QStringList({"Single", "1.5 Lines", "Double", "At least", "Exactly", "Multiple"}));
  P->SetSpacingDouble("Twice");
  EXPECT_EQ(P->SpacingChoices(),
            QStringList({"Single", "1.5 Lines", "Twice", "At least", "Exactly", "Multiple"}));
}

TEST(Qvintl, ConnectingCopiesByValueIntoGlobal) {
  GlobalTextsGuard Restore;
  TqvIntl Placed;
  Placed.RichEdit()->ParagraphDialog()->SetAlignRight("Rechts");
  Placed.RichEdit()->ParagraphDialog()->SetHelpContext(77);
  Placed.RichEdit()->TabDialog()->SetHelpContext(78);
  Placed.RichEdit()->MenuLabels()->SetFileCaption("&Datei");
  Placed.UserMessages()->SetLocateNoMoreMatches("Nichts mehr");
  Placed.SetBtnCancelCaption("Abbrechen");

  // Not connected: nothing reaches the global texts, not even on load completion.
  Placed.Loaded();
  EXPECT_EQ(GlobalIntl->RichEdit()->ParagraphDialog()->AlignRight(), "Right");

  auto* GlobalMenu = GlobalIntl->RichEdit()->MenuLabels();
  Placed.SetConnected(true);
  EXPECT_EQ(GlobalIntl->RichEdit()->ParagraphDialog()->AlignRight(), "Rechts");
  EXPECT_EQ(GlobalIntl->RichEdit()->ParagraphDialog()->HelpContext(), 77);
  EXPECT_EQ(GlobalIntl->RichEdit()->TabDialog()->HelpContext(), 78);
  EXPECT_EQ(GlobalIntl->UserMessages()->LocateNoMoreMatches(), "Nichts mehr");
  EXPECT_EQ(GlobalIntl->BtnCancelCaption(), "Abbrechen");
  // The records stay GlobalIntl's own; only values moved.
  EXPECT_EQ(GlobalIntl->RichEdit()->MenuLabels(), GlobalMenu);
  EXPECT_EQ(GlobalMenu->FileCaption(), "&Datei");

  // A later change to the placed instance waits for the next copy.
  Placed.RichEdit()->MenuLabels()->SetFileCaption("&Fichier");
  EXPECT_EQ(GlobalMenu->FileCaption(), "&Datei");
  Placed.Loaded();
  EXPECT_EQ(GlobalMenu->FileCaption(), "&Fichier");
}

TEST(Qvintl, GlobalCopyingItselfChangesNothing) {
  GlobalTextsGuard Restore;
  GlobalIntl->RichEdit()->SetExitHint("Leave");
  GlobalIntl->ApplyToGlobal();
  GlobalIntl->SetConnected(true);
  GlobalIntl->SetConnected(false);
  EXPECT_EQ(GlobalIntl->RichEdit()->ExitHint(), "Leave");
}
