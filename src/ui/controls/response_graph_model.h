#pragma once
// The state and the arithmetic of the response graph without the window: settings, points,
// plot geometry, the user's drags, Q-handle drags and steps, and the curves they produce.
// ResponseGraph turns window events into these calls and paints what they leave.
//
// Points: 0 is the H point (high-pass), 1 the L point (low-pass), 2..n+1 the bands 1..n.
// Coordinates passed in are client coordinates of the graph window; a point's column is
// counted from the plot's left edge and its row from the 0 dB line, positive downward.
// GUI thread only.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dsp/response_curves.h"

namespace kv816 {

struct ResponseGraphSettings {
  double highMin = 19.0;    // frequency limits of the H point, the L point and the bands (Hz);
  double highMax = 20600.0; // the H and L maxima also decide when a filter is off
  double lowMin = 19.0;
  double lowMax = 20600.0;
  double bandMin = 19.7;
  double bandMax = 20600.0;
  bool freeFrequency = false;    // band frequencies are not snapped to FreqTable
  bool rangeLock = false;        // the H point may not pass the L point, nor L pass H
  bool verticalOnly = false;     // bands move only up and down
  bool shelfBoostAllowed = true; // shelves may be dragged above 0 dB
  bool showQHandles = true;
  bool showPoints = true; // markers, Q handles and the selected point's area
  bool interactive = true;
  double scale = 1.0; // label font size and the row of the H and L markers
  int highCode = 8;   // FilterCode of the H point
  int lowCode = 9;    // FilterCode of the L point
  bool eqPass = false;
  std::uint32_t totalColor = 0xC8FF00FF; // ARGB
};

struct GraphPoint {
  int column = 0;
  int row = 0;
  double frequency = 0.0; // Hz
  int gain = 0;           // tenths of a dB, positive is a boost
  double q = 1.5;
  bool qShown = true;
  int bandType = 0; // 0 bypassed, 5 high shelf, 6 low shelf, other peaking
  bool enabled = true;
};

// What a user action asks of the window.
struct GraphAction {
  enum Cursor { KEEP, HAND, ARROW };
  int notifyPoint = -1; // the point to report to the host, -1 for none
  bool repaint = false;
  Cursor cursor = KEEP;
};

class ResponseGraphModel {
public:
  static constexpr int HIGH_POINT = 0;
  static constexpr int LOW_POINT = 1;
  static constexpr int FIRST_BAND = 2;
  static constexpr int MAX_BANDS = 64;
  static constexpr int INSET_LEFT = 30;
  static constexpr int INSET_TOP = 10;
  static constexpr int INSET_RIGHT = 18;
  static constexpr int INSET_BOTTOM = 18;
  static constexpr int MARKER_SIZE = 24;
  static constexpr int FILTER_ROW = 80; // times the scale

  ResponseGraphModel();

  ResponseGraphSettings& settings() { return settings_; }
  const ResponseGraphSettings& settings() const { return settings_; }

  // Window size changes: rows are rescaled to the new plot height, columns follow the
  // stored frequencies, and every row is marked for recomputation.
  void resize(int clientWidth, int clientHeight);
  int clientWidth() const { return clientWidth_; }
  int clientHeight() const { return clientHeight_; }

  // Host setters; none of them reports to the host. Bands are 0-based; an index outside
  // the points is ignored. Unless a point is being dragged, the point becomes selected and
  // hovered. Each returns true when it changed something to repaint.
  void setBandCount(int bands);
  bool setPointFrequency(double frequency, int point);
  bool setBandFrequency(double frequency, int band);
  bool setBandGain(double db, int band);
  bool setBandQ(double q, int band);
  bool setBandType(int type, int band);
  bool setBandQShown(bool shown, int band);
  bool setFilterCode(int code);
  bool setPointEnabled(int point, bool enabled);
  // H and L marker rows follow the scale.
  void setScale(double scale);

  // User input, in client coordinates. Ignored (an empty action) while not interactive.
  GraphAction press(int x, int y);
  GraphAction move(int x, int y);
  GraphAction release(int x, int y);
  // One wheel notch or arrow key on the selected point: `raise` is away from the user or
  // the up arrow (a band's gain up, a filter point's frequency one FreqTable entry down).
  GraphAction step(bool raise);

  // Geometry.
  int plotLeft() const { return INSET_LEFT; }
  int plotTop() const { return INSET_TOP; }
  int plotRight() const { return INSET_LEFT + width_; }
  int plotBottom() const { return INSET_TOP + height_; }
  int plotWidth() const { return width_; }
  int plotHeight() const { return height_; }
  int zeroLine() const; // client y of the 0 dB line
  int columnOf(double frequency) const;

  // Points and interaction state.
  int pointCount() const { return static_cast<int>(points_.size()); }
  const GraphPoint* point(int index) const;
  int selected() const { return selected_; }
  int hovered() const { return hovered_; }
  int dragged() const { return dragged_ - 1; } // -1 when none
  bool draggingQHandle() const { return qLeft_ || qRight_; }
  bool qHandlesVisible() const;
  // Pixels between the selected band's marker and each of its Q handles.
  int qHandleDistance() const;
  // Client centre of a point's marker and of the selected band's Q handles.
  int markerX(int index) const;
  int markerY(int index) const;

  // What lies under a client position, for the tooltip there.
  enum class Part { None, FilterPoint, BandPoint, QHandle };
  Part partAt(int x, int y) const;

  // The hovered point's label ("F:... Q:... G:..."), empty when it is disabled or missing.
  std::string hoverLabel() const;
  // Top-left corner of the label for a text of the given size.
  void hoverLabelOrigin(int textWidth, int textHeight, int& x, int& y) const;

  // Curves. `prepareCurves` recomputes every row when marked (first paint after a resize
  // or a new band count); the painter calls it before reading the rows.
  void prepareCurves();
  const ResponseCurves& curves() const { return curves_; }

private:
  bool touch(int index);
  void recompute(int index);
  void syncCurvePoints();
  bool hits(int centreX, int centreY, int x, int y) const;
  int hitPoint(int x, int y) const;
  int filterRow() const;
  double snapped(double frequency) const;
  void limitFilterPoint(int index, GraphPoint& p) const;
  int gainFromDragRow(int row) const;
  GraphAction dragStep(int x, int y);
  GraphAction qHandleStep(int x);
  GraphAction filterStep(int index, bool raise);
  CrossoverSettings crossover() const;

  ResponseGraphSettings settings_;
  std::vector<GraphPoint> points_;
  std::vector<CurvePoint> curvePoints_;
  ResponseCurves curves_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int width_ = 1;  // plot width W
  int height_ = 2; // plot height Hh
  int selected_ = 0;
  int hovered_ = 0;
  int dragged_ = 0; // point index + 1, 0 when none
  bool qLeft_ = false;
  bool qRight_ = false;
  bool recomputeAll_ = true;
};

} // namespace kv816
