#pragma once
// The control's font dialog: face, style, size and effects of the selection. It shows the
// selection's face by its name even where this desktop lacks it, so OK without a change gives
// back the font it was given.

#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace richtext {

class TqvFontDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TqvFontDialog(QWidget* Parent = nullptr);

  // Shows Font: its family, size, weight, slant, underline and strikeout.
  void SetCurrentFont(const QFont& Font);
  // The font as the dialog shows it.
  QFont SelectedFont() const;

  void accept() override;

  QLineEdit* FamilyEdit;
  QListWidget* FamilyList;
  QLineEdit* StyleEdit;
  QListWidget* StyleList;
  QLineEdit* SizeEdit;
  QListWidget* SizeList;
  QCheckBox* StrikeOutBox;
  QCheckBox* UnderlineBox;
  QLabel* Sample;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void FillFamilies(const QString& Keep);
  void EditTyped(QLineEdit* Edit, QListWidget* List);
  void ListMoved(QLineEdit* Edit, QListWidget* List);
  void UpdateSample();
  // The list's item the edit names, ignoring case; -1 when none.
  static int NamedRow(const QLineEdit* Edit, const QListWidget* List);

  QString givenSizeText_;  // the size as shown for the given font, kept exactly while untouched
  double givenSize_ = 0;
  bool typing_ = false;
};

}  // namespace richtext
