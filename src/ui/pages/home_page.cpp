#include "ui/pages/home_page.h"

#include "model/link_groups.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/skin_palette.h"
#include "ui/pages/focus_chain.h"
#include "ui/shell/tab_layout.h"

#include <algorithm>

namespace kv816 {

namespace {

// The page each jump button asks for; the strip's channel is added where the page shows
// one channel.
int inputJumpPage(int jump, int input) {
  switch (jump) {
  case 0:
    return PAGE_GAIN;
  case 1:
    return PAGE_INPUT_FIRST + input;
  case 2:
    return PAGE_GEQ_FIRST + input;
  default:
    return PAGE_DELAY;
  }
}

int outputJumpPage(int jump, int output) {
  switch (jump) {
  case 1: // X_Over
  case 2: // GEQ
  case 3: // Limit
    return PAGE_OUTPUT_FIRST + output;
  case 4:
    return PAGE_DELAY;
  default: // Gain, Mute
    return PAGE_GAIN;
  }
}

} // namespace

HomePage::HomePage(EditSession& edits, QWidget* parent) : Page(PAGE_HOME, parent), edits_(edits) {
  setAutoFillBackground(false);
  std::vector<QWidget*> chain;
  for (int i = 0; i < INPUT_COUNT; ++i) {
    createInputStrip(i);
    const InputStrip& strip = inputs_[static_cast<size_t>(i)];
    chain.push_back(strip.link);
    chain.insert(chain.end(), strip.jumps.begin(), strip.jumps.end());
  }
  for (int o = 0; o < OUTPUT_COUNT; ++o) {
    createOutputStrip(o);
    const OutputStrip& strip = outputs_[static_cast<size_t>(o)];
    chain.insert(chain.end(), strip.routes.begin(), strip.routes.end());
    chain.insert(chain.end(), strip.jumps.begin(), strip.jumps.end());
    chain.push_back(strip.link);
  }
  setFocusChain(chain); // each strip left to right, the strips top to bottom
  refreshTexts();       // also lays the strips out
}

void HomePage::createInputStrip(int input) {
  InputStrip& strip = inputs_[static_cast<size_t>(input)];
  strip.name = new SkinLabel(this);
  strip.name->setObjectName(QStringLiteral("inputName%1").arg(input));
  strip.name->setTextFlags(TEXT_RIGHT | TEXT_VCENTER | TEXT_SINGLE_LINE);
  strip.link = new SkinComboBox(this);
  strip.link->setObjectName(QStringLiteral("inputLink%1").arg(input));
  strip.link->setUserValue(input);
  fillLinkList(strip.link, INPUT_COUNT, 'A');
  strip.link->setShownIndex(input);
  connect(strip.link, &SkinComboBox::notified, this,
          [this](int, int channel) { linkChosen(channel); });
  for (int k = 0; k < INPUT_JUMPS; ++k) {
    auto* button = new SkinButton(this);
    button->setObjectName(QStringLiteral("inputJump%1_%2").arg(input).arg(k));
    button->setUserValue(input);
    connect(button, &SkinButton::notified, this,
            [this, k](int, int strip) { emit showPageRequested(inputJumpPage(k, strip)); });
    strip.jumps[static_cast<size_t>(k)] = button;
  }
}

void HomePage::createOutputStrip(int output) {
  OutputStrip& strip = outputs_[static_cast<size_t>(output)];
  for (int k = 0; k < INPUT_COUNT; ++k) {
    auto* button = new SkinButton(this);
    button->setObjectName(QStringLiteral("route%1_%2").arg(output).arg(k));
    button->setUserValue(output);
    // Every input feeds every output until the device reports otherwise.
    button->setCheckState(SkinButton::ON);
    button->setText(QString(QChar('A' + k)));
    button->setTextColors(QColor(), Qt::white); // the palette's text until lit
    connect(button, &SkinButton::notified, this, [this](int, int o) { routeToggled(o); });
    strip.routes[static_cast<size_t>(k)] = button;
  }
  for (int k = 0; k < OUTPUT_JUMPS; ++k) {
    auto* button = new SkinButton(this);
    button->setObjectName(QStringLiteral("outputJump%1_%2").arg(output).arg(k));
    button->setUserValue(output);
    connect(button, &SkinButton::notified, this,
            [this, k](int, int o) { emit showPageRequested(outputJumpPage(k, o)); });
    strip.jumps[static_cast<size_t>(k)] = button;
  }
  strip.link = new SkinComboBox(this);
  strip.link->setObjectName(QStringLiteral("outputLink%1").arg(output));
  strip.link->setUserValue(output);
  fillLinkList(strip.link, OUTPUT_COUNT, '1');
  strip.link->setShownIndex(output);
  connect(strip.link, &SkinComboBox::notified, this,
          [this](int, int o) { linkChosen(INPUT_COUNT + o); });
  strip.name = new SkinLabel(this);
  strip.name->setObjectName(QStringLiteral("outputName%1").arg(output));
  strip.name->setTextFlags(TEXT_RIGHT | TEXT_VCENTER | TEXT_SINGLE_LINE);
}

// Refills a link list with `count` entries "LINK <first>", "LINK <first + 1>", ...; the
// selection stays where it was unless it falls past the end, when it moves to the last.
void HomePage::fillLinkList(SkinComboBox* list, int count, char first) {
  if (list->count() == count)
    return;
  const int previous = std::max(0, list->shownIndex());
  const QSignalBlocker blocker(list);
  list->clear();
  for (int g = 0; g < count; ++g)
    list->addItem(QStringLiteral("LINK %1").arg(QChar(first + g)));
  list->setShownIndex(std::min(previous, count - 1));
}

void HomePage::setIoMode(int ioMode) {
  const ActiveChannels shown = activeChannelsOf(ioMode);
  inputCount_ = shown.inputs;
  outputCount_ = shown.outputs;
  for (int i = 0; i < inputCount_; ++i)
    fillLinkList(inputs_[static_cast<size_t>(i)].link, inputCount_, 'A');
  for (int o = 0; o < outputCount_; ++o)
    fillLinkList(outputs_[static_cast<size_t>(o)].link, outputCount_, '1');
  updateVisibility();
  layoutStrips();
  update();
}

void HomePage::updateVisibility() {
  for (int i = 0; i < INPUT_COUNT; ++i) {
    const InputStrip& strip = inputs_[static_cast<size_t>(i)];
    const bool shown = i < inputCount_;
    strip.name->setVisible(shown);
    strip.link->setVisible(shown);
    for (SkinButton* button : strip.jumps)
      button->setVisible(shown);
  }
  for (int o = 0; o < OUTPUT_COUNT; ++o) {
    const OutputStrip& strip = outputs_[static_cast<size_t>(o)];
    const bool shown = o < outputCount_;
    // A hidden routing button keeps its state: the Routing word is written from all four.
    for (int k = 0; k < INPUT_COUNT; ++k)
      strip.routes[static_cast<size_t>(k)]->setVisible(shown && k < inputCount_);
    for (SkinButton* button : strip.jumps)
      button->setVisible(shown);
    strip.link->setVisible(shown);
    strip.name->setVisible(shown);
  }
}

void HomePage::showParameter(const IndexLocation& where, int value) {
  if (where.function == ChannelFunction::Routing && isOutput(where.channel)) {
    const OutputStrip& strip = outputs_[static_cast<size_t>(where.channel - INPUT_COUNT)];
    for (int k = 0; k < INPUT_COUNT; ++k)
      strip.routes[static_cast<size_t>(k)]->setCheckState((value >> k) & 1 ? SkinButton::ON
                                                                           : SkinButton::OFF);
  } else if (where.function == ChannelFunction::LinkMask && isInput(where.channel)) {
    inputs_[static_cast<size_t>(where.channel)].link->setShownIndex(
        groupOfMask(value, inputCount_));
  } else if (where.function == ChannelFunction::LinkMask && isOutput(where.channel)) {
    outputs_[static_cast<size_t>(where.channel - INPUT_COUNT)].link->setShownIndex(
        groupOfMask(value, outputCount_));
  }
}

int HomePage::linkGroup(int channel) const {
  if (isInput(channel))
    return std::max(0, inputs_[static_cast<size_t>(channel)].link->shownIndex());
  if (isOutput(channel))
    return std::max(0, outputs_[static_cast<size_t>(channel - INPUT_COUNT)].link->shownIndex());
  return 0;
}

void HomePage::linkChosen(int channel) {
  const int group = linkGroup(channel);
  edits_.apply({channel, ChannelFunction::LinkMask, -1, EditSource::LinkGroup},
               {{indexOf(ChannelFunction::LinkMask, channel), maskOfGroup(group)}});
}

void HomePage::routeToggled(int output) {
  int routing = 0;
  const OutputStrip& strip = outputs_[static_cast<size_t>(output)];
  for (int k = 0; k < INPUT_COUNT; ++k)
    if (strip.routes[static_cast<size_t>(k)]->checkState() == SkinButton::ON)
      routing |= 1 << k;
  const int channel = INPUT_COUNT + output;
  edits_.apply({channel, ChannelFunction::Routing, -1, EditSource::Page},
               {{indexOf(ChannelFunction::Routing, channel), routing}});
}

} // namespace kv816
