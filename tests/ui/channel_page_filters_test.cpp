#include "ui/pages/channel_page.h"

#include "i18n/language.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/response_graph.h"
#include "ui/pages/measurement_bar.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kv816 {
namespace {

constexpr int OUT2 = 5; // page 12
constexpr int OUT4 = 7; // page 14

struct FiltersFixture {
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
  EditSession edits{*table};
  std::unique_ptr<ChannelPage> page;
  QTemporaryDir dir;

  FiltersFixture() {
    setCurrentLanguage(LanguageIndex::English);
    table->loadDefaults();
    page = std::make_unique<ChannelPage>(*table, edits, 11, nullptr);
    page->resize(1100, 700);
    page->showChannel(12);
  }
  QString write(const QString& name, const QByteArray& text) const {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
  }
  std::vector<int32_t> block(int channel) const {
    std::vector<int32_t> words;
    for (int i = blockStart(channel); i <= blockEnd(channel); ++i)
      words.push_back(table->value(i));
    return words;
  }
  int at(ChannelFunction f, int channel, int band = 0) const {
    return table->value(indexOf(f, channel, band));
  }
  const GraphOverlay& overlay() const { return page->findChild<ResponseGraph*>()->overlay(); }
};

TEST(ChannelPageFilters, ImportIsOneUndoStepAndExportCarriesTheChannelToAnother) {
  FiltersFixture f;
  const std::vector<int32_t> before = f.block(OUT2);
  QStringList notes;
  const QString path = f.write("in.txt", "Preamp: -2.5 dB\n"
                                         "# high-pass: Linkwitz-Riley 24 dB/oct\n"
                                         "Filter 1: ON HP Fc 90 Hz\n"
                                         "Filter 2: ON PK Fc 1000.4 Hz Gain -4 dB Q 3\n"
                                         "Filter 3: ON HSC Fc 6000 Hz Gain 2 dB Q 0.7\n");
  ASSERT_TRUE(f.page->importFiltersFrom(path, notes).isEmpty());
  EXPECT_EQ(f.edits.undoDepth(), 1u);
  EXPECT_EQ(f.at(ChannelFunction::PeqGain, OUT2, 0), encodeEqGain(-4.0));
  EXPECT_EQ(f.at(ChannelFunction::PeqFreq, OUT2, 0), 1000);
  EXPECT_EQ(f.at(ChannelFunction::PeqType, OUT2, 1), BAND_TYPE_HIGH_SHELF);
  EXPECT_EQ(f.at(ChannelFunction::HpfType, OUT2), 24);
  EXPECT_EQ(f.at(ChannelFunction::Gain, OUT2), encodeChannelGain(-2.5));
  EXPECT_TRUE(notes.join('\n').contains("4: rounded")) << notes.join('\n').toStdString();

  const QString exported = f.dir.filePath("out.txt");
  ASSERT_TRUE(f.page->exportFiltersTo(exported, FilterTextFormat::EqualizerApo).isEmpty());
  const std::vector<int32_t> imported = f.block(OUT2);
  f.page->showChannel(14);
  QStringList none;
  ASSERT_TRUE(f.page->importFiltersFrom(exported, none).isEmpty());
  EXPECT_TRUE(none.isEmpty()) << none.join('\n').toStdString();
  EXPECT_EQ(f.block(OUT4), imported);

  f.edits.undo();
  f.edits.undo();
  EXPECT_EQ(f.block(OUT2), before);
}

TEST(ChannelPageFilters, RefusedTextChangesNothing) {
  FiltersFixture f;
  QByteArray many;
  for (int i = 1; i <= 11; ++i)
    many += "Filter " + QByteArray::number(i) + ": ON PK Fc 1000 Hz Gain 1 dB Q 1\n";
  QStringList notes;
  const std::vector<int32_t> before = f.block(OUT2);
  EXPECT_FALSE(f.page->importFiltersFrom(f.write("many.txt", many), notes).isEmpty());
  EXPECT_FALSE(f.page->importFiltersFrom(f.dir.filePath("missing.txt"), notes).isEmpty());
  EXPECT_EQ(f.block(OUT2), before);
  EXPECT_EQ(f.edits.undoDepth(), 0u);
}

TEST(ChannelPageFilters, MeasurementOverlayIsKeptPerChannel) {
  FiltersFixture f;
  QByteArray text = "* REW export\n";
  for (int i = 0; i < 40; ++i)
    text += QByteArray::number(20.0 * std::pow(1000.0, i / 39.0)) + ", 84.4, 0\n";
  MeasurementBar& bar = f.page->measurementBar();
  const QByteArray bad = text + "10 80 0\n";
  EXPECT_TRUE(bar.loadMeasurement(f.write("bad.txt", bad)).startsWith("line 42:"));
  EXPECT_FALSE(f.overlay().active());

  ASSERT_TRUE(bar.loadMeasurement(f.write("m.txt", text)).isEmpty());
  EXPECT_TRUE(f.overlay().active());
  EXPECT_EQ(f.overlay().offsetDb, -84.0); // shown in the offset box, never applied unseen
  bar.setTraceShown(2, false);
  bar.setOffset(-80.0);

  f.page->showChannel(14);
  EXPECT_FALSE(f.overlay().active());
  f.page->showChannel(12);
  EXPECT_TRUE(f.overlay().active());
  EXPECT_EQ(f.overlay().offsetDb, -80.0);
  EXPECT_FALSE(f.overlay().showTarget);
  EXPECT_TRUE(f.overlay().showPredicted);
}

} // namespace
} // namespace kv816
