#include "ui/dialogs/eq_fit_preview.h"

#include "dsp/eq_fit.h"
#include "ui/controls/ui_text.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace kv816 {

namespace {

constexpr int MARGIN_LEFT = 40;
constexpr int MARGIN_RIGHT = 10;
constexpr int MARGIN_TOP = 8;
constexpr int MARGIN_BOTTOM = 20;
constexpr double DB_STEP = 5.0;
constexpr double MIN_SPAN_DB = 20.0;
constexpr std::array<double, 10> FREQUENCY_TICKS = {20.0,   50.0,   100.0,  200.0,   500.0,
                                                    1000.0, 2000.0, 5000.0, 10000.0, 20000.0};

const QColor BEFORE_COLOUR(214, 96, 77);
const QColor AFTER_COLOUR(46, 160, 67);

QString hzLabel(double f) {
  return f >= 1000.0 ? QString::number(f / 1000.0) + QLatin1Char('k') : QString::number(f);
}

} // namespace

// Where frequencies and levels land in the plot.
struct EqFitPreview::Axes {
  QRect plot;
  double logLow;
  double logHigh;
  double dbLow;
  double dbHigh;

  double x(double f) const {
    return plot.left() + (std::log10(f) - logLow) / (logHigh - logLow) * plot.width();
  }
  double y(double db) const {
    return plot.bottom() - (db - dbLow) / (dbHigh - dbLow) * plot.height();
  }
};

EqFitPreview::EqFitPreview(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 160);
}

void EqFitPreview::showFit(const EqFitResult& fit, bool aligned) {
  frequencies_ = fit.frequencies;
  before_ = fit.before;
  after_ = fit.after;
  target_ = fit.target;
  if (aligned && !before_.empty() && before_.size() == after_.size()) {
    double shift = 0.0;
    for (size_t i = 0; i < before_.size(); ++i)
      shift += after_[i] - before_[i];
    shift /= static_cast<double>(before_.size());
    for (double& level : before_)
      level += shift;
  }
  update();
}

void EqFitPreview::clear() {
  frequencies_.clear();
  before_.clear();
  after_.clear();
  target_.clear();
  update();
}

void EqFitPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().mid().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (frequencies_.size() < 2)
    return;
  double low = target_.front();
  double high = low;
  for (const std::vector<double>* curve : {&before_, &after_, &target_})
    for (const double v : *curve)
      if (std::isfinite(v)) {
        low = std::min(low, v);
        high = std::max(high, v);
      }
  low = std::floor(low / DB_STEP) * DB_STEP;
  high = std::max(std::ceil(high / DB_STEP) * DB_STEP, low + MIN_SPAN_DB);
  const Axes axes{rect().adjusted(MARGIN_LEFT, MARGIN_TOP, -MARGIN_RIGHT, -MARGIN_BOTTOM),
                  std::log10(frequencies_.front()), std::log10(frequencies_.back()), low, high};
  painter.setRenderHint(QPainter::Antialiasing);
  paintGrid(painter, axes);
  QPen target(palette().text().color(), 1.0, Qt::DashLine);
  paintCurve(painter, axes, target_, target);
  paintCurve(painter, axes, before_, QPen(BEFORE_COLOUR, 1.5));
  paintCurve(painter, axes, after_, QPen(AFTER_COLOUR, 2.0));
  paintLegend(painter, axes.plot);
}

void EqFitPreview::paintGrid(QPainter& painter, const Axes& axes) const {
  const QColor line = palette().mid().color();
  const QColor label = palette().text().color();
  const QFontMetrics metrics(font());
  const double step = axes.dbHigh - axes.dbLow > 40.0 ? 2.0 * DB_STEP : DB_STEP;
  for (double db = axes.dbLow; db <= axes.dbHigh + 1e-9; db += step) {
    const int y = static_cast<int>(std::lround(axes.y(db)));
    painter.setPen(line);
    painter.drawLine(axes.plot.left(), y, axes.plot.right(), y);
    painter.setPen(label);
    painter.drawText(QRect(0, y - metrics.height() / 2, MARGIN_LEFT - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(db));
  }
  for (const double f : FREQUENCY_TICKS) {
    if (f < frequencies_.front() || f > frequencies_.back())
      continue;
    const int x = static_cast<int>(std::lround(axes.x(f)));
    painter.setPen(line);
    painter.drawLine(x, axes.plot.top(), x, axes.plot.bottom());
    painter.setPen(label);
    painter.drawText(QRect(x - 30, axes.plot.bottom() + 2, 60, MARGIN_BOTTOM - 2),
                     Qt::AlignHCenter | Qt::AlignTop, hzLabel(f));
  }
}

void EqFitPreview::paintCurve(QPainter& painter, const Axes& axes,
                              const std::vector<double>& levels, const QPen& pen) const {
  QPainterPath path;
  bool drawing = false;
  for (size_t i = 0; i < levels.size() && i < frequencies_.size(); ++i) {
    if (!std::isfinite(levels[i])) {
      drawing = false;
      continue;
    }
    const QPointF point(axes.x(frequencies_[i]), axes.y(levels[i]));
    if (drawing)
      path.lineTo(point);
    else
      path.moveTo(point);
    drawing = true;
  }
  painter.setPen(pen);
  painter.drawPath(path);
}

void EqFitPreview::paintLegend(QPainter& painter, const QRect& plot) const {
  struct Entry {
    Text text;
    QPen pen;
  };
  const Entry entries[] = {{Text::FitBefore, QPen(BEFORE_COLOUR, 1.5)},
                           {Text::FitAfter, QPen(AFTER_COLOUR, 2.0)},
                           {Text::Target, QPen(palette().text().color(), 1.0, Qt::DashLine)}};
  const QFontMetrics metrics(font());
  int x = plot.left() + 8;
  const int y = plot.top() + 4 + metrics.height() / 2;
  for (const Entry& e : entries) {
    painter.setPen(e.pen);
    painter.drawLine(x, y, x + 20, y);
    const QString text = uiText(e.text);
    painter.setPen(palette().text().color());
    painter.drawText(QPoint(x + 24, y + metrics.ascent() / 2 - 1), text);
    x += 24 + metrics.horizontalAdvance(text) + 14;
  }
}

} // namespace kv816
