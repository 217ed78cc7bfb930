// Execute: the window opened on a copy of the definition, the close decision, and what comes
// back into the field.
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>

#include "richtext/Qvintl.h"
#include "tests/richtext_editor/EditorFixture.h"

using namespace engine;
using namespace richtext;
using data::dsBrowse;
using data::dsEdit;

namespace {
const QString kExitWarning = QStringLiteral("Changes have been made!  Do you wish to save your changes?");

void TypeText(TqvRichEditForm& F, const QString& Text) {
  F.RichEdit1->SetSelStart(F.RichEdit1->GetTextLen());
  F.RichEdit1->SetSelText(Text);
}
}  // namespace

TEST_F(EditorOnGlossary, OpensOnACopyOfTheDefinitionAndWithoutChangesHandsNothingBack) {
  const QByteArray Before = Stored();
  bool Seen = false;
  const bool Ok = RunEditor(Edit, [&](TqvRichEditForm& F) {
    Seen = true;
    EXPECT_EQ(F.SourceEdit, &Edit);
    EXPECT_EQ(Edit.EditorForm(), &F);
    EXPECT_EQ(Edit.EditorRichEdit(), F.RichEdit1);
    EXPECT_EQ(F.windowTitle(), QStringLiteral("Edit Rich Text"));
    // An instance of the caller's class, set up as the window relies on.
    EXPECT_TRUE(qobject_cast<TqvDBRichEdit*>(F.RichEdit1));
    EXPECT_EQ(F.RichEdit1->objectName(), QStringLiteral("RichEdit1"));
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("Acacia blossom"));
    EXPECT_FALSE(F.RichEdit1->Modified());
    EXPECT_EQ(F.RichEdit1->PopupOptions().Value(), 910);
    EXPECT_EQ(F.RichEdit1->GutterWidth(), 6);
    EXPECT_TRUE(F.RichEdit1->WantTabs());
    EXPECT_FALSE(F.RichEdit1->HideSelection());
    EXPECT_EQ(F.RichEdit1->ScrollBars(), ssVertical);
    EXPECT_EQ(F.RichEdit1->EditorOptions(), TqvRichEditOptions::FromValue(Edit.EditorOptions().Value() &
                                                                          ~(1u << reoShowSpellCheck)));
    F.Exit1Click();
  });
  EXPECT_TRUE(Seen);
  EXPECT_FALSE(Ok);
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_EQ(Stored(), Before);
  EXPECT_EQ(G.Table2.State(), dsBrowse);
  EXPECT_FALSE(Edit.Modified());
  EXPECT_EQ(Edit.EditorForm(), nullptr);
  EXPECT_EQ(Edit.EditorRichEdit(), nullptr);
}

TEST_F(EditorOnGlossary, SaveAndExitStoresTheEditedRtfInTheRecordWhichSurvivesAReopen) {
  const bool Ok = RunEditor(Edit, [](TqvRichEditForm& F) {
    TypeText(F, QStringLiteral(" of May"));
    Select(*F.RichEdit1, 0, 6);
    F.RichEdit1->SetEffect(qveItalic, true);
    F.SaveExit1Click();
  });
  EXPECT_TRUE(Ok);
  EXPECT_TRUE(Questions.asked.empty());  // Save and Exit never asks
  EXPECT_EQ(G.Table2.State(), dsEdit);
  EXPECT_TRUE(Edit.Modified());
  // The field holds the editor's RTF and the control shows it.
  EXPECT_TRUE(Stored().startsWith("{\\rtf1"));
  EXPECT_EQ(Edit.Text(), QStringLiteral("Acacia blossom of May"));
  G.Table2.Post();
  G.Table2.Close();
  G.Table1.Close();
  G.Open();
  TqvDBRichEdit Again;
  Again.SetDataSource(&G.DataSource2);
  Again.SetDataField(QStringLiteral("TextDetail"));
  Again.HandleNeeded();
  EXPECT_EQ(Again.Text(), QStringLiteral("Acacia blossom of May"));
  Select(Again, 0, 6);
  EXPECT_TRUE(Again.SelAttributes().Style() & fsItalic);
}

TEST_F(EditorOnGlossary, CtrlSFromTheTextSavesAndExitsWithoutAsking) {
  // The key as the text area receives it when no shortcut took it (an inactive window).
  EXPECT_TRUE(RunEditor(Edit, [](TqvRichEditForm& F) {
    TypeText(F, QStringLiteral(" and more"));
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
    QApplication::sendEvent(F.RichEdit1->Engine(), &Press);
  }));
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_EQ(Edit.Text(), QStringLiteral("Acacia blossom and more"));
}

TEST_F(EditorOnGlossary, ClosingWithChangesAsksAndEachAnswerDoesWhatItSays) {
  struct Case {
    const char* Name;
    std::vector<int> Answers;  // to the exit question, in order
    bool Stored;
    int Asked;
  };
  const Case Cases[] = {{"Yes stores", {platform::idYes}, true, 1},
                        {"No discards", {platform::idNo}, false, 1},
                        {"Cancel keeps editing, then No", {platform::idCancel, platform::idNo}, false, 2}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TestQuestions Q;
    Q.answers.assign(C.Answers.begin(), C.Answers.end());
    const QByteArray Before = Stored();
    const bool Ok = RunEditor(Edit, [&](TqvRichEditForm& F) {
      TypeText(F, QStringLiteral("!"));
      F.close();  // the window's close box
      if (C.Answers.size() > 1) {
        // Cancel kept the window open with its text.
        EXPECT_TRUE(F.isVisible());
        EXPECT_EQ(F.ModalResult(), TqvRichEditorWindow::mrNone);
        F.Exit1Click();
      }
    });
    EXPECT_EQ(Ok, C.Stored);
    ASSERT_EQ(int(Q.asked.size()), C.Asked);
    EXPECT_EQ(Q.asked[0].text, kExitWarning);
    EXPECT_EQ(Q.asked[0].buttons, platform::Buttons::YesNoCancel);
    EXPECT_EQ(Stored() != Before, C.Stored);
    if (G.Table2.State() == dsEdit) G.Table2.Cancel();
  }
}

TEST_F(EditorOnGlossary, EscapeFollowsCloseOnEscapeAndNoConfirmationKeepsChangesWithoutAsking) {
  auto PressEscape = [](TqvRichEditForm& F) {
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(F.RichEdit1->Engine(), &Press);
  };
  // Default options: Esc closes; unchanged, nothing is asked.
  EXPECT_FALSE(RunEditor(Edit, [&](TqvRichEditForm& F) { PressEscape(F); }));
  EXPECT_TRUE(Questions.asked.empty());

  // Without reoCloseOnEscape Esc undoes the last change instead.
  TqvRichEditOptions O = Edit.EditorOptions();
  Edit.SetEditorOptions(O.Exclude(reoCloseOnEscape));
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    TypeText(F, QStringLiteral("xyz"));
    PressEscape(F);
    EXPECT_TRUE(F.isVisible());
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("Acacia blossom"));
    F.SaveExit1Click();
  });

  // reoNoConfirmation: Exit and Esc both keep the changes, and nothing is asked.
  Edit.SetEditorOptions(O.Include(reoCloseOnEscape).Include(reoNoConfirmation));
  EXPECT_TRUE(RunEditor(Edit, [&](TqvRichEditForm& F) {
    TypeText(F, QStringLiteral(" one"));
    F.Exit1Click();
  }));
  EXPECT_TRUE(RunEditor(Edit, [&](TqvRichEditForm& F) {
    TypeText(F, QStringLiteral(" two"));
    PressEscape(F);
  }));
  EXPECT_TRUE(Questions.asked.empty());
  EXPECT_EQ(Edit.Text(), QStringLiteral("Acacia blossom one two"));
}

TEST_F(EditorOnGlossary, AReadOnlyControlOpensTheReducedViewWindowWhichEscapeClosesWithoutAsking) {
  Edit.SetReadOnly(true);
  const bool Ok = RunEditor(Edit, [](TqvRichEditForm& F) {
    EXPECT_TRUE(F.RichEdit1->GetReadOnly());
    for (QWidget* W : {static_cast<QWidget*>(F.Toolbar), F.FormatBar, static_cast<QWidget*>(F.StatusBar)})
      EXPECT_TRUE(W->isHidden()) << W->objectName().toStdString();
    ASSERT_NE(F.Ruler, nullptr);
    EXPECT_TRUE(F.Ruler->isHidden());
    EXPECT_FALSE(F.Format1->menuAction()->isVisible());
    EXPECT_FALSE(F.View1->menuAction()->isVisible());
    EXPECT_FALSE(F.SaveExit1->isVisible());
    EXPECT_TRUE(F.NewButton->isHidden());
    // The text fills the window under the menu.
    EXPECT_EQ(F.RichEdit1->geometry(), QRect(0, 0, F.Client->width(), F.Client->height()));
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(F.RichEdit1->Engine(), &Press);
  });
  EXPECT_FALSE(Ok);
  EXPECT_TRUE(Questions.asked.empty());
}

TEST_F(EditorOnGlossary, TheWindowIsCentredInTheWorkAreaUnlessItsPositionIsGiven) {
  const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
  QPoint At;
  QSize Size;
  auto Look = [&](TqvRichEditForm& F) {
    At = F.pos();
    Size = F.size();
    F.Exit1Click();
  };
  RunEditor(Edit, Look);
  EXPECT_EQ(At.x(), Area.left() + (Area.width() - Size.width()) / 2);
  EXPECT_EQ(At.y(), Area.top() + (Area.height() - Size.height()) / 2);

  Edit.EditorPosition() = TqvFormPosition{40, 0, 700, 0};
  RunEditor(Edit, Look);
  EXPECT_EQ(At.x(), 40);
  EXPECT_EQ(Size.width(), 700);
  EXPECT_EQ(At.y(), Area.top() + (Area.height() - Size.height()) / 2);
}

TEST_F(EditorOnGlossary, OkWithoutChangesWritesNothingYetTakesOverMarginsAndPageSize) {
  EXPECT_TRUE(RunEditor(Edit, [](TqvRichEditForm& F) {
    F.RichEdit1->PrintMargins().Left = 0.5;
    F.RichEdit1->SetPrintPageSize(9);
    F.SaveExit1Click();
  }));
  EXPECT_EQ(G.Table2.State(), dsBrowse);
  EXPECT_FALSE(Edit.Modified());
  EXPECT_DOUBLE_EQ(Edit.PrintMargins().Left, 0.5);
  EXPECT_EQ(Edit.PrintPageSize(), 9);
}

TEST_F(EditorOnGlossary, AFailureInsideExecuteCleansUpAndWritesNothing) {
  const QByteArray Before = Stored();
  QPointer<QWidget> Window;
  Edit.OnCloseDialog = [](QWidget*) { throw base::Exception(QStringLiteral("host failed")); };
  EXPECT_THROW(RunEditor(Edit,
                         [&](TqvRichEditForm& F) {
                           Window = &F;
                           F.Exit1Click();
                         }),
               base::Exception);
  EXPECT_TRUE(Window.isNull());  // the window was freed
  EXPECT_EQ(Edit.EditorForm(), nullptr);
  EXPECT_EQ(Stored(), Before);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorOnGlossary, TheHostsMenuEventsCanKeepTheWindowFromActing) {
  bool Asked = false;
  Edit.OnMenuSaveAndExitClick = [&](QWidget* Form, TqvCustomRichEdit* RichEdit, bool& DoDefault) {
    Asked = true;
    EXPECT_NE(Form, nullptr);
    EXPECT_EQ(RichEdit, Edit.EditorRichEdit());
    DoDefault = false;
  };
  RunEditor(Edit, [](TqvRichEditForm& F) {
    F.SaveExit1Click();
    EXPECT_TRUE(F.isVisible());  // the host said no: the window stays
    F.Exit1Click();
  });
  EXPECT_TRUE(Asked);
}

TEST(EditorLaunch, WithoutAFieldTheEditedTextIsCopiedBackAndTheHooksSeeTheWindow) {
  TqvDBRichEdit E;
  E.resize(300, 200);
  E.HandleNeeded();
  E.EngineLines().LoadFromBytes(Rtf("plain {\\b bold}"));
  QStringList Events;
  E.OnInitDialog = [&](QWidget* F) { Events << (qobject_cast<TqvRichEditForm*>(F) ? "init" : "?"); };
  E.OnCreateDialog = [&](QWidget*) { Events << "create"; };
  E.OnCloseDialog = [&](QWidget*) { Events << "close"; };
  EXPECT_TRUE(RunEditor(E, [](TqvRichEditForm& F) {
    F.RichEdit1->SetSelStart(0);
    F.RichEdit1->SetSelText(QStringLiteral("more "));
    F.SaveExit1Click();
  }));
  EXPECT_EQ(Events, QStringList({"create", "init", "close"}));
  EXPECT_EQ(E.Text(), QStringLiteral("more plain bold"));
  EXPECT_TRUE(E.Modified());
  Select(E, 11, 4);
  EXPECT_TRUE(E.SelAttributes().Style() & fsBold);
}

TEST(EditorLaunch, OpensAtTheDefinitionsSelectionScrolledToItAndOkTakesTheCaretBack) {
  QByteArray Body;
  for (int I = 0; I < 200; ++I) Body += "Line " + QByteArray::number(I) + "\\par ";
  TGlossary G({{QString::fromUtf8("Акация"), Rtf(Body.constData())}});
  TqvDBRichEdit Edit;
  Edit.resize(497, 221);
  Edit.SetDataSource(&G.DataSource2);
  Edit.SetDataField(QStringLiteral("TextDetail"));
  Edit.show();
  Edit.HandleNeeded();
  // Positions in the engine's text, where a paragraph's end is one character.
  const auto Find = [](TqvCustomRichEdit& E, const char* What) {
    return int(E.Engine()->toPlainText().indexOf(QLatin1String(What)));
  };
  const int At = Find(Edit, "Line 150");
  ASSERT_GT(At, 0);
  const auto Sel = [](TqvCustomRichEdit& E) {
    const QTextCursor C = E.Engine()->textCursor();
    return std::pair{C.anchor(), C.position()};
  };
  const auto CaretShown = [](TqvCustomRichEdit& E) {
    return E.Engine()->viewport()->rect().contains(E.Engine()->cursorRect());
  };
  struct Case {
    const char* what;
    bool change;  // a change saved, else closed without one
  } Cases[] = {{"saved", true}, {"closed", false}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.what);
    // Selected backwards, from the end of "Line 150" to its start: the caret is at the start.
    Edit.Engine()->SetSel({At + 8, At});
    int MovedTo = -1;
    RunEditor(Edit, [&](TqvRichEditForm& F) {
      EXPECT_EQ(Sel(*F.RichEdit1), std::pair(At + 8, At));
      EXPECT_TRUE(CaretShown(*F.RichEdit1)) << F.RichEdit1->Engine()->verticalScrollBar()->value();
      MovedTo = Find(*F.RichEdit1, "Line 180");
      F.RichEdit1->Engine()->SetSel({MovedTo, MovedTo});
      if (C.change) {
        F.RichEdit1->SetSelText(QStringLiteral("Edited "));
        MovedTo += 7;
        F.SaveExit1Click();
      } else {
        F.Exit1Click();
      }
    });
    // Where the editing left the caret when the text came back; where it was when nothing did.
    if (C.change) {
      EXPECT_EQ(Sel(Edit), std::pair(MovedTo, MovedTo));
      EXPECT_TRUE(CaretShown(Edit));
    } else {
      EXPECT_EQ(Sel(Edit), std::pair(At + 8, At));
    }
  }
}

TEST(EditorLaunch, WithoutAnInstalledWindowExecuteFailsWithAMessage) {
  QvRichEditHooks().CreateEditorWindow = nullptr;
  TqvDBRichEdit E;
  EXPECT_THROW(E.Execute(), base::Exception);
  InstallRichEditForm();
}
