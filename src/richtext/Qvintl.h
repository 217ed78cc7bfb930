#pragma once
// The replaceable words of the rich text component. One program-wide instance, GlobalIntl,
// holds the texts every window, dialog and menu of the component reads; a TqvIntl placed on a
// form only carries texts and copies them into GlobalIntl when it is connected.
//
// Each record lists its properties once, in their published (streamed) order, in an X-list;
// the members, getters, setters and the ordered property table all come from that one list, so
// the order cannot drift between them.

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace richtext {

// A string property of a text record: its published name and where it lives.
template <class Record>
struct TqvTextProperty {
  const char* Name;
  QString Record::*Member;
};

#define QV_TEXT_MEMBER(Name, Default) QString text##Name##_ = QStringLiteral(Default);
#define QV_TEXT_ACCESS(Name, Default)                      \
  const QString& Name() const { return text##Name##_; }          \
  void Set##Name(const QString& Value) {                   \
    if (text##Name##_ != Value) text##Name##_ = Value;                 \
  }
#define QV_TEXT_ENTRY(Name, Default) {#Name, &Self::text##Name##_},

// Declares the members, accessors and the ordered table of a record from its X-list.
#define QV_TEXT_RECORD(Class, List)                                        \
 public:                                                                   \
  using Self = Class;                                                      \
  List(QV_TEXT_ACCESS)                                                     \
  static const std::vector<TqvTextProperty<Class>>& TextProperties() {     \
    static const std::vector<TqvTextProperty<Class>> Table = {List(QV_TEXT_ENTRY)}; \
    return Table;                                                          \
  }                                                                        \
  /* Copies every string, by value, from another record of the same kind. */ \
  void AssignTexts(const Class& Source) {                                  \
    for (const auto& P : TextProperties()) this->*P.Member = Source.*P.Member; \
  }                                                                        \
                                                                           \
 private:                                                                  \
  List(QV_TEXT_MEMBER)                                                     \
 public:

// ---------------------------------------------------------------------------------------------
// Captions of the editor window's main menu.
#define QV_MENU_LABELS(X)                     \
  X(FileCaption, "&File")                     \
  X(LoadCaption, "&Load")                     \
  X(SaveAsCaption, "Save &As")                \
  X(SaveExitCaption, "&Save and Exit")        \
  X(PrintCaption, "&Print")                   \
  X(PageSetupCaption, "Page Set&up")          \
  X(ExitCaption, "E&xit")                     \
  X(EditCaption, "&Edit")                     \
  X(UndoCaption, "&Undo")                     \
  X(CutCaption, "Cu&t")                       \
  X(CopyCaption, "&Copy")                     \
  X(PasteCaption, "&Paste")                   \
  X(ClearCaption, "Cle&ar")                   \
  X(SelectallCaption, "Select A&ll")          \
  X(FindCaption, "&Find")                     \
  X(FindNextCaption, "Find &Next")            \
  X(ReplaceCaption, "R&eplace")               \
  X(InsertObjectCaption, "&Object...")        \
  X(ToolCaption, "&Tools")                    \
  X(SpellCheckCaption, "Check &Spelling")     \
  X(InsertCaption, "&Insert")                 \
  X(RulerCaption, "&Ruler")                   \
  X(RedoCaption, "")                          \
  X(ViewCaption, "&View")                     \
  X(ToolbarCaption, "&Toolbar")               \
  X(FormatBarCaption, "&Format Bar")          \
  X(ViewStatusBarCaption, "&Status Bar")      \
  X(OptionsCaption, "&Options")               \
  X(FormatCaption, "F&ormat")                 \
  X(FontCaption, "&Font")                     \
  X(BulletStyleCaption, "&Bullet Style")      \
  X(ParagraphCaption, "&Paragraph")           \
  X(TabsCaption, "&Tabs")                     \
  X(HelpCaption, "Help")

class TqvRichEditMenuLabels {
  QV_TEXT_RECORD(TqvRichEditMenuLabels, QV_MENU_LABELS)
  // The three captions that fall back to a fixed text when left empty; any other empty
  // caption is shown empty.
  QString InsertCaptionShown() const;
  QString RulerCaptionShown() const;
  QString RedoCaptionShown() const;
};

// ---------------------------------------------------------------------------------------------
// Captions of the rich edit control's popup menu.
#define QV_POPUP_LABELS(X)                            \
  X(EditCaption, "&Edit")                             \
  X(ViewCaption, "&View")                             \
  X(CutCaption, "Cu&t")                               \
  X(CopyCaption, "&Copy")                             \
  X(PasteCaption, "&Paste")                           \
  X(FontCaption, "&Font")                             \
  X(BulletStyleCaption, "&Bullet Style")              \
  X(BoldCaption, "B&old")                             \
  X(ItalicCaption, "&Italic")                         \
  X(UnderlineCaption, "&Underline")                   \
  X(ParagraphCaption, "P&aragraph")                   \
  X(TabsCaption, "&Tabs")                             \
  X(FindCaption, "Fin&d")                             \
  X(ReplaceCaption, "&Replace")                       \
  X(InsertObjectCaption, "Insert &Object...")         \
  X(ObjectPropertiesCaption, "Object P&roperties")    \
  X(SpellCheckCaption, "Check &Spelling")

class TqvRichEditPopupMenuLabels {
  QV_TEXT_RECORD(TqvRichEditPopupMenuLabels, QV_POPUP_LABELS)
};

// ---------------------------------------------------------------------------------------------
// Texts of the paragraph dialog. The four alignment texts also travel to the control as the
// chosen alignment (see TqvCustomRichEdit::SetParagraphFormat).
#define QV_PARAGRAPH_DLG(X)                                                  \
  X(ParagraphDlgCaption, "Paragraph")                                        \
  X(IndentationGroupBoxCaption, "Indentation")                               \
  X(LeftEditHint, "Left Indentation")                                        \
  X(RightEditHint, "Right Indentation")                                      \
  X(FirstLineEditHint, "First Line of Paragraph Indentation")                \
  X(AlignmentHint, "Changes Alignment of Paragraph")                         \
  X(LeftEditCaption, "Left:")                                                \
  X(RightEditCaption, "Right:")                                              \
  X(FirstLineEditCaption, "First line:")                                     \
  X(SpacingGroupCaption, "Spacing")                                          \
  X(BeforeParagraphCaption, "&Before")                                       \
  X(AfterParagraphCaption, "Aft&er")                                         \
  X(WithinParagraphCaption, "Li&ne Spacing")                                 \
  X(WithinParagraphAtCaption, "&At")                                         \
  X(AlignmentCaption, "Alignment")                                           \
  X(AlignLeft, "Left")                                                       \
  X(AlignRight, "Right")                                                     \
  X(AlignCenter, "Center")                                                   \
  X(AlignJustify, "Justify")                                                 \
  X(SpacingSingle, "")                                                       \
  X(Spacing1_5, "")                                                          \
  X(SpacingDouble, "")                                                       \
  X(SpacingAtLeast, "")                                                      \
  X(SpacingExactly, "")                                                      \
  X(SpacingMultiple, "")

class TqvRichEditParagraphDlg {
  QV_TEXT_RECORD(TqvRichEditParagraphDlg, QV_PARAGRAPH_DLG)
  // HelpContext follows the 25 strings in the published order.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }
  // The six line spacing choices as shown: an empty text shows its fixed word.
  QStringList SpacingChoices() const;

 private:
  int helpContext_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Texts of the tab dialog. HelpContext sits second in the published order.
#define QV_TAB_DLG(X)                                                 \
  X(TabDlgCaption, "Tab")                                             \
  X(TabGroupBoxCaption, "&Tab Stop Position")                         \
  X(SetTabButtonCaption, "Set")                                       \
  X(ClearTabButtonCaption, "Clear")                                   \
  X(ClearAllButtonCaption, "Clear All")                               \
  X(TabPositionEditHint, "Tab Position Edit Box")                     \
  X(ListBoxHint, "List of tabs and their positions")                  \
  X(SetButtonHint, "Set a new tab position")                          \
  X(ClearButtonHint, "Clear the selected tab position")               \
  X(ClearAllButtonHint, "Clear all the tabs")

class TqvRichEditTabDlg {
  QV_TEXT_RECORD(TqvRichEditTabDlg, QV_TAB_DLG)
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }
  // Published order with HelpContext in its place (second), for streaming.
  static QStringList PublishedOrder();

 private:
  int helpContext_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Message texts. The two spaces after each "!" belong to the texts.
#define QV_USER_MESSAGES(X)                                                                  \
  X(qvDBGridDiscardChanges, "Discard changes to this record?")                               \
  X(PictureValidateError, "Invalid characters. Field : ")                                    \
  X(LocateNoMatches, "No matches found")                                                     \
  X(LocateNoMoreMatches, "No more matches found")                                            \
  X(MemoChangesWarning, "Changes have been made!  Are you sure you wish to cancel?")         \
  X(RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?")       \
  X(RichEditClearWarning, "Clear entire text?")                                              \
  X(RichEditSpellCheckComplete, "The spell check is complete.")                              \
  X(RichEditMSWordNotFound, "Unable to start Microsoft Word's Spell Checker.")               \
  X(FilterDlgNoCriteria, "You have not selected any search criteria")                        \
  X(RecordViewExitWarning, "Changes have been made!  Do you wish to save your changes?")

class TqvUserMessagesIntl {
  QV_TEXT_RECORD(TqvUserMessagesIntl, QV_USER_MESSAGES)
};

// ---------------------------------------------------------------------------------------------
// All rich text component texts: 40 hints and captions, then the four sub-records.
#define QV_DBRICHEDIT_TEXTS(X)                                                               \
  X(FontNameComboHint, "Font | Changes the font of the selection")                           \
  X(FontSizeComboHint, "Font Size | Changes the font size of the selection")                 \
  X(NewButtonHint, "New | Creates a new document")                                           \
  X(LoadButtonHint, "Load | Load from file")                                                 \
  X(SaveAsButtonHint, "Save As | Save to file")                                              \
  X(PrintButtonHint, "Print | Prints the active document")                                   \
  X(FindButtonHint, "Find | Finds the specified text")                                       \
  X(CutButtonHint, "Cut | Cuts the selection and puts it on the Clipboard")                  \
  X(CopyButtonHint, "Copy | Copies the selection and puts it on the Clipboard")              \
  X(UndoButtonHint, "Undo | Reverses the last action")                                       \
  X(RedoButtonHint, "Redo | Reverses the last undo action")                                  \
  X(PasteButtonHint, "Paste | Inserts Clipboard contents")                                   \
  X(BoldButtonHint, "Bold | Makes the selection bold (toggle)")                              \
  X(ColorButtonHint, "Color | Formats the selection with a color")                           \
  X(UnderlineButtonHint, "Underline | Formats the selection with a continuous underline (toggle)") \
  X(ItalicButtonHint, "Italic | Makes the selection italic (toggle)")                        \
  X(LeftButtonHint, "Align Left | Left-justifies paragraph (toggle)")                        \
  X(CenterButtonHint, "Center | Center-justifies paragraph (toggle)")                        \
  X(RightButtonHint, "Align Right | Right-justifies paragraph (toggle)")                     \
  X(JustifyButtonHint, "Justify | Full Justification for paragraph (toggle)")                \
  X(BulletButtonHint, "Bullets | Inserts a bullet on this line (toggle)")                    \
  X(HighlightButtonHint, "Highlight Text | Makes the selection highlighted")                 \
  X(SaveExitHint, "Save And Exit | Saves changes and exits editor")                          \
  X(PageSetupHint, "Page Setup | Changes page layout settings")                              \
  X(ExitHint, "Exit")                                                                        \
  X(ClearHint, "Erases the Selection")                                                       \
  X(SelectAllHint, "Selects all of the text")                                                \
  X(FindNextHint, "Repeats the last find")                                                   \
  X(ReplaceHint, "Replaces specific text with different text")                               \
  X(InsertObjectHint, "Inserts new embedded object")                                         \
  X(SpellCheckHint, "Check spelling")                                                        \
  X(ToolbarHint, "Shows or hides the toolbar")                                               \
  X(FormatBarHint, "Shows or hides the format bar")                                          \
  X(ViewStatusBarHint, "Shows or hides the status bar")                                      \
  X(OptionsHint, "Sets options")                                                             \
  X(FontHint, "Selects font for current selection")                                          \
  X(ParagraphHint, "Formats current or selected paragraph(s)")                               \
  X(TabsHint, "Sets tabs")                                                                   \
  X(CAPLockCaption, "CAP")                                                                   \
  X(NUMLockCaption, "NUM")

class TqvDBRichEditIntl {
  QV_TEXT_RECORD(TqvDBRichEditIntl, QV_DBRICHEDIT_TEXTS)
  TqvDBRichEditIntl();
  ~TqvDBRichEditIntl();
  TqvDBRichEditIntl(const TqvDBRichEditIntl&) = delete;
  TqvDBRichEditIntl& operator=(const TqvDBRichEditIntl&) = delete;

  // The Redo button's hint: an empty value shows the default text.
  QString RedoButtonHintShown() const;

  // The sub-records (properties 41 to 44); owned, never replaced, only their values change.
  TqvRichEditMenuLabels* MenuLabels() const { return menuLabels_.get(); }
  TqvRichEditPopupMenuLabels* PopupMenuLabels() const { return popupMenuLabels_.get(); }
  TqvRichEditParagraphDlg* ParagraphDialog() const { return paragraphDialog_.get(); }
  TqvRichEditTabDlg* TabDialog() const { return tabDialog_.get(); }

 private:
  std::unique_ptr<TqvRichEditMenuLabels> menuLabels_;
  std::unique_ptr<TqvRichEditPopupMenuLabels> popupMenuLabels_;
  std::unique_ptr<TqvRichEditParagraphDlg> paragraphDialog_;
  std::unique_ptr<TqvRichEditTabDlg> tabDialog_;
};

// ---------------------------------------------------------------------------------------------
// The texts component.
class TqvIntl : public QObject {
  Q_OBJECT
 public:
  explicit TqvIntl(QObject* Owner = nullptr);
  ~TqvIntl() override;

  TqvDBRichEditIntl* RichEdit() const { return richEdit_.get(); }
  TqvUserMessagesIntl* UserMessages() const { return userMessages_.get(); }
  const QString& BtnOKCaption() const { return btnOKCaption_; }
  void SetBtnOKCaption(const QString& Value);
  const QString& BtnCancelCaption() const { return btnCancelCaption_; }
  void SetBtnCancelCaption(const QString& Value);

  bool Connected() const { return connected_; }
  // Turning it on copies this instance's texts into GlobalIntl.
  void SetConnected(bool Value);

  // Called when an instance read from a form description has all its properties.
  virtual void Loaded();

  // Copies every text of this instance into GlobalIntl's records, by value.
  void ApplyToGlobal();

 private:
  std::unique_ptr<TqvDBRichEditIntl> richEdit_;
  std::unique_ptr<TqvUserMessagesIntl> userMessages_;
  QString btnOKCaption_ = QStringLiteral("&OK");
  QString btnCancelCaption_ = QStringLiteral("Cancel");
  bool connected_ = false;
};

// The program-wide texts. Exists from start-up, before any window, until the end of the run.
extern TqvIntl* GlobalIntl;

}  // namespace richtext
