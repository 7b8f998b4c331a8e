// Help -> Save support bundle…: the action asks where, writes the zip off the GUI thread and
// says where it went; the settings' passwords never reach the zip.

#include "ui/shell/support_bundle_saver.h"

#include "i18n/text.h"
#include "model/parameter_table.h"
#include "presets/preset_codec.h"
#include "support/zip_contents.h"
#include "ui/controls/ui_text.h"
#include "ui_test_support.h"

#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fstream>

namespace kv816 {
namespace {

// Picks `path` in the next file dialog and remembers the file it offered first.
struct FileDialogAnswer {
  QString offered;
  QTimer poll;

  explicit FileDialogAnswer(const QString& path) {
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [this, path] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      poll.stop();
      offered = dialog->selectedFiles().value(0);
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();
    });
    poll.start();
  }
};

TEST(SupportBundleSaverTest, TheActionWritesTheBundleAndSaysWhere) {
  test::WindowFixture fixture;
  const QString dir = fixture.dir.path();
  qputenv("XDG_STATE_HOME", (dir + QStringLiteral("/state")).toUtf8());
  QDir(dir).mkpath(QStringLiteral("state/kv816"));
  std::ofstream((dir + QStringLiteral("/state/kv816/kv816.log")).toStdString()) << "link: lost\n";
  std::ofstream((dir + QStringLiteral("/Configuration.ini")).toStdString())
      << "[kv816]\nHotPassword=secret99\nNetTcpPort=1010\n";
  fixture.session->table().setParameter(IDX_CURRENT_PRESET, 3);
  SupportBundleSaver& saver = fixture.window->supportBundle();
  QSignalSpy done(&saver, &SupportBundleSaver::finished);
  const QString zip = dir + QStringLiteral("/bundle.zip");

  FileDialogAnswer answer(zip);
  test::MessageCatcher message;
  message.answerNext(QMessageBox::Ok);
  saver.action()->trigger();
  // The result's message box runs inside the signal, so it has been answered by now.
  ASSERT_TRUE(done.count() == 1 || done.wait(10000));
  EXPECT_EQ(message.shown, 1);
  qunsetenv("XDG_STATE_HOME");

  const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
  EXPECT_TRUE(
      answer.offered.endsWith(QStringLiteral("/kv816-support-") + today + QStringLiteral(".zip")))
      << answer.offered.toStdString();
  EXPECT_TRUE(done.at(0).at(0).toBool());
  EXPECT_TRUE(message.text.startsWith(uiText(Text::SupportBundleSaved)));
  EXPECT_TRUE(message.text.endsWith(zip)) << message.text.toStdString();
  const auto files = testing::zipContents(zip.toStdString());
  EXPECT_EQ(files.at("log/kv816.log"), "link: lost\n");
  EXPECT_EQ(files.at("settings/" + QFileInfo(dir).fileName().toStdString() + "/Configuration.ini"),
            "[kv816]\nHotPassword=********\nNetTcpPort=1010\n");
  EXPECT_EQ(files.at("device.txt"), "no device connected\n");
  EXPECT_NE(files.at("versions.txt").find("kv816 "), std::string::npos);
  const std::string& jib = files.at("table.jib");
  PresetHeader header;
  std::vector<int32_t> values;
  ASSERT_EQ(parsePresetImage(decodePresetBytes(std::span(
                                 reinterpret_cast<const uint8_t*>(jib.data()), jib.size())),
                             header, values),
            PresetResult::Done);
  EXPECT_EQ(values.at(IDX_CURRENT_PRESET), 3);
  for (const auto& [name, data] : files)
    EXPECT_EQ(data.find("secret99"), std::string::npos) << name;
}

TEST(SupportBundleSaverTest, AFailedWriteSaysWhyAndTheActionWorksAgain) {
  test::WindowFixture fixture;
  SupportBundleSaver& saver = fixture.window->supportBundle();
  QSignalSpy done(&saver, &SupportBundleSaver::finished);
  test::MessageCatcher message;
  message.answerNext(QMessageBox::Ok);
  saver.save(fixture.dir.path() + QStringLiteral("/missing/bundle.zip"));
  EXPECT_FALSE(saver.action()->isEnabled());
  ASSERT_TRUE(done.wait(10000));
  EXPECT_EQ(message.shown, 1);
  EXPECT_FALSE(done.at(0).at(0).toBool());
  EXPECT_TRUE(message.text.startsWith(uiText(Text::SupportBundleFailed)))
      << message.text.toStdString();
  EXPECT_GT(message.text.size(), uiText(Text::SupportBundleFailed).size() + 1);
  EXPECT_TRUE(saver.action()->isEnabled());
}

} // namespace
} // namespace kv816
