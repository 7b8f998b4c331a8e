#include "model/parameter_table.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/factory_defaults.h"

namespace kv816 {
namespace {

class ParameterTableTest : public ::testing::Test {
protected:
  void SetUp() override { table->loadDefaults(); }
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
};

// The write pass transmits while the mark is set and counts each transmission.
int transmitUntilUnmarked(ParameterTable& t, int index) {
  int sent = 0;
  while (t.mustSend(index) && sent < 100) {
    t.countTransmission(index);
    ++sent;
  }
  return sent;
}

TEST_F(ParameterTableTest, UnacknowledgedEntryGoesOutElevenTimesThenStaysUnsent) {
  table->setParameter(797, 530);
  EXPECT_EQ(transmitUntilUnmarked(*table, 797), 11);
  EXPECT_FALSE(table->mustSend(797));
  EXPECT_EQ(table->retryCount(797), 0);
  EXPECT_EQ(table->value(797), 530);

  // A fresh edit starts a fresh series.
  table->setParameter(797, 531);
  EXPECT_EQ(transmitUntilUnmarked(*table, 797), 11);
}

TEST_F(ParameterTableTest, EchoClearsTheMarkOnlyWhenItConfirmsTheCurrentValue) {
  table->setParameter(23, 370);
  table->countTransmission(23);
  table->setParameter(23, 380); // the page edits again while the packet is in flight
  table->applyEcho(23, 370);
  EXPECT_TRUE(table->mustSend(23));
  EXPECT_EQ(table->retryCount(23), 1);

  table->countTransmission(23);
  table->applyEcho(23, 380);
  EXPECT_FALSE(table->mustSend(23));
  EXPECT_EQ(table->retryCount(23), 0);
}

TEST_F(ParameterTableTest, NegativeValueTravelsAsLow16BitsAndReadsBackUnsigned) {
  table->setParameter(24, -1);
  EXPECT_EQ(table->value(24), -1);
  EXPECT_EQ(table->wireValue(24), 0xFFFF);
  table->applyEcho(24, 0xFFFF); // equal in the low 16 bits: a match
  EXPECT_FALSE(table->mustSend(24));

  table->applyReport(24, 0xFFFF);
  EXPECT_EQ(table->value(24), 65535);
  EXPECT_TRUE(table->uiRefresh(24));
}

// A report of the old value (a read answered just before the edit reached the device) must
// not replace the edit: the write pass would otherwise send the old value back.
TEST_F(ParameterTableTest, ReportLeavesAPendingEditToBeSent) {
  table->setParameter(716, 1);
  table->applyReport(716, 0);
  EXPECT_EQ(table->value(716), 1);
  EXPECT_TRUE(table->mustSend(716));
  EXPECT_TRUE(table->uiRefresh(716)); // still counts as reported for a full read
  table->applyEcho(716, 1);
  table->applyReport(716, 0); // settled: the device's word is taken again
  EXPECT_EQ(table->value(716), 0);
}

TEST_F(ParameterTableTest, IndexesOutsideTheTableChangeNothing) {
  const auto before = table->snapshotForExport();
  for (int index : {PARAM_COUNT, PARAM_COUNT + 1, 0xFFFF, -1}) {
    table->applyReport(index, 7);
    table->applyEcho(index, 7);
    table->setParameter(index, 7);
    EXPECT_FALSE(table->copyIfChanged(index, 7));
    table->countTransmission(index);
    EXPECT_FALSE(table->takeRefresh(index));
    EXPECT_EQ(table->value(index), 0);
  }
  EXPECT_EQ(table->snapshotForExport(), before);
  EXPECT_EQ(table->countRefreshed(), 0);
}

TEST_F(ParameterTableTest, CopyMarksOnlyEntriesThatChange) {
  EXPECT_FALSE(table->copyIfChanged(23, 360)); // default already 360
  EXPECT_FALSE(table->mustSend(23));
  EXPECT_TRUE(table->copyIfChanged(23, 361));
  EXPECT_TRUE(table->mustSend(23));
  EXPECT_EQ(table->value(23), 361);
}

TEST_F(ParameterTableTest, ReadRequestCountWrapsAndNeverStopsTheRead) {
  table->record(30).mustRead.store(1);
  for (int i = 1; i <= 10; ++i) {
    table->countReadRequest(30);
    EXPECT_EQ(table->retryCount(30), i);
  }
  table->countReadRequest(30);
  EXPECT_EQ(table->retryCount(30), 0);
  EXPECT_TRUE(table->takeMustRead(30));
  EXPECT_FALSE(table->takeMustRead(30));
}

TEST_F(ParameterTableTest, BulkMarkOperations) {
  table->setParameter(100, 1);
  table->countTransmission(100);
  table->applyReport(200, 5);

  table->beginFullRead(); // full read: counts and refresh marks go, send marks stay
  EXPECT_EQ(table->retryCount(100), 0);
  EXPECT_TRUE(table->mustSend(100));
  EXPECT_EQ(table->countRefreshed(), 0);

  table->applyReport(200, 6);
  EXPECT_EQ(table->snapshotForExport()[200], 6); // export clears refresh marks
  EXPECT_FALSE(table->uiRefresh(200));

  table->applyReport(300, 6);
  table->discardPendingMarks(); // after a handshake nothing is left to send or show
  EXPECT_FALSE(table->mustSend(100));
  EXPECT_FALSE(table->uiRefresh(300));
}

TEST_F(ParameterTableTest, LoadDefaultsResetsValuesAndMarks) {
  table->setParameter(0, DEVICE_ID);
  table->applyReport(5, 3);
  table->countTransmission(0);
  table->loadDefaults();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    ASSERT_EQ(table->value(i), factoryDefaults()[static_cast<std::size_t>(i)]) << i;
    ASSERT_FALSE(table->mustSend(i) || table->uiRefresh(i) || table->retryCount(i)) << i;
  }
}

} // namespace
} // namespace kv816
