#include "platform/OutputDirectorySetting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/IniFile.h"
#include "support/ScopedEnvironment.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

// Runs a test inside a scratch folder with its own home, so config.ini and
// the Documents default land there.
class OutputDirectorySetting : public ::testing::Test {
protected:
    ScratchDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    ScopedEnvironment home{"HOME", dir.Path().string()};
    ScopedEnvironment documents{"XDG_DOCUMENTS_DIR", nullptr};
    ScopedEnvironment config{"XDG_CONFIG_HOME", (dir.Path() / "no-config").string()};
};

TEST_F(OutputDirectorySetting, MissingOrEmptyValueFallsBackToCreatedDocumentsFolder) {
    const std::string expected = (dir.Path() / "Documents" / "Stampora").string();
    EXPECT_EQ(ReadOutputDirectory(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "config.ini"));

    std::ofstream(dir.Path() / "config.ini") << "[Setting]\nOutputDir=\n";
    EXPECT_EQ(ReadOutputDirectory(), expected);
}

TEST_F(OutputDirectorySetting, WrittenValueIsReadBackFromTheWorkingDirectory) {
    ASSERT_TRUE(WriteOutputDirectory("/pictures/stamped"));
    EXPECT_EQ(SettingsFilePath(), (dir.Path() / "config.ini").string());
    EXPECT_EQ(ReadIniValue((dir.Path() / "config.ini").string(), "Setting", "OutputDir"),
              "/pictures/stamped");
    EXPECT_EQ(ReadOutputDirectory(), "/pictures/stamped");
}

}  // namespace
