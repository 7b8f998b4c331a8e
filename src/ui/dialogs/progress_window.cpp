#include "ui/dialogs/progress_window.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace kv816 {

namespace {
constexpr double OPACITY = 220.0 / 255.0;
constexpr int CORNER = 10;
const QRect BAR_TRACK(ProgressWindow::BAR_LEFT, 58, ProgressWindow::BAR_RIGHT - 27, 22);
} // namespace

ProgressWindow::ProgressWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      mainWindow_(mainWindow), line_(QStringLiteral("欢迎使用!")) {
  setFixedSize(WIDTH, HEIGHT);
  setWindowOpacity(OPACITY);
  QFont lineFont = font();
  lineFont.setFamilies({QStringLiteral("SimHei"), QStringLiteral("Noto Sans CJK SC"),
                        QStringLiteral("WenQuanYi Zen Hei"), lineFont.family()});
  lineFont.setPointSize(25);
  setFont(lineFont);
}

void ProgressWindow::setRange(int range) {
  range_ = std::max(1, range);
  update();
}

void ProgressWindow::setPosition(int position) {
  position_ = position;
  centreOverMainWindow();
  update();
}

void ProgressWindow::setLine(const QString& line) {
  line_ = line;
  update();
}

void ProgressWindow::setTitle(const QString& title) {
  title_ = title;
  update();
}

int ProgressWindow::fillRight() const {
  const int clamped = std::clamp(position_, 0, range_);
  return BAR_LEFT + int((long long)(BAR_RIGHT - BAR_LEFT) * clamped / range_);
}

void ProgressWindow::showProgress() {
  hiddenFlag_ = false;
  centreOverMainWindow();
  show();
  raise();
}

void ProgressWindow::hideProgress() {
  hiddenFlag_ = true;
  dragging_ = false;
  hide();
}

void ProgressWindow::centreOverMainWindow() {
  if (dragging_)
    return;
  const QWidget* top = mainWindow_ ? mainWindow_->window() : nullptr;
  const QRect over = top ? top->frameGeometry() : screen()->availableGeometry();
  move(over.center() - QPoint(WIDTH / 2, HEIGHT / 2));
}

// The two scenes differ only in the bar: empty track or filled bar.
void ProgressWindow::paintScene(QPainter& painter, bool filled) {
  QLinearGradient sky(0, 0, 0, HEIGHT);
  sky.setColorAt(0, QColor(0x34, 0x3a, 0x44));
  sky.setColorAt(1, QColor(0x1d, 0x21, 0x27));
  painter.fillRect(rect(), sky);
  QLinearGradient bar(0, BAR_TRACK.top(), 0, BAR_TRACK.bottom());
  bar.setColorAt(0, filled ? QColor(0x7c, 0xe8, 0x8e) : QColor(0x0c, 0x0e, 0x11));
  bar.setColorAt(1, filled ? QColor(0x2e, 0xa8, 0x4a) : QColor(0x1a, 0x1d, 0x22));
  painter.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1));
  painter.setBrush(bar);
  painter.drawRoundedRect(QRectF(BAR_TRACK).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void ProgressWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  paintScene(painter, false);
  // The bar uncovers the filled scene from the left edge up to the fill position.
  painter.save();
  painter.setClipRect(QRect(0, 0, fillRight(), HEIGHT));
  paintScene(painter, true);
  painter.restore();
  painter.setPen(QColor(255, 0, 0));
  painter.drawText(QRect(0, 90, WIDTH, HEIGHT - 90), Qt::AlignCenter | Qt::TextSingleLine, line_);
  if (!title_.isEmpty()) {
    QFont small = font();
    small.setPointSize(12);
    painter.setFont(small);
    painter.drawText(QRect(0, 0, WIDTH, 30), Qt::AlignCenter | Qt::TextSingleLine, title_);
  }
}

void ProgressWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void ProgressWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_)
    move(event->globalPosition().toPoint() - dragOffset_);
}

void ProgressWindow::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
}

void ProgressWindow::resizeEvent(QResizeEvent*) {
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(rect()), CORNER / 2.0, CORNER / 2.0);
  setMask(QRegion(rounded.toFillPolygon().toPolygon()));
}

} // namespace kv816
