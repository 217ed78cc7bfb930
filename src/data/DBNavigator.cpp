#include "data/DBNavigator.h"

#include <QCoreApplication>
#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

#include "base/Colors.h"
#include "platform/Question.h"

namespace data {

namespace {

// Each glyph is drawn in a 16 x 16 box, so the bar looks the same at any button size.
void DrawGlyph(QPainter& p, TNavigateBtn b, const QColor& ink) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  // A closed outline through `points`, drawn with the painter's pen and brush.
  auto outline = [&](std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    p.drawPath(path);
  };
  auto triangle = [&](qreal tipX, qreal baseX) { outline({{tipX, 8}, {baseX, 3}, {baseX, 13}}); };
  QPen pen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  switch (b) {
    case nbFirst:
      p.drawRect(QRectF(3, 3, 2, 10));
      triangle(6, 12);
      break;
    case nbPrior: triangle(5, 11); break;
    case nbNext: triangle(11, 5); break;
    case nbLast:
      triangle(10, 4);
      p.drawRect(QRectF(11, 3, 2, 10));
      break;
    case nbInsert:
      p.drawRect(QRectF(7, 3, 2, 10));
      p.drawRect(QRectF(3, 7, 10, 2));
      break;
    case nbDelete: p.drawRect(QRectF(3, 7, 10, 2)); break;
    case nbEdit: outline({{3, 13}, {4, 10}, {11, 3}, {13, 5}, {6, 12}}); break;  // a pencil
    case nbPost:
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
      break;
    case nbCancel:
      p.setPen(pen);
      p.drawLine(QPointF(4, 4), QPointF(12, 12));
      p.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
    case nbRefresh: {
      p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::FlatCap));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 280 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      outline({{8, 0.5}, {11.5, 3.2}, {8, 6}});
      break;
    }
  }
}

class NavigatorButton : public QAbstractButton {
 public:
  NavigatorButton(TNavigateBtn kind, TDBNavigator* nav) : QAbstractButton(nav), kind_(kind), nav_(nav) {
    setFocusPolicy(Qt::NoFocus);
    if (kind == nbPrior || kind == nbNext) setAutoRepeat(true);
  }
  bool showFocus = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    const qreal side = qMin(width(), height()) - 6;
    const qreal scale = qMax<qreal>(0.5, qMin<qreal>(side / 16.0, 1.5));
    auto glyph = [&](QPointF at, const QColor& ink) {
      p.save();
      p.translate(width() / 2.0 - 8 * scale + at.x(), height() / 2.0 - 8 * scale + at.y());
      p.scale(scale, scale);
      DrawGlyph(p, kind_, ink);
      p.restore();
    };
    if (isEnabled()) {
      glyph(isDown() ? QPointF(1, 1) : QPointF(), palette().color(QPalette::ButtonText));
    } else {
      // Greyed and embossed whatever the text colour: a highlight one pixel down and right,
      // the shape in the shadow colour over it.
      glyph(QPointF(1, 1), base::ColorToQColor(base::clBtnHighlight));
      glyph(QPointF(), base::ColorToQColor(base::clBtnShadow));
    }
    if (showFocus && nav_->hasFocus()) {
      QStyleOptionFocusRect f;
      f.initFrom(this);
      f.rect = rect().adjusted(3, 3, -3, -3);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &f, &p, this);
    }
  }

 private:
  TNavigateBtn kind_;
  TDBNavigator* nav_;
};

const char* const kDefaultHints[kNavigateBtnCount] = {
    QT_TRANSLATE_NOOP("DataSet", "First record"),  QT_TRANSLATE_NOOP("DataSet", "Prior record"),
    QT_TRANSLATE_NOOP("DataSet", "Next record"),   QT_TRANSLATE_NOOP("DataSet", "Last record"),
    QT_TRANSLATE_NOOP("DataSet", "Insert record"), QT_TRANSLATE_NOOP("DataSet", "Delete record"),
    QT_TRANSLATE_NOOP("DataSet", "Edit record"),   QT_TRANSLATE_NOOP("DataSet", "Post edit"),
    QT_TRANSLATE_NOOP("DataSet", "Cancel edit"),   QT_TRANSLATE_NOOP("DataSet", "Refresh data")};

}  // namespace

class TDBNavigator::Link : public TDataLink {
 public:
  explicit Link(TDBNavigator* nav) : nav_(nav) {}

 protected:
  void ActiveChanged() override { nav_->ActiveChanged(); }
  void DataSetChanged() override { nav_->DataChanged(); }
  void EditingChanged() override { nav_->EditingChanged(); }

 private:
  TDBNavigator* nav_;
};

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent), link_(std::make_unique<Link>(this)) {
  setFocusPolicy(Qt::TabFocus);
  for (int i = 0; i < kNavigateBtnCount; ++i) {
    hints_[i] = QCoreApplication::translate("DataSet", kDefaultHints[i]);
    auto* b = new NavigatorButton(TNavigateBtn(i), this);
    b->setObjectName(QStringLiteral("NavButton%1").arg(i));
    buttons_[i] = b;
    connect(b, &QAbstractButton::clicked, this, [this, i] { BtnClick(TNavigateBtn(i)); });
  }
  resize(240, 25);
  ActiveChanged();
  UpdateHints();
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* source) {
  if (DataSource() == source) return;
  link_->SetDataSource(source);
  ActiveChanged();
}

void TDBNavigator::SetVisibleButtons(TButtonSet value) {
  value &= nbAllButtons;
  if (visibleButtons_ == value) return;
  visibleButtons_ = value;
  LayoutButtons();
  if (!(visibleButtons_ & NavButton(TNavigateBtn(focusedButton_)))) {
    for (int i = 0; i < kNavigateBtnCount; ++i)
      if (visibleButtons_ & NavButton(TNavigateBtn(i))) {
        focusedButton_ = i;
        break;
      }
  }
  update();
}

void TDBNavigator::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  UpdateHints();
}

void TDBNavigator::SetHint(TNavigateBtn button, const QString& text) {
  if (hints_[button] == text) return;
  hints_[button] = text;
  UpdateHints();
}

void TDBNavigator::UpdateHints() {
  for (int i = 0; i < kNavigateBtnCount; ++i) {
    // "Short|long": the short part is the tooltip.
    const QString hint = hints_[i].section(QLatin1Char('|'), 0, 0);
    buttons_[i]->setToolTip(showHint_ ? hint : QString());
    buttons_[i]->setAccessibleName(hint);
  }
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const {
  return buttons_[button]->isEnabled();
}

void TDBNavigator::LayoutButtons() {
  int count = 0;
  for (int i = 0; i < kNavigateBtnCount; ++i) count += (visibleButtons_ & NavButton(TNavigateBtn(i))) ? 1 : 0;
  if (count == 0) {
    for (auto* b : buttons_) b->hide();
    return;
  }
  const int w = width() / count;
  int extra = width() - w * count;
  int x = 0;
  for (int i = 0; i < kNavigateBtnCount; ++i) {
    QAbstractButton* b = buttons_[i];
    if (!(visibleButtons_ & NavButton(TNavigateBtn(i)))) {
      b->hide();
      continue;
    }
    // The pixels left over go to the buttons from the left, one each.
    const int bw = w + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;
    b->setGeometry(x, 0, bw, height());
    b->show();
    x += bw;
  }
}

void TDBNavigator::resizeEvent(QResizeEvent*) { LayoutButtons(); }

void TDBNavigator::paintEvent(QPaintEvent*) {
  for (int i = 0; i < kNavigateBtnCount; ++i) {
    auto* b = static_cast<NavigatorButton*>(buttons_[i]);
    const bool show = hasFocus() && i == focusedButton_;
    if (b->showFocus != show) {
      b->showFocus = show;
      b->update();
    }
  }
}

void TDBNavigator::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

void TDBNavigator::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

void TDBNavigator::keyPressEvent(QKeyEvent* e) {
  auto step = [&](int dir) {
    for (int n = 1; n <= kNavigateBtnCount; ++n) {
      const int i = (focusedButton_ + dir * n + 2 * kNavigateBtnCount) % kNavigateBtnCount;
      if (visibleButtons_ & NavButton(TNavigateBtn(i))) {
        focusedButton_ = i;
        break;
      }
    }
    update();
  };
  switch (e->key()) {
    case Qt::Key_Left: step(-1); break;
    case Qt::Key_Right: step(1); break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (ButtonEnabled(TNavigateBtn(focusedButton_))) BtnClick(TNavigateBtn(focusedButton_));
      break;
    default: QWidget::keyPressEvent(e); return;
  }
  e->accept();
}

void TDBNavigator::ActiveChanged() {
  if (!link_->Active()) {
    for (auto* b : buttons_) b->setEnabled(false);
    return;
  }
  DataChanged();
  EditingChanged();
}

void TDBNavigator::DataChanged() {
  TTable* t = link_->DataSet();
  const bool active = isEnabled() && link_->Active() && t;
  const bool up = active && !t->Bof();
  const bool down = active && !t->Eof();
  auto set = [&](TNavigateBtn b, bool on) { buttons_[b]->setEnabled(on); };
  set(nbFirst, up);
  set(nbPrior, up);
  set(nbNext, down);
  set(nbLast, down);
  set(nbDelete, active && t->CanModify() && !(t->Bof() && t->Eof()) && !t->IsEmpty());
}

void TDBNavigator::EditingChanged() {
  TTable* t = link_->DataSet();
  const bool canModify = isEnabled() && link_->Active() && t && t->CanModify();
  const bool editing = link_->Editing();
  auto set = [&](TNavigateBtn b, bool on) { buttons_[b]->setEnabled(on); };
  set(nbInsert, canModify);
  set(nbEdit, canModify && !editing);
  set(nbPost, canModify && editing);
  set(nbCancel, canModify && editing);
  set(nbRefresh, canModify && !editing);
  DataChanged();
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  TTable* t = link_->DataSet();
  if (!t || !link_->Active()) return;
  if (BeforeAction) BeforeAction(button);
  if (button == nbDelete && confirmDelete_ && !platform::Confirm(QCoreApplication::translate("DataSet", "Delete record?"), platform::ApplicationTitle(), this))
    return;
  platform::Guarded(
      [&] {
        switch (button) {
          case nbFirst: t->First(); break;
          case nbPrior: t->Prior(); break;
          case nbNext: t->Next(); break;
          case nbLast: t->Last(); break;
          case nbInsert: t->Insert(); break;
          case nbDelete: t->Delete(); break;
          case nbEdit: t->Edit(); break;
          case nbPost: t->Post(); break;
          case nbCancel: t->Cancel(); break;
          case nbRefresh: t->Refresh(); break;
        }
      },
      this);
  if (OnClick) OnClick(button);
}

}  // namespace data
