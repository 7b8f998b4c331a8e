#pragma once
// UTF-8 text from the terminal or the network to the UTF-16 code units the preset names
// travel in, and back. Pure functions; any thread.

#include <string>

namespace kv816 {

// Characters beyond the 16-bit plane become '?'; a sequence cut short at the end of the
// text ends the text.
std::u16string fromUtf8(const std::string& text);
std::string toUtf8(const std::u16string& text);

} // namespace kv816
