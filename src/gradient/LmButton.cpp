#include "gradient/LmButton.h"

#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QVariant>

#include <algorithm>
#include <cstring>

namespace gradient {

using namespace base;

namespace {

void PutPixel(QImage& image, int x, int y, const std::uint8_t* px) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  std::memcpy(image.scanLine(y) + x * 3, px, 3);
}

void ToBGR(TColor color, std::uint8_t* px) {
  const TColor c = ColorToRGB(color);
  px[0] = std::uint8_t(GetBValue(c));
  px[1] = std::uint8_t(GetGValue(c));
  px[2] = std::uint8_t(GetRValue(c));
}

// A one-pixel rectangle outline (right and bottom excluded).
void FrameRect(QImage& image, int l, int t, int r, int b, TColor color) {
  if (r <= l || b <= t) return;
  std::uint8_t px[3];
  ToBGR(color, px);
  for (int x = l; x < r; ++x) {
    PutPixel(image, x, t, px);
    PutPixel(image, x, b - 1, px);
  }
  for (int y = t; y < b; ++y) {
    PutPixel(image, l, y, px);
    PutPixel(image, r - 1, y, px);
  }
}

// The outline of a rectangle whose corners are cut by a 5 x 5 ellipse: two pixels in along the
// straight edges, one pixel diagonal at each corner.
void FrameRoundRect5(QImage& image, int w, int h, TColor color) {
  if (w <= 0 || h <= 0) return;
  std::uint8_t px[3];
  ToBGR(color, px);
  if (w < 5 || h < 5) {
    FrameRect(image, 0, 0, w, h, color);
    return;
  }
  for (int x = 2; x <= w - 3; ++x) {
    PutPixel(image, x, 0, px);
    PutPixel(image, x, h - 1, px);
  }
  for (int y = 2; y <= h - 3; ++y) {
    PutPixel(image, 0, y, px);
    PutPixel(image, w - 1, y, px);
  }
  PutPixel(image, 1, 1, px);
  PutPixel(image, w - 2, 1, px);
  PutPixel(image, 1, h - 2, px);
  PutPixel(image, w - 2, h - 2, px);
}

// The glyph as a picture with its transparent parts: its own alpha, or else every pixel of the
// colour of its bottom-left pixel.
QImage TransparentGlyph(const QImage& glyph, bool disabled) {
  QImage copy = glyph.convertToFormat(QImage::Format_BGR888);
  if (disabled) TintBitmap(copy, RGBToColor(64, 64, 64));
  QImage out = copy.convertToFormat(QImage::Format_ARGB32);
  if (glyph.hasAlphaChannel()) {
    const QImage alpha = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
      auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
      const auto* a = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
      for (int x = 0; x < out.width(); ++x) o[x] = qRgba(qRed(o[x]), qGreen(o[x]), qBlue(o[x]), qAlpha(a[x]));
    }
    return out;
  }
  const QRgb key = glyph.pixel(0, glyph.height() - 1) & 0xFFFFFF;
  const QImage keyed = glyph.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
    const auto* k = reinterpret_cast<const QRgb*>(keyed.constScanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((k[x] & 0xFFFFFF) == key) o[x] = 0;
  }
  return out;
}

}  // namespace

bool TLmButton::CaptionLayer::operator==(const CaptionLayer& o) const {
  return text == o.text && font == o.font && rect == o.rect && size == o.size && ratio == o.ratio &&
         flags == o.flags && std::equal(std::begin(colors), std::end(colors), std::begin(o.colors)) &&
         shadow == o.shadow && enabled == o.enabled;
}

TLmButton::TLmButton(QWidget* parent) : TLmCustomControl(parent), colors_(new TLmControlColors(this)) {
  resize(75, 25);
  RebuildBitmaps();
}

TLmButton::~TLmButton() {
  if (watchedWindow_) watchedWindow_->removeEventFilter(this);
  delete colors_;
  colors_ = nullptr;
}

void TLmButton::SetGlyph(const QImage& value) {
  glyph_ = value.isNull() ? QImage() : value.copy();
  Repaint();
}

void TLmButton::SetSpacing(int value) { spacing_ = std::max(value, 0); }

void TLmButton::SetLayout(TButtonLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Repaint();
}

void TLmButton::SetColors(const TLmControlColors& value) {
  colors_->Assign(&value);
  // The copy tells nobody, so the cached gradients follow here.
  RebuildBitmaps();
}

void TLmButton::SetShowFocusRect(bool value) {
  if (showFocusRect_ == value) return;
  showFocusRect_ = value;
  Repaint();
}

void TLmButton::SetHotTrack(bool value) {
  if (hotTrack_ == value) return;
  hotTrack_ = value;
  Repaint();
}

void TLmButton::SetDefault(bool value) {
  if (default_ == value) return;
  default_ = value;
  WatchWindowKeys();
  Repaint();
}

void TLmButton::SetCancel(bool value) {
  cancel_ = value;
  WatchWindowKeys();
}

void TLmButton::SetGradientType(TGradientType value) {
  if (gradientType_ == value) return;
  gradientType_ = value;
  RebuildBitmaps();
}

void TLmButton::RebuildBitmaps() {
  if (!colors_) return;
  const int w = width(), h = height();
  const QRect r(0, 0, w, h);
  auto build = [&](QImage& image, TColor from, TColor to) {
    if (image.size() != size() || image.isNull())
      image = (w > 0 && h > 0) ? QImage(w, h, QImage::Format_BGR888) : QImage();
    FillGradient(image, r, from, to, gradientType_);
  };
  build(normal_, colors_->DefaultFrom(), colors_->DefaultTo());
  build(over_, colors_->OverFrom(), colors_->OverTo());
  build(pressed_, colors_->ClickedFrom(), colors_->ClickedTo());
  built_ = true;
  Repaint();
}

void TLmButton::SizeChanged() {
  // A resize to the same size (the first show, for instance) changes nothing.
  if (normal_.size() == size() && built_) return;
  RebuildBitmaps();
}

void TLmButton::FocusChanged() { Repaint(); }

void TLmButton::LeftMouseDown() {
  TLmCustomControl::LeftMouseDown();
  state_ |= stOver | stPressed;
  timerStep_ = tsFadeIn;
  StartFadeTimer();
}

void TLmButton::LeftMouseUp() {
  if (!down_) state_ &= std::uint8_t(~stPressed);
  if (IsOver()) timerStep_ = tsFadeIn;
  StartFadeTimer();
}

void TLmButton::MouseEntered() {
  TLmCustomControl::MouseEntered();
  state_ |= stOver;
  timerStep_ = tsFadeIn;
  StartFadeTimer();
}

void TLmButton::MouseLeft() {
  TLmCustomControl::MouseLeft();
  if (down_) return;
  state_ &= std::uint8_t(~stOver);
  timerStep_ = tsFadeOut;
  StartFadeTimer();
}

QList<TLmButton*> TLmButton::GroupSiblings() const {
  QList<TLmButton*> out;
  if (!parent()) return out;
  for (QObject* o : parent()->children())
    if (auto* b = qobject_cast<TLmButton*>(o); b && b != this && b->groupIndex_ == groupIndex_)
      out.append(b);
  return out;
}

bool TLmButton::MayRelease() const {
  if (allowAllUp_) return true;
  const QList<TLmButton*> siblings = GroupSiblings();
  return std::any_of(siblings.begin(), siblings.end(), [](TLmButton* b) { return b->down_; });
}

void TLmButton::SetDown(bool value) {
  if (groupIndex_ <= 0) return;
  if (!value && !MayRelease()) return;
  down_ = value;
  if (value) {
    for (TLmButton* b : GroupSiblings()) b->SetDown(false);
    state_ |= stOver | stPressed;
    timerStep_ = tsFadeIn;
  } else {
    state_ &= std::uint8_t(~stPressed);
    timerStep_ = tsFadeOut;
  }
  StartFadeTimer();
}

void TLmButton::WriteFormModalResult() {
  QWidget* form = window();
  if (!form || form == this) return;
  form->setProperty("ModalResult", modalResult_);
  if (auto* dialog = qobject_cast<QDialog*>(form)) {
    // A nonzero result ends a dialog that runs modally, as it would be closed by its own buttons.
    if (modalResult_ != 0 && dialog->isModal() && dialog->isVisible())
      dialog->done(modalResult_);
    else
      dialog->setResult(modalResult_);
  }
}

void TLmButton::Click() {
  WriteFormModalResult();
  if (groupIndex_ > 0) SetDown(!down_);
  TLmCustomControl::Click();
}

bool TLmButton::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  const bool plain =
      (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
  const bool mine = (enter && (hasFocus() || default_)) || (key == Qt::Key_Escape && cancel_ && plain);
  if (!mine || !CanFocus()) return false;
  Click();
  return true;
}

void TLmButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
    if (DialogKey(key, event->modifiers())) {
      event->accept();
      return;
    }
  }
  const bool plain = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                            Qt::AltModifier | Qt::MetaModifier)) == 0;
  // Every key repeat of a held Space is one more click.
  const bool space = key == Qt::Key_Space && plain;
  if (space) Click();
  TLmCustomControl::keyPressEvent(event);
  if (space) event->accept();
}

void TLmButton::WatchWindowKeys() {
  QWidget* form = (default_ || cancel_) ? window() : nullptr;
  if (form == this) form = nullptr;
  if (form == watchedWindow_) return;
  if (watchedWindow_) watchedWindow_->removeEventFilter(this);
  watchedWindow_ = form;
  if (form) form->installEventFilter(this);
}

bool TLmButton::eventFilter(QObject* watched, QEvent* event) {
  // Enter or Escape that no control used reaches the window: the default or cancel button takes it.
  if (watched == watchedWindow_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    if ((k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) &&
        DialogKey(k, key->modifiers())) {
      key->accept();
      return true;
    }
  }
  return TLmCustomControl::eventFilter(watched, event);
}

void TLmButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ParentChange) WatchWindowKeys();
  TLmCustomControl::changeEvent(event);
}

void TLmButton::paintEvent(QPaintEvent*) {
  const int W = width(), H = height();
  if (W <= 0 || H <= 0) return;
  if (normal_.size() != size()) {
    // Resized while hidden: the resize arrives only when shown, so catch up here.
    RebuildWhilePainting();
  }

  // The work and screen bitmaps live as long as the button keeps its size: a fade repaints
  // every few milliseconds.
  if (work_.size() != size()) {
    work_ = QImage(W, H, QImage::Format_BGR888);
    screen_ = QImage(W, H, QImage::Format_RGB32);
  }
  QImage& work = work_;
  work.fill(Qt::black);
  int l = 0, t = 0, r = W, b = H;
  LayerBitmaps(work, normal_, over_, 1, QRect(l, t, r - l, b - t), hoverLevel_);
  if (pressLevel_ > 0) {
    if (gradientBorder_) { l += 3; t += 3; r -= 3; b -= 3; }
    LayerBitmaps(work, work, pressed_, 1, QRect(l, t, r - l, b - t), pressLevel_);
    if (gradientBorder_) { l -= 3; t -= 3; r += 3; b += 3; }
  }
  FrameRect(work, l, t, r, b, Color());
  FrameRoundRect5(work, W, H, colors_->BorderColor());

  // Handed to the screen in its native pixel layout, so the copy is a plain block copy.
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* in = work.constScanLine(y);
    auto* out = reinterpret_cast<QRgb*>(screen_.scanLine(y));
    for (int x = 0; x < W; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
  }
  QPainter p(this);
  p.drawImage(0, 0, screen_);

  int tl = 0, tt = 0, tr = W, tb = H;
  const bool glyph = !glyph_.isNull();
  const int gw = glyph ? glyph_.width() : 0, gh = glyph ? glyph_.height() : 0;
  if (glyph) {
    switch (layout_) {
      case blGlyphLeft: tl += gw + spacing_; break;
      case blGlyphRight: tl -= gw + spacing_; break;
      case blGlyphTop: tt += gh + spacing_; break;
      case blGlyphBottom: tt -= gh + spacing_; break;
    }
  }
  const unsigned flags = CaptionFormat(taCenter, false);
  const QFont f = Font();
  p.setFont(f);
  TColor textColor = FontColor();
  if (hotTrack_ && IsOver()) textColor = colors_->HotTrack();
  const QString caption = Caption();
  if (ShowCaption() && !caption.isEmpty()) {
    CaptionLayer want;
    want.text = caption;
    want.font = f.key();
    want.rect = QRect(tl, tt, tr - tl, tb - tt);
    want.size = size();
    want.ratio = devicePixelRatioF();
    want.flags = flags;
    want.colors[0] = ColorToRGB(textColor);
    want.colors[1] = ColorToRGB(colors_->TextShadow());
    want.colors[2] = ColorToRGB(clBtnHighlight);
    want.colors[3] = ColorToRGB(clBtnShadow);
    want.shadow = TextShadow();
    want.enabled = isEnabled();
    if (!(want == captionLayer_)) {
      want.image = QImage((QSizeF(size()) * want.ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
      want.image.setDevicePixelRatio(want.ratio);
      want.image.fill(Qt::transparent);
      QPainter layer(&want.image);
      DrawShadowText(layer, caption, f, textColor, colors_->TextShadow(), TextShadow(), flags, want.rect,
                     isEnabled());
      layer.end();
      captionLayer_ = std::move(want);
    }
    p.drawImage(0, 0, captionLayer_.image);
  }

  if (glyph) {
    const QFontMetrics fm(f);
    const int tw = fm.horizontalAdvance(caption), th = fm.height();
    const bool withText = !caption.isEmpty() && ShowCaption();
    int x = 0, y = 0;
    switch (layout_) {
      case blGlyphLeft:
        x = withText ? (tl + tr - tw) / 2 - spacing_ - gw : (tl + tr - spacing_) / 2 - gw;
        y = (H - gh) / 2;
        break;
      case blGlyphRight:
        x = withText ? (tl + tr + tw) / 2 + spacing_ : (tl + tr) / 2 + spacing_;
        y = (H - gh) / 2;
        break;
      case blGlyphTop:
        x = (W - gw) / 2;
        y = withText ? (tt + tb - th) / 2 - spacing_ - gh : (tt + tb) / 2 - spacing_ - gh;
        break;
      case blGlyphBottom:
        x = (W - gw) / 2;
        y = withText ? (tt + tb + th) / 2 + spacing_ : (tt + tb) / 2 + spacing_;
        break;
    }
    p.drawImage(x, y, TransparentGlyph(glyph_, !isEnabled()));
  }

  if (hasFocus() && showFocusRect_) DrawFocusRect(p, rect().adjusted(2, 2, -2, -2));
}

}  // namespace gradient
