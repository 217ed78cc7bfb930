// The editor window's handlers: closing, the keys it sees before its controls, and the commands of
// its bars and menus (the file commands and the colour menu have units of their own).

#include <QCoreApplication>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusTipEvent>

#include "base/Exception.h"
#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/editor/qvrichform.h"
#include "richtext/qvRulerPanel.h"
#include "richtext/qvfonts.h"

using namespace engine;

namespace richtext {

// ---- closing ----------------------------------------------------------------------------------

void TqvRichEditForm::SetModalResult(int Value) {
  modalResult_ = Value;
  if (Value == mrNone || closing_) return;
  bool CanClose = true;
  FormCloseQuery(CanClose);
  if (!CanClose) {
    modalResult_ = mrNone;
    return;
  }
  FormClose();
  closing_ = true;
  QDialog::done(modalResult_ == mrOk ? QDialog::Accepted : QDialog::Rejected);
}

void TqvRichEditForm::done(int Result) {
  if (closing_) {
    QDialog::done(Result);
    return;
  }
  SetModalResult(Result == QDialog::Accepted ? mrOk : mrCancel);
}

void TqvRichEditForm::closeEvent(QCloseEvent* E) {
  if (closing_) {
    E->accept();
    return;
  }
  E->ignore();
  SetModalResult(mrCancel);
}

void TqvRichEditForm::FormCloseQuery(bool& CanClose) {
  CanClose = true;
  if (modalResult_ == mrOk) return;
  if (SourceEdit && SourceEdit->EditorOptions().Contains(reoNoConfirmation)) {
    modalResult_ = mrOk;
    return;
  }
  if (RichEdit1 && RichEdit1->Modified() && !ReadOnlyEdit()) {
    platform::Question Q;
    Q.caption = QCoreApplication::translate("Editor", "Confirm");
    Q.text = GlobalIntl->UserMessages()->RichEditExitWarning();
    Q.icon = platform::Icon::Question;
    Q.buttons = platform::Buttons::YesNoCancel;
    switch (platform::Ask(Q, this)) {
      case platform::idYes: modalResult_ = mrOk; return;
      case platform::idNo: modalResult_ = mrCancel; return;
      default:
        // Back to editing: the window takes the keyboard again (its shortcuts need it active).
        CanClose = false;
        activateWindow();
        RichEdit1->setFocus(Qt::OtherFocusReason);
        return;
    }
  }
  modalResult_ = mrCancel;
}

void TqvRichEditForm::FormClose() {
  qApp->removeEventFilter(this);
  ApplicationOnHint() = SavedOnHint;
  // A borrowed button goes back to where it was, hidden.
  auto GiveBack = [this](QAbstractButton* B, QPointer<QWidget>& Parent) {
    if (B == nullptr || B->parentWidget() != Toolbar) return;
    B->setParent(Parent);
    B->hide();
    Parent = nullptr;
  };
  if (SourceEdit) {
    GiveBack(SourceEdit->UserSpeedButton1(), UserButton1Parent);
    GiveBack(SourceEdit->UserSpeedButton2(), UserButton2Parent);
  }
}

// ---- keys -------------------------------------------------------------------------------------

bool TqvRichEditForm::eventFilter(QObject* Watched, QEvent* E) {
  if (Watched == Client && E->type() == QEvent::Resize) {
    FormResize();
    return false;
  }
  const QEvent::Type T = E->type();
  if (T != QEvent::KeyPress && T != QEvent::KeyRelease && T != QEvent::ShortcutOverride) return false;
  // A key travels up from the focused control; the window sees it once, first.
  if (!InWindow(Watched) || Watched != focusWidget()) return false;
  auto* K = static_cast<QKeyEvent*>(E);
  const Qt::KeyboardModifiers Mods = K->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const bool Ctrl = Mods == Qt::ControlModifier;
  const bool Ours = K->key() == Qt::Key_Escape ||
                    (Ctrl && (K->key() == Qt::Key_Z || K->key() == Qt::Key_B || K->key() == Qt::Key_U ||
                              K->key() == Qt::Key_I));
  if (T == QEvent::ShortcutOverride) {
    // Delivered to us as a key press rather than taken by a shortcut or the editing control.
    if (Ours) K->accept();
    return false;
  }
  if (T == QEvent::KeyRelease) {
    if (!K->isAutoRepeat()) FormKeyUp(K->key(), Mods);
    return false;
  }
  if (!Ours) return MenuShortcut(K);
  if (Ctrl && K->key() == Qt::Key_Z) {
    // The Edit menu's own shortcut: the undo itself comes with the release.
    Edit1Click();
    return true;
  }
  QChar Char = K->key() == Qt::Key_Escape ? QChar(27) : QChar(ushort(K->key() - Qt::Key_A + 1));
  return FormKeyPress(Char, Mods);
}

bool TqvRichEditForm::MenuShortcut(QKeyEvent* K) {
  // A menu shortcut reaches the window as a key only when the desktop left the window inactive
  // (some window managers do so after a message box): the menu item still answers it.
  const QKeySequence Pressed(K->keyCombination());
  for (QMenu* M : {File1, Edit1, View1, Insert1, Format1, Tools1}) {
    if (!M->menuAction()->isVisible()) continue;
    for (QAction* A : M->actions())
      if (A != Undo1 && A->isVisible() && A->isEnabled() && !A->shortcut().isEmpty() && A->shortcut() == Pressed) {
        A->trigger();
        return true;
      }
  }
  return false;
}

void TqvRichEditForm::keyPressEvent(QKeyEvent* E) {
  // The dialog's own Esc handling would bypass the keyboard rules.
  if (E->key() == Qt::Key_Escape) {
    FormKeyPress(QChar(27), E->modifiers());
    return;
  }
  TqvRichEditorWindow::keyPressEvent(E);
}

bool TqvRichEditForm::FormKeyPress(QChar Key, Qt::KeyboardModifiers Modifiers) {
  if (RichEdit1 == nullptr) return false;
  const bool RO = ReadOnlyEdit();
  if (Key == QChar(27)) {
    if (RO || Options().Contains(reoCloseOnEscape)) SetModalResult(mrCancel);
    else platform::Guarded([this] { Undo1Click(); }, this);
    return true;
  }
  if (!(Modifiers & Qt::ControlModifier) || RO) return false;
  const TFontStyles Style = RichEdit1->SelAttributes().Style();
  switch (Key.unicode()) {
    case 2:
      StyleWasDown = Style & fsBold;
      platform::Guarded([this] { BoldButtonClick(); }, this);
      return true;
    case 21:
      StyleWasDown = Style & fsUnderline;
      platform::Guarded([this] { UnderlineButtonClick(); }, this);
      return true;
    case 9:
      StyleWasDown = Style & fsItalic;
      platform::Guarded([this] { ItalicButtonClick(); }, this);
      return true;
    default: return false;
  }
}

void TqvRichEditForm::FormKeyUp(int Key, Qt::KeyboardModifiers Modifiers) {
  if (Key == Qt::Key_Z && Modifiers == Qt::ControlModifier) platform::Guarded([this] { Undo1Click(); }, this);
  UpdateKeyIndicators();
}

bool TqvRichEditForm::event(QEvent* E) {
  if (E->type() == QEvent::StatusTip) {
    if (ApplicationOnHint()) ApplicationOnHint()(static_cast<QStatusTipEvent*>(E)->tip());
    return true;
  }
  return TqvRichEditorWindow::event(E);
}

// ---- handlers ---------------------------------------------------------------------------------

void TqvRichEditForm::Edit1Click() { RefreshControls(); }

void TqvRichEditForm::BoldButtonMouseDown(TqvSpeedButton* Button) { StyleWasDown = Button->isChecked(); }

void TqvRichEditForm::BoldButtonClick() {
  RichEdit1->SetEffect(qveBold, !StyleWasDown);
  RefreshControls();
}

void TqvRichEditForm::ItalicButtonClick() {
  RichEdit1->SetEffect(qveItalic, !StyleWasDown);
  RefreshControls();
}

void TqvRichEditForm::UnderlineButtonClick() {
  RichEdit1->SetEffect(qveUnderline, !StyleWasDown);
  RefreshControls();
}

void TqvRichEditForm::LeftButtonClick() {
  RichEdit1->Paragraph().SetAlignment(taLeftJustify);
  RefreshControls();
}

void TqvRichEditForm::CenterButtonClick() {
  RichEdit1->Paragraph().SetAlignment(taCenter);
  RefreshControls();
}

void TqvRichEditForm::RightButtonClick() {
  RichEdit1->Paragraph().SetAlignment(taRightJustify);
  RefreshControls();
}

void TqvRichEditForm::JustifyButtonClick() {
  RichEdit1->SetParagraphFormat(pmAlignment, GlobalIntl->RichEdit()->ParagraphDialog()->AlignJustify(), 0, 0, 0, 0,
                                nullptr, 0, 0, 0, 0, false);
  RefreshControls();
}

void TqvRichEditForm::BulletButtonClick() {
  RichEdit1->SetBullet(!StyleWasDown);
  RefreshControls();
}

void TqvRichEditForm::BulletStyle1Click() {
  StyleWasDown = RichEdit1->Paragraph().Numbering() != nsNone;
  BulletButtonClick();
}

void TqvRichEditForm::HighlightButtonClick() {
  if (HighlightButton->isChecked()) RichEdit1->SetSelBackColor(RichEdit1->HighlightColor());
  else RichEdit1->SetSelBackColor(-1);
  RefreshControls();
}

void TqvRichEditForm::FontNameComboDropDown() { FontNameCombo->SetTextColor(Qt::black); }

void TqvRichEditForm::FontNameComboCloseUp(int Index) {
  // A name typed as the font database spells a foundry's family ("Nimbus Sans [URW ]") goes into
  // the text as the family's own name.
  const QString Name =
      QvPlainFamilyName(Index >= 0 ? FontNameCombo->itemText(Index) : FontNameCombo->currentText().trimmed());
  if (Name.isEmpty()) return;
  ApplyFontName(Name);
  RichEdit1->setFocus(Qt::OtherFocusReason);
  RefreshControls();
}

void TqvRichEditForm::FontSizeComboCloseUp(int Index) {
  const QString Text = (Index >= 0 ? FontSizeCombo->itemText(Index) : FontSizeCombo->currentText()).trimmed();
  if (Text.isEmpty()) return;
  bool Ok = false;
  const int Points = Text.toInt(&Ok);
  // The engine keeps sizes in twips of a 16-bit field: 1 to 1638 points.
  if (!Ok || Points < 1 || Points > 1638) {
    RefreshControls();
    throw base::Exception(QCoreApplication::translate("Editor", "'%1' is not a valid font size. Enter a whole number of points from 1 to 1638.")
                              .arg(Text));
  }
  RichEdit1->SelAttributes().SetSize(Points);
  RichEdit1->setFocus(Qt::OtherFocusReason);
  RefreshControls();
}

void TqvRichEditForm::ApplyFontName(const QString& Name) {
  if (Name == RichEdit1->SelAttributes().Name()) return;
  CHARFORMAT2 Format;
  Format.dwMask = CFM_FACE | CFM_CHARSET;
  SetFaceName(Format, Name.left(LF_FACESIZE));
  Format.bCharSet = BYTE(RichEdit1->FontCharset(Name));
  RichEdit1->Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
}

void TqvRichEditForm::NewButtonClick() {
  platform::Question Q;
  Q.caption = QCoreApplication::translate("Editor", "Confirm");
  Q.text = GlobalIntl->UserMessages()->RichEditClearWarning();
  Q.icon = platform::Icon::Question;
  Q.buttons = platform::Buttons::OkCancel;
  if (platform::Ask(Q, this) != platform::idOk) return;
  RichEdit1->Clear();
  RichEdit1->SetModified(true);
}

void TqvRichEditForm::Undo1Click() {
  RichEdit1->Perform(EM_UNDO);
  RefreshControls();
}

void TqvRichEditForm::Redo1Click() {
  RichEdit1->Perform(EM_REDO);
  RefreshControls();
}

void TqvRichEditForm::Cut1Click() { RichEdit1->CutToClipboard(); }
void TqvRichEditForm::Copy1Click() { RichEdit1->CopyToClipboard(); }
void TqvRichEditForm::Paste1Click() { RichEdit1->PasteFromClipboard(); }
void TqvRichEditForm::Clear1Click() { RichEdit1->ClearSelection(); }
void TqvRichEditForm::SelectAll1Click() { RichEdit1->SelectAll(); }
void TqvRichEditForm::Find1Click() { RichEdit1->ShowFindDialog(); }
void TqvRichEditForm::FindNext1Click() { RichEdit1->FindNext(); }
void TqvRichEditForm::Replace1Click() { RichEdit1->ShowReplaceDialog(); }

void TqvRichEditForm::Font1Click() {
  RichEdit1->ShowFontDialog();
  RefreshControls();
}

void TqvRichEditForm::Paragraph1Click() {
  if (RichEdit1->ShowParagraphDialog() && Ruler) Ruler->UpdateMarkers();
}
void TqvRichEditForm::Tabs1Click() { RichEdit1->ShowTabsDialog(); }
void TqvRichEditForm::InsertObject1Click() { RichEdit1->InsertObject(); }
void TqvRichEditForm::Spelling1Click() { RichEdit1->SpellCheck(); }

void TqvRichEditForm::Toolbar1Click() {
  SetBars(Toolbar->isHidden(), !FormatBar->isHidden());
  FormResize();
}

void TqvRichEditForm::FormatBar1Click() {
  SetBars(!Toolbar->isHidden(), FormatBar->isHidden());
  FormResize();
}

void TqvRichEditForm::StatusBar1Click() {
  StatusBar->setVisible(StatusBar->isHidden());
  StatusBar1->setChecked(!StatusBar->isHidden());
  FormResize();
}

void TqvRichEditForm::Ruler1Click() {
  if (Ruler) {
    Ruler->setVisible(Ruler->isHidden());
    RulerBevel->setVisible(!Ruler->isHidden());
  }
  Ruler1->setChecked(Ruler && !Ruler->isHidden());
  FormResize();
}

}  // namespace richtext
