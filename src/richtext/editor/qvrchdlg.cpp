#include "richtext/editor/qvrchdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "engine/RichEditTypes.h"
#include "richtext/Qvintl.h"
#include "richtext/qvriched.h"

namespace richtext {

namespace {
// 22 inches either way: the widest length the engine is given.
constexpr int kMaxLengthTwips = 31680;
// The mask of everything but bullet and tabs.
constexpr unsigned kParagraphMask =
    pmAlignment | pmOffset | pmRightIndent | pmStartIndent | pmSpaceBefore | pmSpaceAfter | pmLineSpacing;
static_assert(kParagraphMask == 477);

QLineEdit* MakeEdit(QWidget* Parent, const char* Name, int X, int Y, int Width) {
  auto* E = new QLineEdit(Parent);
  E->setObjectName(QLatin1String(Name));
  E->setGeometry(X, Y, Width, 21);
  return E;
}

QLabel* MakeLabel(QWidget* Parent, const char* Name, int X, int Y, QWidget* Buddy = nullptr) {
  auto* L = new QLabel(Parent);
  L->setObjectName(QLatin1String(Name));
  L->move(X, Y);
  if (Buddy) L->setBuddy(Buddy);
  return L;
}

QFrame* MakeBevel(QWidget* Parent, const char* Name, int X, int Y, int Width) {
  auto* B = new QFrame(Parent);
  B->setObjectName(QLatin1String(Name));
  B->setFrameShape(QFrame::HLine);
  B->setFrameShadow(QFrame::Sunken);
  B->setGeometry(X, Y, Width, 2);
  return B;
}

QString PlainNumber(double Value) {
  QLocale L;
  L.setNumberOptions(QLocale::OmitGroupSeparator);
  return L.toString(Value, 'g', 15);
}
}  // namespace

QFont QvDialogFont() {
  QFont F;
  // Faces of about the width the forms were laid out for come before the desktop's default.
  F.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                 QStringLiteral("Nimbus Sans")});
  F.setStyleHint(QFont::SansSerif);
  F.setPixelSize(11);
  return F;
}

TqvRichParagraphDialog::TqvRichParagraphDialog(QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("qvRichParagraphDialog"));
  setWindowTitle(QStringLiteral("Paragraph"));
  setFont(QvDialogFont());
  setFixedSize(331, 229);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  // A lowered outer and a raised inner bevel: an etched edge.
  Panel1->setFrameShape(QFrame::Box);
  Panel1->setFrameShadow(QFrame::Sunken);
  Panel1->setGeometry(6, 8, 321, 185);

  AlignmentCombo = new QComboBox(Panel1);
  AlignmentCombo->setObjectName(QStringLiteral("AlignmentCombo"));
  AlignmentCombo->setGeometry(72, 9, 89, 21);
  AlignmentCombo->setMaxVisibleItems(8);
  Label4 = MakeLabel(Panel1, "Label4", 8, 12, AlignmentCombo);
  Bevel1 = MakeBevel(Panel1, "Bevel1", 68, 48, 250);
  GroupBox1 = MakeLabel(Panel1, "GroupBox1", 7, 41);
  LeftEdit = MakeEdit(Panel1, "LeftEdit", 72, 59, 65);
  Label1 = MakeLabel(Panel1, "Label1", 19, 62, LeftEdit);
  RightEdit = MakeEdit(Panel1, "RightEdit", 192, 59, 65);
  Label2 = MakeLabel(Panel1, "Label2", 157, 62, RightEdit);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
  FirstLineEdit = MakeEdit(Panel1, "FirstLineEdit", 72, 85, 65);
  Label3 = MakeLabel(Panel1, "Label3", 19, 88, FirstLineEdit);
  SpacingGroup = MakeLabel(Panel1, "SpacingGroup", 7, 111);
  Bevel2 = MakeBevel(Panel1, "Bevel2", 54, 118, 263);
  BeforeParagraphEdit = MakeEdit(Panel1, "BeforeParagraphEdit", 72, 127, 57);
  BeforeParagraphLabel = MakeLabel(Panel1, "BeforeParagraphLabel", 19, 130, BeforeParagraphEdit);
  AfterParagraphEdit = MakeEdit(Panel1, "AfterParagraphEdit", 72, 153, 57);
  AfterParagraphLabel = MakeLabel(Panel1, "AfterParagraphLabel", 19, 156, AfterParagraphEdit);
  LineSpacingComboBox = new QComboBox(Panel1);
  LineSpacingComboBox->setObjectName(QStringLiteral("LineSpacingComboBox"));
  LineSpacingComboBox->setGeometry(152, 154, 81, 21);
  WithinParagraphLabel = MakeLabel(Panel1, "WithinParagraphLabel", 153, 138, LineSpacingComboBox);
  WithinParagraphEdit = MakeEdit(Panel1, "WithinParagraphEdit", 240, 153, 65);
  WithinParagraphAt = MakeLabel(Panel1, "WithinParagraphAt", 241, 138, WithinParagraphEdit);

  OKBtn = new QPushButton(this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(166, 200, 75, 25);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(248, 200, 75, 25);

  // The form's own captions; Prepare puts the texts of the day over them.
  Label4->setText(QStringLiteral("Ali&gnment"));
  GroupBox1->setText(QStringLiteral("Indentation"));
  Label1->setText(QStringLiteral("&Left:"));
  Label2->setText(QStringLiteral("&Right:"));
  Label3->setText(QStringLiteral("First line:"));
  SpacingGroup->setText(QStringLiteral("Spacing"));
  BeforeParagraphLabel->setText(QStringLiteral("&Before:"));
  AfterParagraphLabel->setText(QStringLiteral("Aft&er:"));
  WithinParagraphLabel->setText(QStringLiteral("Li&ne spacing:"));
  WithinParagraphAt->setText(QStringLiteral("&At"));
  OKBtn->setText(QStringLiteral("&OK"));
  CancelBtn->setText(QStringLiteral("Cancel"));
  AlignmentCombo->addItems({QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")});
  LineSpacingComboBox->addItems({QStringLiteral("Single"), QStringLiteral("1.5 Lines"), QStringLiteral("Double"),
                                 QStringLiteral("At least"), QStringLiteral("Exactly"), QStringLiteral("Multiple")});
  PlaceLabels();

  QWidget* Order[] = {AlignmentCombo,      LeftEdit,           RightEdit,           FirstLineEdit,
                      BeforeParagraphEdit, AfterParagraphEdit, LineSpacingComboBox, WithinParagraphEdit,
                      OKBtn,               CancelBtn};
  for (std::size_t I = 1; I < std::size(Order); ++I) setTabOrder(Order[I - 1], Order[I]);
  AlignmentCombo->setFocus(Qt::OtherFocusReason);

  connect(OKBtn, &QPushButton::clicked, this, [this] { OKClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  // activated: a choice of the user's (mouse or keys), never one made in code.
  connect(LineSpacingComboBox, &QComboBox::activated, this, [this] { LineSpacingComboBoxChange(); });
  connect(WithinParagraphEdit, &QLineEdit::textEdited, this, [this] { WithinParagraphEditKeyPress(); });
  FormCreate();
}

void TqvRichParagraphDialog::PlaceLabels() {
  for (QLabel* L : Panel1->findChildren<QLabel*>()) L->resize(L->sizeHint());
  // Right-justified: the label ends where it ended on the form, just before its box.
  const int RightEnd = 188;
  const int Width = std::max(RightEnd - 157, Label2->sizeHint().width());
  Label2->setGeometry(RightEnd - Width, 62, Width, Label2->sizeHint().height());
}

void TqvRichParagraphDialog::MakeRoom() {
  const auto ListWidth = [](const QComboBox* C) {
    int W = 0;
    for (int I = 0; I < C->count(); ++I) W = std::max(W, C->fontMetrics().horizontalAdvance(C->itemText(I)));
    return W + 24;  // the arrow and the frame
  };
  // The designed form: boxes at x 72, a caption column from x 8 or 19, lists 89 and 81 wide.
  int Captions = 0;
  for (QLabel* L : {Label4, Label1, Label3, BeforeParagraphLabel, AfterParagraphLabel})
    Captions = std::max(Captions, L->x() + L->sizeHint().width() + 4 - (72 + roomForCaptions_));
  const int Alignments = std::max(0, ListWidth(AlignmentCombo) - 89);
  const int Spacings = std::max(0, ListWidth(LineSpacingComboBox) - 81);
  const int DX = std::max(0, Captions) - roomForCaptions_;
  const int DA = Alignments - roomForAlignments_;
  const int DS = Spacings - roomForSpacings_;
  if (DX == 0 && DA == 0 && DS == 0) return;
  roomForCaptions_ += DX;
  roomForAlignments_ += DA;
  roomForSpacings_ += DS;
  const auto Shift = [](QWidget* W, int By) { W->move(W->x() + By, W->y()); };
  for (QWidget* W : std::initializer_list<QWidget*>{AlignmentCombo, LeftEdit, Label2, RightEdit, FirstLineEdit,
                                                    BeforeParagraphEdit, AfterParagraphEdit, LineSpacingComboBox,
                                                    WithinParagraphLabel, WithinParagraphEdit, WithinParagraphAt})
    Shift(W, DX);
  AlignmentCombo->resize(AlignmentCombo->width() + DA, AlignmentCombo->height());
  LineSpacingComboBox->resize(LineSpacingComboBox->width() + DS, LineSpacingComboBox->height());
  Shift(WithinParagraphEdit, DS);
  Shift(WithinParagraphAt, DS);
  // A group's line starts after its caption.
  for (auto [Caption, Line] : {std::pair{GroupBox1, Bevel1}, std::pair{SpacingGroup, Bevel2}}) {
    const int Start = std::max(Line->x(), Caption->x() + Caption->sizeHint().width() + 4);
    Line->setGeometry(Start, Line->y(), Line->x() + Line->width() - Start, Line->height());
  }
  // The widest row decides how much the form grows.
  const int Grow = std::max({0, roomForCaptions_ + roomForSpacings_,
                             roomForCaptions_ + roomForAlignments_ - (321 - 9 - (72 + 89))});
  const int Was = Panel1->width() - 321;
  Panel1->resize(321 + Grow, Panel1->height());
  for (QFrame* B : {Bevel1, Bevel2}) B->resize(B->width() + Grow - Was, B->height());
  Shift(OKBtn, Grow - Was);
  Shift(CancelBtn, Grow - Was);
  setFixedSize(331 + Grow, 229);
}

void TqvRichParagraphDialog::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // Centred on the screen rather than on the owner.
  QScreen* S = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (S) move(S->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TqvRichParagraphDialog::Prepare(const TqvParagraphDialogSettings& Settings, const TqvParagraphValues& V) {
  units_ = Settings.Units;
  const TqvRichEditParagraphDlg* T = GlobalIntl->RichEdit()->ParagraphDialog();
  setWindowTitle(T->ParagraphDlgCaption());
  OKBtn->setText(GlobalIntl->BtnOKCaption());
  CancelBtn->setText(GlobalIntl->BtnCancelCaption());
  GroupBox1->setText(T->IndentationGroupBoxCaption());
  Label1->setText(T->LeftEditCaption());
  Label2->setText(T->RightEditCaption());
  Label3->setText(T->FirstLineEditCaption());
  SpacingGroup->setText(T->SpacingGroupCaption());
  BeforeParagraphLabel->setText(T->BeforeParagraphCaption());
  AfterParagraphLabel->setText(T->AfterParagraphCaption());
  WithinParagraphLabel->setText(T->WithinParagraphCaption());
  WithinParagraphAt->setText(T->WithinParagraphAtCaption());
  Label4->setText(T->AlignmentCaption());
  PlaceLabels();
  if (Settings.ShowHints) {
    LeftEdit->setToolTip(T->LeftEditHint());
    RightEdit->setToolTip(T->RightEditHint());
    FirstLineEdit->setToolTip(T->FirstLineEditHint());
    AlignmentCombo->setToolTip(T->AlignmentHint());
  }

  AlignmentCombo->clear();
  AlignmentCombo->addItems({T->AlignLeft(), T->AlignCenter(), T->AlignRight()});
  if (Settings.OfferJustify) AlignmentCombo->addItem(T->AlignJustify());
  LineSpacingComboBox->clear();
  LineSpacingComboBox->addItems(T->SpacingChoices());
  MakeRoom();

  // Indents: the first line starts at the start indent, the others at start + offset.
  const int Left = V.StartIndent + V.FirstLineOffset;
  LeftEdit->setText(SnappedMeasureText(units_, 0, TwipsToMeasure(units_, Left)));
  FirstLineEdit->setText(SnappedMeasureText(units_, 0, TwipsToMeasure(units_, -V.FirstLineOffset)));
  RightEdit->setText(SnappedMeasureText(units_, 0, TwipsToMeasure(units_, V.RightIndent)));

  if (Settings.Spacing) {
    BeforeParagraphEdit->setText(SnappedMeasureText(units_, 100, TwipsToMeasure(units_, V.SpaceBefore)));
    AfterParagraphEdit->setText(SnappedMeasureText(units_, 100, TwipsToMeasure(units_, V.SpaceAfter)));
    const int Rule = V.LineSpacingRule >= 0 && V.LineSpacingRule <= 5 ? V.LineSpacingRule : 0;
    LineSpacingComboBox->setCurrentIndex(Rule);
    if (Rule == 5) WithinParagraphEdit->setText(PlainNumber(V.LineSpacing / 20.0));
    else if (Rule >= 3) WithinParagraphEdit->setText(SnappedMeasureText(units_, 100, TwipsToMeasure(units_, V.LineSpacing)));
    else WithinParagraphEdit->clear();
  } else {
    BeforeParagraphEdit->setText(QStringLiteral("0"));
    AfterParagraphEdit->setText(QStringLiteral("0"));
    WithinParagraphEdit->clear();
    LineSpacingComboBox->setCurrentIndex(0);
  }
  BeforeParagraphEdit->setEnabled(Settings.Spacing);
  AfterParagraphEdit->setEnabled(Settings.Spacing);
  WithinParagraphEdit->setEnabled(Settings.Spacing);
  LineSpacingComboBox->setEnabled(Settings.Spacing);

  QString Shown;
  switch (V.Alignment) {
    case engine::PFA_JUSTIFY: Shown = T->AlignJustify(); break;
    case engine::PFA_RIGHT: Shown = T->AlignRight(); break;
    case engine::PFA_CENTER: Shown = T->AlignCenter(); break;
    default: Shown = T->AlignLeft(); break;
  }
  // A text the list does not offer (Justify without its button) is still shown, and kept.
  int Index = AlignmentCombo->findText(Shown, Qt::MatchExactly);
  if (Index < 0) {
    AlignmentCombo->addItem(Shown);
    Index = AlignmentCombo->count() - 1;
  }
  AlignmentCombo->setCurrentIndex(Index);
}

bool TqvRichParagraphDialog::ValidLength(const QLineEdit* Box) const {
  double Value = 0;
  if (!ParseMeasure(Box->text(), &Value)) return false;
  const int Twips = MeasureValueToTwips(units_, Value);
  return Twips >= -kMaxLengthTwips && Twips <= kMaxLengthTwips;
}

int TqvRichParagraphDialog::Twips(const QLineEdit* Box) const { return MeasureToTwips(units_, Box->text()); }

void TqvRichParagraphDialog::OKClick() {
  const QLineEdit* Boxes[] = {LeftEdit, FirstLineEdit, RightEdit, BeforeParagraphEdit, AfterParagraphEdit};
  for (const QLineEdit* Box : Boxes) {
    if (!ValidLength(Box)) {
      const_cast<QLineEdit*>(Box)->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  if (!WithinParagraphEdit->text().isEmpty() && !ValidLength(WithinParagraphEdit)) {
    WithinParagraphEdit->setFocus(Qt::OtherFocusReason);
    return;
  }
  accept();
}

TqvParagraphValues TqvRichParagraphDialog::Values() const {
  TqvParagraphValues V;
  const int First = Twips(FirstLineEdit);
  const int Left = Twips(LeftEdit);
  V.StartIndent = Left + First;
  // The other lines never start left of the left indent's mark.
  V.FirstLineOffset = std::min(-First, Left);
  V.RightIndent = Twips(RightEdit);
  V.SpaceBefore = Twips(BeforeParagraphEdit);
  V.SpaceAfter = Twips(AfterParagraphEdit);
  V.LineSpacingRule = std::max(0, LineSpacingComboBox->currentIndex());
  const QString Within = WithinParagraphEdit->text();
  if (V.LineSpacingRule == 5) {
    double Lines = 0;
    V.LineSpacing = ParseMeasure(Within, &Lines) ? int(std::trunc(Lines * 20)) : 20;
  } else {
    V.LineSpacing = Within.isEmpty() ? 0 : MeasureToTwips(units_, Within);
  }
  V.AlignmentText = AlignmentCombo->currentText();
  const TqvRichEditParagraphDlg* T = GlobalIntl->RichEdit()->ParagraphDialog();
  if (V.AlignmentText == T->AlignLeft()) V.Alignment = engine::PFA_LEFT;
  else if (V.AlignmentText == T->AlignRight()) V.Alignment = engine::PFA_RIGHT;
  else if (V.AlignmentText == T->AlignJustify()) V.Alignment = engine::PFA_JUSTIFY;
  else V.Alignment = engine::PFA_CENTER;
  return V;
}

void TqvRichParagraphDialog::LineSpacingComboBoxClick() {
  WithinParagraphEdit->clear();
  const int Index = LineSpacingComboBox->currentIndex();
  if (Index == 3 || Index == 4) {
    // One sixth of an inch, cut to two decimals.
    double Sixth = 1.0 / 6;
    if (units_ == muCentimeters) Sixth *= kCentimetresPerInch;
    WithinParagraphEdit->setText(MeasureToText(units_, std::trunc(Sixth * 100) / 100));
  } else if (Index == 5) {
    WithinParagraphEdit->setText(QStringLiteral("1"));
  }
}

void TqvRichParagraphDialog::LineSpacingComboBoxChange() { LineSpacingComboBoxClick(); }

void TqvRichParagraphDialog::WithinParagraphEditKeyPress() {
  // A value typed for Single, 1.5 Lines or Double can only be a multiple.
  if (LineSpacingComboBox->currentIndex() >= 0 && LineSpacingComboBox->currentIndex() <= 2)
    LineSpacingComboBox->setCurrentIndex(5);
}

// ---- the control's operation ------------------------------------------------------------------

bool RunParagraphDialog(TqvCustomRichEdit* Edit) {
  TqvRichParagraphDialog Dialog(Edit ? Edit->window() : nullptr);
  Dialog.TargetEdit = Edit;
  TqvParagraphDialogSettings S;
  S.Units = Edit->MeasurementUnits();
  S.ShowHints = Edit->EditorOptions().Contains(reoShowHints);
  S.OfferJustify = Edit->EditorOptions().Contains(reoShowJustifyButton);
  S.Spacing = Edit->RichEditVersion() >= 2;
  TqvParagraphValues V;
  Edit->GetIndents(V.FirstLineOffset, V.RightIndent, V.StartIndent);
  engine::PARAFORMAT2 F;
  Edit->GetParagraphFormat(F);
  V.Alignment = F.wAlignment;
  if (S.Spacing) {
    V.SpaceBefore = F.dySpaceBefore;
    V.SpaceAfter = F.dySpaceAfter;
    V.LineSpacingRule = F.bLineSpacingRule;
    V.LineSpacing = F.dyLineSpacing;
  }
  Dialog.Prepare(S, V);
  if (Dialog.exec() != QDialog::Accepted) return false;
  const TqvParagraphValues R = Dialog.Values();
  Edit->SetParagraphFormat(kParagraphMask, R.AlignmentText, R.LineSpacingRule, R.LineSpacing, R.SpaceAfter,
                           R.SpaceBefore, nullptr, 0, R.StartIndent, R.RightIndent, R.FirstLineOffset, false);
  return true;
}

void InstallParagraphDialog() { QvRichEditHooks().ShowParagraphDialog = RunParagraphDialog; }

}  // namespace richtext
