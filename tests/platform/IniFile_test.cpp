#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestPaths.h"

using namespace stampora;

namespace {

TEST(IniFile, ReadsValuesAsClassicProfilesDo) {
    ScratchDir dir;
    const std::string ini = dir.File("config.ini");
    WriteTextFile(ini,
                  "\xEF\xBB\xBF; settings\r\n"
                  "[Other]\r\nOutputDir=/wrong\r\n"
                  "  [ setting ]  \r\n"
                  "# note=ignored\r\n"
                  "outputdir =  /home/u/My Pictures  \r\n"
                  "OutputDir=/second\r\n"
                  "Quoted=\"  padded  \"\r\n"
                  "Empty=\r\n"
                  "[Setting]\r\nLater=/not-read\r\n");
    EXPECT_EQ(ReadIniValue(ini, "Setting", "OutputDir"), "/home/u/My Pictures");
    EXPECT_EQ(ReadIniValue(ini, "Setting", "Quoted"), "  padded  ");
    EXPECT_EQ(ReadIniValue(ini, "Setting", "Empty"), "");
    // Only the first section of a name counts, as with the profile functions.
    EXPECT_EQ(ReadIniValue(ini, "Setting", "Later"), std::nullopt);
    EXPECT_EQ(ReadIniValue(ini, "Setting", "Missing"), std::nullopt);
    EXPECT_EQ(ReadIniValue(ini, "Nowhere", "OutputDir"), std::nullopt);
    EXPECT_EQ(ReadIniValue(dir.File("absent.ini"), "Setting", "OutputDir"), std::nullopt);
}

TEST(IniFile, WritingCreatesFileThenSectionThenKey) {
    ScratchDir dir;
    const std::string ini = dir.File("config.ini");
    ASSERT_TRUE(WriteIniValue(ini, "Setting", "OutputDir", "/out"));
    EXPECT_EQ(FileText(ini), "[Setting]\nOutputDir=/out\n");

    // What the file held before the write and what it holds after.
    for (const auto& [before, after] :
         {std::pair{"[Window]\nWidth=640", "[Window]\nWidth=640\n[Setting]\nOutputDir=/out\n"},
          {"[Setting]\r\nOther=1\r\n\r\n; comment\r\n[Window]\r\nWidth=640\r\n",
           "[Setting]\r\nOther=1\r\nOutputDir=/out\r\n\r\n; comment\r\n[Window]\r\nWidth=640\r\n"},
          {"[Setting]", "[Setting]\nOutputDir=/out\n"}}) {
        WriteTextFile(ini, before);
        ASSERT_TRUE(WriteIniValue(ini, "Setting", "OutputDir", "/out"));
        EXPECT_EQ(FileText(ini), after);
    }
}

TEST(IniFile, ReplacingAKeyKeepsEveryOtherByte) {
    ScratchDir dir;
    const std::string ini = dir.File("config.ini");
    const std::string before =
        "; mine\n[setting]\n  OUTPUTDIR = /old/path\nKeep=this \n[Next]\nOutputDir=/other\n";
    WriteTextFile(ini, before);
    ASSERT_TRUE(WriteIniValue(ini, "Setting", "OutputDir", "/new/path"));
    EXPECT_EQ(FileText(ini),
              "; mine\n[setting]\n  OUTPUTDIR =/new/path\nKeep=this \n[Next]\nOutputDir=/other\n");
    EXPECT_EQ(ReadIniValue(ini, "Next", "OutputDir"), "/other");
}

TEST(IniFile, ValuesRoundTripExactly) {
    ScratchDir dir;
    const std::string ini = dir.File("config.ini");
    for (const std::string& value :
         std::initializer_list<std::string>{"", " leading and trailing ", "\"quoted\"", "'single'", "a=b;c#d",
                                            "/Ünïcødé/東京", std::string(5000, 'p')}) {
        ASSERT_TRUE(WriteIniValue(ini, "Setting", "OutputDir", value));
        EXPECT_EQ(ReadIniValue(ini, "Setting", "OutputDir"), value);
    }
}

TEST(IniFile, RefusesWhatItCannotStoreAndLeavesTheFile) {
    ScratchDir dir;
    const std::string ini = dir.File("config.ini");
    WriteTextFile(ini, "[Setting]\nOutputDir=/keep\n");
    EXPECT_FALSE(WriteIniValue(ini, "Setting", "OutputDir", "two\nlines"));
    EXPECT_FALSE(WriteIniValue(ini, "Setting", "Output=Dir", "x"));
    EXPECT_FALSE(WriteIniValue(ini, "Set]ting", "OutputDir", "x"));
    EXPECT_FALSE(WriteIniValue(ini, "", "OutputDir", "x"));
    EXPECT_FALSE(WriteIniValue(ini, "Setting", " ", "x"));
    EXPECT_EQ(FileText(ini), "[Setting]\nOutputDir=/keep\n");
    // A folder in the file's place cannot be read or replaced.
    EXPECT_FALSE(WriteIniValue(dir.Path().string(), "Setting", "OutputDir", "x"));
    EXPECT_FALSE(WriteIniValue(dir.File("missing-folder/config.ini"), "Setting", "OutputDir", "x"));
    EXPECT_EQ(ReadIniValue(dir.Path().string(), "Setting", "OutputDir"), std::nullopt);
}

}  // namespace
