// Presets, save options and remembered state in the editor and its batch
// dialog, against config.ini and the command-line tool.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <cstdlib>
#include <filesystem>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"
#include "app/dialogs/BatchWatermarkDialog.h"
#include "app/dialogs/DialogTestSupport.h"
#include "app/settings/OutputDirectory.h"
#include "app/settings/SaveOptions.h"
#include "app/settings/SaveOptionsDialog.h"
#include "app/widgets/AlignmentButton.h"
#include "batch/options/PresetFile.h"
#include "codecs/metadata/SourceQuality.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"

namespace {

namespace fs = std::filesystem;

class EditorPresetsTest : public ::testing::Test, protected EditorSession {
protected:
    EditorPresetsTest() {
        fs::create_directories(dir.Path() / "out");
        outputDirectory = dir.File("out");
        saveOptions = OutputSettings{};
    }
    template <typename Control>
    static Control* Child(const QWidget& parent, const char* name) {
        auto* control = parent.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    std::string Preset(const std::string& name, const std::string& text) {
        WriteTextFile(dir.File(name), text);
        return dir.File(name);
    }
    std::string Value(const std::string& preset, const std::string& key) {
        std::vector<PresetEntry> entries;
        Status status;
        EXPECT_TRUE(LoadPreset(preset, entries, status)) << status.Error();
        for (const PresetEntry& entry : entries) {
            if (entry.key == key) return entry.value;
        }
        return "(none)";
    }
};

TEST_F(EditorPresetsTest, SaveOptionsRoundTripThroughConfigAndSaveHonoursThem) {
    {
        SaveOptionsDialog dialog;
        Child<QRadioButton>(dialog, "qualityChosen")->click();
        Child<QSpinBox>(dialog, "quality")->setValue(55);
        Child<QRadioButton>(dialog, "metadataStripGps")->click();
        dialog.findChild<QPushButton*>("id1")->click();
    }
    EXPECT_EQ(ReadIniValue(dir.File("config.ini"), "Setting", "SaveQuality"), "55");
    EXPECT_EQ(ReadIniValue(dir.File("config.ini"), "Setting", "Metadata"), "strip-gps");
    saveOptions = OutputSettings{};
    MainFrame frame;
    EXPECT_EQ(saveOptions.quality, 55);
    EXPECT_EQ(saveOptions.metadata, MetadataKept::NoGps);
    SaveOptionsDialog reopened;
    EXPECT_TRUE(Child<QRadioButton>(reopened, "metadataStripGps")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(reopened, "quality")->value(), 55);

    outputDirectory = dir.File("out");
    WritePicture(dir, "photo.jpg", 64, 48);
    ASSERT_TRUE(frame.OpenPath(QString::fromStdString(dir.File("photo.jpg"))));
    frame.Save();
    EXPECT_EQ(JpegFileQuality(dir.File("out/photo.jpg")), 55);
    // Kept blocks: without a mark the copy holds the source's very pixels,
    // which the quality of 55 would have changed.
    saveOptions.losslessJpeg = true;
    frame.Save();
    CRasterImage source;
    CRasterImage copy;
    ASSERT_TRUE(source.Load(dir.File("photo.jpg")));
    ASSERT_TRUE(copy.Load(dir.File("out/photo.jpg")));
    EXPECT_TRUE(SamePixels(source, copy));
}

TEST_F(EditorPresetsTest, APresetRoundTripsThroughTheEditorAndItsMarksComeBackNextTime) {
    MainFrame frame;
    const std::string preset = Preset(
        "p.ini", "[Text]\ntext=\"{name}\"\nsize=\"5%\"\n[Output]\nlossless-jpeg=\"on\"\nquality=\"70\"\n");
    ASSERT_TRUE(frame.LoadPresetPath(QString::fromStdString(preset)));
    EXPECT_EQ(frame.Canvas()->TextMark().text, u"{name}");
    EXPECT_EQ(frame.Canvas()->Marks().TextFit().sizePercent, 5.0);
    EXPECT_TRUE(saveOptions.losslessJpeg);

    choosers.saveFiles.push_back(QString::fromStdString(dir.File("again")));
    frame.Action(CommandId::kSavePreset)->trigger();
    EXPECT_EQ(Value(dir.File("again.ini"), "lossless-jpeg"), "on");
    EXPECT_EQ(Value(dir.File("again.ini"), "size"), "5%");
    EXPECT_EQ(Value(dir.File("again.ini"), "quality"), "70");

    choosers.openFiles.push_back(
        QString::fromStdString(Preset("bad.ini", "[Text]\ntext=\"other\"\nsize=\"huge\"\n")));
    frame.Action(CommandId::kLoadPreset)->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind(dir.File("bad.ini") + ":3: bad value 'huge' for size", 0), 0u)
        << messages.messages[0].text;
    EXPECT_EQ(frame.Canvas()->TextMark().text, u"{name}");

    // The next session starts with the marks last taken; an image mark taken
    // before any picture is centred on the first one opened.
    WritePicture(dir, "logo.png", 60, 30);
    ASSERT_TRUE(frame.LoadPresetPath(
        QString::fromStdString(Preset("image.ini", "[Image]\nimage=\"" + dir.File("logo.png") + "\"\n"))));
    MainFrame next;
    EXPECT_EQ(next.Canvas()->TextMark().text, u"{name}");
    EXPECT_EQ(next.Canvas()->Marks().TextFit().sizePercent, 5.0);
    ASSERT_TRUE(next.OpenPath(QString::fromStdString(WritePicture(dir, "photo.png", 400, 300))));
    EXPECT_EQ(next.Canvas()->ImageMark().base.x, 170);
    EXPECT_EQ(next.Canvas()->ImageMark().base.y, 135);
}

TEST_F(EditorPresetsTest, TheBatchDialogStartsFromTheEditorsMarksOnRequest) {
    MainFrame frame;
    ASSERT_TRUE(frame.LoadPresetPath(
        QString::fromStdString(Preset("p.ini", "[Text]\ntext=\"x\"\nsize=\"5%\"\ntext-align=\"center\"\n"))));
    bool seen = false;
    WhenOpened<BatchWatermarkDialog>([&](BatchWatermarkDialog& batch) {
        EXPECT_FALSE(batch.Settings().textMark.base.enabled);
        Child<QPushButton>(batch, "editorMarks")->click();
        EXPECT_EQ(batch.Settings().textMark.text, u"x");
        EXPECT_EQ(batch.Settings().textFit.sizePercent, 5.0);
        EXPECT_FALSE(ById<AlignmentButton>(batch, 1090)->isEnabled());
        seen = true;
        batch.reject();
    });
    frame.Action(CommandId::kBatchWatermark)->trigger();
    EXPECT_TRUE(seen);
}

// The dialog with a preset of relative marks writes what the tool writes.
TEST_F(EditorPresetsTest, TheBatchDialogWritesTheToolsFilesAndRemembersItsState) {
    const fs::path tool = fs::path(STAMPORA_BINARY_DIR) / "stampora-batch";
    ASSERT_TRUE(fs::exists(tool)) << "build the stampora-batch target first";
    fs::create_directories(dir.Path() / "in");
    WritePicture(dir, "in/small.jpg", 320, 200);
    WritePicture(dir, "in/tall.png", 480, 900);
    WritePicture(dir, "in/wide.bmp", 1600, 500);
    WritePicture(dir, "logo.png", 60, 30);
    const std::string preset =
        Preset("p.ini", "[Text]\ntext=\"{name}\"\nsize=\"5%\"\n[Image]\nimage=\"" + dir.File("logo.png") +
                            "\"\nimage-size=\"20%\"\nimage-align=\"left-top\"\n"
                            "[Output]\nmargin=\"3%\"\nquality=\"source\"\n");
    {
        BatchWatermarkDialog dialog(dir.File("out"));
        ShowActive(dialog);
        choosers.openFiles.push_back(QString::fromStdString(preset));
        Child<QPushButton>(dialog, "loadPreset")->click();
        EXPECT_TRUE(Child<QRadioButton>(dialog, "qualitySource")->isChecked());
        TypeInto(*ById<QLineEdit>(dialog, 1022), QString::fromStdString(dir.File("in")));
        ById<QCheckBox>(dialog, 1013)->click();
        ById<QPushButton>(dialog, 1068)->click();
        ASSERT_FALSE(messages.messages.empty());
        EXPECT_EQ(messages.messages.back().text, "Batch finish!");
        dialog.reject();
    }
    const std::string command = tool.string() + " --preset " + preset + " --types all " + dir.File("in") +
                                " " + dir.File("tool") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // The editor given the same preset saves the same copies too.
    MainFrame editor;
    fs::create_directories(dir.Path() / "editor");
    outputDirectory = dir.File("editor");
    ASSERT_TRUE(editor.LoadPresetPath(QString::fromStdString(preset)));
    for (const char* name : {"small.jpg", "tall.png", "wide.bmp"}) {
        ASSERT_TRUE(editor.OpenPath(QString::fromStdString(dir.File(std::string("in/") + name))));
        editor.Action(CommandId::kSave)->trigger();
        std::vector<uint8_t> toolCopy;
        ASSERT_TRUE(ReadWholeFile(dir.File(std::string("tool/") + name), toolCopy, 1 << 24)) << name;
        for (const char* folder : {"out/", "editor/"}) {
            std::vector<uint8_t> copy;
            ASSERT_TRUE(ReadWholeFile(dir.File(folder + std::string(name)), copy, 1 << 24)) << folder << name;
            EXPECT_TRUE(copy == toolCopy) << folder << name;
        }
    }

    // Opened again, the dialog starts where it was closed.
    BatchWatermarkDialog reopened("/elsewhere");
    EXPECT_EQ(ById<QLineEdit>(reopened, 1022)->text().toStdString(), dir.File("in"));
    EXPECT_EQ(ById<QLineEdit>(reopened, 1063)->text().toStdString(), dir.File("out"));
    EXPECT_TRUE(ById<QCheckBox>(reopened, 1013)->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(reopened, "qualitySource")->isChecked());
    EXPECT_FALSE(ById<AlignmentButton>(reopened, 1095)->isEnabled());
    EXPECT_EQ(reopened.Settings().imageFit.sizePercent, 20.0);
}

}  // namespace
