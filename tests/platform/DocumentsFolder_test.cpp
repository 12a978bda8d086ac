#include "platform/DocumentsFolder.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/TestPaths.h"

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (previous) {
            ::setenv(name, previous->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

TEST(DocumentsFolder, UserDirsEntryExpandsHomeAndRejectsOtherForms) {
    EXPECT_EQ(DocumentsEntryFromUserDirs("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
                                         "/home/anna"),
              "/home/anna/Dokumente");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIR=\"/data/docs\"\r\n", "/home/anna"), "/data/docs");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/anna"), "/home/anna");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIR=\"relative/docs\"\n", "/home/anna"), "");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIR=$HOME/unquoted\n", "/home/anna"), "");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIRX=\"/x\"\n", "/home/anna"), "");
    EXPECT_EQ(DocumentsEntryFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", "/home/anna"), "");
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
