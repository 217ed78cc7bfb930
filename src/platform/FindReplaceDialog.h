#pragma once
// The modeless find and replace dialogs. They search nothing themselves: they hold what the
// user typed and ticked and report the button pressed through their events; the owner of the
// text does the searching. Enter is Find Next, Esc and Cancel close, and an open dialog shown
// again comes to the front. The dialog stays above its owner's window.

#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace platform {

// Which button of a dialog was pressed last.
enum class TFindAction { FindNext, Replace, ReplaceAll };

class TFindDialog : public QDialog {
  Q_OBJECT
 public:
  // Owner: the widget whose window the dialog stays above (and which owns it).
  explicit TFindDialog(QWidget* Owner = nullptr);

  QString FindText() const;
  void SetFindText(const QString& Value);
  bool MatchCase() const;
  void SetMatchCase(bool Value);
  bool WholeWord() const;
  void SetWholeWord(bool Value);
  TFindAction LastAction() const { return lastAction_; }

  // Shows the dialog, or brings it to the front when it is already open, with the search
  // text selected for typing over.
  void Execute();

  // Find Next was pressed.
  std::function<void()> OnFind;
  // The dialog was closed (Cancel, Esc or the close box).
  std::function<void()> OnClose;

  QLineEdit* FindEdit() const { return findEdit_; }
  QPushButton* FindNextButton() const { return findNextButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
  QCheckBox* WholeWordBox() const { return wholeWordBox_; }

 protected:
  // Builds the fields and buttons; Replace adds its own between them.
  TFindDialog(QWidget* Owner, bool WithReplace);
  void Act(TFindAction Action);
  void UpdateButtons();

  QLineEdit* findEdit_ = nullptr;
  QLineEdit* replaceEdit_ = nullptr;
  QPushButton* findNextButton_ = nullptr;
  QPushButton* replaceButton_ = nullptr;
  QPushButton* replaceAllButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QCheckBox* matchCaseBox_ = nullptr;
  QCheckBox* wholeWordBox_ = nullptr;

 private:
  TFindAction lastAction_ = TFindAction::FindNext;
};

class TReplaceDialog : public TFindDialog {
  Q_OBJECT
 public:
  explicit TReplaceDialog(QWidget* Owner = nullptr);

  QString ReplaceText() const;
  void SetReplaceText(const QString& Value);

  // Replace or Replace All was pressed (LastAction tells which).
  std::function<void()> OnReplace;

  QLineEdit* ReplaceEdit() const { return replaceEdit_; }
  QPushButton* ReplaceButton() const { return replaceButton_; }
  QPushButton* ReplaceAllButton() const { return replaceAllButton_; }
};

}  // namespace platform
