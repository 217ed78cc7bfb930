#include "platform/FindReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

TFindDialog::TFindDialog(QWidget* Owner) : TFindDialog(Owner, false) {}

TFindDialog::TFindDialog(QWidget* Owner, bool WithReplace)
    : QDialog(Owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(WithReplace ? QStringLiteral("ReplaceDialog") : QStringLiteral("FindDialog"));
  setWindowTitle(WithReplace ? tr("Replace") : tr("Find"));
  setModal(false);

  auto* Fields = new QGridLayout;
  findEdit_ = new QLineEdit(this);
  findEdit_->setObjectName(QStringLiteral("FindEdit"));
  auto* FindLabel = new QLabel(tr("Fi&nd what:"), this);
  FindLabel->setBuddy(findEdit_);
  Fields->addWidget(FindLabel, 0, 0);
  Fields->addWidget(findEdit_, 0, 1);
  if (WithReplace) {
    replaceEdit_ = new QLineEdit(this);
    replaceEdit_->setObjectName(QStringLiteral("ReplaceEdit"));
    auto* ReplaceLabel = new QLabel(tr("Re&place with:"), this);
    ReplaceLabel->setBuddy(replaceEdit_);
    Fields->addWidget(ReplaceLabel, 1, 0);
    Fields->addWidget(replaceEdit_, 1, 1);
  }
  wholeWordBox_ = new QCheckBox(tr("Match &whole word only"), this);
  wholeWordBox_->setObjectName(QStringLiteral("WholeWordBox"));
  matchCaseBox_ = new QCheckBox(tr("Match &case"), this);
  matchCaseBox_->setObjectName(QStringLiteral("MatchCaseBox"));
  auto* Left = new QVBoxLayout;
  Left->addLayout(Fields);
  Left->addSpacing(8);
  Left->addWidget(wholeWordBox_);
  Left->addWidget(matchCaseBox_);
  Left->addStretch(1);

  auto MakeButton = [this](const QString& Caption, const char* Name) {
    auto* B = new QPushButton(Caption, this);
    B->setObjectName(QLatin1String(Name));
    return B;
  };
  findNextButton_ = MakeButton(tr("&Find Next"), "FindNextButton");
  findNextButton_->setDefault(true);
  auto* Buttons = new QVBoxLayout;
  Buttons->addWidget(findNextButton_);
  if (WithReplace) {
    replaceButton_ = MakeButton(tr("&Replace"), "ReplaceButton");
    replaceAllButton_ = MakeButton(tr("Replace &All"), "ReplaceAllButton");
    Buttons->addWidget(replaceButton_);
    Buttons->addWidget(replaceAllButton_);
  }
  cancelButton_ = MakeButton(tr("Cancel"), "CancelButton");
  Buttons->addWidget(cancelButton_);
  Buttons->addStretch(1);

  auto* Main = new QHBoxLayout(this);
  Main->addLayout(Left, 1);
  Main->addLayout(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);
  findEdit_->setMinimumWidth(200);

  // Tab order: the fields, the options, then the buttons.
  QWidget* Order[] = {findEdit_, replaceEdit_, wholeWordBox_, matchCaseBox_, findNextButton_,
                      replaceButton_, replaceAllButton_, cancelButton_};
  QWidget* Previous = nullptr;
  for (QWidget* W : Order) {
    if (W == nullptr) continue;
    if (Previous) setTabOrder(Previous, W);
    Previous = W;
  }

  connect(findEdit_, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(findNextButton_, &QPushButton::clicked, this, [this] { Act(TFindAction::FindNext); });
  if (WithReplace) {
    connect(replaceButton_, &QPushButton::clicked, this, [this] { Act(TFindAction::Replace); });
    connect(replaceAllButton_, &QPushButton::clicked, this, [this] { Act(TFindAction::ReplaceAll); });
  }
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  // Esc, Cancel and the close box all end in finished().
  connect(this, &QDialog::finished, this, [this] {
    if (OnClose) OnClose();
  });
  UpdateButtons();
}

QString TFindDialog::FindText() const { return findEdit_->text(); }
void TFindDialog::SetFindText(const QString& Value) { findEdit_->setText(Value); }
bool TFindDialog::MatchCase() const { return matchCaseBox_->isChecked(); }
void TFindDialog::SetMatchCase(bool Value) { matchCaseBox_->setChecked(Value); }
bool TFindDialog::WholeWord() const { return wholeWordBox_->isChecked(); }
void TFindDialog::SetWholeWord(bool Value) { wholeWordBox_->setChecked(Value); }

void TFindDialog::Execute() {
  if (!isVisible()) show();
  raise();
  activateWindow();
  findEdit_->setFocus(Qt::OtherFocusReason);
  findEdit_->selectAll();
}

void TFindDialog::Act(TFindAction Action) {
  lastAction_ = Action;
  if (Action == TFindAction::FindNext) {
    if (OnFind) OnFind();
  } else if (auto* R = qobject_cast<TReplaceDialog*>(this); R && R->OnReplace) {
    R->OnReplace();
  }
}

void TFindDialog::UpdateButtons() {
  // Nothing to look for: the buttons that search stay off, so Enter does nothing.
  const bool Any = !findEdit_->text().isEmpty();
  findNextButton_->setEnabled(Any);
  if (replaceButton_) replaceButton_->setEnabled(Any);
  if (replaceAllButton_) replaceAllButton_->setEnabled(Any);
}

// ---- replace ----------------------------------------------------------------------------------

TReplaceDialog::TReplaceDialog(QWidget* Owner) : TFindDialog(Owner, true) {}

QString TReplaceDialog::ReplaceText() const { return replaceEdit_->text(); }
void TReplaceDialog::SetReplaceText(const QString& Value) { replaceEdit_->setText(Value); }

}  // namespace platform
