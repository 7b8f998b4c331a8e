#pragma once
// The tab row of the main window and the page numbers behind it.
//
// Page numbers: 0 home, 1 gain, 2 delay, 3..6 graphic EQ of inputs A..D, 7..10 inputs
// A..D, 11..18 outputs 1..8. With I inputs and O outputs shown the row holds 3 + 2I + O
// tabs: Home, Gain, Delay, one GEQ tab per input, one IN tab per input, one OUT tab per
// output. Pure functions; any thread.

namespace kv816 {

inline constexpr int PAGE_HOME = 0;
inline constexpr int PAGE_GAIN = 1;
inline constexpr int PAGE_DELAY = 2;
inline constexpr int PAGE_GEQ_FIRST = 3;
inline constexpr int PAGE_INPUT_FIRST = 7;
inline constexpr int PAGE_OUTPUT_FIRST = 11;
inline constexpr int PAGE_NUMBER_COUNT = 19;

// The number of tabs of an I/O mode (13 for mode 1, 19 for mode 3).
int tabCount(int ioMode);

// The page number shown by tab position `tab`; -1 for a position outside the row.
int pageOfTab(int tab, int ioMode);

// The tab position of a page number; -1 when the mode does not show that page (the graphic
// EQ of input C in a two-input mode, output 7 in a six-output mode, a bad number).
int tabOfPage(int page, int ioMode);

} // namespace kv816
