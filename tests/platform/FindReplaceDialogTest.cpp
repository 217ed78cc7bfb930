#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "platform/FindReplaceDialog.h"
#include "tests/common/AnimatedClick.h"

using platform::TFindAction;
using platform::TFindDialog;
using platform::TReplaceDialog;

namespace {
// An owner window with the dialog shown and active, as the user meets it.
struct TOpenDialog {
  QWidget Owner;
  TReplaceDialog* Dialog = nullptr;
  int Finds = 0, Replaces = 0, Closes = 0;

  TOpenDialog() {
    Owner.resize(300, 200);
    Owner.show();
    Dialog = new TReplaceDialog(&Owner);
    Dialog->OnFind = [this] { ++Finds; };
    Dialog->OnReplace = [this] { ++Replaces; };
    Dialog->OnClose = [this] { ++Closes; };
    Dialog->Execute();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Dialog));
  }
  // Typed key by key; Cyrillic letters too, which QTest's own typing does not know.
  void Type(const QString& Text) {
    for (QChar C : Text) {
      QKeyEvent Press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(C));
      QApplication::sendEvent(QApplication::focusWidget(), &Press);
    }
  }
  void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(K), M);
    // A button reached by its accelerator clicks after its short pressed look.
    if (M & Qt::AltModifier) WaitForAnimatedClicks(Dialog);
  }
};
}  // namespace

TEST(FindReplaceDialog, EnterIsFindNextOnlyWithSomethingToFind) {
  TOpenDialog D;
  EXPECT_FALSE(D.Dialog->FindNextButton()->isEnabled());
  D.Key(Qt::Key_Return);
  EXPECT_EQ(D.Finds, 0);
  D.Type("мёд");
  D.Key(Qt::Key_Return);
  EXPECT_EQ(D.Finds, 1);
  EXPECT_EQ(D.Dialog->FindText(), QStringLiteral("мёд"));
  EXPECT_EQ(D.Dialog->LastAction(), TFindAction::FindNext);
  EXPECT_TRUE(D.Dialog->isVisible());  // modeless: it stays open for the next one
}

TEST(FindReplaceDialog, ButtonsAndAcceleratorsTellWhichActionRan) {
  TOpenDialog D;
  D.Type("wax");
  D.Key(Qt::Key_P, Qt::AltModifier);  // Re&place with
  EXPECT_EQ(QApplication::focusWidget(), D.Dialog->ReplaceEdit());
  D.Type("comb");
  D.Key(Qt::Key_C, Qt::AltModifier);
  D.Key(Qt::Key_W, Qt::AltModifier);
  EXPECT_TRUE(D.Dialog->MatchCase());
  EXPECT_TRUE(D.Dialog->WholeWord());
  D.Key(Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(D.Replaces, 1);
  EXPECT_EQ(D.Dialog->LastAction(), TFindAction::Replace);
  D.Key(Qt::Key_A, Qt::AltModifier);
  EXPECT_EQ(D.Replaces, 2);
  EXPECT_EQ(D.Dialog->LastAction(), TFindAction::ReplaceAll);
  D.Key(Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(D.Finds, 1);
  EXPECT_EQ(D.Dialog->LastAction(), TFindAction::FindNext);
  EXPECT_EQ(D.Dialog->ReplaceText(), QStringLiteral("comb"));
}

TEST(FindReplaceDialog, EscCancelAndTheCloseBoxEachCloseOnce) {
  TOpenDialog D;
  D.Key(Qt::Key_Escape);
  EXPECT_FALSE(D.Dialog->isVisible());
  EXPECT_EQ(D.Closes, 1);
  D.Dialog->Execute();
  D.Dialog->CancelButton()->click();
  EXPECT_EQ(D.Closes, 2);
  D.Dialog->Execute();
  D.Dialog->close();
  EXPECT_EQ(D.Closes, 3);
  EXPECT_EQ(D.Finds + D.Replaces, 0);
}

TEST(FindReplaceDialog, ShownAgainItComesToTheFrontAboveItsOwner) {
  TOpenDialog D;
  D.Type("hive");
  D.Owner.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&D.Owner));
  D.Dialog->Execute();
  EXPECT_TRUE(QTest::qWaitForWindowActive(D.Dialog));
  EXPECT_EQ(D.Closes, 0);
  // Ready to type over the last search.
  EXPECT_EQ(QApplication::focusWidget(), D.Dialog->FindEdit());
  EXPECT_EQ(D.Dialog->FindEdit()->selectedText(), QStringLiteral("hive"));
  ASSERT_NE(D.Dialog->windowHandle(), nullptr);
  EXPECT_EQ(D.Dialog->windowHandle()->transientParent(), D.Owner.windowHandle());
}

TEST(FindReplaceDialog, TheFindDialogHasNoReplaceParts) {
  QWidget Owner;
  TFindDialog F(&Owner);
  EXPECT_EQ(F.windowTitle(), QStringLiteral("Find"));
  EXPECT_EQ(F.findChild<QLineEdit*>(QStringLiteral("ReplaceEdit")), nullptr);
  EXPECT_EQ(F.findChild<QPushButton*>(QStringLiteral("ReplaceAllButton")), nullptr);
  EXPECT_FALSE(F.MatchCase());
  EXPECT_FALSE(F.WholeWord());
}
