#pragma once
// The home page (page number 0): one strip per channel of the current I/O mode. Each strip
// has a link list (the channel's link group), jump buttons to the pages that edit the
// channel's other settings and, on an output, four routing buttons that choose which
// inputs feed it. Black connector lines draw each input as a bus meeting the outputs.
//
// Edits, each one undo step through the edit session: a link list writes the channel's
// LinkMask (1 << group), and the edit session lets the linked channels follow the group's
// own channel (channel g for an input group g, 4 + g for an output group); a routing
// button writes the output's Routing word from all four of its buttons, hidden ones
// included. Device values arrive through showParameter and only change what the controls
// show.
//
// Controls carry object names for lookup: "inputName<i>", "outputName<o>", "inputLink<i>",
// "outputLink<o>",
// "route<o>_<k>" (routing button of input k on output o), "inputJump<i>_<k>" (Mute, Gain,
// GEQ, Delay) and "outputJump<o>_<k>" (Gain, X_Over, GEQ, Limit, Delay, Mute).
// GUI thread only.

#include "edit/edit_session.h"
#include "model/channel_layout.h"
#include "ui/pages/page.h"

#include <array>

namespace kv816 {

class SkinButton;
class SkinComboBox;
class SkinLabel;

class HomePage : public Page {
  Q_OBJECT
public:
  HomePage(EditSession& edits, QWidget* parent);

  // Shows the first I inputs and O outputs of the mode (any value above 3 shows all), trims
  // or extends the link lists of the shown strips (a selection past the new end moves to the
  // last entry; no LinkMask is written) and hides the routing buttons of absent inputs.
  void setIoMode(int ioMode) override;
  void refreshTexts() override;
  // The Routing word of an output and the LinkMask of any channel; nothing else.
  void showParameter(const IndexLocation& where, int value) override;
  // The selection of the channel's link list (0 for a value that is no channel).
  int linkGroup(int channel) const;

  int inputCount() const { return inputCount_; }
  int outputCount() const { return outputCount_; }

protected:
  void scaleChanged() override;
  void paintEvent(QPaintEvent* event) override;

private:
  static constexpr int INPUT_JUMPS = 4;
  static constexpr int OUTPUT_JUMPS = 6;

  struct InputStrip {
    SkinLabel* name = nullptr;
    SkinComboBox* link = nullptr;
    std::array<SkinButton*, INPUT_JUMPS> jumps{};
  };
  struct OutputStrip {
    std::array<SkinButton*, INPUT_COUNT> routes{};
    std::array<SkinButton*, OUTPUT_JUMPS> jumps{};
    SkinComboBox* link = nullptr;
    SkinLabel* name = nullptr;
  };

  void createInputStrip(int input);
  void createOutputStrip(int output);
  void fillLinkList(SkinComboBox* list, int count, char first);
  void linkChosen(int channel);
  void routeToggled(int output);
  void updateVisibility();
  void layoutStrips();
  void paintConnectors(QPainter& painter) const;

  EditSession& edits_;
  int inputCount_ = INPUT_COUNT;
  int outputCount_ = OUTPUT_COUNT;
  std::array<InputStrip, INPUT_COUNT> inputs_{};
  std::array<OutputStrip, OUTPUT_COUNT> outputs_{};
};

} // namespace kv816
