// The rich edit control itself: creation, its engine window, the formatting rectangle, find
// requests, web links, mouse and keys, the clipboard test and the controller link.

#include "richtext/qvriched.h"

#include <QCoreApplication>
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <utility>

#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/qvricholecallback.h"
#include "richtext/qvspellmarks.h"
#include "spell/SharedSpeller.h"
#include "platform/Shell.h"

using namespace engine;

namespace richtext {

// ---- hooks and seams ----------------------------------------------------------------------

TqvRichEditHooks& QvRichEditHooks() {
  static TqvRichEditHooks Hooks;
  return Hooks;
}

namespace {
// Draws the edit frame over the engine's client area; clicks go through to the text.
class TqvFrameOverlay : public QWidget {
 public:
  TqvFrameOverlay(QWidget* Viewport, std::function<void(QPainter&, const QRect&)> Draw)
      : QWidget(Viewport), draw_(std::move(Draw)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    draw_(P, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> draw_;
};

QSet<int>& MissingModules() {
  static QSet<int> Missing;
  return Missing;
}

}  // namespace

std::uintptr_t QvLoadEngineModule(TqvEngineLibrary Library) {
  // Our engine serves both; the handles only tell which one was asked for.
  if (MissingModules().contains(int(Library))) return 0;
  return Library == elStandard ? 0x20 : 0x41;
}

void QvFreeEngineModule(std::uintptr_t) {}

void QvSetEngineModuleAvailable(TqvEngineLibrary Library, bool Available) {
  if (Available) MissingModules().remove(int(Library));
  else MissingModules().insert(int(Library));
}

// ---- creation and destruction -------------------------------------------------------------

TqvCustomRichEdit::TqvCustomRichEdit(QWidget* Parent) : engine::TCustomRichEdit(Parent) {
  unfocusedSavedColor_ = NoColor;
  editWidth_ = rewWindowSize;
  printMargins_ = std::make_unique<TqvPrintMargins>();
  printHeader_ = std::make_unique<TqvRTFHeaderFooter>();
  printFooter_ = std::make_unique<TqvRTFHeaderFooter>();
  SetPrintPageSize(1);
  popupOptions_ = {rpoPopupEdit,  rpoPopupCut,       rpoPopupCopy,  rpoPopupPaste,
                   rpoPopupFont,  rpoPopupBullet,    rpoPopupParagraph, rpoPopupTabs,
                   rpoPopupFind,  rpoPopupReplace,   rpoPopupInsertObject, rpoPopupMSWordSpellCheck};
  editorOptions_ = {reoShowSaveExit,     reoShowPrint,      reoShowPageSetup, reoShowFormatBar, reoShowToolBar,
                    reoShowStatusBar,    reoShowHints,      reoShowRuler,     reoShowInsertObject,
                    reoCloseOnEscape,    reoFlatButtons,    reoShowSpellCheck, reoShowMainMenuIcons};
  editorCaption_ = QCoreApplication::translate("Editor", "Edit Rich Text");
  // The unit's clipboard formats exist before any control uses them.
  RtfUtf8Format();
  oleCallbackObject_ = std::make_unique<TRichEditOleCallback>(this);
  oleCallback_ = oleCallbackObject_.get();
  wordWrap_ = true;
  measurementUnits_ = muInches;
  CreateDialogs();
  if (QScreen* S = QGuiApplication::primaryScreen()) screenPixelsY_ = qRound(S->logicalDotsPerInchY());
  richEditVersion_ = 2;
  editorPosition_ = std::make_unique<TqvFormPosition>();
  printJobName_ = QApplication::applicationName();
  lines_ = std::make_unique<TqvRichEditStrings>(this);
  highlightColor_ = base::clYellow;
  frame_ = std::make_unique<TqvEditFrame>(this);
  frame_->OnChange = [this] {
    if (HandleAllocated()) SetFormatRect();
    UpdateFrameOverlay();
    update();
  };
}

TqvCustomRichEdit::~TqvCustomRichEdit() {
  destroying_ = true;
  // The window goes first, so nothing it still reports reaches parts already freed.
  if (HandleAllocated()) DestroyWnd();
  frame_.reset();
  DestroyFindDialogs();
  delete fontDialog_.data();
  delete builtInPopup_;
  builtInPopup_ = nullptr;
  printMargins_.reset();
  printHeader_.reset();
  printFooter_.reset();
  savedContents_.clear();
  editorPosition_.reset();
  lines_.reset();
  if (controller_) controller_->UnregisterControl(this);
}

void TqvCustomRichEdit::CreateDialogs() {
  // The find, replace and font dialogs are made on first use (FindDialog, ReplaceDialog,
  // ShowFontDialog), so a control that never shows them pays nothing for them.
  CreatePopupItems();
  if (popupMenu_ == nullptr) popupMenu_ = builtInPopup_;
}

// ---- the engine window --------------------------------------------------------------------

void TqvCustomRichEdit::CreateParams(TCreateParams& Params) {
  if (richEditVersion_ < 2) {
    // The version-1 engine's class.
    engine::TCustomRichEdit::CreateParams(Params);
    Params.WinClassName = QStringLiteral("RICHEDIT");
    return;
  }
  engineModule_ = 0;
  if (msVersion_ > 3) engineModule_ = QvLoadEngineModule(elNewer);
  if (engineModule_ == 0) engineModule_ = QvLoadEngineModule(elStandard);
  engine::TCustomRichEdit::CreateParams(Params);
  Params.WinClassName = engineModule_ != 0 ? QStringLiteral("RICHEDIT20A") : QStringLiteral("RICHEDIT");
  if (!HideScrollBars()) Params.Style |= ES_DISABLENOSCROLL;
  if (!HideSelection()) Params.Style |= ES_NOHIDESEL;
  if (IsTransparent()) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TqvCustomRichEdit::CreateWnd() {
  {
    base::ValueRestorer<bool> Guard(loading_, true);
    engine::TCustomRichEdit::CreateWnd();
    Perform(EM_SETEVENTMASK, 0, LPARAM(ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED));
    Perform(EM_SETBKGNDCOLOR, 0, LPARAM(base::ColorToRGB(Color())));
  }
  // Through the control's events, so that a window made again keeps them.
  Engine()->LinkBroken = [this](const QString& Target) { return OnLinkBroken && OnLinkBroken(this, Target); };
  Engine()->LinkToolTip = [this](const QString& Target) { return OnLinkHint ? OnLinkHint(this, Target) : QString(); };
  Engine()->PaintOverlay = [this](QPainter& P, const QRect& R) {
    if (SpellingActive()) spellMarks_->Paint(P, R, *spell::SharedSpeller());
  };
  Engine()->viewport()->installEventFilter(this);
  frameOverlay_ = new TqvFrameOverlay(Engine()->viewport(), [this](QPainter& P, const QRect& R) {
    if (frame_ && FrameActive()) frame_->DrawFrame(P, R, focused_);
  });
  UpdateFrameOverlay();
  if (richEditVersion_ > 1) Perform(EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
  if (!oleOptions_.Contains(reoDisableOLE)) {
    IRichEditOle* Ole = nullptr;
    if (Perform(EM_GETOLEINTERFACE, 0, LPARAM(&Ole)) == 0 || Ole == nullptr)
      throw engine::Exception(QStringLiteral("Unable to get interface"));
    richEditOle_ = Ole;
    // The callback object comes with embedded-object support; without one there is nothing
    // to hand over.
    if (oleCallback_ != nullptr && Perform(EM_SETOLECALLBACK, 0, LPARAM(oleCallback_)) == 0)
      throw engine::Exception(QStringLiteral("Unable to set callback"));
  }
  if (contentsSaved_) LoadLinesKeepingLimit(savedContents_);
  if (autoURLDetect_) {
    Perform(EM_AUTOURLDETECT, 1);
    Perform(EM_SETEVENTMASK, 0, Perform(EM_GETEVENTMASK) | LPARAM(ENM_LINK));
  }
  SetFormatRect();
  if (!IsTransparent() && !(DrawnAsCopy() && ParentIsGrid()) && frame_->Enabled() && !focused_ &&
      frame_->NonFocusColor() != NoColor) {
    if (unfocusedSavedColor_ == NoColor) unfocusedSavedColor_ = Color();
    SetColor(frame_->NonFocusColor());
  }
}

void TqvCustomRichEdit::DestroyWnd() {
  contentsSaved_ = false;
  if (!reparenting_ && !destroying_ && HandleAllocated()) {
    savedContents_ = EngineLines().SaveToBytes();
    contentsSaved_ = true;
  }
  if (HandleAllocated() && !destroying_) {
    base::ValueRestorer<bool> Guard(loading_, true);
    EngineLines().Clear();
  }
  richEditOle_ = nullptr;
  engine::TCustomRichEdit::DestroyWnd();
  // The objects' hosts go with the window whose text held them.
  currentObject_ = nullptr;
  ClearVerbs();
  if (oleCallbackObject_) oleCallbackObject_->ReleaseObjects();
  if (engineModule_ != 0) {
    QvFreeEngineModule(engineModule_);
    engineModule_ = 0;
  }
}

void TqvCustomRichEdit::LoadLinesKeepingLimit(const QByteArray& Bytes) {
  const int Limit = MaxLength();
  base::ValueRestorer<bool> Guard(loading_, true);
  if (Limit > 0) SetMaxLength(Limit + 1);
  base::ScopeGuard RestoreLimit([&] {
    if (Limit > 0) SetMaxLength(Limit);
  });
  EngineLines().LoadFromBytes(Bytes);
}

void TqvCustomRichEdit::SetOleOptions(TqvRichEditOleOptions Value) {
  if (oleOptions_ == Value) return;
  oleOptions_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TqvCustomRichEdit::SetRichEditVersion(int Value) {
  if (richEditVersion_ == Value) return;
  richEditVersion_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TqvCustomRichEdit::SetController(TqvController* Value) {
  if (controller_ == Value) return;
  if (controller_) {
    controller_->UnregisterControl(this);
    disconnect(controller_, nullptr, this, nullptr);
  }
  controller_ = Value;
  if (Value) {
    Value->RegisterControl(this);
    connect(Value, &QObject::destroyed, this, [this] { controller_ = nullptr; });
    frame_->Assign(Value->Frame());
    if (HandleAllocated()) RecreateWnd();
  }
}

// ---- simple properties ----------------------------------------------------------------------

void TqvCustomRichEdit::SetWordWrap(bool Value) {
  engine::TCustomRichEdit::SetWordWrap(Value);
  wordWrap_ = Value;
}

void TqvCustomRichEdit::SetPrintPageSize(int Value) {
  if (printPageSize_ == Value) return;
  printPageSize_ = Value;
  if (parentWidget() == nullptr || !UsesPrinterSize()) return;
  ApplyPrintPageSize();
  SetFormatRect();
}

void TqvCustomRichEdit::SetEditWidth(TqvRichEditWidth Value) {
  if (editWidth_ == Value) return;
  editWidth_ = Value;
  if (HandleAllocated()) SetFormatRect();
}

void TqvCustomRichEdit::SetUserSpeedButton1(QAbstractButton* Value) {
  userSpeedButton1_ = Value;
  if (Value) Value->hide();
}

void TqvCustomRichEdit::SetUserSpeedButton2(QAbstractButton* Value) {
  userSpeedButton2_ = Value;
  if (Value) Value->hide();
}

void TqvCustomRichEdit::SetGutterWidth(int Value) {
  if (gutterWidth_ == Value) return;
  gutterWidth_ = Value;
  if (HandleAllocated()) SetFormatRect();
}

void TqvCustomRichEdit::SetLines(const engine::TStrings& Value) {
  EngineLines().Assign(Value);
}

bool TqvCustomRichEdit::GetReadOnly() const { return engine::TCustomRichEdit::ReadOnly(); }

bool TqvCustomRichEdit::IsTransparent() const { return frame_ && frame_->Transparent() && FrameActive(); }

bool TqvCustomRichEdit::FrameActive() const {
  return frame_ && frame_->Enabled() && frame_->Control() == this && !ParentIsGrid();
}

bool TqvCustomRichEdit::ParentIsGrid() const {
  const QWidget* P = parentWidget();
  return P && (P->inherits("TqvDBGrid") || P->inherits("data::TDBGrid"));
}

// ---- formatting rectangle -------------------------------------------------------------------

void TqvCustomRichEdit::SetFormatRect() {
  if (!HandleAllocated()) return;
  base::ValueRestorer<bool> Guard(loading_, true);
  if (UsesPrinterSize()) {
    RECT R = PrinterWidthRect();
    Perform(EM_SETRECT, 0, LPARAM(&R));
    return;
  }
  // The engine's client area: inside its border (it shows no scroll bars of its own here).
  const int ClientWidth = Engine()->contentsRect().width();
  RECT R;
  R.bottom = height();
  R.right = ClientWidth - 2;
  const QWidget* P = parentWidget();
  if (BorderStyle() == bsNone && P && P->inherits("TqvDataInspector")) {
    R.top = 0;
    R.left = gutterWidth_ - 2;
  } else if (BorderStyle() == bsNone && ParentIsGrid()) {
    R.top = 1;
    R.left = gutterWidth_ - 1;
  } else if (frame_->Enabled()) {
    int Left = 0, Top = 0, RightInset = 0;
    frame_->Insets(focused_, Left, Top, RightInset);
    R.left = Left + gutterWidth_ - 2;
    R.top = Top;
    R.right -= RightInset;
    R.bottom -= 2;
    if (IsTransparent()) R.top -= 1;
  } else {
    R.top = 2;
    R.left = gutterWidth_ - 2;
    R.bottom -= 2;
    R.right = ClientWidth - 2;
  }
  Perform(EM_SETRECT, 0, LPARAM(&R));
}

void TqvCustomRichEdit::resizeEvent(QResizeEvent* E) {
  engine::TCustomRichEdit::resizeEvent(E);
  if (HandleAllocated() && !UsesPrinterSize()) SetFormatRect();
}

// ---- messages -------------------------------------------------------------------------------

LRESULT TqvCustomRichEdit::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if ((Msg == EM_FINDTEXT || Msg == EM_FINDTEXTEX) && !findRequestPlain_) WParam |= WPARAM(FR_DOWN);
  return engine::TCustomRichEdit::WndProc(Msg, WParam, LParam);
}

int TqvCustomRichEdit::FindTextPlain(const QString& Text, int Start, int Length, TSearchTypes Options) {
  const std::u16string Chars = Text.toStdU16String();
  FINDTEXT Find;
  Find.chrg.cpMin = Start;
  Find.chrg.cpMax = Start + Length;
  Find.lpstrText = Chars.c_str();
  WPARAM Flags = 0;
  if (Options & stWholeWord) Flags |= FR_WHOLEWORD;
  if (Options & stMatchCase) Flags |= FR_MATCHCASE;
  base::ValueRestorer<bool> Guard(findRequestPlain_, true);
  return int(Perform(EM_FINDTEXT, Flags, LPARAM(&Find)));
}

LRESULT TqvCustomRichEdit::CNNotify(UINT Code, void* NMHdr) {
  if (Code == EN_OLEOPFAILED && NMHdr) {
    ObjectOperationFailed(static_cast<const ENOLEOPFAILED*>(NMHdr)->hr);
    return 0;
  }
  if (Code != EN_LINK) return engine::TCustomRichEdit::CNNotify(Code, NMHdr);
  // Links are handled here completely.
  const ENLINK* Link = static_cast<const ENLINK*>(NMHdr);
  if (Link == nullptr || Engine() == nullptr) return 0;
  const QString Text = Engine()->GetTextRange(Link->chrg.cpMin, Link->chrg.cpMax);
  if (Link->msg == WM_LBUTTONDOWN && (Link->wParam & MK_LBUTTON)) {
    linkPressed_ = true;
    const int Under = Engine()->CharFromPos(QPoint(GET_X_LPARAM(Link->lParam), GET_Y_LPARAM(Link->lParam)));
    if (Under < Link->chrg.cpMin || Under > Link->chrg.cpMax) linkPressed_ = false;
  } else if (Link->msg == WM_LBUTTONUP && linkPressed_) {
    linkPressed_ = false;
    bool UseDefault = true;
    // The hook's failure ends the opening; it reaches the user as any failure would.
    if (!platform::Guarded([&] { DoURLOpen(Text, UseDefault); }, this)) return 0;
    if (UseDefault) {
      base::WaitCursor Wait;
      // A link nobody handles gives no message.
      platform::OpenLink(Text);
    }
  }
  return 0;
}

void TqvCustomRichEdit::DoURLOpen(const QString& URL, bool& UseDefault) {
  if (OnURLOpen) OnURLOpen(this, URL, UseDefault);
}

void TqvCustomRichEdit::SetAutoURLDetect(bool Value) {
  if (autoURLDetect_ == Value) return;
  autoURLDetect_ = Value;
  if (!HandleAllocated()) return;
  Perform(EM_AUTOURLDETECT, Value ? 1 : 0);
  LPARAM Mask = Perform(EM_GETEVENTMASK);
  Mask = Value ? (Mask | LPARAM(ENM_LINK)) : (Mask & ~LPARAM(ENM_LINK));
  Perform(EM_SETEVENTMASK, 0, Mask);
}

// ---- selection changes ----------------------------------------------------------------------

void TqvCustomRichEdit::SelectionChange() {
  engine::TCustomRichEdit::SelectionChange();
  if (!frame_ || !frame_->Enabled() || !focused_ || !HandleAllocated()) return;
  const RECT R = Engine()->GetRect();
  const int First = Engine()->CharFromPos(QPoint(R.left + 1, R.top + 1));
  const int Lines = Engine()->GetLineCount();
  if (First != lastFirstVisibleChar_ || Lines != lastLineCount_) {
    if (R.left > 2) update(QRect(2, 0, R.left - 2, height()));
  }
  lastFirstVisibleChar_ = First;
  lastLineCount_ = Lines;
}

// ---- mouse ----------------------------------------------------------------------------------

void TqvCustomRichEdit::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers Shift, int X, int Y) {
  engine::TCustomRichEdit::MouseDown(Qt::LeftButton, Shift, X, Y);
  popupByMouse_ = true;
}

void TqvCustomRichEdit::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (inMouseUp_) return;
  base::ValueRestorer<bool> Guard(inMouseUp_, true);
  if (Button == Qt::RightButton && HandleAllocated()) {
    const int Start = SelStart();
    const int Length = SelLength();
    // Where a left click would go: the caret, or the embedded object under the mouse.
    const int At = Engine()->CharFromPos(QPoint(X, Y));
    Engine()->SetSel(CHARRANGE{At, At});
    const QString Object(QChar::ObjectReplacementCharacter);
    if (Engine()->GetTextRange(At, At + 1) == Object) {
      Engine()->SetSel(CHARRANGE{At, At + 1});
    } else if (At > 0 && Engine()->GetTextRange(At - 1, At) == Object &&
               X < Engine()->PosFromChar(At).x() && Engine()->PosFromChar(At - 1).y() <= Y) {
      // The right half of an object counts as the boundary after it.
      Engine()->SetSel(CHARRANGE{At - 1, At});
    }
    if (SelText().isEmpty()) {
      SetSelStart(Start);
      SetSelLength(Length);
    }
  }
  engine::TCustomRichEdit::MouseUp(Button, Shift, X, Y);
  linkPressed_ = false;
  if (Button == Qt::RightButton) ShowPopupOnRelease(QPoint(X, Y));
}

void TqvCustomRichEdit::DblClick() {
  engine::TCustomRichEdit::DblClick();
  if (ParentIsGrid()) Execute();
}

bool TqvCustomRichEdit::EngineMouse(TRichEngine* E, QMouseEvent* Ev) {
  if (LinkMouse(Ev)) return true;
  if (Ev->type() == QEvent::MouseButtonDblClick) {
    // A double click the control refused for an object keeps the engine from activating it.
    objectActivationRefused_ = false;
    const bool Consumed = engine::TCustomRichEdit::EngineMouse(E, Ev);
    return Consumed || std::exchange(objectActivationRefused_, false);
  }
  if (Ev->type() == QEvent::MouseButtonPress && Ev->button() == Qt::LeftButton && ParentIsGrid()) {
    const qint64 Now = QDateTime::currentMSecsSinceEpoch();
    const bool Double = lastClickTime_ != 0 && Now - lastClickTime_ < QApplication::doubleClickInterval();
    lastClickTime_ = 0;
    if (Double) {
      DblClick();
      return true;
    }
  }
  return engine::TCustomRichEdit::EngineMouse(E, Ev);
}

// ---- keys -----------------------------------------------------------------------------------

bool TqvCustomRichEdit::EngineKeyDown(TRichEngine* E, QKeyEvent* Ev) {
  const int Key = Ev->key();
  const bool IsEnter = Key == Qt::Key_Return || Key == Qt::Key_Enter;
  if (Key == Qt::Key_K && (Ev->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier && OnChooseLink) {
    LinkSelection();
    return true;
  }
  if (IsEnter && !(Ev->modifiers() & (Qt::ShiftModifier | Qt::AltModifier)) && OnFollowLink)
    if (const QString Target = LinkAtCaret(); !Target.isEmpty() && !HasSelection()) {
      FollowLink(Target);
      return true;
    }
  if ((Key == Qt::Key_Tab || IsEnter) && ParentIsGrid()) {
    const bool PlainEnterWanted = IsEnter && !(Ev->modifiers() & Qt::ControlModifier) && WantReturns();
    QWidget* Grid = parentWidget();
    if (!PlainEnterWanted && (IsEnter || Grid->property("goTabs").toBool())) {
      Grid->setFocus(Qt::OtherFocusReason);
      if (Grid->hasFocus()) {
        QKeyEvent Copy(QEvent::KeyPress, Key, Ev->modifiers(), Ev->text());
        QCoreApplication::sendEvent(Grid, &Copy);
      }
      return true;
    }
  }
  return engine::TCustomRichEdit::EngineKeyDown(E, Ev);
}

void TqvCustomRichEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
  engine::TCustomRichEdit::KeyDown(Key, Shift);
}

void TqvCustomRichEdit::KeyPress(QChar& Key) {
  if (Key == QChar(9) && ParentIsGrid()) {
    Key = QChar();
    return;
  }
  engine::TCustomRichEdit::KeyPress(Key);
}

void TqvCustomRichEdit::UpdateFrameOverlay() {
  if (!frameOverlay_ || !Engine()) return;
  frameOverlay_->setGeometry(Engine()->viewport()->rect());
  frameOverlay_->setVisible(frame_ && FrameActive());
  if (frameOverlay_->isVisible()) {
    frameOverlay_->raise();
    frameOverlay_->update();
  }
}

bool TqvCustomRichEdit::eventFilter(QObject* Watched, QEvent* Event) {
  if (Engine() && Watched == Engine()->viewport() && Event->type() == QEvent::Resize) UpdateFrameOverlay();
  if (Engine() && Watched == Engine()->viewport() &&
      (Event->type() == QEvent::DragEnter || Event->type() == QEvent::DragMove || Event->type() == QEvent::Drop) &&
      FileDragEvent(static_cast<QDropEvent*>(Event)))
    return true;
  if (Engine() && Watched == Engine()->viewport() && Event->type() == QEvent::Paint) {
    base::ValueRestorer<bool> Guard(inPaint_, true);
    return engine::TCustomRichEdit::eventFilter(Watched, Event);
  }
  return engine::TCustomRichEdit::eventFilter(Watched, Event);
}

// ---- clipboard and selection type -----------------------------------------------------------

bool TqvCustomRichEdit::CanPaste() {
  bool Answer = false;
  if (HandleAllocated()) {
    const bool WasReadOnly = Engine()->IsReadOnly();
    Engine()->SetReadOnly(false);
    Answer = Perform(EM_CANPASTE, 0) != 0;
    Engine()->SetReadOnly(WasReadOnly);
  }
  const QMimeData* Data = QGuiApplication::clipboard()->mimeData();
  if (Data == nullptr) return Answer;
  // A vector picture can always be pasted; a raster picture alone cannot.
  bool OnlyRaster = true, AnyRaster = false;
  for (const QString& Format : Data->formats()) {
    const QString F = Format.toLower();
    if (F.contains(QLatin1String("metafile")) || F.contains(QLatin1String("image/svg")) ||
        F.contains(QLatin1String("x-wmf")) || F.contains(QLatin1String("x-emf")) ||
        F == QLatin1String("image/wmf") || F == QLatin1String("image/emf"))
      return true;
    if (F.startsWith(QLatin1String("image/")) || F == QLatin1String("application/x-qt-image"))
      AnyRaster = true;
    else
      OnlyRaster = false;
  }
  if (AnyRaster && OnlyRaster) return false;
  return Answer;
}

bool TqvCustomRichEdit::HasSelection() const { return !SelText().isEmpty(); }

TqvSelectionType TqvCustomRichEdit::GetSelectionType() const {
  TqvSelectionType Result;
  if (!HandleAllocated()) return Result;
  const WORD Bits = Engine()->SelectionType();
  if (Bits & SEL_TEXT) Result.Include(stText);
  if (Bits & SEL_OBJECT) Result.Include(stObject);
  if (Bits & SEL_MULTICHAR) Result.Include(stMultiChar);
  if (Bits & SEL_MULTIOBJECT) Result.Include(stMultiObject);
  return Result;
}

// ---- operations of other layers -------------------------------------------------------------

bool TqvCustomRichEdit::ShowParagraphDialog() {
  auto& H = QvRichEditHooks();
  return H.ShowParagraphDialog ? H.ShowParagraphDialog(this) : false;
}

bool TqvCustomRichEdit::ShowTabsDialog() {
  auto& H = QvRichEditHooks();
  return H.ShowTabsDialog ? H.ShowTabsDialog(this) : false;
}

void TqvCustomRichEdit::DoPrintHeader(QRect DrawRect, int PageNumber, QString& LeftText, QString& CenterText,
                                      QString& RightText, bool& DoDefault) {
  if (OnPrintHeader) OnPrintHeader(this, DrawRect, PageNumber, LeftText, CenterText, RightText, DoDefault);
}

void TqvCustomRichEdit::DoPrintFooter(QRect DrawRect, int PageNumber, QString& LeftText, QString& CenterText,
                                      QString& RightText, bool& DoDefault) {
  if (OnPrintFooter) OnPrintFooter(this, DrawRect, PageNumber, LeftText, CenterText, RightText, DoDefault);
}

void TqvCustomRichEdit::DoInitDialog(QWidget* Form) {
  if (OnInitDialog) OnInitDialog(Form);
}
void TqvCustomRichEdit::DoCloseDialog(QWidget* Form) {
  if (OnCloseDialog) OnCloseDialog(Form);
}
void TqvCustomRichEdit::DoCreateDialog(QWidget* Form) {
  if (OnCreateDialog) OnCreateDialog(Form);
}

bool TqvCustomRichEdit::SpellCheck() { return true; }

bool TqvCustomRichEdit::PrintWithWord(const QString&) {
  // No word processor automation exists on this desktop.
  platform::Question Q;
  Q.caption = platform::ApplicationTitle();
  Q.text = GlobalIntl->UserMessages()->RichEditMSWordNotFound();
  Q.icon = platform::Icon::Information;
  Q.buttons = platform::Buttons::Ok;
  platform::Ask(Q, this);
  return false;
}

}  // namespace richtext
