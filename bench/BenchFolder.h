#pragma once
// A temporary folder for one benchmark program's files, removed with all it
// holds when the program ends.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

struct BenchFolder {
    explicit BenchFolder(const std::string& name)
        : folder(std::filesystem::temp_directory_path() /
                 ("stampora-" + name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder);
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string Path(const char* name) const { return (folder / name).string(); }

    std::filesystem::path folder;
};
