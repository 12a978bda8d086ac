#include "platform/OutputDirectorySetting.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/IniFile.h"
#include "support/TestPaths.h"

namespace {

// Runs a test inside a scratch folder with its own home, so config.ini and
// the Documents default land there.
class OutputDirectorySetting : public ::testing::Test {
protected:
    void SetUp() override {
        previousDirectory = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        if (const char* home = std::getenv("HOME")) previousHome = home;
        ::setenv("HOME", dir.Path().c_str(), 1);
        ::unsetenv("XDG_DOCUMENTS_DIR");
        ::setenv("XDG_CONFIG_HOME", (dir.Path() / "no-config").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(previousDirectory);
        ::setenv("HOME", previousHome.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }

    ScratchDir dir;
    std::filesystem::path previousDirectory;
    std::string previousHome;
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
    EXPECT_EQ(ReadIniValue((dir.Path() / "config.ini").string(), "Setting", "OutputDir"), "/pictures/stamped");
    EXPECT_EQ(ReadOutputDirectory(), "/pictures/stamped");
}

}  // namespace
