// Embedded objects in the rich edit control: the callback's answers, inserting objects, their
// verbs, view and properties, the double click, dropped files, and pasting the rich text flavours.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTextBlock>
#include <QUrl>

#include "platform/FileObject.h"
#include "richtext/qvricholecallback.h"
#include "richtext/qvricholeobject.h"
#include "richtext/qvrichobjinfo.h"
#include "rtf/ObjectGroup.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"
#include "tests/common/ObjectFakes.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {

// Answers the Insert Object dialog: a file, embedded or linked, as its picture or an icon.
platform::TDialogRunner InsertFile(const QString& Path, bool AsIcon, bool Link = false) {
  return [=](QDialog* D) {
    D->findChild<QRadioButton*>(QStringLiteral("CreateFromFile"))->setChecked(true);
    D->findChild<QLineEdit*>(QStringLiteral("FileName"))->setText(Path);
    D->findChild<QCheckBox*>(QStringLiteral("DisplayAsIcon"))->setChecked(AsIcon);
    D->findChild<QCheckBox*>(QStringLiteral("Link"))->setChecked(Link);
    D->accept();
    return D->result();
  };
}

// The formats of the objects in the control's text, in order.
std::vector<QTextCharFormat> ObjectFormats(TqvCustomRichEdit& E) {
  std::vector<QTextCharFormat> Out;
  for (QTextBlock B = E.Engine()->document()->begin(); B.isValid(); B = B.next())
    for (auto It = B.begin(); !It.atEnd(); ++It)
      if (It.fragment().charFormat().objectType() == rtf::kEmbeddedObjectType)
        for (int I = 0; I < It.fragment().length(); ++I) Out.push_back(It.fragment().charFormat());
  return Out;
}

void SelectObject(TqvCustomRichEdit& E, int Index) {
  REOBJECT Reo;
  ASSERT_EQ(E.RichEditOle()->GetObject(Index, &Reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  E.Engine()->SetSel({Reo.cp, Reo.cp + 1});
}

IOleObject* SelectedObject(TqvCustomRichEdit& E) {
  REOBJECT Reo;
  if (E.RichEditOle()->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ) != S_OK) return nullptr;
  return Reo.poleobj;
}

// A double click on the character at Pos, as the mouse gives it.
void DoubleClickAt(TqvCustomRichEdit& E, int Pos) {
  E.show();
  QApplication::processEvents();
  POINTL Pt;
  E.Perform(EM_POSFROMCHAR, LPARAM(&Pt), Pos);
  const QPointF At(Pt.x + 4, Pt.y + 4);
  QWidget* V = E.Engine()->viewport();
  for (QEvent::Type T : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                         QEvent::MouseButtonRelease}) {
    QMouseEvent Ev(T, At, V->mapToGlobal(At), Qt::LeftButton,
                   T == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(V, &Ev);
  }
}

// The file of the Index-th object of stored RTF, as the next run reads it.
std::unique_ptr<platform::TFileObject> StoredFile(const QByteArray& Stored, int Index) {
  qsizetype At = -1;
  for (int I = 0; I <= Index; ++I) At = Stored.indexOf("{\\object", At + 1);
  rtf::ObjectGroup Group;
  if (At < 0 || !rtf::ReadObjectGroup(Stored.mid(At), Group, 1 << 24)) return nullptr;
  return platform::TFileObject::FromData(Group.data, nullptr);
}

const QByteArray kForeign =
    "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw600\\objh600{\\*\\objdata 0105000002000000}"
    "{\\result{\\pict\\pngblip\\picw1\\pich1\\picwgoal600\\pichgoal600 "
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360f8ffff3f0005fe02fea7d6a4ee0000000049454e44ae426082}}}";

class RichEditObjects : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  FakeDesktop Desktop;
  QString PngPath = WriteFile(Dir, QStringLiteral("comb.png"), PngBytes(QColor(230, 170, 20), 60, 40));
  QString TextPath = WriteFile(Dir, QStringLiteral("swarm notes.txt"), "Swarm seen at noon.\n");
};

}  // namespace

TEST(ObjectCallback, AnswersTheEnginesQuestions) {
  auto E = MakeEdit();
  IRichEditOleCallback* Cb = E->OleCallback();
  ASSERT_NE(Cb, nullptr);
  IStorage* Storage = nullptr;
  EXPECT_EQ(Cb->GetNewStorage(&Storage), S_OK);
  EXPECT_NE(Storage, nullptr);
  EXPECT_EQ(Cb->GetInPlaceContext(), E_NOTIMPL);
  EXPECT_EQ(Cb->ShowContainerUI(true), E_NOTIMPL);
  EXPECT_EQ(Cb->QueryInsertObject(QStringLiteral("text/plain"), Storage, 0), S_OK);
  EXPECT_EQ(Cb->DeleteObject(nullptr), S_OK);
  UINT Format = CF_TEXT;
  QMimeData Data;
  EXPECT_EQ(Cb->QueryAcceptData(&Data, &Format, RECO_PASTE, true), S_OK);
  EXPECT_EQ(Format, CF_TEXT);
  EXPECT_EQ(Cb->ContextSensitiveHelp(true), E_NOTIMPL);
  QMimeData* Out = reinterpret_cast<QMimeData*>(&Data);
  CHARRANGE R{0, 0};
  EXPECT_EQ(Cb->GetClipboardData(&R, RECO_COPY, &Out), E_NOTIMPL);
  EXPECT_EQ(Out, nullptr);

  // Drops: (drag, keys, effect allowed) -> effect.
  const DWORD All = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  const DWORD Ctrl = MK_KEYSTATE_CONTROL, Shift = MK_KEYSTATE_SHIFT;
  struct Case {
    bool Drag;
    DWORD Keys, Allowed, Answer;
  } Cases[] = {
      {true, Ctrl | Shift, All, All},                       // the drag source's own question
      {false, 0, All, DROPEFFECT_MOVE},
      {false, Ctrl, All, DROPEFFECT_COPY},
      {false, Ctrl | Shift, All, DROPEFFECT_LINK},
      {false, Shift, All, DROPEFFECT_MOVE},
      {false, Ctrl | Shift, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY | DROPEFFECT_MOVE},  // no link allowed
      {false, 0, DROPEFFECT_COPY, DROPEFFECT_COPY},
  };
  for (const Case& C : Cases) {
    DWORD Effect = C.Allowed;
    EXPECT_EQ(Cb->GetDragDropEffect(C.Drag, C.Keys, &Effect), S_OK);
    EXPECT_EQ(Effect, C.Answer) << C.Drag << " " << C.Keys << " " << C.Allowed;
  }

  // The context menu: the control's popup at the cursor, only after a mouse press; none for the engine.
  QMenu Popup;
  Popup.addAction(QStringLiteral("Item"));
  E->SetPopupMenu(&Popup);
  QMenu* Menu = &Popup;
  E->SetPopupByMouse(false);
  EXPECT_EQ(Cb->GetContextMenu(SEL_EMPTY, nullptr, &R, &Menu), S_OK);
  EXPECT_EQ(Menu, nullptr);
  EXPECT_FALSE(Popup.isVisible());
  E->SetPopupByMouse(true);
  EXPECT_EQ(Cb->GetContextMenu(SEL_EMPTY, nullptr, &R, &Menu), S_OK);
  EXPECT_EQ(Menu, nullptr);
  EXPECT_TRUE(Popup.isVisible());
  EXPECT_FALSE(E->PopupByMouse());
  Popup.hide();
  E->SetPopupMenu(nullptr);
}

TEST_F(RichEditObjects, InsertedPictureAndIconComeBackDrawnTheSameAfterPostingAndRestart) {
  TGlossary G({{QString::fromUtf8("Акация"), Rtf("Acacia ")}});
  std::vector<QImage> Drawn;
  QByteArray Stored;
  {
    auto E = MakeEdit(400, 300);
    E->SetDataSource(&G.DataSource2);
    E->SetDataField("TextDetail");
    E->SetSelStart(7);
    {
      ScriptedDialog Script(InsertFile(PngPath, false));
      ASSERT_TRUE(E->InsertObject());
    }
    E->SetSelStart(8);
    {
      ScriptedDialog Script(InsertFile(TextPath, true));
      ASSERT_TRUE(E->InsertObject());
    }
    EXPECT_EQ(G.Table2.State(), data::dsEdit);
    EXPECT_TRUE(Desktop.opened.isEmpty());  // an object never opens by itself
    ASSERT_EQ(E->RichEditOle()->GetObjectCount(), 2);
    const auto Formats = ObjectFormats(*E);
    const QImage Picture = rtf::ObjectImage(Formats[0]);
    EXPECT_EQ(Picture.size(), QSize(60, 40));
    EXPECT_EQ(Picture.pixelColor(30, 20), QColor(230, 170, 20));
    EXPECT_EQ(rtf::ObjectSize(Formats[0]), QSizeF(60, 40));
    const QImage Icon = rtf::ObjectImage(Formats[1]);
    EXPECT_GE(Icon.height(), 2 * 48);  // drawn at twice its size, with the name under it
    for (const auto& F : Formats) Drawn.push_back(rtf::ObjectImage(F));
    REOBJECT Reo;
    ASSERT_EQ(E->RichEditOle()->GetObject(1, &Reo, REO_GETOBJ_NO_INTERFACES), S_OK);
    EXPECT_EQ(Reo.dvaspect, DVASPECT_ICON);
    G.Table2.Post();
    Stored = G.Text.AsBytes();
  }
  EXPECT_TRUE(Stored.contains("\\objemb"));
  EXPECT_TRUE(Stored.contains("{\\*\\objclass image/png}"));
  EXPECT_TRUE(Stored.contains("\\result{\\pict\\pngblip"));

  // A new run: the tables opened afresh, a new control.
  G.Table2.Close();
  G.Table1.Close();
  GlossaryTables Again(G.Dir.path());
  Again.Open();
  auto E = MakeEdit(400, 300);
  E->SetDataSource(&Again.DataSource2);
  E->SetDataField("TextDetail");
  const auto Formats = ObjectFormats(*E);
  ASSERT_EQ(Formats.size(), 2u);
  for (size_t I = 0; I < Formats.size(); ++I) EXPECT_EQ(rtf::ObjectImage(Formats[I]), Drawn[I]) << I;
  // Both are whole objects again: their hosts know their files.
  SelectObject(*E, 1);
  auto* Host = dynamic_cast<TqvFileOleObject*>(SelectedObject(*E));
  ASSERT_NE(Host, nullptr);
  EXPECT_EQ(Host->File().FileName(), QStringLiteral("swarm notes.txt"));
  EXPECT_EQ(Host->File().Contents(), QByteArray("Swarm seen at noon.\n"));
  EXPECT_TRUE(Host->File().Iconic());
  // Nothing was changed by looking.
  EXPECT_FALSE(E->Modified());
  EXPECT_EQ(E->EngineLines().SaveToBytes(), Stored);
}

TEST_F(RichEditObjects, OpeningTheTextFileStoresWhatItsApplicationSaved) {
  TGlossary G({{QString::fromUtf8("Акация"), Rtf("Acacia ")}});
  auto E = MakeEdit(400, 300);
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  {
    ScriptedDialog Script(InsertFile(TextPath, true));
    ASSERT_TRUE(E->InsertObject());
  }
  G.Table2.Post();
  ASSERT_EQ(G.Table2.State(), data::dsBrowse);

  // The popup's way: the selected object, its verbs, the primary one.
  SelectObject(*E, 0);
  E->SetCurrentObject(SelectedObject(*E));
  E->LoadVerbs();
  ASSERT_EQ(E->VerbNames().size(), 3);
  EXPECT_EQ(E->VerbNames()[0].Name, QStringLiteral("&Open"));
  for (int I = 0; I < 3; ++I) EXPECT_EQ(E->VerbNames()[I].Data & 0xFFFF, std::uint32_t(I));
  try {
    E->DoVerb(E->VerbNames().size());
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& Ex) {
    EXPECT_EQ(Ex.Message(), QStringLiteral("Invalid Verb"));
  }
  EXPECT_TRUE(Desktop.opened.isEmpty());

  // The double click registers the save sink, then opens the object; its application saves.
  Desktop.saveAs = "Swarm seen at noon. Hived at four.\n";
  REOBJECT Reo;
  ASSERT_EQ(E->RichEditOle()->GetObject(0, &Reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  DoubleClickAt(*E, Reo.cp);
  ASSERT_EQ(Desktop.opened.size(), 1);
  EXPECT_EQ(Desktop.applications[0], QString());
  EXPECT_EQ(G.Table2.State(), data::dsEdit);
  EXPECT_TRUE(E->Modified());
  G.Table2.Post();
  auto File = StoredFile(G.Text.AsBytes(), 0);
  ASSERT_TRUE(File);
  EXPECT_EQ(File->Contents(), Desktop.saveAs);

  // Verb -65536 is the primary verb; Open With runs the application the user names.
  Desktop.saveAs.clear();
  E->DoVerb(-65536);
  EXPECT_EQ(Desktop.opened.size(), 2);
  {
    ScriptedDialog Script([](QDialog* D) {
      D->findChild<QLineEdit*>(QStringLiteral("Command"))->setText(QStringLiteral("beeview --new"));
      return int(QDialog::Accepted);
    });
    SelectObject(*E, 0);
    E->SetCurrentObject(SelectedObject(*E));
    E->LoadVerbs();
    E->DoVerb(1);
  }
  ASSERT_EQ(Desktop.applications.size(), 3);
  EXPECT_EQ(Desktop.applications[2], QStringLiteral("beeview --new"));
}

TEST_F(RichEditObjects, DisplayAsIconSwitchesTheDrawingBothWays) {
  auto E = MakeEdit(400, 300);
  {
    ScriptedDialog Script(InsertFile(PngPath, false));
    ASSERT_TRUE(E->InsertObject());
  }
  const QImage Picture = rtf::ObjectImage(ObjectFormats(*E)[0]);
  auto SetView = [&](const char* Choice) {
    SelectObject(*E, 0);
    ScriptedDialog Script([&](QDialog* D) {
      D->findChild<QRadioButton*>(QLatin1String(Choice))->setChecked(true);
      D->accept();
      return D->result();
    });
    return E->ShowObjectProperties();
  };
  ASSERT_TRUE(SetView("ViewIcon"));
  const QImage Icon = rtf::ObjectImage(ObjectFormats(*E)[0]);
  EXPECT_NE(Icon.size(), Picture.size());
  REOBJECT Reo;
  E->RichEditOle()->GetObject(0, &Reo, REO_GETOBJ_NO_INTERFACES);
  EXPECT_EQ(Reo.dvaspect, DVASPECT_ICON);
  EXPECT_TRUE(E->Modified());
  ASSERT_TRUE(SetView("ViewContent"));
  EXPECT_EQ(rtf::ObjectImage(ObjectFormats(*E)[0]), Picture);
  E->RichEditOle()->GetObject(0, &Reo, REO_GETOBJ_NO_INTERFACES);
  EXPECT_EQ(Reo.dvaspect, DVASPECT_CONTENT);

  // The dialog's caption and place.
  E->SetTitle(QStringLiteral("Acacia"));
  SelectObject(*E, 0);
  QString Caption, Location;
  {
    ScriptedDialog Script([&](QDialog* D) {
      Caption = D->windowTitle();
      Location = D->findChild<QLabel*>(QStringLiteral("Location"))->text();
      return int(QDialog::Rejected);
    });
    EXPECT_FALSE(E->ShowObjectProperties());
  }
  EXPECT_TRUE(Caption.endsWith(QStringLiteral(" Properties")));
  EXPECT_EQ(Location, QStringLiteral("Acacia - ") + platform::ApplicationTitle());
  // No dialog without exactly one object selected.
  E->Engine()->SetSel({0, 0});
  EXPECT_FALSE(E->ShowObjectProperties());
}

TEST_F(RichEditObjects, LinksHaveALinkPageThatRefusesWhatItCannotDo) {
  TestQuestions Questions;
  auto E = MakeEdit(400, 300);
  {
    ScriptedDialog Script(InsertFile(TextPath, false, true));
    ASSERT_TRUE(E->InsertObject());
  }
  SelectObject(*E, 0);
  REOBJECT Reo;
  ASSERT_EQ(E->RichEditOle()->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ), S_OK);
  EXPECT_TRUE(Reo.dwFlags & REO_LINK);
  TqvOleUILinkInfo Link(E.get(), Reo);
  EXPECT_EQ(Link.GetNextLink(0), 1u);
  EXPECT_EQ(Link.GetNextLink(1), 0u);
  QString Name;
  platform::ULONG FileLength = 0;
  EXPECT_EQ(Link.GetLinkSource(1, &Name, &FileLength, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(Name, QFileInfo(TextPath).absoluteFilePath());
  EXPECT_EQ(FileLength, platform::ULONG(Name.size()));
  platform::ULONG Eaten = 0;
  EXPECT_EQ(Link.SetLinkSource(1, QStringLiteral("/nowhere"), 8, &Eaten, false), E_FAIL);
  EXPECT_EQ(Link.CancelLink(1), E_NOTIMPL);
  ASSERT_EQ(Questions.asked.size(), 2u);
  EXPECT_EQ(Questions.asked[0].text, QStringLiteral("Cannot link to an invalid source."));
  EXPECT_EQ(Questions.asked[1].text, QStringLiteral("Break link operation is not supported."));
  for (const auto& Q : Questions.asked) {
    EXPECT_EQ(Q.caption, QStringLiteral("Link Properties"));
    EXPECT_EQ(Q.icon, platform::Icon::Error);
  }
  // A valid new source is taken and the stored form follows it.
  const QString Other = WriteFile(Dir, QStringLiteral("other.txt"), "x");
  EXPECT_EQ(Link.SetLinkSource(1, Other, platform::ULONG(Other.size()), &Eaten, true), S_OK);
  EXPECT_EQ(Eaten, platform::ULONG(Other.size()));
  auto File = StoredFile(E->EngineLines().SaveToBytes(), 0);
  ASSERT_TRUE(File);
  EXPECT_EQ(File->LinkPath(), QFileInfo(Other).absoluteFilePath());
  EXPECT_EQ(Link.SetLinkUpdateOptions(1, OLEUPDATE_ONCALL), S_OK);
  EXPECT_TRUE(E->Modified());

  // A missing linked file says so when opened.
  QFile::remove(Other);
  E->SetCurrentObject(SelectedObject(*E));
  try {
    E->DoVerb(-65536);
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& Ex) {
    EXPECT_TRUE(Ex.Message().contains(QStringLiteral("no longer exists"))) << Ex.Message().toStdString();
  }
  // An embedded object has no link to show.
  E->SetSelStart(1);
  {
    ScriptedDialog Script(InsertFile(TextPath, false));
    ASSERT_TRUE(E->InsertObject());
  }
  REOBJECT Embedded;
  ASSERT_EQ(E->RichEditOle()->GetObject(REO_IOB_SELECTION, &Embedded, REO_GETOBJ_POLEOBJ), S_OK);
  EXPECT_THROW(TqvOleUILinkInfo(E.get(), Embedded), EOleError);
}

TEST_F(RichEditObjects, DoubleClicksOpenObjectsOnlyInAWritableControl) {
  auto E = MakeEdit(400, 300);
  int DblClicks = 0;
  E->OnDblClick = [&](QObject*) { ++DblClicks; };
  {
    ScriptedDialog Script(InsertFile(TextPath, false));
    ASSERT_TRUE(E->InsertObject());
  }
  E->SetReadOnly(true);
  DoubleClickAt(*E, 0);
  EXPECT_EQ(DblClicks, 1);
  EXPECT_TRUE(Desktop.opened.isEmpty());
  E->SetReadOnly(false);
  DoubleClickAt(*E, 0);
  EXPECT_EQ(DblClicks, 2);
  EXPECT_EQ(Desktop.opened.size(), 1);
  EXPECT_NE(E->CurrentObject(), nullptr);

  // Without object support: no interface, no insertion, an ordinary double click.
  E->SetOleOptions({reoAdjustPopupMenu, reoDisableOLE});
  EXPECT_EQ(E->RichEditOle(), nullptr);
  EXPECT_EQ(E->CurrentObject(), nullptr);
  bool Asked = false;
  {
    ScriptedDialog Script([&](QDialog*) {
      Asked = true;
      return int(QDialog::Rejected);
    });
    EXPECT_FALSE(E->InsertObject());
  }
  EXPECT_FALSE(Asked);
  DoubleClickAt(*E, 0);
  EXPECT_EQ(Desktop.opened.size(), 1);
  EXPECT_EQ(DblClicks, 3);
}

TEST_F(RichEditObjects, OtherProgramsObjectsAreKeptAndSayWhyTheyCannotOpen) {
  TestQuestions Questions;
  auto E = MakeEdit(400, 300);
  E->Engine()->LoadRtf(Rtf(("a" + kForeign + "b\\par").constData()));
  // Ours, but broken: the mark and then nothing sound.
  rtf::ObjectGroup Broken;
  Broken.objectClass = QStringLiteral("text/plain");
  Broken.data = QByteArray("TERMORA-FILE-OBJECT\x01KIND\xff\xff\xff\xff", 28);
  E->Engine()->SetSel({2, 2});
  E->SetSelectionRtf(Rtf(rtf::ObjectGroupRtf(Broken).constData()));
  const QByteArray Before = E->EngineLines().SaveToBytes();
  ASSERT_EQ(E->RichEditOle()->GetObjectCount(), 2);

  SelectObject(*E, 0);
  IOleObject* Foreign = SelectedObject(*E);
  ASSERT_NE(Foreign, nullptr);
  EXPECT_EQ(Foreign->UserType(int(USERCLASSTYPE_FULL)), QStringLiteral("Paint.Picture"));
  E->SetCurrentObject(Foreign);
  E->LoadVerbs();
  EXPECT_EQ(E->VerbNames().size(), 1);
  try {
    E->DoVerb(-65536);
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& Ex) {
    EXPECT_TRUE(Ex.Message().contains(QStringLiteral("another program"))) << Ex.Message().toStdString();
  }
  // A double click says the same in a message box.
  DoubleClickAt(*E, 1);
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_TRUE(Questions.asked[0].text.contains(QStringLiteral("another program")));

  SelectObject(*E, 1);
  E->SetCurrentObject(SelectedObject(*E));
  try {
    E->DoVerb(-65536);
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& Ex) {
    EXPECT_TRUE(Ex.Message().contains(QStringLiteral("damaged"))) << Ex.Message().toStdString();
  }
  // Looked at and tried, both are written back exactly as they were.
  EXPECT_EQ(E->EngineLines().SaveToBytes(), Before);
  EXPECT_TRUE(Before.contains(kForeign));
  EXPECT_TRUE(Desktop.opened.isEmpty());
}

TEST_F(RichEditObjects, ALinkThatCameWithTheTextAsksBeforeOpeningAndRefusesAProgram) {
  TestQuestions Questions;
  const QString Script = WriteFile(Dir, QStringLiteral("setup.sh"), "#!/bin/sh\nid\n");
  QFile::setPermissions(Script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  auto E = MakeEdit(400, 300);
  QByteArray Text = "a";
  for (const QString& Path : {Dir.path() + QStringLiteral("/x/../swarm notes.txt"), Script}) {
    rtf::ObjectGroup Link;
    Link.link = true;
    Link.objectClass = QStringLiteral("text/plain");
    Link.data = ForeignLinkData(Path);
    Text += rtf::ObjectGroupRtf(Link);
  }
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("x")));
  E->Engine()->LoadRtf(Rtf((Text + "b\\par").constData()));
  ASSERT_EQ(E->RichEditOle()->GetObjectCount(), 2);

  // The first shows where it really leads and opens nothing on Cancel.
  Questions.answers = {platform::idCancel};
  DoubleClickAt(*E, 1);
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_TRUE(Questions.asked[0].text.contains(QFileInfo(TextPath).canonicalFilePath()))
      << Questions.asked[0].text.toStdString();
  EXPECT_TRUE(Desktop.opened.isEmpty());
  // The second is refused with the reason, without a question.
  DoubleClickAt(*E, 2);
  ASSERT_EQ(Questions.asked.size(), 2u);
  EXPECT_EQ(Questions.asked[1].icon, platform::Icon::Error);
  EXPECT_TRUE(Questions.asked[1].text.contains(Script)) << Questions.asked[1].text.toStdString();
  EXPECT_TRUE(Questions.asked[1].text.contains(QStringLiteral("run"))) << Questions.asked[1].text.toStdString();
  EXPECT_TRUE(Desktop.opened.isEmpty());
  // Said yes to, the first opens.
  Questions.answers = {platform::idOk};
  DoubleClickAt(*E, 1);
  EXPECT_EQ(Desktop.opened, QStringList{QFileInfo(TextPath).canonicalFilePath()});
}

TEST_F(RichEditObjects, FilesDroppedFromTheFileManagerBecomeObjects) {
  auto E = MakeEdit(400, 300);
  E->Engine()->SetPlainText(QStringLiteral("Hive"));
  auto Drop = [&](Qt::KeyboardModifiers Mods) {
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(PngPath), QUrl::fromLocalFile(TextPath)});
    QWidget* V = E->Engine()->viewport();
    const QPointF At(2, 4);
    QDragEnterEvent Enter(At.toPoint(), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &Data, Qt::LeftButton, Mods);
    QApplication::sendEvent(V, &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Ev(At, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &Data, Qt::LeftButton, Mods);
    QApplication::sendEvent(V, &Ev);
    EXPECT_TRUE(Ev.isAccepted());
    return Ev.dropAction();
  };
  // Plain: embedded, and the file manager is told of a copy, never a move.
  EXPECT_EQ(Drop(Qt::NoModifier), Qt::CopyAction);
  ASSERT_EQ(E->RichEditOle()->GetObjectCount(), 2);
  REOBJECT Reo;
  E->RichEditOle()->GetObject(0, &Reo, REO_GETOBJ_NO_INTERFACES);
  EXPECT_FALSE(Reo.dwFlags & REO_LINK);
  EXPECT_EQ(Reo.clsid, QStringLiteral("image/png"));
  EXPECT_TRUE(QFileInfo::exists(PngPath));
  // Ctrl+Shift: linked.
  EXPECT_EQ(Drop(Qt::ControlModifier | Qt::ShiftModifier), Qt::LinkAction);
  ASSERT_EQ(E->RichEditOle()->GetObjectCount(), 4);
  EXPECT_EQ(E->RichEditOle()->GetLinkCount(), 2);
  EXPECT_TRUE(Desktop.opened.isEmpty());

  // A read-only control takes no files.
  E->SetReadOnly(true);
  QMimeData Data;
  Data.setUrls({QUrl::fromLocalFile(PngPath)});
  QDropEvent Ev(QPointF(2, 4), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
  Ev.setAccepted(false);
  QApplication::sendEvent(E->Engine()->viewport(), &Ev);
  EXPECT_FALSE(Ev.isAccepted());
  EXPECT_EQ(E->RichEditOle()->GetObjectCount(), 4);
}

TEST(RichEditClipboard, FormatsAreRegisteredInOrderAndThePlainFlavourIsPasted) {
  auto E = MakeEdit();
  EXPECT_EQ(ClipboardFormatMime(RtfUtf8Format()), QStringLiteral("RTF in UTF8"));
  EXPECT_EQ(ClipboardFormatMime(RtfNcrFormat()), QStringLiteral("RTF with NCRs for nonASCII"));
  EXPECT_EQ(ClipboardFormatMime(RtfFormat()), QStringLiteral("text/rtf"));
  EXPECT_LT(RtfUtf8Format(), RtfNcrFormat());

  auto* Data = new QMimeData;
  Data->setData(QStringLiteral("RTF in UTF8"), Rtf("utf8 flavour"));
  Data->setData(QStringLiteral("text/rtf"), Rtf("plain flavour"));
  Data->setText(QStringLiteral("text flavour"));
  QApplication::clipboard()->setMimeData(Data);
  E->Perform(WM_PASTE);
  EXPECT_EQ(E->Text(), QStringLiteral("plain flavour"));

  // Only the UTF-8 flavour and text: the engine pastes as usual.
  E->Engine()->SetPlainText(QString());
  Data = new QMimeData;
  Data->setData(QStringLiteral("RTF with NCRs for nonASCII"), Rtf("ncr flavour"));
  Data->setText(QStringLiteral("text flavour"));
  QApplication::clipboard()->setMimeData(Data);
  E->Perform(WM_PASTE);
  EXPECT_EQ(E->Text(), QStringLiteral("text flavour"));
}
