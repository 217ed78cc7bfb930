#include "richtext/editor/qvrich.h"

#include <QCoreApplication>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

#include "platform/Question.h"
#include "richtext/Qvintl.h"

namespace richtext {

namespace {

enum { mLeft, mTop, mRight, mBottom };

// A small picture of the sheet with its margins, so the choice can be seen before it is made.
class TqvPagePreview : public QWidget {
 public:
  explicit TqvPagePreview(std::function<void(QSizeF&, QMarginsF&)> Read, QWidget* Parent)
      : QWidget(Parent), read_(std::move(Read)) {
    setMinimumSize(120, 120);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QSizeF Sheet;
    QMarginsF M;
    read_(Sheet, M);
    if (Sheet.isEmpty()) return;
    QPainter P(this);
    P.setRenderHint(QPainter::Antialiasing);
    const double Scale = std::min((width() - 12) / Sheet.width(), (height() - 12) / Sheet.height());
    const QSizeF S = Sheet * Scale;
    const QRectF Page((width() - S.width()) / 2, (height() - S.height()) / 2, S.width(), S.height());
    P.fillRect(Page.translated(3, 3), palette().color(QPalette::Shadow));
    P.fillRect(Page, Qt::white);
    P.setPen(palette().color(QPalette::WindowText));
    P.drawRect(Page);
    const QRectF Body = Page.adjusted(M.left() * Scale, M.top() * Scale, -M.right() * Scale, -M.bottom() * Scale);
    if (Body.width() > 2 && Body.height() > 2) {
      P.setPen(QPen(Qt::gray, 1, Qt::DashLine));
      P.drawRect(Body);
      P.setPen(Qt::lightGray);
      for (double Y = Body.top() + 4; Y < Body.bottom() - 1; Y += 4) P.drawLine(QPointF(Body.left() + 2, Y), QPointF(Body.right() - 2, Y));
    }
  }

 private:
  std::function<void(QSizeF&, QMarginsF&)> read_;
};

}  // namespace

// ---- the form ---------------------------------------------------------------------------------

TqvPageSetupForm::TqvPageSetupForm(QWidget* Parent, const TValues& V, TqvMeasurementUnits Units, bool PaperEnabled)
    : QDialog(Parent), units_(Units), paperEnabled_(PaperEnabled) {
  setWindowTitle(QCoreApplication::translate("Editor", "Page Setup"));
  setObjectName(QStringLiteral("PageSetupForm"));
  auto* Layout = new QVBoxLayout(this);

  auto* PrinterGroup = new QGroupBox(QCoreApplication::translate("Editor", "Printer"), this);
  auto* PrinterLayout = new QFormLayout(PrinterGroup);
  printerBox_ = new QComboBox(PrinterGroup);
  printerBox_->setObjectName(QStringLiteral("PrinterBox"));
  printerBox_->addItems(platform::Printer().Printers());
  printerBox_->setCurrentIndex(V.PrinterIndex);
  PrinterLayout->addRow(QCoreApplication::translate("Editor", "&Name:"), printerBox_);
  Layout->addWidget(PrinterGroup);

  auto* Middle = new QHBoxLayout;
  auto* PaperGroup = new QGroupBox(QCoreApplication::translate("Editor", "Paper"), this);
  auto* PaperLayout = new QFormLayout(PaperGroup);
  paperBox_ = new QComboBox(PaperGroup);
  paperBox_->setObjectName(QStringLiteral("PaperBox"));
  for (int Code : platform::PaperCodes())
    paperBox_->addItem(QPageSize::name(platform::PageSizeOfPaperCode(Code)), Code);
  SelectPaper(V.PaperSize);
  PaperLayout->addRow(QCoreApplication::translate("Editor", "Si&ze:"), paperBox_);
  PaperGroup->setEnabled(PaperEnabled);
  Middle->addWidget(PaperGroup, 1);

  auto* OrientationGroup = new QGroupBox(QCoreApplication::translate("Editor", "Orientation"), this);
  auto* OrientationLayout = new QVBoxLayout(OrientationGroup);
  portrait_ = new QRadioButton(QCoreApplication::translate("Editor", "P&ortrait"), OrientationGroup);
  portrait_->setObjectName(QStringLiteral("PortraitButton"));
  landscape_ = new QRadioButton(QCoreApplication::translate("Editor", "L&andscape"), OrientationGroup);
  landscape_->setObjectName(QStringLiteral("LandscapeButton"));
  (V.Orientation == platform::DMORIENT_LANDSCAPE ? landscape_ : portrait_)->setChecked(true);
  OrientationLayout->addWidget(portrait_);
  OrientationLayout->addWidget(landscape_);
  Middle->addWidget(OrientationGroup);
  Layout->addLayout(Middle);

  auto* Bottom = new QHBoxLayout;
  const bool Inches = Units == muInches;
  auto* MarginGroup =
      new QGroupBox(Inches ? QCoreApplication::translate("Editor", "Margins (inches)")
                           : QCoreApplication::translate("Editor", "Margins (millimeters)"),
                    this);
  auto* MarginLayout = new QGridLayout(MarginGroup);
  const char* Labels[4] = {QT_TRANSLATE_NOOP("Editor", "&Left:"), QT_TRANSLATE_NOOP("Editor", "&Top:"),
                           QT_TRANSLATE_NOOP("Editor", "&Right:"), QT_TRANSLATE_NOOP("Editor", "&Bottom:")};
  const char* Names[4] = {"LeftEdit", "TopEdit", "RightEdit", "BottomEdit"};
  for (int I = 0; I < 4; ++I) {
    auto* Box = new QDoubleSpinBox(MarginGroup);
    Box->setObjectName(QString::fromLatin1(Names[I]));
    Box->setDecimals(Inches ? 3 : 2);
    Box->setSingleStep(Inches ? 0.125 : 1);
    Box->setRange(0, 100000);
    Box->setValue(Inches ? V.Margins[I] / 1000.0 : V.Margins[I] / 100.0);
    auto* Label = new QLabel(QCoreApplication::translate("Editor", Labels[I]), MarginGroup);
    Label->setBuddy(Box);
    MarginLayout->addWidget(Label, I / 2, (I % 2) * 2);
    MarginLayout->addWidget(Box, I / 2, (I % 2) * 2 + 1);
    margins_[I] = Box;
    connect(Box, &QDoubleSpinBox::valueChanged, this, [this] { preview_->update(); });
  }
  Bottom->addWidget(MarginGroup, 1);
  preview_ = new TqvPagePreview(
      [this](QSizeF& Sheet, QMarginsF& M) {
        Sheet = SheetInUnits();
        M = QMarginsF(margins_[mLeft]->value(), margins_[mTop]->value(), margins_[mRight]->value(),
                      margins_[mBottom]->value());
      },
      this);
  Bottom->addWidget(preview_);
  Layout->addLayout(Bottom);

  auto* Buttons = new QDialogButtonBox(this);
  Buttons->addButton(GlobalIntl->BtnOKCaption(), QDialogButtonBox::AcceptRole)->setDefault(true);
  Buttons->addButton(GlobalIntl->BtnCancelCaption(), QDialogButtonBox::RejectRole);
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Layout->addWidget(Buttons);

  connect(printerBox_, &QComboBox::currentIndexChanged, this, &TqvPageSetupForm::PrinterChanged);
  connect(paperBox_, &QComboBox::currentIndexChanged, this, &TqvPageSetupForm::PaperChanged);
  connect(portrait_, &QRadioButton::toggled, this, &TqvPageSetupForm::PaperChanged);
  PaperChanged();
}

void TqvPageSetupForm::SelectPaper(int Code) {
  int At = paperBox_->findData(Code);
  if (At < 0) {
    // A code without a paper of its own in the list is kept as it is unless another is chosen.
    bool Known = false;
    const QPageSize::PageSizeId Id = platform::PageSizeOfPaperCode(Code, &Known);
    paperBox_->addItem(Known ? QPageSize::name(Id) : QCoreApplication::translate("Editor", "Paper %1").arg(Code), Code);
    At = paperBox_->count() - 1;
  }
  paperBox_->setCurrentIndex(At);
}

QSizeF TqvPageSetupForm::SheetInUnits() const {
  const QPageSize Page(platform::PageSizeOfPaperCode(paperBox_->currentData().toInt()));
  QSizeF S = units_ == muInches ? Page.size(QPageSize::Inch) : Page.size(QPageSize::Millimeter);
  if (landscape_ && landscape_->isChecked()) S.transpose();
  return S;
}

void TqvPageSetupForm::PrinterChanged(int Index) {
  if (Index < 0) return;
  // Another printer brings its own settings; a paper the user chooses here stays chosen.
  const platform::TDeviceMode Mode = platform::Printer().DeviceModeOf(Index);
  (Mode.dmOrientation == platform::DMORIENT_LANDSCAPE ? landscape_ : portrait_)->setChecked(true);
  if (!paperEnabled_) SelectPaper(Mode.dmPaperSize);
}

void TqvPageSetupForm::PaperChanged() {
  // A margin can be no larger than the sheet it is on.
  const QSizeF Sheet = SheetInUnits();
  margins_[mLeft]->setMaximum(Sheet.width());
  margins_[mRight]->setMaximum(Sheet.width());
  margins_[mTop]->setMaximum(Sheet.height());
  margins_[mBottom]->setMaximum(Sheet.height());
  preview_->update();
}

TqvPageSetupForm::TValues TqvPageSetupForm::Values() const {
  TValues V;
  V.PrinterIndex = printerBox_->currentIndex();
  V.PaperSize = paperBox_->currentData().toInt();
  V.Orientation = landscape_->isChecked() ? platform::DMORIENT_LANDSCAPE : platform::DMORIENT_PORTRAIT;
  for (int I = 0; I < 4; ++I)
    V.Margins[I] = int(std::lround(margins_[I]->value() * (units_ == muInches ? 1000 : 100)));
  return V;
}

void TqvPageSetupForm::accept() {
  const QSizeF Sheet = SheetInUnits();
  const double Across = margins_[mLeft]->value() + margins_[mRight]->value();
  const double Down = margins_[mTop]->value() + margins_[mBottom]->value();
  if (Across >= Sheet.width() || Down >= Sheet.height()) {
    platform::Question Q;
    Q.caption = windowTitle();
    Q.text = QCoreApplication::translate("Editor", "The margins leave no room for the text on the page.");
    Q.icon = platform::Icon::Warning;
    platform::Ask(Q, this);
    margins_[Across >= Sheet.width() ? mLeft : mTop]->setFocus();
    return;
  }
  QDialog::accept();
}

void TqvPageSetupForm::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // Centred across the screen, a third of the way down.
  if (const QScreen* S = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect Screen = S->geometry();
    const QSize Size = frameGeometry().size();
    move(Screen.left() + (Screen.width() - Size.width()) / 2, Screen.top() + (Screen.height() - Size.height()) / 3);
  }
}

// ---- the component ----------------------------------------------------------------------------

bool TqvPageSetupDialog::Execute() {
  TqvCustomRichEdit* Edit = targetEdit_;
  if (Edit == nullptr) return false;
  platform::TPrinter& P = platform::Printer();
  bool Result = false;
  platform::Guarded(
      [&] {
        TqvPageSetupForm::TValues V;
        V.PrinterIndex = P.PrinterIndex();
        const platform::TDeviceMode Mode = P.DeviceMode();  // reports a missing printer
        const bool PaperEnabled = Edit->UsesPrinterSize();
        V.PaperSize = PaperEnabled ? Edit->PrintPageSize() & 0xFFFF : Mode.dmPaperSize;
        V.Orientation = Mode.dmOrientation;
        const TqvPrintMargins& M = Edit->PrintMargins();
        const double Values[4] = {M.Left, M.Top, M.Right, M.Bottom};
        for (int I = 0; I < 4; ++I) V.Margins[I] = int(std::trunc(Values[I] * 1000));

        TqvPageSetupForm Form(Edit->window(), V, Edit->MeasurementUnits(), PaperEnabled);
        Form.setWindowModality(Qt::ApplicationModal);
        if (Form.exec() != QDialog::Accepted) return;

        const TqvPageSetupForm::TValues Chosen = Form.Values();
        TqvPrintMargins& Margins = Edit->PrintMargins();
        Margins.Left = Chosen.Margins[mLeft] / 1000.0;
        Margins.Top = Chosen.Margins[mTop] / 1000.0;
        Margins.Right = Chosen.Margins[mRight] / 1000.0;
        Margins.Bottom = Chosen.Margins[mBottom] / 1000.0;
        P.SetPrinterIndex(Chosen.PrinterIndex);
        P.DeviceMode() = platform::TDeviceMode{Chosen.PaperSize, Chosen.Orientation};
        P.SetOrientation(Chosen.Orientation == platform::DMORIENT_LANDSCAPE ? platform::poLandscape
                                                                             : platform::poPortrait);
        Edit->SetPrintPageSize(Chosen.PaperSize);
        Edit->ApplyPrintPageSize();
        Result = true;
      },
      Edit->window());
  return Result;
}

}  // namespace richtext
