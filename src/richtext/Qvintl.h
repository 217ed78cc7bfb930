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
  X(FileCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&File"))                                \
  X(LoadCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Load"))                                \
  X(SaveAsCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Save &As"))                           \
  X(SaveExitCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Save and Exit"))                   \
  X(PrintCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Print"))                              \
  X(PageSetupCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Page Set&up"))                     \
  X(ExitCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "E&xit"))                                \
  X(EditCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Edit"))                                \
  X(UndoCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Undo"))                                \
  X(CutCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Cu&t"))                                  \
  X(CopyCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Copy"))                                \
  X(PasteCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Paste"))                              \
  X(ClearCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Cle&ar"))                              \
  X(SelectallCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Select A&ll"))                     \
  X(FindCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Find"))                                \
  X(FindNextCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Find &Next"))                       \
  X(ReplaceCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "R&eplace"))                          \
  X(InsertObjectCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Object..."))                   \
  X(ToolCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Tools"))                               \
  X(SpellCheckCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Check &Spelling"))                \
  X(InsertCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Insert"))                            \
  X(RulerCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Ruler"))                              \
  X(RedoCaption, "")                                                                                 \
  X(ViewCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&View"))                                \
  X(ToolbarCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Toolbar"))                          \
  X(FormatBarCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Format Bar"))                     \
  X(ViewStatusBarCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Status Bar"))                 \
  X(OptionsCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Options"))                          \
  X(FormatCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "F&ormat"))                            \
  X(FontCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Font"))                                \
  X(BulletStyleCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Bullet Style"))                 \
  X(ParagraphCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Paragraph"))                      \
  X(TabsCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "&Tabs"))                                \
  X(HelpCaption, QT_TRANSLATE_NOOP("TqvRichEditMenuLabels", "Help"))

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
  X(EditCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Edit"))                           \
  X(ViewCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&View"))                           \
  X(CutCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "Cu&t"))                             \
  X(CopyCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Copy"))                           \
  X(PasteCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Paste"))                         \
  X(FontCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Font"))                           \
  X(BulletStyleCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Bullet Style"))            \
  X(BoldCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "B&old"))                           \
  X(ItalicCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Italic"))                       \
  X(UnderlineCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Underline"))                 \
  X(ParagraphCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "P&aragraph"))                 \
  X(TabsCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Tabs"))                           \
  X(FindCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "Fin&d"))                           \
  X(ReplaceCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "&Replace"))                     \
  X(InsertObjectCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "Insert &Object..."))       \
  X(ObjectPropertiesCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "Object P&roperties"))  \
  X(SpellCheckCaption, QT_TRANSLATE_NOOP("TqvRichEditPopupMenuLabels", "Check &Spelling"))

class TqvRichEditPopupMenuLabels {
  QV_TEXT_RECORD(TqvRichEditPopupMenuLabels, QV_POPUP_LABELS)
};

// ---------------------------------------------------------------------------------------------
// Texts of the paragraph dialog. The four alignment texts also travel to the control as the
// chosen alignment (see TqvCustomRichEdit::SetParagraphFormat).
#define QV_PARAGRAPH_DLG(X)                                                  \
  X(ParagraphDlgCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Paragraph"))                  \
  X(IndentationGroupBoxCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Indentation"))         \
  X(LeftEditHint, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Left Indentation"))                  \
  X(RightEditHint, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Right Indentation"))                \
  X(FirstLineEditHint, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "First Line of Paragraph Indentation")) \
  X(AlignmentHint, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Changes Alignment of Paragraph"))   \
  X(LeftEditCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Left:"))                          \
  X(RightEditCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Right:"))                        \
  X(FirstLineEditCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "First line:"))               \
  X(SpacingGroupCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Spacing"))                    \
  X(BeforeParagraphCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "&Before"))                 \
  X(AfterParagraphCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Aft&er"))                   \
  X(WithinParagraphCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Li&ne Spacing"))           \
  X(WithinParagraphAtCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "&At"))                   \
  X(AlignmentCaption, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Alignment"))                     \
  X(AlignLeft, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Left"))                                 \
  X(AlignRight, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Right"))                               \
  X(AlignCenter, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Center"))                             \
  X(AlignJustify, QT_TRANSLATE_NOOP("TqvRichEditParagraphDlg", "Justify"))                           \
  X(SpacingSingle, "")                                                                               \
  X(Spacing1_5, "")                                                                                  \
  X(SpacingDouble, "")                                                                               \
  X(SpacingAtLeast, "")                                                                              \
  X(SpacingExactly, "")                                                                              \
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
  X(TabDlgCaption, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Tab"))                                    \
  X(TabGroupBoxCaption, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "&Tab Stop Position"))                \
  X(SetTabButtonCaption, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Set"))                              \
  X(ClearTabButtonCaption, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Clear"))                          \
  X(ClearAllButtonCaption, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Clear All"))                      \
  X(TabPositionEditHint, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Tab Position Edit Box"))            \
  X(ListBoxHint, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "List of tabs and their positions"))         \
  X(SetButtonHint, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Set a new tab position"))                 \
  X(ClearButtonHint, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Clear the selected tab position"))      \
  X(ClearAllButtonHint, QT_TRANSLATE_NOOP("TqvRichEditTabDlg", "Clear all the tabs"))

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
  X(qvDBGridDiscardChanges, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Discard changes to this record?")) \
  X(PictureValidateError, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Invalid characters. Field : "))  \
  X(LocateNoMatches, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "No matches found"))                   \
  X(LocateNoMoreMatches, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "No more matches found"))          \
  X(MemoChangesWarning, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Changes have been made!  Are you sure you wish to cancel?")) \
  X(RichEditExitWarning, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Changes have been made!  Do you wish to save your changes?")) \
  X(RichEditClearWarning, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Clear entire text?"))            \
  X(RichEditSpellCheckComplete, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "The spell check is complete.")) \
  X(RichEditMSWordNotFound, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Unable to start Microsoft Word's Spell Checker.")) \
  X(FilterDlgNoCriteria, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "You have not selected any search criteria")) \
  X(RecordViewExitWarning, QT_TRANSLATE_NOOP("TqvUserMessagesIntl", "Changes have been made!  Do you wish to save your changes?"))

class TqvUserMessagesIntl {
  QV_TEXT_RECORD(TqvUserMessagesIntl, QV_USER_MESSAGES)
};

// ---------------------------------------------------------------------------------------------
// All rich text component texts: 40 hints and captions, then the four sub-records.
#define QV_DBRICHEDIT_TEXTS(X)                                                               \
  X(FontNameComboHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Font | Changes the font of the selection")) \
  X(FontSizeComboHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Font Size | Changes the font size of the selection")) \
  X(NewButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "New | Creates a new document"))           \
  X(LoadButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Load | Load from file"))                 \
  X(SaveAsButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Save As | Save to file"))              \
  X(PrintButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Print | Prints the active document"))   \
  X(FindButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Find | Finds the specified text"))       \
  X(CutButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Cut | Cuts the selection and puts it on the Clipboard")) \
  X(CopyButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Copy | Copies the selection and puts it on the Clipboard")) \
  X(UndoButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Undo | Reverses the last action"))       \
  X(RedoButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Redo | Reverses the last undo action"))  \
  X(PasteButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Paste | Inserts Clipboard contents"))   \
  X(BoldButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Bold | Makes the selection bold (toggle)")) \
  X(ColorButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Color | Formats the selection with a color")) \
  X(UnderlineButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Underline | Formats the selection with a continuous underline (toggle)")) \
  X(ItalicButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Italic | Makes the selection italic (toggle)")) \
  X(LeftButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Align Left | Left-justifies paragraph (toggle)")) \
  X(CenterButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Center | Center-justifies paragraph (toggle)")) \
  X(RightButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Align Right | Right-justifies paragraph (toggle)")) \
  X(JustifyButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Justify | Full Justification for paragraph (toggle)")) \
  X(BulletButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Bullets | Inserts a bullet on this line (toggle)")) \
  X(HighlightButtonHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Highlight Text | Makes the selection highlighted")) \
  X(SaveExitHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Save And Exit | Saves changes and exits editor")) \
  X(PageSetupHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Page Setup | Changes page layout settings")) \
  X(ExitHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Exit"))                                        \
  X(ClearHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Erases the Selection"))                       \
  X(SelectAllHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Selects all of the text"))                \
  X(FindNextHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Repeats the last find"))                   \
  X(ReplaceHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Replaces specific text with different text")) \
  X(InsertObjectHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Inserts new embedded object"))         \
  X(SpellCheckHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Check spelling"))                        \
  X(ToolbarHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Shows or hides the toolbar"))               \
  X(FormatBarHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Shows or hides the format bar"))          \
  X(ViewStatusBarHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Shows or hides the status bar"))      \
  X(OptionsHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Sets options"))                             \
  X(FontHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Selects font for current selection"))          \
  X(ParagraphHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Formats current or selected paragraph(s)")) \
  X(TabsHint, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "Sets tabs"))                                   \
  X(CAPLockCaption, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "CAP"))                                   \
  X(NUMLockCaption, QT_TRANSLATE_NOOP("TqvDBRichEditIntl", "NUM"))

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
  QString btnOKCaption_ = QStringLiteral(QT_TRANSLATE_NOOP("TqvIntl", "&OK"));
  QString btnCancelCaption_ = QStringLiteral(QT_TRANSLATE_NOOP("TqvIntl", "Cancel"));
  bool connected_ = false;
};

// The program-wide texts. Exists from start-up, before any window, until the end of the run.
extern TqvIntl* GlobalIntl;

// Replaces each non-empty text of `Intl`'s records by its translation through the installed
// translators, the text itself being the source; a text without one stays as it is. Called once
// at start, after the program's translators are installed.
void TranslateTexts(TqvIntl* Intl);

}  // namespace richtext
