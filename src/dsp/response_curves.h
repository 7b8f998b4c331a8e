#pragma once
// The rows of the response graph: for every point its response as pixel offsets from the
// 0 dB line (positive downward) at each plot column, and their sum over enabled points.
//
// GUI thread only (one object per graph). Allocates only in setGeometry, when the plot
// width or the number of points changes; the per-drag update allocates nothing.

#include <span>
#include <vector>

namespace kv816 {

// What the arithmetic reads of a graph point. Point 0 is the H point (high-pass), point 1
// the L point (low-pass), points 2.. the equaliser bands.
struct CurvePoint {
  int column = 0;         // band: plot column of its centre frequency
  int row = 0;            // band: pixel offset from the 0 dB line, positive downward
  double frequency = 0.0; // H and L: the stored frequency in Hz (not the column)
  double q = 1.5;         // band Q
  int bandType = 0;       // 5 high shelf, 6 low shelf, other peaking
  bool enabled = true;    // a disabled point keeps its row but is left out of the total
};

// Graph settings that decide the H and L points' sections.
struct CrossoverSettings {
  int highCode = 8;
  int lowCode = 9;
  double highMaximum = 20600.0;
  double lowMaximum = 20600.0;
};

class ResponseCurves {
public:
  static constexpr int HIGH_POINT = 0;
  static constexpr int LOW_POINT = 1;
  static constexpr int FIRST_BAND = 2;

  // Plot width and height in pixels and the number of points (bands + 2). Rows are
  // reallocated (and zeroed) only when the width or the point count changes. A width or
  // height below 1 is taken as 1.
  void setGeometry(int width, int height, int pointCount);

  // Recomputes point `index`'s row from its state, then the total from all stored rows and
  // the two integer rows (that point's and the total). `points` holds every point.
  // An index outside the points does nothing.
  void update(int index, std::span<const CurvePoint> points, const CrossoverSettings& settings);

  // Recomputes every row (first paint, resize), then the total; `shownIndex` chooses the
  // point whose integer row is kept.
  void updateAll(int shownIndex, std::span<const CurvePoint> points,
                 const CrossoverSettings& settings);

  int width() const { return width_; }
  int height() const { return height_; }
  int pointCount() const { return pointCount_; }

  std::span<const double> row(int index) const;
  std::span<const double> total() const { return total_; }
  // Cut toward zero to whole pixels: the just-recomputed point's row and the total.
  std::span<const int> shownPixels() const { return shownPixels_; }
  std::span<const int> totalPixels() const { return totalPixels_; }
  int shownIndex() const { return shownIndex_; }

private:
  void computeRow(int index, const CurvePoint& point, const CrossoverSettings& settings);
  void computeTotal(std::span<const CurvePoint> points);
  void cutToPixels(int index);

  int width_ = 0;
  int height_ = 0;
  int pointCount_ = 0;
  int shownIndex_ = 0;
  std::vector<double> cosW_; // per column, of the column's frequency
  std::vector<double> sinW_;
  std::vector<double> rows_; // pointCount_ x width_
  std::vector<double> total_;
  std::vector<int> shownPixels_;
  std::vector<int> totalPixels_;
};

} // namespace kv816
