#include "ui/dialogs/preset_list_dialog.h"

#include "i18n/language.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/preset_tasks.h"
#include "link/task_flags.h"
#include "model/parameter_table.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace kv816 {
namespace {

struct DialogFixture {
  ParameterTable table;
  Link link{table};
  std::vector<QString> messages;
  int answer = static_cast<int>(MessageButton::Yes);

  explicit DialogFixture(int currentPreset) {
    setCurrentLanguage(LanguageIndex::English);
    table.record(IDX_CURRENT_PRESET).value.store(currentPreset);
    for (int slot = 0; slot < 12; ++slot)
      link.presetNames().setName(slot, u"Scene " + std::u16string(1, char16_t(u'A' + slot)));
  }
  PresetListDialog::MessageFn recorder() {
    return [this](int, const QString& text, const QString&) {
      messages.push_back(text);
      return answer;
    };
  }
};

TEST(PresetListDialog, OpensOnTheDevicesCurrentPreset) {
  DialogFixture f(3);
  PresetListDialog dialog(f.link, f.recorder());
  EXPECT_EQ(dialog.selectionText(), "Now Model:3");
  EXPECT_EQ(dialog.list().rowCount(), 12);
  EXPECT_EQ(dialog.list().item(11, 0)->text(), "12");
  EXPECT_EQ(dialog.list().item(2, 1)->text(), "Scene C");
  dialog.load(); // the current preset's row starts marked
  EXPECT_EQ(f.table.value(IDX_PRESET_CONTROL), 0x603);
  EXPECT_TRUE(f.table.mustSend(IDX_PRESET_CONTROL));
  EXPECT_TRUE(f.link.taskFlags().pending(TASK_RECALL));
}

TEST(PresetListDialog, WithoutASelectionNothingIsRenamedOrStored) {
  DialogFixture f(0);
  PresetListDialog dialog(f.link, f.recorder());
  dialog.clickCell(4, 1);
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_TRUE(f.messages[0].startsWith("Click not the current mode!"));
  dialog.save();
  ASSERT_EQ(f.messages.size(), 2u);
  EXPECT_EQ(f.messages[1], "Please enter the file name!");
  dialog.load(); // no row marked: there is no preset 0 to recall
  EXPECT_FALSE(f.link.taskFlags().pending(TASK_STORE_NAME));
  EXPECT_FALSE(f.link.taskFlags().pending(TASK_RECALL));
}

TEST(PresetListDialog, SaveStoresTheSelectedNameCutTo25Characters) {
  DialogFixture f(1);
  PresetListDialog dialog(f.link, f.recorder());
  dialog.clickCell(11, 0); // preset 12 becomes the selection
  EXPECT_EQ(dialog.selectionText(), "Now Model:12");
  dialog.list().item(11, 1)->setText(QString(30, QChar('x')));
  dialog.save();
  EXPECT_TRUE(f.messages.empty());
  const std::u16string stored(25, u'x');
  EXPECT_EQ(f.link.presetNames().name(11), stored);
  EXPECT_EQ(f.link.presetNames().buffer(), stored);
  EXPECT_EQ(f.link.presetNames().name(10), u"Scene K");
  EXPECT_EQ(f.table.value(IDX_PRESET_CONTROL), 12);
  EXPECT_FALSE(f.table.mustSend(IDX_PRESET_CONTROL));
  EXPECT_TRUE(f.link.taskFlags().pending(TASK_STORE_NAME));
}

// Laid out and shown, in every language: the number column holds its header, all twelve
// rows are visible, and a rename starts with the caret after the name, limited to what
// reaches the device.
TEST(PresetListDialog, ShownDialogFitsHeaderAllRowsAndEditsAtTheEnd) {
  for (const LanguageIndex language : {LanguageIndex::English, LanguageIndex::SimplifiedChinese,
                                       LanguageIndex::TraditionalChinese}) {
    DialogFixture f(2);
    setCurrentLanguage(language);
    PresetListDialog dialog(f.link, f.recorder());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableWidget& list = dialog.list();
    QHeaderView* header = list.horizontalHeader();
    const QString title = list.horizontalHeaderItem(0)->text();
    EXPECT_GE(header->sectionSize(0), header->fontMetrics().horizontalAdvance(title))
        << title.toStdString();
    const QRect lastRow = list.visualRect(list.model()->index(PresetListDialog::ROWS - 1, 1));
    EXPECT_TRUE(list.viewport()->rect().contains(lastRow)) << title.toStdString();
    dialog.clickCell(1, 1);
    auto* editor = qobject_cast<QLineEdit*>(list.indexWidget(list.model()->index(1, 1)));
    ASSERT_NE(editor, nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), editor->text().size());
    EXPECT_EQ(editor->maxLength(), NAME_WIRE_LENGTH);
  }
  setCurrentLanguage(LanguageIndex::English);
}

} // namespace
} // namespace kv816
