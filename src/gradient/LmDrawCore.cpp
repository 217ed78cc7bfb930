#include "gradient/LmDrawCore.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimerEvent>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <cstring>
#include <vector>

#include "base/ScopeGuard.h"

namespace gradient {

using namespace base;

// ---------------------------------------------------------------------------------------------
// Text

namespace {

struct PreparedText {
  QString shown;
  int qtFlags = 0;
};

PreparedText PrepareText(const QFont& font, const QString& text, const QRect& rect, unsigned flags) {
  PreparedText out;
  int& qt = out.qtFlags;
  if (flags & DT_CENTER)
    qt |= Qt::AlignHCenter;
  else if (flags & DT_RIGHT)
    qt |= Qt::AlignRight;
  else
    qt |= Qt::AlignLeft;
  const bool single = (flags & DT_SINGLELINE) != 0;
  if (single) {
    qt |= Qt::TextSingleLine;
    if (flags & DT_VCENTER)
      qt |= Qt::AlignVCenter;
    else if (flags & DT_BOTTOM)
      qt |= Qt::AlignBottom;
    else
      qt |= Qt::AlignTop;
  } else {
    // Vertical placement applies to single lines only.
    qt |= Qt::AlignTop;
    if (flags & DT_WORDBREAK) qt |= Qt::TextWordWrap;
  }
  const bool prefix = (flags & DT_NOPREFIX) == 0;
  if (prefix) qt |= Qt::TextShowMnemonic;
  if (flags & DT_NOCLIP) qt |= Qt::TextDontClip;
  out.shown = text;
  if ((flags & DT_END_ELLIPSIS) && single) {
    const QFontMetrics fm(font);
    out.shown = fm.elidedText(text, Qt::ElideRight, std::max(rect.width(), 0),
                              prefix ? int(Qt::TextShowMnemonic) : 0);
  }
  return out;
}

}  // namespace

void DrawFocusRect(QPainter& canvas, const QRect& rect) {
  const int l = rect.x(), t = rect.y(), r = rect.x() + rect.width(), b = rect.y() + rect.height();
  if (r <= l || b <= t) return;
  // Every other pixel of the border, inverted, so it shows on any background.
  std::vector<QPoint> points;
  auto add = [&](int x, int y) {
    if (((x + y) & 1) == 0) points.emplace_back(x, y);
  };
  for (int x = l; x < r; ++x) add(x, t);
  if (b - 1 > t)
    for (int x = l; x < r; ++x) add(x, b - 1);
  for (int y = t + 1; y < b - 1; ++y) {
    add(l, y);
    if (r - 1 > l) add(r - 1, y);
  }
  canvas.save();
  canvas.setRenderHint(QPainter::Antialiasing, false);
  // White in difference mode inverts what is below and keeps it opaque.
  canvas.setCompositionMode(QPainter::CompositionMode_Difference);
  canvas.setPen(QPen(Qt::white, 0));
  canvas.drawPoints(points.data(), int(points.size()));
  canvas.restore();
}

// ---------------------------------------------------------------------------------------------
// Pixel routines

namespace {

void EnsureBGR(QImage& image) {
  if (!image.isNull() && image.format() != QImage::Format_BGR888)
    image.convertTo(QImage::Format_BGR888);
}

QImage AsBGR(const QImage& image) {
  if (image.isNull() || image.format() == QImage::Format_BGR888) return image;
  return image.convertToFormat(QImage::Format_BGR888);
}

// Rounds to the nearest integer, halves to even (the default floating-point rounding mode).
inline std::int64_t RoundEven(double v) { return static_cast<std::int64_t>(std::nearbyint(v)); }
// The same for 0 <= v < 2^51, without a library call: adding and taking away 1.5 x 2^52 leaves
// v rounded by the current (to nearest, halves to even) mode.
inline std::int64_t RoundSmall(double v) {
  constexpr double m = 6755399441055744.0;
  return static_cast<std::int64_t>((v + m) - m);
}
inline std::uint8_t Low8(double v) { return static_cast<std::uint8_t>(RoundEven(v) & 0xFF); }

struct Edges {
  int l, t, r, b;
};
Edges EdgesOf(const QRect& rect) {
  return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

void FillFlat(QImage& target, const QRect& area, TColor color) {
  const QRect clipped = area & target.rect();
  if (clipped.isEmpty()) return;
  const TColor c = ColorToRGB(color);
  const std::uint8_t px[3] = {std::uint8_t(GetBValue(c)), std::uint8_t(GetGValue(c)),
                              std::uint8_t(GetRValue(c))};
  const int n = clipped.width();
  std::uint8_t* first = target.scanLine(clipped.y()) + clipped.x() * 3;
  for (int i = 0; i < n; ++i) std::memcpy(first + i * 3, px, 3);
  for (int y = clipped.y() + 1; y <= clipped.bottom(); ++y)
    std::memcpy(target.scanLine(y) + clipped.x() * 3, first, size_t(n) * 3);
}

}  // namespace

int FadeInterval(TFadeSpeed speed) {
  switch (speed) {
    case fsSlow: return 40;
    case fsMedium: return 20;
    case fsFast: return 12;
    case fsVeryFast: return 8;
  }
  return 20;
}

QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
  const int w = right - left, h = bottom - top;
  if (w <= 0 || h <= 0) return QRegion();
  const double rx = std::min(std::max(ew, 0), w) / 2.0;
  const double ry = std::min(std::max(eh, 0), h) / 2.0;
  if (rx < 0.5 || ry < 0.5) return QRegion(left, top, w, h);
  QRegion region;
  // One span a row: inside the corner ellipses where the row meets them, full width elsewhere.
  for (int y = 0; y < h; ++y) {
    const double cy = y + 0.5;
    double dy = 0;
    if (cy < ry)
      dy = ry - cy;
    else if (cy > h - ry)
      dy = cy - (h - ry);
    int inset = 0;
    if (dy > 0) {
      const double q = 1.0 - (dy * dy) / (ry * ry);
      const double dx = q > 0 ? rx * std::sqrt(q) : 0.0;
      inset = int(std::lround(rx - dx));
    }
    if (w - 2 * inset > 0) region += QRect(left + inset, top + y, w - 2 * inset, 1);
  }
  return region;
}

void FillGradient(QImage& target, const QRect& rect, TColor fromColor, TColor toColor,
                  TGradientType gradientType, const QRegion* region) {
  if (target.width() < 1 || target.height() < 1) return;
  EnsureBGR(target);
  if (fromColor == toColor) {
    if (region) {
      for (const QRect& r : *region) FillFlat(target, r, fromColor);
    } else {
      FillFlat(target, rect, fromColor);
    }
    return;
  }
  const TColor from = ColorToRGB(fromColor), to = ColorToRGB(toColor);
  const Edges e = EdgesOf(rect);
  const int w = e.r - e.l, h = e.b - e.t;
  const double diagonal = std::sqrt(double(w) * w + double(h) * h);
  std::int64_t n = 0;
  switch (gradientType) {
    case gtHorizontal: n = w; break;
    case gtVertical: n = h; break;
    case gtFromTopLeft:
    case gtFromTopRight: n = RoundEven(diagonal) - e.l; break;
    case gtRadial: n = (RoundEven(diagonal) - e.l) / 2; break;
    case gtDoubleHorz: n = w / 2; break;
    case gtDoubleVert: n = h / 2; break;
  }
  // No steps to interpolate (a side of one pixel): count one step, so painting completes.
  if (n == 0) n = 1;
  const double fromC[3] = {double(GetRValue(from)), double(GetGValue(from)), double(GetBValue(from))};
  const double toC[3] = {double(GetRValue(to)), double(GetGValue(to)), double(GetBValue(to))};
  double d[3];
  for (int c = 0; c < 3; ++c) {
    d[c] = (toC[c] - fromC[c]) / double(n);
    if (d[c] > 255) d[c] = 255;
  }
  auto pixelAt = [&](double s, std::uint8_t* px) {
    px[0] = Low8(d[2] * s + fromC[2]);
    px[1] = Low8(d[1] * s + fromC[1]);
    px[2] = Low8(d[0] * s + fromC[0]);
  };

  // Only rows and columns inside the bitmap are touched.
  const int x0 = std::max(e.l, 0), x1 = std::min(e.r, target.width());
  const int y0 = std::max(e.t, 0), y1 = std::min(e.b, target.height());
  if (x0 >= x1 || y0 >= y1) return;
  const int cols = x1 - x0;

  std::vector<std::uint8_t> mask;
  if (region) {
    mask.assign(size_t(cols) * size_t(y1 - y0), 0);
    for (const QRect& r : *region) {
      const QRect c = r & QRect(x0, y0, cols, y1 - y0);
      for (int y = c.top(); y <= c.bottom(); ++y)
        std::memset(mask.data() + size_t(y - y0) * cols + (c.left() - x0), 1, size_t(c.width()));
    }
  }
  auto inside = [&](int x, int y) {
    return !region || mask[size_t(y - y0) * cols + (x - x0)] != 0;
  };

  std::vector<std::uint8_t> line;
  switch (gradientType) {
    case gtHorizontal:
    case gtDoubleHorz: {
      // Every row is the same: compute one, copy it.
      line.resize(size_t(cols) * 3);
      for (int x = x0; x < x1; ++x) {
        const double s = gradientType == gtHorizontal ? double(x - e.l)
                                                      : double(std::llabs(x - n - e.l));
        pixelAt(s, line.data() + size_t(x - x0) * 3);
      }
      for (int y = y0; y < y1; ++y) {
        std::uint8_t* row = target.scanLine(y) + x0 * 3;
        if (!region) {
          std::memcpy(row, line.data(), line.size());
        } else {
          for (int x = x0; x < x1; ++x)
            if (inside(x, y)) std::memcpy(row + (x - x0) * 3, line.data() + (x - x0) * 3, 3);
        }
      }
      break;
    }
    case gtVertical:
    case gtDoubleVert: {
      // Every row is one colour.
      for (int y = y0; y < y1; ++y) {
        const double s = gradientType == gtVertical ? double(y - e.t) : double(std::llabs(y - n - e.t));
        std::uint8_t px[3];
        pixelAt(s, px);
        std::uint8_t* row = target.scanLine(y) + x0 * 3;
        for (int x = x0; x < x1; ++x)
          if (inside(x, y)) std::memcpy(row + (x - x0) * 3, px, 3);
      }
      break;
    }
    case gtFromTopLeft:
    case gtFromTopRight:
    case gtRadial: {
      for (int y = y0; y < y1; ++y) {
        std::uint8_t* row = target.scanLine(y) + x0 * 3;
        for (int x = x0; x < x1; ++x) {
          if (!inside(x, y)) continue;
          double dx, dy;
          if (gradientType == gtFromTopLeft) {
            dx = x - e.l;
            dy = y - e.t;
          } else if (gradientType == gtFromTopRight) {
            dx = e.r - x;
            dy = y - e.t;
          } else {
            dx = w / 2 - x;
            dy = y - h / 2;
          }
          pixelAt(std::sqrt(dx * dx + dy * dy), row + (x - x0) * 3);
        }
      }
      break;
    }
  }
}

void BlendBitmap(QImage& target, const QImage& overlayIn, const QRect& rect, int percent) {
  if (target.isNull() || overlayIn.isNull()) return;
  EnsureBGR(target);
  const QImage overlay = AsBGR(overlayIn);
  const double keep = (100 - percent) / 100.0;
  const double take = 1 - keep;
  const Edges e = EdgesOf(rect);
  // Only pixels present in both bitmaps are blended.
  const int x0 = std::max({e.l, 0}), y0 = std::max({e.t, 0});
  const int x1 = std::min({e.r, target.width(), e.l + overlay.width()});
  const int y1 = std::min({e.b, target.height(), e.t + overlay.height()});
  if (x0 >= x1 || y0 >= y1) return;
  // Every result depends only on the percent and the two bytes, so each percent gets one table
  // of all 65536 results, computed once with the very same arithmetic and kept: fades come back
  // to the same few levels on every repaint.
  static std::array<std::unique_ptr<std::uint8_t[]>, 101> tables;
  const int slot = std::clamp(percent, 0, 100);
  const std::uint8_t* table = nullptr;
  if (slot == percent) {
    auto& t = tables[size_t(slot)];
    if (!t) {
      t.reset(new std::uint8_t[65536]);
      for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) t[size_t(a) << 8 | size_t(b)] = std::uint8_t(RoundSmall(keep * a + take * b));
    }
    table = t.get();
  }
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* t = target.scanLine(y) + x0 * 3;
    const std::uint8_t* o = overlay.constScanLine(y - e.t) + (x0 - e.l) * 3;
    const int n = (x1 - x0) * 3;
    if (table) {
      for (int i = 0; i < n; ++i) t[i] = table[size_t(t[i]) << 8 | o[i]];
    } else {
      for (int i = 0; i < n; ++i) t[i] = std::uint8_t(RoundEven(keep * t[i] + take * o[i]));
    }
  }
}

void LayerBitmaps(QImage& target, const QImage& base, const QImage& overlay, int offset,
                  const QRect& rect, int percent) {
  if (target.isNull()) return;
  const Edges e = EdgesOf(rect);
  const bool same = &base == &target;
  EnsureBGR(target);
  const QImage baseCopy = same ? QImage() : AsBGR(base);
  const QImage& src = same ? target : baseCopy;
  int w = e.r - e.l - offset, h = e.b - e.t - offset;
  int dx = e.l + offset, dy = e.t + offset, sx = 0, sy = 0;
  // Clip the block to both bitmaps.
  if (dx < 0) { w += dx; sx -= dx; dx = 0; }
  if (dy < 0) { h += dy; sy -= dy; dy = 0; }
  w = std::min({w, target.width() - dx, src.width() - sx});
  h = std::min({h, target.height() - dy, src.height() - sy});
  if (w > 0 && h > 0) {
    if (same) {
      std::uint8_t* bits = target.bits();
      const qsizetype bpl = target.bytesPerLine();
      // Moving down: walk the rows from the bottom so none is overwritten before it is read.
      const bool up = dy > sy;
      for (int i = 0; i < h; ++i) {
        const int r = up ? h - 1 - i : i;
        std::memmove(bits + (dy + r) * bpl + dx * 3, bits + (sy + r) * bpl + sx * 3, size_t(w) * 3);
      }
    } else {
      for (int r = 0; r < h; ++r)
        std::memcpy(target.scanLine(dy + r) + dx * 3, src.constScanLine(sy + r) + sx * 3,
                    size_t(w) * 3);
    }
  }
  if (percent > 0) BlendBitmap(target, overlay, rect, std::min(percent, 100));
}

void DrawShadowText(QPainter& canvas, const QString& text, const QFont& font, TColor fontColor,
                    TColor shadowColor, bool shadow, unsigned flags, const QRect& rect,
                    bool enabled) {
  canvas.setFont(font);
  if (text.isEmpty()) return;
  // Both passes draw the same line: lay it out once.
  const PreparedText t = PrepareText(font, text, rect, flags);
  const QRect moved = rect.translated(1, 1);
  if (enabled) {
    if (shadow) {
      canvas.setPen(ColorToQColor(shadowColor));
      canvas.drawText(moved, t.qtFlags, t.shown);
    }
    canvas.setPen(ColorToQColor(fontColor));
    canvas.drawText(rect, t.qtFlags, t.shown);
  } else {
    canvas.setPen(ColorToQColor(clBtnHighlight));
    canvas.drawText(moved, t.qtFlags, t.shown);
    canvas.setPen(ColorToQColor(clBtnShadow));
    canvas.drawText(rect, t.qtFlags, t.shown);
  }
}

unsigned CaptionFormat(TAlignment alignment, bool wordWrap) {
  unsigned flags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_VCENTER;
  if (alignment == taRightJustify)
    flags |= DT_RIGHT;
  else if (alignment == taCenter)
    flags |= DT_CENTER;
  flags |= wordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  return flags;
}

void TintBitmap(QImage& bitmap, TColor tint) {
  if (bitmap.isNull()) return;
  const TColor t = ColorToRGB(tint);
  const int tr = GetRValue(t), tg = GetGValue(t), tb = GetBValue(t);
  // Glyphs are small; going pixel by pixel keeps any pixel format.
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) {
      const QColor c = bitmap.pixelColor(x, y);
      const int g = (c.red() + c.green() + c.blue()) / 3;
      bitmap.setPixelColor(x, y, QColor(std::min(g + tr, 255), std::min(g + tg, 255),
                                        std::min(g + tb, 255), c.alpha()));
    }
}

void DownsampleEdges(const QImage& sourceIn, QImage& target, int factor, TColor fillColor, int band) {
  if (target.isNull() || sourceIn.isNull() || factor < 1) return;
  EnsureBGR(target);
  const QImage source = AsBGR(sourceIn);
  const TColor fill = ColorToRGB(fillColor);
  if (band < 1) band = factor;
  const int b = band / 2;
  const int W = target.width(), H = target.height();
  const int f = factor, ff = f * f;
  // A source smaller than f times the target leaves the uncovered target pixels as they are.
  const int maxX = std::min(W, source.width() / f), maxY = std::min(H, source.height() / f);
  auto average = [&](int x, int y, std::uint8_t* out) {
    unsigned sum[3] = {0, 0, 0};
    for (int j = 0; j < f; ++j) {
      const std::uint8_t* s = source.constScanLine(y * f + j) + size_t(x) * f * 3;
      for (int i = 0; i < f * 3; i += 3) {
        sum[0] += s[i];
        sum[1] += s[i + 1];
        sum[2] += s[i + 2];
      }
    }
    out[0] = std::uint8_t(sum[0] / ff);
    out[1] = std::uint8_t(sum[1] / ff);
    out[2] = std::uint8_t(sum[2] / ff);
  };
  for (int y = 0; y < maxY; ++y) {
    std::uint8_t* row = target.scanLine(y);
    const bool edgeRow = !(b < y && y < H - b);
    if (edgeRow) {
      for (int x = 0; x < maxX; ++x) average(x, y, row + x * 3);
    } else {
      for (int x = 0; x < maxX && x <= b; ++x) average(x, y, row + x * 3);
      for (int x = std::max(W - b, 0); x < maxX; ++x) average(x, y, row + x * 3);
    }
  }
  if (W - 2 * b > 0 && H - 2 * b > 0) FillFlat(target, QRect(b, b, W - 2 * b, H - 2 * b), fill);
}

// ---------------------------------------------------------------------------------------------
// Persistent objects

void TLmPersistent::Assign(const TLmPersistent* source) {
  if (source)
    source->AssignTo(*this);
  else
    AssignError(nullptr);
}

void TLmPersistent::AssignTo(TLmPersistent& dest) const { dest.AssignError(this); }

void TLmPersistent::AssignError(const TLmPersistent* source) const {
  const QString sourceName = source ? source->ClassName() : QStringLiteral("nil");
  throw EAssignError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

TLmCustomColors::TLmCustomColors(QObject* owner) : owner_(owner) {}

void TLmCustomColors::SetColorAndRebuild(TColor& field, TColor value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TLmCustomColors::SetDefaultFrom(TColor value) { SetColorAndRebuild(defaultFrom_, value); }
void TLmCustomColors::SetDefaultTo(TColor value) { SetColorAndRebuild(defaultTo_, value); }
void TLmCustomColors::SetOverFrom(TColor value) { SetColorAndRebuild(overFrom_, value); }
void TLmCustomColors::SetOverTo(TColor value) { SetColorAndRebuild(overTo_, value); }
void TLmControlColors::SetClickedFrom(TColor value) { SetColorAndRebuild(clickedFrom_, value); }
void TLmControlColors::SetClickedTo(TColor value) { SetColorAndRebuild(clickedTo_, value); }
void TLmControlColors::SetBorderColor(TColor value) { SetColorAndRebuild(borderColor_, value); }

void TLmCustomColors::AssignTo(TLmPersistent& dest) const {
  auto* colors = dynamic_cast<TLmCustomColors*>(&dest);
  if (!colors) {
    TLmPersistent::AssignTo(dest);
    return;
  }
  // A straight copy: the target's owner is not told.
  colors->defaultFrom_ = defaultFrom_;
  colors->defaultTo_ = defaultTo_;
  colors->overFrom_ = overFrom_;
  colors->overTo_ = overTo_;
  auto* to = dynamic_cast<TLmControlColors*>(colors);
  auto* from = dynamic_cast<const TLmControlColors*>(this);
  if (to && from) {
    to->clickedFrom_ = from->clickedFrom_;
    to->clickedTo_ = from->clickedTo_;
    to->hotTrack_ = from->hotTrack_;
    to->borderColor_ = from->borderColor_;
    to->textShadow_ = from->textShadow_;
  }
}

TLmControlColors::TLmControlColors(QObject* owner) : TLmCustomColors(owner) {}

void TLmControlColors::SetHotTrack(TColor value) {
  if (hotTrack_ == value) return;
  hotTrack_ = value;
  RepaintOwner();
}

void TLmControlColors::SetTextShadow(TColor value) {
  if (textShadow_ == value) return;
  textShadow_ = value;
  RepaintOwner();
}

void TLmControlColors::Changed() {
  if (auto* control = qobject_cast<TLmCustomControl*>(owner_)) control->RebuildBitmaps();
}

void TLmControlColors::RepaintOwner() {
  if (auto* widget = qobject_cast<QWidget*>(owner_)) widget->update();
}

TLmSplitterColors::TLmSplitterColors(QObject* owner) : TLmCustomColors(owner) {
  defaultFrom_ = clBtnFace;
  defaultTo_ = clBtnFace;
  overFrom_ = clWhite;
  overTo_ = 12489846;
}

void TLmSplitterColors::Changed() {}

// ---------------------------------------------------------------------------------------------
// Style manager

namespace {

// Every control of the kit that exists, for the managers' removal notices.
QList<TLmCustomControl*>& LiveControls() {
  static QList<TLmCustomControl*> controls;
  return controls;
}

}  // namespace

TLmStyleManager::TLmStyleManager(QObject* owner)
    : QObject(owner), colors_(new TLmControlColors(nullptr)), splitterColors_(new TLmSplitterColors(nullptr)) {}

TLmStyleManager::~TLmStyleManager() {
  destroying_ = true;
  // Every control that may know this manager hears of its removal: the registered ones and the
  // controls that share its owner.
  // The owner may itself be tearing down its children, so it is not asked for them: the
  // living controls are walked instead, comparing their ancestors by address only.
  QList<TLmCustomControl*> told = controls_;
  if (QObject* owner = parent())
    for (TLmCustomControl* c : LiveControls()) {
      if (told.contains(c)) continue;
      for (QObject* up = c->parent(); up; up = up->parent())
        if (up == owner) {
          told.append(c);
          break;
        }
    }
  for (TLmCustomControl* c : told) c->Notification(this, opRemove);
  delete colors_;
  delete splitterColors_;
}

void TLmStyleManager::SetColors(const TLmControlColors& value) { colors_->Assign(&value); }

void TLmStyleManager::SetSplitterColors(const TLmSplitterColors& value) {
  splitterColors_->Assign(&value);
}

void TLmStyleManager::RegisterControl(TLmCustomControl* control) {
  if (control && !controls_.contains(control)) controls_.append(control);
}

void TLmStyleManager::UnregisterControl(TLmCustomControl* control) {
  if (destroying_) return;
  controls_.removeAll(control);
}

void TLmStyleManager::AssignTo(TLmPersistent& dest) const {
  auto* manager = dynamic_cast<TLmStyleManager*>(&dest);
  if (!manager) {
    TLmPersistent::AssignTo(dest);
    return;
  }
  manager->colors_->Assign(colors_);
  manager->splitterColors_->Assign(splitterColors_);
  manager->showFocusRect_ = showFocusRect_;
  manager->hotTrack_ = hotTrack_;
  manager->gradientBorder_ = gradientBorder_;
  manager->checkColor_ = checkColor_;
  manager->font_ = font_;
  manager->fadeSpeed_ = fadeSpeed_;
  manager->panelColor_ = panelColor_;
  manager->borderColor_ = borderColor_;
  manager->textShadow_ = textShadow_;
}

// ---------------------------------------------------------------------------------------------
// The painted base control

TLmCustomControl::TLmCustomControl(QWidget* parent) : QWidget(parent) {
  // Opaque and painted whole from cached bitmaps; the backing store double-buffers it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  UpdateFocusPolicy();
  if (parent) color_ = ParentColorValue();
  LiveControls().append(this);
}

TLmCustomControl::~TLmCustomControl() {
  LiveControls().removeOne(this);
  fadeTimer_.stop();
  if (lmStyleManager_) lmStyleManager_->UnregisterControl(this);
}

QString TLmCustomControl::About() const { return QStringLiteral("LmControls gradient control kit"); }

void TLmCustomControl::SetTextShadow(bool value) {
  if (textShadow_ == value) return;
  textShadow_ = value;
  Repaint();
}

void TLmCustomControl::SetShowCaption(bool value) {
  if (showCaption_ == value) return;
  showCaption_ = value;
  Repaint();
}

void TLmCustomControl::SetLmStyleManager(TLmStyleManager* value) {
  if (lmStyleManager_ == value) return;
  // Leave the old register too, so no manager keeps a control that has moved on.
  if (lmStyleManager_) lmStyleManager_->UnregisterControl(this);
  if (value) value->RegisterControl(this);
  lmStyleManager_ = value;
}

void TLmCustomControl::Notification(QObject* component, TOperation operation) {
  if (operation != opRemove || !component) return;
  if (!dynamic_cast<TLmStyleManager*>(component)) return;
  if (lmStyleManager_ && lmStyleManager_ != component) lmStyleManager_->UnregisterControl(this);
  lmStyleManager_ = nullptr;
}

void TLmCustomControl::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  parentColor_ = false;
  ColorChanged();
  NotifyChildrenColor();
}

void TLmCustomControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (value) ParentColorMessage();
}

TColor TLmCustomControl::ParentColorValue() const {
  QWidget* p = parentWidget();
  if (!p) return color_;
  if (auto* control = qobject_cast<TLmCustomControl*>(p)) return control->Color();
  // A window of the program may carry its colour as a property; else it is a plain window.
  const QVariant v = p->property("Color");
  if (v.isValid()) return TColor(v.toInt());
  return clBtnFace;
}

void TLmCustomControl::NotifyChildrenColor() {
  for (QObject* o : children())
    if (auto* c = qobject_cast<TLmCustomControl*>(o)) c->ParentColorMessage();
}

void TLmCustomControl::ParentColorMessage() {
  ParentColorChanged();
  if (!parentColor_) return;
  const TColor c = ParentColorValue();
  if (c == color_) return;
  color_ = c;
  ColorChanged();
  NotifyChildrenColor();
}

void TLmCustomControl::ColorChanged() { Repaint(); }

void TLmCustomControl::SetFont(const QFont& value) {
  QFont f = value;
  f.setResolveMask(QFont::AllPropertiesResolved);
  setFont(f);
}

TColor TLmCustomControl::FontColor() const {
  if (fontColorSet_) return fontColor_;
  if (auto* control = qobject_cast<TLmCustomControl*>(parentWidget())) return control->FontColor();
  return clWindowText;
}

void TLmCustomControl::SetFontColor(TColor value) {
  const TColor old = FontColor();
  fontColor_ = value;
  fontColorSet_ = true;
  if (old == value) return;
  Repaint();
  for (TLmCustomControl* c : findChildren<TLmCustomControl*>()) c->Repaint();
}

bool TLmCustomControl::ParentFont() const {
  return !testAttribute(Qt::WA_SetFont) && !fontColorSet_;
}

void TLmCustomControl::SetParentFont(bool value) {
  if (value == ParentFont()) return;
  if (value) {
    fontColorSet_ = false;
    setFont(QFont());
  } else {
    fontColor_ = FontColor();
    fontColorSet_ = true;
    SetFont(font());
  }
  Repaint();
}

void TLmCustomControl::SetTabStop(bool value) {
  if (tabStop_ == value) return;
  tabStop_ = value;
  UpdateFocusPolicy();
}

void TLmCustomControl::SetTakesFocus(bool value) {
  takesFocus_ = value;
  UpdateFocusPolicy();
}

void TLmCustomControl::UpdateFocusPolicy() {
  // Only Tab is left to the toolkit. A click gives the focus through LeftMouseDown, on the
  // control itself only: the toolkit would also hand it to the control for a click on a child
  // that takes no focus (a navigator's button, say) and take it from where the user had it.
  setFocusPolicy(takesFocus_ && tabStop_ ? Qt::TabFocus : Qt::NoFocus);
}

bool TLmCustomControl::CanFocus() const {
  if (!takesFocus_) return false;
  for (const QWidget* w = this; w; w = w->parentWidget()) {
    if (w->isHidden() || !w->isEnabled()) return false;
    if (w->isWindow()) break;
  }
  return true;
}

void TLmCustomControl::Click() {
  if (OnClick) OnClick(this);
}

void TLmCustomControl::Loaded() {
  loading_ = false;
  RebuildBitmaps();
}

void TLmCustomControl::SetText(const QString& value) {
  if (text_ == value) return;
  text_ = value;
  setAccessibleName(QString(value).remove(QLatin1Char('&')));
  TextChanged();
}

void TLmCustomControl::EnabledChanged() { Repaint(); }
void TLmCustomControl::FocusChanged() {}

void TLmCustomControl::LeftMouseDown() {
  if (!hasFocus() && CanFocus()) setFocus(Qt::MouseFocusReason);
}

void TLmCustomControl::LeftMouseUp() {}

void TLmCustomControl::MouseEntered() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TLmCustomControl::MouseLeft() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TLmCustomControl::MouseMoved() {}
void TLmCustomControl::ParentColorChanged() {}
void TLmCustomControl::SizeChanged() {}
void TLmCustomControl::TextChanged() { Repaint(); }

void TLmCustomControl::FadeOutStep() {
  // Whether anything is still showing is judged before this tick lowers the press level, so a
  // press that reaches 0 still takes the hover level down once more.
  const bool showing = hoverLevel_ > 0 || pressLevel_ > 0;
  if (pressLevel_ > 0) pressLevel_ -= 25;
  if (showing) {
    hoverLevel_ -= 10;
  } else {
    hoverLevel_ = 0;
    pressLevel_ = 0;
    KillFadeTimer();
  }
  Repaint();
}

void TLmCustomControl::FadeInStep() {
  if (IsOver() && IsPressed()) {
    if (pressLevel_ >= 100) {
      pressLevel_ = 100;
      Repaint();
      KillFadeTimer();
      return;
    }
    pressLevel_ += 25;
    Repaint();
    return;
  }
  if (pressLevel_ > 0) pressLevel_ -= 25;
  if (hoverLevel_ < 100)
    hoverLevel_ += 10;
  else
    hoverLevel_ = 100;
  Repaint();
  if (pressLevel_ <= 0 && hoverLevel_ >= 100) KillFadeTimer();
}

void TLmCustomControl::RebuildWhilePainting() {
  const bool was = updatesEnabled();
  setUpdatesEnabled(false);
  base::ScopeGuard restore([this, was] { setUpdatesEnabled(was); });
  RebuildBitmaps();
}

void TLmCustomControl::StartFadeTimer() {
  fadeTimer_.stop();
  timerInterval_ = FadeInterval(fadeSpeed_);
  fadeTimer_.start(timerInterval_, Qt::PreciseTimer, this);
}

void TLmCustomControl::KillFadeTimer() {
  fadeTimer_.stop();
  timerInterval_ = 0;
}

void TLmCustomControl::timerEvent(QTimerEvent* event) {
  try {
    if (timerStep_ == tsFadeIn)
      FadeInStep();
    else if (timerStep_ == tsFadeOut)
      FadeOutStep();
  } catch (...) {
    // A failing tick must not take the window down; the next tick tries again.
  }
  QWidget::timerEvent(event);
}

void TLmCustomControl::enterEvent(QEnterEvent* event) {
  MouseEntered();
  QWidget::enterEvent(event);
}

void TLmCustomControl::leaveEvent(QEvent* event) {
  MouseLeft();
  QWidget::leaveEvent(event);
}

void TLmCustomControl::resizeEvent(QResizeEvent* event) {
  SizeChanged();
  QWidget::resizeEvent(event);
}

void TLmCustomControl::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) clicked_ = true;
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
  event->accept();
  if (event->button() == Qt::LeftButton) LeftMouseDown();
}

void TLmCustomControl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!acceptsDoubleClicks_) {
    // A quick second click is an ordinary click.
    mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) DblClick();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
  event->accept();
  if (event->button() == Qt::LeftButton) LeftMouseDown();
}

void TLmCustomControl::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton && clicked_) {
    clicked_ = false;
    if (rect().contains(pos)) Click();
  }
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
  event->accept();
  if (event->button() == Qt::LeftButton) LeftMouseUp();
}

void TLmCustomControl::mouseMoveEvent(QMouseEvent* event) {
  MouseMoved();
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
  QWidget::mouseMoveEvent(event);
}

void TLmCustomControl::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyDown) {
    OnKeyDown(this, key, event->modifiers());
    if (key == 0) {
      event->accept();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

void TLmCustomControl::focusInEvent(QFocusEvent* event) {
  FocusChanged();
  if (OnEnter) OnEnter(this);
  QWidget::focusInEvent(event);
}

void TLmCustomControl::focusOutEvent(QFocusEvent* event) {
  FocusChanged();
  if (OnExit) OnExit(this);
  QWidget::focusOutEvent(event);
}

void TLmCustomControl::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::EnabledChange: EnabledChanged(); break;
    case QEvent::ParentChange: ParentColorMessage(); break;
    case QEvent::PaletteChange:
      ParentColorMessage();
      // System colours follow the palette: the cached bitmaps may hold old ones.
      if (!Loading()) RebuildBitmaps();
      break;
    case QEvent::FontChange: Repaint(); break;
    default: break;
  }
  QWidget::changeEvent(event);
}

}  // namespace gradient
