// The measurement overlay of the response graph: measured, predicted and target traces,
// their legend and the right-hand axis of measured levels.

#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "dsp/response_math.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/ui_text.h"

namespace kv816 {
namespace {

const QColor MEASURED = QColor(0xa0, 0xa0, 0xa0);
const QColor PREDICTED = QColor(0xff, 0xa0, 0x40);
const QColor TARGET = QColor(0x60, 0xc0, 0x60);
const QColor AXIS_TEXT = QColor::fromRgba(0xF0A0A0A0);
// Far enough outside the plot to be clipped, near enough for the painter's arithmetic.
constexpr double FAR_OUTSIDE = 1.0e5;

// Pixel rows to a path in client coordinates; a NaN row leaves a gap.
QPainterPath tracePath(const std::vector<double>& rows, int left, int zero) {
  QPainterPath path;
  bool drawing = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (std::isnan(rows[i])) {
      drawing = false;
      continue;
    }
    const QPointF p(left + static_cast<double>(i),
                    zero + std::clamp(rows[i], -FAR_OUTSIDE, FAR_OUTSIDE));
    if (drawing) {
      path.lineTo(p);
    } else {
      path.moveTo(p);
    }
    drawing = true;
  }
  return path;
}

} // namespace

void ResponseGraph::setOverlay(GraphOverlay overlay) {
  overlay_ = std::move(overlay);
  overlayWidth_ = -1;
  update();
}

// The measured and target rows depend only on the overlay and the plot size; they are
// kept until either changes. The prediction follows the total on every paint.
void ResponseGraph::prepareOverlayRows() {
  const int w = model_.plotWidth();
  const int h = model_.plotHeight();
  if (overlayWidth_ == w && overlayHeight_ == h) {
    return;
  }
  overlayWidth_ = w;
  overlayHeight_ = h;
  measuredRows_.assign(static_cast<size_t>(w), 0.0);
  targetRows_.assign(static_cast<size_t>(w), 0.0);
  for (int i = 0; i < w; ++i) {
    const double f = columnToFrequency(i, w);
    const double level = measuredLevelAt(overlay_.measurement, f) + overlay_.offsetDb;
    measuredRows_[static_cast<size_t>(i)] = dbToPixels(level, h);
    targetRows_[static_cast<size_t>(i)] = dbToPixels(overlay_.target.levelAt(f), h);
  }
}

void ResponseGraph::paintOverlay(QPainter& painter) {
  if (!overlay_.active()) {
    return;
  }
  prepareOverlayRows();
  const int left = model_.plotLeft();
  const int zero = model_.zeroLine();
  if (overlay_.showTarget) {
    painter.strokePath(tracePath(targetRows_, left, zero), QPen(TARGET, 1.5, Qt::DashLine));
  }
  if (overlay_.showMeasured) {
    painter.strokePath(tracePath(measuredRows_, left, zero), QPen(MEASURED, 1.5));
  }
  if (overlay_.showPredicted) {
    const std::span<const double> total = model_.curves().total();
    std::vector<double> predicted = measuredRows_;
    for (size_t i = 0; i < predicted.size() && i < total.size(); ++i) {
      predicted[i] += total[i];
    }
    painter.strokePath(tracePath(predicted, left, zero), QPen(PREDICTED, 2));
  }
  paintOverlayLegend(painter);
}

void ResponseGraph::paintOverlayLegend(QPainter& painter) const {
  QFont font("Arial");
  font.setPixelSize(12);
  painter.setFont(font);
  const struct {
    bool shown;
    Text text;
    QColor colour;
  } entries[] = {{overlay_.showMeasured, Text::TraceMeasured, MEASURED},
                 {overlay_.showPredicted, Text::TracePredicted, PREDICTED},
                 {overlay_.showTarget, Text::Target, TARGET}};
  int x = model_.plotLeft() + 8;
  const int y = model_.plotTop() + 4;
  const QFontMetrics metrics(font);
  for (const auto& e : entries) {
    if (!e.shown) {
      continue;
    }
    const QString text = uiText(e.text);
    painter.setPen(QPen(e.colour, 2));
    painter.drawLine(x, y + 7, x + 16, y + 7);
    painter.drawText(QPoint(x + 20, y + 11), text);
    x += 32 + metrics.horizontalAdvance(text);
  }
}

// Beside the plot's right edge: the measured level of each labelled grid line.
void ResponseGraph::paintOverlayAxis(QPainter& painter) const {
  if (!overlay_.active() || !overlay_.showMeasured) {
    return;
  }
  QFont font("Arial");
  font.setPixelSize(10);
  painter.setFont(font);
  painter.setPen(AXIS_TEXT);
  const int h = model_.plotHeight();
  for (int k = 0; k <= 6; k += 2) {
    const int y = model_.plotTop() + k * h / 6;
    const double level = 15.0 - 5.0 * k - overlay_.offsetDb;
    const QRect box(model_.plotRight() + 1, y - 8, width() - model_.plotRight() - 1, 16);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QString::number(std::lround(level)));
  }
}

} // namespace kv816
