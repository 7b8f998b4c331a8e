// Painting of the response graph: a cached background (grid and axis labels), then on
// every paint the curves, the banner, the markers and the hovered point's label.

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <span>
#include <vector>

#include "ui/controls/response_graph.h"

namespace kv816 {
namespace {

const QColor PLOT_BACKGROUND = QColor::fromRgba(0xFF000000);
const QColor GRID = QColor::fromRgba(0xFF3C3C3C);
const QColor AXIS_TEXT = QColor::fromRgba(0xF0F0F0F0);
const QColor SELECTED_CURVE = QColor::fromRgba(0x19FFFFFF);
const QColor SELECTED_AREA = QColor::fromRgba(0x32FFFFFF);
const QColor LABEL_TEXT = QColor::fromRgba(0xFFFFFFFF);
const QColor BANNER_TEXT = QColor::fromRgba(0x80FFFFFF);
const QColor FILTER_RING = QColor(0xff, 0xa5, 0x1f);
const QColor BAND_RING = QColor(0x3d, 0x8b, 0xd9);
const QColor Q_HANDLE = QColor(0xd0, 0xd0, 0xd0);

struct GridLine {
  double frequency;
  const char* label; // nullptr for an unlabelled line
};

constexpr GridLine FREQUENCY_GRID[] = {
    {19, "20"},      {30, nullptr},  {40, nullptr},     {50, "50"},      {60, nullptr},
    {70, nullptr},   {80, nullptr},  {90, nullptr},     {100, "100"},    {200, "200"},
    {300, nullptr},  {400, nullptr}, {500, "500"},      {600, nullptr},  {700, nullptr},
    {800, nullptr},  {900, nullptr}, {1000, "1K"},      {2000, "2K"},    {3000, nullptr},
    {4000, nullptr}, {5000, "5K"},   {6000, nullptr},   {7000, nullptr}, {8000, nullptr},
    {9000, nullptr}, {10000, "10K"}, {20600, "20KHz "},
};

// One vertex per change of pixel value (and the last column), in client coordinates.
std::vector<QPointF> vertices(std::span<const int> pixels, int left, int zero) {
  std::vector<QPointF> out;
  const int n = static_cast<int>(pixels.size());
  for (int i = 0; i < n; ++i) {
    if (i == 0 || pixels[i] != pixels[i - 1] || i == n - 1) {
      out.emplace_back(left + i, zero + pixels[i]);
    }
  }
  return out;
}

// A smooth curve through the vertices (Catmull-Rom segments as cubic Beziers).
QPainterPath smoothPath(const std::vector<QPointF>& v) {
  QPainterPath path;
  if (v.empty()) {
    return path;
  }
  path.moveTo(v[0]);
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    const QPointF p0 = v[i == 0 ? 0 : i - 1];
    const QPointF p3 = v[std::min(i + 2, v.size() - 1)];
    path.cubicTo(v[i] + (v[i + 1] - p0) / 6.0, v[i + 1] - (p3 - v[i]) / 6.0, v[i + 1]);
  }
  return path;
}

// Axis labels grow with the window as the controls do, within the margins of the plot.
QFont axisFont(double scale) {
  QFont font("Times New Roman");
  font.setPixelSize(std::max(1, static_cast<int>(12 * std::clamp(scale, 0.75, 1.3))));
  return font;
}

} // namespace

void ResponseGraph::rebuildBackground() {
  const qreal dpr = devicePixelRatioF();
  background_ = QPixmap(size() * dpr);
  background_.setDevicePixelRatio(dpr);
  background_.fill(PLOT_BACKGROUND);
  QPainter painter(&background_);
  const QFont font = axisFont(model_.settings().scale);
  painter.setFont(font);
  const int textHeight = QFontMetrics(font).height();
  const ResponseGraphModel& m = model_;
  const int left = m.plotLeft();
  const int top = m.plotTop();
  const int h = m.plotHeight();
  static constexpr const char* LEVELS[] = {"+15", "+5", "-5", "-15"};
  for (int k = 0; k <= 6; ++k) {
    const int y = top + k * h / 6;
    painter.setPen(QPen(GRID, 1));
    painter.drawLine(left, y, m.plotRight(), y);
    if (k % 2 == 0) {
      painter.setPen(AXIS_TEXT);
      // Centred on its line, but the outermost labels stay whole inside the graph.
      QRect box(0, y - textHeight / 2, left - 5, textHeight);
      box.moveTop(std::clamp(box.top(), 0, std::max(0, height() - textHeight)));
      painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, LEVELS[k / 2]);
    }
  }
  for (const GridLine& line : FREQUENCY_GRID) {
    const int x = left + m.columnOf(line.frequency);
    painter.setPen(QPen(GRID, 1));
    painter.drawLine(x, top, x, m.plotBottom());
    if (line.label) {
      painter.setPen(AXIS_TEXT);
      const QRect box(x - 40, m.plotBottom() + 2, 80, textHeight);
      painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, line.label);
    }
  }
  backgroundValid_ = true;
}

void ResponseGraph::paintSelectedCurve(QPainter& painter) const {
  const int index = model_.selected();
  const std::span<const double> row = model_.curves().row(index);
  if (row.empty()) {
    return;
  }
  std::vector<int> pixels(row.size());
  std::transform(row.begin(), row.end(), pixels.begin(),
                 [](double v) { return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6)); });
  const std::vector<QPointF> v = vertices(pixels, model_.plotLeft(), model_.zeroLine());
  QPainterPath curve = smoothPath(v);
  QPainterPath area = curve;
  // A band's area lies against the 0 dB line, a filter's against the plot bottom.
  const bool band = index >= ResponseGraphModel::FIRST_BAND;
  const double base = band ? model_.zeroLine() : model_.plotBottom();
  area.lineTo(v.back().x(), base);
  area.lineTo(v.front().x(), base);
  area.closeSubpath();
  painter.fillPath(area, SELECTED_AREA);
  painter.strokePath(curve, QPen(SELECTED_CURVE, 2));
}

void ResponseGraph::paintTotal(QPainter& painter) const {
  const std::vector<QPointF> v =
      vertices(model_.curves().totalPixels(), model_.plotLeft(), model_.zeroLine());
  painter.setPen(QPen(QColor::fromRgba(model_.settings().totalColor), 2));
  painter.drawPolyline(v.data(), static_cast<int>(v.size()));
}

void ResponseGraph::paintBanner(QPainter& painter) {
  if (banner_.isNull()) {
    banner_ = QImage(512, 64, QImage::Format_ARGB32_Premultiplied);
    banner_.fill(Qt::transparent);
    QPainter p(&banner_);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font("Arial");
    font.setBold(true);
    font.setPixelSize(48);
    p.setFont(font);
    p.setPen(BANNER_TEXT);
    p.drawText(QRect(0, 0, 512, 64), Qt::AlignLeft | Qt::AlignVCenter, "EQ PASS");
  }
  const QPoint at(model_.plotWidth() / 2 - 64, model_.plotBottom() - 70);
  painter.drawImage(at, banner_, QRect(0, 0, 448, 64));
}

void ResponseGraph::paintQHandles(QPainter& painter) const {
  const int m = model_.qHandleDistance();
  const int cx = model_.markerX(model_.selected());
  const int cy = model_.markerY(model_.selected());
  painter.setPen(QPen(Q_HANDLE, 1.5));
  painter.setBrush(Qt::NoBrush);
  for (int side : {-1, 1}) {
    const QPointF c(cx + side * m, cy);
    painter.drawEllipse(c, 8.0, 8.0);
    // A small triangle pointing away from the marker.
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(side * 4.0, 0));
    arrow.lineTo(c + QPointF(-side * 3.0, -4.0));
    arrow.lineTo(c + QPointF(-side * 3.0, 4.0));
    arrow.closeSubpath();
    painter.fillPath(arrow, Q_HANDLE);
  }
}

void ResponseGraph::paintMarkers(QPainter& painter) const {
  QFont font("Arial");
  font.setBold(true);
  font.setPixelSize(11);
  painter.setFont(font);
  const int size = ResponseGraphModel::MARKER_SIZE;
  for (int i = 0; i < model_.pointCount(); ++i) {
    const GraphPoint& p = *model_.point(i);
    if (!p.enabled) {
      continue;
    }
    const QRect box(p.column + model_.plotLeft() - 14, model_.markerY(i) - 12, size, size);
    const bool filter = i < ResponseGraphModel::FIRST_BAND;
    const QColor ring = filter ? FILTER_RING : BAND_RING;
    const bool pressed = model_.dragged() == i;
    const bool selected = model_.selected() == i;
    QColor fill = ring;
    fill.setAlpha(pressed ? 230 : selected ? 150 : 60);
    painter.setPen(QPen(ring, 2));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(box).adjusted(2, 2, -2, -2));
    const QString text = i == ResponseGraphModel::HIGH_POINT  ? QStringLiteral("H")
                         : i == ResponseGraphModel::LOW_POINT ? QStringLiteral("L")
                                                              : QString::number(i - 1);
    painter.setPen(LABEL_TEXT);
    painter.drawText(box, Qt::AlignCenter, text);
  }
}

void ResponseGraph::paintLabel(QPainter& painter) const {
  const QString text = hoverLabelText();
  if (text.isEmpty()) {
    return;
  }
  painter.setFont(labelFont());
  painter.setPen(LABEL_TEXT);
  painter.drawText(hoverLabelRect(), Qt::AlignLeft | Qt::AlignTop, text);
}

void ResponseGraph::paintEvent(QPaintEvent*) {
  syncSize();
  if (!backgroundValid_) {
    rebuildBackground();
  }
  model_.prepareCurves();
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setClipRect(QRect(QPoint(model_.plotLeft(), model_.plotTop()),
                            QPoint(model_.plotRight(), model_.plotBottom())));
  const bool showPoints = model_.settings().showPoints;
  if (showPoints) {
    paintSelectedCurve(painter);
  }
  paintTotal(painter);
  paintOverlay(painter);
  if (model_.settings().eqPass) {
    paintBanner(painter);
  }
  // Points and their label may stand over the plot's edge: a filter at its lowest
  // frequency sits on the left border and must be seen whole.
  painter.setClipping(false);
  if (showPoints) {
    if (model_.qHandlesVisible()) {
      paintQHandles(painter);
    }
    paintMarkers(painter);
  }
  const GraphPoint* hovered = model_.point(model_.hovered());
  if (hovered && hovered->enabled) {
    paintLabel(painter);
  }
  paintOverlayAxis(painter);
}

} // namespace kv816
