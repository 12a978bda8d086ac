// Presets as the editor writes and reads them, checked against the tool's
// own option table.
#include "batch/options/RunSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch/BatchTestSupport.h"
#include "batch/options/MarkSetup.h"
#include "batch/options/PresetFile.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

// Every option a preset keeps, each away from the tool's default.
RunSettings EveryOptionSet(const std::string& logo) {
    ToolOptions options;
    TextMarkOptions text;
    text.text = "{name} \xC2\xA9";
    text.sizePercent = 4.5;
    text.bold = text.italic = text.shadow = true;
    text.colour = {255, 128, 0};
    text.opacity = text.shadowOpacity = 60;
    text.rotation = 30;
    text.shadowColour = {0, 0, 255};
    text.shadowDistance = 3;
    text.shadowSmooth = 2;
    text.outline = RelativeLength{2.5, true};
    text.outlineColour = {0, 255, 0};
    text.alignment = Center;
    ImageMarkOptions image;
    image.file = logo;
    image.sizeMode = ImageSizeMode::Relative;
    image.sizePercent = 20;
    image.percentOfHeight = true;
    image.opacity = 70;
    image.rotation = 90;
    image.alignment = LeftTop;
    options.textMark = text;
    options.imageMark = image;
    options.layout.margin = {3, true};
    options.layout.tile = true;
    options.layout.gapX = RelativeLength{5, false};
    options.layout.gapY = RelativeLength{2.5, true};
    options.qualityFromSource = true;
    options.stripGps = options.losslessJpeg = options.recursive = options.skipExisting = true;
    RunSettings settings;
    Status status;
    EXPECT_TRUE(SettingsFromOptions(options, settings, status)) << status.Error();
    BatchTypeFlags types;
    types.Set(FormatJpeg, true);
    types.Set(FormatPng, true);
    settings.output.types = types;
    return settings;
}

TEST(RunSettings, APresetKeepsEveryOptionOfTheToolAndReadsBackTheSame) {
    ScratchDir dir;
    ASSERT_TRUE(batchtest::SolidPicture(40, 20, 255, 0, 0).Save(dir.File("logo.png")));
    const RunSettings settings = EveryOptionSet(dir.File("logo.png"));
    Status status;
    ASSERT_TRUE(SaveRunSettings(dir.File("p.ini"), settings, status)) << status.Error();

    // Stripping GPS and stripping all are one choice: the second is saved
    // on its own.
    RunSettings stripAll = settings;
    stripAll.output.metadata = MetadataKept::Essential;
    stripAll.textMark.autoColour = true;
    stripAll.imageMark.base.alignment = AutoPlace;
    ASSERT_TRUE(SaveRunSettings(dir.File("all.ini"), stripAll, status)) << status.Error();
    std::vector<PresetEntry> entries;
    std::vector<PresetEntry> more;
    ASSERT_TRUE(LoadPreset(dir.File("p.ini"), entries, status)) << status.Error();
    ASSERT_TRUE(LoadPreset(dir.File("all.ini"), more, status)) << status.Error();
    entries.insert(entries.end(), more.begin(), more.end());
    for (const std::string& name : KeptOptionNames()) {
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                                [&](const PresetEntry& entry) { return "--" + entry.key == name; }))
            << name << " is not saved";
    }
    RunSettings loaded;
    ASSERT_TRUE(LoadRunSettings(dir.File("p.ini"), loaded, status)) << status.Error();
    EXPECT_EQ(SettingsArguments(loaded), SettingsArguments(settings));
    EXPECT_EQ(loaded.imageMark.source.Width(), 40);
    EXPECT_EQ(loaded.textMark.font.faceName, settings.textMark.font.faceName);
    ASSERT_TRUE(LoadRunSettings(dir.File("all.ini"), loaded, status)) << status.Error();
    EXPECT_EQ(SettingsArguments(loaded), SettingsArguments(stripAll));
}

}  // namespace
