#include "ui/shell/appearance.h"

#include "presets/settings.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace kv816 {

namespace {

constexpr std::string_view APPEARANCE_KEY = "Appearance";

QPalette& desktopPalette() {
  static QPalette palette;
  return palette;
}

QPalette darkPalette() {
  const QColor window(0x2d, 0x30, 0x34);
  const QColor base(0x23, 0x26, 0x2a);
  const QColor text(0xe8, 0xe8, 0xe8);
  const QColor muted(0x80, 0x84, 0x8a);
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, QColor(0x3c, 0x40, 0x46));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, muted);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Light, QColor(0x4a, 0x4e, 0x54));
  p.setColor(QPalette::Midlight, QColor(0x3c, 0x40, 0x46));
  p.setColor(QPalette::Mid, QColor(0x26, 0x28, 0x2c));
  p.setColor(QPalette::Dark, QColor(0x1c, 0x1e, 0x21));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xd9));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(0x6a, 0xb0, 0xf3));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, muted);
  return p;
}

} // namespace

void setUpAppearance(QApplication& app) {
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  desktopPalette() = QApplication::palette();
}

void applyAppearance(Appearance appearance) {
  switch (appearance) {
  case Appearance::Dark:
    QApplication::setPalette(darkPalette());
    break;
  case Appearance::Light:
    QApplication::setPalette(QApplication::style()->standardPalette());
    break;
  default:
    QApplication::setPalette(desktopPalette());
    break;
  }
}

Appearance savedAppearance(const Settings& settings) {
  const int value = settings.readSetting(CONFIGURATION_FILE, APPEARANCE_KEY);
  return value == 0 || value == 1 ? static_cast<Appearance>(value) : Appearance::FollowSystem;
}

bool saveAppearance(const Settings& settings, Appearance appearance) {
  return settings.writeSetting(CONFIGURATION_FILE, APPEARANCE_KEY, static_cast<int>(appearance));
}

} // namespace kv816
