#pragma once
// A data-aware grid: one row per record of the data source's dataset, a title row, an indicator
// column showing the current record and its state, in-place editing of the cells.

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "data/DataSet.h"

class QLineEdit;
class QScrollBar;

namespace data {

class TColumnTitle {
 public:
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value) { caption_ = value; }
  Qt::Alignment Alignment() const { return alignment_; }
  void SetAlignment(Qt::Alignment value) { alignment_ = value; }
  QFont Font() const { return font_; }
  void SetFont(const QFont& value) { font_ = value; hasFont_ = true; }
  bool HasFont() const { return hasFont_; }
  QColor Color() const { return color_; }  // invalid: the grid's fixed colour
  void SetColor(const QColor& value) { color_ = value; }
  QColor TextColor() const { return textColor_; }  // invalid: from the grid's title font colour
  void SetTextColor(const QColor& value) { textColor_ = value; }

 private:
  QString caption_;
  Qt::Alignment alignment_ = Qt::AlignLeft;
  QFont font_;
  bool hasFont_ = false;
  QColor color_;
  QColor textColor_;
};

class TColumn {
 public:
  QString FieldName() const { return fieldName_; }
  void SetFieldName(const QString& value) { fieldName_ = value; }
  int Width() const { return width_; }  // pixels; <= 0: from the field's display width
  void SetWidth(int value) { width_ = value; }
  Qt::Alignment Alignment() const { return alignment_; }
  void SetAlignment(Qt::Alignment value) { alignment_ = value; }
  QFont Font() const { return font_; }
  void SetFont(const QFont& value) { font_ = value; hasFont_ = true; }
  bool HasFont() const { return hasFont_; }
  QColor Color() const { return color_; }  // invalid: the grid's colour
  void SetColor(const QColor& value) { color_ = value; }
  QColor TextColor() const { return textColor_; }
  void SetTextColor(const QColor& value) { textColor_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  TColumnTitle& Title() { return title_; }
  const TColumnTitle& Title() const { return title_; }

 private:
  QString fieldName_;
  int width_ = 0;
  Qt::Alignment alignment_ = Qt::AlignLeft;
  QFont font_;
  bool hasFont_ = false;
  QColor color_;
  QColor textColor_;
  bool readOnly_ = false;
  TColumnTitle title_;
};

class TDBGrid : public QWidget {
  Q_OBJECT
 public:
  explicit TDBGrid(QWidget* parent = nullptr);
  ~TDBGrid() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);

  // Columns. With none added, the grid shows every visible field of the dataset.
  TColumn& AddColumn(const QString& fieldName);
  int ColumnCount() const;
  TColumn& Column(int index);
  void ClearColumns();

  QColor Color() const { return color_; }  // background of the data cells
  void SetColor(const QColor& value);
  QColor FixedColor() const { return fixedColor_; }  // title row and indicator column
  void SetFixedColor(const QColor& value);
  QColor TextColor() const { return textColor_; }  // colour of Font()
  void SetTextColor(const QColor& value);
  QFont TitleFont() const { return titleFont_; }
  void SetTitleFont(const QFont& value);
  QColor TitleTextColor() const { return titleTextColor_; }
  void SetTitleTextColor(const QColor& value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }

  // Geometry used by the painting and by tests.
  int DefaultRowHeight() const;
  int TitleHeight() const;
  int IndicatorWidth() const { return 11; }
  int VisibleRowCount() const;
  int TopRow() const { return topRow_; }
  int SelectedColumn() const { return selectedColumn_; }
  void SetSelectedColumn(int column);
  bool EditorMode() const;  // the in-place editor is shown
  void ShowEditor();
  void HideEditor();        // keeps what was typed in the record
  QLineEdit* InplaceEditor() const { return editor_; }
  // The text of a cell (row: record index; column: displayed column), whole and as shown in
  // the cell's width; a text that does not fit shows as a tooltip over its cell.
  QString CellText(int row, int column) const;
  QString ShownCellText(int row, int column) const;

  std::function<void()> OnColEnter;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  class Link;
  friend class Link;
  template <class T>
  void SetAndRepaint(T& property, const T& value) {
    if (property == value) return;
    property = value;
    update();
  }
  struct DisplayColumn {
    TColumn* column;
    TField* field;
  };
  std::vector<DisplayColumn> DisplayColumns() const;
  TField* SelectedField() const;
  int ColumnWidth(int index) const;
  int ColumnLeft(int index) const;
  int ColumnAt(int x) const;
  int RowAt(int y) const;  // record index, -1 outside
  void DataChanged();
  void EditingChanged();
  void UpdateScrollBar();
  void EnsureCurrentVisible();
  void PlaceEditor();
  void LoadEditor();
  bool WriteEditor();  // false when the store refused; the error was shown
  void MoveRecord(int distance);
  void MoveToRow(int row);
  void CancelUnchangedInsert();

  std::unique_ptr<Link> link_;
  std::vector<std::unique_ptr<TColumn>> columns_;
  mutable std::vector<std::unique_ptr<TColumn>> defaultColumns_;
  QScrollBar* scrollBar_ = nullptr;
  QLineEdit* editor_ = nullptr;
  QColor color_;
  QColor fixedColor_;
  QColor textColor_;
  QFont titleFont_;
  QColor titleTextColor_;
  bool readOnly_ = false;
  int topRow_ = 0;
  int selectedColumn_ = 0;
  int resizingColumn_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
  bool loadingEditor_ = false;
  bool tabbing_ = false;  // a Tab key is being handled
};

}  // namespace data
