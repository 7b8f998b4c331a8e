#include "ui/dialogs/eq_fit_dialog.h"

#include "edit/eq_fit_edits.h"
#include "i18n/language.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"
#include "ui/pages/channel_page.h"
#include "ui/pages/measurement_bar.h"
#include "ui/shell/edit_step_name.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace kv816 {
namespace {

constexpr int OUT2 = 5; // page 12

// A loudspeaker in a room: a mode at 120 Hz, a broad rise at 2.5 kHz, a falling top.
double roomLevel(double f) {
  const double mode = 8.0 * std::exp(-std::pow(std::log2(f / 120.0) * 3.0, 2.0));
  const double rise = 4.0 * std::exp(-std::pow(std::log2(f / 2500.0) * 1.5, 2.0));
  const double top = -10.0 * std::log10(1.0 + std::pow(f / 14000.0, 4.0));
  return 82.0 + mode + rise + top;
}

QByteArray measurementText(const std::function<double(double)>& level, double fromHz = 15.0) {
  QByteArray text = "* Freq(Hz), SPL(dB), Phase(degrees)\n";
  for (double f = fromHz; f <= 21000.0; f *= std::exp2(1.0 / 48.0))
    text += QByteArray::number(f, 'f', 3) + ", " + QByteArray::number(level(f), 'f', 3) + ", 0\n";
  return text;
}

struct FitFixture {
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
  EditSession edits{*table};
  std::unique_ptr<ChannelPage> page;
  QTemporaryDir dir;

  explicit FitFixture(LanguageIndex language = LanguageIndex::English) {
    setCurrentLanguage(language);
    table->loadDefaults();
    page = std::make_unique<ChannelPage>(*table, edits, 11, nullptr);
    page->resize(1100, 700);
    page->showChannel(12);
  }
  ~FitFixture() { setCurrentLanguage(LanguageIndex::English); }

  QPushButton& fitButton() const { return *page->findChild<QPushButton*>("fitButton"); }
  void load(const QByteArray& text) {
    const QString path = dir.filePath("m.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    ASSERT_TRUE(page->measurementBar().loadMeasurement(path).isEmpty());
  }
  // Presses Fit and waits for the dialog's first fit.
  EqFitDialog* open() {
    fitButton().click();
    auto* dialog = page->findChild<EqFitDialog*>("eqFitDialog");
    if (dialog)
      settle(*dialog);
    return dialog;
  }
  static void settle(EqFitDialog& dialog) {
    for (int i = 0; i < 3000 && dialog.busy(); ++i)
      QTest::qWait(5);
  }
  std::vector<int32_t> block() const {
    std::vector<int32_t> words;
    for (int i = blockStart(OUT2); i <= blockEnd(OUT2); ++i)
      words.push_back(table->value(i));
    return words;
  }
  int32_t at(ChannelFunction f, int band) const { return table->value(indexOf(f, OUT2, band)); }
};

template <typename W> W& child(EqFitDialog& dialog, const char* name) {
  W* widget = dialog.findChild<W*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return *widget;
}

TEST(EqFitDialog, FitButtonNeedsAMeasurementOfTheChannelShown) {
  FitFixture f;
  EXPECT_FALSE(f.fitButton().isEnabled());
  EXPECT_EQ(f.fitButton().toolTip(), uiText(Text::TipFitNeedsMeasurement));
  f.load(measurementText(roomLevel));
  EXPECT_TRUE(f.fitButton().isEnabled());
  EXPECT_EQ(f.fitButton().toolTip(), uiText(Text::TipFit));
  f.page->showChannel(14);
  EXPECT_FALSE(f.fitButton().isEnabled());
  f.page->showChannel(12);
  EXPECT_TRUE(f.fitButton().isEnabled());
}

// The dialog's defaults are the command line's: Apply writes exactly what fitEq gives with
// default options, as one step named after the fit, and one undo restores every band.
TEST(EqFitDialog, ApplyWritesTheFitAsOneStepAndUndoRestoresEveryBand) {
  FitFixture f;
  f.load(measurementText(roomLevel));
  const int bypass = indexOf(ChannelFunction::PeqBypass, OUT2);
  f.table->setParameter(bypass, 1);
  const std::vector<int32_t> before = f.block();
  const EqFitResult expected = fitEq(*f.table, OUT2, f.page->measurementBar().overlay().measurement,
                                     TargetCurve(), EqFitOptions{});
  ASSERT_TRUE(expected.error.empty()) << expected.error;

  QPointer<EqFitDialog> dialog = f.open();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(dialog->result().error.empty()) << dialog->result().error;
  EXPECT_LT(dialog->result().rmsAfterDb, dialog->result().rmsBeforeDb);
  EXPECT_TRUE(dialog->statusText().startsWith("RMS error: ")) << dialog->statusText().toStdString();
  child<QPushButton>(*dialog, "fitApply").click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(dialog);

  ASSERT_FALSE(expected.words.empty());
  for (const EqFitWord& w : expected.words)
    EXPECT_EQ(f.table->value(w.index), w.value) << "index " << w.index;
  EXPECT_EQ(f.table->value(bypass), 0);
  ASSERT_EQ(f.edits.undoDepth(), 1u);
  EXPECT_EQ(editStepName(*f.edits.undoSubject()), "OUT 2 · Fit EQ");
  f.edits.undo();
  EXPECT_EQ(f.block(), before);
}

TEST(EqFitDialog, CancelChangesNothing) {
  FitFixture f;
  f.load(measurementText(roomLevel));
  const std::vector<int32_t> before = f.block();
  QPointer<EqFitDialog> dialog = f.open();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(dialog->result().error.empty());
  child<QPushButton>(*dialog, "fitCancel").click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(dialog);
  EXPECT_EQ(f.block(), before);
  EXPECT_EQ(f.edits.undoDepth(), 0u);
}

// A band in use is shown locked and kept; a free band the user locks is kept too, and the
// band count follows the free bands.
TEST(EqFitDialog, LockedBandsAreKept) {
  FitFixture f;
  f.load(measurementText(roomLevel));
  const int32_t usedGain = encodeEqGain(-3.0);
  f.table->setParameter(indexOf(ChannelFunction::PeqGain, OUT2, 4), usedGain);
  f.table->setParameter(indexOf(ChannelFunction::PeqType, OUT2, 0), BAND_TYPE_OFF);
  QPointer<EqFitDialog> dialog = f.open();
  ASSERT_TRUE(dialog);
  QCheckBox& used = child<QCheckBox>(*dialog, "fitLock5");
  EXPECT_TRUE(used.isChecked());
  EXPECT_FALSE(used.isEnabled());
  EXPECT_EQ(child<QSpinBox>(*dialog, "fitBandCount").value(), 9);

  child<QCheckBox>(*dialog, "fitLock1").setChecked(true);
  child<QCheckBox>(*dialog, "fitLock2").setChecked(true);
  EXPECT_EQ(child<QSpinBox>(*dialog, "fitBandCount").value(), 7);
  FitFixture::settle(*dialog);
  ASSERT_TRUE(dialog->result().error.empty()) << dialog->result().error;
  for (const EqFitBand& b : dialog->result().bands)
    EXPECT_TRUE(b.band >= 2 && b.band != 4) << "band " << b.band + 1;
  const int32_t freq1 = f.at(ChannelFunction::PeqFreq, 0);
  const int32_t freq2 = f.at(ChannelFunction::PeqFreq, 1);
  child<QPushButton>(*dialog, "fitApply").click();
  EXPECT_EQ(f.edits.undoDepth(), 1u);
  EXPECT_EQ(f.at(ChannelFunction::PeqType, 0), BAND_TYPE_OFF);
  EXPECT_EQ(f.at(ChannelFunction::PeqFreq, 0), freq1);
  EXPECT_EQ(f.at(ChannelFunction::PeqFreq, 1), freq2);
  EXPECT_EQ(f.at(ChannelFunction::PeqGain, 1), EQ_GAIN_ZERO);
  EXPECT_EQ(f.at(ChannelFunction::PeqGain, 4), usedGain);
}

// Refused input shows the reason in the dialog's language, keeps Apply off and writes
// nothing, even when Apply is pressed.
TEST(EqFitDialog, BadInputIsExplainedAndChangesNothing) {
  struct Case {
    const char* what;
    QByteArray measurement;
    std::function<void(EqFitDialog&)> change;
    QString message;
  };
  const auto flat = [](double) { return 80.0; };
  QTemporaryDir files;
  const QString shortTarget = files.filePath("target.txt");
  QFile target(shortTarget);
  ASSERT_TRUE(target.open(QIODevice::WriteOnly));
  target.write(measurementText([](double f) { return -std::log2(f / 1000.0); }, 100.0));
  target.close();
  const std::vector<Case> cases = {
      {"range outside the measurement", measurementText(roomLevel, 50.0), [](EqFitDialog&) {},
       "The range 40–16000 Hz is outside the measurement (50–"},
      {"no bands", measurementText(roomLevel),
       [](EqFitDialog& d) { child<QSpinBox>(d, "fitBandCount").setValue(0); },
       "The number of bands must be 1 to 10."},
      {"every band locked", measurementText(roomLevel),
       [](EqFitDialog& d) {
         for (int band = 1; band <= PEQ_BAND_COUNT; ++band)
           child<QCheckBox>(d, QStringLiteral("fitLock%1").arg(band).toLatin1().constData())
               .setChecked(true);
       },
       "Only 0 bands are free"},
      {"Q range reversed", measurementText(roomLevel),
       [](EqFitDialog& d) { child<QDoubleSpinBox>(d, "fitQMin").setValue(20.0); },
       "The Q range must lie"},
      {"range under an octave", measurementText(roomLevel),
       [](EqFitDialog& d) { child<QSpinBox>(d, "fitTo").setValue(60); }, "The range must lie"},
      {"flat already", measurementText(flat), [](EqFitDialog&) {},
       "The measurement is within 0.5 dB RMS"},
      {"target file narrower than the range", measurementText(roomLevel),
       [&shortTarget](EqFitDialog& d) { ASSERT_TRUE(d.loadTarget(shortTarget).isEmpty()); },
       "The target does not cover the range."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FitFixture f;
    f.load(c.measurement);
    const std::vector<int32_t> before = f.block();
    QPointer<EqFitDialog> dialog = f.open();
    ASSERT_TRUE(dialog);
    c.change(*dialog);
    FitFixture::settle(*dialog);
    EXPECT_TRUE(dialog->statusText().startsWith(c.message)) << dialog->statusText().toStdString();
    QPushButton& apply = child<QPushButton>(*dialog, "fitApply");
    EXPECT_FALSE(apply.isEnabled());
    dialog->applyFit();
    EXPECT_TRUE(dialog);
    EXPECT_EQ(f.block(), before);
    EXPECT_EQ(f.edits.undoDepth(), 0u);
  }
}

TEST(EqFitDialog, RefusalIsInTheProgramsLanguage) {
  FitFixture f(LanguageIndex::SimplifiedChinese);
  f.load(measurementText(roomLevel, 50.0));
  QPointer<EqFitDialog> dialog = f.open();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->statusText().startsWith("频率范围 40–16000 Hz 超出测量曲线 (50–"))
      << dialog->statusText().toStdString();
  EXPECT_EQ(child<QPushButton>(*dialog, "fitApply").text(), "应用");
}

// A value that changes under the open dialog (a device report, a remote edit) is never
// overwritten by a fit that did not see it: Apply fits again and waits for a second Apply.
TEST(EqFitDialog, ChannelChangedUnderTheDialogIsFittedAgainBeforeApply) {
  FitFixture f;
  f.load(measurementText(roomLevel));
  QPointer<EqFitDialog> dialog = f.open();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(dialog->result().error.empty());
  const int reported = indexOf(ChannelFunction::PeqGain, OUT2, 0);
  f.table->setParameter(reported, encodeEqGain(-2.0));

  dialog->applyFit();
  EXPECT_EQ(f.edits.undoDepth(), 0u);
  FitFixture::settle(*dialog);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->statusText().startsWith(uiText(Text::FitChannelChanged)));
  EXPECT_FALSE(child<QCheckBox>(*dialog, "fitLock1").isEnabled());
  for (const EqFitBand& b : dialog->result().bands)
    EXPECT_NE(b.band, 0);
  dialog->applyFit();
  EXPECT_EQ(f.edits.undoDepth(), 1u) << dialog->statusText().toStdString();
  EXPECT_EQ(f.table->value(reported), encodeEqGain(-2.0));
}

} // namespace
} // namespace kv816
