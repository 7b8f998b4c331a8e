#include "ui/dialogs/deploy_dialog.h"

#include "ui_test_support.h"

#include "i18n/language.h"
#include "link/link_events.h"
#include "model/channel_layout.h"
#include "model/parameter_table.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace kv816 {
namespace {

struct DeployFixture {
  ParameterTable table;
  EditSession edits{table};
  std::vector<QString> messages;

  DeployFixture() {
    setCurrentLanguage(LanguageIndex::English);
    table.loadDefaults();
  }
  DeployDialog::MessageFn recorder() {
    return [this](int kind, const QString& text, const QString&) {
      EXPECT_EQ(kind, static_cast<int>(MessageKind::Ok));
      messages.push_back(text);
      return static_cast<int>(MessageButton::Ok);
    };
  }
  std::vector<int> marked() const {
    std::vector<int> indexes;
    for (int index = 0; index < PARAM_COUNT; ++index)
      if (table.mustSend(index))
        indexes.push_back(index);
    return indexes;
  }
};

QStringList itemsOf(const QComboBox& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i)
    items << list.itemText(i);
  return items;
}

TEST(DeployDialog, ModeDecidesTheChannelsOffered) {
  struct Case {
    int mode;
    int inputs;
    int outputs;
  };
  for (const Case c : {Case{0, 2, 4}, Case{1, 2, 6}, Case{2, 4, 6}, Case{3, 4, 8}, Case{9, 4, 8}}) {
    SCOPED_TRACE(c.mode);
    DeployFixture f;
    DeployDialog dialog(f.table, f.edits, c.mode, f.recorder());
    dialog.show();
    for (QComboBox* list : {&dialog.inputSource(), &dialog.inputTarget()}) {
      EXPECT_EQ(list->count(), c.inputs);
      EXPECT_EQ(list->currentIndex(), 0);
    }
    for (QComboBox* list : {&dialog.outputSource(), &dialog.outputTarget()})
      EXPECT_EQ(list->count(), c.outputs);
    for (int input = 0; input < 4; ++input) {
      EXPECT_EQ(dialog.noiseGate(input).isVisible(), input < c.inputs) << input;
      EXPECT_EQ(dialog.noiseGateLabel(input).isVisible(), input < c.inputs) << input;
    }
  }
  DeployFixture f;
  DeployDialog dialog(f.table, f.edits, 1, f.recorder());
  EXPECT_EQ(itemsOf(dialog.inputSource()), (QStringList{"IN A", "IN B"}));
  EXPECT_EQ(itemsOf(dialog.outputTarget()),
            (QStringList{"OUT 1", "OUT 2", "OUT 3", "OUT 4", "OUT 5", "OUT 6"}));
  EXPECT_EQ(dialog.noiseGateLabel(3).text(), "IN D");
}

TEST(DeployDialog, CopyMarksExactlyTheDifferingEntriesOfTheTarget) {
  DeployFixture f;
  // Output 1 (716-768) differs from output 2 (770-822) at three offsets; the link mask and
  // routing words around the blocks differ too and must stay.
  f.table.record(716).value.store(1);
  f.table.record(740).value.store(1234);
  f.table.record(768).value.store(7);
  f.table.record(715).value.store(0x10); // output 1 link mask
  f.table.record(707).value.store(0x3);  // output 1 routing
  const int targetMask = f.table.value(769);
  const int targetRouting = f.table.value(708);
  DeployDialog dialog(f.table, f.edits, 3, f.recorder());
  dialog.outputTarget().setCurrentIndex(1);
  dialog.copyOutputs();

  const std::vector<int> expected{770, 794, 822};
  EXPECT_EQ(f.marked(), expected);
  for (int offset = 0; offset < OUTPUT_BLOCK_SIZE; ++offset)
    EXPECT_EQ(f.table.value(770 + offset), f.table.value(716 + offset)) << offset;
  EXPECT_EQ(f.table.value(769), targetMask);
  EXPECT_EQ(f.table.value(708), targetRouting);
  // One undo step holds the copy.
  ASSERT_EQ(f.edits.undoDepth(), 1u);
  std::vector<int> stepIndexes;
  for (const ParameterChange& change : f.edits.lastStep()->changes)
    stepIndexes.push_back(change.index);
  EXPECT_EQ(stepIndexes, expected);
  EXPECT_EQ(f.edits.lastStep()->subject.source, EditSource::ChannelCopy);
  EXPECT_EQ(f.messages, std::vector<QString>{"Copy complete!"});
}

TEST(DeployDialog, InputCopyLeavesTheNoiseGateAndOtherInputsAlone) {
  DeployFixture f;
  for (int offset = 0; offset < INPUT_BLOCK_SIZE; ++offset)
    f.table.record(21 + offset).value.store(offset + 1000); // input A's whole block
  f.table.record(19).value.store(5);                        // input A's noise gate
  DeployDialog dialog(f.table, f.edits, 3, f.recorder());
  dialog.inputTarget().setCurrentIndex(2); // A -> C: 365-534
  dialog.copyInputs();
  const std::vector<int> marked = f.marked();
  ASSERT_EQ(marked.size(), size_t(INPUT_BLOCK_SIZE));
  EXPECT_EQ(marked.front(), 21 + 2 * 172);
  EXPECT_EQ(marked.back(), 190 + 2 * 172);
  EXPECT_EQ(f.table.value(19 + 2 * 172), 80);
}

TEST(DeployDialog, CopyingAChannelOntoItselfIsRefused) {
  DeployFixture f;
  f.table.record(740).value.store(1234);
  DeployDialog dialog(f.table, f.edits, 3, f.recorder());
  dialog.inputSource().setCurrentIndex(1);
  dialog.inputTarget().setCurrentIndex(1);
  dialog.copyInputs();
  dialog.copyOutputs(); // both output lists still on OUT 1
  EXPECT_EQ(f.messages,
            (std::vector<QString>{"You can't copy yourself!", "You can't copy yourself!"}));
  EXPECT_TRUE(f.marked().empty());
  EXPECT_FALSE(f.edits.canUndo());
}

TEST(DeployDialog, NoiseGateListsShowAndWriteThresholds) {
  DeployFixture f;
  f.table.record(19 + 172).value.store(130); // input B: out of range, shows 130 % 121
  f.table.record(19 + 3 * 172).value.store(120);
  DeployDialog dialog(f.table, f.edits, 3, f.recorder());
  QComboBox& gateA = dialog.noiseGate(0);
  EXPECT_EQ(gateA.count(), 121);
  EXPECT_EQ(gateA.itemText(0), "0dB");
  EXPECT_EQ(gateA.itemText(120), "-120dB");
  EXPECT_EQ(gateA.currentText(), "-80dB"); // the default threshold
  EXPECT_EQ(dialog.noiseGate(1).currentIndex(), 9);
  EXPECT_EQ(dialog.noiseGate(3).currentIndex(), 120);
  EXPECT_TRUE(f.marked().empty()); // opening writes nothing

  dialog.show();
  dialog.noiseGate(1).setFocus();
  QTest::keyClick(&dialog.noiseGate(1), Qt::Key_Down); // the user's choice: position 10
  EXPECT_EQ(f.table.value(19 + 172), 10);
  dialog.chooseNoiseGate(2, 0);
  EXPECT_EQ(f.table.value(19 + 2 * 172), 0);
  EXPECT_EQ(f.marked(), (std::vector<int>{19 + 172, 19 + 2 * 172}));
}

TEST(DeployDialog, EnterAsksForTheHomePageAndKeepsTheDialogOpen) {
  DeployFixture f;
  DeployDialog dialog(f.table, f.edits, 1, f.recorder());
  dialog.show();
  QSignalSpy pages(&dialog, &DeployDialog::showPageRequested);
  QTest::keyClick(&dialog, Qt::Key_Return);
  ASSERT_EQ(pages.count(), 1);
  EXPECT_EQ(pages[0][0].toInt(), 0);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(f.messages.empty());
}

TEST(DeployDialog, ConfigureCommandOpensItWithTheWindowsModeAndShowsCopies) {
  test::WindowFixture f;
  f.window->actions().modes[0]->trigger();
  test::WindowFixture::settle();
  ParameterTable& table = f.session->table();
  table.record(716 + 2).value.store(table.value(770 + 2) + 5); // output 1 gain differs
  int inputs = -1;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<DeployDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    inputs = dialog->inputCount();
    dialog->outputTarget().setCurrentIndex(1);
    test::MessageCatcher done;
    done.answerNext(QMessageBox::Ok);
    dialog->copyOutputs();
    dialog->reject();
  });
  auto routed = [&f] {
    size_t calls = 0;
    for (test::RecordingPage* page : f.pages)
      calls += page->calls.size();
    return calls;
  };
  const size_t before = routed();
  f.window->actions().configure->trigger();
  EXPECT_EQ(inputs, 2);
  EXPECT_TRUE(table.mustSend(770 + 2));
  test::WindowFixture::settle();
  EXPECT_GT(routed(), before); // the copied gain reaches the pages that show it
}

} // namespace
} // namespace kv816
