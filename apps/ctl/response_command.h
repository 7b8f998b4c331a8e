#pragma once
// kv816ctl response CHANNEL [--from FILE.jib] [--geq] [--csv | --svg OUT.svg]
//                  [--measurement M.txt [--target T.txt | --tilt DB[:FROM:TO]] [--offset DB]]
//
// Prints the magnitude response of one channel's filters, computed from the factory
// defaults or from a preset file: a summary by default, a CSV table (frequency, total dB,
// one column per active filter) with --csv, or a picture in the style of the program's
// graph with --svg. CHANNEL is in1..in4 (or inA..inD) or out1..out8; --geq shows an
// input's graphic equaliser instead of its parametric bands. With a measurement, the CSV
// rows are the measurement's frequencies and three columns follow: measured (+ offset),
// predicted (measured + the channel's response) and target; the SVG draws them too, with
// the measured level on a right-hand axis.

#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace kv816 {

void addResponseCommand(CLI::App& app);

// The channel number (0..3 inputs, 4..11 outputs) of a name such as "in2", "inB" or
// "out8" (letters in either case); -1 when it names no channel.
int parseChannelName(std::string_view name);

} // namespace kv816
