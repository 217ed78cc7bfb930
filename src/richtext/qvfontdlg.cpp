// The control's font dialog.

#include "richtext/qvfontdlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "platform/Question.h"
#include "richtext/qvfonts.h"

namespace richtext {

namespace {
// The styles a text's character format holds: weight and slant as bold and italic.
const char* const kStyles[] = {QT_TRANSLATE_NOOP("Editor", "Regular"), QT_TRANSLATE_NOOP("Editor", "Italic"),
                               QT_TRANSLATE_NOOP("Editor", "Bold"), QT_TRANSLATE_NOOP("Editor", "Bold Italic")};
const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The engine keeps sizes in twips of a 16-bit field.
constexpr int kMaxPoints = 1638;

QString SizeText(double Points) {
  if (Points <= 0) return QString();
  return QLocale().toString(Points, 'g', 6);
}

void Refuse(QWidget* Parent, QLineEdit* Edit, const QString& Text) {
  platform::Question Q;
  Q.caption = QCoreApplication::translate("Editor", "Font");
  Q.text = Text;
  Q.icon = platform::Icon::Warning;
  platform::Ask(Q, Parent);
  Edit->setFocus(Qt::OtherFocusReason);
  Edit->selectAll();
}
}  // namespace

TqvFontDialog::TqvFontDialog(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("qvFontDialog"));
  setWindowTitle(QCoreApplication::translate("Editor", "Font"));

  FamilyEdit = new QLineEdit(this);
  FamilyEdit->setObjectName(QStringLiteral("FamilyEdit"));
  FamilyList = new QListWidget(this);
  FamilyList->setObjectName(QStringLiteral("FamilyList"));
  StyleEdit = new QLineEdit(this);
  StyleEdit->setObjectName(QStringLiteral("StyleEdit"));
  // The style is chosen in its list; the box above it only names the choice.
  StyleEdit->setReadOnly(true);
  StyleEdit->setFocusPolicy(Qt::NoFocus);
  StyleList = new QListWidget(this);
  StyleList->setObjectName(QStringLiteral("StyleList"));
  for (const char* S : kStyles) StyleList->addItem(QCoreApplication::translate("Editor", S));
  SizeEdit = new QLineEdit(this);
  SizeEdit->setObjectName(QStringLiteral("SizeEdit"));
  SizeList = new QListWidget(this);
  SizeList->setObjectName(QStringLiteral("SizeList"));
  for (int S : kSizes) SizeList->addItem(QString::number(S));

  auto* FamilyLabel = new QLabel(QCoreApplication::translate("Editor", "&Font:"), this);
  FamilyLabel->setBuddy(FamilyEdit);
  auto* StyleLabel = new QLabel(QCoreApplication::translate("Editor", "Font st&yle:"), this);
  StyleLabel->setBuddy(StyleList);
  auto* SizeLabel = new QLabel(QCoreApplication::translate("Editor", "&Size:"), this);
  SizeLabel->setBuddy(SizeEdit);

  auto* Effects = new QGroupBox(QCoreApplication::translate("Editor", "Effects"), this);
  StrikeOutBox = new QCheckBox(QCoreApplication::translate("Editor", "Stri&keout"), Effects);
  StrikeOutBox->setObjectName(QStringLiteral("StrikeOutBox"));
  UnderlineBox = new QCheckBox(QCoreApplication::translate("Editor", "&Underline"), Effects);
  UnderlineBox->setObjectName(QStringLiteral("UnderlineBox"));
  auto* EffectsLayout = new QVBoxLayout(Effects);
  EffectsLayout->addWidget(StrikeOutBox);
  EffectsLayout->addWidget(UnderlineBox);
  EffectsLayout->addStretch();

  auto* SampleBox = new QGroupBox(QCoreApplication::translate("Editor", "Sample"), this);
  Sample = new QLabel(QStringLiteral("AaBbYyZz"), SampleBox);
  Sample->setObjectName(QCoreApplication::translate("Editor", "Sample"));
  Sample->setAlignment(Qt::AlignCenter);
  // A large size is cut off rather than resizing the dialog.
  Sample->setFixedHeight(60);
  Sample->setMinimumWidth(200);
  auto* SampleLayout = new QVBoxLayout(SampleBox);
  SampleLayout->addWidget(Sample);

  OKBtn = new QPushButton(QCoreApplication::translate("Editor", "OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QCoreApplication::translate("Editor", "Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  connect(OKBtn, &QPushButton::clicked, this, &TqvFontDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TqvFontDialog::reject);

  auto* Grid = new QGridLayout(this);
  Grid->addWidget(FamilyLabel, 0, 0);
  Grid->addWidget(StyleLabel, 0, 1);
  Grid->addWidget(SizeLabel, 0, 2);
  Grid->addWidget(FamilyEdit, 1, 0);
  Grid->addWidget(StyleEdit, 1, 1);
  Grid->addWidget(SizeEdit, 1, 2);
  Grid->addWidget(FamilyList, 2, 0);
  Grid->addWidget(StyleList, 2, 1);
  Grid->addWidget(SizeList, 2, 2);
  auto* Buttons = new QVBoxLayout;
  Buttons->addWidget(OKBtn);
  Buttons->addWidget(CancelBtn);
  Buttons->addStretch();
  Grid->addLayout(Buttons, 1, 3, 2, 1);
  Grid->addWidget(Effects, 3, 0);
  Grid->addWidget(SampleBox, 3, 1, 1, 2);
  Grid->setColumnStretch(0, 3);
  Grid->setColumnStretch(1, 2);
  Grid->setColumnStretch(2, 1);
  FamilyList->setMinimumWidth(180);
  StyleList->setMinimumWidth(110);
  SizeList->setMinimumWidth(60);
  for (QListWidget* L : {FamilyList, StyleList, SizeList}) L->setMinimumHeight(120);

  setTabOrder(FamilyEdit, FamilyList);
  setTabOrder(FamilyList, StyleList);
  setTabOrder(StyleList, SizeEdit);
  setTabOrder(SizeEdit, SizeList);
  setTabOrder(SizeList, StrikeOutBox);
  setTabOrder(StrikeOutBox, UnderlineBox);
  setTabOrder(UnderlineBox, OKBtn);
  setTabOrder(OKBtn, CancelBtn);

  connect(FamilyEdit, &QLineEdit::textEdited, this, [this] { EditTyped(FamilyEdit, FamilyList); });
  connect(SizeEdit, &QLineEdit::textEdited, this, [this] { EditTyped(SizeEdit, SizeList); });
  connect(FamilyList, &QListWidget::currentRowChanged, this, [this] { ListMoved(FamilyEdit, FamilyList); });
  connect(StyleList, &QListWidget::currentRowChanged, this, [this] { ListMoved(StyleEdit, StyleList); });
  connect(SizeList, &QListWidget::currentRowChanged, this, [this] { ListMoved(SizeEdit, SizeList); });
  for (QCheckBox* B : {StrikeOutBox, UnderlineBox}) connect(B, &QCheckBox::toggled, this, [this] { UpdateSample(); });
  // Up and Down in a box move in the list under it, as in a combo box.
  FamilyEdit->installEventFilter(this);
  SizeEdit->installEventFilter(this);

  FillFamilies(QString());
}

void TqvFontDialog::FillFamilies(const QString& Keep) {
  QStringList Names = QvFontFamilies();
  // A face this desktop lacks is still the selection's: it is offered so that it can be kept.
  if (!Keep.isEmpty() && !Names.contains(Keep, Qt::CaseInsensitive)) {
    Names << Keep;
    Names.sort(Qt::CaseInsensitive);
  }
  const QSignalBlocker Block(FamilyList);
  FamilyList->clear();
  FamilyList->addItems(Names);
}

void TqvFontDialog::SetCurrentFont(const QFont& Font) {
  const QString Family = Font.family();
  FillFamilies(Family);
  givenSize_ = Font.pointSizeF();
  givenSizeText_ = SizeText(givenSize_);
  {
    const QSignalBlocker B1(FamilyList), B2(StyleList), B3(SizeList);
    FamilyEdit->setText(Family);
    FamilyList->setCurrentRow(NamedRow(FamilyEdit, FamilyList));
    StyleList->setCurrentRow((Font.bold() ? 2 : 0) + (Font.italic() ? 1 : 0));
    StyleEdit->setText(StyleList->currentItem()->text());
    SizeEdit->setText(givenSizeText_);
    SizeList->setCurrentRow(NamedRow(SizeEdit, SizeList));
    const QSignalBlocker B4(StrikeOutBox), B5(UnderlineBox);
    StrikeOutBox->setChecked(Font.strikeOut());
    UnderlineBox->setChecked(Font.underline());
  }
  if (FamilyList->currentItem()) FamilyList->scrollToItem(FamilyList->currentItem(), QAbstractItemView::PositionAtTop);
  UpdateSample();
  FamilyEdit->setFocus(Qt::OtherFocusReason);
  FamilyEdit->selectAll();
}

QFont TqvFontDialog::SelectedFont() const {
  const int Row = NamedRow(FamilyEdit, FamilyList);
  QFont F(Row >= 0 ? FamilyList->item(Row)->text() : FamilyEdit->text().trimmed());
  const QString Size = SizeEdit->text().trimmed();
  const double Points = Size == givenSizeText_ ? givenSize_ : QLocale().toDouble(Size);
  if (Points > 0) F.setPointSizeF(Points);
  F.setBold(StyleList->currentRow() >= 2);
  F.setItalic(StyleList->currentRow() % 2 == 1);
  F.setUnderline(UnderlineBox->isChecked());
  F.setStrikeOut(StrikeOutBox->isChecked());
  return F;
}

void TqvFontDialog::accept() {
  // An empty face is a selection of several faces that the user left so.
  const QString Family = FamilyEdit->text().trimmed();
  if (!Family.isEmpty() && NamedRow(FamilyEdit, FamilyList) < 0) {
    Refuse(this, FamilyEdit,
           QCoreApplication::translate("Editor", "There is no font with that name.\nChoose a font from the list of fonts."));
    return;
  }
  const QString Size = SizeEdit->text().trimmed();
  if (Size != givenSizeText_) {
    bool Ok = false;
    const int Points = Size.toInt(&Ok);
    if (!Ok || Points < 1 || Points > kMaxPoints) {
      Refuse(this, SizeEdit,
             QCoreApplication::translate("Editor", "'%1' is not a valid font size. Enter a whole number of points from 1 to %2.")
                 .arg(Size)
                 .arg(kMaxPoints));
      return;
    }
  }
  QDialog::accept();
}

bool TqvFontDialog::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::KeyPress) {
    auto* Key = static_cast<QKeyEvent*>(Event);
    QListWidget* List = Watched == FamilyEdit ? FamilyList : Watched == SizeEdit ? SizeList : nullptr;
    if (List != nullptr && (Key->key() == Qt::Key_Up || Key->key() == Qt::Key_Down ||
                            Key->key() == Qt::Key_PageUp || Key->key() == Qt::Key_PageDown)) {
      QKeyEvent Copy(Key->type(), Key->key(), Key->modifiers());
      QCoreApplication::sendEvent(List, &Copy);
      static_cast<QLineEdit*>(Watched)->selectAll();
      return true;
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

void TqvFontDialog::EditTyped(QLineEdit* Edit, QListWidget* List) {
  int Row = NamedRow(Edit, List);
  // A face is found by its first letters; a size only as a whole.
  if (Row < 0 && List == FamilyList && !Edit->text().isEmpty()) {
    for (int I = 0; I < List->count(); ++I)
      if (List->item(I)->text().startsWith(Edit->text(), Qt::CaseInsensitive)) {
        Row = I;
        break;
      }
  }
  typing_ = true;
  if (Row >= 0) {
    List->setCurrentRow(Row);
    List->scrollToItem(List->item(Row), QAbstractItemView::PositionAtTop);
  } else {
    List->setCurrentRow(-1);
  }
  typing_ = false;
  UpdateSample();
}

void TqvFontDialog::ListMoved(QLineEdit* Edit, QListWidget* List) {
  if (!typing_ && List->currentItem()) Edit->setText(List->currentItem()->text());
  UpdateSample();
}

void TqvFontDialog::UpdateSample() {
  QFont F = SelectedFont();
  if (F.pointSizeF() > 72) F.setPointSize(72);
  Sample->setFont(F);
}

int TqvFontDialog::NamedRow(const QLineEdit* Edit, const QListWidget* List) {
  const QString Text = Edit->text().trimmed();
  if (Text.isEmpty()) return -1;
  for (int I = 0; I < List->count(); ++I)
    if (List->item(I)->text().compare(Text, Qt::CaseInsensitive) == 0) return I;
  return -1;
}

}  // namespace richtext
