#include "ui/controls/response_graph.h"

#include "i18n/text.h"
#include "ui/controls/ui_text.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

namespace kv816 {

ResponseGraph::ResponseGraph(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  model_.resize(width(), height());
}

// A hidden window gets its resize event only when shown; the pages set the graph up
// before that, so every entry that needs the plot size catches up first.
void ResponseGraph::syncSize() {
  if (model_.clientWidth() == width() && model_.clientHeight() == height()) {
    return;
  }
  model_.resize(width(), height());
  backgroundValid_ = false;
  update();
}

void ResponseGraph::repaintIf(bool changed) {
  if (changed) {
    update();
  }
}

// ---- settings --------------------------------------------------------------------------

void ResponseGraph::setRanges(double& min, double& max, double newMin, double newMax) {
  min = newMin;
  max = newMax;
  update();
}

void ResponseGraph::setHighRange(double minimum, double maximum) {
  setRanges(model_.settings().highMin, model_.settings().highMax, minimum, maximum);
}

void ResponseGraph::setLowRange(double minimum, double maximum) {
  setRanges(model_.settings().lowMin, model_.settings().lowMax, minimum, maximum);
}

void ResponseGraph::setBandRange(double minimum, double maximum) {
  setRanges(model_.settings().bandMin, model_.settings().bandMax, minimum, maximum);
}

void ResponseGraph::setFreeFrequency(bool on) {
  model_.settings().freeFrequency = on;
  update();
}

void ResponseGraph::setRangeLock(bool on) {
  model_.settings().rangeLock = on;
}

void ResponseGraph::setVerticalOnly(bool on) {
  model_.settings().verticalOnly = on;
}

void ResponseGraph::setShelfBoostAllowed(bool on) {
  model_.settings().shelfBoostAllowed = on;
}

void ResponseGraph::setShowQHandles(bool on) {
  model_.settings().showQHandles = on;
  update();
}

void ResponseGraph::setShowPoints(bool on) {
  model_.settings().showPoints = on;
  update();
}

void ResponseGraph::setInteractive(bool on) {
  model_.settings().interactive = on;
}

void ResponseGraph::setScale(double scale) {
  model_.setScale(scale);
  backgroundValid_ = false; // the axis labels are drawn at the scale
  update();
}

void ResponseGraph::setTotalColor(QRgb argb) {
  model_.settings().totalColor = argb;
  update();
}

// ---- host setters ----------------------------------------------------------------------

void ResponseGraph::setBandCount(int bands) {
  syncSize();
  model_.setBandCount(bands);
  backgroundValid_ = false;
  update();
}

void ResponseGraph::setPointFrequency(double hz, int point) {
  syncSize();
  repaintIf(model_.setPointFrequency(hz, point));
}

void ResponseGraph::setBandFrequency(double hz, int band) {
  syncSize();
  repaintIf(model_.setBandFrequency(hz, band));
}

void ResponseGraph::setBandGain(double db, int band) {
  syncSize();
  repaintIf(model_.setBandGain(db, band));
}

void ResponseGraph::setBandQ(double q, int band) {
  repaintIf(model_.setBandQ(q, band));
}

void ResponseGraph::setBandType(int type, int band) {
  repaintIf(model_.setBandType(type, band));
}

void ResponseGraph::setBandQShown(bool shown, int band) {
  repaintIf(model_.setBandQShown(shown, band));
}

void ResponseGraph::setFilterCode(int code) {
  repaintIf(model_.setFilterCode(code));
}

void ResponseGraph::setEqPass(bool on) {
  model_.settings().eqPass = on;
  update();
}

void ResponseGraph::setPointEnabled(int point, bool enabled) {
  repaintIf(model_.setPointEnabled(point, enabled));
}

// ---- getters ---------------------------------------------------------------------------

double ResponseGraph::pointFrequency(int point) const {
  const GraphPoint* p = model_.point(point);
  return p ? p->frequency : 0.0;
}

double ResponseGraph::pointQ(int point) const {
  const GraphPoint* p = model_.point(point);
  return p ? p->q : 0.0;
}

int ResponseGraph::pointGain(int point) const {
  const GraphPoint* p = model_.point(point);
  return p ? p->gain : 0;
}

int ResponseGraph::pointBandType(int point) const {
  const GraphPoint* p = model_.point(point);
  return p ? p->bandType : 0;
}

bool ResponseGraph::isPointEnabled(int point) const {
  const GraphPoint* p = model_.point(point);
  return p && p->enabled;
}

QString ResponseGraph::hoverLabelText() const {
  return QString::fromStdString(model_.hoverLabel());
}

QFont ResponseGraph::labelFont() const {
  QFont font("Arial");
  font.setBold(true);
  font.setPixelSize(std::max(1, static_cast<int>(12 * model_.settings().scale)));
  return font;
}

QRect ResponseGraph::hoverLabelRect() const {
  const QString text = hoverLabelText();
  if (text.isEmpty()) {
    return {};
  }
  const QFontMetrics metrics(labelFont());
  const QSize size(metrics.horizontalAdvance(text), metrics.height());
  int x = 0;
  int y = 0;
  model_.hoverLabelOrigin(size.width(), size.height(), x, y);
  return QRect(QPoint(x, y), size);
}

// ---- events ----------------------------------------------------------------------------

// Points and Q handles say what dragging them does; the plot elsewhere says nothing.
bool ResponseGraph::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip)
    return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  Text tip = Text::TipGraphPoint;
  switch (model_.partAt(help->pos().x(), help->pos().y())) {
  case ResponseGraphModel::Part::FilterPoint:
    tip = Text::TipGraphFilter;
    break;
  case ResponseGraphModel::Part::QHandle:
    tip = Text::TipQHandle;
    break;
  case ResponseGraphModel::Part::BandPoint:
    break;
  default:
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(), uiText(tip), this);
  return true;
}

void ResponseGraph::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  syncSize();
}

void ResponseGraph::apply(const GraphAction& action) {
  if (action.cursor == GraphAction::HAND) {
    setCursor(Qt::PointingHandCursor);
  } else if (action.cursor == GraphAction::ARROW) {
    setCursor(Qt::ArrowCursor);
  }
  if (action.repaint) {
    update();
  }
  const int p = action.notifyPoint;
  if (p == ResponseGraphModel::HIGH_POINT) {
    emit graphNotified(1, 0);
  } else if (p == ResponseGraphModel::LOW_POINT) {
    emit graphNotified(2, 0);
  } else if (p >= ResponseGraphModel::FIRST_BAND) {
    emit graphNotified(0, p - ResponseGraphModel::FIRST_BAND);
  }
}

void ResponseGraph::mousePressEvent(QMouseEvent* event) {
  syncSize();
  if (event->button() != Qt::LeftButton || !model_.settings().interactive) {
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  apply(model_.press(at.x(), at.y()));
}

void ResponseGraph::mouseMoveEvent(QMouseEvent* event) {
  syncSize();
  const QPoint at = event->position().toPoint();
  apply(model_.move(at.x(), at.y()));
}

void ResponseGraph::mouseReleaseEvent(QMouseEvent* event) {
  syncSize();
  if (event->button() != Qt::LeftButton) {
    return;
  }
  const QPoint at = event->position().toPoint();
  apply(model_.release(at.x(), at.y()));
}

void ResponseGraph::wheelEvent(QWheelEvent* event) {
  syncSize();
  // Fine-resolution wheels send parts of a notch; a step is taken per whole notch.
  wheelRemainder_ += event->angleDelta().y();
  while (wheelRemainder_ >= 120 || wheelRemainder_ <= -120) {
    const bool away = wheelRemainder_ > 0;
    wheelRemainder_ += away ? -120 : 120;
    apply(model_.step(away));
  }
  event->accept();
}

void ResponseGraph::keyPressEvent(QKeyEvent* event) {
  syncSize();
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    apply(model_.step(event->key() == Qt::Key_Up));
    return;
  }
  QWidget::keyPressEvent(event);
}

} // namespace kv816
