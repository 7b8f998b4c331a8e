// Texts, placement and drawing of the home page.

#include "i18n/text.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/ui_text.h"
#include "ui/pages/home_page.h"
#include "ui/shell/app_icon.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kv816 {

namespace {

constexpr Text INPUT_JUMP_TEXTS[] = {Text::Mute, Text::Gain, Text::Geq, Text::Delay};
constexpr Text OUTPUT_JUMP_TEXTS[] = {Text::Gain,  Text::CrossOver, Text::Geq,
                                      Text::Limit, Text::Delay,     Text::Mute};

// Design units of the strips.
constexpr int INPUT_ROW = 81;
constexpr int OUTPUT_ROW = 78;
constexpr int JUMP_WIDTH = 47;
constexpr int INPUT_JUMP_X = 136;
constexpr int OUTPUT_JUMP_X = 570;
constexpr int JUMP_STEP = 64;
constexpr int ROUTE_X = 400;
constexpr int ROUTE_STEP = 42;
constexpr int ROUTE_SIZE = 19;
constexpr int LIST_HEIGHT = 22; // the closed list; the open list drops below it
// The lists take 8 units of the free gap beside them (towards the jump buttons), so that
// "LINK A" clears the drop-down arrow at every scale.
constexpr int LIST_WIDEN = 8;
constexpr int TEXT_SIZE = 14;
constexpr int LOGO_X = 50;
constexpr int LOGO_Y = 380;
constexpr int LOGO_ICON = 96;

QFont captionFont(double scale) {
  QFont font(QStringLiteral("Microsoft YaHei"));
  font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(std::max(1, int(std::lround(TEXT_SIZE * scale))));
  return font;
}

// The routing button's two frames: a grey dot (not routed) and a green dot (routed).
QPixmap dotStrip(QSize size) {
  QPixmap strip(2 * size.width(), size.height());
  strip.fill(Qt::transparent);
  QPainter painter(&strip);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
  const QColor fills[] = {QColor(0xb4, 0xb8, 0xbe), QColor(0x2e, 0xb8, 0x4b)};
  for (int frame = 0; frame < 2; ++frame) {
    painter.setBrush(fills[frame]);
    painter.drawEllipse(QRectF(frame * size.width(), 0, size.width(), size.height())
                            .adjusted(0.5, 0.5, -0.5, -0.5));
  }
  return strip;
}

// A caption wider than its button (a substitute font may run wider than the design's)
// steps down in size until it fits.
void fitCaption(SkinButton* button, const QFont& font) {
  QFont fitted = font;
  while (fitted.pixelSize() > 6 &&
         QFontMetrics(fitted).horizontalAdvance(button->text()) > button->width() - 2)
    fitted.setPixelSize(fitted.pixelSize() - 1);
  button->setTextFont(fitted);
}

QPointF centreOf(const QWidget* widget) {
  return QRectF(widget->geometry()).center();
}

} // namespace

void HomePage::refreshTexts() {
  for (int i = 0; i < INPUT_COUNT; ++i) {
    const InputStrip& strip = inputs_[static_cast<size_t>(i)];
    strip.name->setText(uiText(Text::In) + QChar('A' + i));
    for (int k = 0; k < INPUT_JUMPS; ++k)
      strip.jumps[static_cast<size_t>(k)]->setText(uiText(INPUT_JUMP_TEXTS[k]));
  }
  for (int o = 0; o < OUTPUT_COUNT; ++o) {
    const OutputStrip& strip = outputs_[static_cast<size_t>(o)];
    strip.name->setText(uiText(Text::Out) + QString::number(o + 1));
    for (int k = 0; k < OUTPUT_JUMPS; ++k)
      strip.jumps[static_cast<size_t>(k)]->setText(uiText(OUTPUT_JUMP_TEXTS[k]));
  }
  layoutStrips(); // captions of another language may need another size
}

void HomePage::scaleChanged() {
  layoutStrips();
  update();
}

void HomePage::layoutStrips() {
  const QFont font = captionFont(verticalScale());
  for (int i = 0; i < INPUT_COUNT; ++i) {
    const InputStrip& strip = inputs_[static_cast<size_t>(i)];
    const int y = INPUT_ROW * i;
    strip.name->setGeometry(designRect(2, 76 + y, 55, 102 + y));
    strip.name->setFont(font);
    strip.link->setGeometry(designRect(57, 79 + y, 122 + LIST_WIDEN, 79 + LIST_HEIGHT + y));
    strip.link->setScale(verticalScale());
    for (int k = 0; k < INPUT_JUMPS; ++k) {
      const int x = INPUT_JUMP_X + JUMP_STEP * k;
      strip.jumps[static_cast<size_t>(k)]->setGeometry(
          designRect(x, 76 + y, x + JUMP_WIDTH, 104 + y));
      fitCaption(strip.jumps[static_cast<size_t>(k)], font);
    }
  }
  for (int o = 0; o < OUTPUT_COUNT; ++o) {
    const OutputStrip& strip = outputs_[static_cast<size_t>(o)];
    const int y = OUTPUT_ROW * o;
    for (int k = 0; k < INPUT_COUNT; ++k) {
      const int x = ROUTE_X + ROUTE_STEP * k;
      SkinButton* route = strip.routes[static_cast<size_t>(k)];
      route->setGeometry(designRect(x, 44 + y, x + ROUTE_SIZE, 44 + ROUTE_SIZE + y));
      route->setTextFont(font);
      route->setImage(dotStrip(route->size()));
    }
    for (int k = 0; k < OUTPUT_JUMPS; ++k) {
      const int x = OUTPUT_JUMP_X + JUMP_STEP * k;
      strip.jumps[static_cast<size_t>(k)]->setGeometry(
          designRect(x, 40 + y, x + JUMP_WIDTH, 68 + y));
      fitCaption(strip.jumps[static_cast<size_t>(k)], font);
    }
    strip.link->setGeometry(designRect(948 - LIST_WIDEN, 43 + y, 1013, 43 + LIST_HEIGHT + y));
    strip.link->setScale(verticalScale());
    strip.name->setGeometry(designRect(1015, 40 + y, 1068, 66 + y));
    strip.name->setFont(font);
  }
}

void HomePage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setRenderHint(QPainter::Antialiasing);

  // The logo: the program's icon and its name.
  const QRect icon = designRect(LOGO_X, LOGO_Y, LOGO_X + LOGO_ICON, LOGO_Y + LOGO_ICON);
  applicationIcon().paint(&painter, icon);
  QFont name = captionFont(verticalScale() * 3);
  name.setBold(true);
  painter.setFont(name);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(designRect(LOGO_X + LOGO_ICON + 16, LOGO_Y, LOGO_X + 330, LOGO_Y + LOGO_ICON),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KV816"));

  paintConnectors(painter);
}

// Each shown input runs from its link list to its column of routing buttons, down which
// it meets every shown output; each output runs from its routing buttons to its link list.
void HomePage::paintConnectors(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
  const OutputStrip& first = outputs_[0];
  const OutputStrip& last = outputs_[static_cast<size_t>(outputCount_ - 1)];
  for (int i = 0; i < inputCount_; ++i) {
    const QPointF list = centreOf(inputs_[static_cast<size_t>(i)].link);
    const QPointF top = centreOf(first.routes[static_cast<size_t>(i)]);
    const QPointF bottom = centreOf(last.routes[static_cast<size_t>(i)]);
    painter.drawLine(list, QPointF(top.x(), list.y()));
    painter.drawLine(QPointF(top.x(), std::min(top.y(), list.y())),
                     QPointF(top.x(), std::max(bottom.y(), list.y())));
  }
  for (int o = 0; o < outputCount_; ++o) {
    const OutputStrip& strip = outputs_[static_cast<size_t>(o)];
    const QPointF from = centreOf(strip.routes[0]);
    painter.drawLine(from, QPointF(centreOf(strip.link).x(), from.y()));
  }
}

} // namespace kv816
