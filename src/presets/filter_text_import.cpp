#include "presets/filter_text_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "presets/filter_text_export.h"

namespace kv816 {
namespace {

constexpr double BAND_FREQ_MIN_HZ = 20.0;
constexpr double BAND_FREQ_MAX_HZ = 20000.0;
constexpr double EQ_GAIN_LIMIT_DB = 15.0;
constexpr double Q_MIN = 0.40;
constexpr double Q_MAX = 128.0;
constexpr double GAIN_MIN_DB = -36.0;
constexpr double GAIN_MAX_DB = 12.0;
// The crossover's off positions and where a filter that is on may sit.
constexpr double HIGH_PASS_OFF_HZ = 19.0;
constexpr double LOW_PASS_OFF_HZ = 20001.0;
constexpr double FILTER_ON_FROM_HZ = 19.7;
// A high-pass frequency that stays off once rounded to tenths.
constexpr double HIGH_PASS_OFF_MIN_HZ = 0.1;
constexpr double HIGH_PASS_OFF_MAX_HZ = 19.64;
// The highest whole-hertz frequency word.
constexpr double FREQ_WORD_MAX_HZ = 32767.0;
// Formats give shelves without a Q this one (a gentle, maximally flat shelf).
constexpr double DEFAULT_SHELF_Q = 0.71;
constexpr double DEFAULT_PEAK_Q = 1.0;
// The section Q of the device's 12 dB/oct crossover families.
constexpr double BUTTERWORTH_Q = 0.7071;
constexpr double BESSEL_Q = 0.5773;
constexpr double CROSSOVER_Q_TOLERANCE = 0.05;
constexpr int BUTTERWORTH_12 = 3;
constexpr int BESSEL_12 = 0;

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  return std::string(s.substr(first, s.find_last_not_of(" \t\r") - first + 1));
}

std::vector<std::string> tokens(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) {
      ++i;
    }
    const size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r') {
      ++i;
    }
    if (i > start) {
      out.push_back(lower(s.substr(start, i - start)));
    }
  }
  return out;
}

// A finite number, optionally with a unit glued on ("1000hz", "6db").
std::optional<double> number(std::string_view token) {
  double value = 0.0;
  const char* end = token.data() + token.size();
  const auto [ptr, ec] = std::from_chars(token.data(), end, value);
  if (ec != std::errc() || !std::isfinite(value)) {
    return std::nullopt;
  }
  const std::string_view rest(ptr, static_cast<size_t>(end - ptr));
  if (!rest.empty() && rest != "hz" && rest != "db") {
    return std::nullopt;
  }
  return value;
}

std::string text(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

struct FilterLine {
  bool on = true;
  std::string type;
  std::optional<double> slopeDb;
  std::optional<double> fc;
  std::optional<double> gain;
  std::optional<double> q;
};

// Hints from '#' comment lines, for the filter line after them.
struct Hints {
  std::optional<int> crossoverPosition;
  std::optional<bool> slope12;
};

struct Band {
  int line = 0;
  int type = BAND_TYPE_PEAKING;
  double fc = 1000.0;
  double gain = 0.0;
  double q = DEFAULT_PEAK_Q;
  bool slope12 = false;
};

struct Crossover {
  int position = BUTTERWORTH_12;
  double fc = 0.0;
};

class Reader {
public:
  explicit Reader(int channel) : channel_(channel) {}

  FilterTextImport read(std::string_view all) {
    int number = 0;
    size_t start = 0;
    while (start <= all.size()) {
      const size_t end = std::min(all.find('\n', start), all.size());
      line_ = ++number;
      readLine(all.substr(start, end - start));
      start = end + 1;
    }
    if (static_cast<int>(bands_.size()) > PEQ_BAND_COUNT) {
      out_.error = std::to_string(bands_.size()) + " equaliser filters; a channel has " +
                   std::to_string(PEQ_BAND_COUNT) + " bands. Nothing was changed.";
      out_.notes.clear();
      return std::move(out_);
    }
    buildEdits();
    return std::move(out_);
  }

private:
  void note(FilterTextNote::Kind kind, std::string what) {
    out_.notes.push_back({line_, kind, std::move(what)});
  }

  void readLine(std::string_view raw) {
    const std::string line = trimmed(raw);
    if (line.empty()) {
      return;
    }
    if (line[0] == '#') {
      readComment(lower(line.substr(1)));
      return;
    }
    const size_t colon = line.find(':');
    const std::vector<std::string> head = tokens(std::string_view(line).substr(0, colon));
    const std::string_view body =
        colon == std::string::npos ? std::string_view() : std::string_view(line).substr(colon + 1);
    const std::string word = head.empty() ? std::string() : head[0];
    if (colon == std::string::npos) {
      if (!isRewHeader(line, word)) {
        note(FilterTextNote::Kind::Unsupported, "not a filter line: " + line);
      }
    } else if (word == "filter") {
      readFilter(tokens(body));
    } else if (word == "preamp") {
      readPreamp(tokens(body));
    } else if (!isRewHeader(line, word)) {
      note(FilterTextNote::Kind::Unsupported, "not a filter line: " + line);
    }
  }

  static bool isRewHeader(const std::string& line, const std::string& word) {
    static constexpr std::string_view WORDS[] = {"dated", "notes", "equaliser", "equalizer",
                                                 "average"};
    const std::string l = lower(line);
    return l.starts_with("filter settings file") || l.starts_with("room eq") ||
           std::find(std::begin(WORDS), std::end(WORDS), word) != std::end(WORDS);
  }

  void readComment(const std::string& c) {
    for (const char* side : {"high-pass:", "low-pass:"}) {
      if (const size_t at = c.find(side); at != std::string::npos) {
        const std::string name = trimmed(std::string_view(c).substr(at + std::strlen(side)));
        for (int p = 0; p < CROSSOVER_TYPE_COUNT; ++p) {
          if (name == lower(crossoverTypeName(p))) {
            hints_.crossoverPosition = p;
          }
        }
      }
    }
    if (c.find("slope: 12db") != std::string::npos) {
      hints_.slope12 = true;
    } else if (c.find("slope: 6db") != std::string::npos) {
      hints_.slope12 = false;
    }
    if (c.find("equaliser: bypassed") != std::string::npos) {
      eqBypassed_ = true;
    }
  }

  void readPreamp(const std::vector<std::string>& t) {
    const std::optional<double> db = t.empty() ? std::nullopt : number(t[0]);
    if (!db) {
      note(FilterTextNote::Kind::Dropped, "Preamp without a level in dB");
      return;
    }
    gainDb_ = limit(*db, GAIN_MIN_DB, GAIN_MAX_DB, 0.1, "Preamp", " dB");
  }

  std::optional<FilterLine> parseFilter(const std::vector<std::string>& t) {
    FilterLine f;
    size_t i = 0;
    if (i < t.size() && (t[i] == "on" || t[i] == "off")) {
      f.on = t[i++] == "on";
    }
    if (i >= t.size() || t[i] == "none") {
      return std::nullopt;
    }
    f.type = t[i++];
    const bool shelf = f.type == "ls" || f.type == "hs" || f.type == "lsc" || f.type == "hsc";
    if (shelf && i < t.size() && number(t[i])) {
      f.slopeDb = number(t[i++]);
      if (i < t.size() && t[i] == "db") {
        ++i;
      }
    }
    for (; i + 1 < t.size(); ++i) {
      const std::string& key = t[i];
      if (key == "bw" && t[i + 1] == "oct" && i + 2 < t.size()) {
        const auto n = number(t[i + 2]);
        const double r = n ? std::pow(2.0, *n) : 0.0;
        if (n && *n > 0.0 && std::isfinite(r)) {
          f.q = std::sqrt(r) / (r - 1.0);
          note(FilterTextNote::Kind::Rounded, "bandwidth " + t[i + 2] + " oct as Q " + text(*f.q));
        }
        i += 2;
      } else if (key == "fc" || key == "gain" || key == "q") {
        std::optional<double>& slot = key == "fc" ? f.fc : key == "gain" ? f.gain : f.q;
        slot = number(t[i + 1]);
        ++i;
      }
    }
    return f;
  }

  void readFilter(const std::vector<std::string>& t) {
    const std::optional<FilterLine> f = parseFilter(t);
    const Hints hints = std::exchange(hints_, {});
    if (!f) {
      return;
    }
    if (f->fc && *f->fc <= 0.0) {
      note(FilterTextNote::Kind::Dropped, "frequency " + text(*f->fc) + " Hz is not above 0");
      return;
    }
    if (f->type == "pk" || f->type == "peq" || f->type == "ls" || f->type == "lsc" ||
        f->type == "lsq" || f->type == "hs" || f->type == "hsc" || f->type == "hsq") {
      readBand(*f, hints);
    } else if (f->type == "hp" || f->type == "hpq" || f->type == "lp" || f->type == "lpq") {
      readCrossover(*f, hints);
    } else {
      note(FilterTextNote::Kind::Unsupported,
           "filter type " + f->type + " has no counterpart on the device; dropped");
    }
  }

  void readBand(const FilterLine& f, const Hints& hints) {
    if (!f.fc || (f.on && !f.gain)) {
      note(FilterTextNote::Kind::Dropped, "filter without Fc or Gain");
      return;
    }
    Band b;
    b.line = line_;
    const char kind = f.type[0];
    const bool shelf = kind == 'l' || kind == 'h';
    b.type = !f.on         ? BAND_TYPE_OFF
             : kind == 'l' ? BAND_TYPE_LOW_SHELF
             : kind == 'h' ? BAND_TYPE_HIGH_SHELF
                           : BAND_TYPE_PEAKING;
    b.fc = frequency(*f.fc, BAND_FREQ_MIN_HZ, BAND_FREQ_MAX_HZ, "Fc");
    b.gain = limit(f.gain.value_or(0.0), -EQ_GAIN_LIMIT_DB, EQ_GAIN_LIMIT_DB, 0.1, "Gain", " dB");
    double q = f.q.value_or(shelf ? DEFAULT_SHELF_Q : DEFAULT_PEAK_Q);
    if (!f.q) {
      note(FilterTextNote::Kind::Assumed, "no Q given: Q " + text(q));
    }
    b.q = limit(q, Q_MIN, Q_MAX, 0.01, "Q", "");
    // A shelf given with Q is a second-order shelf unless a comment says otherwise.
    b.slope12 = hints.slope12.value_or(shelf && f.type.size() == 3);
    if (shelf && f.slopeDb) {
      b.slope12 = *f.slopeDb > 9.0;
      if (*f.slopeDb != 6.0 && *f.slopeDb != 12.0) {
        note(FilterTextNote::Kind::Rounded, "shelf slope " + text(*f.slopeDb) + " dB/oct as " +
                                                (b.slope12 ? "12" : "6") + " dB/oct");
      }
    }
    bands_.push_back(b);
  }

  void readCrossover(const FilterLine& f, const Hints& hints) {
    const bool low = f.type[0] == 'l';
    if (!isOutput(channel_)) {
      note(FilterTextNote::Kind::Unsupported, "an input has no crossover; dropped");
      return;
    }
    std::optional<Crossover>& slot = low ? lowPass_ : highPass_;
    if (slot) {
      note(FilterTextNote::Kind::Dropped,
           std::string("a channel has one ") + (low ? "low-pass" : "high-pass") + " filter");
      return;
    }
    if (!f.fc) {
      note(FilterTextNote::Kind::Dropped, "filter without Fc");
      return;
    }
    Crossover x;
    if (hints.crossoverPosition) {
      x.position = *hints.crossoverPosition;
    } else if (f.type.size() == 3 && f.q) {
      const std::optional<int> position = twelveDbFamily(*f.q);
      if (!position) {
        note(FilterTextNote::Kind::Unsupported,
             "Q " + text(*f.q) + ": the device's 12 dB/oct filters have Q 0.71 or 0.58; dropped");
        return;
      }
      x.position = *position;
    }
    x.fc = f.on ? frequency(*f.fc, BAND_FREQ_MIN_HZ, BAND_FREQ_MAX_HZ, "Fc")
                : offFrequency(*f.fc, low);
    slot = x;
  }

  static std::optional<int> twelveDbFamily(double q) {
    if (std::abs(q - BUTTERWORTH_Q) <= CROSSOVER_Q_TOLERANCE) {
      return BUTTERWORTH_12;
    }
    if (std::abs(q - BESSEL_Q) <= CROSSOVER_Q_TOLERANCE) {
      return BESSEL_12;
    }
    return std::nullopt;
  }

  // The device switches a crossover filter off by its frequency: keep a frequency that
  // already means off, else move to the off position.
  double offFrequency(double hz, bool low) {
    const bool alreadyOff = low ? hz >= LOW_PASS_OFF_HZ : hz < FILTER_ON_FROM_HZ;
    if (alreadyOff) {
      return low ? frequency(hz, LOW_PASS_OFF_HZ, FREQ_WORD_MAX_HZ, "Fc")
                 : frequency(hz, HIGH_PASS_OFF_MIN_HZ, HIGH_PASS_OFF_MAX_HZ, "Fc");
    }
    const double off = low ? LOW_PASS_OFF_HZ : HIGH_PASS_OFF_HZ;
    note(FilterTextNote::Kind::Assumed,
         "OFF: frequency set to " + text(off) + " Hz, the position that switches the filter off");
    return off;
  }

  // Rounds to the frequency word's step (0.1 Hz below 100 Hz, 1 Hz from there).
  double frequency(double hz, double min, double max, const char* what) {
    const double clamped = clampNoted(hz, min, max, what, " Hz");
    const double step = clamped < 99.95 ? 0.1 : 1.0;
    return roundNoted(clamped, step, what, " Hz");
  }

  double limit(double value, double min, double max, double step, const char* what,
               const char* unit) {
    return roundNoted(clampNoted(value, min, max, what, unit), step, what, unit);
  }

  double clampNoted(double value, double min, double max, const char* what, const char* unit) {
    const double c = std::clamp(value, min, max);
    if (c != value) {
      note(FilterTextNote::Kind::Clamped,
           std::string(what) + ' ' + text(value) + unit + " to " + text(c) + unit);
    }
    return c;
  }

  double roundNoted(double value, double step, const char* what, const char* unit) {
    const double r = std::round(value / step) * step;
    if (std::abs(r - value) > 1e-9 * std::max(1.0, std::abs(value))) {
      note(FilterTextNote::Kind::Rounded,
           std::string(what) + ' ' + text(value) + unit + " to " + text(r) + unit);
    }
    return r;
  }

  void add(ChannelFunction function, int32_t value, int band = 0) {
    out_.edits.push_back({indexOf(function, channel_, band), value});
  }

  void buildEdits() {
    if (gainDb_) {
      add(ChannelFunction::Gain, encodeChannelGain(*gainDb_));
    }
    add(ChannelFunction::PeqBypass, eqBypassed_ ? 1 : 0);
    for (int side = 0; side < 2; ++side) {
      const std::optional<Crossover>& x = side == 0 ? highPass_ : lowPass_;
      if (x) {
        add(side == 0 ? ChannelFunction::HpfType : ChannelFunction::LpfType,
            crossoverCode(x->position, side == 0));
        add(side == 0 ? ChannelFunction::HpfFreq : ChannelFunction::LpfFreq,
            encodeFrequency(x->fc));
      }
    }
    for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
      if (band >= static_cast<int>(bands_.size())) {
        add(ChannelFunction::PeqType, BAND_TYPE_OFF, band);
        continue;
      }
      const Band& b = bands_[static_cast<size_t>(band)];
      add(ChannelFunction::PeqType, b.type, band);
      add(ChannelFunction::PeqFreq, encodeFrequency(b.fc), band);
      add(ChannelFunction::PeqGain, encodeEqGain(b.gain), band);
      add(ChannelFunction::PeqQ, encodeQ(b.q, b.slope12), band);
    }
    if (bands_.size() < static_cast<size_t>(PEQ_BAND_COUNT)) {
      line_ = 0;
      note(FilterTextNote::Kind::Assumed,
           "bands " + std::to_string(bands_.size() + 1) + " to 10 switched off");
    }
    std::sort(out_.edits.begin(), out_.edits.end(),
              [](const ParameterEdit& a, const ParameterEdit& b) { return a.index < b.index; });
  }

  int channel_;
  int line_ = 0;
  Hints hints_;
  bool eqBypassed_ = false;
  std::optional<double> gainDb_;
  std::optional<Crossover> highPass_;
  std::optional<Crossover> lowPass_;
  std::vector<Band> bands_;
  FilterTextImport out_;
};

} // namespace

FilterTextImport importFilterText(std::string_view text, int channel) {
  if (!isValidChannel(channel)) {
    return {"no such channel", {}, {}};
  }
  if (text.size() > FILTER_TEXT_MAX_BYTES) {
    return {"the text is larger than 10 MB", {}, {}};
  }
  return Reader(channel).read(text);
}

std::string_view noteKindName(FilterTextNote::Kind kind) {
  switch (kind) {
  case FilterTextNote::Kind::Rounded:
    return "rounded";
  case FilterTextNote::Kind::Clamped:
    return "clamped";
  case FilterTextNote::Kind::Assumed:
    return "assumed";
  case FilterTextNote::Kind::Unsupported:
    return "unsupported";
  case FilterTextNote::Kind::Dropped:
    return "dropped";
  }
  return {};
}

} // namespace kv816
