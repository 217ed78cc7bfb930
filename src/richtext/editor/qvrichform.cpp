// The editor window: its parts, the show sequence, the option rules and layout, and the
// handlers of its bars, menus and keys.

#include "richtext/editor/qvrichform.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyleOptionMenuItem>
#include <QVBoxLayout>

#include <optional>

#include "base/Colors.h"
#include "base/Exception.h"
#include "platform/Question.h"
#include "platform/Printer.h"
#include "richtext/Qvintl.h"
#include "richtext/editor/qvrich.h"
#include "richtext/qvRulerPanel.h"

using namespace engine;

namespace richtext {

namespace {

// The sizing frame's two 4-pixel borders: the layout counts the window's width with them, so the
// editing area is the window's width less 8.
constexpr int kFrameWidth = 8;
// The designed window of 610 × 455 less its frame, caption and menu bar.
constexpr int kClientWidth = 602;
constexpr int kClientHeight = 408;
// Files above this size (about a second and a half of reading) show a progress window.
constexpr qint64 kProgressFileSize = 1024 * 1024;
constexpr qint64 kReadChunk = 1024 * 1024;

const QString kFileFilter = QStringLiteral("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT");

TqvLockKeyReader& LockKeyReader() {
  static TqvLockKeyReader Reader = DesktopLockKeys;
  return Reader;
}

QColor Resolved(base::TColor C) { return base::ColorToQColor(C); }

QFont FormFont() {
  // "MS Sans Serif" at 11 pixels; where the face is missing the desktop substitutes its nearest.
  QFont F(QStringLiteral("MS Sans Serif"));
  F.setPixelSize(11);
  F.setStyleHint(QFont::SansSerif);
  return F;
}

// The window's filter "text|pattern|text|pattern" as file dialog filters. Patterns match either
// letter case, as file names on this desktop are case-sensitive.
QStringList DialogFilters(const QString& Filter) {
  const QStringList Parts = Filter.split(QLatin1Char('|'));
  QStringList R;
  for (int I = 0; I + 1 < Parts.size(); I += 2) {
    QString Text = Parts[I];
    const QString Pattern = Parts[I + 1];
    const int Paren = Text.lastIndexOf(QLatin1Char('('));
    if (Paren > 0) Text = Text.left(Paren).trimmed();
    QString Patterns = Pattern;
    if (Pattern.toLower() != Pattern) Patterns += QLatin1Char(' ') + Pattern.toLower();
    R << QStringLiteral("%1 (%2)").arg(Text, Patterns);
  }
  return R;
}

QString DefaultOpen(QWidget* Parent, const QString& Filter, int& FilterIndex) {
  QFileDialog D(Parent);
  D.setAcceptMode(QFileDialog::AcceptOpen);
  D.setFileMode(QFileDialog::ExistingFile);
  const QStringList Filters = DialogFilters(Filter);
  D.setNameFilters(Filters);
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return QString();
  FilterIndex = int(Filters.indexOf(D.selectedNameFilter())) + 1;
  return D.selectedFiles().constFirst();
}

QString DefaultSave(QWidget* Parent, const QString& Filter, const QString& DefaultExt, int& FilterIndex) {
  QFileDialog D(Parent);
  D.setAcceptMode(QFileDialog::AcceptSave);
  D.setFileMode(QFileDialog::AnyFile);
  // The window asks before replacing a file, once.
  D.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList Filters = DialogFilters(Filter);
  D.setNameFilters(Filters);
  D.setDefaultSuffix(DefaultExt);
  // A name typed without an extension takes the chosen kind's.
  QObject::connect(&D, &QFileDialog::filterSelected, &D, [&D, Filters, DefaultExt](const QString& F) {
    D.setDefaultSuffix(Filters.indexOf(F) == 1 ? QStringLiteral("txt") : DefaultExt);
  });
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return QString();
  FilterIndex = int(Filters.indexOf(D.selectedNameFilter())) + 1;
  return D.selectedFiles().constFirst();
}

// The print dialog over the program's printers: which printer, the file for the PDF printer,
// and how many copies (each printed whole, one after the other).
bool DefaultPrint(QWidget* Parent, TqvPrintChoice& Choice) {
  platform::TPrinter& P = platform::Printer();
  const QStringList Printers = P.Printers();
  QDialog D(Parent);
  D.setWindowTitle(QStringLiteral("Print"));
  auto* Form = new QFormLayout;
  auto* PrinterBox = new QComboBox(&D);
  PrinterBox->addItems(Printers);
  PrinterBox->setCurrentIndex(qBound(0, Choice.PrinterIndex, int(Printers.size()) - 1));
  auto* File = new QLineEdit(Choice.PdfFile, &D);
  File->setPlaceholderText(QStringLiteral("A new file in the Documents folder"));
  File->setMinimumWidth(File->fontMetrics().horizontalAdvance(File->placeholderText()) + 16);
  auto* Browse = new QPushButton(QStringLiteral("&Browse..."), &D);
  auto* FileRow = new QHBoxLayout;
  FileRow->addWidget(File, 1);
  FileRow->addWidget(Browse);
  auto* Copies = new QSpinBox(&D);
  Copies->setRange(1, 99);
  Copies->setValue(qMax(1, Choice.Copies));
  auto* Collate = new QCheckBox(QStringLiteral("C&ollate"), &D);
  Collate->setChecked(Choice.Collate);
  // Copies are printed whole, one after another.
  Collate->setEnabled(false);
  auto* CopiesRow = new QHBoxLayout;
  CopiesRow->addWidget(Copies);
  CopiesRow->addWidget(Collate);
  CopiesRow->addStretch();
  // Labels of their own: a row whose field is a layout gets no buddy, and its "&" would show.
  auto Row = [&](const QString& Caption, QWidget* Buddy, auto* Field) {
    auto* Label = new QLabel(Caption, &D);
    Label->setBuddy(Buddy);
    Form->addRow(Label, Field);
  };
  Row(QStringLiteral("&Printer:"), PrinterBox, PrinterBox);
  Row(QStringLiteral("&File:"), File, FileRow);
  Row(QStringLiteral("&Copies:"), Copies, CopiesRow);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &D);
  auto* Layout = new QVBoxLayout(&D);
  Layout->addLayout(Form);
  Layout->addWidget(Buttons);
  auto Follow = [&] {
    const bool Pdf = PrinterBox->currentText() == platform::TPrinter::PdfPrinterName();
    File->setEnabled(Pdf);
    Browse->setEnabled(Pdf);
    Copies->setEnabled(!Pdf);
  };
  Follow();
  QObject::connect(PrinterBox, &QComboBox::currentIndexChanged, &D, Follow);
  QObject::connect(Browse, &QPushButton::clicked, &D, [&] {
    const QString F = QFileDialog::getSaveFileName(&D, QStringLiteral("Print to File"), File->text(),
                                                   QStringLiteral("PDF files (*.pdf *.PDF)"));
    if (!F.isEmpty()) File->setText(F);
  });
  QObject::connect(Buttons, &QDialogButtonBox::accepted, &D, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &D, &QDialog::reject);
  if (D.exec() != QDialog::Accepted) return false;
  Choice.PrinterIndex = PrinterBox->currentIndex();
  Choice.PdfFile = File->text().trimmed();
  Choice.Copies = Copies->value();
  Choice.Collate = Collate->isChecked();
  return true;
}

// The colour menu's owner drawing: each item a swatch of its colour and its caption.
class TqvColorMenuStyle : public QProxyStyle {
 public:
  explicit TqvColorMenuStyle(QMenu* Menu) : QProxyStyle(), menu_(Menu) {}

  QSize sizeFromContents(ContentsType Type, const QStyleOption* Option, const QSize& Size,
                         const QWidget* Widget) const override {
    if (Type == CT_MenuItem && Widget == menu_) {
      const auto* Item = qstyleoption_cast<const QStyleOptionMenuItem*>(Option);
      const QFontMetrics M(MenuFont());
      const QString Text = Item ? Item->text : QString();
      // The caption starts 46 pixels in: a few more keep its last letter inside the menu.
      return {M.horizontalAdvance(Text) + 45 + 3, M.height() + 2};
    }
    return QProxyStyle::sizeFromContents(Type, Option, Size, Widget);
  }

  int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
    if (Widget == menu_ && (Metric == PM_MenuHMargin || Metric == PM_MenuVMargin)) return 0;
    return QProxyStyle::pixelMetric(Metric, Option, Widget);
  }

  void drawControl(ControlElement Element, const QStyleOption* Option, QPainter* P,
                   const QWidget* Widget) const override {
    const auto* Item = qstyleoption_cast<const QStyleOptionMenuItem*>(Option);
    if (Element != CE_MenuItem || Widget != menu_ || Item == nullptr) {
      QProxyStyle::drawControl(Element, Option, P, Widget);
      return;
    }
    const bool Selected = Item->state & State_Selected;
    const QRect R = Item->rect;
    P->save();
    P->fillRect(R, Resolved(Selected ? base::clHighlight : base::clBtnFace));
    const QRect Swatch(QPoint(R.left() + 3, R.top() + 2), QPoint(R.left() + 43 - 1, R.bottom() - 2));
    QColor Fill = Qt::black;
    for (QAction* A : menu_->actions())
      if (A->text() == Item->text) Fill = Resolved(TqvRichEditForm::ColorOf(A));
    P->fillRect(Swatch, Fill);
    P->setPen(Selected ? QColor(Qt::black) : Resolved(base::clWindowText));
    P->drawRect(Swatch.adjusted(0, 0, -1, -1));
    P->setFont(MenuFont());
    P->setPen(Resolved(Selected ? base::clHighlightText : base::clWindowText));
    const QRect TextRect(QPoint(Swatch.right() + 1 + 3, R.top()), R.bottomRight());
    P->drawText(TextRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextDontClip,
                Item->text);
    P->restore();
  }

  static QFont MenuFont() { return QApplication::font("QMenu"); }

 private:
  QMenu* menu_;
};

// The colour items: caption, value, item name. The names do not match their captions.
struct TColorItem {
  const char* Name;
  const char* Caption;
  base::TColor Value;
};
constexpr TColorItem kColorItems[16] = {
    {"Black1", "Black", 0x000000},    {"Green1", "Maroon", 0x000080}, {"Red1", "Green", 0x008000},
    {"Blue1", "Olive", 0x008080},     {"Yellow1", "Navy", 0x800000},  {"Purple1", "Purple", 0x800080},
    {"Teal1", "Teal", 0x808000},      {"Gray1", "Gray", 0x808080},    {"Silver1", "Silver", 0xC0C0C0},
    {"Red2", "Red", 0x0000FF},        {"Lime1", "Lime", 0x00FF00},    {"Yellow2", "Yellow", 0x00FFFF},
    {"Blue2", "Blue", 0xFF0000},      {"Fuchsia1", "Fuchsia", 0xFF00FF}, {"Aqua1", "Aqua", 0xFFFF00},
    {"White1", "White", 0xFFFFFF}};

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

TqvEditorDialogs& EditorDialogs() {
  static TqvEditorDialogs Dialogs{DefaultOpen, DefaultSave, DefaultPrint};
  return Dialogs;
}

void InstallRichEditForm() {
  QvRichEditHooks().CreateEditorWindow = [] { return new TqvRichEditForm(nullptr); };
}

// ---- speed buttons, bevels, status bar, font box ---------------------------------------------

TqvSpeedButton::TqvSpeedButton(QWidget* Parent) : QAbstractButton(Parent) {
  setFocusPolicy(Qt::NoFocus);
  resize(23, 22);
}

void TqvSpeedButton::SetGlyph(const QPixmap& Glyph) {
  glyph_ = Glyph;
  disabled_ = QvDisabledGlyph(Glyph);
  update();
}

void TqvSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  update();
}

void TqvSpeedButton::SetMargin(int Value) {
  if (margin_ == Value) return;
  margin_ = Value;
  update();
}

void TqvSpeedButton::enterEvent(QEnterEvent* E) {
  hot_ = true;
  update();
  QAbstractButton::enterEvent(E);
}

void TqvSpeedButton::leaveEvent(QEvent* E) {
  hot_ = false;
  update();
  QAbstractButton::leaveEvent(E);
}

void TqvSpeedButton::paintEvent(QPaintEvent*) {
  QPainter P(this);
  const QRect R = rect();
  const QColor Face = Resolved(base::clBtnFace), Light = Resolved(base::clBtnHighlight),
               Shadow = Resolved(base::clBtnShadow), Dark = Resolved(base::cl3DDkShadow);
  const bool Down = isDown() || isChecked();
  P.fillRect(R, Face);
  if (isChecked() && !isDown()) {
    // A button held down by its state shows the lighter, checked face.
    QColor Checked = Face;
    Checked.setRgb((Face.red() + 255) / 2, (Face.green() + 255) / 2, (Face.blue() + 255) / 2);
    P.fillRect(R.adjusted(1, 1, -1, -1), Checked);
  }
  auto Frame = [&](const QRect& F, const QColor& TopLeft, const QColor& BottomRight) {
    P.setPen(TopLeft);
    P.drawLine(F.topLeft(), F.topRight());
    P.drawLine(F.topLeft(), F.bottomLeft());
    P.setPen(BottomRight);
    P.drawLine(F.bottomLeft(), F.bottomRight());
    P.drawLine(F.topRight(), F.bottomRight());
  };
  if (flat_) {
    if (Down) Frame(R, Shadow, Light);
    else if (hot_ && isEnabled()) Frame(R, Light, Shadow);
  } else if (Down) {
    Frame(R, Dark, Light);
    Frame(R.adjusted(1, 1, -1, -1), Shadow, Face);
  } else {
    Frame(R, Light, Dark);
    Frame(R.adjusted(1, 1, -1, -1), Face, Shadow);
  }
  const QPixmap& G = isEnabled() ? glyph_ : disabled_;
  if (G.isNull()) return;
  const int X = margin_ >= 0 ? margin_ : (R.width() - G.width()) / 2;
  const int Y = (R.height() - G.height()) / 2;
  const int Shift = Down ? 1 : 0;
  P.drawPixmap(X + Shift, Y + Shift, G);
}

TqvBevel::TqvBevel(TShape Shape, QWidget* Parent) : QWidget(Parent), shape_(Shape) {}

void TqvBevel::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.setPen(Resolved(base::clBtnShadow));
  if (shape_ == bsTopLine) P.drawLine(0, 0, width() - 1, 0);
  else P.drawLine(0, 0, 0, height() - 1);
  P.setPen(Resolved(base::clBtnHighlight));
  if (shape_ == bsTopLine) P.drawLine(0, 1, width() - 1, 1);
  else P.drawLine(1, 0, 1, height() - 1);
}

TqvStatusBar::TqvStatusBar(QWidget* Parent) : QWidget(Parent) {}

void TqvStatusBar::SetPanelText(int Index, const QString& Text) {
  if (Index < 0 || Index >= panels_.size() || panels_[Index].Text == Text) return;
  panels_[Index].Text = Text;
  update();
}

void TqvStatusBar::SetPanelWidth(int Index, int Width) {
  if (Index < 0 || Index >= panels_.size() || panels_[Index].Width == Width) return;
  panels_[Index].Width = Width;
  update();
}

void TqvStatusBar::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.fillRect(rect(), Resolved(base::clBtnFace));
  int X = 0;
  for (const TPanel& Panel : panels_) {
    const QRect R(X, 2, Panel.Width - 2, height() - 2);
    if (Panel.Bevel) {
      P.setPen(Resolved(base::clBtnShadow));
      P.drawLine(R.topLeft(), R.topRight());
      P.drawLine(R.topLeft(), R.bottomLeft());
      P.setPen(Resolved(base::clBtnHighlight));
      P.drawLine(R.bottomLeft(), R.bottomRight());
      P.drawLine(R.topRight(), R.bottomRight());
    }
    P.setPen(Resolved(base::clBtnText));
    P.drawText(R.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, Panel.Text);
    X += Panel.Width;
  }
  // The size grip in the corner.
  for (int I = 0; I < 3; ++I) {
    const int D = 4 + I * 4;
    P.setPen(Resolved(base::clBtnHighlight));
    P.drawLine(width() - D, height() - 1, width() - 1, height() - D);
    P.setPen(Resolved(base::clBtnShadow));
    P.drawLine(width() - D + 1, height() - 1, width() - 1, height() - D + 1);
    P.drawLine(width() - D + 2, height() - 1, width() - 1, height() - D + 2);
  }
}

void TqvFontNameCombo::SetTextColor(const QColor& Color) {
  // A new palette restyles the box: only for a real change.
  if (TextColor() == Color) return;
  QPalette Pal = palette();
  Pal.setColor(QPalette::Text, Color);
  Pal.setColor(QPalette::ButtonText, Color);
  setPalette(Pal);
  if (lineEdit()) lineEdit()->setPalette(Pal);
}

QColor TqvFontNameCombo::TextColor() const { return palette().color(QPalette::Text); }

void TqvFontNameCombo::showPopup() {
  if (OnDropDown) OnDropDown();
  QComboBox::showPopup();
}

// ---- creation ---------------------------------------------------------------------------------

TqvRichEditForm::TqvRichEditForm(QWidget* Owner) : TqvRichEditorWindow(Owner) {
  setObjectName(QStringLiteral("qvRichEditForm"));
  setWindowTitle(QStringLiteral("Edit Rich Text"));
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
  DateandTime1 = MakeItem(Insert1, "DateandTime1", QStringLiteral("Date and Time"), None, nullptr);
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
  Spelling1 = MakeItem(Tools1, "Spelling1", QStringLiteral("&Spelling"), None, &TqvRichEditForm::Spelling1Click);
  Image(Spelling1, 0);

  ImageList1 = QvMenuImages();
}

void TqvRichEditForm::CreateColorMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  QAction** Items[16] = {&Black1, &Green1, &Red1,  &Blue1, &Yellow1, &Purple1,  &Teal1, &Gray1,
                         &Silver1, &Red2, &Lime1, &Yellow2, &Blue2, &Fuchsia1, &Aqua1, &White1};
  for (int I = 0; I < 16; ++I) {
    auto* A = new QAction(QString::fromLatin1(kColorItems[I].Caption), PopupMenu1);
    A->setObjectName(QString::fromLatin1(kColorItems[I].Name));
    A->setData(int(kColorItems[I].Value));
    PopupMenu1->addAction(A);
    *Items[I] = A;
  }
  Automatic1 = new QAction(QStringLiteral("Automatic"), PopupMenu1);
  Automatic1->setObjectName(QStringLiteral("Automatic1"));
  Automatic1->setData(int(base::clWindowText));
  PopupMenu1->addAction(Automatic1);
}

base::TColor TqvRichEditForm::ColorOf(const QAction* Item) {
  return Item ? base::TColor(Item->data().toInt()) : base::clBlack;
}

void TqvRichEditForm::FormCreate() {
  MenuCanvas = new TqvColorMenuStyle(PopupMenu1);
}

void TqvRichEditForm::FormDestroy() {
  if (PopupMenu1) PopupMenu1->setStyle(nullptr);
  delete MenuCanvas;
  MenuCanvas = nullptr;
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
  const bool Icons = O.Contains(reoShowMainMenuIcons);
  for (QMenu* M : {File1, Edit1, View1, Insert1, Format1, Tools1})
    for (QAction* A : M->actions()) {
      const QVariant Index = A->property(kImageIndex);
      A->setIcon(Icons && Index.isValid() ? ImageList1.value(Index.toInt()) : QIcon());
    }
  RichEdit1->setFocus(Qt::OtherFocusReason);
}

void TqvRichEditForm::PrepareColorMenu() {
  PopupMenu1->setStyle(MenuCanvas);
  for (QAction* A : PopupMenu1->actions()) {
    disconnect(A, &QAction::triggered, this, nullptr);
    connect(A, &QAction::triggered, this, [this, A] { platform::Guarded([&] { ColorItemClick(A); }, this); });
  }
  Automatic1->setData(int(RichEdit1->ControlFontColor()));
}

void TqvRichEditForm::ShowStatusHint(const QString& Hint) { StatusBar->SetPanelText(0, Hint); }

void TqvRichEditForm::FillFontNames() {
  // Every face this desktop can show is also one it prints (printing embeds the fonts), so the
  // printer's list would not narrow the screen's.
  QStringList Names;
  for (const QString& F : QFontDatabase::families())
    if (!QFontDatabase::isPrivateFamily(F)) Names << F;
  Names.sort(Qt::CaseInsensitive);
  FontNameCombo->clear();
  FontNameCombo->addItems(Names);
}

void TqvRichEditForm::ApplyOptionRules() {
  TqvRichEditOptions O = RichEdit1->EditorOptions();
  const bool RO = ReadOnlyEdit();
  if (RO)
    for (TqvRichEditOption M : {reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowFormatBar, reoShowToolBar,
                                reoShowStatusBar, reoShowRuler, reoShowSpellCheck})
      O.Exclude(M);
  if (!RichEdit1->ClassIs("TqvDBRichEditMSWord")) O.Exclude(reoShowSpellCheck);
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
  FontNameCombo->SetTextColor(NameIndex >= 0 ? Resolved(base::clWindowText) : QColor(0xFF, 0, 0));
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
  if (Failed) platform::Inform(QStringLiteral("Error in resize"), platform::ApplicationTitle(), platform::Icon::None, this);
}

void TqvRichEditForm::SetBars(bool ToolBarShown, bool FormatBarShown) {
  Toolbar->setVisible(ToolBarShown);
  ToolBarBevel->setVisible(ToolBarShown);
  FormatBar->setVisible(FormatBarShown);
  FormatBarBevel->setVisible(FormatBarShown);
  Toolbar1->setChecked(ToolBarShown);
  FormatBar1->setChecked(FormatBarShown);
}

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
    Q.caption = QStringLiteral("Confirm");
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

void TqvRichEditForm::ColorButtonClick() {
  const QPoint At = FormatBar->mapToGlobal(QPoint(ColorButton->x(), ColorButton->y() + ColorButton->height()));
  PopupMenu1->popup(QPoint(At.x() - 1, At.y()));
}

void TqvRichEditForm::ColorItemClick(QAction* Item) { RichEdit1->SelAttributes().SetColor(ColorOf(Item)); }

void TqvRichEditForm::FontNameComboDropDown() { FontNameCombo->SetTextColor(Qt::black); }

void TqvRichEditForm::FontNameComboCloseUp(int Index) {
  const QString Name = Index >= 0 ? FontNameCombo->itemText(Index) : FontNameCombo->currentText().trimmed();
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
    throw base::Exception(QStringLiteral("'%1' is not a valid font size. Enter a whole number of points from 1 to 1638.")
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
  Q.caption = QStringLiteral("Confirm");
  Q.text = GlobalIntl->UserMessages()->RichEditClearWarning();
  Q.icon = platform::Icon::Question;
  Q.buttons = platform::Buttons::OkCancel;
  if (platform::Ask(Q, this) != platform::idOk) return;
  RichEdit1->Clear();
  RichEdit1->SetModified(true);
}

bool TqvRichEditForm::RaiseMenuEvent(const TqvRTFNotifyEvent& Event) {
  bool DoDefault = true;
  if (Event) Event(this, RichEdit1, DoDefault);
  return DoDefault;
}

void TqvRichEditForm::Load1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuLoadClick)) return;
  int FilterIndex = 1;
  const QString File = EditorDialogs().Open(this, kFileFilter, FilterIndex);
  if (File.isEmpty()) return;
  LoadFile(File);
  RichEdit1->setFocus(Qt::OtherFocusReason);
}

void TqvRichEditForm::LoadFile(const QString& FileName) {
  QFile F(FileName);
  if (!F.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, F.errorString()));
  QByteArray Bytes;
  const qint64 Size = F.size();
  // A large file takes seconds to read and lay out: a progress window says so the whole time.
  std::optional<QProgressDialog> Progress;
  if (Size > kProgressFileSize) {
    // Read piece by piece, so the window keeps painting and the user can still stop.
    Progress.emplace(QStringLiteral("Loading \"%1\"…").arg(QFileInfo(FileName).fileName()),
                     QStringLiteral("Cancel"), 0, int(Size / kReadChunk) + 1, this);
    Progress->setWindowModality(Qt::WindowModal);
    Progress->setMinimumDuration(0);
    Bytes.reserve(Size);
    while (!F.atEnd()) {
      const QByteArray Chunk = F.read(kReadChunk);
      if (Chunk.isEmpty()) break;
      Bytes += Chunk;
      Progress->setValue(int(Bytes.size() / kReadChunk));
      if (Progress->wasCanceled()) return;
    }
    // The document is built in one piece from here: no more stopping, but the window stays up.
    Progress->setLabelText(QStringLiteral("Reading the document \"%1\" (%2 MB)…")
                               .arg(QFileInfo(FileName).fileName())
                               .arg(double(Size) / (1024 * 1024), 0, 'f', 1));
    Progress->setCancelButton(nullptr);
    Progress->setRange(0, 0);
    Progress->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  } else {
    Bytes = F.readAll();
  }
  if (F.error() != QFileDevice::NoError)
    throw EStreamError(QStringLiteral("Cannot read file \"%1\". %2").arg(FileName, F.errorString()));
  base::WaitCursor Wait;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::ReadOnly);
  RichEdit1->Lines().LoadFromStream(Buffer);
  // A loaded file is a change the window hands back on Save and Exit.
  RichEdit1->SetModified(true);
  RefreshControls();
}

void TqvRichEditForm::SaveAs1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuSaveAsClick)) return;
  int FilterIndex = 1;
  const QString File = EditorDialogs().Save(this, kFileFilter, QStringLiteral("rtf"), FilterIndex);
  if (File.isEmpty()) return;
  if (QFileInfo::exists(File)) {
    platform::Question Q;
    Q.caption = QStringLiteral("Confirm");
    Q.text = QStringLiteral("OK to overwrite %s").replace(QStringLiteral("%s"), File);
    Q.icon = platform::Icon::Question;
    Q.buttons = platform::Buttons::YesNoCancel;
    if (platform::Ask(Q, this) != platform::idYes) return;
  }
  SaveFile(File, FilterIndex == 2);
}

void TqvRichEditForm::SaveFile(const QString& FileName, bool AsPlainText) {
  base::WaitCursor Wait;
  if (AsPlainText) {
    RichEdit1->SetPlainText(true);
    base::ScopeGuard BackToRtf([this] { RichEdit1->SetPlainText(false); });
    RichEdit1->Lines().SaveToFile(FileName);
  } else {
    RichEdit1->Lines().SaveToFile(FileName);
  }
}

void TqvRichEditForm::SaveExit1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuSaveAndExitClick)) return;
  SetModalResult(mrOk);
}

void TqvRichEditForm::Exit1Click() { SetModalResult(mrCancel); }

void TqvRichEditForm::Print1Click() {
  if (!RaiseMenuEvent(SourceEdit->OnMenuPrintClick)) return;
  platform::TPrinter& P = platform::Printer();
  if (P.Printers().isEmpty()) throw base::Exception(platform::TPrinter::NoPrinterMessage());
  TqvPrintChoice Choice;
  Choice.PrinterIndex = P.PrinterIndex();
  Choice.PdfFile = P.OutputFileName();
  Choice.Copies = 1;
  Choice.Collate = true;
  if (!EditorDialogs().Print(this, Choice)) return;
  P.SetPrinterIndex(Choice.PrinterIndex);
  const bool Pdf = P.IsPdfPrinter();
  if (Pdf) P.SetOutputFileName(Choice.PdfFile);
  RichEdit1->PrintCopies(SourceEdit->PrintJobName(), Pdf ? 1 : qMax(1, Choice.Copies));
}

void TqvRichEditForm::PageSetup1Click() {
  TqvPageSetupDialog Dialog(this);
  Dialog.SetTargetEdit(RichEdit1);
  if (!Dialog.Execute()) return;
  if (RichEdit1->UsesPrinterSize()) {
    // The ruler takes the new page width, and the paragraph's right indent follows it.
    if (Ruler) Ruler->PageSetupApplied();
  } else {
    RichEdit1->SetFormatRect();
  }
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
