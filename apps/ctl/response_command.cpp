#include "ctl/response_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "dsp/channel_response.h"
#include "dsp/measurement_traces.h"
#include "dsp/number_format.h"
#include "dsp/response_math.h"
#include "dsp/scale_tables.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "presets/settings_folders.h"

namespace kv816 {
namespace {

// kv816ctl's exit codes for a bad command line and for a file that cannot be read or written.
constexpr int USAGE_ERROR = 1;
constexpr int FILE_ERROR = 3;

struct ResponseOptions {
  std::string channel;
  std::string from;
  std::string svg;
  bool csv = false;
  bool geq = false;
  std::string measurement;
  std::string target;
  std::string tilt;
  double offset = 0.0;
};

// A measurement with its target and offset, when --measurement was given.
struct Overlay {
  Measurement measurement;
  TargetCurve target;
  double offset = 0.0;
};

// The graph's layout: the client area and the plot inset 30 / 10 / 18 / 18 pixels.
constexpr int SVG_WIDTH = 1100;
constexpr int SVG_HEIGHT = 400;
constexpr int PLOT_LEFT = 30;
constexpr int PLOT_TOP = 10;
constexpr int PLOT_RIGHT = SVG_WIDTH - 18;
constexpr int PLOT_BOTTOM = SVG_HEIGHT - 18;
constexpr int PLOT_W = PLOT_RIGHT - PLOT_LEFT;
constexpr int PLOT_H = PLOT_BOTTOM - PLOT_TOP;
constexpr int FILTER_MARKER_ROW = 80; // H and L markers sit this far below the 0 dB line

struct GridLine {
  double frequency;
  const char* label;
};
constexpr GridLine GRID[] = {{19, "20"},      {30, nullptr},   {40, nullptr},   {50, "50"},
                             {60, nullptr},   {70, nullptr},   {80, nullptr},   {90, nullptr},
                             {100, "100"},    {200, "200"},    {300, nullptr},  {400, nullptr},
                             {500, "500"},    {600, nullptr},  {700, nullptr},  {800, nullptr},
                             {900, nullptr},  {1000, "1K"},    {2000, "2K"},    {3000, nullptr},
                             {4000, nullptr}, {5000, "5K"},    {6000, nullptr}, {7000, nullptr},
                             {8000, nullptr}, {9000, nullptr}, {10000, "10K"},  {20600, "20KHz "}};

// Total-curve colours of the channel page (per channel) and the graphic EQ page (per input).
constexpr const char* CHANNEL_COLOURS[CHANNEL_COUNT] = {"#00FFFF", "#DF127B", "#027BC0", "#FFFF00",
                                                        "#FF0000", "#006000", "#8080C0", "#FF40FF",
                                                        "#00C0C0", "#C0A800", "#7D8000", "#0000FF"};
constexpr const char* GEQ_COLOURS[INPUT_COUNT] = {"#FF6666", "#990099", "#99FF00", "#FF99CC"};

std::string num(double v, const char* format = "%0.2f") {
  return formatNumber(format, v);
}

std::string filterColumnName(const ResponseFilter& f, bool geq) {
  switch (f.kind) {
  case ResponseFilter::Kind::HighPass:
    return "hpf";
  case ResponseFilter::Kind::LowPass:
    return "lpf";
  default:
    return (geq ? "geq" : "peq") + std::to_string(f.band + 1);
  }
}

std::string describeFilter(const ResponseFilter& f, bool geq) {
  std::string text = filterColumnName(f, geq) + ": ";
  if (f.kind != ResponseFilter::Kind::Band) {
    return text + "code " + std::to_string(f.code) + " at " + num(f.frequency, "%0.1f") + " Hz";
  }
  const char* type = f.code == BAND_TYPE_HIGH_SHELF  ? "HS"
                     : f.code == BAND_TYPE_LOW_SHELF ? "LS"
                                                     : "PEQ";
  return text + type + " " + num(f.frequency, "%0.1f") + " Hz, Q " + num(f.q) + ", " +
         num(f.gainDb, "%+0.1f") + " dB";
}

// CLI11 leaves a RuntimeError's text unprinted; say it on stderr first.
[[noreturn]] void fail(const std::string& message, int exitCode) {
  std::cerr << "response: " << message << '\n';
  throw CLI::RuntimeError(message, exitCode);
}

// Factory defaults, then the preset file's values over them. Returns an error text.
std::string loadTable(const std::string& from, ParameterTable& table) {
  table.loadDefaults();
  if (from.empty()) {
    return {};
  }
  PresetFile file(SettingsFolders::forThisProgram("kv816"));
  const PresetResult result = file.loadPreset(from);
  if (result != PresetResult::Done) {
    return "cannot read preset file \"" + from + "\" (result " +
           std::to_string(static_cast<int>(result)) + ")";
  }
  const std::vector<int32_t>& values = file.values();
  const int count = std::min(static_cast<int>(values.size()), PARAM_COUNT);
  for (int i = 0; i < count; ++i) {
    table.record(i).value.store(values[i], std::memory_order_relaxed);
  }
  return {};
}

// An empty cell where a trace has no value.
std::string cell(double v) {
  return std::isnan(v) ? std::string() : num(v, "%0.3f");
}

void writeCsv(std::ostream& out, std::span<const double> freqs, const ChannelResponse& r, bool geq,
              const MeasurementTraces* traces) {
  out << "frequency_hz,total_db";
  for (const ResponseFilter& f : r.filters) {
    out << ',' << filterColumnName(f, geq);
  }
  out << (traces != nullptr ? ",measured,predicted,target\n" : "\n");
  for (size_t i = 0; i < freqs.size(); ++i) {
    out << num(freqs[i], traces != nullptr ? "%0.3f" : "%0.1f") << ',' << num(r.total[i], "%0.3f");
    for (const ResponseFilter& f : r.filters) {
      out << ',' << num(f.levels[i], "%0.3f");
    }
    if (traces != nullptr) {
      out << ',' << cell(traces->measured[i]) << ',' << cell(traces->predicted[i]) << ','
          << cell(traces->target[i]);
    }
    out << '\n';
  }
}

void writeSummary(std::ostream& out, const std::string& name, std::span<const double> freqs,
                  const ChannelResponse& r, bool geq) {
  out << name << (geq ? " graphic EQ" : "") << ": " << r.filters.size() << " active filter"
      << (r.filters.size() == 1 ? "" : "s") << '\n';
  for (const ResponseFilter& f : r.filters) {
    out << "  " << describeFilter(f, geq) << '\n';
  }
  out << "frequency_hz  total_db\n";
  for (size_t i = 0; i < freqs.size(); ++i) {
    out << formatNumber("%12.0f", freqs[i]) << formatNumber("%10.2f", r.total[i]) << '\n';
  }
}

// --- SVG ----------------------------------------------------------------------------

int zeroLineY() {
  return PLOT_TOP + zeroLineOffset(PLOT_H);
}

// A level with no value (NaN) lies far outside the plot, so the curve has a gap there.
std::vector<int> pixelRow(std::span<const double> levels) {
  std::vector<int> rows(levels.size());
  for (size_t i = 0; i < levels.size(); ++i) {
    const double px = std::isnan(levels[i]) ? 1e6 : dbToPixels(levels[i], PLOT_H);
    rows[i] = static_cast<int>(std::clamp(px, -1e6, 1e6));
  }
  return rows;
}

// The parts of a curve inside the plot, as SVG point lists: one vertex per column where
// the drawn value changes, and a vertex on the plot edge where the curve leaves or comes
// back (drawn this way, no renderer needs to support clipping).
std::vector<std::string> plotPolylines(std::span<const int> rows) {
  std::vector<std::string> lines;
  std::string pts;
  const int n = static_cast<int>(rows.size());
  auto yAt = [&](int i) { return zeroLineY() + rows[i]; };
  auto inside = [&](int i) {
    return i >= 0 && i < n && yAt(i) >= PLOT_TOP && yAt(i) <= PLOT_BOTTOM;
  };
  for (int i = 0; i < n; ++i) {
    const bool edge = !inside(i) && (inside(i - 1) || inside(i + 1));
    const bool turn = i == 0 || i == n - 1 || rows[i] != rows[i - 1] || rows[i] != rows[i + 1];
    if (inside(i) ? turn : edge) {
      const int y = std::clamp(yAt(i), PLOT_TOP, PLOT_BOTTOM);
      pts += std::to_string(PLOT_LEFT + i) + ',' + std::to_string(y) + ' ';
    }
    if (!inside(i) && !inside(i + 1) && !pts.empty()) {
      pts.pop_back();
      lines.push_back(std::move(pts));
      pts.clear();
    }
  }
  if (!pts.empty()) {
    pts.pop_back();
    lines.push_back(std::move(pts));
  }
  return lines;
}

void writeCurve(std::ostream& out, std::span<const double> levels, const char* style) {
  for (const std::string& pts : plotPolylines(pixelRow(levels))) {
    out << "<polyline " << style << " points=\"" << pts << "\"/>\n";
  }
}

void writeGrid(std::ostream& out) {
  out << "<g stroke=\"#3C3C3C\" stroke-width=\"1\" shape-rendering=\"crispEdges\">\n";
  for (int k = 0; k <= 6; ++k) {
    const int y = k == 6 ? PLOT_BOTTOM : PLOT_TOP + k * PLOT_H / 6;
    out << "<line x1=\"" << PLOT_LEFT << "\" y1=\"" << y << "\" x2=\"" << PLOT_RIGHT << "\" y2=\""
        << y << "\"/>\n";
  }
  for (const GridLine& g : GRID) {
    const int x = PLOT_LEFT + frequencyToColumn(g.frequency, PLOT_W);
    out << "<line x1=\"" << x << "\" y1=\"" << PLOT_TOP << "\" x2=\"" << x << "\" y2=\""
        << PLOT_BOTTOM << "\"/>\n";
  }
  out << "</g>\n<g fill=\"#F0F0F0\" fill-opacity=\"0.94\" font-family=\"Times New Roman\" "
         "font-size=\"12\">\n";
  for (int k = 0; k <= 6; k += 2) {
    const int y = k == 6 ? PLOT_BOTTOM : PLOT_TOP + k * PLOT_H / 6;
    const double level = 15.0 - 5.0 * k;
    out << "<text x=\"" << PLOT_LEFT - 5 << "\" y=\"" << y
        << "\" text-anchor=\"end\" dominant-baseline=\"middle\">"
        << formatNumber(level > 0 ? "+%.0f" : "%.0f", level) << "</text>\n";
  }
  for (const GridLine& g : GRID) {
    if (g.label != nullptr) {
      const int x = PLOT_LEFT + frequencyToColumn(g.frequency, PLOT_W);
      out << "<text x=\"" << x << "\" y=\"" << PLOT_BOTTOM + 2
          << "\" text-anchor=\"middle\" dominant-baseline=\"hanging\" xml:space=\"preserve\">"
          << g.label << "</text>\n";
    }
  }
  out << "</g>\n";
}

void writeMarkers(std::ostream& out, const ChannelResponse& r) {
  out << "<g font-family=\"Arial\" font-weight=\"bold\" font-size=\"12\" "
         "text-anchor=\"middle\" dominant-baseline=\"central\">\n";
  for (const ResponseFilter& f : r.filters) {
    const int x = PLOT_LEFT + frequencyToColumn(f.frequency, PLOT_W);
    int y = zeroLineY() + FILTER_MARKER_ROW;
    std::string label = f.kind == ResponseFilter::Kind::HighPass ? "H" : "L";
    if (f.kind == ResponseFilter::Kind::Band) {
      y = zeroLineY() + static_cast<int>(dbToPixels(f.gainDb, PLOT_H));
      label = std::to_string(f.band + 1);
    }
    out << "<circle cx=\"" << x << "\" cy=\"" << y
        << "\" r=\"11\" fill=\"#202020\" stroke=\"#FFFFFF\" stroke-width=\"2\"/>\n"
        << "<text x=\"" << x << "\" y=\"" << y << "\" fill=\"#FFFFFF\">" << label << "</text>\n";
  }
  out << "</g>\n";
}

// The measured level of each grid line on the right: the plot's level minus the offset.
void writeRightAxis(std::ostream& out, double offset) {
  out << "<g fill=\"#A0A0A0\" font-family=\"Times New Roman\" font-size=\"12\">\n";
  for (int k = 0; k <= 6; k += 2) {
    const int y = k == 6 ? PLOT_BOTTOM : PLOT_TOP + k * PLOT_H / 6;
    out << "<text x=\"" << PLOT_RIGHT + 2 << "\" y=\"" << y << "\" dominant-baseline=\"middle\">"
        << formatNumber("%.0f", 15.0 - 5.0 * k - offset) << "</text>\n";
  }
  out << "</g>\n";
}

void writeTraces(std::ostream& out, const MeasurementTraces& t, double offset) {
  writeRightAxis(out, offset);
  out << "<g fill=\"none\" stroke-width=\"1.5\" stroke-linejoin=\"round\">\n";
  writeCurve(out, t.target, "stroke=\"#60C060\" stroke-dasharray=\"6 4\"");
  writeCurve(out, t.measured, "stroke=\"#A0A0A0\"");
  writeCurve(out, t.predicted, "stroke=\"#FFA040\"");
  out << "</g>\n";
}

void writeSvg(std::ostream& out, const std::string& title, const ChannelResponse& r,
              const char* colour, const MeasurementTraces* traces, double offset) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << SVG_WIDTH << "\" height=\""
      << SVG_HEIGHT << "\" viewBox=\"0 0 " << SVG_WIDTH << ' ' << SVG_HEIGHT << "\">\n"
      << "<title>" << title << "</title>\n"
      << "<rect width=\"" << SVG_WIDTH << "\" height=\"" << SVG_HEIGHT << "\" fill=\"#000000\"/>\n";
  writeGrid(out);
  out << "<g fill=\"none\" stroke-width=\"2\" stroke-linejoin=\"round\">\n";
  for (const ResponseFilter& f : r.filters) {
    writeCurve(out, f.levels, "stroke=\"#FFFFFF\" stroke-opacity=\"0.25\"");
  }
  writeCurve(out, r.total, ("stroke=\"" + std::string(colour) + "\"").c_str());
  out << "</g>\n";
  if (traces != nullptr) {
    writeTraces(out, *traces, offset);
  }
  writeMarkers(out, r);
  out << "</svg>\n";
}

// --- command ------------------------------------------------------------------------

std::vector<double> columnFrequencies() {
  std::vector<double> freqs(PLOT_W);
  for (int i = 0; i < PLOT_W; ++i) {
    freqs[i] = columnToFrequency(i, PLOT_W);
  }
  return freqs;
}

std::vector<double> listFrequencies(bool csv) {
  if (csv) {
    return {FreqTable.begin(), FreqTable.begin() + FREQ_TABLE_COUNT};
  }
  return {20,   25,   32,   40,   50,   63,    80,    100,   125,  160,  200,
          250,  315,  400,  500,  630,  800,   1000,  1250,  1600, 2000, 2500,
          3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
}

Measurement readCurve(const std::string& path) {
  MeasurementRead read = readMeasurementFile(path);
  if (!read.error.empty()) {
    fail(path + ": " + read.error, FILE_ERROR);
  }
  return std::move(read.measurement);
}

// --tilt DB_PER_OCTAVE[:FROM_HZ:TO_HZ]; the band is 20 Hz to 20 kHz unless given.
TargetCurve parseTilt(const std::string& text) {
  double slope = 0.0;
  double from = 20.0;
  double to = 20000.0;
  char rest = 0;
  const int n = std::sscanf(text.c_str(), "%lf:%lf:%lf%c", &slope, &from, &to, &rest);
  const TargetCurve t = TargetCurve::tilt(slope, from, to);
  if ((n != 1 && n != 3) || t.kind() != TargetCurve::Kind::Tilt) {
    fail("--tilt wants DB_PER_OCTAVE or DB_PER_OCTAVE:FROM_HZ:TO_HZ with FROM below TO",
         USAGE_ERROR);
  }
  return t;
}

std::optional<Overlay> loadOverlay(const ResponseOptions& o) {
  if (o.measurement.empty()) {
    return std::nullopt;
  }
  Overlay overlay{readCurve(o.measurement), {}, o.offset};
  if (!o.target.empty()) {
    overlay.target = TargetCurve::fromFile(readCurve(o.target));
  } else if (!o.tilt.empty()) {
    overlay.target = parseTilt(o.tilt);
  }
  return overlay;
}

// The measurement's own frequencies up to half the sample rate, where the filters end.
std::vector<double> measuredFrequencies(const Measurement& m) {
  std::vector<double> freqs;
  for (double f : m.frequencies) {
    if (f < SAMPLE_RATE / 2) {
      freqs.push_back(f);
    }
  }
  return freqs;
}

void runResponse(const ResponseOptions& o) {
  const int channel = parseChannelName(o.channel);
  const auto table = std::make_unique<ParameterTable>();
  if (const std::string error = loadTable(o.from, *table); !error.empty()) {
    fail(error, FILE_ERROR);
  }
  const std::optional<Overlay> overlay = loadOverlay(o);
  if (overlay && o.geq) {
    fail("--measurement shows the channel view, not --geq", USAGE_ERROR);
  }
  const ResponseView view = o.geq ? ResponseView::GraphicEq : ResponseView::Channel;
  const bool svg = !o.svg.empty();
  const std::vector<double> freqs = svg       ? columnFrequencies()
                                    : overlay ? measuredFrequencies(overlay->measurement)
                                              : listFrequencies(o.csv);
  ChannelResponse r;
  if (computeChannelResponse(*table, channel, view, freqs, r) != ResponseStatus::Ok) {
    fail("--geq needs an input channel (in1..in4)", USAGE_ERROR);
  }
  MeasurementTraces traces;
  if (overlay) {
    computeMeasurementTraces(*table, channel, overlay->measurement, overlay->target,
                             overlay->offset, freqs, traces);
  }
  const MeasurementTraces* shown = overlay ? &traces : nullptr;
  if (!svg) {
    if (o.csv) {
      writeCsv(std::cout, freqs, r, o.geq, shown);
    } else {
      writeSummary(std::cout, o.channel, freqs, r, o.geq);
    }
    return;
  }
  std::ostringstream text;
  const char* colour = o.geq ? GEQ_COLOURS[channel] : CHANNEL_COLOURS[channel];
  writeSvg(text, o.channel + (o.geq ? " graphic EQ" : "") + " response", r, colour, shown,
           o.offset);
  std::ofstream file(o.svg, std::ios::binary | std::ios::trunc);
  if (!(file << text.str()) || !file.flush()) {
    fail("cannot write \"" + o.svg + "\"", FILE_ERROR);
  }
}

} // namespace

int parseChannelName(std::string_view name) {
  std::string s(name);
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (s.size() == 3 && s.starts_with("in")) {
    const char c = s[2];
    if (c >= '1' && c <= '4') {
      return c - '1';
    }
    if (c >= 'a' && c <= 'd') {
      return c - 'a';
    }
  }
  if (s.size() == 4 && s.starts_with("out") && s[3] >= '1' && s[3] <= '8') {
    return INPUT_COUNT + (s[3] - '1');
  }
  return -1;
}

void addResponseCommand(CLI::App& app) {
  auto options = std::make_shared<ResponseOptions>();
  CLI::App* cmd = app.add_subcommand(
      "response", "Frequency response of a channel's filters (factory defaults or a preset)");
  cmd->add_option("CHANNEL", options->channel, "in1..in4 (or inA..inD) or out1..out8")
      ->required()
      ->check([](const std::string& value) {
        return parseChannelName(value) < 0 ? "not a channel: " + value : std::string{};
      });
  cmd->add_option("--from", options->from, "Read the settings from this preset file (.jib)");
  cmd->add_flag("--geq", options->geq, "An input's graphic equaliser instead of its PEQ");
  CLI::Option* csv = cmd->add_flag("--csv", options->csv,
                                   "CSV: frequency, total dB, one column per active filter");
  CLI::Option* svg =
      cmd->add_option("--svg", options->svg, "Write the curves as an SVG picture to this file");
  csv->excludes(svg);
  cmd->add_option("--measurement", options->measurement,
                  "Add measured, predicted and target: a REW text export or .frd file");
  CLI::Option* target = cmd->add_option("--target", options->target,
                                        "Target curve file in the same format (default flat)");
  CLI::Option* tilt =
      cmd->add_option("--tilt", options->tilt, "Built-in target: DB_PER_OCTAVE[:FROM_HZ:TO_HZ]");
  target->excludes(tilt);
  cmd->add_option("--offset", options->offset,
                  "dB added to the measured and predicted levels (default 0)");
  cmd->callback([options] { runResponse(*options); });
}

} // namespace kv816
