#include "app/LockWaitWindow.h"

#include <QCoreApplication>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "data/LockWait.h"
#include "platform/Question.h"

namespace app {

namespace {

// A lock held for a moment (another window storing a term) passes unseen.
constexpr int kShowAfterMs = 300;
// Each turn of the wait lets the event loop run this long.
constexpr int kTurnMs = 15;

QPointer<TLockWaitWindow>& Shown() {
  static QPointer<TLockWaitWindow> w;
  return w;
}

bool WaitTurn(const data::LockWait& w) {
  QPointer<TLockWaitWindow>& shown = Shown();
  if (!shown && w.elapsedMs >= kShowAfterMs) {
    shown = new TLockWaitWindow(QApplication::activeWindow());
    shown->show();
    shown->raise();
  }
  QEventLoop turn;
  QTimer::singleShot(kTurnMs, &turn, &QEventLoop::quit);
  // Before the window shows, input stays queued: nothing may start a second store operation,
  // and nothing is lost if the wait ends first.
  turn.exec(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
  return !(shown && shown->Cancelled());
}

void WaitEnded() { delete Shown().data(); }

}  // namespace

TLockWaitWindow::TLockWaitWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("LockWaitWindow"));
  setWindowTitle(platform::ApplicationTitle());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  Label = new QLabel(QCoreApplication::translate("LockWaitWindow", "Waiting for another Termora window…"), this);
  layout->addWidget(Label);
  auto* bar = new QProgressBar(this);
  bar->setRange(0, 0);
  bar->setTextVisible(false);
  layout->addWidget(bar);
  CancelButton = new QPushButton(QCoreApplication::translate("LockWaitWindow", "Cancel"), this);
  // Typing that was meant for the definition must not press it.
  CancelButton->setFocusPolicy(Qt::NoFocus);
  CancelButton->setAutoDefault(false);
  layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
  connect(CancelButton, &QPushButton::clicked, this, &TLockWaitWindow::reject);
}

void TLockWaitWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  // Meant for the glossary, which is waiting: refused, and said so.
  platform::Beep();
  event->accept();
}

void TLockWaitWindow::reject() {
  // Stays up until the store has given up; the wait ends it.
  cancelled_ = true;
  CancelButton->setEnabled(false);
}

void InstallLockWaiter() { data::SetLockWaiter({WaitTurn, WaitEnded}); }

TLockWaitWindow* LockWaitWindow() { return Shown().data(); }

}  // namespace app
