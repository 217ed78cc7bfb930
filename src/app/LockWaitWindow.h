#pragma once
// While the store waits for another Termora window's lock on a table file, the windows go on
// painting; after a moment a small window says so, with a Cancel that gives up the wait the way
// its timeout would. Input meant for the glossary meanwhile is refused where it can be seen why:
// until the window shows, it waits in the queue; once it shows, the glossary window is blocked
// behind it, and keys typed at it are refused with the bell.

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

class TLockWaitWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TLockWaitWindow(QWidget* parent = nullptr);
  bool Cancelled() const { return cancelled_; }

  QLabel* Label = nullptr;
  QPushButton* CancelButton = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  bool cancelled_ = false;
};

// Installs the store's lock waiter that does the above (program start).
void InstallLockWaiter();

// The wait window while it is shown, else nullptr.
TLockWaitWindow* LockWaitWindow();

}  // namespace app
