#include "ui/pages/control_tips.h"

#include "i18n/text.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/ui_text.h"
#include "ui/controls/value_edit.h"

#include <QLineEdit>

#include <optional>

namespace kv816 {

namespace {

// Buttons and lists are told apart by the names the pages give them.
std::optional<Text> tipByName(const QString& name) {
  struct Named {
    const char* prefix;
    Text tip;
  };
  static constexpr Named NAMED[] = {
      {"mute", Text::TipMute},           {"phase", Text::TipPolarity},
      {"peqReset", Text::TipEqReset},    {"geqReset", Text::TipEqReset},
      {"peqBypass", Text::TipEqBypass},  {"geqBypass", Text::TipEqBypass},
      {"bandType", Text::TipBandType},   {"bandSlope", Text::TipSlope},
      {"hpfType", Text::TipCrossover},   {"lpfType", Text::TipCrossover},
      {"inputLink", Text::TipLinkGroup}, {"outputLink", Text::TipLinkGroup},
  };
  for (const Named& named : NAMED)
    if (name.startsWith(QLatin1String(named.prefix)))
      return named.tip;
  return std::nullopt;
}

void tipNamed(QWidget* widget) {
  if (const std::optional<Text> tip = tipByName(widget->objectName()))
    widget->setToolTip(uiText(*tip));
}

} // namespace

void applyControlTips(QWidget& page) {
  for (Slider* slider : page.findChildren<Slider*>())
    slider->setToolTip(uiText(Text::TipFader));
  for (ValueEdit* edit : page.findChildren<ValueEdit*>())
    edit->setToolTip(uiText(Text::TipValueEdit));
  for (SkinButton* button : page.findChildren<SkinButton*>())
    tipNamed(button);
  for (SkinComboBox* box : page.findChildren<SkinComboBox*>())
    tipNamed(box);
}

} // namespace kv816
