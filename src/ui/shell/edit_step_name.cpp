#include "ui/shell/edit_step_name.h"

#include "ui/controls/ui_text.h"

#include <QStringList>

namespace kv816 {

namespace {

QString bandName(Text family, int band) {
  const QString name = uiText(family).trimmed();
  return band < 0 ? name : name + QLatin1Char(' ') + QString::number(band + 1);
}

// The band part and the setting part of a function: "PEQ 3" and "Gain", or "" and "Mute".
QStringList functionParts(ChannelFunction function, int band) {
  using F = ChannelFunction;
  switch (function) {
  case F::Mute:
    return {uiText(Text::Mute).trimmed()};
  case F::Phase:
    return {uiText(Text::Polarity)};
  case F::Gain:
    return {uiText(Text::Gain)};
  case F::Delay:
    return {uiText(Text::Delay)};
  case F::GeqBypass:
    return {uiText(Text::GeqBypass)};
  case F::PeqBypass:
    return {uiText(Text::PeqBypass)};
  case F::GeqType:
  case F::GeqFreq:
  case F::GeqGain:
  case F::GeqQ:
  case F::PeqType:
  case F::PeqFreq:
  case F::PeqGain:
  case F::PeqQ: {
    const bool graphic = isGraphicBandFunction(function);
    static constexpr Text SETTINGS[4] = {Text::Type, Text::Freq, Text::Gain, Text::Q};
    const int setting =
        static_cast<int>(function) - static_cast<int>(graphic ? F::GeqType : F::PeqType);
    return {bandName(graphic ? Text::Geq : Text::Peq, band), uiText(SETTINGS[setting])};
  }
  case F::Ratio:
    return {uiText(Text::Ratio)};
  case F::Attack:
    return {uiText(Text::Attack)};
  case F::Release:
    return {uiText(Text::Release)};
  case F::Threshold:
    return {uiText(Text::Threshold).simplified()};
  case F::HpfType:
  case F::LpfType:
    return {uiText(function == F::HpfType ? Text::Hpf : Text::Lpf), uiText(Text::Type)};
  case F::HpfFreq:
  case F::LpfFreq:
    return {uiText(function == F::HpfFreq ? Text::Hpf : Text::Lpf), uiText(Text::Freq)};
  case F::NoiseGate:
    return {uiText(Text::NoiseGate)};
  case F::LinkMask:
    return {uiText(Text::LinkGroup)};
  case F::Routing:
    return {uiText(Text::Routing)};
  }
  return {};
}

// What a reset or a copy did, where the function alone would not say it.
QStringList sourceParts(const EditSubject& subject) {
  if (subject.source == EditSource::ChannelCopy)
    return {uiText(Text::ChannelCopy)};
  if (subject.source == EditSource::FilterText)
    return {uiText(Text::ImportedFilters)};
  if (subject.source == EditSource::EqFit)
    return {uiText(Text::FitEq)};
  if (subject.source == EditSource::Reset && subject.function)
    return {uiText(isGraphicBandFunction(*subject.function) ? Text::GeqReset : Text::PeqReset)};
  if (subject.function)
    return functionParts(*subject.function, subject.band);
  return {};
}

} // namespace

QString channelDisplayName(int channel) {
  if (isInput(channel))
    return uiText(Text::In) + QChar('A' + channel);
  if (isOutput(channel))
    return uiText(Text::Out) + QString::number(channel - INPUT_COUNT + 1);
  return {};
}

QString functionDisplayName(int index) {
  const EditSubject subject = subjectOfIndex(index, EditSource::Page);
  if (!subject.function)
    return {};
  QStringList parts = functionParts(*subject.function, subject.band);
  parts.removeAll(QString());
  return parts.join(QStringLiteral(" · "));
}

QString editStepName(const EditSubject& subject) {
  QStringList parts;
  const QString channel = channelDisplayName(subject.channel);
  if (!channel.isEmpty())
    parts << channel;
  parts << sourceParts(subject);
  parts.removeAll(QString());
  const QString name = parts.join(QStringLiteral(" · "));
  // A remote client's edit says where it came from: "Remote: OUT 2 · PEQ 3 · Gain".
  if (subject.source == EditSource::Remote)
    return uiText(Text::MenuRemote) + QStringLiteral(": ") + name;
  return name;
}

} // namespace kv816
