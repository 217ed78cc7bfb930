#pragma once
// The review before an import: what the file holds against the glossary (new terms, identical
// ones, conflicts, refusals), each conflict's two definitions side by side as they look, and the
// user's choice for it. Nothing is stored until Import; Cancel stores nothing.
// Given a file rather than a plan, the window shows at once and reads the file and sets it
// against the glossary on a worker thread, with progress and Cancel: a large file would
// otherwise freeze the program for seconds before anything is seen.

#include <QDialog>
#include <memory>
#include <thread>

#include "exchange/Import.h"

class QAbstractTableModel;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTextEdit;

namespace app {

class TImportReview : public QDialog {
  Q_OBJECT
 public:
  TImportReview(exchange::Plan plan, const QString& fileName, QWidget* parent = nullptr);
  // Reads `path` and plans it against the glossary in `folder` in the background.
  TImportReview(const QString& folder, const QString& path, QWidget* parent = nullptr);
  ~TImportReview() override;

  // True while the file is still being read and compared with the glossary.
  bool Loading() const { return loader_ != nullptr; }
  // Why the file could not be imported; empty when it was read.
  const QString& LoadError() const { return loadError_; }

  const exchange::Plan& Plan() const { return plan_; }
  // The plan's item shown in `row` of the list (conflicts first, then new, refused, identical).
  int ItemOfRow(int row) const { return order_[size_t(row)]; }
  void SelectRow(int row);
  // Decides the selected conflict, or every conflict while "the same for all" is ticked.
  void Choose(exchange::Choice choice);

  // Stores the plan with progress and Cancel. True when stored; *message says what happened.
  bool Import(QString* message);

  QLabel* Summary = nullptr;
  QProgressBar* Progress = nullptr;
  QTableView* Items = nullptr;
  QLabel* MineCaption = nullptr;
  QLabel* TheirsCaption = nullptr;
  QTextEdit* Mine = nullptr;
  QTextEdit* Theirs = nullptr;
  QRadioButton* KeepMine = nullptr;
  QRadioButton* TakeTheirs = nullptr;
  QRadioButton* KeepBoth = nullptr;
  QCheckBox* SameForAll = nullptr;
  QPushButton* ImportButton = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  struct Loader;
  void Build(const QString& fileName);
  void Install();
  void Poll();
  void ShowItem(int row);
  void RefreshChoices();

  exchange::Plan plan_;
  std::vector<int> order_;
  std::unique_ptr<QAbstractTableModel> model_;
  int current_ = -1;
  std::unique_ptr<Loader> loader_;
  QString loadError_;
};

}  // namespace app
