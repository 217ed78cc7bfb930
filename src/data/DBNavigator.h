#pragma once
// A bar of ten buttons that moves through and edits the data source's dataset.

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "data/DataSet.h"

class QAbstractButton;

namespace data {

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
constexpr int kNavigateBtnCount = nbRefresh + 1;
using TButtonSet = unsigned;  // bit (1 << TNavigateBtn)
constexpr TButtonSet NavButton(TNavigateBtn b) { return 1u << unsigned(b); }
constexpr TButtonSet nbAllButtons = NavButton(nbFirst) | NavButton(nbPrior) | NavButton(nbNext) | NavButton(nbLast) |
                                    NavButton(nbInsert) | NavButton(nbDelete) | NavButton(nbEdit) |
                                    NavButton(nbPost) | NavButton(nbCancel) | NavButton(nbRefresh);

class TDBNavigator : public QWidget {
  Q_OBJECT
 public:
  explicit TDBNavigator(QWidget* parent = nullptr);
  ~TDBNavigator() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  TButtonSet VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TButtonSet value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  QString Hint(TNavigateBtn button) const { return hints_[button]; }
  void SetHint(TNavigateBtn button, const QString& text);
  bool ConfirmDelete() const { return confirmDelete_; }
  void SetConfirmDelete(bool value) { confirmDelete_ = value; }

  // What pressing the button does (Delete asks "Delete record?" first when ConfirmDelete).
  // A store error is shown with the store's text; the dataset keeps its state.
  void BtnClick(TNavigateBtn button);
  QAbstractButton* Button(TNavigateBtn button) const { return buttons_[button]; }
  bool ButtonEnabled(TNavigateBtn button) const;

  std::function<void(TNavigateBtn)> BeforeAction;
  std::function<void(TNavigateBtn)> OnClick;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  class Link;
  friend class Link;
  void LayoutButtons();
  void DataChanged();
  void EditingChanged();
  void ActiveChanged();
  void UpdateHints();

  std::unique_ptr<Link> link_;
  std::array<QAbstractButton*, kNavigateBtnCount> buttons_{};
  std::array<QString, kNavigateBtnCount> hints_;
  TButtonSet visibleButtons_ = nbAllButtons;
  bool showHint_ = false;
  bool confirmDelete_ = true;
  int focusedButton_ = 0;
};

}  // namespace data
