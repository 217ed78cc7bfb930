#include "gradient/LmPanel.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

namespace gradient {

using namespace base;

TLmPanel::TLmPanel(QWidget* parent) : TLmCustomControl(parent) {
  acceptsDoubleClicks_ = true;
  // A container: it draws no focus and has no keys of its own.
  SetTakesFocus(false);
  resize(185, 105);
  SetColor(14933983);
  SetParentColor(false);  // its own colour, whatever the parent's
  SetFontColor(13500416);
  background_ = QImage(185, 105, QImage::Format_BGR888);
  Realign();
  RebuildBitmaps();
}

TLmPanel::~TLmPanel() = default;

void TLmPanel::SetCaption(const QString& value) { SetText(value); }

void TLmPanel::SetCaptionPosition(TLmCaptionPos value) {
  if (captionPosition_ == value) return;
  const TLmCaptionPos old = captionPosition_;
  captionPosition_ = value;
  Realign();
  if (old == cpGroupBox || value == cpGroupBox)
    RebuildBitmaps();
  else
    Repaint();
}

void TLmPanel::SetCornerWidth(int value) {
  if (value < 0 || value == cornerWidth_) return;
  cornerWidth_ = value;
  RebuildBitmaps();
}

void TLmPanel::SetBorderWidth(int value) {
  if (value < 1 || value == borderWidth_) return;
  borderWidth_ = value;
  Realign();
  RebuildBitmaps();
}

void TLmPanel::SetBorderColor(TColor value) {
  if (value == borderColor_) return;
  borderColor_ = value;
  RebuildBitmaps();
}

void TLmPanel::SetOuterColor(TColor value) {
  if (value == outerColor_) return;
  outerColor_ = value;
  RebuildBitmaps();
}

void TLmPanel::SetTextShadowColor(TColor value) {
  if (value == textShadowColor_) return;
  textShadowColor_ = value;
  Repaint();
}

void TLmPanel::SetAntialiased(bool value) {
  if (value == antialiased_) return;
  antialiased_ = value;
  if (value) gradient_ = false;
  RebuildBitmaps();
}

void TLmPanel::SetGradient(bool value) {
  if (value == gradient_) return;
  gradient_ = antialiased_ ? false : value;
  RebuildBitmaps();
}

void TLmPanel::SetDefaultFrom(TColor value) {
  if (value == defaultFrom_) return;
  defaultFrom_ = value;
  Repaint();
}

void TLmPanel::SetDefaultTo(TColor value) {
  if (value == defaultTo_) return;
  defaultTo_ = value;
  Repaint();
}

void TLmPanel::SetGradientType(TGradientType value) {
  if (value == gradientType_) return;
  gradientType_ = value;
  RebuildBitmaps();
}

void TLmPanel::ColorChanged() {
  TLmCustomControl::ColorChanged();
  RebuildBitmaps();
}

void TLmPanel::ParentColorMessage() {
  TLmCustomControl::ParentColorMessage();
  if (ParentColor()) SetOuterColor(Color());
}

void TLmPanel::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

int TLmPanel::CaptionTextHeight() const { return QFontMetrics(Font()).height(); }

QRect TLmPanel::ClientAreaRect() const {
  int l = 0, t = 0, r = width(), b = height();
  if (captionPosition_ == cpGroupBox) {
    const int half = CaptionTextHeight() / 2;
    l += borderWidth_ + 1;
    r -= borderWidth_ + 1;
    t += half + 2;
    b -= half + 2;
    t += half - 1;
    b += half - 1;
  } else {
    l += borderWidth_ + 1;
    t += borderWidth_ + 1;
    r -= borderWidth_ + 1;
    b -= borderWidth_ + 1;
  }
  return QRect(l, t, r - l, b - t);
}

void TLmPanel::Realign() {
  // Layouts of the children keep to the client area through the contents margins.
  const QRect area = ClientAreaRect();
  setContentsMargins(area.left(), area.top(), width() - (area.x() + area.width()),
                     height() - (area.y() + area.height()));
}

QRect TLmPanel::CaptionRect(unsigned* flagsOut) const {
  const int W = width(), H = height();
  int l = (cornerWidth_ + borderWidth_) / 2, t = borderWidth_;
  int r = W - (cornerWidth_ + borderWidth_) / 2, b = H - borderWidth_;
  unsigned flags = 0;
  switch (captionPosition_) {
    case cpGroupBox:
      t -= borderWidth_;
      if (cornerWidth_ + borderWidth_ < 2) l += 5;
      flags = DT_LEFT | DT_TOP;
      break;
    case cpTopLeft: flags = DT_LEFT | DT_TOP; break;
    case cpTopCenter: flags = DT_CENTER; break;
    case cpTopRight: flags = DT_RIGHT; break;
    case cpMiddleLeft:
      l -= (cornerWidth_ - borderWidth_) / 2;
      flags = DT_VCENTER;
      break;
    case cpMiddleCenter: flags = DT_VCENTER | DT_CENTER; break;
    case cpMiddleRight:
      r += (cornerWidth_ - borderWidth_) / 2;
      flags = DT_VCENTER | DT_RIGHT;
      break;
    case cpBottomLeft: flags = DT_BOTTOM; break;
    case cpBottomCenter: flags = DT_BOTTOM | DT_CENTER; break;
    case cpBottomRight: flags = DT_BOTTOM | DT_RIGHT; break;
  }
  flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
  if (flagsOut) *flagsOut = flags;
  return QRect(l, t, r - l, b - t);
}

void TLmPanel::SizeChanged() {
  Realign();
  if (!background_.isNull() && background_.size() == size()) return;
  background_ = (width() > 0 && height() > 0) ? QImage(width(), height(), QImage::Format_BGR888) : QImage();
  RebuildBitmaps();
}

void TLmPanel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange && captionPosition_ == cpGroupBox) {
    Realign();
    RebuildBitmaps();
  }
  TLmCustomControl::changeEvent(event);
}

namespace {

void FillRows(QImage& image, int y0, int y1, int x0, int x1, TColor color) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width());
  y1 = std::min(y1, image.height());
  if (x0 >= x1 || y0 >= y1) return;
  const TColor c = ColorToRGB(color);
  const std::uint8_t px[3] = {std::uint8_t(GetBValue(c)), std::uint8_t(GetGValue(c)),
                              std::uint8_t(GetRValue(c))};
  std::uint8_t* first = image.scanLine(y0) + x0 * 3;
  for (int x = 0; x < x1 - x0; ++x) std::memcpy(first + x * 3, px, 3);
  for (int y = y0 + 1; y < y1; ++y) std::memcpy(image.scanLine(y) + x0 * 3, first, size_t(x1 - x0) * 3);
}

// Averages the 3 x 3 blocks of `source`, whose top-left pixel sits at (ox, oy) of the whole
// three-times picture, into the pixels of `area` of the target.
void AverageDown(const QImage& source, int ox, int oy, QImage& target, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::uint8_t* out = target.scanLine(y) + size_t(area.left()) * 3;
    const std::uint8_t* rows[3];
    for (int j = 0; j < 3; ++j) rows[j] = source.constScanLine(3 * y - oy + j) + size_t(3 * area.left() - ox) * 3;
    for (int x = area.left(); x <= area.right(); ++x, out += 3) {
      unsigned sum[3] = {0, 0, 0};
      for (int j = 0; j < 3; ++j) {
        const std::uint8_t* s = rows[j];
        for (int i = 0; i < 9; i += 3) {
          sum[0] += s[i];
          sum[1] += s[i + 1];
          sum[2] += s[i + 2];
        }
        rows[j] = s + 9;
      }
      out[0] = std::uint8_t(sum[0] / 9);
      out[1] = std::uint8_t(sum[1] / 9);
      out[2] = std::uint8_t(sum[2] / 9);
    }
  }
}

}  // namespace

void TLmPanel::RebuildBitmaps() {
  if (Loading() || background_.isNull()) return;
  const int W = background_.width(), H = background_.height();
  const int a = antialiased_ ? 3 : 1;
  const int Wa = W * a, Ha = H * a;

  const int th = CaptionTextHeight();
  const int pen = a * borderWidth_ - 1;
  const int inset = pen / 2;
  const int top = captionPosition_ == cpGroupBox ? inset + (a * th) / 2 : inset;
  const int corner = a * cornerWidth_;
  const int right = Wa - inset, bottom = Ha - inset;

  // Draws the frame into `work`, which holds the part of the a-times picture from (ox, oy) on.
  auto paintFrame = [&](QImage& work, int ox, int oy) {
    FillRows(work, 0, work.height(), 0, work.width(), outerColor_);
    if (gradient_) {
      const QRegion region = CreateRoundRectRgn(inset, top, right, bottom, corner, corner).translated(-ox, -oy);
      FillGradient(work, QRect(-ox, -oy, Wa, Ha), defaultFrom_, defaultTo_, gradientType_, &region);
    }
    if (right - inset <= 0 || bottom - top <= 0) return;
    QPainter p(&work);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(-ox, -oy);
    QPen outline(ColorToQColor(borderColor_));
    outline.setWidth(std::max(pen, 0));
    outline.setJoinStyle(Qt::MiterJoin);
    p.setPen(outline);
    if (gradient_)
      p.setBrush(Qt::NoBrush);
    else
      p.setBrush(ColorToQColor(Color()));
    // The outline's centre runs through the middle of the edge pixels, so a pen of width p
    // covers exactly the p pixels from the bitmap's edge inwards.
    const QRectF box(inset + 0.5, top + 0.5, right - inset - 1, bottom - top - 1);
    p.drawRoundedRect(box, corner / 2.0, corner / 2.0, Qt::AbsoluteSize);
  };

  // Anti-aliased, only a band along the edges is averaged down; the inside is flat. So the
  // three-times picture is drawn only under that band, strip by strip, instead of whole (which
  // for the glossary window is megabytes of fresh memory for a few hundred kilobytes used).
  const int band = cornerWidth_ + 20;
  const int half = (band < 1 ? a : band) / 2;
  if (a == 3 && !gradient_ && 2 * half + 2 < std::min(W, H)) {
    // Small pieces stay in the cache and one buffer holds them all; pieces of the side columns
    // are cut short, since a fill over many rows is handed to the raster engine's thread pool,
    // whose start costs more than the fill.
    constexpr int kPiecePixels = 32768;
    constexpr int kPieceRows = 20;
    const int step = std::max(1, kPiecePixels / (9 * half));
    const int longest = 3 * std::min(step, std::max(W, H)), side = 3 * half;
    auto stride = [](int width) { return (width * 3 + 3) & ~3; };
    std::vector<uchar> buffer(std::max(size_t(stride(longest)) * side, size_t(stride(side)) * longest));
    auto drawArea = [&](const QRect& area) {
      const bool across = area.width() >= area.height();
      const int length = across ? area.width() : area.height();
      const int each = across ? step : std::min(step, kPieceRows);
      for (int at = 0; at < length; at += each) {
        const int n = std::min(each, length - at);
        const QRect part = across ? QRect(area.left() + at, area.top(), n, area.height())
                                  : QRect(area.left(), area.top() + at, area.width(), n);
        QImage piece(buffer.data(), 3 * part.width(), 3 * part.height(), stride(3 * part.width()),
                     QImage::Format_BGR888);
        paintFrame(piece, 3 * part.left(), 3 * part.top());
        AverageDown(piece, 3 * part.left(), 3 * part.top(), background_, part);
      }
    };
    drawArea(QRect(0, 0, W, half));
    drawArea(QRect(0, H - half, W, half));
    drawArea(QRect(0, half, half, H - 2 * half));
    drawArea(QRect(W - half, half, half, H - 2 * half));
    FillRows(background_, half, H - half, half, W - half, Color());
  } else if (a == 3) {
    QImage whole(Wa, Ha, QImage::Format_BGR888);
    paintFrame(whole, 0, 0);
    DownsampleEdges(whole, background_, 3, Color(), band);
  } else {
    paintFrame(background_, 0, 0);
  }
  Repaint();
}

void TLmPanel::paintEvent(QPaintEvent* event) {
  if (background_.size() != size() && width() > 0 && height() > 0) {
    // Resized while hidden: catch up before drawing.
    background_ = QImage(width(), height(), QImage::Format_BGR888);
    RebuildWhilePainting();
  }
  QPainter p(this);
  p.fillRect(event->rect(), ColorToQColor(outerColor_));
  if (!background_.isNull()) p.drawImage(0, 0, background_);
  const QFont f = Font();
  p.setFont(f);
  if (!ShowCaption()) return;
  unsigned flags = 0;
  const QRect r = CaptionRect(&flags);
  const QString caption = Caption();
  if (captionPosition_ == cpGroupBox) {
    const QFontMetrics fm(f);
    const int th = fm.height();
    QString plain = caption;
    plain.replace(QLatin1String("&&"), QString(QChar(1))).remove(QLatin1Char('&')).replace(QChar(1), QLatin1Char('&'));
    const int tw = fm.horizontalAdvance(plain);
    const QColor outer = ColorToQColor(outerColor_);
    p.fillRect(QRect(0, 0, r.x() + r.width(), th / 2), outer);
    p.fillRect(QRect(r.x(), th / 2, tw, std::min(borderWidth_, th / 2)), outer);
  }
  DrawShadowText(p, caption, f, FontColor(), textShadowColor_, TextShadow(), flags, r, isEnabled());
}

}  // namespace gradient
