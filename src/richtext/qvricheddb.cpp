// The control bound to a field: following the record, putting it into edit mode on the first
// change, writing the engine's RTF back into the field, keys, focus and painting.

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "base/Exception.h"
#include "platform/Question.h"
#include "richtext/qvriched.h"

using namespace engine;
using data::bmRead;
using data::dsBrowse;
using data::TBlobField;
using data::TDataSource;
using data::TField;
using data::TFieldDataLink;

namespace richtext {

namespace {
// "Visible" in the component's sense: not hidden on purpose (a control whose window is not
// shown yet still counts).
bool IsVisibleControl(const QWidget* W) {
  return !(W->isHidden() && W->testAttribute(Qt::WA_WState_ExplicitShowHide));
}
}  // namespace

// ---- loading a BLOB field into any control --------------------------------------------------

void TqvCustomRichEdit::LoadFromBlobField(TField* Field) {
  QByteArray Bytes;
  if (auto* Blob = dynamic_cast<TBlobField*>(Field)) Bytes = Blob->AsBytes();
  else if (Field) Bytes = Field->AsString().toUtf8();
  base::ValueRestorer<bool> Guard(loading_, true);
  const int Limit = MaxLength();
  if (Limit > 0) SetMaxLength(Limit + 1);
  base::ScopeGuard RestoreLimit([&] {
    if (Limit > 0) SetMaxLength(Limit);
  });
  // An empty field is an empty text; there is nothing for the engine to read. Loading replaces
  // the whole text by itself: clearing it first would take as long again for a long definition.
  if (Bytes.isEmpty()) EngineLines().Clear();
  else EngineLines().LoadFromBytes(Bytes);
}

// ---- creation and destruction -------------------------------------------------------------

TqvDBRichEdit::TqvDBRichEdit(QWidget* Parent) : TqvCustomRichEdit(Parent) {
  msVersion_ = 3;
  autoDisplay_ = true;
  dataLink_ = std::make_unique<TFieldDataLink>();
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = [this] { FieldDataChanged(); };
  dataLink_->OnEditingChange = [this] { FieldEditingChanged(); };
  dataLink_->OnUpdateData = [this] { FieldUpdateData(); };
  SetOleOptions(TqvRichEditOleOptions{reoAdjustPopupMenu});
  SetGutterWidth(3);
  lastParent_ = Parent;
}

TqvDBRichEdit::~TqvDBRichEdit() {
  dataLink_.reset();
  qDeleteAll(extraPopupItems_);
  extraPopupItems_.clear();
  verbNames_.clear();
  delete paintCopyEditor_;
  paintCopyEditor_ = nullptr;
}

// ---- field access ---------------------------------------------------------------------------

TField* TqvDBRichEdit::GetField() const { return dataLink_ ? dataLink_->Field() : nullptr; }

bool TqvDBRichEdit::IsBlobField() const {
  TField* F = GetField();
  return F && dynamic_cast<TBlobField*>(F) != nullptr;
}

QString TqvDBRichEdit::FieldTextValue(TField* Field) const {
  if (auto* Blob = dynamic_cast<TBlobField*>(Field)) return QString::fromLatin1(Blob->AsBytes());
  return Field ? Field->AsString() : QString();
}

TDataSource* TqvDBRichEdit::DataSource() const { return dataLink_->DataSource(); }

void TqvDBRichEdit::SetDataSource(TDataSource* Value) {
  if (watchedSource_) disconnect(watchedSource_, nullptr, this, nullptr);
  dataLink_->SetDataSource(Value);
  watchedSource_ = Value;
  if (Value) connect(Value, &QObject::destroyed, this, [this] { dataLink_->SetDataSource(nullptr); });
}

QString TqvDBRichEdit::DataField() const { return dataLink_->FieldName(); }

void TqvDBRichEdit::SetDataField(const QString& Value) {
  if (!Value.isEmpty() && Value != DataField()) {
    Perform(EM_SETREADONLY, 1);
    dataFieldAssigned_ = true;
  } else if (Value.isEmpty()) {
    dataFieldAssigned_ = false;
    Perform(EM_SETREADONLY, GetReadOnly() ? 1 : 0);
  }
  dataLink_->SetFieldName(Value);
}

bool TqvDBRichEdit::GetReadOnly() const {
  TField* F = GetField();
  if (F == nullptr && DataField().isEmpty()) return TqvCustomRichEdit::GetReadOnly();
  if (dataLink_->ReadOnly()) return true;
  if (F == nullptr || F->DataSet() == nullptr) return false;
  if (F->DataSet()->CanModify()) return F->ReadOnly();
  return true;
}

void TqvDBRichEdit::SetReadOnly(bool Value) {
  if (GetField() == nullptr) engine::TCustomRichEdit::SetReadOnly(Value);
  dataLink_->SetReadOnly(Value);
}

void TqvDBRichEdit::SetAutoDisplay(bool Value) {
  if (GetField() == nullptr || autoDisplay_ == Value) return;
  autoDisplay_ = Value;
  if (Value) LoadFieldContents();
}

// ---- the data link's notifications ----------------------------------------------------------

void TqvDBRichEdit::FieldDataChanged() {
  unreadable_ = false;
  TField* F = GetField();
  if (F == nullptr) {
    {
      base::ValueRestorer<bool> Guard(loading_, true);
      SetText(QString());
    }
    contentLoaded_ = false;
    return;
  }
  if (!IsBlobField()) {
    contentLoaded_ = false;
    {
      base::ValueRestorer<bool> Guard(loading_, true);
      SetText(focused_ && dataLink_->CanModify() ? F->Text() : F->DisplayText());
    }
    contentLoaded_ = true;
    return;
  }
  if (autoDisplay_ || (dataLink_->Editing() && contentLoaded_)) {
    // The edit mode that BeginEdit asked for changes nothing in the field: keep caret and
    // selection where the user has them.
    if (!cachedFieldText_.isEmpty() && cachedFieldText_ == FieldTextValue(F)) return;
    // If it found the record changed by another window, the stored text replaces this one, but
    // the caret and selection stay where the user has them (as far as the new text reaches): the
    // keystroke that asked for the edit goes where the user meant it.
    const bool KeepCaret = !cachedFieldText_.isEmpty() && HandleAllocated();
    const engine::CHARRANGE Caret = KeepCaret ? Engine()->GetSel() : engine::CHARRANGE{0, 0};
    contentLoaded_ = false;
    // A definition that cannot be read is reported here, once, and not left to break off the
    // dataset's notification of its other controls.
    if (IsVisibleControl(this)) LoadContentsWithCursor();
    if (KeepCaret && contentLoaded_ && !unreadable_) {
      const int End = Engine()->TextLength();
      Engine()->SetSel({std::min<LONG>(Caret.cpMin, End), std::min<LONG>(Caret.cpMax, End)});
    }
    return;
  }
  contentLoaded_ = false;
  base::ValueRestorer<bool> Guard(loading_, true);
  SetText(QStringLiteral("(%1)").arg(F->DisplayLabel()));
}

void TqvDBRichEdit::FieldEditingChanged() {
  if (GetField() == nullptr) return;
  Perform(EM_SETREADONLY, (dataLink_->Editing() && contentLoaded_ && !unreadable_) ? 0 : 1);
}

void TqvDBRichEdit::FieldUpdateData() { UpdateData(); }

void TqvDBRichEdit::UpdateData() {
  TField* F = GetField();
  if (F == nullptr || !Modified() || !contentLoaded_ || unreadable_) return;
  if (auto* Blob = dynamic_cast<TBlobField*>(F)) {
    // The stored form is exactly what the engine streams out.
    Blob->SetAsBytes(EngineLines().SaveToBytes());
  } else {
    F->SetText(Text());
  }
}

// ---- loading --------------------------------------------------------------------------------

void TqvDBRichEdit::LoadFieldContents() {
  TField* F = GetField();
  if (F == nullptr || contentLoaded_ || !IsBlobField()) return;
  {
    base::ValueRestorer<bool> Guard(loading_, true);
    base::WaitCursor Wait;
    // Protected text in the old contents must not block replacing them.
    auto OldProtect = std::move(OnProtectChange);
    OnProtectChange = [](engine::TCustomRichEdit*, int, int, bool& Allow) { Allow = true; };
    contentLoaded_ = true;
    try {
      {
        base::ScopeGuard RestoreProtect([&] { OnProtectChange = std::move(OldProtect); });
        LoadFromBlobField(F);
      }
      if (!DrawnAsCopy() && FieldTextValue(F).isEmpty()) {
        Paragraph().SetNumbering(nsNone);
        Paragraph().SetAlignment(taLeftJustify);
        DefAttributes().SetColor(ControlFontColor());
      }
    } catch (const EOutOfResources& E) {
      EngineLines().SetText(QStringLiteral("(%1)").arg(E.Message()));
    } catch (const std::exception& E) {
      // The stored definition could not be read. What shows is why: never the previous term's
      // text, nor an empty one the user could take for this term's, and nothing typed over it
      // is stored. The failure goes on to be reported.
      EngineLines().SetText(QStringLiteral("(%1)").arg(base::MessageOf(E)));
      unreadable_ = true;
      FieldEditingChanged();
      SetModified(false);
      throw;
    }
  }
  FieldEditingChanged();
  SetModified(false);
}

void TqvDBRichEdit::LoadContentsWithCursor() {
  platform::Guarded([this] { LoadFieldContents(); }, this);
}

void TqvDBRichEdit::LoadFieldPreview(TField* Field, int MaxChunks) {
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (Blob == nullptr) return;
  std::unique_ptr<QIODevice> Source = Blob->CreateBlobStream(bmRead);
  base::ValueRestorer<bool> Guard(loading_, true);
  if (PlainText()) {
    LoadRichStream(*Source, false, MaxChunks);
  } else {
    // The first chunks of the RTF source come in as text, closed by the chunk rule, and are
    // then read again as RTF.
    SetPlainText(true);
    base::ScopeGuard BackToRtf([this] { SetPlainText(false); });
    LoadRichStream(*Source, false, MaxChunks);
    const QByteArray Text = EngineLines().SaveToBytes();
    SetPlainText(false);
    EngineLines().Clear();
    LoadRichBytes(Text, true);
  }
  contentLoaded_ = false;
}

// ---- starting an edit -----------------------------------------------------------------------

void TqvDBRichEdit::BeginEdit() {
  TField* F = GetField();
  if (F == nullptr) return;
  if (unreadable_) {
    // Its failure was reported when it was read; typing only says again that it cannot change.
    platform::Beep();
    return;
  }
  if (!dataLink_->Editing()) {
    if (IsBlobField()) cachedFieldText_ = FieldTextValue(F);
    base::ScopeGuard ForgetCached([this] { cachedFieldText_.clear(); });
    TDataSource* DS = DataSource();
    if (DS && DS->State() == dsBrowse && DS->AutoEdit()) dataLink_->Edit();
    // A field that cannot be changed at all (its file is read-only) refuses the change audibly.
    if (!dataLink_->Editing() && !dataLink_->CanModify()) platform::Beep();
  }
  if (ParentIsGrid() && !GetReadOnly() && dataLink_->Editing()) dataLink_->Modified();
}

void TqvDBRichEdit::Change() {
  if (IsTransparent() && !focused_) {
    Frame().Repaint(TqvEditFrame::rfFrame | TqvEditFrame::rfParent);
  }
  if (GetField() && contentLoaded_ && !unreadable_ && !loading_ && !reparenting_ && !GetReadOnly()) {
    platform::Guarded(
        [this] {
          BeginEdit();
          dataLink_->Modified();
        },
        this);
  }
  TqvCustomRichEdit::Change();
}

void TqvDBRichEdit::FormatChanged() {
  if (GetField() && contentLoaded_ && !loading_ && !GetReadOnly() && dataLink_->Editing()) {
    dataLink_->Modified();
    SetModified(true);
  }
}

// ---- focus ----------------------------------------------------------------------------------

void TqvDBRichEdit::DoEnter() {
  // Coming back to an active window or from a popup menu is no new entry.
  if (focused_) return;
  focused_ = true;
  if (GetField() && !IsBlobField()) dataLink_->Reset();
  TqvCustomRichEdit::DoEnter();
  if (IsTransparent()) {
    SetFormatRect();
    update();
  }
  if (frame_->Enabled() && !IsTransparent() && !(DrawnAsCopy() && ParentIsGrid()) &&
      frame_->NonFocusColor() != NoColor && unfocusedSavedColor_ != NoColor)
    SetColor(unfocusedSavedColor_);
  if (frame_->Enabled()) {
    update();
    UpdateFrameOverlay();
    if (IsTransparent() && parentWidget()) parentWidget()->update(geometry());
  }
  if (AutoSelect()) SelectAll();
}

void TqvDBRichEdit::DoExit() {
  // Only a move of the focus to another control of the window is an exit; the window losing
  // activation or a popup menu opening leaves the control focused within its window.
  if (Engine() && window()->focusWidget() == Engine()) return;
  if (GetField()) {
    const bool Written = platform::Guarded([this] { dataLink_->UpdateRecord(); }, this);
    if (!Written) {
      // The record keeps its change and stays in edit mode; the user stays here to mend it.
      QPointer<TqvDBRichEdit> Self(this);
      QTimer::singleShot(0, this, [Self] {
        if (Self && Self->Engine()) Self->Engine()->setFocus(Qt::OtherFocusReason);
      });
      return;
    }
  }
  focused_ = false;
  if (GetField() && !IsBlobField()) dataLink_->Reset();
  TqvCustomRichEdit::DoExit();
  if (frame_->Enabled() && frame_->NonFocusColor() != NoColor && !IsTransparent() &&
      !(DrawnAsCopy() && ParentIsGrid())) {
    unfocusedSavedColor_ = Color();
    SetColor(frame_->NonFocusColor());
  }
  if (IsTransparent()) Frame().Repaint(TqvEditFrame::rfFrame | TqvEditFrame::rfParent);
  if (frame_->Enabled()) {
    update();
    UpdateFrameOverlay();
  }
}

// ---- keys -----------------------------------------------------------------------------------

void TqvDBRichEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
  const bool Ctrl = Shift & Qt::ControlModifier;
  const bool Alt = Shift & Qt::AltModifier;
  if (ParentIsGrid()) {
    const bool ToGrid = (Key == Qt::Key_Escape && !Modified()) ||
                        ((Key == Qt::Key_PageUp || Key == Qt::Key_PageDown || Key == Qt::Key_Up ||
                          Key == Qt::Key_Down) && !wantNavigationKeys_ && !Alt) ||
                        ((Key == Qt::Key_Home || Key == Qt::Key_End) && Ctrl);
    if (ToGrid) {
      QWidget* Grid = parentWidget();
      Grid->setFocus(Qt::OtherFocusReason);
      if (Grid->hasFocus()) {
        QKeyEvent Copy(QEvent::KeyPress, Key, Shift);
        QCoreApplication::sendEvent(Grid, &Copy);
      }
      Key = 0;
      return;
    }
  }
  TqvCustomRichEdit::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (Key == Qt::Key_F2 && popupOptions_.Contains(rpoPopupEdit)) {
    Execute();
    Key = 0;
    return;
  }
  const bool PasteKey = (Key == Qt::Key_Insert && (Shift & Qt::ShiftModifier)) || (Key == Qt::Key_V && Ctrl);
  if (PasteKey && !CanPaste()) {
    Key = 0;
    return;
  }
  if (GetField() && contentLoaded_) {
    const bool Changes = Key == Qt::Key_Delete || Key == Qt::Key_Backspace || PasteKey || (Key == Qt::Key_X && Ctrl);
    if (Changes) {
      if (!platform::Guarded([this] { BeginEdit(); }, this)) Key = 0;
    } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
      if (WantReturns()) {
        if (!platform::Guarded([this] { BeginEdit(); }, this)) Key = 0;
      } else {
        SetSelStart(0);
        SetSelLength(0);
        Key = 0;
      }
    }
  }
}

void TqvDBRichEdit::KeyPress(QChar& Key) {
  if (Key == QChar(9) && !WantTabs()) {
    Key = QChar();
    return;
  }
  TqvCustomRichEdit::KeyPress(Key);
  if (Key.isNull()) return;
  TField* F = GetField();
  if (F == nullptr) return;
  const ushort C = Key.unicode();
  // Every printable character counts, Cyrillic and the rest of Unicode included.
  const bool Printable = C >= 32 && C != 127;
  if (contentLoaded_) {
    if (Printable && !F->IsValidChar(Key)) {
      platform::Beep();
      Key = QChar();
      return;
    }
    if (C == 8 || C == 9 || C == 10 || C == 13 || C == 22 || C == 24 || Printable) {
      if (!platform::Guarded([this] { BeginEdit(); }, this)) Key = QChar();
    } else if (C == 27) {
      dataLink_->Reset();
    }
  } else {
    if (C == 13) LoadContentsWithCursor();
    Key = QChar();
  }
}

// ---- messages -------------------------------------------------------------------------------

// WndProc (the paste rule) and DblClick (objects) are in qvrichedole.cpp.

void TqvDBRichEdit::CreateWnd() {
  TqvCustomRichEdit::CreateWnd();
  FieldEditingChanged();
}

bool TqvDBRichEdit::eventFilter(QObject* Watched, QEvent* Event) {
  if (Engine() && Watched == Engine()->viewport() && Event->type() == QEvent::Paint && GetField() &&
      !contentLoaded_ && !loading_) {
    // A control shown with its contents not loaded loads them now.
    LoadContentsWithCursor();
  }
  return TqvCustomRichEdit::eventFilter(Watched, Event);
}

void TqvDBRichEdit::changeEvent(QEvent* E) {
  if (E->type() == QEvent::ParentChange && parentWidget() != lastParent_) {
    lastParent_ = parentWidget();
    // A change the user has not posted yet stays; otherwise the field is read again.
    if (!Modified()) contentLoaded_ = false;
  }
  TqvCustomRichEdit::changeEvent(E);
}

// ---- drawing as a copy ----------------------------------------------------------------------

void TqvDBRichEdit::PaintCopy(QPainter& Painter) {
  TqvCustomRichEdit* Source = this;
  if (GetField()) {
    if (paintCopyEditor_ == nullptr) {
      paintCopyEditor_ = new TqvDBRichEdit(nullptr);
      paintCopyEditor_->setAttribute(Qt::WA_DontShowOnScreen);
      paintCopyEditor_->SetOleOptions(TqvRichEditOleOptions{reoAdjustPopupMenu, reoDisableOLE});
    }
    paintCopyEditor_->SetGutterWidth(gutterWidth_);
    paintCopyEditor_->setGeometry(geometry());
    paintCopyEditor_->setFont(font());
    paintCopyEditor_->LoadFromBlobField(GetField());
    Source = paintCopyEditor_;
  }
  Source->HandleNeeded();
  HandleNeeded();
  RECT R = Engine()->GetRect();
  const int Ppi = screenPixelsY_ > 0 ? screenPixelsY_ : 96;
  if (!WordWrap()) R.right += 51;
  R.right -= 1;
  R.bottom = Engine()->viewport()->height() + 25;
  auto Tw = [Ppi](int Px) { return LONG(qint64(Px) * 1440 / Ppi); };
  FORMATRANGE Range;
  Range.hdc = &Painter;
  Range.hdcTarget = &Painter;
  Range.rc = RECT{Tw(R.left), Tw(R.top), Tw(R.right), Tw(R.bottom)};
  Range.rcPage = Range.rc;
  Range.chrg.cpMin = Engine()->CharFromPos(QPoint(0, 0));
  Range.chrg.cpMax = -1;
  Source->Perform(EM_FORMATRANGE, 0, 0);
  Source->Perform(EM_FORMATRANGE, 1, LPARAM(&Range));
  Source->Perform(EM_FORMATRANGE, 0, 0);
  if (FrameActive()) frame_->DrawFrame(Painter, rect(), false);
}

}  // namespace richtext
