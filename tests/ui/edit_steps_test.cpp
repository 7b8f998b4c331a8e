// How many undo steps each kind of user gesture makes on the real pages: one per gesture,
// however many values it wrote and however many linked channels followed.

#include "ui_test_support.h"

#include "model/link_groups.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/value_edit.h"
#include "ui/dialogs/deploy_dialog.h"
#include "ui/pages/channel_page.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/home_page.h"
#include "ui/shell/tab_layout.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace kv816 {
namespace {

constexpr int OUT1 = INPUT_COUNT;
constexpr int OUT2 = INPUT_COUNT + 1;

void mouse(QWidget* widget, QEvent::Type type, QPoint at) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// A press, `moves` moves and the release, each move a few pixels on.
void drag(QWidget* widget, QPoint from, QPoint step, int moves) {
  mouse(widget, QEvent::MouseButtonPress, from);
  for (int k = 1; k <= moves; ++k)
    mouse(widget, QEvent::MouseMove, from + k * step);
  mouse(widget, QEvent::MouseButtonRelease, from + moves * step);
  QApplication::processEvents(); // the release closes the gesture once handled
}

// Output 2's page, the gain page and the home page over one table and edit session, with
// outputs 1 and 2 linked.
struct EditStepsFixture {
  ParameterTable table;
  EditSession edits{table};
  ChannelPage output{table, edits, PAGE_OUTPUT_FIRST, nullptr};
  GainPage gain{edits, nullptr};
  HomePage home{edits, nullptr};

  EditStepsFixture() {
    setCurrentLanguage(LanguageIndex::English);
    table.loadDefaults();
    table.record(indexOf(ChannelFunction::LinkMask, OUT2))
        .value.store(table.value(indexOf(ChannelFunction::LinkMask, OUT1)));
    for (QWidget* page : std::initializer_list<QWidget*>{&output, &gain, &home}) {
      page->resize(1100, 700);
      page->show();
    }
    output.showChannel(PAGE_OUTPUT_FIRST + 1);
    home.setIoMode(3);
  }
  template <typename T> T* on(QWidget& page, const QString& name) {
    T* child = page.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
  }
  void typeInto(ValueEdit* edit, const QString& text) {
    edit->field()->setText(text);
    QTest::keyClick(edit->field(), Qt::Key_Return);
  }
};

TEST(EditSteps, OneStepPerGesture) {
  struct Case {
    const char* gesture;
    std::function<void(EditStepsFixture&)> run;
    size_t steps;
  };
  const Case cases[] = {
      {"click on mute",
       [](EditStepsFixture& f) { QTest::mouseClick(f.gain.muteButton(OUT2), Qt::LeftButton); }, 1},
      {"mute on and off again",
       [](EditStepsFixture& f) {
         QTest::mouseClick(f.gain.muteButton(OUT2), Qt::LeftButton);
         QTest::mouseClick(f.gain.muteButton(OUT2), Qt::LeftButton);
         QTest::mouseClick(f.on<SkinButton>(f.output, "mute"), Qt::LeftButton);
         QTest::mouseClick(f.on<SkinButton>(f.output, "mute"), Qt::LeftButton);
       },
       4},
      {"mute, then polarity",
       [](EditStepsFixture& f) {
         QTest::mouseClick(f.gain.muteButton(OUT2), Qt::LeftButton);
         QTest::mouseClick(f.gain.polarityButton(OUT2), Qt::LeftButton);
       },
       2},
      {"fader drag",
       [](EditStepsFixture& f) {
         Slider* fader = f.gain.fader(OUT2);
         drag(fader, fader->thumbRect().center(), QPoint(0, -6), 8);
       },
       1},
      {"key burst on a fader",
       [](EditStepsFixture& f) {
         for (int k = 0; k < 5; ++k)
           QTest::keyClick(f.gain.fader(OUT2), Qt::Key_Up);
       },
       1},
      {"typed value", [](EditStepsFixture& f) { f.typeInto(f.gain.gainEdit(OUT2), "-4.5"); }, 1},
      {"typed values in two edits",
       [](EditStepsFixture& f) {
         f.typeInto(f.on<ValueEdit>(f.output, "bandFreq0"), "40");
         f.typeInto(f.on<ValueEdit>(f.output, "bandGain0"), "2.5");
       },
       2},
      {"PEQ point drag",
       [](EditStepsFixture& f) {
         ResponseGraph* graph = f.on<ResponseGraph>(f.output, "graph");
         const QPoint at(graph->model().markerX(2 + 2), graph->model().markerY(2 + 2));
         drag(graph, at, QPoint(10, -6), 6);
       },
       1},
      {"PEQ bypass",
       [](EditStepsFixture& f) {
         QTest::mouseClick(f.on<SkinButton>(f.output, "peqBypass"), Qt::LeftButton);
       },
       1},
      {"PEQ reset",
       [](EditStepsFixture& f) {
         f.typeInto(f.on<ValueEdit>(f.output, "bandGain4"), "6");
         test::MessageCatcher yes;
         yes.answerNext(QMessageBox::Yes);
         QTest::mouseClick(f.on<SkinButton>(f.output, "peqReset"), Qt::LeftButton);
       },
       2},
      {"link group change",
       [](EditStepsFixture& f) { emit f.on<SkinComboBox>(f.home, "outputLink5")->activated(0); },
       1},
      {"channel copy",
       [](EditStepsFixture& f) {
         f.table.record(indexOf(ChannelFunction::Gain, 0)).value.store(250);
         DeployDialog dialog(f.table, f.edits, 3, [](int, const QString&, const QString&) {
           return static_cast<int>(MessageButton::Ok);
         });
         dialog.inputTarget().setCurrentIndex(3);
         dialog.copyInputs();
       },
       1},
  };
  for (const Case& c : cases) {
    EditStepsFixture f;
    c.run(f);
    EXPECT_EQ(f.edits.undoDepth(), c.steps) << c.gesture;
  }
}

// A step holds the linked channel's copies too: undoing the drag of output 2's point puts
// output 1 back as well.
TEST(EditSteps, AStepHoldsTheLinkedChannelsCopies) {
  EditStepsFixture f;
  const int gain1 = indexOf(ChannelFunction::PeqGain, OUT1, 2);
  const int gain2 = indexOf(ChannelFunction::PeqGain, OUT2, 2);
  const int before = f.table.value(gain2);
  ResponseGraph* graph = f.on<ResponseGraph>(f.output, "graph");
  drag(graph, QPoint(graph->model().markerX(4), graph->model().markerY(4)), QPoint(0, -8), 5);
  ASSERT_NE(f.table.value(gain2), before);
  EXPECT_EQ(f.table.value(gain1), f.table.value(gain2));
  f.edits.undo();
  EXPECT_EQ(f.table.value(gain1), before);
  EXPECT_EQ(f.table.value(gain2), before);
}

} // namespace
} // namespace kv816
