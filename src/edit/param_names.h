#pragma once
// The one naming of the parameter table's entries, and the kind of value each holds: the
// command-line tool, show files, the remote API and typed values in the GUI all use it.
//
//   CHANNEL.FUNCTION            in1.gain, out3.mute, out2.routing, in1.noisegate
//   CHANNEL.peqK.FIELD          out2.peq3.gain   (K = 1..10; FIELD type|freq|gain|q)
//   CHANNEL.geqN.FIELD          in1.geq12.gain   (N = 1..31, inputs only)
//   CHANNEL.hpf.FIELD           out1.hpf.freq    (hpf and lpf: type|freq, outputs only)
//   CHANNEL.comp.FIELD          out1.comp.ratio  (ratio|attack|release|threshold)
//   idxN or #N                  any entry by its index, shown and set raw
//
// CHANNEL is in1..in4 (or inA..inD) or out1..out8; names are case-insensitive. Channel
// functions: mute, phase, gain, delay, geqbypass, peqbypass, noisegate, link, routing.
// Pure functions; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace kv816 {

enum class ValueKind {
  Raw,
  Flag,         // on/off
  ChannelGain,  // dB
  EqGain,       // dB
  Frequency,    // Hz, "k" for thousands
  HpfFrequency, // Hz, OFF (19 Hz) or OFF:F for another F below 20 Hz
  LpfFrequency, // Hz, OFF (20001 Hz) or OFF:F for another F above 20 kHz
  Q,            // Q, with "/12dB" for the shelf slope
  Delay,        // ms
  Ratio,        // n:1, from the compressor's list
  Attack,       // ms, from the compressor's list
  Release,      // multiple, from the compressor's list
  Threshold,    // whole dBu
  NoiseGate,    // -n dB
  InputLink,    // group letter A..D
  OutputLink,   // group digit 1..8
  Routing,      // input letters, e.g. ABD, or none
  BandType,     // bypass, peq, hs, ls
  HighPassType, // bessel12 .. lr48
  LowPassType,  // bessel12 .. lr48
};

struct ParamRef {
  int index = 0;
  ValueKind kind = ValueKind::Raw;
};

// The entry a name stands for; nothing when the name is not in the scheme or the channel
// lacks the function (in1.hpf.freq, out1.geq3.gain).
std::optional<ParamRef> parseParamName(std::string_view name);

// The kind and canonical name of an index ("out2.peq3.gain", "idx1165").
ParamRef paramOfIndex(int index);
std::string paramName(int index);

// "in1".."in4", "out1".."out8" for channels 0..11.
std::string channelName(int channel);

} // namespace kv816
