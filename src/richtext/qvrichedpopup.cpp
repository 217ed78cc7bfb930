// The control's built-in popup menu: its twenty items, how they follow the control's state each
// time the menu opens, the items added for a selected embedded object, and showing the menu.

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMetaObject>
#include <utility>

#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/qvRichEditorWindow.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

namespace {

// Item numbers (1-based in the menu's own numbering) as indexes of PopupItems.
enum TPopupItem {
  piEdit, piSep2, piCut, piCopy, piPaste, piSep6, piBold, piItalic, piUnderline, piSep10, piFont,
  piBullet, piParagraph, piTabs, piSep15, piFind, piReplace, piSep18, piInsertObject, piSpellCheck
};

bool IsSeparator(int Item) {
  return Item == piSep2 || Item == piSep6 || Item == piSep10 || Item == piSep15 || Item == piSep18;
}

// The option that shows each command item.
TqvRichEditPopupOption OptionOf(int Item) {
  switch (Item) {
    case piEdit: return rpoPopupEdit;
    case piCut: return rpoPopupCut;
    case piCopy: return rpoPopupCopy;
    case piPaste: return rpoPopupPaste;
    case piBold: return rpoPopupBold;
    case piItalic: return rpoPopupItalic;
    case piUnderline: return rpoPopupUnderline;
    case piFont: return rpoPopupFont;
    case piBullet: return rpoPopupBullet;
    case piParagraph: return rpoPopupParagraph;
    case piTabs: return rpoPopupTabs;
    case piFind: return rpoPopupFind;
    case piReplace: return rpoPopupReplace;
    case piInsertObject: return rpoPopupInsertObject;
    default: return rpoPopupMSWordSpellCheck;
  }
}

bool AnyFrom(TqvRichEditPopupOptions O, TqvRichEditPopupOption First) {
  for (int M = First; M <= rpoPopupMSWordSpellCheck; ++M)
    if (O.Contains(TqvRichEditPopupOption(M))) return true;
  return false;
}

}  // namespace

bool TqvCustomRichEdit::ClassIs(const char* Name) const {
  const QByteArray Wanted = QByteArray(Name).toLower();
  for (const QMetaObject* M = metaObject(); M; M = M->superClass()) {
    QByteArray Class = QByteArray(M->className()).toLower();
    // Our classes carry their namespace; the name compared is the class's own.
    const int Colons = Class.lastIndexOf("::");
    if (Colons >= 0) Class = Class.mid(Colons + 2);
    if (Class == Wanted) return true;
  }
  return false;
}

TqvRichEditorWindow* TqvCustomRichEdit::EditorForm() const {
  return qobject_cast<TqvRichEditorWindow*>(editorForm_.data());
}

// ---- building the menu ------------------------------------------------------------------------

void TqvCustomRichEdit::CreatePopupItems() {
  // Without a parent: a hidden popup window among the control's children would sit in the host
  // window's focus chain and end Tab's walk at this control. The control deletes it.
  builtInPopup_ = new QMenu();
  builtInPopup_->setObjectName(QStringLiteral("BuiltInPopup"));
  connect(builtInPopup_, &QMenu::aboutToShow, this, [this] { PreparePopup(); });
  for (int I = 0; I < int(popupItems_.size()); ++I) {
    QAction* A = new QAction(builtInPopup_);
    popupItems_[size_t(I)] = A;
    builtInPopup_->addAction(A);
    if (IsSeparator(I)) {
      A->setSeparator(true);
      continue;
    }
    if (I == piBold || I == piItalic || I == piUnderline || I == piBullet) A->setCheckable(true);
    // A failure of a command reaches the user as a message; the menu and the control go on.
    connect(A, &QAction::triggered, this, [this, I](bool Checked) {
      platform::Guarded(
          [&] {
            switch (I) {
              case piEdit: Execute(); break;
              case piCut: CutToClipboard(); break;
              case piCopy: CopyToClipboard(); break;
              case piPaste: PasteFromClipboard(); break;
              case piBold:
              case piItalic:
              case piUnderline:
                // The action has already flipped its check: the new state is what to apply.
                BeginEdit();
                SetEffect(I == piBold ? qveBold : I == piItalic ? qveItalic : qveUnderline, Checked);
                break;
              case piFont: ShowFontDialog(); break;
              case piBullet: SetBullet(Checked); break;
              case piParagraph: ShowParagraphDialog(); break;
              case piTabs: ShowTabsDialog(); break;
              case piFind: ShowFindDialog(); break;
              case piReplace: ShowReplaceDialog(); break;
              case piInsertObject: InsertObject(); break;
              case piSpellCheck: SpellCheck(); break;
              default: break;
            }
          },
          this);
    });
  }
  // Links, after the items above; shown only where a target can be chosen.
  linkSeparator_ = builtInPopup_->addSeparator();
  linkItem_ = builtInPopup_->addAction(QCoreApplication::translate("Editor", "&Link to term…"));
  linkItem_->setObjectName(QStringLiteral("LinkItem"));
  linkItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  connect(linkItem_, &QAction::triggered, this, [this] { platform::Guarded([this] { LinkSelection(); }, this); });
  removeLinkItem_ = builtInPopup_->addAction(QCoreApplication::translate("Editor", "Remove lin&k"));
  removeLinkItem_->setObjectName(QStringLiteral("RemoveLinkItem"));
  connect(removeLinkItem_, &QAction::triggered, this, [this] { platform::Guarded([this] { RemoveLink(); }, this); });
  ApplyPopupCaptions();
}

void TqvCustomRichEdit::ApplyPopupCaptions() {
  if (builtInPopup_ == nullptr) return;
  const TqvRichEditPopupMenuLabels* L = GlobalIntl->RichEdit()->PopupMenuLabels();
  const QString Captions[] = {L->EditCaption(),   QString(),           L->CutCaption(),       L->CopyCaption(),
                              L->PasteCaption(),  QString(),           L->BoldCaption(),      L->ItalicCaption(),
                              L->UnderlineCaption(), QString(),        L->FontCaption(),      L->BulletStyleCaption(),
                              L->ParagraphCaption(), L->TabsCaption(), QString(),             L->FindCaption(),
                              L->ReplaceCaption(), QString(),          L->InsertObjectCaption(),
                              L->SpellCheckCaption()};
  for (int I = 0; I < int(popupItems_.size()); ++I)
    if (!IsSeparator(I)) popupItems_[size_t(I)]->setText(Captions[I]);
}

// ---- opening the menu -------------------------------------------------------------------------

void TqvCustomRichEdit::PreparePopup() {
  popupByMouse_ = false;
  // Every change of the options below is for this opening only.
  base::ValueRestorer<TqvRichEditPopupOptions> KeepOptions(popupOptions_, popupOptions_);
  if (!OffersSpelling()) popupOptions_.Exclude(rpoPopupMSWordSpellCheck);
  const bool ReadOnlyNow = GetReadOnly();
  const TqvRichEditPopupMenuLabels* L = GlobalIntl->RichEdit()->PopupMenuLabels();
  if (ReadOnlyNow) {
    TqvRichEditPopupOptions Kept;
    for (TqvRichEditPopupOption M : {rpoPopupEdit, rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupFind})
      if (popupOptions_.Contains(M)) Kept.Include(M);
    popupOptions_ = Kept;
    popupItems_[piEdit]->setText(L->ViewCaption());
  } else {
    popupItems_[piEdit]->setText(L->EditCaption());
  }

  const TqvRichEditPopupOptions O = popupOptions_;
  const bool InsertShown = O.Contains(rpoPopupInsertObject) && !oleOptions_.Contains(reoDisableOLE);
  for (int I = 0; I < int(popupItems_.size()); ++I) {
    if (IsSeparator(I)) continue;
    popupItems_[size_t(I)]->setVisible(I == piInsertObject ? InsertShown : O.Contains(OptionOf(I)));
  }
  const bool AnyClipboard = O.Contains(rpoPopupCut) || O.Contains(rpoPopupCopy) || O.Contains(rpoPopupPaste);
  const bool AnyStyle = O.Contains(rpoPopupBold) || O.Contains(rpoPopupItalic) || O.Contains(rpoPopupUnderline);
  const bool AnyFormat = O.Contains(rpoPopupFont) || O.Contains(rpoPopupBullet) || O.Contains(rpoPopupParagraph) ||
                         O.Contains(rpoPopupTabs);
  const bool AnyFind = O.Contains(rpoPopupFind) || O.Contains(rpoPopupReplace);
  TqvRichEditPopupOptions OtherThanEdit = O;
  OtherThanEdit.Exclude(rpoPopupEdit);
  popupItems_[piSep2]->setVisible(popupItems_[piEdit]->isVisible() && !OtherThanEdit.Empty());
  popupItems_[piSep6]->setVisible(AnyClipboard && AnyFrom(O, rpoPopupBold));
  popupItems_[piSep10]->setVisible(AnyStyle && AnyFrom(O, rpoPopupFont));
  popupItems_[piSep15]->setVisible(AnyFormat &&
                                   (AnyFind || InsertShown || O.Contains(rpoPopupMSWordSpellCheck)));
  popupItems_[piSep18]->setVisible(InsertShown && AnyFind);

  const bool Selected = HasSelection();
  popupItems_[piCut]->setEnabled(Selected && !ReadOnlyNow);
  popupItems_[piCopy]->setEnabled(Selected);
  popupItems_[piPaste]->setEnabled(CanPaste() && !ReadOnlyNow);

  popupItems_[piBullet]->setChecked(HandleAllocated() && Paragraph().Numbering() != nsNone);
  const TFontStyles Style = HandleAllocated() ? SelAttributes().Style() : 0;
  popupItems_[piBold]->setChecked(Style & fsBold);
  popupItems_[piItalic]->setChecked(Style & fsItalic);
  popupItems_[piUnderline]->setChecked(Style & fsUnderline);

  const bool Links = bool(OnChooseLink) && !ReadOnlyNow;
  linkSeparator_->setVisible(Links);
  linkItem_->setVisible(Links);
  removeLinkItem_->setVisible(Links);
  linkItem_->setEnabled(Links && Selected);
  removeLinkItem_->setEnabled(Links && !LinkAtCaret().isEmpty());
}

// ---- the object additions ---------------------------------------------------------------------

QMenu* TqvCustomRichEdit::GetPopupMenu() {
  QMenu* Menu = popupMenu_;
  if (Menu == nullptr) return nullptr;
  // Spelling first: the suggestions for the word the menu was asked for go at the top.
  AddSpellingItems(Menu, std::exchange(popupTextPos_, -1));
  if (!oleOptions_.Contains(reoAdjustPopupMenu) || richEditOle_ == nullptr) return Menu;
  qDeleteAll(extraPopupItems_);
  extraPopupItems_.clear();
  REOBJECT Reo;
  const bool Found = richEditOle_->GetObject(REO_IOB_SELECTION, &Reo, REO_GETOBJ_POLEOBJ) == S_OK &&
                     Reo.poleobj != nullptr;
  if (!Found) {
    currentObject_ = nullptr;
    ClearVerbs();
    return Menu;
  }
  currentObject_ = Reo.poleobj;
  auto Add = [&](QAction* A) {
    Menu->addAction(A);
    extraPopupItems_.append(A);
  };
  QAction* Separator = new QAction(Menu);
  Separator->setSeparator(true);
  Add(Separator);
  QAction* Properties =
      new QAction(GlobalIntl->RichEdit()->PopupMenuLabels()->ObjectPropertiesCaption(), Menu);
  connect(Properties, &QAction::triggered, this,
          [this] { platform::Guarded([this] { ShowObjectProperties(); }, this); });
  Add(Properties);
  const QString Caption = currentObject_->UserType(int(USERCLASSTYPE_FULL)) + QCoreApplication::translate("Editor", " &Object");
  if (GetReadOnly()) {
    QAction* Object = new QAction(Caption, Menu);
    Object->setEnabled(false);
    Add(Object);
    return Menu;
  }
  LoadVerbs();
  // The object's item opens its verbs; the verb numbered 0 is the default one.
  QAction* Object = new QAction(Caption, Menu);
  auto* Verbs = new QMenu;
  for (int I = 0; I < verbNames_.size(); ++I) {
    QAction* Verb = Verbs->addAction(verbNames_[I].Name);
    Verb->setData(I);
    if ((verbNames_[I].Data & 0xFFFF) == 0) {
      QFont Bold = Verb->font();
      Bold.setBold(true);
      Verb->setFont(Bold);
      Verbs->setDefaultAction(Verb);
    }
    connect(Verb, &QAction::triggered, this, [this, I] { platform::Guarded([&] { DoVerb(I); }, this); });
  }
  Object->setMenu(Verbs);
  // Freeing the additions frees the verbs with them.
  connect(Object, &QObject::destroyed, Verbs, [Verbs] { delete Verbs; });
  Add(Object);
  return Menu;
}

bool TqvCustomRichEdit::DoContextPopup(const QPoint& ClientPos) {
  // The menu opens on the right button's release, once the release has selected an object under
  // the mouse; a desktop that asks for it on the press is answered then.
  if (QGuiApplication::mouseButtons() & Qt::RightButton) {
    popupOnRelease_ = true;
    return true;
  }
  // With objects enabled the engine asks the object callback, which shows the menu for a mouse
  // click; the menu key is answered here, so the menu is reachable from the keyboard too.
  if (!oleOptions_.Contains(reoDisableOLE) && Engine() && Engine()->OleCallback() != nullptr && popupByMouse_)
    return false;
  QMenu* Menu = GetPopupMenu();
  if (Menu == nullptr) return false;
  popupByMouse_ = false;
  Menu->exec(mapToGlobal(ClientPos));
  return true;
}

void TqvCustomRichEdit::ShowPopupOnRelease(const QPoint& ClientPos) {
  if (!std::exchange(popupOnRelease_, false) || !HandleAllocated()) return;
  // Through the engine, as the press would have gone: with objects enabled it asks the object
  // callback for the menu.
  QWidget* Port = Engine()->viewport();
  const QPoint Global = mapToGlobal(ClientPos);
  QContextMenuEvent Event(QContextMenuEvent::Mouse, Port->mapFromGlobal(Global), Global);
  QCoreApplication::sendEvent(Port, &Event);
}

}  // namespace richtext
