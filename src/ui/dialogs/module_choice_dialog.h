#pragma once
// The list of WiFi modules that answered discovery, shown when more than one did: the user
// picks the module the network link connects to.
//
// Rows are the addresses in discovery order, dotted IPv4 from the most significant byte.
// The last row is chosen from the start, so closing the dialog in any way other than OK or
// a double click keeps the module that answered last. GUI thread only.

#include <QDialog>

#include <cstdint>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace kv816 {

class ModuleChoiceDialog : public QDialog {
  Q_OBJECT
public:
  explicit ModuleChoiceDialog(const std::vector<uint32_t>& modules, QWidget* parent = nullptr);

  // The address to connect to; 0 only when the list was empty.
  uint32_t chosenAddress() const { return chosen_; }
  QTreeWidget* list() const { return list_; }

  // "192.168.1.100" for 0xC0A80164.
  static QString dottedAddress(uint32_t address);

  void accept() override;

private:
  void chooseRow(QTreeWidgetItem* row);

  QTreeWidget* list_;
  uint32_t last_ = 0;
  uint32_t chosen_ = 0;
};

} // namespace kv816
