#include "richtext/qvspelldlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "engine/RichEngine.h"
#include "platform/Question.h"
#include "spell/SharedSpeller.h"
#include "spell/Speller.h"

namespace richtext {

namespace {

TqvSpellDialogRunner& Runner() {
  static TqvSpellDialogRunner R;
  return R;
}

bool InWord(QChar C) { return C.isLetterOrNumber() || C.category() == QChar::Mark_NonSpacing; }

bool EndsSentence(QChar C) { return C == u'.' || C == u'!' || C == u'?' || C == QChar(0x2026); }

}  // namespace

TqvSpellDialogRunner SetSpellDialogRunner(TqvSpellDialogRunner R) {
  std::swap(Runner(), R);
  return R;
}

void RunSpellDialog(TqvSpellDialog& Dialog) {
  if (Runner()) Runner()(Dialog);
  else Dialog.exec();
}

TqvSpellDialog::TqvSpellDialog(TqvSpellTarget Target, spell::TSpeller& Speller, QWidget* Parent)
    : QDialog(Parent), target_(std::move(Target)), speller_(Speller) {
  setObjectName(QStringLiteral("SpellDialog"));
  setWindowTitle(tr("Spelling"));
  notFound_ = new QLabel(tr("&Not in dictionary:"), this);
  context_ = new QTextBrowser(this);
  context_->setObjectName(QStringLiteral("Context"));
  context_->setFixedHeight(fontMetrics().lineSpacing() * 4 + 8);
  notFound_->setBuddy(context_);
  auto* ChangeLabel = new QLabel(tr("C&hange to:"), this);
  changeTo_ = new QLineEdit(this);
  changeTo_->setObjectName(QStringLiteral("ChangeTo"));
  ChangeLabel->setBuddy(changeTo_);
  auto* ListLabel = new QLabel(tr("Su&ggestions:"), this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("Suggestions"));
  ListLabel->setBuddy(list_);
  auto Button = [this](const QString& Text, const char* Name) {
    auto* B = new QPushButton(Text, this);
    B->setObjectName(QLatin1String(Name));
    B->setAutoDefault(false);
    return B;
  };
  change_ = Button(tr("&Change"), "Change");
  changeAll_ = Button(tr("Change A&ll"), "ChangeAll");
  ignore_ = Button(tr("&Ignore"), "Ignore");
  ignoreAll_ = Button(tr("Ignore &All"), "IgnoreAll");
  add_ = Button(tr("A&dd to Dictionary"), "AddToDictionary");
  cancel_ = Button(tr("Cancel"), "Cancel");
  change_->setDefault(true);

  auto* Grid = new QGridLayout(this);
  Grid->addWidget(notFound_, 0, 0);
  Grid->addWidget(context_, 1, 0);
  Grid->addWidget(ChangeLabel, 2, 0);
  Grid->addWidget(changeTo_, 3, 0);
  Grid->addWidget(ListLabel, 4, 0);
  Grid->addWidget(list_, 5, 0);
  auto* Buttons = new QVBoxLayout;
  for (QPushButton* B : {ignore_, ignoreAll_, add_, change_, changeAll_}) Buttons->addWidget(B);
  Buttons->addStretch();
  Buttons->addWidget(cancel_);
  Grid->addLayout(Buttons, 1, 1, 5, 1);
  resize(520, 360);

  connect(list_, &QListWidget::currentTextChanged, this, [this](const QString& T) {
    if (!T.isEmpty()) changeTo_->setText(T);
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Change(); });
  connect(change_, &QPushButton::clicked, this, [this] { Change(); });
  connect(changeAll_, &QPushButton::clicked, this, [this] { ChangeAll(); });
  connect(ignore_, &QPushButton::clicked, this, [this] { Ignore(); });
  connect(ignoreAll_, &QPushButton::clicked, this, [this] { IgnoreAll(); });
  connect(add_, &QPushButton::clicked, this, [this] { AddToDictionary(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TqvSpellDialog::Start() {
  QTextDocument* Doc = target_.Engine->document();
  // From the start of the word holding the caret.
  int P = target_.Engine->GetSel().cpMin;
  while (P > 0 && InWord(Doc->characterAt(P - 1))) --P;
  start_ = pos_ = P;
  wrapped_ = finished_ = false;
  return Next();
}

bool TqvSpellDialog::Next() {
  QTextDocument* Doc = target_.Engine->document();
  for (;;) {
    const int Limit = wrapped_ ? start_ : Doc->characterCount();
    for (QTextBlock B = Doc->findBlock(pos_); B.isValid() && B.position() < Limit; B = B.next()) {
      const QString Text = B.text();
      for (const spell::TWordSpan& W : speller_.Misspelled(Text)) {
        const int At = B.position() + W.Start;
        if (At < pos_) continue;
        if (At >= Limit) break;
        range_ = {At, At + W.Length};
        word_ = Text.mid(W.Start, W.Length);
        // The sentence around the word, within its paragraph.
        int From = W.Start, To = W.End();
        while (From > 0 && !(EndsSentence(Text[From - 1]) && From < Text.size() && Text[From].isSpace())) --From;
        while (To < Text.size() && !EndsSentence(Text[To])) ++To;
        if (To < Text.size()) ++To;
        From = std::max(From, W.Start - 200);
        To = std::min<int>(To, W.End() + 200);
        sentence_ = Text.mid(From, To - From).trimmed();
        const QString Before = Text.mid(From, W.Start - From), After = Text.mid(W.End(), To - W.End());
        suggestions_ = speller_.Suggest(word_);
        Show();
        context_->setHtml(QStringLiteral("%1<b><font color=\"#d00000\">%2</font></b>%3")
                              .arg(Before.trimmed().toHtmlEscaped() + (Before.endsWith(u' ') ? QStringLiteral(" ") : QString()),
                                   word_.toHtmlEscaped(), After.toHtmlEscaped()));
        return true;
      }
    }
    if (wrapped_) break;
    wrapped_ = true;
    pos_ = 0;
  }
  finished_ = true;
  word_.clear();
  return false;
}

void TqvSpellDialog::Show() {
  list_->clear();
  list_->addItems(suggestions_);
  changeTo_->setText(suggestions_.isEmpty() ? word_ : suggestions_.first());
  if (!suggestions_.isEmpty()) list_->setCurrentRow(0);
  changeAll_->setEnabled(true);
}

void TqvSpellDialog::Advance() {
  if (!Next()) done(QDialog::Accepted);
}

int TqvSpellDialog::Shifted(int P, const QList<engine::CHARRANGE>& Ranges, int Added) const {
  int Out = P;
  for (const engine::CHARRANGE& R : Ranges)
    if (R.cpMax <= P) Out += Added - (R.cpMax - R.cpMin);
  return Out;
}

void TqvSpellDialog::Change() {
  if (finished_) return;
  const QString To = changeTo_->text();
  if (To != word_ && target_.Replace({range_}, To)) {
    start_ = Shifted(start_, {range_}, int(To.size()));
    pos_ = range_.cpMin + int(To.size());
  } else {
    pos_ = range_.cpMax;
  }
  Advance();
}

void TqvSpellDialog::ChangeAll() {
  if (finished_) return;
  const QString To = changeTo_->text();
  if (To == word_) {
    IgnoreAll();
    return;
  }
  QList<engine::CHARRANGE> Ranges;
  QTextDocument* Doc = target_.Engine->document();
  for (QTextBlock B = Doc->begin(); B.isValid(); B = B.next()) {
    const QString Text = B.text();
    for (const spell::TWordSpan& W : speller_.Misspelled(Text))
      if (QStringView(Text).mid(W.Start, W.Length) == word_)
        Ranges.append({B.position() + W.Start, B.position() + W.End()});
  }
  if (!Ranges.isEmpty() && target_.Replace(Ranges, To)) {
    start_ = Shifted(start_, Ranges, int(To.size()));
    pos_ = Shifted(range_.cpMin, Ranges, int(To.size())) + int(To.size());
  } else {
    pos_ = range_.cpMax;
  }
  Advance();
}

void TqvSpellDialog::Ignore() {
  if (finished_) return;
  pos_ = range_.cpMax;
  Advance();
}

void TqvSpellDialog::IgnoreAll() {
  if (finished_) return;
  speller_.IgnoreAll(word_);
  spell::NotifySpellingChanged();
  pos_ = range_.cpMax;
  Advance();
}

void TqvSpellDialog::AddToDictionary() {
  if (finished_) return;
  QString Error;
  if (!speller_.AddToUserList(word_, &Error)) platform::ShowError(Error, platform::ApplicationTitle(), this);
  spell::NotifySpellingChanged();
  pos_ = range_.cpMax;
  Advance();
}

}  // namespace richtext
