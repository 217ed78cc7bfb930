#include "platform/Question.h"

#include "base/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {
Answerer& CurrentAnswerer() {
  static Answerer a;
  return a;
}

QMessageBox::Icon ToQt(Icon i) {
  switch (i) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonDef {
  QMessageBox::StandardButton qt;
  int answer;
};

QList<ButtonDef> ButtonsOf(Buttons b) {
  switch (b) {
    case Buttons::Ok: return {{QMessageBox::Ok, idOk}};
    case Buttons::OkCancel: return {{QMessageBox::Ok, idOk}, {QMessageBox::Cancel, idCancel}};
    case Buttons::YesNo: return {{QMessageBox::Yes, idYes}, {QMessageBox::No, idNo}};
    case Buttons::YesNoCancel:
      return {{QMessageBox::Yes, idYes}, {QMessageBox::No, idNo}, {QMessageBox::Cancel, idCancel}};
    case Buttons::AbortRetryIgnore:
      return {{QMessageBox::Abort, idAbort}, {QMessageBox::Retry, idRetry}, {QMessageBox::Ignore, idIgnore}};
    case Buttons::RetryCancel: return {{QMessageBox::Retry, idRetry}, {QMessageBox::Cancel, idCancel}};
  }
  return {{QMessageBox::Ok, idOk}};
}
}  // namespace

QString ApplicationTitle() { return QStringLiteral("Termora"); }

int Ask(const Question& q, QWidget* parent) {
  if (CurrentAnswerer()) return CurrentAnswerer()(q);
  QMessageBox box(ToQt(q.icon), q.caption, q.text, QMessageBox::NoButton,
                  parent ? parent : QApplication::activeWindow());
  const auto defs = ButtonsOf(q.buttons);
  for (const auto& d : defs) {
    QAbstractButton* b = box.addButton(d.qt);
    if (d.answer == idOk && !q.okText.isEmpty()) b->setText(q.okText);
  }
  const int want = q.defaultAnswer ? q.defaultAnswer : defs.front().answer;
  for (const auto& d : defs)
    if (d.answer == want) box.setDefaultButton(d.qt);
  const int r = box.exec();
  for (const auto& d : defs)
    if (d.qt == r) return d.answer;
  // Closed with Esc or the title bar: the way out that changes nothing.
  for (const auto& d : defs)
    if (d.answer == idCancel || d.answer == idNo) return d.answer;
  return defs.front().answer;
}

void Inform(const QString& text, const QString& caption, Icon icon, QWidget* parent) {
  Ask({caption, text, icon, Buttons::Ok}, parent);
}

void ShowError(const QString& text, const QString& caption, QWidget* parent) {
  Ask({caption, text, Icon::Error, Buttons::Ok}, parent);
}

void ShowException(const std::exception& e, const QString& caption, QWidget* parent) {
  ShowError(base::MessageOf(e), caption, parent);
}

bool Confirm(const QString& text, const QString& caption, QWidget* parent) {
  return Ask({caption, text, Icon::Question, Buttons::OkCancel}, parent) == idOk;
}

Answerer SetAnswerer(Answerer a) {
  Answerer old = std::move(CurrentAnswerer());
  CurrentAnswerer() = std::move(a);
  return old;
}

void Beep() { QApplication::beep(); }

}  // namespace platform
