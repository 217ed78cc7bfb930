#include "data/DBGrid.h"

#include <QCoreApplication>
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "base/ScopeGuard.h"
#include "platform/Question.h"

namespace data {

class TDBGrid::Link : public TDataLink {
 public:
  explicit Link(TDBGrid* grid) : grid_(grid) {}

 protected:
  void ActiveChanged() override {
    grid_->defaultColumns_.clear();
    grid_->DataChanged();
  }
  void DataSetChanged() override { grid_->DataChanged(); }
  void DataSetScrolled(int) override { grid_->DataChanged(); }
  void LayoutChanged() override {
    grid_->defaultColumns_.clear();
    grid_->DataChanged();
  }
  void RecordChanged(TField* field) override {
    // A field changed elsewhere: the editor shows it, unless this grid is the one writing it.
    if (grid_->EditorMode() && (!field || field == grid_->SelectedField())) grid_->LoadEditor();
    grid_->update();
  }
  void EditingChanged() override { grid_->EditingChanged(); }
  void UpdateData() override { grid_->WriteEditor(); }
  void FocusControl(TField** field) override {
    if (!field || !*field) return;
    const auto cols = grid_->DisplayColumns();
    for (int i = 0; i < int(cols.size()); ++i)
      if (cols[i].field == *field && grid_->isEnabled() && grid_->isVisible()) {
        *field = nullptr;
        grid_->SetSelectedColumn(i);
        grid_->setFocus();
        return;
      }
  }

 private:
  TDBGrid* grid_;
};

TDBGrid::TDBGrid(QWidget* parent) : QWidget(parent), link_(std::make_unique<Link>(this)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, true);
  color_ = palette().color(QPalette::Base);
  fixedColor_ = palette().color(QPalette::Button);
  textColor_ = palette().color(QPalette::Text);
  titleFont_ = font();
  titleTextColor_ = palette().color(QPalette::ButtonText);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
    TTable* t = link_->DataSet();
    if (!t || !link_->Active()) return;
    int distance = 0;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: distance = 1; break;
      case QAbstractSlider::SliderSingleStepSub: distance = -1; break;
      case QAbstractSlider::SliderPageStepAdd: distance = VisibleRowCount(); break;
      case QAbstractSlider::SliderPageStepSub: distance = -VisibleRowCount(); break;
      default: distance = scrollBar_->sliderPosition() - t->CurrentIndex(); break;
    }
    MoveRecord(distance);
  });
  editor_ = new QLineEdit(this);
  editor_->setFrame(false);
  editor_->hide();
  editor_->installEventFilter(this);
  connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (loadingEditor_) return;
    editor_->setModified(true);
    // Pasted or dropped text becomes one line without invisible characters; the cursor stays
    // after what was inserted.
    const QString clean = NameWithoutControls(text);
    if (clean == text) return;
    const int at = int(NameWithoutControls(text.left(editor_->cursorPosition())).size());
    editor_->setText(clean);
    editor_->setCursorPosition(std::min(at, int(clean.size())));
    editor_->setModified(true);
  });
  resize(300, 200);
}

TDBGrid::~TDBGrid() = default;

TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* source) {
  if (DataSource() == source) return;
  link_->SetDataSource(source);
  defaultColumns_.clear();
  DataChanged();
}

TColumn& TDBGrid::AddColumn(const QString& fieldName) {
  columns_.push_back(std::make_unique<TColumn>());
  columns_.back()->SetFieldName(fieldName);
  columns_.back()->Title().SetCaption(fieldName);
  update();
  return *columns_.back();
}

int TDBGrid::ColumnCount() const { return int(DisplayColumns().size()); }
TColumn& TDBGrid::Column(int index) {
  DisplayColumns();
  return columns_.empty() ? *defaultColumns_.at(index) : *columns_.at(index);
}
void TDBGrid::ClearColumns() {
  columns_.clear();
  update();
}

void TDBGrid::SetColor(const QColor& value) { SetAndRepaint(color_, value); }
void TDBGrid::SetFixedColor(const QColor& value) { SetAndRepaint(fixedColor_, value); }
void TDBGrid::SetTextColor(const QColor& value) { SetAndRepaint(textColor_, value); }
void TDBGrid::SetTitleFont(const QFont& value) { SetAndRepaint(titleFont_, value); }
void TDBGrid::SetTitleTextColor(const QColor& value) { SetAndRepaint(titleTextColor_, value); }

std::vector<TDBGrid::DisplayColumn> TDBGrid::DisplayColumns() const {
  std::vector<DisplayColumn> out;
  TTable* t = link_->DataSet();
  const bool active = link_->Active() && t;
  if (columns_.empty()) {
    if (defaultColumns_.empty() && active) {
      for (TField* f : t->Fields()) {
        if (!f->Visible()) continue;
        auto c = std::make_unique<TColumn>();
        c->SetFieldName(f->FieldName());
        c->Title().SetCaption(f->DisplayLabel());
        c->SetAlignment(f->Alignment());
        defaultColumns_.push_back(std::move(c));
      }
    }
    for (const auto& c : defaultColumns_) out.push_back({c.get(), active ? t->FindField(c->FieldName()) : nullptr});
  } else {
    for (const auto& c : columns_) out.push_back({c.get(), active ? t->FindField(c->FieldName()) : nullptr});
  }
  return out;
}

TField* TDBGrid::SelectedField() const {
  const auto cols = DisplayColumns();
  if (selectedColumn_ < 0 || selectedColumn_ >= int(cols.size())) return nullptr;
  return cols[selectedColumn_].field;
}

void TDBGrid::SetSelectedColumn(int column) {
  const int count = ColumnCount();
  if (count == 0) return;
  column = std::clamp(column, 0, count - 1);
  if (column == selectedColumn_) return;
  if (EditorMode() && !WriteEditor()) return;
  HideEditor();
  selectedColumn_ = column;
  if (OnColEnter) OnColEnter();
  update();
}

int TDBGrid::DefaultRowHeight() const { return QFontMetrics(font()).height() + 3; }
int TDBGrid::TitleHeight() const { return QFontMetrics(titleFont_).height() + 4; }

int TDBGrid::VisibleRowCount() const {
  return std::max(1, (height() - TitleHeight()) / std::max(1, DefaultRowHeight()));
}

int TDBGrid::ColumnWidth(int index) const {
  const auto cols = DisplayColumns();
  if (index < 0 || index >= int(cols.size())) return 0;
  const TColumn* c = cols[index].column;
  if (c->Width() > 0) return c->Width();
  const QFontMetrics fm(c->HasFont() ? c->Font() : font());
  const int chars = cols[index].field ? cols[index].field->DisplayWidth() : 10;
  return std::max(QFontMetrics(titleFont_).horizontalAdvance(c->Title().Caption()),
                  fm.averageCharWidth() * std::min(chars, 40)) + 4;
}

int TDBGrid::ColumnLeft(int index) const {
  int x = IndicatorWidth() + 1;
  for (int i = 0; i < index; ++i) x += ColumnWidth(i) + 1;
  return x;
}

int TDBGrid::ColumnAt(int x) const {
  const int n = ColumnCount();
  for (int i = 0; i < n; ++i) {
    const int l = ColumnLeft(i);
    if (x >= l && x < l + ColumnWidth(i) + 1) return i;
  }
  return -1;
}

int TDBGrid::RowAt(int y) const {
  if (y < TitleHeight()) return -1;
  TTable* t = link_->DataSet();
  if (!t || !link_->Active()) return -1;
  const int row = topRow_ + (y - TitleHeight()) / DefaultRowHeight();
  return row < t->RowCount() ? row : -1;
}

bool TDBGrid::EditorMode() const { return editor_->isVisible(); }

void TDBGrid::ShowEditor() {
  TField* f = SelectedField();
  TTable* t = link_->DataSet();
  if (!f || !t || readOnly_ || f->IsBlob() || !link_->Active()) return;
  const auto cols = DisplayColumns();
  if (cols[selectedColumn_].column->ReadOnly() || !f->CanModify()) return;
  if (!link_->Editing()) {
    bool editing = false;
    platform::Guarded([&] { editing = link_->Edit(); }, this);
    if (!editing) return;
  }
  editor_->setMaxLength(f->DataType() == ftString && f->Size() > 0 ? f->Size() : 32767);
  LoadEditor();
  PlaceEditor();
  editor_->show();
  editor_->setFocus();
}

void TDBGrid::HideEditor() {
  if (!editor_->isVisible()) return;
  // Take the focus back first, so that hiding does not pass it on to the next control.
  if (editor_->hasFocus()) setFocus();
  editor_->hide();
}

void TDBGrid::LoadEditor() {
  TField* f = SelectedField();
  loadingEditor_ = true;
  editor_->setText(f ? f->Text() : QString());
  editor_->setModified(false);
  loadingEditor_ = false;
  PlaceEditor();
}

void TDBGrid::PlaceEditor() {
  TTable* t = link_->DataSet();
  if (!t) return;
  const int row = t->CurrentIndex() - topRow_;
  const int y = TitleHeight() + row * DefaultRowHeight();
  const int x = ColumnLeft(selectedColumn_);
  editor_->setGeometry(x, y, ColumnWidth(selectedColumn_), DefaultRowHeight() - 1);
  const auto cols = DisplayColumns();
  if (selectedColumn_ < int(cols.size())) {
    const TColumn* c = cols[selectedColumn_].column;
    editor_->setFont(c->HasFont() ? c->Font() : font());
    editor_->setAlignment(c->Alignment() & Qt::AlignHorizontal_Mask);
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Base, c->Color().isValid() ? c->Color() : color_);
    pal.setColor(QPalette::Text, c->TextColor().isValid() ? c->TextColor() : textColor_);
    editor_->setPalette(pal);
  }
}

bool TDBGrid::WriteEditor() {
  if (!editor_->isVisible() || !editor_->isModified()) return true;
  TField* f = SelectedField();
  if (!f) return true;
  const QString text = editor_->text();
  editor_->setModified(false);
  return platform::Guarded(
      [&] {
        // Refused: what was typed stays pending in the editor.
        base::ScopeGuard keepPending([this] { editor_->setModified(true); });
        f->SetText(text);
        keepPending.Dismiss();
      },
      this);
}

void TDBGrid::MoveRecord(int distance) {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active() || distance == 0) return;
  MoveToRow(std::max(0, t->CurrentIndex() + distance));
}

void TDBGrid::MoveToRow(int row) {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active()) return;
  if (EditorMode() && !WriteEditor()) return;
  platform::Guarded(
      [&] {
    const int current = t->CurrentIndex();
    if (row == current) return;
    // Leaving a new row that was never changed drops it instead of storing an empty term; the
    // rows below it move up by one.
    if (t->State() == dsInsert && !t->Modified()) {
      t->Cancel();
      if (row > current) --row;
      if (t->IsEmpty()) return;
    }
    t->MoveBy(std::min(row, t->RowCount() - 1) - t->CurrentIndex());
      },
      this);
}

void TDBGrid::CancelUnchangedInsert() {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active() || t->State() != dsInsert) return;
  if (editor_->isModified()) return;
  if (!t->Modified()) platform::Guarded([&] { t->Cancel(); }, this);
}

void TDBGrid::DataChanged() {
  UpdateScrollBar();
  EnsureCurrentVisible();
  if (editor_->isVisible()) {
    TTable* t = link_->DataSet();
    if (!t || !link_->Active() || t->State() == dsBrowse)
      HideEditor();
    else
      LoadEditor();
  }
  update();
}

void TDBGrid::EditingChanged() {
  if (!link_->Editing()) HideEditor();
  update();
}

void TDBGrid::UpdateScrollBar() {
  TTable* t = link_->DataSet();
  const int rows = t && link_->Active() ? t->RowCount() : 0;
  scrollBar_->setRange(0, std::max(0, rows - 1));
  scrollBar_->setPageStep(VisibleRowCount());
  scrollBar_->setValue(t && link_->Active() ? std::max(0, t->CurrentIndex()) : 0);
  scrollBar_->setVisible(rows > VisibleRowCount());
}

void TDBGrid::EnsureCurrentVisible() {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active()) {
    topRow_ = 0;
    return;
  }
  const int cur = t->CurrentIndex();
  const int visible = VisibleRowCount();
  if (cur < topRow_) topRow_ = std::max(0, cur);
  if (cur >= topRow_ + visible) topRow_ = cur - visible + 1;
  topRow_ = std::clamp(topRow_, 0, std::max(0, t->RowCount() - visible));
}

void TDBGrid::resizeEvent(QResizeEvent*) {
  const int sw = scrollBar_->sizeHint().width();
  scrollBar_->setGeometry(width() - sw, 0, sw, height());
  UpdateScrollBar();
  EnsureCurrentVisible();
  if (EditorMode()) PlaceEditor();
}

void TDBGrid::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange) {
    EnsureCurrentVisible();
    if (EditorMode()) PlaceEditor();
  }
  QWidget::changeEvent(e);
}

void TDBGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor lineColor = palette().color(QPalette::Mid);
  const int titleH = TitleHeight();
  const int rowH = DefaultRowHeight();
  const int ind = IndicatorWidth();
  const int right = scrollBar_->isVisible() ? scrollBar_->x() : width();
  p.fillRect(rect(), color_);
  const auto cols = DisplayColumns();
  TTable* t = link_->DataSet();
  const bool active = t && link_->Active();

  // Title row.
  p.fillRect(QRect(0, 0, right, titleH), fixedColor_);
  for (int i = 0; i < int(cols.size()); ++i) {
    const TColumnTitle& title = cols[i].column->Title();
    const QRect r(ColumnLeft(i), 0, ColumnWidth(i), titleH);
    if (title.Color().isValid()) p.fillRect(r, title.Color());
    p.setFont(title.HasFont() ? title.Font() : titleFont_);
    p.setPen(title.TextColor().isValid() ? title.TextColor() : titleTextColor_);
    p.drawText(r.adjusted(2, 0, -2, 0), int(title.Alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
               title.Caption());
  }

  // Rows.
  const int rows = active ? t->RowCount() : 0;
  const int current = active ? t->CurrentIndex() : -1;
  for (int r = topRow_, y = titleH; r < rows && y < height(); ++r, y += rowH) {
    p.fillRect(QRect(0, y, ind, rowH), fixedColor_);
    for (int i = 0; i < int(cols.size()); ++i) {
      const TColumn* c = cols[i].column;
      const QRect cell(ColumnLeft(i), y, ColumnWidth(i), rowH - 1);
      QColor bg = c->Color().isValid() ? c->Color() : color_;
      QColor fg = c->TextColor().isValid() ? c->TextColor() : textColor_;
      if (r == current && i == selectedColumn_ && hasFocus()) {
        bg = palette().color(QPalette::Highlight);
        fg = palette().color(QPalette::HighlightedText);
      }
      p.fillRect(cell, bg);
      if (!cols[i].field) continue;
      p.setFont(c->HasFont() ? c->Font() : font());
      p.setPen(fg);
      p.drawText(cell.adjusted(2, 0, -2, 0), int(c->Alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                 ShownCellText(r, i));
    }
    if (r == current) {
      // The indicator: a pointer while browsing, an I-beam while editing, a star for a new row.
      p.save();
      p.setRenderHint(QPainter::Antialiasing, true);
      const QColor ink = palette().color(QPalette::ButtonText);
      const QPointF c(ind / 2.0, y + rowH / 2.0);
      switch (t->State()) {
        case dsEdit:
          p.setPen(QPen(ink, 1.2));
          p.drawLine(QPointF(c.x(), c.y() - 4), QPointF(c.x(), c.y() + 4));
          p.drawLine(QPointF(c.x() - 2, c.y() - 4), QPointF(c.x() + 2, c.y() - 4));
          p.drawLine(QPointF(c.x() - 2, c.y() + 4), QPointF(c.x() + 2, c.y() + 4));
          break;
        case dsInsert:
          p.setPen(QPen(ink, 1.2));
          for (int k = 0; k < 3; ++k) {
            const double a = k * 3.14159265 / 3;
            p.drawLine(QPointF(c.x() - 3.5 * std::cos(a), c.y() - 3.5 * std::sin(a)),
                       QPointF(c.x() + 3.5 * std::cos(a), c.y() + 3.5 * std::sin(a)));
          }
          break;
        default: {
          QPainterPath tri;
          tri.moveTo(c.x() + 3, c.y());
          tri.lineTo(c.x() - 2, c.y() - 4);
          tri.lineTo(c.x() - 2, c.y() + 4);
          tri.closeSubpath();
          p.fillPath(tri, ink);
        }
      }
      p.restore();
    }
  }

  // Lines between columns and rows.
  p.setPen(lineColor);
  const int bottom = std::min(height(), titleH + (rows - topRow_) * rowH);
  p.drawLine(0, titleH - 1, right, titleH - 1);
  p.drawLine(ind, 0, ind, std::max(titleH, bottom));
  for (int i = 0; i < int(cols.size()); ++i) {
    const int x = ColumnLeft(i) + ColumnWidth(i);
    p.drawLine(x, 0, x, std::max(titleH, bottom));
  }
  const int lastX = cols.empty() ? ind : ColumnLeft(int(cols.size()) - 1) + ColumnWidth(int(cols.size()) - 1);
  for (int y = titleH + rowH - 1; y <= bottom; y += rowH) p.drawLine(0, y, lastX, y);
  if (hasFocus() && current >= topRow_ && !cols.empty()) {
    QStyleOptionFocusRect f;
    f.initFrom(this);
    f.rect = QRect(ColumnLeft(selectedColumn_), titleH + (current - topRow_) * rowH, ColumnWidth(selectedColumn_),
                   rowH - 1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &f, &p, this);
  }
}

void TDBGrid::keyPressEvent(QKeyEvent* e) {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active()) {
    QWidget::keyPressEvent(e);
    return;
  }
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool canModify = !readOnly_ && t->CanModify();
  switch (e->key()) {
    case Qt::Key_Up: MoveRecord(-1); break;
    case Qt::Key_Down:
      if (EditorMode() && !WriteEditor()) break;
      if (t->CurrentIndex() >= t->RowCount() - 1) {
        // Down from the last row starts a new one, unless that row is an untouched new one.
        if (canModify && !(t->State() == dsInsert && !t->Modified())) platform::Guarded([&] { t->Append(); }, this);
      } else {
        MoveRecord(1);
      }
      break;
    case Qt::Key_PageUp: MoveRecord(-VisibleRowCount()); break;
    case Qt::Key_PageDown: MoveRecord(VisibleRowCount()); break;
    case Qt::Key_Home:
      if (EditorMode() && !WriteEditor()) break;
      platform::Guarded([&] { t->First(); }, this);
      break;
    case Qt::Key_End:
      if (EditorMode() && !WriteEditor()) break;
      platform::Guarded([&] { t->Last(); }, this);
      break;
    case Qt::Key_Left: SetSelectedColumn(selectedColumn_ - 1); break;
    case Qt::Key_Right: SetSelectedColumn(selectedColumn_ + 1); break;
    case Qt::Key_Insert:
      if (canModify && !ctrl) {
        if (EditorMode() && !WriteEditor()) break;
        platform::Guarded([&] { t->Insert(); }, this);
      }
      break;
    case Qt::Key_Delete:
      if (ctrl && canModify && !t->IsEmpty()) {
        if (platform::Confirm(QCoreApplication::translate("DataSet", "Delete record?"), platform::ApplicationTitle(), this))
          platform::Guarded([&] { t->Delete(); }, this);
      }
      break;
    case Qt::Key_Escape:
      platform::Guarded([&] { t->Cancel(); }, this);
      break;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter: ShowEditor(); break;
    default: {
      const QString text = e->text();
      if (!ctrl && !text.isEmpty() && text.at(0).isPrint()) {
        TField* f = SelectedField();
        if (f && !f->IsValidChar(text.at(0))) {
          platform::Beep();
          break;
        }
        platform::Guarded([&] { ShowEditor(); }, this);
        if (EditorMode()) {
          editor_->setText(text);
          editor_->setModified(true);
        }
        break;
      }
      QWidget::keyPressEvent(e);
      return;
    }
  }
  e->accept();
}

bool TDBGrid::focusNextPrevChild(bool next) {
  // Tab goes from cell to cell along the current row; past its last (or, backwards, its first)
  // cell it leaves the grid. It never walks on to other records: with one column that would keep
  // the user in the grid for as many Tabs as there are terms, and from a new row it would land on
  // the next term, where the typing meant for the next control replaces that term.
  TTable* t = link_->DataSet();
  const int count = ColumnCount();
  if (tabbing_ && t && link_->Active() && count > 0 && (hasFocus() || editor_->hasFocus())) {
    if (EditorMode() && !WriteEditor()) return true;
    const int column = selectedColumn_ + (next ? 1 : -1);
    if (column >= 0 && column < count) {
      SetSelectedColumn(column);
      setFocus();
      return true;
    }
  }
  HideEditor();
  return QWidget::focusNextPrevChild(next);
}

QString TDBGrid::CellText(int row, int column) const {
  TTable* t = link_->DataSet();
  const auto cols = DisplayColumns();
  if (!t || !link_->Active() || row < 0 || row >= t->RowCount() || column < 0 || column >= int(cols.size()) ||
      !cols[column].field)
    return {};
  if (cols[column].field->IsBlob()) return row == t->CurrentIndex() ? cols[column].field->DisplayText() : QString();
  return t->RowValue(row, cols[column].field).toString();
}

QString TDBGrid::ShownCellText(int row, int column) const {
  const auto cols = DisplayColumns();
  if (column < 0 || column >= int(cols.size())) return {};
  const TColumn* c = cols[column].column;
  const QFontMetrics m(c->HasFont() ? c->Font() : font());
  // A text wider than its cell ends in an ellipsis, so that a cut is never taken for the whole.
  return m.elidedText(CellText(row, column), Qt::ElideRight, std::max(0, ColumnWidth(column) - 4));
}

bool TDBGrid::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    // Over a cell whose text does not fit: the whole text.
    auto* help = static_cast<QHelpEvent*>(e);
    const int row = RowAt(help->pos().y()), column = ColumnAt(help->pos().x());
    const QString whole = CellText(row, column);
    if (row >= 0 && column >= 0 && ShownCellText(row, column) != whole) {
      const QRect cell(ColumnLeft(column), TitleHeight() + (row - topRow_) * DefaultRowHeight(), ColumnWidth(column),
                       DefaultRowHeight());
      QToolTip::showText(help->globalPos(), whole, this, cell);
    } else {
      QToolTip::hideText();
      e->ignore();
    }
    return true;
  }
  // Only Tab walks the cells; Qt also asks focusNextPrevChild when a child hides.
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      tabbing_ = true;
      const bool handled = QWidget::event(e);
      tabbing_ = false;
      return handled;
    }
  }
  return QWidget::event(e);
}

void TDBGrid::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  const int x = int(e->position().x());
  const int y = int(e->position().y());
  if (y < TitleHeight()) {
    // Near a column's right edge the title row resizes that column.
    const int n = ColumnCount();
    for (int i = 0; i < n; ++i) {
      const int edge = ColumnLeft(i) + ColumnWidth(i);
      if (std::abs(x - edge) <= 3) {
        resizingColumn_ = i;
        resizeStartX_ = x;
        resizeStartWidth_ = ColumnWidth(i);
        return;
      }
    }
    return;
  }
  TTable* t = link_->DataSet();
  const int row = RowAt(y);
  if (!t || row < 0) return;
  const int col = ColumnAt(x);
  const bool sameCell = row == t->CurrentIndex() && col == selectedColumn_;
  if (col >= 0) SetSelectedColumn(col);
  if (row != t->CurrentIndex())
    MoveToRow(row);
  else if (sameCell && t->State() != dsBrowse)
    ShowEditor();
}

void TDBGrid::mouseMoveEvent(QMouseEvent* e) {
  const int x = int(e->position().x());
  if (resizingColumn_ >= 0) {
    Column(resizingColumn_).SetWidth(std::max(4, resizeStartWidth_ + x - resizeStartX_));
    if (EditorMode()) PlaceEditor();
    update();
    return;
  }
  bool nearEdge = false;
  if (e->position().y() < TitleHeight())
    for (int i = 0; i < ColumnCount(); ++i) nearEdge |= std::abs(x - (ColumnLeft(i) + ColumnWidth(i))) <= 3;
  setCursor(nearEdge ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent*) { resizingColumn_ = -1; }

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  if (RowAt(int(e->position().y())) >= 0) platform::Guarded([&] { ShowEditor(); }, this);
}

void TDBGrid::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 120;
  if (steps != 0) MoveRecord(-steps);
  e->accept();
}

void TDBGrid::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
  QWidget* now = QApplication::focusWidget();
  if (now == editor_ || e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
  CancelUnchangedInsert();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != editor_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    switch (k->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        keyPressEvent(k);
        return true;
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
        tabbing_ = true;
        focusNextPrevChild(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
        tabbing_ = false;
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (WriteEditor()) HideEditor();
        return true;
      case Qt::Key_Escape:
        if (editor_->isModified()) {
          LoadEditor();  // drop what was typed; the field shows again
          editor_->selectAll();
        } else {
          HideEditor();
          TTable* t = link_->DataSet();
          if (t) platform::Guarded([&] { t->Cancel(); }, this);
        }
        return true;
      case Qt::Key_Delete:
        if (k->modifiers() & Qt::ControlModifier) {
          HideEditor();
          keyPressEvent(k);
          return true;
        }
        break;
      case Qt::Key_Insert:
        HideEditor();
        keyPressEvent(k);
        return true;
      default: break;
    }
  } else if (event->type() == QEvent::FocusOut) {
    auto* f = static_cast<QFocusEvent*>(event);
    QWidget* now = QApplication::focusWidget();
    if (now != this && f->reason() != Qt::ActiveWindowFocusReason && f->reason() != Qt::PopupFocusReason) {
      // Leaving the grid keeps what was typed in the record; an untouched new row goes away.
      if (WriteEditor()) {
        CancelUnchangedInsert();
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace data
