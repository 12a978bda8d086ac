#include "platform/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/TestPaths.h"

using namespace stampora;

namespace {

namespace fs = std::filesystem;

bool WriteWhole(const std::string& path, const std::string& text) {
    SafeFileWriter out(path);
    return out.Open() && out.Write(text.data(), text.size()) && out.Commit();
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// The process's creation mask, read the way the kernel shows it.
mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

TEST(OpenFileUtf8, ReadsOnlyRegularFilesAndNeverBlocks) {
    ScratchDir dir;
    ASSERT_TRUE(WriteWhole(dir.File("plain.jpg"), "bytes"));
    ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);
    fs::create_directory(dir.Path() / "folder.jpg");

    std::FILE* plain = OpenFileUtf8(dir.File("plain.jpg"), "rb");
    ASSERT_NE(plain, nullptr);
    char buffer[8] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, plain), 5u);
    std::fclose(plain);

    // Without a writer a FIFO would hold a blocking open forever.
    errno = 0;
    EXPECT_EQ(OpenFileUtf8(dir.File("pipe.jpg"), "rb"), nullptr);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(OpenFileUtf8(dir.File("folder.jpg"), "rb"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile(dir.File("pipe.jpg"), bytes, 1 << 20));
    EXPECT_FALSE(ReadWholeFile("/dev/zero", bytes, 1 << 20));
}

TEST(SafeFileWriter, NewFilesFollowTheCreationMaskReplacedFilesKeepTheirMode) {
    ScratchDir dir;
    const mode_t before = ::umask(027);
    ASSERT_TRUE(WriteWhole(dir.File("new.bmp"), "new"));
    ::umask(before);
    // The mask was read when the process started, not now.
    EXPECT_EQ(ModeOf(dir.Path() / "new.bmp"), 0666 & ~before);

    ASSERT_TRUE(WriteWhole(dir.File("private.bmp"), "old"));
    ASSERT_EQ(::chmod(dir.File("private.bmp").c_str(), 0600), 0);
    ASSERT_TRUE(WriteWhole(dir.File("private.bmp"), "replaced"));
    EXPECT_EQ(ModeOf(dir.Path() / "private.bmp"), 0600u);
    EXPECT_EQ(FileText(dir.Path() / "private.bmp"), "replaced");

    // Saves in parallel leave the mask alone.
    fs::create_directory(dir.Path() / "parallel");
    const mode_t mask = CurrentUmask();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 150; ++i)
                WriteWhole(dir.File("parallel/" + std::to_string(t) + "-" + std::to_string(i)), "x");
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(CurrentUmask(), mask);
    int32_t wrong = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path() / "parallel"))
        wrong += ModeOf(entry.path()) != (0666 & ~mask);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(FileNamesIn(dir.Path() / "parallel").size(), 600u);
}

TEST(SafeFileWriter, WritesThroughSymbolicLinks) {
    ScratchDir dir;
    fs::create_directory(dir.Path() / "real");
    ASSERT_TRUE(WriteWhole(dir.File("real/photo.bmp"), "original"));
    // A chain: an absolute link to a relative one.
    fs::create_symlink("real/photo.bmp", dir.Path() / "relative.bmp");
    fs::create_symlink(dir.Path() / "relative.bmp", dir.Path() / "absolute.bmp");

    ASSERT_TRUE(WriteWhole(dir.File("absolute.bmp"), "stamped"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "absolute.bmp"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "relative.bmp"));
    EXPECT_EQ(FileText(dir.Path() / "real/photo.bmp"), "stamped");
    EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"absolute.bmp", "real", "relative.bmp"}));
    EXPECT_EQ(FileNamesIn(dir.Path() / "real"), std::vector<std::string>{"photo.bmp"});

    // A dangling link gets its file made where it points.
    fs::create_symlink("real/later.bmp", dir.Path() / "dangling.bmp");
    ASSERT_TRUE(WriteWhole(dir.File("dangling.bmp"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling.bmp"));
    EXPECT_EQ(FileText(dir.Path() / "real/later.bmp"), "made");

    // A loop is refused with the system's reason.
    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    SafeFileWriter looped(dir.File("loop-a"));
    EXPECT_FALSE(looped.Open());
    EXPECT_EQ(looped.Error(), "Too many levels of symbolic links");
}

TEST(SafeFileWriter, FailuresCarryTheReason) {
    ScratchDir dir;
    SafeFileWriter missingFolder(dir.File("missing/a.bmp"));
    EXPECT_FALSE(missingFolder.Open());
    EXPECT_EQ(missingFolder.Error(), "No such file or directory");
    EXPECT_FALSE(missingFolder.Commit());

    SafeFileWriter library(dir.File("lib.bmp"));
    ASSERT_TRUE(library.Open());
    library.Fail("Not a JPEG file");
    EXPECT_FALSE(library.Commit());
    EXPECT_EQ(library.Error(), "Not a JPEG file");
    EXPECT_TRUE(FileNamesIn(dir.Path()).empty());
}

// Only a regular file is replaced: a folder, a FIFO or a device under the
// name (or at the end of a link) stays what it was, also when it appears
// while the file is being written.
TEST(SafeFileWriter, ReplacesOnlyRegularFiles) {
    ScratchDir dir;
    fs::create_directories(dir.Path() / "folder.ini" / "inside");
    ASSERT_EQ(::mkfifo(dir.File("pipe.ini").c_str(), 0600), 0);
    fs::create_symlink("pipe.ini", dir.Path() / "link.ini");
    // Only root may make a device node.
    std::vector<std::string> names = {"folder.ini", "pipe.ini", "link.ini"};
    if (::mknod(dir.File("null.ini").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        names.push_back("null.ini");
    for (const std::string& name : names) {
        SafeFileWriter out(dir.File(name));
        EXPECT_FALSE(out.Open()) << name;
        EXPECT_FALSE(out.Error().empty()) << name;
    }
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder.ini"));
    EXPECT_TRUE(fs::is_fifo(dir.Path() / "pipe.ini"));
    EXPECT_EQ(fs::is_character_file(dir.Path() / "null.ini"), names.size() == 4);

    SafeFileWriter late(dir.File("late.ini"));
    ASSERT_TRUE(late.Open());
    EXPECT_TRUE(late.Write("x", 1));
    ASSERT_EQ(::mkfifo(dir.File("late.ini").c_str(), 0600), 0);
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(late.Error(), "not a regular file but a FIFO");
    EXPECT_TRUE(fs::is_fifo(dir.Path() / "late.ini"));
}

// A confined writer never writes through a link out of its folder, also one
// put in place while the file is written. (The batch tool's tests cover links
// to the source and linked subfolders.)
TEST(SafeFileWriter, ConfinedWritesStayInTheOutputFolder) {
    ScratchDir dir;
    for (const char* folder : {"elsewhere", "out/sub"}) fs::create_directories(dir.Path() / folder);
    ASSERT_TRUE(WriteWhole(dir.File("elsewhere/victim.jpg"), "victim"));
    fs::create_symlink("../elsewhere/victim.jpg", dir.Path() / "out/victim.jpg");
    fs::create_symlink("../elsewhere/new.jpg", dir.Path() / "out/new.jpg");
    fs::create_symlink("sub/real.jpg", dir.Path() / "out/inside.jpg");
    const ScopedWriteConfinement confined({dir.File("out"), std::string(), false});
    for (const char* name : {"out/victim.jpg", "out/new.jpg"}) {
        SafeFileWriter out(dir.File(name));
        EXPECT_FALSE(out.Open()) << name;
        EXPECT_EQ(out.Error(), kLinkOutsideText) << name;
    }
    EXPECT_TRUE(WriteWhole(dir.File("out/inside.jpg"), "inside"));
    EXPECT_EQ(FileText(dir.File("out/sub/real.jpg")), "inside");

    SafeFileWriter late(dir.File("out/late.jpg"));
    ASSERT_TRUE(late.Open());
    fs::create_symlink("../elsewhere/victim.jpg", dir.Path() / "out/late.jpg");
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(late.Error(), kLinkOutsideText);
    EXPECT_EQ(FileNamesIn(dir.Path() / "elsewhere"), std::vector<std::string>{"victim.jpg"});
    EXPECT_EQ(FileText(dir.File("elsewhere/victim.jpg")), "victim");
}

TEST(SafeFileWriter, AKilledWriterLeavesNothingBehind) {
    ScratchDir dir;
    ASSERT_TRUE(WriteWhole(dir.File("kept.jpg"), "the good file"));
    // A child process half way through two saves, one new and one replacing
    // a file, is killed.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SafeFileWriter fresh(dir.File("new.jpg"));
        SafeFileWriter replacing(dir.File("kept.jpg"));
        const bool open = fresh.Open() && replacing.Open() && fresh.Write("half", 4) &&
                          replacing.Write("half", 4) && std::fflush(fresh.File()) == 0 &&
                          std::fflush(replacing.File()) == 0;
        const char answer = open ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &answer, 1));
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    // Where the file system has unnamed files (Linux's ext4 and tmpfs do)
    // the half-written files never had a name; elsewhere hidden ones remain.
    const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) {
        ::close(probe);
        EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"kept.jpg"}));
    }
    EXPECT_EQ(FileText(dir.File("kept.jpg")), "the good file");
}

}  // namespace
