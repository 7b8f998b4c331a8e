#pragma once
// Network settings: the link type used from the next start, and the WiFi module's mode,
// hotspot and router names and passwords. The dialog only queues module commands and shows
// the replies the link stored in the module slots; it never waits on the link. While it is
// visible a 500 ms timer takes the replies that have arrived (replies that came while it
// was hidden show at the next show). The module's confirmations of the set commands are
// shown by the link, not here.
//
// GUI thread only; the module slots are shared with the link threads (ModuleCommands).

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <string_view>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kv816 {

class ModuleCommands;
class Settings;

class NetworkDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int POLL_INTERVAL_MS = 500;
  // Longest module command the dialog builds (command word included).
  static constexpr std::size_t MAX_COMMAND_LENGTH = 99;
  using MessageFn = std::function<int(int kind, const QString& text, const QString& caption)>;

  // `linkType` is the running link's type (1 USB, 2 network, anything else the hidden
  // Bluetooth choice). `settings` receives the link choice. `message` shows a modal
  // message (kind and result as in LinkEvents) and returns the button pressed.
  NetworkDialog(ModuleCommands& modules, const Settings& settings, int linkType, MessageFn message,
                QWidget* parent = nullptr);

  // Link choices as the radios store them.
  enum LinkChoice : int { CHOICE_BLUETOOTH = 0, CHOICE_USB = 1, CHOICE_NETWORK = 2 };
  QRadioButton& linkRadio(LinkChoice choice) const;
  QRadioButton& hotspotRadio() const { return *modeRadios_[0]; }
  QRadioButton& routerRadio() const { return *modeRadios_[1]; }
  QLineEdit& addressEdit() const { return *address_; }
  QLineEdit& hotspotSsid() const { return *edits_[0]; }
  QLineEdit& hotspotPassword() const { return *edits_[1]; }
  QLineEdit& routerSsid() const { return *edits_[2]; }
  QLineEdit& routerPassword() const { return *edits_[3]; }
  bool isPolling() const;

  // The user's actions (the buttons and radios call these).
  void readModule();        // Get Data: empties the fields and asks again
  void sendHotspot();       // Set Hot
  void sendRouter();        // Set Route
  void chooseHotspotMode(); // the Hot radio
  void chooseRouterMode();  // the Route radio, after a Yes/No question
  void chooseLinkType(LinkChoice choice);

  // The timer's step: shows every reply of slots 0-8 that arrived and consumes it.
  void applyReplies();
  void refreshTexts();

  // `command` followed by the printable ASCII bytes (0x20-0x7E) of the UTF-8 text, cut so
  // that the whole command is at most MAX_COMMAND_LENGTH bytes.
  static std::string buildCommand(std::string_view command, const QString& typed);

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  void build();
  void place();
  void showMode(int mode); // 0 none, 1 hotspot, 2 router
  void showTextReply(int slot);
  bool queueName(const QLineEdit& edit, std::string_view command, int slot);
  bool storable(const QLineEdit& name, const QLineEdit& password);
  int message(int kind, const QString& text);

  ModuleCommands& modules_;
  const Settings& settings_;
  MessageFn message_;
  int shownMode_ = 0;
  QTimer* poll_;
  QButtonGroup* linkGroup_;
  std::array<QRadioButton*, 3> linkRadios_{}; // indexed by LinkChoice
  std::array<QRadioButton*, 2> modeRadios_{};
  std::array<QLabel*, 5> labels_{}; // IP, HotSSID, HotPW, RouteSSID, RoutePW
  QLineEdit* address_;
  std::array<QLineEdit*, 4> edits_{};     // HotSSID, HotPW, RouteSSID, RoutePW
  std::array<QPushButton*, 3> buttons_{}; // Get Data, Set Hot, Set Route
};

} // namespace kv816
