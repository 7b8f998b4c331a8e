// jib_same A.jib B.jib: exit 0 when both are whole preset files with the same header (save
// time aside) and the same 1175 values, the meter words aside (live levels, read at two
// moments); otherwise says what differs and exits 1. The files' bytes differ anyway: every
// save draws new filler and a new code table.

#include <filesystem>
#include <iostream>

#include "model/parameter_table.h"
#include "presets/preset_codec.h"
#include "presets/preset_file.h"

namespace {

using namespace kv816;

bool sameHeader(const PresetHeader& a, const PresetHeader& b) {
  return a.dataOffset == b.dataOffset && a.valueCount == b.valueCount && a.modelId == b.modelId &&
         a.reservedA == b.reservedA && a.passwordFlag == b.passwordFlag &&
         a.reservedB == b.reservedB;
}

bool isMeterWord(size_t index) {
  return index >= size_t(IDX_METER_FIRST) && index < size_t(IDX_METER_FIRST + METER_WORD_COUNT);
}

bool readWhole(PresetFile& file, const char* path) {
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) != PRESET_FILE_SIZE || ec) {
    std::cerr << path << ": not " << PRESET_FILE_SIZE << " bytes long\n";
    return false;
  }
  if (file.readPreset(path) != PresetResult::Done) {
    std::cerr << path << ": not a valid preset file\n";
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: jib_same A.jib B.jib\n";
    return 2;
  }
  PresetFile a(SettingsFolders{}), b(SettingsFolders{});
  if (!readWhole(a, argv[1]) || !readWhole(b, argv[2]))
    return 1;
  if (!sameHeader(a.header(), b.header())) {
    std::cerr << "the headers differ\n";
    return 1;
  }
  int differ = 0;
  for (size_t i = 0; i < a.values().size() || i < b.values().size(); ++i) {
    const int32_t va = i < a.values().size() ? a.values()[i] : -1;
    const int32_t vb = i < b.values().size() ? b.values()[i] : -1;
    if (va != vb && !isMeterWord(i) && ++differ <= 10)
      std::cerr << "entry " << i << ": " << va << " vs " << vb << "\n";
  }
  if (differ > 0) {
    std::cerr << differ << " entries differ\n";
    return 1;
  }
  return 0;
}
