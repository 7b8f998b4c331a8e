#pragma once
// The frequency-response graph of the channel and graphic EQ pages: a dark plot of -15 to
// +15 dB over 19 Hz to 20.6 kHz (logarithmic), the summed response of the H point
// (high-pass), the L point (low-pass) and the equaliser bands, a marker per point and the
// settings of the point under the pointer.
//
// The user drags markers (frequency and gain), drags the two handles beside the selected
// band (Q), and uses the wheel and the up/down arrow keys for fine steps. Every step of a
// user change emits graphNotified synchronously, naming the point: H (1, 0), L (2, 0),
// band b (0, b); the host then reads the point's values with the getters. The host pushes
// device values in with the setters, which never notify. Call setBandCount once before
// use. GUI thread only.

#include <QImage>
#include <QPixmap>
#include <QRgb>
#include <QString>
#include <QWidget>

#include "ui/controls/graph_overlay.h"
#include "ui/controls/response_graph_model.h"

#include <vector>

namespace kv816 {

class ResponseGraph : public QWidget {
  Q_OBJECT
public:
  explicit ResponseGraph(QWidget* parent = nullptr);

  // Settings, as the pages set them after creating the graph; each repaints.
  void setHighRange(double minimum, double maximum);
  void setLowRange(double minimum, double maximum);
  void setBandRange(double minimum, double maximum);
  void setFreeFrequency(bool on);
  void setRangeLock(bool on);
  void setVerticalOnly(bool on);
  void setShelfBoostAllowed(bool on);
  void setShowQHandles(bool on);
  void setShowPoints(bool on);
  void setInteractive(bool on);
  void setScale(double scale); // label font size and the row of the H and L markers
  void setTotalColor(QRgb argb);
  const ResponseGraphSettings& settings() const { return model_.settings(); }

  // Host setters (bands 0-based; out-of-range indexes are ignored). Unless a point is
  // being dragged, the point becomes selected and hovered. None emits graphNotified.
  void setBandCount(int bands);
  void setPointFrequency(double hz, int point); // point 0 (H) or 1 (L), clamped, not snapped
  void setBandFrequency(double hz, int band);   // clamped; snapped unless free frequency
  void setBandGain(double db, int band);        // clamped to -15..+15 dB
  void setBandQ(double q, int band);            // clamped to 0.4..128, snapped up to QTable
  void setBandType(int type, int band);
  void setBandQShown(bool shown, int band);
  // Codes below 8, above 69 and 32..39 are ignored; odd codes go to the L point.
  void setFilterCode(int code);
  void setEqPass(bool on);
  void setPointEnabled(int point, bool enabled);

  // What the host reads after a notification; 0 for an unknown point.
  int pointCount() const { return model_.pointCount(); }
  double pointFrequency(int point) const;
  double pointQ(int point) const;
  int pointGain(int point) const; // tenths of a dB
  int pointBandType(int point) const;
  bool isPointEnabled(int point) const;

  int selectedPoint() const { return model_.selected(); }
  int hoveredPoint() const { return model_.hovered(); }
  // The text and the client rectangle of the hovered point's label (empty when none).
  QString hoverLabelText() const;
  QRect hoverLabelRect() const;
  const ResponseGraphModel& model() const { return model_; }

  // A measurement with its prediction and target over the curves (response_graph_overlay).
  // An overlay without points removes it. Repaints; never notifies.
  void setOverlay(GraphOverlay overlay);
  const GraphOverlay& overlay() const { return overlay_; }

signals:
  void graphNotified(int wparam, int lparam);

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void syncSize();
  void apply(const GraphAction& action);
  void repaintIf(bool changed);
  void setRanges(double& min, double& max, double newMin, double newMax);
  QFont labelFont() const;

  // Painting (response_graph_paint.cpp).
  void rebuildBackground();
  void paintSelectedCurve(QPainter& painter) const;
  void paintTotal(QPainter& painter) const;
  void paintBanner(QPainter& painter);
  void paintQHandles(QPainter& painter) const;
  void paintMarkers(QPainter& painter) const;
  void paintLabel(QPainter& painter) const;

  // Overlay painting (response_graph_overlay.cpp).
  void prepareOverlayRows();
  void paintOverlay(QPainter& painter);
  void paintOverlayLegend(QPainter& painter) const;
  void paintOverlayAxis(QPainter& painter) const;

  ResponseGraphModel model_;
  QPixmap background_;
  bool backgroundValid_ = false;
  QImage banner_;
  int wheelRemainder_ = 0;
  GraphOverlay overlay_;
  std::vector<double> measuredRows_; // pixel rows per plot column, NaN outside the data
  std::vector<double> targetRows_;
  int overlayWidth_ = -1;
  int overlayHeight_ = -1;
};

} // namespace kv816
