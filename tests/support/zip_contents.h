#pragma once
// The files of a zip archive by name, for tests of the support bundle. Empty when the file
// cannot be read as a zip.

#include <archive.h>
#include <archive_entry.h>

#include <map>
#include <string>

namespace kv816::testing {

inline std::map<std::string, std::string> zipContents(const std::string& path) {
  std::map<std::string, std::string> files;
  archive* zip = archive_read_new();
  archive_read_support_format_zip(zip);
  if (archive_read_open_filename(zip, path.c_str(), 16384) == ARCHIVE_OK) {
    archive_entry* entry = nullptr;
    while (archive_read_next_header(zip, &entry) == ARCHIVE_OK) {
      std::string data(static_cast<size_t>(archive_entry_size(entry)), '\0');
      archive_read_data(zip, data.data(), data.size());
      files[archive_entry_pathname(entry)] = data;
    }
  }
  archive_read_free(zip);
  return files;
}

} // namespace kv816::testing
