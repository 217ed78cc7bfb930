#include "app/Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>

#include "app/BeeIcon.h"
#include "app/BookCommands.h"
#include "app/DateLine.h"
#include "app/SearchBox.h"
#include "app/TermLinks.h"
#include "base/Colors.h"
#include "base/Exception.h"
#include "engine/RichEditTypes.h"
#include "engine/RichEngine.h"
#include "platform/Question.h"
#include "platform/Shell.h"

namespace app {

using namespace base;
using namespace gradient;

using data::dsBrowse;
using data::nbAllButtons;
using data::nbCancel;
using data::nbDelete;
using data::nbEdit;
using data::nbInsert;
using data::nbNext;
using data::nbPost;
using data::nbPrior;
using data::NavButton;
using data::TAutoIncField;
using data::TColumn;
using data::TDataSource;
using data::TDBGrid;
using data::TDBNavigator;
using data::TGraphicField;
using data::TIntegerField;
using data::TSmallintField;
using data::TStringField;
using data::TTable;

namespace {

constexpr TColor kTextBlue = 13500416;     // text of the panel, grid, editor and letter buttons
constexpr TColor kPanelColor = 14933983;
constexpr TColor kButtonTo = 13745839;
constexpr TColor kButtonOverTo = 12489846;
constexpr TColor kButtonClickedFrom = 13029334;
constexpr TColor kButtonClickedTo = 15463415;
constexpr int kCyrillicCharset = 204;  // the character set of the definitions' fonts

// A font given by face and character height in pixels; where the face is missing the desktop
// substitutes its nearest match at the same pixel height.
QFont PixelFont(const QString& face, int pixels) {
  QFont f(face);
  f.setPixelSize(pixels);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QFont SansSerif8() { return PixelFont(QStringLiteral("MS Sans Serif"), 11); }
QFont Verdana10() { return PixelFont(QStringLiteral("Verdana"), 13); }
QFont Verdana12() { return PixelFont(QStringLiteral("Verdana"), 16); }

void SetTextColor(QWidget* w, TColor c) {
  QPalette p = w->palette();
  const QColor q = ColorToQColor(c);
  p.setColor(QPalette::WindowText, q);
  p.setColor(QPalette::Text, q);
  p.setColor(QPalette::ButtonText, q);
  w->setPalette(p);
}

struct LetterDef {
  const char16_t* caption;
  int left, top;
  bool visible;
  bool ownFont;
};

// Lm1 ... Lm27: the Russian alphabet without Ё, Й, Щ, Ъ, Ы and Ь; Ю's button is kept but hidden.
const LetterDef kLetters[28] = {
    {},
    {u"А", 400, 36, true, true},   {u"Б", 424, 36, true, true},   {u"В", 448, 36, true, true},
    {u"Г", 472, 36, true, true},   {u"Д", 492, 36, true, true},   {u"Е", 516, 36, true, false},
    {u"Ж", 540, 36, true, false},  {u"З", 564, 36, true, false},  {u"И", 588, 36, true, false},
    {u"К", 612, 36, true, false},  {u"Л", 636, 36, true, false},  {u"М", 660, 36, true, false},
    {u"Н", 684, 36, true, false},  {u"О", 708, 36, true, false},  {u"П", 428, 292, true, false},
    {u"Р", 452, 292, true, false}, {u"С", 476, 292, true, false}, {u"Т", 500, 292, true, false},
    {u"У", 524, 292, true, false}, {u"Ф", 548, 292, true, false}, {u"Х", 572, 292, true, false},
    {u"Ц", 596, 292, true, false}, {u"Ч", 620, 292, true, false}, {u"Ш", 644, 292, true, false},
    {u"Э", 668, 292, true, false}, {u"Ю", 704, 4, false, false},  {u"Я", 692, 292, true, false},
};

void StyleGradientButton(TLmButton* b) {
  b->SetTextShadow(true);
  b->SetShowCaption(true);
  b->SetModalResult(0);
  b->SetSpacing(2);
  b->SetLayout(blGlyphLeft);
  TLmControlColors* c = b->Colors();
  c->SetDefaultFrom(clWhite);
  c->SetDefaultTo(kButtonTo);
  c->SetOverFrom(clWhite);
  c->SetOverTo(kButtonOverTo);
  c->SetClickedFrom(kButtonClickedFrom);
  c->SetClickedTo(kButtonClickedTo);
  c->SetHotTrack(clBlue);
  c->SetBorderColor(clGray);
  c->SetTextShadow(clWhite);
  b->SetFadeSpeed(fsMedium);
  b->SetShowFocusRect(true);
  b->SetHotTrack(false);
  b->SetGradientBorder(true);
  b->SetGroupIndex(0);
  b->SetAllowAllUp(false);
  b->SetDown(false);
  b->SetGradientType(gtVertical);
}

}  // namespace

TForm1::TForm1(const QString& databaseName, std::function<QDate()> today, QWidget* parent)
    : QWidget(parent), today_(today ? std::move(today) : [] { return QDate::currentDate(); }) {
  setObjectName(QStringLiteral("Form1"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral(" Termora \"Словарь пчеловода\""));
  setWindowIcon(BeeIcon());
  setFont(SansSerif8());
  SetTextColor(this, clWindowText);
  QPalette p = palette();
  p.setColor(QPalette::Window, ColorToQColor(clBtnFace));
  setPalette(p);
  setAutoFillBackground(true);
  resize(824, 348);

  BackupSource = QDir::homePath() + QStringLiteral("/vekTermora/termoraProject");
  BackupTarget = QDir::homePath() + QStringLiteral("/vekTermora/backup");

  CreateData(databaseName);
  CreateComponents();
  CreateSearch();
  CreateBookCommands();
  InstallExchangeActions(this);
  CreateLinks();

  // Master first, then the detail through its link.
  Table1->Open();
  Table2->Open();
  FormCreate(this);
}

TForm1::~TForm1() {
  // Closing the window stored a pending change already (closeEvent); what is left, the user chose
  // to drop, or the window was never closed. Closing the table drops it (a Cancel first would
  // only make the editor reload a definition that is about to go away). Nothing may escape a
  // destructor: a store that fails here has nothing left to lose.
  try {
    if (Table2 && Table2->Active()) Table2->Close();
    if (Table1 && Table1->Active()) Table1->Close();
  } catch (const std::exception& e) {
    qWarning("Termora: closing the tables: %s", e.what());
  }
}

void TForm1::CreateData(const QString& databaseName) {
  const QString folder = databaseName == QStringLiteral(".") ? QDir::currentPath() : databaseName;

  Table1 = new TTable(this);
  Table1->setObjectName(QStringLiteral("Table1"));
  Table1->SetDatabaseName(folder);
  Table1->SetTableName(QStringLiteral("tableMaster"));
  Table1IDMaster = new TAutoIncField(this);
  Table1IDMaster->SetFieldName(QStringLiteral("IDMaster"));
  Table1IDMaster->SetDataSet(Table1);
  Table1NumMaster = new TSmallintField(this);
  Table1NumMaster->SetFieldName(QStringLiteral("NumMaster"));
  Table1NumMaster->SetDataSet(Table1);
  Table1LetterMaster = new TStringField(this);
  Table1LetterMaster->SetFieldName(QStringLiteral("LetterMaster"));
  Table1LetterMaster->SetSize(1);
  Table1LetterMaster->SetDataSet(Table1);

  DataSource1 = new TDataSource(this);
  DataSource1->setObjectName(QStringLiteral("DataSource1"));
  DataSource1->SetDataSet(Table1);

  Table2 = new TTable(this);
  Table2->setObjectName(QStringLiteral("Table2"));
  Table2->SetDatabaseName(folder);
  Table2->SetTableName(QStringLiteral("tableDetail.DB"));
  Table2->SetIndexName(QStringLiteral("SecInxDetail"));
  Table2->SetMasterSource(DataSource1);
  Table2->SetMasterFields(QStringLiteral("IDMaster"));
  Table2IDDetail = new TAutoIncField(this);
  Table2IDDetail->SetFieldName(QStringLiteral("IDDetail"));
  Table2IDDetail->SetDataSet(Table2);
  Table2NumDetail = new TSmallintField(this);
  Table2NumDetail->SetFieldName(QStringLiteral("NumDetail"));
  Table2NumDetail->SetDataSet(Table2);
  Table2AssistDetail = new TIntegerField(this);
  Table2AssistDetail->SetFieldName(QStringLiteral("AssistDetail"));
  Table2AssistDetail->SetDataSet(Table2);
  Table2WordDetail = new TStringField(this);
  Table2WordDetail->SetFieldName(QStringLiteral("WordDetail"));
  Table2WordDetail->SetSize(40);
  Table2WordDetail->SetDataSet(Table2);
  Table2TextDetail = new TGraphicField(this);
  Table2TextDetail->SetFieldName(QStringLiteral("TextDetail"));
  Table2TextDetail->SetDataSet(Table2);

  DataSource2 = new TDataSource(this);
  DataSource2->setObjectName(QStringLiteral("DataSource2"));
  DataSource2->SetDataSet(Table2);
}

TLmButton* TForm1::CreateLetterButton(int n) {
  const LetterDef& d = kLetters[n];
  auto* b = new TLmButton(LmPanel1);
  b->setObjectName(QStringLiteral("Lm%1").arg(n));
  StyleGradientButton(b);
  if (d.ownFont) {
    b->SetFont(Verdana10());
    b->SetFontColor(kTextBlue);
  }
  b->SetCaption(QString::fromUtf16(d.caption));
  b->setGeometry(d.left, d.top, 25, 25);
  b->setVisible(d.visible);
  b->OnClick = [this, n](QObject* sender) {
    using Handler = void (TForm1::*)(QObject*);
    static constexpr Handler kHandlers[28] = {
        nullptr,           &TForm1::Lm1Click,  &TForm1::Lm2Click,  &TForm1::Lm3Click,  &TForm1::Lm4Click,
        &TForm1::Lm5Click,  &TForm1::Lm6Click,  &TForm1::Lm7Click,  &TForm1::Lm8Click,  &TForm1::Lm9Click,
        &TForm1::Lm10Click, &TForm1::Lm11Click, &TForm1::Lm12Click, &TForm1::Lm13Click, &TForm1::Lm14Click,
        &TForm1::Lm15Click, &TForm1::Lm16Click, &TForm1::Lm17Click, &TForm1::Lm18Click, &TForm1::Lm19Click,
        &TForm1::Lm20Click, &TForm1::Lm21Click, &TForm1::Lm22Click, &TForm1::Lm23Click, &TForm1::Lm24Click,
        &TForm1::Lm25Click, &TForm1::Lm26Click, &TForm1::Lm27Click};
    (this->*kHandlers[n])(sender);
  };
  Lm[n] = b;
  return b;
}

void TForm1::CreateComponents() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFont(Verdana10());
  SetTextColor(StatusBar1, clWindowText);
  StatusBar1->setGeometry(0, 328, 824, 20);

  LmPanel1 = new TLmPanel(this);
  LmPanel1->setObjectName(QStringLiteral("LmPanel1"));
  // Its background is built once, when every setting is in (see the end of this function).
  LmPanel1->BeginLoad();
  LmPanel1->setGeometry(4, 0, 817, 325);
  LmPanel1->SetColor(kPanelColor);
  LmPanel1->SetFont(SansSerif8());
  LmPanel1->SetFontColor(kTextBlue);
  LmPanel1->SetTextShadow(true);
  LmPanel1->SetShowCaption(true);
  LmPanel1->SetCaption(QString());
  LmPanel1->SetCaptionPosition(cpTopLeft);
  LmPanel1->SetCornerWidth(10);
  LmPanel1->SetBorderWidth(2);
  LmPanel1->SetBorderColor(clGray);
  LmPanel1->SetOuterColor(clBtnFace);
  LmPanel1->SetTextShadowColor(clWhite);
  LmPanel1->SetAntialiased(true);
  LmPanel1->SetGradient(false);
  LmPanel1->SetDefaultFrom(clWhite);
  LmPanel1->SetDefaultTo(kPanelColor);
  LmPanel1->SetGradientType(gtVertical);
  SetTextColor(LmPanel1, kTextBlue);

  DBGrid1 = new TDBGrid(LmPanel1);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->setGeometry(4, 8, 301, 277);
  DBGrid1->SetColor(ColorToQColor(clInfoBk));
  DBGrid1->setFont(Verdana12());
  DBGrid1->SetTextColor(ColorToQColor(kTextBlue));
  DBGrid1->SetTitleFont(SansSerif8());
  DBGrid1->SetTitleTextColor(ColorToQColor(kTextBlue));
  {
    TColumn& c = DBGrid1->AddColumn(QStringLiteral("WordDetail"));
    c.SetWidth(265);
    c.Title().SetCaption(QStringLiteral("Термин"));
    c.Title().SetAlignment(Qt::AlignHCenter);
    c.Title().SetFont(Verdana10());
    c.Title().SetTextColor(ColorToQColor(kTextBlue));
  }
  DBGrid1->SetDataSource(DataSource2);

  DBNavigator1 = new TDBNavigator(LmPanel1);
  DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
  DBNavigator1->setGeometry(76, 292, 182, 25);
  DBNavigator1->SetVisibleButtons(NavButton(nbPrior) | NavButton(nbNext) | NavButton(nbInsert) |
                                  NavButton(nbDelete) | NavButton(nbEdit) | NavButton(nbPost) |
                                  NavButton(nbCancel));
  DBNavigator1->SetShowHint(false);
  DBNavigator1->SetConfirmDelete(true);
  DBNavigator1->SetDataSource(DataSource2);

  qvDBRichEdit1 = new richtext::TqvDBRichEditSpell(LmPanel1);
  qvDBRichEdit1->setObjectName(QStringLiteral("qvDBRichEdit1"));
  qvDBRichEdit1->setGeometry(312, 64, 497, 221);
  qvDBRichEdit1->SetScrollBars(engine::ssVertical);
  qvDBRichEdit1->SetAutoURLDetect(false);
  qvDBRichEdit1->SetColor(base::clInfoBk);
  qvDBRichEdit1->setFont(Verdana12());
  qvDBRichEdit1->SetControlFontCharset(kCyrillicCharset);
  qvDBRichEdit1->SetControlFontColor(kTextBlue);
  qvDBRichEdit1->SetPrintJobName(QStringLiteral("Quillon 5"));
  qvDBRichEdit1->SetEditorCaption(QCoreApplication::translate("Form1", "Edit Rich Text"));
  qvDBRichEdit1->EditorPosition() = richtext::TqvFormPosition{0, 0, 0, 0};
  qvDBRichEdit1->SetMeasurementUnits(richtext::muInches);
  qvDBRichEdit1->PrintMargins() = richtext::TqvPrintMargins{1.0, 1.0, 1.0, 1.0};
  for (richtext::TqvRTFHeaderFooter* hf : {&qvDBRichEdit1->PrintHeader(), &qvDBRichEdit1->PrintFooter()}) {
    hf->VertMargin = 0.5;
    hf->Font = SansSerif8();
  }
  qvDBRichEdit1->SetRichEditVersion(2);
  qvDBRichEdit1->SetDataSource(DataSource2);
  qvDBRichEdit1->SetDataField(QStringLiteral("TextDetail"));

  // The rest in the order that puts later buttons above earlier ones ("Д" over "Г").
  for (int n = 1; n <= 18; ++n) CreateLetterButton(n);
  for (int n : {27, 26, 25, 22, 23, 20, 21, 24}) CreateLetterButton(n);

  LmButton1 = new TLmButton(LmPanel1);
  LmButton1->setObjectName(QStringLiteral("LmButton1"));
  StyleGradientButton(LmButton1);
  LmButton1->SetCaption(QStringLiteral("О программе"));
  LmButton1->setGeometry(516, 4, 93, 25);
  LmButton1->OnClick = [this](QObject* sender) { LmButton1Click(sender); };

  Button1 = new QPushButton(QStringLiteral("Button1"), LmPanel1);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(392, 8, 75, 25);
  Button1->setVisible(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });

  DBGrid2 = new TDBGrid(LmPanel1);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  DBGrid2->setGeometry(36, 40, 109, 161);
  DBGrid2->SetTitleFont(SansSerif8());
  DBGrid2->SetTitleTextColor(ColorToQColor(kTextBlue));
  {
    TColumn& c = DBGrid2->AddColumn(QStringLiteral("LetterMaster"));
    c.SetWidth(44);
    c.Title().SetCaption(QStringLiteral("Letter"));
  }
  DBGrid2->SetDataSource(DataSource1);
  DBGrid2->setVisible(false);

  DBNavigator2 = new TDBNavigator(LmPanel1);
  DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
  DBNavigator2->setGeometry(28, 220, 240, 25);
  DBNavigator2->SetVisibleButtons(nbAllButtons);
  DBNavigator2->SetDataSource(DataSource1);
  DBNavigator2->setVisible(false);

  CreateLetterButton(19);

  Button2 = new QPushButton(QStringLiteral("Backup"), LmPanel1);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(312, 8, 75, 25);
  Button2->setVisible(false);
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });

  // Tab order inside the panel: the grid, the navigator, the editor, the letters as they are
  // numbered, then the About button (hidden controls are skipped by the focus chain).
  QWidget* order[] = {DBGrid1, DBNavigator1, qvDBRichEdit1, Lm[1],  Lm[2],  Lm[3],  Lm[4],  Lm[5],
                      Lm[6],   Lm[7],        Lm[8],         Lm[9],  Lm[10], Lm[11], Lm[12], Lm[13],
                      Lm[14],  Lm[15],       Lm[16],        Lm[17], Lm[18], Lm[27], Lm[26], Lm[25],
                      Lm[22],  Lm[23],       Lm[20],        Lm[21], Lm[24], LmButton1, Button1, DBGrid2,
                      DBNavigator2, Lm[19], Button2};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  // The window is not shown yet, so the panel would hear of its size only at the show and build
  // its background twice: at its default size now and at its real size then. Told its size now,
  // it builds once here, and the resize at the show finds the background already that size.
  QResizeEvent sized(LmPanel1->size(), QSize());
  QCoreApplication::sendEvent(LmPanel1, &sized);
  LmPanel1->Loaded();
}

void TForm1::CreateSearch() {
  // Beside the layout rather than in it: the status bar's right end, which the date line leaves
  // free; the results show over the window only while there are some.
  SearchBox1 = new TSearchBox(Table2->DatabaseName(),
                              {Table1, Table1IDMaster, Table1LetterMaster, Table2, Table2IDDetail, DBGrid1}, this);
  StatusBar1->addPermanentWidget(SearchBox1);
  Table2->AfterCommit = [this](TTable*, const data::TStoreCommit& c) {
    SearchBox1->TermWritten(c);
    if (TermLinks1) TermLinks1->Forget();
  };
}

void TForm1::CreateLinks() {
  TermLinks1 = new TTermLinks(Table2->DatabaseName(),
                              {Table1, Table1IDMaster, Table2, Table2IDDetail, qvDBRichEdit1, this},
                              SearchBox1->Service(), this);
  qvDBRichEdit1->OnChooseLink = [this](richtext::TqvCustomRichEdit*, const QString& words) {
    return TermLinks1->ChooseLink(words);
  };
  qvDBRichEdit1->OnFollowLink = [this](richtext::TqvCustomRichEdit*, const QString& target) {
    return TermLinks1->Follow(target);
  };
  qvDBRichEdit1->OnLinkBroken = [this](richtext::TqvCustomRichEdit*, const QString& target) {
    return TermLinks1->IsBroken(target);
  };
  qvDBRichEdit1->OnLinkHint = [this](richtext::TqvCustomRichEdit*, const QString& target) {
    return TermLinks1->ToolTip(target);
  };
  // After the control's own items, including its link items.
  QMenu* popup = qvDBRichEdit1->BuiltInPopup();
  QAction* separator = popup->addSeparator();
  LinksHereItem = popup->addAction(QStringLiteral("Ссылки сюда…"));
  LinksHereItem->setObjectName(QStringLiteral("LinksHereItem"));
  connect(LinksHereItem, &QAction::triggered, this, [this] { TermLinks1->ShowLinksHere(); });
  FindMentionsItem = popup->addAction(QCoreApplication::translate("Form1", "Find mentions of other terms…"));
  FindMentionsItem->setObjectName(QStringLiteral("FindMentionsItem"));
  connect(FindMentionsItem, &QAction::triggered, this, [this] { TermLinks1->FindMentions(); });
  connect(popup, &QMenu::aboutToShow, this, [this, separator] {
    const bool term = TermLinks1->CurrentTerm() != 0;
    separator->setVisible(true);
    LinksHereItem->setEnabled(term);
    FindMentionsItem->setVisible(!qvDBRichEdit1->GetReadOnly());
    FindMentionsItem->setEnabled(term);
  });
  // Back and forward through the terms reached by links, wherever the focus is in the window.
  auto* back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
  back->setObjectName(QStringLiteral("LinkBackShortcut"));
  connect(back, &QShortcut::activated, this, [this] { TermLinks1->Back(); });
  auto* forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
  forward->setObjectName(QStringLiteral("LinkForwardShortcut"));
  connect(forward, &QShortcut::activated, this, [this] { TermLinks1->Forward(); });
  // How many terms link to the one about to go, before the navigator asks "Delete record?".
  DBNavigator1->BeforeAction = [this](data::TNavigateBtn button) {
    if (button == nbDelete) TermLinks1->TellBeforeDelete();
  };
}

void TForm1::CreateBookCommands() {
  TBookCommands::Targets t;
  t.folder = Table2->DatabaseName();
  t.letter = [this] { return Table1->Active() ? Table1LetterMaster->AsString() : QString(); };
  t.query = [this] { return SearchBox1->text(); };
  t.storePending = [this] { return platform::Guarded([this] { Table2->CheckBrowseMode(); }, this); };
  t.pageSetup = qvDBRichEdit1;
  BookCommands1 = new TBookCommands(t, this);
  // A menu on what is there, so the window's fixed layout stays as it is.
  BookCommands1->Attach(DBGrid1);
  BookCommands1->Attach(LmPanel1);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Only the status bar follows the window, on its bottom edge.
  const int h = StatusBar1->height();
  StatusBar1->setGeometry(0, height() - h, width(), h);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!StoreBeforeClosing()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

bool TForm1::StoreBeforeClosing() {
  if (!Table2 || !Table2->Active() || !data::IsEditMode(Table2->State())) return true;
  QString refused;
  try {
    // What the grid's editor and the definition hold goes into the record first; a record
    // nobody changed is left to the close, which drops it without reloading the definition.
    Table2->UpdateRecord();
    if (Table2->Modified()) Table2->Post();
    // A name the field refused stays typed in the grid (its error has been shown).
    if (DBGrid1->EditorMode() && DBGrid1->InplaceEditor()->isModified())
      refused = QCoreApplication::translate("Form1", "The term's name was not stored.");
  } catch (const std::exception& e) {
    refused = base::MessageOf(e);
  }
  if (refused.isEmpty()) return true;
  const platform::Question q{platform::ApplicationTitle(),
                             refused + QStringLiteral("\n\nClose Termora without storing the change?"),
                             platform::Icon::Warning, platform::Buttons::YesNo, platform::idNo};
  return platform::Ask(q, this) == platform::idYes;
}

void TForm1::FormCreate(QObject*) {
  // The date line is written once; it is not refreshed while the program runs.
  StatusBar1->showMessage(DateLine(today_()));

  if (Table2->State() != dsBrowse) return;
  SendJustifyMessages();
  // A glossary whose terms' file cannot be written is shown read-only, said once, here.
  if (const QString why = Table2->ReadOnlyReason(); !why.isEmpty()) {
    ShowReadOnly(why);
    return;
  }
  platform::Guarded([this] { Table2->Edit(); }, this);
}

void TForm1::ShowReadOnly(const QString& why) {
  platform::Inform(why + QStringLiteral(" Termora shows the glossary read-only."), platform::ApplicationTitle(),
                   platform::Icon::Warning, this);
  // The navigator's edit buttons and the definition follow the table, which refuses changes;
  // the status bar says so where the user looks.
  auto* mark = new QLabel(QStringLiteral("Только для чтения"), StatusBar1);
  mark->setObjectName(QStringLiteral("ReadOnlyMark"));
  mark->setToolTip(why);
  StatusBar1->addPermanentWidget(mark);
}

void TForm1::SendJustifyMessages() {
  // Straight to the engine's window: justified paragraphs show as justified only with advanced
  // typography on.
  engine::TRichEngine* engineWindow = qvDBRichEdit1->Handle();
  engineWindow->Perform(engine::EM_SETTYPOGRAPHYOPTIONS, engine::TO_ADVANCEDTYPOGRAPHY, engine::TO_ADVANCEDTYPOGRAPHY);
  engine::PARAFORMAT2 pf;
  pf.dwMask = engine::PFM_ALIGNMENT;
  pf.wAlignment = engine::PFA_JUSTIFY;
  engineWindow->Perform(engine::EM_SETPARAFORMAT, 0, reinterpret_cast<engine::LPARAM>(&pf));
}

void TForm1::PickLetter(int recNo) {
  // The current letter re-reads nothing and a letter the table does not hold does nothing:
  // the dataset's record-number positioning sees to both.
  platform::Guarded([this, recNo] { Table1->SetRecNo(recNo); }, this);
}

void TForm1::Lm1Click(QObject*) { PickLetter(1); }
void TForm1::Lm2Click(QObject*) { PickLetter(2); }
void TForm1::Lm3Click(QObject*) { PickLetter(3); }
void TForm1::Lm4Click(QObject*) { PickLetter(4); }
void TForm1::Lm5Click(QObject*) { PickLetter(5); }
void TForm1::Lm6Click(QObject*) { PickLetter(6); }
void TForm1::Lm7Click(QObject*) { PickLetter(7); }
void TForm1::Lm8Click(QObject*) { PickLetter(8); }
void TForm1::Lm9Click(QObject*) { PickLetter(9); }
void TForm1::Lm10Click(QObject*) { PickLetter(10); }
void TForm1::Lm11Click(QObject*) { PickLetter(11); }
void TForm1::Lm12Click(QObject*) { PickLetter(12); }
void TForm1::Lm13Click(QObject*) { PickLetter(13); }
void TForm1::Lm14Click(QObject*) { PickLetter(14); }
void TForm1::Lm15Click(QObject*) { PickLetter(15); }
void TForm1::Lm16Click(QObject*) { PickLetter(16); }
void TForm1::Lm17Click(QObject*) { PickLetter(17); }
void TForm1::Lm18Click(QObject*) { PickLetter(18); }
void TForm1::Lm19Click(QObject*) { PickLetter(19); }
void TForm1::Lm20Click(QObject*) { PickLetter(20); }
void TForm1::Lm21Click(QObject*) { PickLetter(21); }
void TForm1::Lm22Click(QObject*) { PickLetter(22); }
void TForm1::Lm23Click(QObject*) { PickLetter(23); }
void TForm1::Lm24Click(QObject*) { PickLetter(24); }
void TForm1::Lm25Click(QObject*) { PickLetter(25); }
void TForm1::Lm26Click(QObject*) { PickLetter(26); }
void TForm1::Lm27Click(QObject*) { PickLetter(27); }

QString TForm1::AboutText() {
  // The first line stays as it always was; the standards and laws the glossary was checked
  // against follow, as a reference book names them, with the date of that check.
  return QStringLiteral("В программе Termora использованы материалы сайтов ") +
         QStringLiteral("ru.wikipedia.org, bigenc.ru, fao.org, nationalbeeunit.com") +
         QStringLiteral("\n\nСтандарты и нормативные акты:\n"
                        "ГОСТ 19792-2017 «Мёд натуральный. Технические условия»;\n"
                        "ГОСТ 20728-2014 на пчелиные пакеты;\n"
                        "Ветеринарные правила содержания медоносных пчёл (приказ Минсельхоза "
                        "России № 65 от 19.05.2016);\n"
                        "Федеральный закон № 490-ФЗ «О пчеловодстве в Российской Федерации» (2020)."
                        "\n\nО лечении пчёл решают действующие ветеринарные правила вашей страны."
                        "\n\nТекст словаря сверен с источниками 11.12.2026");
}

void TForm1::LmButton1Click(QObject*) { platform::Inform(AboutText(), platform::ApplicationTitle(), platform::Icon::None, this); }

void TForm1::Button1Click(QObject*) {
  // Right after start the detail is being edited, so this acts only after a post or cancel.
  if (Table2->State() != dsBrowse) return;
  qvDBRichEdit1->SelAttributes().SetName(QStringLiteral("Verdana"));
  qvDBRichEdit1->SelAttributes().SetSize(12);
  SendJustifyMessages();
  platform::Guarded([this] { Table2->Edit(); }, this);
}

QString TForm1::BackupMessage(int result, bool anyOperationsAborted) {
  if (result == 0) return QStringLiteral("Оперция резервного копирования успешно завершена");
  if (anyOperationsAborted) return QStringLiteral("Выполнение операции резервного копирования прервано пользователем");
  return QStringLiteral("Ошибка выполнения операции резервного копирования");
}

void TForm1::Button2Click(QObject*) {
  platform::CopyOptions o;
  o.progressParent = this;
  const platform::CopyOutcome r = platform::CopyFolder(BackupSource, BackupTarget, o);
  if (r.result != platform::copyOk) qWarning("Termora: backup: %s", qPrintable(r.error));
  platform::Inform(BackupReport(r), platform::ApplicationTitle(), platform::Icon::None, this);
}

QString TForm1::BackupReport(const platform::CopyOutcome& outcome) {
  QString text = BackupMessage(outcome.result, outcome.anyOperationsAborted);
  // A copy that left something out is kept, but it is no backup to rely on: say what is missing.
  if (outcome.result == platform::copyIncomplete)
    text += QStringLiteral("\n\nКопия %1 неполна, не скопировано: %2")
                .arg(QDir::toNativeSeparators(outcome.copiedTo), outcome.leftOut.join(QLatin1String(", ")));
  return text;
}

}  // namespace app
