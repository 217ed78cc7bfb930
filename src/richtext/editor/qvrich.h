#pragma once
// The rich text editor's window unit: the page setup dialog.

#include <QDialog>
#include <QObject>
#include <QPointer>

#include "platform/Printer.h"
#include "richtext/qvriched.h"

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QRadioButton;

namespace richtext {

// ---------------------------------------------------------------------------------------------
// Page setup: printer, paper, orientation and the four margins of TargetEdit.
//
// Margins are shown in thousandths of an inch as inches, or for centimetres in hundredths of a
// millimetre as millimetres, so that 2.5 cm shows as 25 mm and goes back as 2.5. Paper can be
// chosen only while the control lays its text out at the page's width. OK makes the choices
// the program's printer settings and the control's; Cancel changes nothing.
class TqvPageSetupDialog : public QObject {
  Q_OBJECT
 public:
  explicit TqvPageSetupDialog(QObject* Owner = nullptr) : QObject(Owner) {}

  TqvCustomRichEdit* TargetEdit() const { return targetEdit_; }
  void SetTargetEdit(TqvCustomRichEdit* Value) { targetEdit_ = Value; }

  // Shows the dialog modally; true when the user confirmed it. Without a printer the printing
  // layer's message is shown and nothing changes.
  bool Execute();

 private:
  QPointer<TqvCustomRichEdit> targetEdit_;
};

// The dialog window itself, for TqvPageSetupDialog (and tests that drive it). It works on the
// values it is given and hands them back; it changes nothing by itself.
class TqvPageSetupForm : public QDialog {
  Q_OBJECT
 public:
  struct TValues {
    int PrinterIndex = 0;
    int PaperSize = platform::dmpLetter;
    int Orientation = platform::DMORIENT_PORTRAIT;
    int Margins[4] = {};  // left, top, right, bottom: thousandths of an inch or hundredths of a mm
  };

  TqvPageSetupForm(QWidget* Parent, const TValues& Values, TqvMeasurementUnits Units, bool PaperEnabled);
  TValues Values() const;

  void accept() override;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  void PrinterChanged(int Index);
  void PaperChanged();
  void SelectPaper(int Code);
  QSizeF SheetInUnits() const;  // of the chosen paper and orientation, in the spin boxes' unit

  TqvMeasurementUnits units_;
  bool paperEnabled_;
  QComboBox* printerBox_ = nullptr;
  QComboBox* paperBox_ = nullptr;
  QRadioButton* portrait_ = nullptr;
  QRadioButton* landscape_ = nullptr;
  QDoubleSpinBox* margins_[4] = {};
  QWidget* preview_ = nullptr;
};

}  // namespace richtext
