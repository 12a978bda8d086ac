#include "platform/DocumentsFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/ScopedEnvironment.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

TEST(DocumentsFolder, UserDirsEntryExpandsHomeAndRejectsOtherForms) {
    for (const auto& [dirs, entry] :
         {std::pair{"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
                    "/home/anna/Dokumente"},
          {"XDG_DOCUMENTS_DIR=\"/data/docs\"\r\n", "/data/docs"},
          {"XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/anna"},
          {"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", ""},
          {"XDG_DOCUMENTS_DIR=$HOME/unquoted\n", ""},
          {"XDG_DOCUMENTS_DIRX=\"/x\"\n", ""},
          {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", ""}})
        EXPECT_EQ(DocumentsEntryFromUserDirs(dirs, "/home/anna"), entry) << dirs;
}

TEST(DocumentsFolder, FollowsEnvironmentThenUserDirsThenHome) {
    ScratchDir dir;
    const std::string home = dir.Path().string();
    ScopedEnvironment homeVar("HOME", home.c_str());
    ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
    ScopedEnvironment documents("XDG_DOCUMENTS_DIR", nullptr);

    EXPECT_EQ(DocumentsFolder(), home + "/Documents");

    std::filesystem::create_directories(dir.Path() / ".config");
    std::ofstream(dir.File(".config/user-dirs.dirs")) << "XDG_DOCUMENTS_DIR=\"$HOME/Papiers\"\n";
    EXPECT_EQ(DocumentsFolder(), home + "/Papiers");

    ScopedEnvironment direct("XDG_DOCUMENTS_DIR", "/srv/documents");
    EXPECT_EQ(DocumentsFolder(), "/srv/documents");
}

}  // namespace
