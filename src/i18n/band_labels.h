#pragma once
// The 32 short band labels of the graphic equaliser page, the same in every language.

#include <array>
#include <string_view>

namespace kv816 {

inline constexpr std::array<std::string_view, 32> BAND_LABELS{
    "20",  "25",  "32",  "40",  "50",  "63",  "80",  "100", "125", "160", "200",
    "250", "315", "400", "500", "630", "800", "1K",  "1K3", "1K6", "2K",  "2K5",
    "3K1", "4K",  "5K",  "6K3", "8K",  "10K", "13K", "16K", "18K", "20K"};

// The label of band `band` (0-31); empty outside that range.
constexpr std::string_view bandLabel(int band) {
  if (band < 0 || band >= static_cast<int>(BAND_LABELS.size())) {
    return {};
  }
  return BAND_LABELS[static_cast<std::size_t>(band)];
}

} // namespace kv816
