// links: termora_gradient Qt6::Widgets
// The gradient kit's costs beside their baselines, measured in the same run:
//  - a letter button repainted in the middle of a fade (hover 50, press 25) against a push button
//    of the same size painted by the Fusion style;
//  - the glossary panel's anti-aliased background rebuilt (817 x 325) against averaging the whole
//    three-times bitmap down.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTimerEvent>

#include <memory>

#include "gradient/LmButton.h"
#include "gradient/LmPanel.h"

using namespace gradient;

namespace {

QFont LetterFont() {
  QFont f(QStringLiteral("Verdana"));
  f.setPixelSize(13);
  return f;
}

void Tick(QWidget* w, int times) {
  for (int i = 0; i < times; ++i) {
    QTimerEvent e(1);
    QCoreApplication::sendEvent(w, &e);
  }
}

void BM_LetterButtonRepaintMidFade(benchmark::State& state) {
  QWidget form;
  auto* button = new TLmButton(&form);
  button->setGeometry(0, 0, 25, 25);
  button->SetCaption(QString::fromUtf8("К"));
  button->SetFont(LetterFont());
  button->SetFontColor(13500416);
  form.resize(40, 40);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(button, &enter);
  Tick(button, 5);  // hover 50
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  Tick(button, 1);  // press 25
  if (button->HoverLevel() != 50 || button->PressLevel() != 25) state.SkipWithError("fade levels not reached");
  QImage target(25, 25, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    button->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_LetterButtonRepaintMidFade);

void BM_FusionPushButtonRepaint(benchmark::State& state) {
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  QWidget form;
  auto* button = new QPushButton(QString::fromUtf8("К"), &form);
  button->setStyle(fusion.get());
  button->setGeometry(0, 0, 25, 25);
  button->setFont(LetterFont());
  form.resize(40, 40);
  QImage target(25, 25, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    button->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_FusionPushButtonRepaint);

class GlossaryPanel : public TLmPanel {
 public:
  using TLmPanel::RebuildBitmaps;
};

void BM_GlossaryPanelRebuild(benchmark::State& state) {
  QWidget form;
  auto* panel = new GlossaryPanel;
  panel->setParent(&form);
  panel->setGeometry(4, 0, 817, 325);
  panel->resize(817, 325);
  panel->RebuildBitmaps();
  for (auto _ : state) {
    panel->RebuildBitmaps();
    benchmark::DoNotOptimize(panel->Background().constBits());
  }
}
BENCHMARK(BM_GlossaryPanelRebuild)->Unit(benchmark::kMicrosecond);

void BM_AverageWholeTripleBitmap(benchmark::State& state) {
  QImage source(817 * 3, 325 * 3, QImage::Format_BGR888);
  source.fill(QColor(223, 223, 227));
  QImage target(817, 325, QImage::Format_BGR888);
  for (auto _ : state) {
    // A band as wide as the bitmap: every pixel is averaged.
    DownsampleEdges(source, target, 3, 14933983, 2 * 817 + 2);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_AverageWholeTripleBitmap)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
