#include "ui/controls/skin_label.h"

#include "ui/controls/skin_palette.h"

#include <QPainter>

namespace kv816 {

SkinLabel::SkinLabel(QWidget* parent) : QWidget(parent) {
  QFont labelFont = font();
  labelFont.setPixelSize(12);
  setFont(labelFont);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SkinLabel::setText(const QString& text) {
  if (text == text_)
    return;
  text_ = text;
  update();
}

void SkinLabel::setTextColor(const QColor& color) {
  color_ = color;
  update();
}

void SkinLabel::setTextFlags(int flags) {
  flags_ = flags;
  update();
}

void SkinLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(!isEnabled()       ? SkinPalette::textDisabled()
                 : color_.isValid() ? color_
                                    : SkinPalette::text());
  painter.drawText(rect(), skinTextAlignment(flags_), text_);
}

} // namespace kv816
