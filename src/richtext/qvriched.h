#pragma once
// The component's rich edit control over the engine (TqvCustomRichEdit), its data-bound form
// (TqvDBRichEdit), its line list and the memory stream every transfer goes through.
//
// The implementation is split by concern: qvriched.cpp (the control and its window),
// qvrichedlines.cpp (line list and streaming), qvricheddb.cpp (database binding),
// qvrichedformat.cpp (formatting operations).

#include <QAbstractButton>
#include <QFontDialog>
#include <QPointer>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "engine/CustomRichEdit.h"
#include "data/DataSet.h"
#include "engine/RichEditTypes.h"
#include "richtext/qvEditFrame.h"
#include "richtext/qvRichStream.h"

class QAction;
class QMenu;
class QWidget;
class TqvCustomRichEdit;
class TqvDBRichEdit;

using engine::TColor;

// A set of enumeration members stored as bits in the members' order.
template <class E, class Bits>
class TqvSet {
 public:
  constexpr TqvSet() = default;
  constexpr TqvSet(std::initializer_list<E> Members) {
    for (E M : Members) FBits = Bits(FBits | Bit(M));
  }
  static constexpr TqvSet FromValue(Bits V) {
    TqvSet S;
    S.FBits = V;
    return S;
  }
  constexpr Bits Value() const { return FBits; }
  constexpr bool Contains(E M) const { return (FBits & Bit(M)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  TqvSet& Include(E M) {
    FBits = Bits(FBits | Bit(M));
    return *this;
  }
  TqvSet& Exclude(E M) {
    FBits = Bits(FBits & ~Bit(M));
    return *this;
  }
  friend constexpr bool operator==(TqvSet A, TqvSet B) { return A.FBits == B.FBits; }

 private:
  static constexpr Bits Bit(E M) { return Bits(Bits(1) << int(M)); }
  Bits FBits = 0;
};

enum TqvRichEditPopupOption {
  rpoPopupEdit, rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupBold, rpoPopupItalic,
  rpoPopupUnderline, rpoPopupFont, rpoPopupBullet, rpoPopupParagraph, rpoPopupTabs,
  rpoPopupFind, rpoPopupReplace, rpoPopupInsertObject, rpoPopupMSWordSpellCheck
};
using TqvRichEditPopupOptions = TqvSet<TqvRichEditPopupOption, std::uint16_t>;

enum TqvRichEditOption {
  reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowPrint, reoShowPageSetup,
  reoShowFormatBar, reoShowToolBar, reoShowStatusBar, reoShowHints, reoShowRuler,
  reoShowInsertObject, reoCloseOnEscape, reoFlatButtons, reoShowSpellCheck,
  reoShowMainMenuIcons, reoShowJustifyButton, reoUseBackColor, reoNoConfirmation
};
// Stored in 24 bits.
using TqvRichEditOptions = TqvSet<TqvRichEditOption, std::uint32_t>;

enum TqvRichEditOleOption { reoAdjustPopupMenu, reoDisableOLE };
using TqvRichEditOleOptions = TqvSet<TqvRichEditOleOption, std::uint8_t>;

enum TqvSelectionTypeMember { stText, stObject, stMultiChar, stMultiObject };
using TqvSelectionType = TqvSet<TqvSelectionTypeMember, std::uint8_t>;

enum TqvMeasurementUnits { muInches, muCentimeters };
enum TqvRichEditWidth { rewWindowSize, rewPrinterSize };

// Character effects SetEffect knows.
enum { qveBold = 0, qveItalic = 1, qveUnderline = 2, qveStrikeOut = 3 };

// The nine bits of SetParagraphFormat's mask.
enum TqvParagraphMaskBit : unsigned {
  pmAlignment = 1, pmNumbering = 2, pmOffset = 4, pmRightIndent = 8, pmStartIndent = 16,
  pmTabStops = 32, pmSpaceBefore = 64, pmSpaceAfter = 128, pmLineSpacing = 256
};

// Where the editor window goes; all 0 means its default placement.
struct TqvFormPosition {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// Page margins in the control's measurement unit, from the paper edge.
struct TqvPrintMargins {
  double Top = 1.0, Bottom = 1.0, Left = 1.0, Right = 1.0;
};

// Header or footer of printed pages.
struct TqvRTFHeaderFooter {
  double VertMargin = 0.5;  // inches, whatever the measurement unit
  QString LeftText, CenterText, RightText;
  QFont Font;
  bool LineSeparator = false;
};

using TqvURLOpenEvent = std::function<void(TqvCustomRichEdit* Sender, const QString& URLLink, bool& UseDefault)>;
using TqvOnRichEditDlgEvent = std::function<void(QWidget* Form)>;
using TqvRTFNotifyEvent = std::function<void(QWidget* Form, TqvCustomRichEdit* RichEdit, bool& DoDefault)>;
using TqvRTFDrawHeaderFooter =
    std::function<void(TqvCustomRichEdit* Sender, QRect DrawRect, int PageNumber, QString& LeftText,
                       QString& CenterText, QString& RightText, bool& DoDefault)>;

// What the layers above this one (the editor window, its dialogs) contribute to the control.
// They install themselves here; while a hook is missing the operation reports that nothing ran.
struct TqvRichEditHooks {
  std::function<bool(TqvCustomRichEdit*)> Execute;
  std::function<bool(TqvCustomRichEdit*)> ShowParagraphDialog;
  std::function<bool(TqvCustomRichEdit*)> ShowTabsDialog;
};
TqvRichEditHooks& QvRichEditHooks();

// The font dialog as the control runs it; tests install their own answer.
// Returns true on OK with the chosen font and colour.
using TqvFontDialogRunner = std::function<bool(TqvCustomRichEdit* Edit, QFont& Font, TColor& Color)>;
TqvFontDialogRunner SetFontDialogRunner(TqvFontDialogRunner Runner);

// The engine libraries a version-2 control may load: the standard one, and a newer one tried
// first when MSVersion is above 3.
enum TqvEngineLibrary { elStandard, elNewer };
// Loads an engine library; 0 when it is not available. Tests may make a library missing.
std::uintptr_t QvLoadEngineModule(TqvEngineLibrary Library);
void QvFreeEngineModule(std::uintptr_t Module);
void QvSetEngineModuleAvailable(TqvEngineLibrary Library, bool Available);

// ---------------------------------------------------------------------------------------------
// The published line list: answers line questions through the engine window and hands loading
// and saving to the engine lines.
class TqvRichEditStrings : public engine::TStrings {
 public:
  explicit TqvRichEditStrings(TqvCustomRichEdit* Owner) : FRichEdit(Owner) {}

  int Count() const override;
  QString Get(int Index) const override;  // at most 4096 characters
  void Put(int Index, const QString& S) override;
  void Insert(int Index, const QString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void AddStrings(const engine::TStrings& Other) override;
  void AddStrings(const QStringList& Lines) override;
  QString Text() const override;
  void SetText(const QString& Text) override;  // raises no change handling
  void LoadFromStream(QIODevice& Stream) override;
  void SaveToStream(QIODevice& Stream) const override;
  void LoadFromFile(const QString& FileName) override;
  void SaveToFile(const QString& FileName) const override;

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  TqvCustomRichEdit* FRichEdit;
};

// ---------------------------------------------------------------------------------------------
class TqvCustomRichEdit : public engine::TCustomRichEdit {
  Q_OBJECT
 public:
  static constexpr TColor NoColor = engine::clNone;

  explicit TqvCustomRichEdit(QWidget* Parent = nullptr);
  ~TqvCustomRichEdit() override;

  // ---- virtual operations, in their slot order ----
  virtual void RemoveHighlight();
  virtual bool GetReadOnly() const;
  virtual void BeginEdit() {}
  virtual void UpdateData() {}
  virtual bool IsContentLoaded() const { return true; }
  virtual data::TField* GetField() const { return nullptr; }
  virtual void DoURLOpen(const QString& URL, bool& UseDefault);
  virtual void LoadRichStream(QIODevice& Stream, bool Selection, int MaxChunks);
  virtual bool IsTransparent() const;
  virtual void LoadFieldContents() {}
  virtual void CreatePopupItems();
  virtual void CreateDialogs();
  virtual void DoPrintHeader(QRect DrawRect, int PageNumber, QString& LeftText, QString& CenterText,
                             QString& RightText, bool& DoDefault);
  virtual void DoPrintFooter(QRect DrawRect, int PageNumber, QString& LeftText, QString& CenterText,
                             QString& RightText, bool& DoDefault);
  virtual int FindTextPlain(const QString& Text, int Start, int Length, engine::TSearchTypes Options);
  virtual bool InsertObject();
  virtual bool ShowObjectProperties();
  virtual bool Execute();
  virtual void ShowFindDialog();
  virtual void ShowReplaceDialog();
  virtual void ShowFontDialog();
  virtual bool ShowParagraphDialog();
  virtual bool ShowTabsDialog();
  virtual void FindNext();
  virtual void ReplaceNext();
  virtual void ReplaceOne();
  virtual void DoInitDialog(QWidget* Form);
  virtual void DoCloseDialog(QWidget* Form);
  virtual void DoCreateDialog(QWidget* Form);
  virtual bool SpellCheck();
  virtual bool PrintWithWord(const QString& DocumentName);

  bool ReadOnly() const override { return GetReadOnly(); }

  // ---- formatting of the selection ----
  void SetSelFont(const QString& Name, int Size, TColor Color, engine::TFontStyles Style);
  int FontCharset(const QString& Name) const;
  void SetEffect(int Effect, bool On);
  void SetSelBackColor(TColor Color);
  TColor GetSelBackColor();
  void SetParagraphFormat(unsigned Mask, const QString& Alignment, int LineSpacingKind, int LineSpacing,
                          int SpaceAfter, int SpaceBefore, const int* Tabs, int TabCount, int StartIndent,
                          int RightIndent, int FirstLineOffset, bool Bullet);
  // Fills Format (a PARAFORMAT, or a PARAFORMAT2 when RichEditVersion is 2) for the selection.
  void GetParagraphFormat(engine::PARAFORMAT2& Format);
  void GetIndents(int& FirstLineOffset, int& RightIndent, int& StartIndent);
  void SetBullet(bool On);

  // ---- clipboard, selection, layout ----
  bool CanPaste();
  bool HasSelection() const;
  TqvSelectionType GetSelectionType() const;
  void SetFormatRect();
  bool UsesPrinterSize() const;

  // ---- streaming ----
  void SaveSelectionRtf(QIODevice& Stream);
  void LoadSelectionRtf(QIODevice& Stream);
  // The control's form description: "RichEditVersion" and (without a field) "Data".
  void WriteDescription(QIODevice& Stream);
  void ReadDescription(QIODevice& Stream);

  // ---- properties ----
  bool AutoURLDetect() const { return FAutoURLDetect; }
  void SetAutoURLDetect(bool Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  std::uintptr_t EngineModule() const { return FEngineModule; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TqvPrintMargins& PrintMargins() { return *FPrintMargins; }
  TqvRTFHeaderFooter& PrintHeader() { return *FPrintHeader; }
  TqvRTFHeaderFooter& PrintFooter() { return *FPrintFooter; }
  int PrintPageSize() const { return FPrintPageSize; }
  void SetPrintPageSize(int Value);
  TqvRichEditWidth EditWidth() const { return FEditWidth; }
  void SetEditWidth(TqvRichEditWidth Value);
  TqvRichEditPopupOptions PopupOptions() const { return FPopupOptions; }
  void SetPopupOptions(TqvRichEditPopupOptions Value) { FPopupOptions = Value; }
  TqvRichEditOptions EditorOptions() const { return FEditorOptions; }
  void SetEditorOptions(TqvRichEditOptions Value) { FEditorOptions = Value; }
  const QString& EditorCaption() const { return FEditorCaption; }
  void SetEditorCaption(const QString& Value) { FEditorCaption = Value; }
  TqvFormPosition& EditorPosition() { return *FEditorPosition; }
  TqvMeasurementUnits MeasurementUnits() const { return FMeasurementUnits; }
  void SetMeasurementUnits(TqvMeasurementUnits Value) { FMeasurementUnits = Value; }
  TqvRichEditOleOptions OleOptions() const { return FOleOptions; }
  void SetOleOptions(TqvRichEditOleOptions Value);
  engine::IOleObject* CurrentObject() const { return FCurrentObject; }
  QAbstractButton* UserSpeedButton1() const { return FUserSpeedButton1; }
  void SetUserSpeedButton1(QAbstractButton* Value);
  QAbstractButton* UserSpeedButton2() const { return FUserSpeedButton2; }
  void SetUserSpeedButton2(QAbstractButton* Value);
  const QString& PrintJobName() const { return FPrintJobName; }
  void SetPrintJobName(const QString& Value) { FPrintJobName = Value; }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor Value) { FHighlightColor = Value; }
  TqvEditFrame& Frame() { return *FFrame; }
  bool WantNavigationKeys() const { return FWantNavigationKeys; }
  void SetWantNavigationKeys(bool Value) { FWantNavigationKeys = Value; }
  int RichEditVersion() const { return FRichEditVersion; }
  void SetRichEditVersion(int Value);
  engine::TStrings& Lines() override { return *FLines; }
  TqvRichEditStrings& QvLines() { return *FLines; }
  // Assigns the texts of the given list to the engine lines, line by line.
  void SetLines(const engine::TStrings& Value);
  const QString& Title() const { return FTitle; }
  void SetTitle(const QString& Value) { FTitle = Value; }
  bool Loading() const { return FLoading; }
  void SetLoading(bool Value) { FLoading = Value; }
  int GutterWidth() const { return FGutterWidth; }
  void SetGutterWidth(int Value);
  int MSVersion() const { return FMSVersion; }
  void SetMSVersion(int Value) { FMSVersion = Value; }
  bool DataFieldAssigned() const { return FDataFieldAssigned; }
  int ScreenPixelsY() const { return FScreenPixelsY; }
  bool IsFocused() const { return FFocused; }
  TqvController* Controller() const { return FController; }
  void SetController(TqvController* Value);
  bool ContentsSaved() const { return FContentsSaved; }
  bool DataRead() const { return FDataRead; }
  const std::array<QAction*, 20>& PopupItems() const { return FPopupItems; }
  QMenu* BuiltInPopup() const { return FBuiltInPopup; }
  QMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu* Value) { FPopupMenu = Value; }
  QFontDialog* FontDialog() const { return FFontDialog; }
  TColor UnfocusedSavedColor() const { return FUnfocusedSavedColor; }
  // The character set and colour of the control's font (a QFont carries neither).
  int ControlFontCharset() const { return FFontCharset; }
  void SetControlFontCharset(int Value);
  TColor ControlFontColor() const { return FFontColor; }
  void SetControlFontColor(TColor Value);
  // Loads a BLOB field's stored value into this control (RTF, else plain text).
  void LoadFromBlobField(data::TField* Field);
  // A grid host hands a click on with the time it saw the first click (ms since the epoch).
  void SetLastClickTime(qint64 Value) { FLastClickTime = Value; }

  // ---- events ----
  TqvURLOpenEvent OnURLOpen;
  TqvOnRichEditDlgEvent OnInitDialog, OnCloseDialog, OnCreateDialog;
  TqvRTFNotifyEvent OnMenuLoadClick, OnMenuPrintClick, OnMenuSaveAsClick, OnMenuSaveAndExitClick;
  TqvRTFDrawHeaderFooter OnPrintHeader, OnPrintFooter;

  // A grid, for keys and painting, is a host whose class name is TqvDBGrid or TDBGrid or a
  // descendant of them.
  bool ParentIsGrid() const;

 protected:
  friend class TqvRichEditStrings;
  friend void CopyRichText(TqvCustomRichEdit* Source, TqvCustomRichEdit* Target);

  void CreateParams(engine::TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  engine::LRESULT WndProc(engine::UINT Msg, engine::WPARAM WParam, engine::LPARAM LParam) override;
  engine::LRESULT CNNotify(engine::UINT Code, void* NMHdr) override;
  void SelectionChange() override;
  void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void DblClick() override;
  void FontChanged() override;
  bool EngineKeyDown(engine::TRichEngine* E, QKeyEvent* Ev) override;
  bool EngineMouse(engine::TRichEngine* E, QMouseEvent* Ev) override;
  void resizeEvent(QResizeEvent* E) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

  // A formatting operation changed the selection's format: such a change raises no text change,
  // so a bound control notes it here to have it written back with the record.
  virtual void FormatChanged() {}
  // True while the control sits in a grid host that draws it as a copy.
  virtual bool DrawnAsCopy() const { return false; }
  bool FrameActive() const;
  // Shows the frame over the text while the frame is active, in the focus state it has.
  void UpdateFrameOverlay();
  // Streams the engine lines through a memory stream with MaxLength raised for the load.
  void LoadLinesKeepingLimit(QIODevice& Stream);
  // Reads one chunk-limited stream-in; returns dwError.
  engine::DWORD StreamInChunks(QIODevice& Stream, engine::DWORD Format, int MaxChunks);

  // ---- state (see the class notes) ----
  bool FAutoURLDetect = false;
  bool FAutoSelect = false;
  std::uintptr_t FEngineModule = 0;
  bool FWordWrap = true;
  std::unique_ptr<TqvPrintMargins> FPrintMargins;
  std::unique_ptr<TqvRTFHeaderFooter> FPrintHeader, FPrintFooter;
  int FPrintPageSize = 0;
  TqvRichEditWidth FEditWidth = rewWindowSize;
  int FFindStart = 0;
  bool FFindWrapped = false;
  QString FLastFindText;
  bool FSavedHideSelection = false;
  std::array<QAction*, 20> FPopupItems{};
  TqvRichEditPopupOptions FPopupOptions;
  TqvRichEditOptions FEditorOptions;
  QString FEditorCaption;
  std::unique_ptr<TqvFormPosition> FEditorPosition;
  TqvMeasurementUnits FMeasurementUnits = muInches;
  TqvRichEditOleOptions FOleOptions;
  engine::IOleObject* FCurrentObject = nullptr;
  QPointer<QAbstractButton> FUserSpeedButton1, FUserSpeedButton2;
  QString FPrintJobName;
  TColor FHighlightColor = 65535;
  std::unique_ptr<TqvEditFrame> FFrame;
  bool FWantNavigationKeys = false;
  TqvDBRichEdit* FPaintCopyEditor = nullptr;
  engine::IRichEditOle* FRichEditOle = nullptr;
  engine::IRichEditOleCallback* FOleCallback = nullptr;
  QStringList FVerbNames;
  QList<QAction*> FExtraPopupItems;
  bool FReparenting = false;
  std::unique_ptr<TqvRichMemoryStream> FSavedContents;
  bool FContentsSaved = false;
  bool FDataRead = false;
  bool FLinkPressed = false;
  int FRichEditVersion = 2;
  std::unique_ptr<TqvRichEditStrings> FLines;
  QString FTitle;
  bool FInMouseUp = false;
  bool FLoading = false;
  int FGutterWidth = 3;
  int FLastLineCount = 0;
  int FLastFirstVisibleChar = 0;
  int FSavedOSMajorVersion = 0;
  int FMSVersion = 3;
  bool FDataFieldAssigned = false;
  int FScreenPixelsY = 96;
  bool FFocused = false;
  QPointer<TqvCustomRichEdit> FEditorRichEdit;
  QPointer<QWidget> FEditorForm;
  QPointer<QFontDialog> FFontDialog;
  bool FInPaint = false;
  QMenu* FBuiltInPopup = nullptr;
  QMenu* FPopupMenu = nullptr;
  bool FPopupByMouse = false;
  TColor FUnfocusedSavedColor = NoColor;
  qint64 FLastClickTime = 0;
  QPointer<TqvController> FController;
  bool FFindRequestPlain = false;  // the next EM_FINDTEXT keeps its flags
  bool FDestroying = false;
  QPointer<QWidget> FFrameOverlay;
  int FFontCharset = 1;  // DEFAULT_CHARSET
  TColor FFontColor = engine::clWindowText;
};

// Copies the contents of one control into another through a memory stream (RTF).
void CopyRichText(TqvCustomRichEdit* Source, TqvCustomRichEdit* Target);

// Sets a flag for the lifetime of the guard and puts the old value back, also on failure.
class TqvFlagGuard {
 public:
  TqvFlagGuard(bool& Flag, bool Value) : FFlag(Flag), FOld(Flag) { Flag = Value; }
  ~TqvFlagGuard() { FFlag = FOld; }
  TqvFlagGuard(const TqvFlagGuard&) = delete;
  TqvFlagGuard& operator=(const TqvFlagGuard&) = delete;

 private:
  bool& FFlag;
  bool FOld;
};

// ---------------------------------------------------------------------------------------------
// The control bound to one field of a dataset.
class TqvDBRichEdit : public TqvCustomRichEdit {
  Q_OBJECT
 public:
  explicit TqvDBRichEdit(QWidget* Parent = nullptr);
  ~TqvDBRichEdit() override;

  // Overrides of the control's operations.
  bool GetReadOnly() const override;
  void BeginEdit() override;
  void UpdateData() override;
  bool IsContentLoaded() const override { return FContentLoaded; }
  data::TField* GetField() const override;
  void LoadFieldContents() override;

  bool IsBlobField() const;
  void LoadFieldPreview(data::TField* Field, int MaxChunks);

  data::TDataSource* DataSource() const;
  void SetDataSource(data::TDataSource* Value);
  QString DataField() const;
  void SetDataField(const QString& Value);
  void SetReadOnly(bool Value);
  bool AutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool Value);
  bool ContentLoaded() const { return FContentLoaded; }
  const QString& CachedFieldText() const { return FCachedFieldText; }
  data::TFieldDataLink& DataLink() { return *FDataLink; }

  // Draws the field's contents (or this control's text without a field) into Painter, as a
  // grid host shows the control in a cell that does not have it.
  void PaintCopy(QPainter& Painter);

 protected:
  void Change() override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
  void KeyPress(QChar& Key) override;
  engine::LRESULT WndProc(engine::UINT Msg, engine::WPARAM WParam, engine::LPARAM LParam) override;
  void DblClick() override;
  void CreateWnd() override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void changeEvent(QEvent* E) override;
  void FormatChanged() override;

 private:
  void FieldDataChanged();
  void FieldEditingChanged();
  void FieldUpdateData();
  void LoadContentsWithCursor();
  // Blob text as the field holds it, for comparing contents without loading them.
  QString FieldTextValue(data::TField* Field) const;

  std::unique_ptr<data::TFieldDataLink> FDataLink;
  bool FAutoDisplay = true;
  bool FContentLoaded = false;
  QString FCachedFieldText;
  QPointer<QWidget> FLastParent;
  QPointer<data::TDataSource> FWatchedSource;
};
