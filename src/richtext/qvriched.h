#pragma once
// The component's rich edit control over the engine (TqvCustomRichEdit), its data-bound form
// (TqvDBRichEdit) and its line list. Contents move between the control and the engine as whole
// buffers (the engine lines' SaveToBytes / LoadFromBytes); only a load cut after some chunks
// goes through the engine's chunked stream-in.
//
// The implementation is split by concern: qvriched.cpp (the control and its window),
// qvrichedlines.cpp (line list and streaming), qvricheddb.cpp (database binding),
// qvrichedformat.cpp (formatting operations).

#include <QAbstractButton>
#include <QPointer>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "base/ScopeGuard.h"
#include "engine/CustomRichEdit.h"
#include "data/DataSet.h"
#include "engine/RichEditTypes.h"
#include "richtext/qvEditFrame.h"
#include "richtext/qvMeasure.h"
#include "richtext/qvRichStream.h"
#include "richtext/qvfontdlg.h"
#include "richtext/qvrichsite.h"

class QAction;
class QContextMenuEvent;
class QDropEvent;
class QMenu;
class QWidget;

namespace platform {
class TFindDialog;
class TReplaceDialog;
}  // namespace platform

namespace richtext {
class TqvCustomRichEdit;
class TqvDBRichEdit;
class TqvRichEditorWindow;
class TqvSpellMarks;
class TRichEditOleCallback;


// A set of enumeration members stored as bits in the members' order.
template <class E, class Bits>
class TqvSet {
 public:
  constexpr TqvSet() = default;
  constexpr TqvSet(std::initializer_list<E> Members) {
    for (E M : Members) bits_ = Bits(bits_ | Bit(M));
  }
  static constexpr TqvSet FromValue(Bits V) {
    TqvSet S;
    S.bits_ = V;
    return S;
  }
  constexpr Bits Value() const { return bits_; }
  constexpr bool Contains(E M) const { return (bits_ & Bit(M)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  TqvSet& Include(E M) {
    bits_ = Bits(bits_ | Bit(M));
    return *this;
  }
  TqvSet& Exclude(E M) {
    bits_ = Bits(bits_ & ~Bit(M));
    return *this;
  }
  friend constexpr bool operator==(TqvSet A, TqvSet B) { return A.bits_ == B.bits_; }

 private:
  static constexpr Bits Bit(E M) { return Bits(Bits(1) << int(M)); }
  Bits bits_ = 0;
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

enum TqvRichEditWidth { rewWindowSize, rewPrinterSize };

// Character effects SetEffect knows.
enum { qveBold = 0, qveItalic = 1, qveUnderline = 2, qveStrikeOut = 3 };

// The nine bits of SetParagraphFormat's mask.
enum TqvParagraphMaskBit : unsigned {
  pmAlignment = 1, pmNumbering = 2, pmOffset = 4, pmRightIndent = 8, pmStartIndent = 16,
  pmTabStops = 32, pmSpaceBefore = 64, pmSpaceAfter = 128, pmLineSpacing = 256
};

// A verb of the selected object: its name, and in Data its verb number (low 16 bits) and its menu
// flags (high 16 bits).
struct TqvVerbName {
  QString Name;
  std::uint32_t Data = 0;
};

// The clipboard formats of the rich edit unit, registered once in this order: "RTF in UTF8",
// "RTF with NCRs for nonASCII" and "Rich Text Format" (text/rtf).
engine::UINT RtfUtf8Format();
engine::UINT RtfNcrFormat();
engine::UINT RtfFormat();

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
  // Makes a new editor window, owned by the application (no parent), for Execute to set up.
  std::function<TqvRichEditorWindow*()> CreateEditorWindow;
  std::function<bool(TqvCustomRichEdit*)> ShowParagraphDialog;
  std::function<bool(TqvCustomRichEdit*)> ShowTabsDialog;
};
TqvRichEditHooks& QvRichEditHooks();

// The font dialog as the control runs it; tests install their own answer.
// Returns true on OK with the chosen font and colour.
using TqvFontDialogRunner = std::function<bool(TqvCustomRichEdit* Edit, QFont& Font, base::TColor& Color)>;
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
  explicit TqvRichEditStrings(TqvCustomRichEdit* Owner) : richEdit_(Owner) {}

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
  TqvCustomRichEdit* richEdit_;
};

// ---------------------------------------------------------------------------------------------
class TqvCustomRichEdit : public engine::TCustomRichEdit, public TqvRichEditSite {
  Q_OBJECT
 public:
  static constexpr base::TColor NoColor = base::clNone;

  // Invokable, so that Execute can make the editing control as an instance of the caller's class.
  Q_INVOKABLE explicit TqvCustomRichEdit(QWidget* Parent = nullptr);
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
  virtual bool ReplaceOne(const QString& SearchText, const QString& ReplaceText, engine::TSearchTypes Options);
  virtual void DoInitDialog(QWidget* Form);
  virtual void DoCloseDialog(QWidget* Form);
  virtual void DoCreateDialog(QWidget* Form);
  virtual bool SpellCheck();
  virtual bool PrintWithWord(const QString& DocumentName);

  bool ReadOnly() const override { return GetReadOnly(); }

  // ---- find and replace (qvrichedfind.cpp) ----
  // The modeless dialogs, made on first use and wired to the operations below.
  platform::TFindDialog* FindDialog();
  platform::TReplaceDialog* ReplaceDialog();
  const QString& LastFindText() const { return lastFindText_; }
  int FindStart() const { return findStart_; }
  bool FindWrapped() const { return findWrapped_; }
  bool SavedHideSelection() const { return savedHideSelection_; }
  // One step of a search pass with Dialog's text and options; Replace All repeats it.
  void SearchStep(platform::TFindDialog* Dialog, bool Replace, const QString& Replacement);

  // ---- formatting of the selection ----
  void SetSelFont(const QString& Name, int Size, base::TColor Color, engine::TFontStyles Style);
  int FontCharset(const QString& Name) const;
  void SetEffect(int Effect, bool On);
  void SetSelBackColor(base::TColor Color);
  base::TColor GetSelBackColor();
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

  // ---- printing (qvrichedprint.cpp) ----
  // Prints the whole text on the program's printer as a job named Caption, with the margins,
  // header and footer; a failure is shown to the user and ends the job, the text untouched.
  void Print(const QString& Caption) override;
  // The part of the printable area the text takes, in twips from its top-left corner.
  engine::RECT GetPrintBodyRect() const;
  // Writes PrintPageSize into the current printer's device mode.
  void ApplyPrintPageSize();
  // An area of the page in printer pixels that replaces the margins when not empty.
  QRect PageArea() const { return PageRect(); }
  void SetPageArea(const QRect& Value) { SetPageRect(Value); }

  // ---- streaming ----
  void SaveSelectionRtf(QIODevice& Stream);
  void LoadSelectionRtf(QIODevice& Stream);  // from the stream's start
  QByteArray SelectionRtf();
  void SetSelectionRtf(const QByteArray& Rtf);
  // The control's form description: "RichEditVersion" and (without a field) "Data".
  void WriteDescription(QIODevice& Stream);
  void ReadDescription(QIODevice& Stream);

  // ---- properties ----
  bool AutoURLDetect() const { return autoURLDetect_; }
  void SetAutoURLDetect(bool Value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  std::uintptr_t EngineModule() const { return engineModule_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  TqvPrintMargins& PrintMargins() { return *printMargins_; }
  const TqvPrintMargins& PrintMargins() const { return *printMargins_; }
  TqvRTFHeaderFooter& PrintHeader() { return *printHeader_; }
  TqvRTFHeaderFooter& PrintFooter() { return *printFooter_; }
  int PrintPageSize() const { return printPageSize_; }
  void SetPrintPageSize(int Value);
  TqvRichEditWidth EditWidth() const { return editWidth_; }
  void SetEditWidth(TqvRichEditWidth Value);
  TqvRichEditPopupOptions PopupOptions() const { return popupOptions_; }
  void SetPopupOptions(TqvRichEditPopupOptions Value) { popupOptions_ = Value; }
  TqvRichEditOptions EditorOptions() const { return editorOptions_; }
  void SetEditorOptions(TqvRichEditOptions Value) { editorOptions_ = Value; }
  const QString& EditorCaption() const { return editorCaption_; }
  void SetEditorCaption(const QString& Value) { editorCaption_ = Value; }
  TqvFormPosition& EditorPosition() { return *editorPosition_; }
  TqvMeasurementUnits MeasurementUnits() const { return measurementUnits_; }
  void SetMeasurementUnits(TqvMeasurementUnits Value) { measurementUnits_ = Value; }
  // Lengths in the control's MeasurementUnits (see qvMeasure.h).
  int MeasureToTwips(const QString& Text) const { return richtext::MeasureToTwips(measurementUnits_, Text); }
  double TwipsToMeasure(int Twips) const { return richtext::TwipsToMeasure(measurementUnits_, Twips); }
  QString MeasureToText(double Value) const { return richtext::MeasureToText(measurementUnits_, Value); }
  QString SnappedMeasureText(int Divisions, double Value) const {
    return richtext::SnappedMeasureText(measurementUnits_, Divisions, Value);
  }
  TqvRichEditOleOptions OleOptions() const { return oleOptions_; }
  void SetOleOptions(TqvRichEditOleOptions Value);
  engine::IOleObject* CurrentObject() const { return currentObject_; }
  void SetCurrentObject(engine::IOleObject* Value) { currentObject_ = Value; }

  // ---- embedded objects (qvrichedole.cpp) ----
  // The engine's object interface while the window exists (none with reoDisableOLE).
  engine::IRichEditOle* RichEditOle() const { return richEditOle_; }
  engine::IRichEditOleCallback* OleCallback() const { return oleCallback_; }
  const QList<TqvVerbName>& VerbNames() const { return verbNames_; }
  // Fills VerbNames with CurrentObject's verbs, up to the first that is not for a menu.
  void LoadVerbs();
  void ClearVerbs() { verbNames_.clear(); }
  // Carries out verb entry Verb of VerbNames (above 0), the primary verb (-65536), or a standard
  // verb (0 and below). Raises "Invalid Verb" past the list, EOleError when the object fails.
  void DoVerb(int Verb);
  // Shows Obj as content or icon; Aspect (in and out) is its draw aspect.
  engine::HRESULT SetDrawAspect(engine::IOleObject* Obj, bool Iconic, const QImage& IconPicture, engine::DWORD& Aspect);
  // The icon picture of an object: its cached icon while shown as one, else its type's.
  QImage IconPictureOf(engine::IOleObject* Obj, engine::DWORD Aspect);
  // Inserts files as objects at the selection, embedded or linked; false when none went in.
  bool InsertFiles(const QStringList& Paths, bool Link);
  bool PopupByMouse() const { return popupByMouse_; }
  void SetPopupByMouse(bool Value) { popupByMouse_ = Value; }
  // The popup menu as it is about to be shown, with the items for a selected embedded object
  // added (qvrichedpopup.cpp).
  virtual QMenu* GetPopupMenu();
  QAbstractButton* UserSpeedButton1() const { return userSpeedButton1_; }
  void SetUserSpeedButton1(QAbstractButton* Value);
  QAbstractButton* UserSpeedButton2() const { return userSpeedButton2_; }
  void SetUserSpeedButton2(QAbstractButton* Value);
  const QString& PrintJobName() const { return printJobName_; }
  void SetPrintJobName(const QString& Value) { printJobName_ = Value; }
  base::TColor HighlightColor() const { return highlightColor_; }
  void SetHighlightColor(base::TColor Value) { highlightColor_ = Value; }
  TqvEditFrame& Frame() { return *frame_; }
  bool WantNavigationKeys() const { return wantNavigationKeys_; }
  void SetWantNavigationKeys(bool Value) { wantNavigationKeys_ = Value; }
  int RichEditVersion() const { return richEditVersion_; }
  void SetRichEditVersion(int Value);
  engine::TStrings& Lines() override { return *lines_; }
  TqvRichEditStrings& QvLines() { return *lines_; }
  // Assigns the texts of the given list to the engine lines, line by line.
  void SetLines(const engine::TStrings& Value);
  const QString& Title() const { return title_; }
  void SetTitle(const QString& Value) { title_ = Value; }
  bool Loading() const { return loading_; }
  void SetLoading(bool Value) { loading_ = Value; }
  int GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(int Value);
  int MSVersion() const { return msVersion_; }
  void SetMSVersion(int Value) { msVersion_ = Value; }
  bool DataFieldAssigned() const { return dataFieldAssigned_; }
  int ScreenPixelsY() const { return screenPixelsY_; }
  bool IsFocused() const { return focused_; }
  TqvController* Controller() const { return controller_; }
  void SetController(TqvController* Value);
  bool ContentsSaved() const { return contentsSaved_; }
  bool DataRead() const { return dataRead_; }
  const std::array<QAction*, 20>& PopupItems() const { return popupItems_; }
  QMenu* BuiltInPopup() const { return builtInPopup_; }
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* Value) { popupMenu_ = Value; }
  TqvFontDialog* FontDialog() const { return fontDialog_; }
  base::TColor UnfocusedSavedColor() const { return unfocusedSavedColor_; }
  // The character set and colour of the control's font (a QFont carries neither).
  int ControlFontCharset() const { return fontCharset_; }
  void SetControlFontCharset(int Value);
  base::TColor ControlFontColor() const { return fontColor_; }
  void SetControlFontColor(base::TColor Value);
  // Loads a BLOB field's stored value into this control (RTF, else plain text).
  void LoadFromBlobField(data::TField* Field);
  // A grid host hands a click on with the time it saw the first click (ms since the epoch).
  void SetLastClickTime(qint64 Value) { lastClickTime_ = Value; }

  // ---- links to other places (qvrichedlinks.cpp) ----
  // Makes the selected words a link: asks OnChooseLink for the target. One undo step.
  bool LinkSelection();
  // Makes the selection's links, or the one holding the caret, plain text again.
  bool RemoveLink();
  // The target of the link holding the caret (strictly inside it) or the selection; empty if none.
  QString LinkAtCaret() const;
  // Makes characters [From, To) a link to Target, as LinkSelection would. One undo step.
  bool SetLinkAt(int From, int To, const QString& Target);
  // Hands the link's target to OnFollowLink; false when nobody took it.
  bool FollowLink(const QString& Target);
  // The link items of the popup menu ("Link to term…", "Remove link"), shown while OnChooseLink
  // is set.
  QAction* LinkItem() const { return linkItem_; }
  QAction* RemoveLinkItem() const { return removeLinkItem_; }

  // ---- events ----
  TqvURLOpenEvent OnURLOpen;
  // The target for a link with the given words; empty: no link made.
  std::function<QString(TqvCustomRichEdit* Sender, const QString& Words)> OnChooseLink;
  // A link followed: Ctrl+click, Enter inside it, or a plain click while read-only. True: taken.
  std::function<bool(TqvCustomRichEdit* Sender, const QString& Target)> OnFollowLink;
  // Whether a link leads nowhere (drawn as broken), and what pointing at it shows.
  std::function<bool(TqvCustomRichEdit* Sender, const QString& Target)> OnLinkBroken;
  std::function<QString(TqvCustomRichEdit* Sender, const QString& Target)> OnLinkHint;
  TqvOnRichEditDlgEvent OnInitDialog, OnCloseDialog, OnCreateDialog;
  TqvRTFNotifyEvent OnMenuLoadClick, OnMenuPrintClick, OnMenuSaveAsClick, OnMenuSaveAndExitClick;
  TqvRTFDrawHeaderFooter OnPrintHeader, OnPrintFooter;

  // A grid, for keys and painting, is a host whose class name is TqvDBGrid or TDBGrid or a
  // descendant of them.
  bool ParentIsGrid() const;

  // ---- the popup menu and the editor launch ----
  // The menu's opening handler: visibility, enabling and check marks of the twenty items.
  void PreparePopup();
  // Sets the captions of the built-in items from the texts.
  void ApplyPopupCaptions();
  // Set only while Execute runs.
  TqvRichEditorWindow* EditorForm() const;
  TqvCustomRichEdit* EditorRichEdit() const { return editorRichEdit_; }
  // Prints Copies whole copies one after another (collated), as the editor window's print
  // command does; a failure ends the run with one message.
  void PrintCopies(const QString& Caption, int Copies);
  // Whether this control's class, or one of its ancestors, has the given name (without regard to
  // letter case).
  bool ClassIs(const char* Name) const;
  // The menu a right-button press asked for, shown now that the button is released.
  void ShowPopupOnRelease(const QPoint& ClientPos);

  // ---- spelling (qvrichedspell.cpp) ----
  // Whether words the dictionary does not know are underlined while the text is editable.
  bool CheckSpelling() const { return checkSpelling_; }
  void SetCheckSpelling(bool Value);
  // Underlining now: checking is on, the text editable and a dictionary loaded.
  bool SpellingActive() const;
  // Whether the spelling commands are offered (the popup's item, the editor window's button):
  // by the control's class, as the options decide.
  bool OffersSpelling() const;
  // Where the popup about to open was asked for (a character position); -1: the caret.
  void SetPopupTextPosition(int Pos) { popupTextPos_ = Pos; }
  TqvSpellMarks* SpellMarks() const { return spellMarks_.get(); }
  // The spelling items the popup menu shows at its top for the unknown word at Pos: up to five
  // suggestions, "add to dictionary", "ignore everywhere". Removes those of the last opening.
  void AddSpellingItems(QMenu* Menu, int Pos);
  const QList<QAction*>& SpellingItems() const { return spellItems_; }
  // Replaces the ranges with Text as a user's edit would, as one undo step; false when refused.
  bool ReplaceWords(const QList<engine::CHARRANGE>& Ranges, const QString& Text);
  // A press, move or release that follows a link; true when it was one.
  bool LinkMouse(QMouseEvent* Ev);

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
  bool DoContextPopup(const QPoint& ClientPos) override;
  bool EngineContextMenu(engine::TRichEngine* E, QContextMenuEvent* Ev) override;
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
  // Print's work; throws base::Exception when the job cannot be done.
  void PrintDocument(const QString& Caption);
  // Draws the header (or footer) of the current page around Body (twips).
  void PrintHeaderFooter(bool Header, const engine::RECT& Body);
  // The formatting rectangle of the printer-width layout, in the engine's client pixels.
  engine::RECT PrinterWidthRect() const;
  // Loads the engine lines from a whole text with MaxLength raised for the load.
  void LoadLinesKeepingLimit(const QByteArray& Bytes);
  // Loads a whole text as LoadRichStream does without a chunk limit.
  void LoadRichBytes(const QByteArray& Bytes, bool Selection);
  // Reads one chunk-limited stream-in; returns dwError.
  engine::DWORD StreamInChunks(QIODevice& Stream, engine::DWORD Format, int MaxChunks);
  // Objects: an engine's report that an object failed; files dragged over or dropped on the text.
  void ObjectOperationFailed(engine::HRESULT Result);
  bool FileDragEvent(QDropEvent* Event);

  // First match of What at or after From that starts no later than Last; -1 when there is none.
  int SearchFrom(const QString& What, int From, int Last, engine::TSearchTypes Options);
  // Replaces From..To as a user's edit would. InPlace leaves selection and view alone (Replace
  // All shows them once, at its end); otherwise the caret ends after the new text.
  enum TqvReplaceResult { rrDone, rrProtected, rrRefused };
  TqvReplaceResult ReplaceRange(int From, int To, const QString& Replacement, bool InPlace);
  void OpenFindDialog(platform::TFindDialog* Dialog);
  bool FindDialogsOpen() const;
  void FindDialogClosed();
  void DestroyFindDialogs();

  // ---- state (see the class notes) ----
  bool autoURLDetect_ = false;
  bool autoSelect_ = false;
  std::uintptr_t engineModule_ = 0;
  bool wordWrap_ = true;
  std::unique_ptr<TqvPrintMargins> printMargins_;
  std::unique_ptr<TqvRTFHeaderFooter> printHeader_, printFooter_;
  int printPageSize_ = 0;
  TqvRichEditWidth editWidth_ = rewWindowSize;
  int findStart_ = 0;
  bool findWrapped_ = false;
  QString lastFindText_;
  bool savedHideSelection_ = false;
  QPointer<platform::TFindDialog> findDialog_;
  QPointer<platform::TReplaceDialog> replaceDialog_;
  std::array<QAction*, 20> popupItems_{};
  TqvRichEditPopupOptions popupOptions_;
  TqvRichEditOptions editorOptions_;
  QString editorCaption_;
  std::unique_ptr<TqvFormPosition> editorPosition_;
  TqvMeasurementUnits measurementUnits_ = muInches;
  TqvRichEditOleOptions oleOptions_;
  engine::IOleObject* currentObject_ = nullptr;
  QPointer<QAbstractButton> userSpeedButton1_, userSpeedButton2_;
  QString printJobName_;
  base::TColor highlightColor_ = base::clYellow;
  std::unique_ptr<TqvEditFrame> frame_;
  bool wantNavigationKeys_ = false;
  TqvDBRichEdit* paintCopyEditor_ = nullptr;
  engine::IRichEditOle* richEditOle_ = nullptr;
  engine::IRichEditOleCallback* oleCallback_ = nullptr;
  std::unique_ptr<TRichEditOleCallback> oleCallbackObject_;
  bool objectActivationRefused_ = false;  // a double click that must not open the object
  QList<TqvVerbName> verbNames_;
  QList<QAction*> extraPopupItems_;
  QAction* linkSeparator_ = nullptr;
  QAction* linkItem_ = nullptr;
  QAction* removeLinkItem_ = nullptr;
  QString pressedLink_;  // the link a press that may follow it went down on
  bool reparenting_ = false;
  QByteArray savedContents_;
  bool contentsSaved_ = false;
  bool dataRead_ = false;
  bool linkPressed_ = false;
  int richEditVersion_ = 2;
  std::unique_ptr<TqvRichEditStrings> lines_;
  QString title_;
  bool inMouseUp_ = false;
  bool loading_ = false;
  int gutterWidth_ = 3;
  int lastLineCount_ = 0;
  int lastFirstVisibleChar_ = 0;
  int savedOSMajorVersion_ = 0;
  int msVersion_ = 3;
  bool dataFieldAssigned_ = false;
  int screenPixelsY_ = 96;
  bool focused_ = false;
  QPointer<TqvCustomRichEdit> editorRichEdit_;
  QPointer<QWidget> editorForm_;
  QPointer<TqvFontDialog> fontDialog_;
  bool inPaint_ = false;
  QMenu* builtInPopup_ = nullptr;
  QMenu* popupMenu_ = nullptr;
  bool popupByMouse_ = false;
  // A right-button press asked for the menu; it opens on the release (qvrichedpopup.cpp).
  bool popupOnRelease_ = false;
  base::TColor unfocusedSavedColor_ = NoColor;
  qint64 lastClickTime_ = 0;
  QPointer<TqvController> controller_;
  bool findRequestPlain_ = false;  // the next EM_FINDTEXT keeps its flags
  bool destroying_ = false;
  QPointer<QWidget> frameOverlay_;
  int fontCharset_ = 1;  // DEFAULT_CHARSET
  base::TColor fontColor_ = base::clWindowText;
  bool checkSpelling_ = false;
  std::unique_ptr<TqvSpellMarks> spellMarks_;
  int popupTextPos_ = -1;
  QList<QAction*> spellItems_;

 private:
  // TqvRichEditSite: what the object callback and the object properties ask of the control.
  QWidget* SiteWidget() override { return this; }
  engine::IRichEditOle* SiteRichEditOle() const override { return RichEditOle(); }
  QString SiteTitle() const override { return Title(); }
  QImage SiteIconPictureOf(engine::IOleObject* Obj, engine::DWORD Aspect) override { return IconPictureOf(Obj, Aspect); }
  engine::HRESULT SiteSetDrawAspect(engine::IOleObject* Obj, bool Iconic, const QImage& IconPicture,
                                    engine::DWORD& Aspect) override {
    return SetDrawAspect(Obj, Iconic, IconPicture, Aspect);
  }
  void SiteSetModified(bool Value) override { SetModified(Value); }
  bool SiteWantsMousePopup() const override { return PopupByMouse() && PopupMenu(); }
  QMenu* SiteTakeMousePopup() override {
    QMenu* Shown = GetPopupMenu();
    SetPopupByMouse(false);
    return Shown;
  }
};

// Copies the contents of one control into another through a memory stream (RTF).
void CopyRichText(TqvCustomRichEdit* Source, TqvCustomRichEdit* Target);


// ---------------------------------------------------------------------------------------------
// The control bound to one field of a dataset.
class TqvDBRichEdit : public TqvCustomRichEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TqvDBRichEdit(QWidget* Parent = nullptr);
  ~TqvDBRichEdit() override;

  // Overrides of the control's operations.
  bool GetReadOnly() const override;
  void BeginEdit() override;
  void UpdateData() override;
  bool IsContentLoaded() const override { return contentLoaded_; }
  data::TField* GetField() const override;
  void LoadFieldContents() override;

  bool IsBlobField() const;
  void LoadFieldPreview(data::TField* Field, int MaxChunks);

  data::TDataSource* DataSource() const;
  void SetDataSource(data::TDataSource* Value);
  QString DataField() const;
  void SetDataField(const QString& Value);
  void SetReadOnly(bool Value);
  bool AutoDisplay() const { return autoDisplay_; }
  void SetAutoDisplay(bool Value);
  bool ContentLoaded() const { return contentLoaded_; }
  const QString& CachedFieldText() const { return cachedFieldText_; }
  data::TFieldDataLink& DataLink() { return *dataLink_; }

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

  std::unique_ptr<data::TFieldDataLink> dataLink_;
  bool autoDisplay_ = true;
  bool contentLoaded_ = false;
  bool unreadable_ = false;  // the field could not be read: its text says why, and it stays read-only
  QString cachedFieldText_;
  QPointer<QWidget> lastParent_;
  QPointer<data::TDataSource> watchedSource_;
};

// ---------------------------------------------------------------------------------------------
// The bound control with spelling: words the dictionary does not know are underlined as they
// are typed, the popup suggests corrections, and SpellCheck walks the text in the spelling
// dialog. The popup's spell-check item and the editor window's spelling commands are offered for
// this class (and its descendants) by name.
class TqvDBRichEditSpell : public TqvDBRichEdit {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "TqvDBRichEditSpell";
  Q_INVOKABLE explicit TqvDBRichEditSpell(QWidget* Parent = nullptr);

  // Walks the text from the caret in the spelling dialog; "The spell check is complete." at the
  // end. False when cancelled or there is nothing to check with.
  bool SpellCheck() override;

 protected:
  void DoEnter() override;

 private:
  // The user is told once per run that there is no dictionary, when first editing with spelling.
  void ReportMissingDictionary();
};

}  // namespace richtext
