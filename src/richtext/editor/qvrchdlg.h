#pragma once
// The paragraph dialog: indents, alignment, space before and after and line spacing of the
// current paragraph, shown and typed in the control's units and handed over in twips. The
// dialog itself works on plain values; ShowParagraphDialog connects it to a control.

#include <QDialog>
#include <QString>

#include "richtext/qvMeasure.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace richtext {

class TqvCustomRichEdit;

// A paragraph's format as the dialog shows and returns it. Lengths in twips.
struct TqvParagraphValues {
  int Alignment = 1;         // PFA_LEFT 1, PFA_RIGHT 2, PFA_CENTER 3, PFA_JUSTIFY 4
  QString AlignmentText;     // returned: the chosen text, as SetParagraphFormat decodes it
  int StartIndent = 0;
  int RightIndent = 0;
  int FirstLineOffset = 0;   // where the other lines start, relative to the first
  int SpaceBefore = 0;
  int SpaceAfter = 0;
  int LineSpacingRule = 0;   // 0 to 5; returned: the position of the chosen line spacing
  int LineSpacing = 0;       // twips, or twentieths of a line for rule 5
};

// What the calling control decides about the dialog.
struct TqvParagraphDialogSettings {
  TqvMeasurementUnits Units = muInches;
  bool ShowHints = false;
  bool OfferJustify = false;
  bool Spacing = true;       // the engine keeps spacing (version 2 and later)
};

class TqvRichParagraphDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TqvRichParagraphDialog(QWidget* Owner = nullptr);

  // Texts, lists and boxes for a paragraph.
  void Prepare(const TqvParagraphDialogSettings& Settings, const TqvParagraphValues& Values);
  // The boxes read back (meaningful once OKClick accepted them).
  TqvParagraphValues Values() const;

  TqvCustomRichEdit* TargetEdit = nullptr;

  // Handlers.
  void FormCreate() {}
  void OKClick();
  void LineSpacingComboBoxClick();
  void LineSpacingComboBoxChange();
  void WithinParagraphEditKeyPress();

  // The form's components.
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QFrame* Panel1;
  QLabel* Label4;
  QComboBox* AlignmentCombo;
  QFrame* Bevel1;
  QLabel* GroupBox1;
  QLabel* Label1;
  QLineEdit* LeftEdit;
  QLabel* Label2;
  QLineEdit* RightEdit;
  QLabel* Label3;
  QLineEdit* FirstLineEdit;
  QLabel* SpacingGroup;
  QFrame* Bevel2;
  QLabel* BeforeParagraphLabel;
  QLineEdit* BeforeParagraphEdit;
  QLabel* AfterParagraphLabel;
  QLineEdit* AfterParagraphEdit;
  QLabel* WithinParagraphLabel;
  QComboBox* LineSpacingComboBox;
  QLabel* WithinParagraphAt;
  QLineEdit* WithinParagraphEdit;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  // A number in the user's locale within 22 inches either way.
  bool ValidLength(const QLineEdit* Box) const;
  int Twips(const QLineEdit* Box) const;
  void PlaceLabels();
  // Widens the form where its texts (longer in other languages) would not fit: the boxes move
  // right of their captions and the lists widen to their longest choice. Nothing moves when the
  // texts fit the form as designed.
  void MakeRoom();

  TqvMeasurementUnits units_ = muInches;
  int roomForCaptions_ = 0, roomForAlignments_ = 0, roomForSpacings_ = 0;
};

// Runs the dialog on the control's current paragraph; true when it closed with OK.
bool RunParagraphDialog(TqvCustomRichEdit* Edit);
// Makes the controls' ShowParagraphDialog run this dialog.
void InstallParagraphDialog();

// The dialogs' font: "MS Sans Serif" at 11 pixels, or the nearest face of the same width.
QFont QvDialogFont();

}  // namespace richtext
