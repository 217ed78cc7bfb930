#include "richtext/editor/qvrichtb.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "engine/RichEditTypes.h"
#include "platform/Question.h"
#include "richtext/Qvintl.h"
#include "richtext/editor/qvrchdlg.h"
#include "richtext/qvriched.h"

namespace richtext {

namespace {
constexpr int kMaxPositionTwips = 31680;  // 22 inches

QPushButton* MakeButton(QWidget* Parent, const char* Name, const QString& Caption, QRect Geometry) {
  auto* B = new QPushButton(Caption, Parent);
  B->setObjectName(QLatin1String(Name));
  B->setGeometry(Geometry);
  return B;
}
}  // namespace

TqvRichTabDialog::TqvRichTabDialog(QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("qvRichTabDialog"));
  setWindowTitle(QStringLiteral("Tabs"));
  setFont(QvDialogFont());
  setFixedSize(257, 192);

  GroupBox1 = new QGroupBox(QStringLiteral("&Tab Stop Position"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 8, 160, 177);
  Edit1 = new QLineEdit(GroupBox1);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(8, 20, 142, 21);
  ListBox1 = new QListWidget(GroupBox1);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setGeometry(8, 43, 142, 97);
  ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Button1 = MakeButton(GroupBox1, "Button1", QStringLiteral("&Set"), {8, 146, 67, 25});
  Button2 = MakeButton(GroupBox1, "Button2", QStringLiteral("Cl&ear"), {82, 146, 67, 25});
  OKButton = MakeButton(this, "OKButton", QStringLiteral("&OK"), {175, 12, 75, 25});
  OKButton->setDefault(true);
  Button3 = MakeButton(this, "Button3", QStringLiteral("Cancel"), {176, 44, 75, 25});
  Button4 = MakeButton(this, "Button4", QStringLiteral("Clear A&ll"), {176, 152, 75, 25});

  QWidget* Order[] = {Edit1, ListBox1, Button1, Button2, OKButton, Button3, Button4};
  for (std::size_t I = 1; I < std::size(Order); ++I) setTabOrder(Order[I - 1], Order[I]);
  Edit1->setFocus(Qt::OtherFocusReason);

  Edit1->installEventFilter(this);
  connect(Button1, &QPushButton::clicked, this, [this] { SetButtonClick(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
}

void TqvRichTabDialog::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  QScreen* S = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (S) move(S->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TqvRichTabDialog::Prepare(const TqvTabDialogSettings& Settings, const QVector<int>& Tabs) {
  units_ = Settings.Units;
  const TqvRichEditTabDlg* T = GlobalIntl->RichEdit()->TabDialog();
  setWindowTitle(T->TabDlgCaption());
  GroupBox1->setTitle(T->TabGroupBoxCaption());
  Button1->setText(T->SetTabButtonCaption());
  Button2->setText(T->ClearTabButtonCaption());
  Button4->setText(T->ClearAllButtonCaption());
  OKButton->setText(GlobalIntl->BtnOKCaption());
  Button3->setText(GlobalIntl->BtnCancelCaption());
  if (Settings.ShowHints) {
    Edit1->setToolTip(T->TabPositionEditHint());
    ListBox1->setToolTip(T->ListBoxHint());
    Button1->setToolTip(T->SetButtonHint());
    Button2->setToolTip(T->ClearButtonHint());
    Button4->setToolTip(T->ClearAllButtonHint());
  }
  ListBox1->clear();
  for (int Position : Tabs) ListBox1->addItem(MeasureToText(units_, TwipsToMeasure(units_, Position)));
}

QVector<int> TqvRichTabDialog::Tabs() const {
  QVector<int> Result;
  for (int I = 0; I < ListBox1->count() && Result.size() < MaxTabs; ++I) {
    double Value = 0;
    if (ParseMeasure(ListBox1->item(I)->text(), &Value)) Result.append(MeasureValueToTwips(units_, Value));
  }
  return Result;
}

void TqvRichTabDialog::SetButtonClick() {
  const QString Text = Edit1->text();
  if (Text.isEmpty()) return;
  double Value = 0;
  if (!ParseMeasure(Text, &Value)) return;
  const int Twips = MeasureValueToTwips(units_, Value);
  if (Twips < 0 || Twips > kMaxPositionTwips) return;
  const QString Label = MeasureToText(units_, Value);
  if (!ListBox1->findItems(Label, Qt::MatchExactly).isEmpty()) return;
  if (ListBox1->count() >= MaxTabs) {
    // The paragraph holds no more; the position stays in the box.
    platform::Beep();
    return;
  }
  int At = ListBox1->count();
  for (int I = 0; I < ListBox1->count(); ++I) {
    double Item = 0;
    if (ParseMeasure(ListBox1->item(I)->text(), &Item) && Item > Value) {
      At = I;
      break;
    }
  }
  ListBox1->insertItem(At, Label);
  Edit1->clear();
}

void TqvRichTabDialog::Button2Click() {
  for (QListWidgetItem* Item : ListBox1->selectedItems()) delete Item;
}

void TqvRichTabDialog::Button4Click() { ListBox1->clear(); }

void TqvRichTabDialog::Edit1Enter() { OKButton->setDefault(false); }

void TqvRichTabDialog::Edit1Exit() { OKButton->setDefault(true); }

bool TqvRichTabDialog::Edit1KeyPress(int Key) {
  if (Key != Qt::Key_Return && Key != Qt::Key_Enter) return false;
  if (Edit1->text().isEmpty()) accept();
  else SetButtonClick();
  return true;
}

void TqvRichTabDialog::OKButtonClick() {
  if (!Edit1->text().isEmpty()) {
    double Value = 0;
    const bool Ok = ParseMeasure(Edit1->text(), &Value) &&
                    std::abs(qint64(MeasureValueToTwips(units_, Value))) <= kMaxPositionTwips;
    if (!Ok) {
      Edit1->setFocus(Qt::OtherFocusReason);
      return;
    }
    SetButtonClick();
  }
  accept();
}

bool TqvRichTabDialog::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Edit1) {
    switch (Event->type()) {
      case QEvent::FocusIn: Edit1Enter(); break;
      case QEvent::FocusOut: Edit1Exit(); break;
      case QEvent::KeyPress:
        if (Edit1KeyPress(static_cast<QKeyEvent*>(Event)->key())) return true;
        break;
      default: break;
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

// ---- the control's operation ------------------------------------------------------------------

bool RunTabsDialog(TqvCustomRichEdit* Edit) {
  TqvRichTabDialog Dialog(Edit ? Edit->window() : nullptr);
  Dialog.TargetEdit = Edit;
  TqvTabDialogSettings S;
  S.Units = Edit->MeasurementUnits();
  S.ShowHints = Edit->EditorOptions().Contains(reoShowHints);
  engine::PARAFORMAT2 F;
  Edit->GetParagraphFormat(F);
  QVector<int> Tabs;
  const int Count = qBound(0, int(F.cTabCount), engine::MAX_TAB_STOPS);
  // The position is the low 24 bits; the high byte holds the tab's kind.
  for (int I = 0; I < Count; ++I) Tabs.append(int(F.rgxTabs[I] & 0x00FFFFFF));
  Dialog.Prepare(S, Tabs);
  if (Dialog.exec() != QDialog::Accepted) return false;
  const QVector<int> Result = Dialog.Tabs();
  Edit->SetParagraphFormat(pmTabStops, QString(), 0, 0, 0, 0, Result.data(), int(Result.size()), 0, 0, 0, false);
  return true;
}

void InstallTabDialog() { QvRichEditHooks().ShowTabsDialog = RunTabsDialog; }

}  // namespace richtext
