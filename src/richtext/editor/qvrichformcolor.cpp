// The editor window's colour menu: its items, their owner drawing and the handlers that open it
// and apply a colour.

#include <QCoreApplication>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "platform/Question.h"
#include "richtext/editor/qvrichform.h"
#include "richtext/editor/qvrichform_p.h"

using namespace engine;

namespace richtext {

namespace {

// The colour menu's owner drawing: each item a swatch of its colour and its caption.
class TqvColorMenuStyle : public QProxyStyle {
 public:
  explicit TqvColorMenuStyle(QMenu* Menu) : QProxyStyle(), menu_(Menu) {}

  QSize sizeFromContents(ContentsType Type, const QStyleOption* Option, const QSize& Size,
                         const QWidget* Widget) const override {
    if (Type == CT_MenuItem && Widget == menu_) {
      const auto* Item = qstyleoption_cast<const QStyleOptionMenuItem*>(Option);
      const QFontMetrics M(MenuFont());
      const QString Text = Item ? Item->text : QString();
      // The caption starts 46 pixels in: a few more keep its last letter inside the menu.
      return {M.horizontalAdvance(Text) + 45 + 3, M.height() + 2};
    }
    return QProxyStyle::sizeFromContents(Type, Option, Size, Widget);
  }

  int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
    if (Widget == menu_ && (Metric == PM_MenuHMargin || Metric == PM_MenuVMargin)) return 0;
    return QProxyStyle::pixelMetric(Metric, Option, Widget);
  }

  void drawControl(ControlElement Element, const QStyleOption* Option, QPainter* P,
                   const QWidget* Widget) const override {
    const auto* Item = qstyleoption_cast<const QStyleOptionMenuItem*>(Option);
    if (Element != CE_MenuItem || Widget != menu_ || Item == nullptr) {
      QProxyStyle::drawControl(Element, Option, P, Widget);
      return;
    }
    const bool Selected = Item->state & State_Selected;
    const QRect R = Item->rect;
    P->save();
    P->fillRect(R, Resolved(Selected ? base::clHighlight : base::clBtnFace));
    const QRect Swatch(QPoint(R.left() + 3, R.top() + 2), QPoint(R.left() + 43 - 1, R.bottom() - 2));
    QColor Fill = Qt::black;
    for (QAction* A : menu_->actions())
      if (A->text() == Item->text) Fill = Resolved(TqvRichEditForm::ColorOf(A));
    P->fillRect(Swatch, Fill);
    P->setPen(Selected ? QColor(Qt::black) : Resolved(base::clWindowText));
    P->drawRect(Swatch.adjusted(0, 0, -1, -1));
    P->setFont(MenuFont());
    P->setPen(Resolved(Selected ? base::clHighlightText : base::clWindowText));
    const QRect TextRect(QPoint(Swatch.right() + 1 + 3, R.top()), R.bottomRight());
    P->drawText(TextRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextDontClip,
                Item->text);
    P->restore();
  }

  static QFont MenuFont() { return QApplication::font("QMenu"); }

 private:
  QMenu* menu_;
};

// The colour items: caption, value, item name. The names do not match their captions.
struct TColorItem {
  const char* Name;
  const char* Caption;
  base::TColor Value;
};
constexpr TColorItem kColorItems[16] = {
    {"Black1", "Black", 0x000000},    {"Green1", "Maroon", 0x000080}, {"Red1", "Green", 0x008000},
    {"Blue1", "Olive", 0x008080},     {"Yellow1", "Navy", 0x800000},  {"Purple1", "Purple", 0x800080},
    {"Teal1", "Teal", 0x808000},      {"Gray1", "Gray", 0x808080},    {"Silver1", "Silver", 0xC0C0C0},
    {"Red2", "Red", 0x0000FF},        {"Lime1", "Lime", 0x00FF00},    {"Yellow2", "Yellow", 0x00FFFF},
    {"Blue2", "Blue", 0xFF0000},      {"Fuchsia1", "Fuchsia", 0xFF00FF}, {"Aqua1", "Aqua", 0xFFFF00},
    {"White1", "White", 0xFFFFFF}};

}  // namespace

void TqvRichEditForm::CreateColorMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  QAction** Items[16] = {&Black1, &Green1, &Red1,  &Blue1, &Yellow1, &Purple1,  &Teal1, &Gray1,
                         &Silver1, &Red2, &Lime1, &Yellow2, &Blue2, &Fuchsia1, &Aqua1, &White1};
  for (int I = 0; I < 16; ++I) {
    auto* A = new QAction(QString::fromLatin1(kColorItems[I].Caption), PopupMenu1);
    A->setObjectName(QString::fromLatin1(kColorItems[I].Name));
    A->setData(int(kColorItems[I].Value));
    PopupMenu1->addAction(A);
    *Items[I] = A;
  }
  Automatic1 = new QAction(QCoreApplication::translate("Editor", "Automatic"), PopupMenu1);
  Automatic1->setObjectName(QStringLiteral("Automatic1"));
  Automatic1->setData(int(base::clWindowText));
  PopupMenu1->addAction(Automatic1);
}

base::TColor TqvRichEditForm::ColorOf(const QAction* Item) {
  return Item ? base::TColor(Item->data().toInt()) : base::clBlack;
}

void TqvRichEditForm::FormCreate() {
  MenuCanvas = new TqvColorMenuStyle(PopupMenu1);
}

void TqvRichEditForm::FormDestroy() {
  if (PopupMenu1) PopupMenu1->setStyle(nullptr);
  delete MenuCanvas;
  MenuCanvas = nullptr;
}

void TqvRichEditForm::PrepareColorMenu() {
  PopupMenu1->setStyle(MenuCanvas);
  for (QAction* A : PopupMenu1->actions()) {
    disconnect(A, &QAction::triggered, this, nullptr);
    connect(A, &QAction::triggered, this, [this, A] { platform::Guarded([&] { ColorItemClick(A); }, this); });
  }
  Automatic1->setData(int(RichEdit1->ControlFontColor()));
}

void TqvRichEditForm::ColorButtonClick() {
  const QPoint At = FormatBar->mapToGlobal(QPoint(ColorButton->x(), ColorButton->y() + ColorButton->height()));
  PopupMenu1->popup(QPoint(At.x() - 1, At.y()));
}

void TqvRichEditForm::ColorItemClick(QAction* Item) { RichEdit1->SelAttributes().SetColor(ColorOf(Item)); }

}  // namespace richtext
