#pragma once
// The small graph of the EQ fit dialog: the channel as it is (measured with its filters),
// as the fit would leave it, and the target, over the fit's range on a log frequency axis.
// GUI thread only.

#include <QWidget>

#include <vector>

namespace kv816 {

struct EqFitResult;

class EqFitPreview : public QWidget {
  Q_OBJECT
public:
  explicit EqFitPreview(QWidget* parent = nullptr);

  // Takes the fit's curves; a failed fit (no curves) leaves the graph empty. With
  // `aligned` (no fixed offset) the before curve is moved onto the target's mean level as
  // the after curve is, so the picture shows the errors the RMS figures measure; the
  // level the cuts take away is the channel gain's business.
  void showFit(const EqFitResult& fit, bool aligned);
  void clear();

  QSize sizeHint() const override { return {560, 240}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  struct Axes;

  void paintGrid(QPainter& painter, const Axes& axes) const;
  void paintCurve(QPainter& painter, const Axes& axes, const std::vector<double>& levels,
                  const QPen& pen) const;
  void paintLegend(QPainter& painter, const QRect& plot) const;

  std::vector<double> frequencies_;
  std::vector<double> before_;
  std::vector<double> after_;
  std::vector<double> target_;
};

} // namespace kv816
