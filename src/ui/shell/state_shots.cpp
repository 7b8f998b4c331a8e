#include "ui/shell/state_shots.h"

#include "edit/param_names.h"
#include "edit/param_values.h"
#include "edit/table_diff.h"
#include "i18n/language.h"
#include "i18n/text.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "sim/simulated_device.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/show_controller.h"
#include "ui/shell/tab_layout.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <vector>

namespace kv816 {

namespace {

constexpr int SETTLE_MS = 400;
constexpr int LINK_WAIT_MS = 30000;

struct ShotLanguage {
  LanguageIndex language;
  const char* tag;
};
constexpr ShotLanguage LANGUAGES[] = {{LanguageIndex::English, "en"},
                                      {LanguageIndex::SimplifiedChinese, "zh_CN"}};

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

void settle() {
  runUntil([] { return false; }, SETTLE_MS);
}

bool savePicture(QWidget& widget, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name);
  const bool saved = widget.grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  return saved;
}

// The window in each language, as kv816-state-NAME-LANG.png.
bool saveState(MainWindow& window, const QString& folder, const char* name) {
  bool saved = true;
  for (const ShotLanguage& l : LANGUAGES) {
    window.setLanguage(l.language);
    settle();
    saved = savePicture(window, folder, QStringLiteral("kv816-state-%1-%2.png").arg(name, l.tag)) &&
            saved;
  }
  return saved;
}

std::vector<int32_t> tableOf(DeviceSession& session) {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = session.table().value(i);
  return values;
}

// A show prepared at a desk: the device's values with three changes.
std::vector<int32_t> preparedShow(DeviceSession& session) {
  std::vector<int32_t> values = tableOf(session);
  for (const auto& [name, text] : {std::pair{"in1.mute", "on"}, std::pair{"out2.peq3.gain", "-3dB"},
                                   std::pair{"out8.hpf.freq", "80Hz"}}) {
    const ParamRef ref = *parseParamName(name);
    values[static_cast<size_t>(ref.index)] = parseParamValue(ref.kind, text).raw.value_or(0);
  }
  return values;
}

bool saveCompareDialogs(MainWindow& window, const QString& folder,
                        const std::vector<int32_t>& show) {
  bool saved = true;
  for (const ShotLanguage& l : LANGUAGES) {
    window.setLanguage(l.language);
    CompareDialog dialog(compareTables(show, tableOf(window.session())), uiText(Text::SideFile),
                         uiText(Text::SideDevice), CompareDialog::Mode::Sync, &window);
    dialog.show();
    settle();
    saved = savePicture(dialog, folder, QStringLiteral("kv816-compare-%1.png").arg(l.tag)) && saved;
  }
  return saved;
}

// Answers the next comparison dialog with `choice` once it opens.
void answerNextComparison(QTimer& timer, int choice) {
  QObject::connect(&timer, &QTimer::timeout, [&timer, choice] {
    auto* dialog = qobject_cast<CompareDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    timer.stop();
    dialog->done(choice);
  });
  timer.start(50);
}

} // namespace

bool saveStateShots(MainWindow& window, const QString& folder) {
  DeviceSession& session = window.session();
  ShowController& show = window.showController();
  SimulatedDevice* device = session.demoDevice();
  const auto online = [&] {
    return show.state() == ShowController::State::Online && session.isConnected();
  };
  const auto offline = [&] { return show.state() == ShowController::State::Offline; };
  if (!device || !online())
    return false;
  // The gain page: every channel's meter, live or greyed.
  window.showPageNumber(PAGE_GAIN);
  bool saved = saveState(window, folder, "online");

  // Unplugged, the worker searches for it again.
  device->setUnplugged(true);
  const auto searching = [&] { return show.state() == ShowController::State::Connecting; };
  saved = runUntil(searching, LINK_WAIT_MS) && saveState(window, folder, "connecting") && saved;
  device->setUnplugged(false);
  if (!runUntil(online, LINK_WAIT_MS))
    return false;
  show.goOffline();
  saved = offline() && saveState(window, folder, "offline") && saved;
  show.goOnline();
  if (!runUntil(online, LINK_WAIT_MS))
    return false;

  QTemporaryDir files;
  const QString path = files.filePath(QStringLiteral("show.jib"));
  const std::vector<int32_t> values = preparedShow(session);
  PresetFile file(session.settings().folders());
  file.setModelId(DEVICE_ID);
  if (file.savePreset(path.toStdString(), values) != PresetResult::Done)
    return false;
  saved = saveCompareDialogs(window, folder, values) && saved;
  QTimer stay;
  answerNextComparison(stay, CompareDialog::STAY_OFFLINE);
  saved = show.openShow(path) && offline() && saveState(window, folder, "offline-show") && saved;
  // Online again with the show open: the comparison asks again, and the pictures after
  // these go on with the device's values.
  QTimer take;
  answerNextComparison(take, CompareDialog::TAKE_DEVICE);
  show.goOnline();
  saved = runUntil([&] { return online() && !take.isActive(); }, LINK_WAIT_MS) && saved;
  window.showPageNumber(PAGE_HOME);
  return saved;
}

} // namespace kv816
