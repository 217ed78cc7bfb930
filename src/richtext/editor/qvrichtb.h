#pragma once
// The tab dialog: the tab stops of the current paragraph as a list of positions in the
// control's units, kept in ascending order, handed over in twips. The dialog works on plain
// values; ShowTabsDialog connects it to a control.

#include <QDialog>
#include <QVector>

#include "richtext/qvMeasure.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace richtext {

class TqvCustomRichEdit;

struct TqvTabDialogSettings {
  TqvMeasurementUnits Units = muInches;
  bool ShowHints = false;
};

class TqvRichTabDialog : public QDialog {
  Q_OBJECT
 public:
  // The engine keeps no more tab stops than this in a paragraph.
  static constexpr int MaxTabs = 32;

  explicit TqvRichTabDialog(QWidget* Owner = nullptr);

  // Texts and the list for the given positions (twips, in the paragraph's order).
  void Prepare(const TqvTabDialogSettings& Settings, const QVector<int>& Tabs);
  // The list's positions in twips, in list order.
  QVector<int> Tabs() const;

  TqvCustomRichEdit* TargetEdit = nullptr;

  // Handlers.
  void SetButtonClick();
  void Button2Click();
  void Button4Click();
  void Edit1Enter();
  void Edit1Exit();
  // Enter in the box; true when the key was used.
  bool Edit1KeyPress(int Key);
  void OKButtonClick();

  // The form's components.
  QGroupBox* GroupBox1;
  QLineEdit* Edit1;
  QListWidget* ListBox1;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* OKButton;
  QPushButton* Button3;
  QPushButton* Button4;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;

 private:
  TqvMeasurementUnits units_ = muInches;
};

// Runs the dialog on the control's current paragraph; true when it closed with OK.
bool RunTabsDialog(TqvCustomRichEdit* Edit);
// Makes the controls' ShowTabsDialog run this dialog.
void InstallTabDialog();

}  // namespace richtext
