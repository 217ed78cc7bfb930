// The editor window: its parts, the show sequence, the option rules and layout, and the state of
// its bars following the selection. Its small widgets, handlers, file commands and colour menu
// live in the other qvrichform*.cpp units.

#include "richtext/editor/qvrichform.h"

#include <QCoreApplication>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/Colors.h"
#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/editor/qvrichform_p.h"
#include "richtext/qvRulerPanel.h"
#include "richtext/qvfonts.h"

using namespace engine;

namespace richtext {

namespace {

// The sizing frame's two 4-pixel borders: the layout counts the window's width with them, so the
// editing area is the window's width less 8.
constexpr int kFrameWidth = 8;
// The designed window of 610 × 455 less its frame, caption and menu bar.
constexpr int kClientWidth = 602;
constexpr int kClientHeight = 408;

TqvLockKeyReader& LockKeyReader() {
  static TqvLockKeyReader Reader = DesktopLockKeys;
  return Reader;
}

QFont FormFont() {
  // "MS Sans Serif" at 11 pixels; where the face is missing the desktop substitutes its nearest.
  QFont F(QStringLiteral("MS Sans Serif"));
  F.setPixelSize(11);
  F.setStyleHint(QFont::SansSerif);
  return F;
}

constexpr const char* kImageIndex = "ImageIndex";

void SetHint(QWidget* W, const QString& Hint) {
  W->setToolTip(ShortHint(Hint));
  W->setStatusTip(LongHint(Hint));
}
void SetHint(QAction* A, const QString& Hint) { A->setStatusTip(LongHint(Hint)); }

}  // namespace

// ---- seams ------------------------------------------------------------------------------------

TqvHintHandler& ApplicationOnHint() {
  static TqvHintHandler Handler;
  return Handler;
}

QString ShortHint(const QString& Hint) {
  const int Bar = int(Hint.indexOf(QLatin1Char('|')));
  return (Bar < 0 ? Hint : Hint.left(Bar)).trimmed();
}

QString LongHint(const QString& Hint) {
  const int Bar = int(Hint.indexOf(QLatin1Char('|')));
  return (Bar < 0 ? Hint : Hint.mid(Bar + 1)).trimmed();
}

TqvLockKeyReader SetLockKeyReader(TqvLockKeyReader Reader) {
  TqvLockKeyReader Old = std::move(LockKeyReader());
  LockKeyReader() = std::move(Reader);
  return Old;
}

void InstallRichEditForm() {
  QvRichEditHooks().CreateEditorWindow = [] { return new TqvRichEditForm(nullptr); };
}

// ---- creation ---------------------------------------------------------------------------------

TqvRichEditForm::TqvRichEditForm(QWidget* Owner) : TqvRichEditorWindow(Owner) {
  setObjectName(QStringLiteral("qvRichEditForm"));
  setWindowTitle(QCoreApplication::translate("Editor", "Edit Rich Text"));
  setFont(FormFont());
  QPalette Pal = palette();
  Pal.setColor(QPalette::Window, Resolved(base::clBtnFace));
  setPalette(Pal);
  setAutoFillBackground(true);
  setSizeGripEnabled(false);
  setModal(true);

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  Layout->setMenuBar(MainMenu1);
  Client = new QWidget(this);
  Client->setObjectName(QStringLiteral("Client"));
  Client->setMinimumSize(1, 1);
  Layout->addWidget(Client);
  Client->installEventFilter(this);

  CreateBars();
  CreateMenus();
  CreateColorMenu();
  resize(kClientWidth, kClientHeight + MainMenu1->sizeHint().height());
  FormCreate();
}

TqvRichEditForm::~TqvRichEditForm() {
  qApp->removeEventFilter(this);
  FormDestroy();
}

TqvSpeedButton* TqvRichEditForm::MakeButton(QWidget* Bar, const char* Name, int Left, TqvGlyph Glyph,
                                            void (TqvRichEditForm::*Click)()) {
  auto* B = new TqvSpeedButton(Bar);
  B->setObjectName(QString::fromLatin1(Name));
  B->SetGlyph(QvGlyphPixmap(Glyph));
  B->setGeometry(Left, Bar == Toolbar ? 1 : 2, 23, 22);
  if (Click) connect(B, &QAbstractButton::clicked, this, [this, Click] { platform::Guarded([&] { (this->*Click)(); }, this); });
  return B;
}

TqvBevel* TqvRichEditForm::MakeSeparator(QWidget* Bar, const char* Name, int Left) {
  auto* B = new TqvBevel(TqvBevel::bsLeftLine, Bar);
  B->setObjectName(QString::fromLatin1(Name));
  B->setGeometry(Left, 2, 2, Bar == Toolbar ? 20 : 22);
  return B;
}

void TqvRichEditForm::CreateBars() {
  auto Bar = [this](const char* Name, int Height) {
    auto* W = new QWidget(Client);
    W->setObjectName(QString::fromLatin1(Name));
    W->setAutoFillBackground(true);
    W->resize(kClientWidth, Height);
    return W;
  };
  ToolBarBevel = new TqvBevel(TqvBevel::bsTopLine, Client);
  ToolBarBevel->setObjectName(QStringLiteral("ToolBarBevel"));
  Toolbar = Bar("Toolbar", 24);
  FormatBarBevel = new TqvBevel(TqvBevel::bsTopLine, Client);
  FormatBarBevel->setObjectName(QStringLiteral("FormatBarBevel"));
  FormatBar = Bar("FormatBar", 26);
  RulerBevel = new TqvBevel(TqvBevel::bsTopLine, Client);
  RulerBevel->setObjectName(QStringLiteral("RulerBevel"));
  for (TqvBevel* B : {ToolBarBevel, FormatBarBevel, RulerBevel}) B->resize(kClientWidth, 2);
  ToolBarBevel->move(0, 0);
  Toolbar->move(0, 2);
  FormatBarBevel->move(0, 26);
  FormatBar->move(0, 28);

  NewButton = MakeButton(Toolbar, "NewButton", 7, glNew, &TqvRichEditForm::NewButtonClick);
  PrintButton = MakeButton(Toolbar, "PrintButton", 30, glPrint, &TqvRichEditForm::Print1Click);
  Bevel1 = MakeSeparator(Toolbar, "Bevel1", 56);
  FindButton = MakeButton(Toolbar, "FindButton", 61, glFind, &TqvRichEditForm::Find1Click);
  SpellButton = MakeButton(Toolbar, "SpellButton", 84, glSpell, &TqvRichEditForm::Spelling1Click);
  ToolbarBevel1 = MakeSeparator(Toolbar, "ToolbarBevel1", 110);
  CutButton = MakeButton(Toolbar, "CutButton", 115, glCut, &TqvRichEditForm::Cut1Click);
  CopyButton = MakeButton(Toolbar, "CopyButton", 138, glCopy, &TqvRichEditForm::Copy1Click);
  PasteButton = MakeButton(Toolbar, "PasteButton", 161, glPaste, &TqvRichEditForm::Paste1Click);
  Bevel2 = MakeSeparator(Toolbar, "Bevel2", 187);
  UndoButton = MakeButton(Toolbar, "UndoButton", 192, glUndo, &TqvRichEditForm::Undo1Click);
  RedoButton = MakeButton(Toolbar, "RedoButton", 215, glRedo, &TqvRichEditForm::Redo1Click);
  UserButtonBevel = MakeSeparator(Toolbar, "UserButtonBevel", 241);
  UserButtonBevel->hide();
  LoadButton1 = MakeButton(Toolbar, "LoadButton1", 415, glLoad, &TqvRichEditForm::Load1Click);
  SaveAsButton = MakeButton(Toolbar, "SaveAsButton", 437, glSaveAs, &TqvRichEditForm::SaveAs1Click);
  for (TqvSpeedButton* B : {LoadButton1, SaveAsButton}) {
    B->resize(22, 22);
    B->SetFlat(false);
    B->hide();
  }

  FontNameCombo = new TqvFontNameCombo(FormatBar);
  FontNameCombo->setObjectName(QStringLiteral("FontNameCombo"));
  FontNameCombo->setEditable(true);
  FontNameCombo->setInsertPolicy(QComboBox::NoInsert);
  FontNameCombo->setMaxVisibleItems(20);
  FontNameCombo->setGeometry(6, 3, 241, 21);
  FontNameCombo->OnDropDown = [this] { FontNameComboDropDown(); };
  connect(FontNameCombo, &QComboBox::activated, this,
          [this](int I) { platform::Guarded([&] { FontNameComboCloseUp(I); }, this); });
  FontSizeCombo = new QComboBox(FormatBar);
  FontSizeCombo->setObjectName(QStringLiteral("FontSizeCombo"));
  FontSizeCombo->setEditable(true);
  FontSizeCombo->setInsertPolicy(QComboBox::NoInsert);
  FontSizeCombo->setMaxVisibleItems(8);
  FontSizeCombo->setGeometry(255, 3, 50, 21);
  FontSizeCombo->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11"),
                           QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
                           QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
                           QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")});
  connect(FontSizeCombo, &QComboBox::activated, this,
          [this](int I) { platform::Guarded([&] { FontSizeComboCloseUp(I); }, this); });
  // A name or size typed and confirmed with Enter applies as a chosen one does.
  connect(FontNameCombo->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { platform::Guarded([&] { FontNameComboCloseUp(-1); }, this); });
  connect(FontSizeCombo->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { platform::Guarded([&] { FontSizeComboCloseUp(-1); }, this); });

  BoldButton = MakeButton(FormatBar, "BoldButton", 313, glBold, &TqvRichEditForm::BoldButtonClick);
  ItalicButton = MakeButton(FormatBar, "ItalicButton", 336, glItalic, &TqvRichEditForm::ItalicButtonClick);
  UnderlineButton = MakeButton(FormatBar, "UnderlineButton", 359, glUnderline, &TqvRichEditForm::UnderlineButtonClick);
  ColorButton = MakeButton(FormatBar, "ColorButton", 382, glColor, &TqvRichEditForm::ColorButtonClick);
  Bevel3 = MakeSeparator(FormatBar, "Bevel3", 408);
  LeftButton = MakeButton(FormatBar, "LeftButton", 413, glAlignLeft, &TqvRichEditForm::LeftButtonClick);
  CenterButton = MakeButton(FormatBar, "CenterButton", 436, glAlignCenter, &TqvRichEditForm::CenterButtonClick);
  RightButton = MakeButton(FormatBar, "RightButton", 459, glAlignRight, &TqvRichEditForm::RightButtonClick);
  JustifyButton = MakeButton(FormatBar, "JustifyButton", 482, glJustify, &TqvRichEditForm::JustifyButtonClick);
  Bevel4 = MakeSeparator(FormatBar, "Bevel4", 508);
  BulletButton = MakeButton(FormatBar, "BulletButton", 512, glBullets, &TqvRichEditForm::BulletButtonClick);
  HighlightButton = MakeButton(FormatBar, "HighlightButton", 536, glHighlight, &TqvRichEditForm::HighlightButtonClick);
  for (TqvSpeedButton* B : {BoldButton, ItalicButton, UnderlineButton, BulletButton, HighlightButton})
    B->setCheckable(true);
  for (TqvSpeedButton* B : {BoldButton, ItalicButton, UnderlineButton, BulletButton})
    connect(B, &QAbstractButton::pressed, this, [this, B] { BoldButtonMouseDown(B); });
  AlignmentGroup = new QButtonGroup(this);
  AlignmentGroup->setExclusive(true);
  for (TqvSpeedButton* B : {LeftButton, CenterButton, RightButton, JustifyButton}) {
    B->setCheckable(true);
    AlignmentGroup->addButton(B);
  }
  LeftButton->setChecked(true);

  StatusBar = new TqvStatusBar(Client);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->resize(kClientWidth, 19);
  StatusBar->Panels() = {{300, false, {}}, {32, true, {}}, {32, true, {}}, {18, false, {}}};
}

QAction* TqvRichEditForm::MakeItem(QMenu* Menu, const char* Name, const QString& Caption, const QKeySequence& Shortcut,
                                   void (TqvRichEditForm::*Click)()) {
  auto* A = new QAction(Caption, Menu);
  A->setObjectName(QString::fromLatin1(Name));
  if (!Shortcut.isEmpty()) A->setShortcut(Shortcut);
  Menu->addAction(A);
  if (Click) connect(A, &QAction::triggered, this, [this, Click] { platform::Guarded([&] { (this->*Click)(); }, this); });
  return A;
}

QAction* TqvRichEditForm::MakeSeparatorItem(QMenu* Menu, const char* Name) {
  QAction* A = Menu->addSeparator();
  A->setObjectName(QString::fromLatin1(Name));
  return A;
}

void TqvRichEditForm::CreateMenus() {
  auto TopMenu = [this](const char* Name, const QString& Caption) {
    auto* M = new QMenu(Caption, MainMenu1);
    M->setObjectName(QString::fromLatin1(Name));
    M->menuAction()->setObjectName(QString::fromLatin1(Name));
    MainMenu1->addMenu(M);
    return M;
  };
  auto Image = [](QAction* A, int Index) { A->setProperty(kImageIndex, Index); };
  const QKeySequence None;

  File1 = TopMenu("File1", QStringLiteral("&File"));
  Load1 = MakeItem(File1, "Load1", QStringLiteral("&Load"), None, &TqvRichEditForm::Load1Click);
  Image(Load1, 1);
  SaveAs1 = MakeItem(File1, "SaveAs1", QStringLiteral("Save &As"), None, &TqvRichEditForm::SaveAs1Click);
  Image(SaveAs1, 2);
  SaveExit1 = MakeItem(File1, "SaveExit1", QStringLiteral("&Save and Exit"), QKeySequence(Qt::CTRL | Qt::Key_S),
                       &TqvRichEditForm::SaveExit1Click);
  FileSep1 = MakeSeparatorItem(File1, "FileSep1");
  Print1 = MakeItem(File1, "Print1", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P),
                    &TqvRichEditForm::Print1Click);
  Image(Print1, 3);
  PageSetup1 = MakeItem(File1, "PageSetup1", QStringLiteral("Page Set&up"), None, &TqvRichEditForm::PageSetup1Click);
  FileSep2 = MakeSeparatorItem(File1, "FileSep2");
  Exit1 = MakeItem(File1, "Exit1", QStringLiteral("E&xit"), None, &TqvRichEditForm::Exit1Click);

  Edit1 = TopMenu("Edit1", QStringLiteral("&Edit"));
  connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
  Undo1 = MakeItem(Edit1, "Undo1", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                   &TqvRichEditForm::Undo1Click);
  // Ctrl+Z belongs to the Edit menu itself and undoes on release (see FormKeyUp); the item's
  // shortcut only works while the menu is open.
  Undo1->setShortcutContext(Qt::WidgetShortcut);
  Image(Undo1, 4);
  Redo1 = MakeItem(Edit1, "Redo1", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                   &TqvRichEditForm::Redo1Click);
  Image(Redo1, 5);
  EditSep1 = MakeSeparatorItem(Edit1, "EditSep1");
  Cut1 = MakeItem(Edit1, "Cut1", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), &TqvRichEditForm::Cut1Click);
  Image(Cut1, 7);
  Copy1 = MakeItem(Edit1, "Copy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                   &TqvRichEditForm::Copy1Click);
  Image(Copy1, 8);
  Paste1 = MakeItem(Edit1, "Paste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
                    &TqvRichEditForm::Paste1Click);
  Image(Paste1, 6);
  Clear1 = MakeItem(Edit1, "Clear1", QStringLiteral("Cle&ar"), None, &TqvRichEditForm::Clear1Click);
  SelectAll1 = MakeItem(Edit1, "SelectAll1", QStringLiteral("Select A&ll"), QKeySequence(Qt::CTRL | Qt::Key_A),
                        &TqvRichEditForm::SelectAll1Click);
  EditSep2 = MakeSeparatorItem(Edit1, "EditSep2");
  Find1 = MakeItem(Edit1, "Find1", QStringLiteral("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F),
                   &TqvRichEditForm::Find1Click);
  Image(Find1, 9);
  FindNext1 = MakeItem(Edit1, "FindNext1", QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3),
                       &TqvRichEditForm::FindNext1Click);
  Replace1 = MakeItem(Edit1, "Replace1", QStringLiteral("R&eplace"), QKeySequence(Qt::CTRL | Qt::Key_H),
                      &TqvRichEditForm::Replace1Click);

  View1 = TopMenu("View1", QStringLiteral("&View"));
  Toolbar1 = MakeItem(View1, "Toolbar1", QStringLiteral("&Toolbar"), None, &TqvRichEditForm::Toolbar1Click);
  FormatBar1 = MakeItem(View1, "FormatBar1", QStringLiteral("&Format Bar"), None, &TqvRichEditForm::FormatBar1Click);
  StatusBar1 = MakeItem(View1, "StatusBar1", QStringLiteral("&Status Bar"), None, &TqvRichEditForm::StatusBar1Click);
  Ruler1 = MakeItem(View1, "Ruler1", QStringLiteral("&Ruler"), None, &TqvRichEditForm::Ruler1Click);
  for (QAction* A : {Toolbar1, FormatBar1, StatusBar1, Ruler1}) {
    A->setCheckable(true);
    A->setChecked(true);
  }
  OptionsSep = MakeSeparatorItem(View1, "OptionsSep");
  OptionsSep->setVisible(false);
  Options1 = MakeItem(View1, "Options1", QStringLiteral("&Options"), None, nullptr);
  Options1->setVisible(false);

  Insert1 = TopMenu("Insert1", QStringLiteral("&Insert"));
  DateandTime1 = MakeItem(Insert1, "DateandTime1", QCoreApplication::translate("Editor", "Date and Time"), None, nullptr);
  DateandTime1->setVisible(false);
  InsertObject1 = MakeItem(Insert1, "InsertObject1", QStringLiteral("&Object..."), None,
                           &TqvRichEditForm::InsertObject1Click);

  Format1 = TopMenu("Format1", QStringLiteral("F&ormat"));
  Font1 = MakeItem(Format1, "Font1", QStringLiteral("&Font"), None, &TqvRichEditForm::Font1Click);
  Image(Font1, 11);
  BulletStyle1 = MakeItem(Format1, "BulletStyle1", QStringLiteral("&Bullet Style"), None,
                          &TqvRichEditForm::BulletStyle1Click);
  BulletStyle1->setCheckable(true);
  Image(BulletStyle1, 10);
  Paragraph1 = MakeItem(Format1, "Paragraph1", QStringLiteral("&Paragraph"), None, &TqvRichEditForm::Paragraph1Click);
  Image(Paragraph1, 12);
  Tabs1 = MakeItem(Format1, "Tabs1", QStringLiteral("&Tabs"), None, &TqvRichEditForm::Tabs1Click);

  Help1 = new QAction(QStringLiteral("Help"), MainMenu1);
  Help1->setObjectName(QStringLiteral("Help1"));
  Help1->setVisible(false);
  MainMenu1->addAction(Help1);

  Tools1 = TopMenu("Tools1", QStringLiteral("&Tools"));
  Spelling1 = MakeItem(Tools1, "Spelling1", QCoreApplication::translate("Editor", "&Spelling"), None, &TqvRichEditForm::Spelling1Click);
  Image(Spelling1, 0);

  ImageList1 = QvMenuImages();
}

// ---- window basics ----------------------------------------------------------------------------

int TqvRichEditForm::FormatBarBottom() const { return FormatBar->y() + FormatBar->height(); }

int TqvRichEditForm::PixelsPerInch() const {
  const QScreen* S = screen();
  return S ? qRound(S->logicalDotsPerInchY()) : 96;
}

int TqvRichEditForm::WindowWidth() const { return Client->width() + kFrameWidth; }

TqvRichEditOptions TqvRichEditForm::Options() const {
  return RichEdit1 ? RichEdit1->EditorOptions() : TqvRichEditOptions();
}

bool TqvRichEditForm::ReadOnlyEdit() const { return RichEdit1 && RichEdit1->GetReadOnly(); }

TqvRulerPanel* TqvRichEditForm::CreateRuler(TqvCustomRichEdit* Caller, QWidget* Parent, TqvCustomRichEdit* Edit,
                                            int Top) {
  return new TqvRulerPanel(Caller, Parent, Edit, Top);
}

bool TqvRichEditForm::InWindow(QObject* Object) const {
  auto* W = qobject_cast<QWidget*>(Object);
  return W && W->window() == this;
}

// ---- show sequence ----------------------------------------------------------------------------

void TqvRichEditForm::showEvent(QShowEvent* E) {
  TqvRichEditorWindow::showEvent(E);
  // Shown again after being minimised is no new showing.
  if (E->spontaneous() || shown_) return;
  shown_ = true;
  platform::Guarded([this] { FormShow(); }, this);
}

void TqvRichEditForm::FormShow() {
  if (RichEdit1 == nullptr || SourceEdit == nullptr) return;
  // The window sees keys before its controls.
  qApp->installEventFilter(this);
  PrepareColorMenu();
  SavedOnHint = ApplicationOnHint();
  ApplicationOnHint() = [this](const QString& Hint) { ShowStatusHint(Hint); };
  {
    const bool SourceModified = SourceEdit->Modified();
    CopyRichText(SourceEdit, RichEdit1);
    SourceEdit->SetModified(SourceModified);
    // The copy starts with the caret at the start; the editing goes on where it was, with the
    // same selection (anchor first, so a selection made backwards keeps its caret end).
    if (SourceEdit->HandleAllocated()) {
      const QTextCursor At = SourceEdit->Engine()->textCursor();
      RichEdit1->Engine()->SetSel({At.anchor(), At.position()});
    }
  }
  RichEdit1->SetGutterWidth(6);
  FillFontNames();
  UpdateKeyIndicators();
  RefreshControls();
  RichEdit1->SetModified(false);

  ApplyOptionRules();
  RelayoutToolbar();
  const TqvRichEditOptions O = Options();
  StatusBar->setVisible(O.Contains(reoShowStatusBar));
  FormatBar->setVisible(O.Contains(reoShowFormatBar));
  FormatBarBevel->setVisible(O.Contains(reoShowFormatBar));
  Toolbar->setVisible(O.Contains(reoShowToolBar));
  ToolBarBevel->setVisible(O.Contains(reoShowToolBar));
  if (Ruler) Ruler->setVisible(O.Contains(reoShowRuler));
  RulerBevel->setVisible(Ruler && O.Contains(reoShowRuler));
  Toolbar1->setChecked(!Toolbar->isHidden());
  FormatBar1->setChecked(!FormatBar->isHidden());
  StatusBar1->setChecked(!StatusBar->isHidden());
  Ruler1->setChecked(Ruler && !Ruler->isHidden());
  BorrowUserButtons();
  if (!O.Contains(reoFlatButtons)) ApplyNonFlatLook();

  const int Ppi = PixelsPerInch();
  if (Ppi != 96) {
    resize(width() * Ppi / 96, height() * Ppi / 96);
    for (int I = 1; I <= 3; ++I) StatusBar->SetPanelWidth(I, StatusBar->Panels()[I].Width * Ppi / 96);
  }
  ApplyTexts();
  RichEdit1->DoInitDialog(this);
  FormResize();
  // Scrolled once the text area has its size.
  RichEdit1->Engine()->ScrollCaret();
  const bool Icons = O.Contains(reoShowMainMenuIcons);
  for (QMenu* M : {File1, Edit1, View1, Insert1, Format1, Tools1})
    for (QAction* A : M->actions()) {
      const QVariant Index = A->property(kImageIndex);
      A->setIcon(Icons && Index.isValid() ? ImageList1.value(Index.toInt()) : QIcon());
    }
  RichEdit1->setFocus(Qt::OtherFocusReason);
}

void TqvRichEditForm::ShowStatusHint(const QString& Hint) { StatusBar->SetPanelText(0, Hint); }

void TqvRichEditForm::FillFontNames() {
  // Every face this desktop can show is also one it prints (printing embeds the fonts), so the
  // printer's list would not narrow the screen's.
  FontNameCombo->clear();
  FontNameCombo->addItems(QvFontFamilies());
}

void TqvRichEditForm::ApplyOptionRules() {
  TqvRichEditOptions O = RichEdit1->EditorOptions();
  const bool RO = ReadOnlyEdit();
  if (RO)
    for (TqvRichEditOption M : {reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowFormatBar, reoShowToolBar,
                                reoShowStatusBar, reoShowRuler, reoShowSpellCheck})
      O.Exclude(M);
  if (!RichEdit1->OffersSpelling()) O.Exclude(reoShowSpellCheck);
  RichEdit1->SetEditorOptions(O);

  auto Hide = [](std::initializer_list<QObject*> Parts) {
    for (QObject* P : Parts) {
      if (auto* A = qobject_cast<QAction*>(P)) A->setVisible(false);
      else if (auto* W = qobject_cast<QWidget*>(P)) W->hide();
    }
  };
  if (!O.Contains(reoShowLoad)) Hide({Load1, LoadButton1});
  if (!O.Contains(reoShowSaveAs)) Hide({SaveAs1, SaveAsButton});
  if (!O.Contains(reoShowPrint)) Hide({Print1, PrintButton});
  if (!O.Contains(reoShowSpellCheck) || RO) Hide({Tools1->menuAction(), Spelling1, SpellButton});
  if (!O.Contains(reoShowJustifyButton) || RO) Hide({JustifyButton});
  if (!O.Contains(reoShowInsertObject) || RichEdit1->OleOptions().Contains(reoDisableOLE) || RO)
    Hide({InsertObject1, Insert1->menuAction()});
  if (!O.Contains(reoShowPrint) && !O.Contains(reoShowPageSetup)) Hide({FileSep2});
  if (!O.Contains(reoShowPageSetup)) Hide({PageSetup1});
  if (!O.Contains(reoShowSaveExit)) Hide({SaveExit1});
  if (!O.Contains(reoShowLoad) && !O.Contains(reoShowSaveExit)) Hide({FileSep1});
  if (RO) Hide({Format1->menuAction(), View1->menuAction(), NewButton});
}

void TqvRichEditForm::RelayoutToolbar() {
  auto Right = [](const QWidget* W) { return W->x() + W->width(); };
  if (PrintButton->isHidden()) Bevel1->move(Bevel1->x() - PrintButton->width(), Bevel1->y());
  FindButton->move(Bevel1->x() + 5, FindButton->y());
  SpellButton->move(Right(FindButton), SpellButton->y());
  ToolbarBevel1->move(3 + Right(SpellButton->isHidden() ? FindButton : SpellButton), ToolbarBevel1->y());
  CutButton->move(ToolbarBevel1->x() + 5, CutButton->y());
  CopyButton->move(Right(CutButton), CopyButton->y());
  PasteButton->move(Right(CopyButton), PasteButton->y());
  Bevel2->move(Right(PasteButton) + 3, Bevel2->y());
  UndoButton->move(Bevel2->x() + 5, UndoButton->y());
  RedoButton->move(Right(UndoButton), RedoButton->y());
  if (!RedoButton->isHidden()) UserButtonBevel->move(3 + Right(RedoButton), UserButtonBevel->y());
  else if (!UndoButton->isHidden()) UserButtonBevel->move(3 + Right(UndoButton), UserButtonBevel->y());
  if (JustifyButton->isHidden()) {
    const int Ppi = PixelsPerInch();
    Bevel4->move(485 * Ppi / 96, Bevel4->y());
    BulletButton->move(Bevel4->x() + 5, BulletButton->y());
    HighlightButton->move(BulletButton->x() + 24 * Ppi / 96, HighlightButton->y());
  }
}

void TqvRichEditForm::BorrowUserButtons() {
  const bool Flat = Options().Contains(reoFlatButtons);
  QAbstractButton* First = SourceEdit->UserSpeedButton1();
  QAbstractButton* Second = SourceEdit->UserSpeedButton2();
  auto Borrow = [&](QAbstractButton* B, QPointer<QWidget>& SavedParent, int Left) {
    UserButtonBevel->show();
    SavedParent = B->parentWidget();
    B->setParent(Toolbar);
    B->show();
    if (auto* S = qobject_cast<TqvSpeedButton*>(B)) S->SetFlat(Flat);
    else B->setProperty("flat", Flat);
    B->setGeometry(Left, UndoButton->y(), B->width(), UndoButton->height());
  };
  const int AfterUndo = UndoButton->x() + UndoButton->width() + 32;
  if (First) Borrow(First, UserButton1Parent, AfterUndo);
  if (Second) Borrow(Second, UserButton2Parent, First ? First->x() + First->width() : AfterUndo);
}

void TqvRichEditForm::ApplyNonFlatLook() {
  Toolbar->resize(Toolbar->width(), Toolbar->height() + 4);
  FormatBar->resize(FormatBar->width(), FormatBar->height() + 2);
  for (QWidget* Bar : {Toolbar, FormatBar}) {
    const int Down = Bar == Toolbar ? 2 : 1;
    for (auto* B : Bar->findChildren<TqvSpeedButton*>(Qt::FindDirectChildrenOnly)) {
      B->move(B->x(), B->y() + Down);
      B->SetMargin(B->Margin() - 1);
      B->SetFlat(false);
    }
    for (auto* B : Bar->findChildren<TqvBevel*>(Qt::FindDirectChildrenOnly)) B->hide();
  }
}

void TqvRichEditForm::ApplyTexts() {
  const TqvDBRichEditIntl* T = GlobalIntl->RichEdit();
  const TqvRichEditMenuLabels* L = T->MenuLabels();
  if (Options().Contains(reoShowHints)) {
    SetHint(FontNameCombo, T->FontNameComboHint());
    SetHint(FontSizeCombo, T->FontSizeComboHint());
    SetHint(NewButton, T->NewButtonHint());
    // A menu item whose hint comes through a button takes the button's, after the button got it.
    const std::pair<TqvSpeedButton*, QString> Buttons[] = {
        {LoadButton1, T->LoadButtonHint()},   {SaveAsButton, T->SaveAsButtonHint()},
        {PrintButton, T->PrintButtonHint()},  {FindButton, T->FindButtonHint()},
        {CutButton, T->CutButtonHint()},      {CopyButton, T->CopyButtonHint()},
        {UndoButton, T->UndoButtonHint()},    {RedoButton, T->RedoButtonHintShown()},
        {PasteButton, T->PasteButtonHint()},  {BoldButton, T->BoldButtonHint()},
        {ColorButton, T->ColorButtonHint()},  {UnderlineButton, T->UnderlineButtonHint()},
        {ItalicButton, T->ItalicButtonHint()}, {LeftButton, T->LeftButtonHint()},
        {CenterButton, T->CenterButtonHint()}, {RightButton, T->RightButtonHint()},
        {JustifyButton, T->JustifyButtonHint()}, {BulletButton, T->BulletButtonHint()},
        {HighlightButton, T->HighlightButtonHint()}, {SpellButton, T->SpellCheckHint()}};
    for (const auto& [Button, Hint] : Buttons) SetHint(Button, Hint);
    const std::pair<QAction*, TqvSpeedButton*> Through[] = {
        {Load1, LoadButton1}, {SaveAs1, SaveAsButton}, {Print1, PrintButton}, {Find1, FindButton},
        {Cut1, CutButton},    {Copy1, CopyButton},     {Undo1, UndoButton},   {Paste1, PasteButton},
        {BulletStyle1, BulletButton}, {Spelling1, SpellButton}};
    for (const auto& [Item, Button] : Through) Item->setStatusTip(Button->statusTip());
    const std::pair<QAction*, QString> Items[] = {
        {SaveExit1, T->SaveExitHint()},     {PageSetup1, T->PageSetupHint()},   {Exit1, T->ExitHint()},
        {Clear1, T->ClearHint()},           {SelectAll1, T->SelectAllHint()},   {FindNext1, T->FindNextHint()},
        {Replace1, T->ReplaceHint()},       {InsertObject1, T->InsertObjectHint()}, {Toolbar1, T->ToolbarHint()},
        {FormatBar1, T->FormatBarHint()},   {StatusBar1, T->ViewStatusBarHint()}, {Options1, T->OptionsHint()},
        {Font1, T->FontHint()},             {Paragraph1, T->ParagraphHint()},   {Tabs1, T->TabsHint()}};
    for (const auto& [Item, Hint] : Items) SetHint(Item, Hint);
  } else {
    ApplicationOnHint() = nullptr;
  }
  const std::pair<QAction*, QString> Captions[] = {
      {File1->menuAction(), L->FileCaption()},   {Load1, L->LoadCaption()},
      {SaveAs1, L->SaveAsCaption()},             {SaveExit1, L->SaveExitCaption()},
      {Print1, L->PrintCaption()},               {PageSetup1, L->PageSetupCaption()},
      {Exit1, L->ExitCaption()},                 {Edit1->menuAction(), L->EditCaption()},
      {Undo1, L->UndoCaption()},                 {Cut1, L->CutCaption()},
      {Copy1, L->CopyCaption()},                 {Paste1, L->PasteCaption()},
      {Clear1, L->ClearCaption()},               {SelectAll1, L->SelectallCaption()},
      {Find1, L->FindCaption()},                 {FindNext1, L->FindNextCaption()},
      {Replace1, L->ReplaceCaption()},           {InsertObject1, L->InsertObjectCaption()},
      {Tools1->menuAction(), L->ToolCaption()},  {Spelling1, L->SpellCheckCaption()},
      {Insert1->menuAction(), L->InsertCaptionShown()}, {Ruler1, L->RulerCaptionShown()},
      {Redo1, L->RedoCaptionShown()},            {View1->menuAction(), L->ViewCaption()},
      {Toolbar1, L->ToolbarCaption()},           {FormatBar1, L->FormatBarCaption()},
      {StatusBar1, L->ViewStatusBarCaption()},   {Options1, L->OptionsCaption()},
      {Format1->menuAction(), L->FormatCaption()}, {Font1, L->FontCaption()},
      {BulletStyle1, L->BulletStyleCaption()},   {Paragraph1, L->ParagraphCaption()},
      {Tabs1, L->TabsCaption()},                 {Help1, L->HelpCaption()}};
  for (const auto& [Item, Caption] : Captions) Item->setText(Caption);
}

// ---- following the selection ------------------------------------------------------------------

void TqvRichEditForm::RichEdit1SelectionChange() {
  if (RichEdit1 && RichEdit1->isVisible()) RefreshControls();
}

void TqvRichEditForm::RefreshControls() {
  if (RichEdit1 == nullptr || !RichEdit1->HandleAllocated()) return;
  TqvCustomRichEdit* E = RichEdit1;
  const bool RO = ReadOnlyEdit();
  // One read of the selection's character format serves the style, face and size.
  CHARFORMAT2 Format;
  Format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE | CFM_SIZE | CFM_BACKCOLOR;
  E->Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  BoldButton->setChecked(Format.dwEffects & CFE_BOLD);
  UnderlineButton->setChecked(Format.dwEffects & CFE_UNDERLINE);
  ItalicButton->setChecked(Format.dwEffects & CFE_ITALIC);

  // The boxes change only where the selection differs, so a caret moving inside one run of text
  // leaves them alone.
  auto Show = [](QComboBox* Box, const QString& Text, int Index) {
    if (Index >= 0) {
      if (Box->currentIndex() != Index) Box->setCurrentIndex(Index);
    } else {
      if (Box->currentIndex() != -1) Box->setCurrentIndex(-1);
      if (Box->currentText() != Text) Box->setEditText(Text);
    }
  };
  const QString Name = FaceName(Format);
  const int NameIndex = FontNameCombo->findText(Name, Qt::MatchFixedString);
  Show(FontNameCombo, Name, NameIndex);
  // Red warns that the text is drawn in a face unrelated to the one it names.
  FontNameCombo->SetTextColor(NameIndex >= 0 || QvFontIsDrawn(Name) ? Resolved(base::clWindowText)
                                                                    : QColor(0xFF, 0, 0));
  const QString Size = QString::number(Format.yHeight / 20);
  Show(FontSizeCombo, Size, FontSizeCombo->findText(Size));

  PARAFORMAT2 Para;
  E->GetParagraphFormat(Para);
  BulletButton->setChecked(Para.wNumbering != 0);
  BulletStyle1->setChecked(BulletButton->isChecked());

  const base::TColor Back = E->RichEditVersion() < 2 ? E->GetSelBackColor() : base::TColor(Format.crBackColor);
  HighlightButton->setChecked(base::ColorToRGB(Back) == base::ColorToRGB(E->HighlightColor()));

  // Justified shows as justified only with advanced typography, which the control keeps on.
  switch (Para.wAlignment) {
    case PFA_JUSTIFY: JustifyButton->setChecked(true); break;
    case PFA_RIGHT: RightButton->setChecked(true); break;
    case PFA_CENTER: CenterButton->setChecked(true); break;
    default: LeftButton->setChecked(true); break;
  }

  Paste1->setEnabled(E->CanPaste() && !RO);
  PasteButton->setEnabled(Paste1->isEnabled() && !RO);
  Undo1->setEnabled(E->Perform(EM_CANUNDO) != 0);
  Redo1->setEnabled(E->Perform(EM_CANREDO) != 0);
  UndoButton->setEnabled(Undo1->isEnabled());
  RedoButton->setEnabled(Redo1->isEnabled());
  const bool Selected = E->HasSelection();
  Cut1->setEnabled(Selected && !RO);
  CutButton->setEnabled(Selected && !RO);
  Clear1->setEnabled(Selected && !RO);
  Copy1->setEnabled(Selected);
  CopyButton->setEnabled(Selected);
  // Text is present when there is more than one line or one line that is not empty, which is to
  // say any character at all.
  const bool Present = E->GetTextLen() > 0;
  SelectAll1->setEnabled(Present);
  Find1->setEnabled(Present);
  FindButton->setEnabled(Present);
  Replace1->setEnabled(Present && !RO);
  FindNext1->setEnabled(!E->LastFindText().isEmpty());
  if (Ruler) Ruler->UpdateMarkers();
}

void TqvRichEditForm::UpdateKeyIndicators() {
  const TqvLockKeys Keys = LockKeyReader() ? LockKeyReader()() : TqvLockKeys();
  const TqvDBRichEditIntl* T = GlobalIntl->RichEdit();
  StatusBar->SetPanelText(2, Keys.NumLock ? T->NUMLockCaption() : QString());
  StatusBar->SetPanelText(1, Keys.CapsLock ? T->CAPLockCaption() : QString());
}

// ---- layout -----------------------------------------------------------------------------------

void TqvRichEditForm::FormResize() {
  if (RichEdit1 == nullptr) return;
  RichEdit1->Perform(WM_SETREDRAW, 0);
  bool Failed = false;
  try {
    const int Ppi = PixelsPerInch();
    StatusBar->SetPanelWidth(0, WindowWidth() - 90 * Ppi / 96);
    // The bars stack from the top, each under its bevel.
    int Top = 0;
    for (auto [Bevel, Bar] : {std::pair<QWidget*, QWidget*>{ToolBarBevel, Toolbar}, {FormatBarBevel, FormatBar}}) {
      Bevel->setGeometry(0, Top, Client->width(), 2);
      Bar->setGeometry(0, Top + 2, Client->width(), Bar->height());
      if (!Bar->isHidden()) Top += Bar->height() + 2;
    }
    if (Ruler && !Ruler->isHidden()) {
      RulerBevel->setGeometry(0, Top, Client->width(), 2);
      Ruler->move(Ruler->x(), Top + 2);
      Top += Ruler->height() + 2;
    }
    int Height = Client->height() - Top;
    if (!StatusBar->isHidden()) Height -= StatusBar->height();
    RichEdit1->setGeometry(RichEdit1->x(), Top, WindowWidth() - 8, qMax(0, Height));
    // The right marker's reach follows the strip; then the markers follow the paragraph.
    if (Ruler) Ruler->WindowResized(WindowWidth());
    if (!StatusBar->isHidden())
      StatusBar->setGeometry(0, RichEdit1->y() + RichEdit1->height(), RichEdit1->width(), StatusBar->height());
  } catch (const std::exception&) {
    Failed = true;
  }
  RichEdit1->SetFormatRect();
  if (RichEdit1->UsesPrinterSize()) {
    // A width change makes the engine lay the text out again.
    RichEdit1->resize(RichEdit1->width() + 1, RichEdit1->height());
    RichEdit1->resize(RichEdit1->width() - 1, RichEdit1->height());
  }
  RichEdit1->Perform(WM_SETREDRAW, 1);
  RichEdit1->update();
  if (Failed) platform::Inform(QCoreApplication::translate("Editor", "Error in resize"), platform::ApplicationTitle(), platform::Icon::None, this);
}

void TqvRichEditForm::SetBars(bool ToolBarShown, bool FormatBarShown) {
  Toolbar->setVisible(ToolBarShown);
  ToolBarBevel->setVisible(ToolBarShown);
  FormatBar->setVisible(FormatBarShown);
  FormatBarBevel->setVisible(FormatBarShown);
  Toolbar1->setChecked(ToolBarShown);
  FormatBar1->setChecked(FormatBarShown);
}

}  // namespace richtext
