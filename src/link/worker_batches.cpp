#include "link/worker_batches.h"

#include "model/parameter_table.h"

namespace kv816 {

namespace {
void putWord(std::vector<uint8_t>& out, uint16_t word) {
  out.push_back(static_cast<uint8_t>(word >> 8));
  out.push_back(static_cast<uint8_t>(word & 0xFF));
}

int wrapped(int index) {
  return index >= PARAM_COUNT || index < 0 ? 0 : index;
}
} // namespace

std::vector<uint8_t> collectWriteBatch(ParameterTable& table, int& position) {
  std::vector<uint8_t> items;
  int index = wrapped(position);
  int taken = 0;
  for (int examined = 0; examined < PARAM_COUNT && taken < WRITE_BATCH_ITEMS; ++examined) {
    if (table.mustSend(index)) {
      putWord(items, static_cast<uint16_t>(index));
      putWord(items, table.wireValue(index));
      table.countTransmission(index);
      ++taken;
    }
    index = wrapped(index + 1);
  }
  position = index;
  return items;
}

std::vector<uint8_t> collectReadBatch(ParameterTable& table, int& position) {
  std::vector<uint8_t> items;
  int index = wrapped(position);
  int taken = 0;
  for (int examined = 0; examined < PARAM_COUNT && taken < READ_BATCH_ITEMS; ++examined) {
    if (!table.uiRefresh(index)) {
      putWord(items, static_cast<uint16_t>(index));
      // The entry that fills the batch goes uncounted; in a read the count only informs.
      if (++taken < READ_BATCH_ITEMS)
        table.countReadRequest(index);
    }
    index = wrapped(index + 1);
  }
  position = index;
  return items;
}

std::vector<uint8_t> meterRequest(int meterView) {
  std::vector<uint8_t> items;
  if (meterView == 1) {
    for (int i = 0; i < METER_WORD_COUNT; ++i)
      putWord(items, static_cast<uint16_t>(IDX_METER_FIRST + i));
  } else if (meterView >= 7 && meterView <= 18) {
    // Pages 7-18 are the channel pages; one meter word holds two neighbouring channels.
    putWord(items, static_cast<uint16_t>(IDX_METER_FIRST + (meterView - 7) / 2));
  }
  return items;
}

} // namespace kv816
