// The control's built-in popup menu: which items and separators show, their enabling and check
// marks, their commands, and the items added for a selected embedded object.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include "richtext/Qvintl.h"
#include "tests/richtext_editor/EditorFixture.h"

using namespace engine;
using namespace richtext;

namespace {
// The shown items as their captions, "-" for a separator.
QStringList Shown(TqvCustomRichEdit& E) {
  E.PreparePopup();
  QStringList R;
  for (QAction* A : E.BuiltInPopup()->actions())
    if (A->isVisible()) R << (A->isSeparator() ? QStringLiteral("-") : A->text());
  return R;
}

QAction* Item(TqvCustomRichEdit& E, int Number) { return E.PopupItems()[size_t(Number - 1)]; }

std::unique_ptr<TqvDBRichEdit> Control(const QByteArray& Contents = Rtf("one {\\b two} three")) {
  auto E = std::make_unique<TqvDBRichEdit>();
  E->resize(300, 200);
  E->HandleNeeded();
  E->EngineLines().LoadFromBytes(Contents);
  return E;
}

// An embedded object as the object runtime would hand it to the engine.
class TFakeObject : public IOleObject {
 public:
  QString ClassName() const override { return QStringLiteral("image/png"); }
  QString UserType(int) const override { return QStringLiteral("PNG image"); }
  HRESULT DoVerb(LONG Verb) override {
    Done << int(Verb);
    return S_OK;
  }
  HRESULT Update() override { return S_OK; }
  QByteArray ObjectRtf() const override { return QByteArray(); }
  // Two verbs for the menu, then one that is not: the list stops there.
  HRESULT EnumVerb(LONG Index, OLEVERB* Verb) override {
    const OLEVERB Verbs[] = {{0, QStringLiteral("&Open"), 0, OLEVERBATTRIB_ONCONTAINERMENU},
                             {1, QStringLiteral("&Edit"), 0, OLEVERBATTRIB_ONCONTAINERMENU},
                             {2, QStringLiteral("Hidden"), 0, 0}};
    if (Index < 0 || Index >= 3) return OLEOBJ_E_NOVERBS;
    *Verb = Verbs[Index];
    return S_OK;
  }
  QList<int> Done;
};

// Puts the object into the control's text at a character position, as the object runtime does.
bool InsertAt(TqvCustomRichEdit& E, int Position, TFakeObject& Object) {
  IRichEditOle* Ole = nullptr;
  E.Perform(EM_GETOLEINTERFACE, 0, LPARAM(&Ole));
  if (Ole == nullptr) return false;
  REOBJECT Reo;
  Reo.cp = Position;
  Reo.clsid = Object.ClassName();
  Reo.poleobj = &Object;
  Reo.objectRtf = "stored form";
  return Ole->InsertObject(&Reo) == S_OK;
}
}  // namespace

TEST(PopupMenu, ItemsAndSeparatorsFollowTheOptionsAndTheReadOnlyState) {
  struct Case {
    const char* Name;
    TqvRichEditPopupOptions Options;
    bool ReadOnly;
    TqvRichEditOleOptions Ole;
    QStringList Expected;
  };
  const TqvRichEditPopupOptions Defaults = TqvDBRichEdit().PopupOptions();
  TqvRichEditPopupOptions All = Defaults;
  All.Include(rpoPopupBold).Include(rpoPopupItalic).Include(rpoPopupUnderline);
  const Case Cases[] = {
      {"defaults: no bold, italic, underline, no spelling",
       Defaults, false, {reoAdjustPopupMenu},
       {"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Font", "&Bullet Style", "P&aragraph", "&Tabs", "-",
        "Fin&d", "&Replace", "-", "Insert &Object..."}},
      {"read-only: the view item, the clipboard and find",
       Defaults, true, {reoAdjustPopupMenu},
       {"&View", "-", "Cu&t", "&Copy", "&Paste", "-", "Fin&d"}},
      {"objects disabled: no insert item and no separator before it",
       Defaults, false, {reoAdjustPopupMenu, reoDisableOLE},
       {"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Font", "&Bullet Style", "P&aragraph", "&Tabs", "-",
        "Fin&d", "&Replace"}},
      {"with the style items",
       All, false, {reoAdjustPopupMenu, reoDisableOLE},
       {"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "B&old", "&Italic", "&Underline", "-", "&Font",
        "&Bullet Style", "P&aragraph", "&Tabs", "-", "Fin&d", "&Replace"}},
      {"the edit item alone", {rpoPopupEdit}, false, {reoAdjustPopupMenu}, {"&Edit"}},
      {"clipboard only", {rpoPopupCut, rpoPopupCopy}, false, {reoAdjustPopupMenu}, {"Cu&t", "&Copy"}},
      {"format then insert object",
       {rpoPopupFont, rpoPopupInsertObject}, false, {reoAdjustPopupMenu}, {"&Font", "-", "Insert &Object..."}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto E = Control();
    E->SetOleOptions(C.Ole);
    E->SetPopupOptions(C.Options);
    E->SetReadOnly(C.ReadOnly);
    EXPECT_EQ(Shown(*E), C.Expected);
    // What the menu changed for its opening is undone.
    EXPECT_EQ(E->PopupOptions(), C.Options);
  }
}

TEST(PopupMenu, EnablingAndCheckMarksFollowTheSelection) {
  auto E = Control();
  QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
  Select(*E, 0, 0);
  E->PreparePopup();
  EXPECT_FALSE(Item(*E, 3)->isEnabled());  // cut
  EXPECT_FALSE(Item(*E, 4)->isEnabled());  // copy
  EXPECT_TRUE(Item(*E, 5)->isEnabled());   // paste
  EXPECT_FALSE(Item(*E, 7)->isChecked());

  Select(*E, 4, 3);  // "two", bold
  E->PreparePopup();
  EXPECT_TRUE(Item(*E, 3)->isEnabled());
  EXPECT_TRUE(Item(*E, 4)->isEnabled());
  EXPECT_TRUE(Item(*E, 7)->isChecked());
  EXPECT_FALSE(Item(*E, 8)->isChecked());
  EXPECT_FALSE(Item(*E, 12)->isChecked());
  E->SetBullet(true);
  E->PreparePopup();
  EXPECT_TRUE(Item(*E, 12)->isChecked());

  E->SetReadOnly(true);
  E->PreparePopup();
  EXPECT_FALSE(Item(*E, 3)->isEnabled());
  EXPECT_TRUE(Item(*E, 4)->isEnabled());
  EXPECT_FALSE(Item(*E, 5)->isEnabled());
}

TEST(PopupMenu, TheStyleAndBulletItemsToggleWhatTheyShowAndEditOpensTheEditor) {
  auto E = Control();
  Select(*E, 0, 3);  // "one", not bold
  E->PreparePopup();
  Item(*E, 7)->trigger();
  EXPECT_TRUE(E->SelAttributes().Style() & fsBold);
  E->PreparePopup();
  Item(*E, 7)->trigger();
  EXPECT_FALSE(E->SelAttributes().Style() & fsBold);
  E->PreparePopup();
  Item(*E, 12)->trigger();
  EXPECT_EQ(E->Paragraph().Numbering(), nsBullet);

  bool Opened = false;
  RunEditor(*E, [&](TqvRichEditForm& F) {
    Opened = true;
    F.Exit1Click();
  });
  Opened = false;
  E->OnCreateDialog = [&](QWidget* W) {
    Opened = true;
    QTimer::singleShot(0, W, [W] { static_cast<TqvRichEditForm*>(W)->Exit1Click(); });
  };
  Item(*E, 1)->trigger();
  EXPECT_TRUE(Opened);
}

TEST(PopupMenu, CaptionsComeFromTheTexts) {
  TqvIntl Texts;
  Texts.RichEdit()->PopupMenuLabels()->SetFindCaption(QStringLiteral("&Search"));
  Texts.RichEdit()->PopupMenuLabels()->SetEditCaption(QStringLiteral("&Open"));
  Texts.ApplyToGlobal();
  auto E = Control();
  E->ApplyPopupCaptions();
  EXPECT_TRUE(Shown(*E).contains(QStringLiteral("&Search")));
  EXPECT_EQ(Shown(*E).first(), QStringLiteral("&Open"));
  TqvIntl Defaults;
  Defaults.ApplyToGlobal();
}

TEST(PopupMenu, ASelectedObjectAddsItsItemsWhichAReadOnlyControlDisables) {
  auto E = Control(Rtf("ab"));
  TFakeObject Object;
  ASSERT_TRUE(InsertAt(*E, 1, Object));

  auto Extra = [&] {
    QStringList R;
    const QList<QAction*> All = E->GetPopupMenu()->actions();
    // After the built-in items come the link items (a separator, "Link to term…", "Remove link").
    for (qsizetype I = E->PopupItems().size() + 3; I < All.size(); ++I)
      R << (All[I]->isSeparator() ? QStringLiteral("-") : All[I]->text() + (All[I]->isEnabled() ? "" : " (off)"));
    return R;
  };
  Select(*E, 0, 1);  // text: nothing added, no current object
  EXPECT_TRUE(Extra().isEmpty());
  EXPECT_EQ(E->CurrentObject(), nullptr);

  Select(*E, 1, 1);
  EXPECT_EQ(Extra(), QStringList({"-", "Object P&roperties", "PNG image &Object"}));
  EXPECT_EQ(E->CurrentObject(), &Object);
  // Each opening replaces the additions of the one before.
  EXPECT_EQ(Extra().size(), 3);
  // The object's item holds its verbs for the menu, the verb numbered 0 the default.
  QMenu* Verbs = E->GetPopupMenu()->actions().last()->menu();
  ASSERT_NE(Verbs, nullptr);
  ASSERT_EQ(Verbs->actions().size(), 2);
  EXPECT_EQ(Verbs->actions()[0]->text(), QStringLiteral("&Open"));
  EXPECT_EQ(Verbs->defaultAction(), Verbs->actions()[0]);
  Verbs->actions()[1]->trigger();
  EXPECT_EQ(Object.Done, QList<int>({1}));

  E->SetReadOnly(true);
  EXPECT_EQ(Extra(), QStringList({"-", "Object P&roperties", "PNG image &Object (off)"}));
}

TEST(PopupMenu, ARightClickOpensTheMenuOnReleaseWithTheObjectUnderTheMouseSelected) {
  auto E = Control(Rtf("ab"));
  E->resize(300, 120);
  E->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(E.get()));
  TFakeObject Object;
  ASSERT_TRUE(InsertAt(*E, 1, Object));
  const QPoint Left = E->Engine()->PosFromChar(1), Right = E->Engine()->PosFromChar(2);
  ASSERT_GT(Right.x() - Left.x(), 4);
  const int Y = Left.y() + 3;

  // Where the menu is after a press and after the release; closed again after.
  auto RightClick = [&](QPoint At, QStringList& AfterPress) {
    // Through the window, as the desktop delivers clicks (it asks for the menu on the press).
    QWindow* Window = E->window()->windowHandle();
    At = E->mapTo(E->window(), At);
    QTest::mousePress(Window, Qt::RightButton, {}, At);
    AfterPress.clear();
    if (QApplication::activePopupWidget()) AfterPress << "open";
    QTest::mouseRelease(Window, Qt::RightButton, {}, At);
    QStringList Items;
    auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (Menu == nullptr) return Items;
    for (QAction* A : Menu->actions())
      if (A->isVisible() && !A->isSeparator()) Items << A->text();
    Menu->close();
    return Items;
  };
  QStringList AfterPress;
  // On the text: the menu without object items.
  const QStringList OnText = RightClick(QPoint(E->Engine()->PosFromChar(0).x() + 1, Y), AfterPress);
  EXPECT_TRUE(AfterPress.isEmpty());  // nothing on the press
  EXPECT_TRUE(OnText.contains("&Edit")) << OnText.join(", ").toStdString();
  EXPECT_FALSE(OnText.contains("PNG image &Object"));
  // On the right half of the object: it is selected first, and the menu carries its items.
  const QStringList OnObject = RightClick(QPoint(Right.x() - 2, Y), AfterPress);
  EXPECT_TRUE(AfterPress.isEmpty());
  EXPECT_EQ(E->SelStart(), 1);
  EXPECT_EQ(E->SelLength(), 1);
  EXPECT_TRUE(OnObject.contains("PNG image &Object")) << OnObject.join(", ").toStdString();
  // Then on the text again: a menu again, the object still selected.
  const QStringList Again = RightClick(QPoint(E->Engine()->PosFromChar(0).x() + 1, Y), AfterPress);
  EXPECT_TRUE(Again.contains("&Edit")) << Again.join(", ").toStdString();
}
