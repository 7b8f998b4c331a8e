#include "ui/controls/response_graph.h"

#include "dsp/scale_tables.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kv816 {
namespace {

using Notice = std::pair<int, int>;

// A graph 600 x 328: the plot is 552 x 300 from (30, 10), the 0 dB line at y 160, so a
// row of -30 pixels stands for 3.0 dB. Three bands sit at columns 250, 350 and 450.
struct GraphFixture {
  ResponseGraph graph;
  QSignalSpy spy{&graph, &ResponseGraph::graphNotified};

  explicit GraphFixture(int bands = 3) {
    graph.resize(600, 328);
    graph.setBandCount(bands);
    for (int b = 0; b < bands; ++b)
      graph.setBandType(7, b);
  }

  const GraphPoint& point(int index) const { return *graph.model().point(index); }
  QPoint marker(int index) const {
    return {graph.model().markerX(index), graph.model().markerY(index)};
  }

  void mouse(QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(at), graph.mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&graph, &event);
  }
  void press(QPoint at) { mouse(QEvent::MouseButtonPress, at); }
  void moveTo(QPoint at) { mouse(QEvent::MouseMove, at); }
  void release(QPoint at) { mouse(QEvent::MouseButtonRelease, at); }
  void drag(QPoint from, QPoint to) {
    press(from);
    moveTo(to);
    release(to);
  }
  void wheel(int delta) {
    const QPointF at(300, 160);
    QWheelEvent event(at, graph.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&graph, &event);
  }

  std::vector<Notice> notices() const {
    std::vector<Notice> out;
    for (const QList<QVariant>& args : spy)
      out.emplace_back(args[0].toInt(), args[1].toInt());
    return out;
  }
};

int freqIndexOf(double hz) {
  for (int i = 0; i < FREQ_TABLE_COUNT; ++i)
    if (FreqTable[i] == hz)
      return i;
  return -1;
}

TEST(ResponseGraph, DraggedBandGainFollowsTheRowWithExactEdges) {
  // A cut rounds like the boost of the same distance (row 45 and row -45 give -45 and 45).
  struct Case {
    int y;
    int gain;
    int row;
  };
  const Case cases[] = {
      {10, 150, -150}, {-40, 150, -150}, {11, 149, -149},  {130, 30, -30},
      {205, -45, 45},  {309, -149, 149}, {310, -150, 150}, {500, -150, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.y);
    GraphFixture f;
    const QPoint start = f.marker(2);
    f.press(start);
    f.moveTo({start.x(), c.y});
    EXPECT_EQ(f.graph.pointGain(2), c.gain);
    EXPECT_EQ(f.point(2).row, c.row);
    f.release({start.x(), c.y});
    EXPECT_EQ(f.graph.pointGain(2), c.gain);
    EXPECT_EQ(f.notices(), (std::vector<Notice>{{0, 0}, {0, 0}}));
  }
}

TEST(ResponseGraph, PressNamesThePointAndHoverDoesNotNotify) {
  struct Case {
    int point;
    Notice notice;
  };
  for (const Case& c : {Case{0, {1, 0}}, Case{1, {2, 0}}, Case{4, {0, 2}}}) {
    GraphFixture f;
    f.press(f.marker(c.point));
    EXPECT_EQ(f.graph.selectedPoint(), c.point);
    EXPECT_EQ(f.notices(), std::vector<Notice>{c.notice});
  }
  GraphFixture f;
  f.moveTo(f.marker(3));
  EXPECT_EQ(f.graph.hoveredPoint(), 3);
  EXPECT_EQ(f.graph.cursor().shape(), Qt::PointingHandCursor);
  f.moveTo({100, 60});
  EXPECT_EQ(f.graph.hoveredPoint(), 3); // the label stays with the last point
  EXPECT_EQ(f.graph.cursor().shape(), Qt::ArrowCursor);
  f.graph.setPointEnabled(3, false);
  f.press(f.marker(3));
  f.graph.setInteractive(false);
  f.press(f.marker(2));
  EXPECT_TRUE(f.notices().empty());
}

TEST(ResponseGraph, RangeLockStopsEachFilterPointAtTheOther) {
  struct Case {
    int dragged;
    bool lock;
    int toX;
  };
  for (const Case& c : {Case{0, true, 560}, Case{0, false, 560}, Case{1, true, 40}}) {
    SCOPED_TRACE(c.dragged * 10 + c.lock);
    GraphFixture f;
    f.graph.setHighRange(19, 20000);
    f.graph.setLowRange(20, 20001);
    f.graph.setRangeLock(c.lock);
    f.graph.setPointFrequency(c.dragged == 0 ? 1000 : 19, 1);
    f.graph.setPointFrequency(c.dragged == 0 ? 19 : 500, 0);
    const int other = 1 - c.dragged;
    f.press(f.marker(c.dragged));
    f.moveTo({c.toX, 20});
    const GraphPoint& p = f.point(c.dragged);
    EXPECT_EQ(p.row, 80); // filter markers keep their row
    if (c.lock) {
      EXPECT_EQ(p.column, f.point(other).column);
      EXPECT_EQ(p.frequency, f.point(other).frequency);
    } else {
      EXPECT_GT(p.frequency, 10000.0);
      EXPECT_LE(p.frequency, 20000.0);
    }
    f.release({c.toX, 20});
    EXPECT_EQ(p.column, f.graph.model().columnOf(p.frequency));
  }
}

TEST(ResponseGraph, DragRulesForVerticalOnlyShelvesAndTypeZeroBands) {
  struct Case {
    int type;
    bool verticalOnly;
    bool shelfBoost;
    int dy;
    int row;
    bool frequencyMoves;
  };
  const Case cases[] = {
      {7, true, true, -60, -60, false}, // graphic EQ: only the gain changes
      {0, false, true, -60, 0, true},   // type 0 stays on the 0 dB line
      {0, false, true, 60, 0, true},    {5, false, false, -60, 0, true}, // no shelf boost
      {6, false, false, 60, 60, true},  {5, false, true, -60, -60, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type * 100 + c.dy);
    GraphFixture f;
    f.graph.setVerticalOnly(c.verticalOnly);
    f.graph.setShelfBoostAllowed(c.shelfBoost);
    f.graph.setBandType(c.type, 1);
    f.graph.setBandFrequency(1000, 1);
    const GraphPoint before = f.point(3);
    const QPoint to = f.marker(3) + QPoint(70, c.dy);
    f.drag(f.marker(3), to);
    const GraphPoint& p = f.point(3);
    EXPECT_EQ(p.row, c.row);
    // Row 60 is -60.2 tenths: a cut of the boost's size.
    EXPECT_EQ(p.gain, -c.row);
    EXPECT_EQ(p.frequency != before.frequency, c.frequencyMoves);
    EXPECT_EQ(p.column != before.column, c.frequencyMoves);
    EXPECT_NE(freqIndexOf(p.frequency), -1); // snapped to the table
    EXPECT_EQ(p.column, f.graph.model().columnOf(p.frequency));
  }
}

TEST(ResponseGraph, SettersNeverNotifyAndSelectThePointUnlessDragging) {
  GraphFixture f;
  struct Case {
    std::function<void(ResponseGraph&)> set;
    int point;
  };
  const Case cases[] = {
      {[](ResponseGraph& g) { g.setBandGain(3, 1); }, 3},
      {[](ResponseGraph& g) { g.setBandQ(2, 2); }, 4},
      {[](ResponseGraph& g) { g.setBandFrequency(500, 0); }, 2},
      {[](ResponseGraph& g) { g.setBandType(5, 1); }, 3},
      {[](ResponseGraph& g) { g.setBandQShown(false, 2); }, 4},
      {[](ResponseGraph& g) { g.setPointFrequency(500, 1); }, 1},
      {[](ResponseGraph& g) { g.setFilterCode(20); }, 0},
      {[](ResponseGraph& g) { g.setFilterCode(41); }, 1},
  };
  for (const Case& c : cases) {
    c.set(f.graph);
    EXPECT_EQ(f.graph.selectedPoint(), c.point);
    EXPECT_EQ(f.graph.hoveredPoint(), c.point);
  }
  f.graph.setEqPass(true);
  f.graph.setBandCount(4);
  EXPECT_TRUE(f.notices().empty());

  // While band 2 is dragged a setter stores its value and the dragged point keeps the
  // selection and the shown curve; the total still takes the new band.
  f.press(f.marker(3));
  f.spy.clear();
  f.graph.setBandGain(6, 0);
  EXPECT_EQ(f.graph.pointGain(2), 60);
  EXPECT_EQ(f.graph.selectedPoint(), 3);
  EXPECT_EQ(f.graph.model().curves().shownIndex(), 3);
  EXPECT_LT(f.graph.model().curves().totalPixels()[f.point(2).column], -50);
  EXPECT_TRUE(f.notices().empty());
}

TEST(ResponseGraph, FilterCodeRouting) {
  struct Case {
    int code;
    int high;
    int low;
  };
  const Case cases[] = {
      {7, 8, 9},   {70, 8, 9}, {32, 8, 9},  {34, 8, 9},  {39, 8, 9},  {10, 10, 9}, {40, 40, 9},
      {68, 68, 9}, {9, 8, 9},  {31, 8, 31}, {41, 8, 41}, {69, 8, 69}, {8, 8, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    GraphFixture f;
    f.graph.setBandGain(1, 0); // selects band 1: an ignored code leaves it so
    f.graph.setFilterCode(c.code);
    EXPECT_EQ(f.graph.settings().highCode, c.high);
    EXPECT_EQ(f.graph.settings().lowCode, c.low);
    const bool ignored = c.code < 8 || c.code > 69 || (c.code >= 32 && c.code <= 39);
    EXPECT_EQ(f.graph.selectedPoint(), ignored ? 2 : c.code % 2);
  }
}

TEST(ResponseGraph, FrequencySettersClampAndSnapBandsOnly) {
  struct Case {
    bool free;
    double min;
    double max;
    double hz;
    double stored;
  };
  const Case bands[] = {
      {false, 19.7, 20600, 25.0, 25.3},   {false, 19.7, 20600, 1000, 1000},
      {false, 19.7, 20600, 5, 19.7},      {false, 10, 20000, 15, 19},
      {false, 19.7, 20600, 30000, 20600}, {true, 20, 20000, 1234.5, 1234.5},
      {true, 20, 20000, 5, 20},
  };
  for (const Case& c : bands) {
    SCOPED_TRACE(c.hz);
    GraphFixture f;
    f.graph.setFreeFrequency(c.free);
    f.graph.setBandRange(c.min, c.max);
    f.graph.setBandFrequency(c.hz, 1);
    EXPECT_EQ(f.graph.pointFrequency(3), c.stored);
    EXPECT_EQ(f.point(3).column, f.graph.model().columnOf(c.stored));
  }
  GraphFixture f;
  for (const auto& [point, hz, stored] :
       {std::tuple{0, 25.0, 25.0}, std::tuple{0, 5.0, 19.0}, std::tuple{1, 30000.0, 20600.0},
        std::tuple{1, 1234.5, 1234.5}}) {
    f.graph.setPointFrequency(hz, point);
    EXPECT_EQ(f.graph.pointFrequency(point), stored);
  }
}

TEST(ResponseGraph, GainAndQSetters) {
  GraphFixture f;
  for (const auto& [db, gain, row] :
       {std::tuple{3.0, 30, -30}, std::tuple{-20.0, -150, 150}, std::tuple{2.55, 25, -25}}) {
    f.graph.setBandGain(db, 0);
    EXPECT_EQ(f.graph.pointGain(2), gain);
    EXPECT_EQ(f.point(2).row, row);
  }
  for (const auto& [q, stored] :
       {std::pair{0.1, 0.4}, std::pair{0.41, 0.42}, std::pair{1.0, 1.0}, std::pair{1.55, 1.6},
        std::pair{122.0, 128.0}, std::pair{500.0, 128.0}}) {
    f.graph.setBandQ(q, 0);
    EXPECT_EQ(f.graph.pointQ(2), stored) << q;
  }
  f.graph.setBandGain(3, 7); // no such band
  f.graph.setBandQ(3, -1);
  EXPECT_EQ(f.graph.pointCount(), 5);
}

TEST(ResponseGraph, HoverLabelTexts) {
  struct Case {
    std::function<void(ResponseGraph&)> set;
    const char* text;
  };
  const Case cases[] = {
      {[](ResponseGraph& g) {
         g.setBandFrequency(49.6, 0);
         g.setBandGain(3, 0);
       },
       "F:49.6 Q:1.50 G:3.0"},
      {[](ResponseGraph& g) {
         g.setFreeFrequency(true);
         g.setBandFrequency(50, 0);
       },
       "F:50 Q:1.50 G:0.0"},
      {[](ResponseGraph& g) {
         g.setBandQShown(false, 0);
         g.setBandGain(-2.5, 0);
         g.setBandFrequency(1000, 0);
       },
       "F:1000 G:-2.5"},
      {[](ResponseGraph& g) { g.setPointFrequency(19, 0); }, "F:OFF"},
      {[](ResponseGraph& g) { g.setPointFrequency(20600, 1); }, "F:OFF"},
      {[](ResponseGraph& g) { g.setPointFrequency(19.7, 0); }, "F:19.7"},
      {[](ResponseGraph& g) {
         g.setLowRange(20, 20001);
         g.setPointFrequency(20001, 1);
       },
       "F:20001"},
      {[](ResponseGraph& g) {
         g.setBandFrequency(1000, 1);
         g.setPointEnabled(3, false);
       },
       ""},
  };
  for (const Case& c : cases) {
    GraphFixture f;
    c.set(f.graph);
    EXPECT_EQ(f.graph.hoverLabelText().toStdString(), c.text);
  }
  // An L point at its maximum 20001 is off (flat) but its label still reads the frequency.
  GraphFixture f;
  f.graph.setLowRange(20, 20001);
  f.graph.setPointFrequency(20001, 1);
  for (double v : f.graph.model().curves().row(1))
    ASSERT_EQ(v, 0.0);
}

TEST(ResponseGraph, HoverLabelStaysInsideThePlot) {
  struct Case {
    double hz;
    double db;
    int x; // -1: ends 12 pixels left of the plot's right edge
    int y; // -1: ends 12 pixels above the plot's bottom
  };
  const Case cases[] = {
      {1000, 0, -2, 172}, // at the column (a client x), 12 below the marker centre
      {20, 0, 42, 172},   // left of the plot
      {20000, 0, -1, 172},
      {1000, -15, -2, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hz);
    GraphFixture f;
    f.graph.setBandFrequency(c.hz, 0);
    f.graph.setBandGain(c.db, 0);
    const QRect r = f.graph.hoverLabelRect();
    ASSERT_FALSE(r.isEmpty());
    const int column = f.point(2).column;
    EXPECT_EQ(r.x(), c.x == -2 ? column : c.x == -1 ? 582 - r.width() - 12 : c.x);
    EXPECT_EQ(r.y(), c.y == -1 ? 310 - 12 - r.height() : c.y);
  }
}

TEST(ResponseGraph, QHandleDragsSetTheQFromTheDistance) {
  struct Case {
    int side; // -1 left, +1 right
    int toX;
    double q;
  };
  // Band 2 (column 350, Q 1.5) has its handles 109 pixels from its marker at x 380.
  const Case cases[] = {
      {1, 599, 0.4}, {1, 380, 128}, {-1, 0, 0.4}, {-1, 400, 128}, {1, 350 + 48 + 30, QTable[70]}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.side * c.toX);
    GraphFixture f;
    f.graph.setBandFrequency(20000, 0);
    f.graph.setBandFrequency(20000, 2);
    f.graph.setBandQ(1.5, 1);
    ASSERT_EQ(f.graph.model().qHandleDistance(), 109);
    f.press(f.marker(3) + QPoint(c.side * 109, 5));
    f.moveTo({c.toX, 0});
    EXPECT_EQ(f.graph.pointQ(3), c.q);
    f.release({c.toX, 0});
    EXPECT_EQ(f.graph.pointQ(3), c.q);
    EXPECT_EQ(f.notices(), (std::vector<Notice>{{0, 1}, {0, 1}}));
  }
  // Without handles (graphic EQ) or without a Q, a press there changes nothing.
  for (int hide = 0; hide < 2; ++hide) {
    GraphFixture f;
    f.graph.setBandFrequency(20000, 2);
    f.graph.setBandQ(1.5, 1);
    hide == 0 ? f.graph.setShowQHandles(false) : f.graph.setBandQShown(false, 1);
    f.drag(f.marker(3) + QPoint(109, 0), {599, 0});
    EXPECT_EQ(f.graph.pointQ(3), 1.5);
    EXPECT_TRUE(f.notices().empty());
  }
}

TEST(ResponseGraph, WheelAndArrowKeysStepTheSelectedPoint) {
  const int at1000 = freqIndexOf(1000);
  enum Input { UP, DOWN, WHEEL_AWAY, WHEEL_TOWARDS, HALF_NOTCHES, LEFT };
  struct Case {
    int point;    // selected by a setter
    double start; // band: dB; filter: Hz
    Input input;
    double value; // band: gain tenths; filter: Hz
    int notices;
  };
  const Case cases[] = {
      {2, 0, UP, 1, 1},
      {2, 0, WHEEL_AWAY, 1, 1},
      {2, 0, DOWN, -1, 1},
      {2, 0, WHEEL_TOWARDS, -1, 1},
      {2, 0, HALF_NOTCHES, 1, 1},
      {2, 0, LEFT, 0, 0},
      {2, 15, UP, 150, 1},
      {1, 20600, DOWN, 20600, 1},
      {0, 19, UP, 19, 0},
      {0, 1000, UP, FreqTable[at1000 - 1], 1},
      {1, 1000, WHEEL_TOWARDS, FreqTable[at1000 + 1], 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.point * 100000 + c.start);
    GraphFixture f;
    if (c.point >= 2)
      f.graph.setBandGain(c.start, c.point - 2);
    else
      f.graph.setPointFrequency(c.start, c.point);
    switch (c.input) {
    case UP:
      QTest::keyClick(&f.graph, Qt::Key_Up);
      break;
    case DOWN:
      QTest::keyClick(&f.graph, Qt::Key_Down);
      break;
    case LEFT:
      QTest::keyClick(&f.graph, Qt::Key_Left);
      break;
    case WHEEL_AWAY:
      f.wheel(120);
      break;
    case WHEEL_TOWARDS:
      f.wheel(-120);
      break;
    case HALF_NOTCHES:
      f.wheel(60);
      f.wheel(60);
      break;
    }
    const double value =
        c.point >= 2 ? double(f.graph.pointGain(c.point)) : f.graph.pointFrequency(c.point);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(f.spy.count(), c.notices);
    if (c.point < 2) {
      EXPECT_EQ(f.point(c.point).column, f.graph.model().columnOf(c.value));
    }
  }
}

TEST(ResponseGraph, ResizeRescalesRowsAndFollowsFrequencies) {
  GraphFixture f;
  f.graph.setBandGain(3, 0);
  f.graph.setBandFrequency(1000, 1);
  f.graph.setScale(1.5);
  EXPECT_EQ(f.point(0).row, 120);
  f.graph.resize(900, 628); // plot 852 x 600
  f.graph.show();           // a hidden window gets its resize event when shown
  EXPECT_EQ(f.graph.model().zeroLine(), 310);
  EXPECT_EQ(f.point(2).row, -60);
  EXPECT_EQ(f.point(3).column, f.graph.model().columnOf(1000));
  EXPECT_EQ(f.point(1).column, 852);
  EXPECT_EQ(f.point(1).row, 120);
  EXPECT_EQ(f.graph.pointGain(2), 30);
}

TEST(ResponseGraph, PaintsGridTotalCurveAndBanner) {
  GraphFixture f;
  f.graph.setTotalColor(0xFF00FF00);
  const QImage plain = f.graph.grab().toImage();
  EXPECT_EQ(plain.pixelColor(5, 5), QColor(0, 0, 0));
  EXPECT_EQ(plain.pixelColor(100, 60), QColor(0x3c, 0x3c, 0x3c)); // 5 dB grid line
  const QColor total = plain.pixelColor(150, 160);                // the flat total
  EXPECT_GT(total.green(), 150);
  EXPECT_LT(total.red(), 100);
  // A boost lifts the total above the 0 dB line at the band's column.
  f.graph.setBandGain(6, 0);
  f.moveTo(f.marker(0)); // the label goes to the H point, out of the way
  const QImage boosted = f.graph.grab().toImage();
  int top = boosted.height();
  for (int y = 0; y < boosted.height() && top == boosted.height(); ++y)
    if (boosted.pixelColor(320, y).green() > 150)
      top = y;
  EXPECT_LT(top, 150); // the flat line lies at 159..160
  f.graph.setEqPass(true);
  const QImage banner = f.graph.grab().toImage();
  EXPECT_NE(banner.copy(212, 240, 200, 64), boosted.copy(212, 240, 200, 64));
}

} // namespace
} // namespace kv816
