#include "batch/SourceSelection.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "batch/SourceScan.h"
#include "platform/Utf8Path.h"

namespace stampora {

namespace fs = std::filesystem;

namespace {

// The name below the source folder, or nothing when the path leaves it
// ("../x.jpg", an absolute path elsewhere): its output would land outside
// the output folder.
std::optional<std::string> NameBelowSource(const fs::path& source, const std::string& given) {
    fs::path path = PathFromUtf8(given).lexically_normal();
    if (path.is_absolute()) {
        std::error_code error;
        const fs::path base = fs::weakly_canonical(source, error);
        const fs::path full = fs::weakly_canonical(path, error);
        path = full.lexically_relative(base);
    }
    if (path.empty() || path.is_absolute() || *path.begin() == ".." || path == ".") return std::nullopt;
    if (!path.has_filename()) return std::nullopt;
    return GenericUtf8FromPath(path);
}

}  // namespace

bool ScanSourceTree(const std::string& directory, const std::string& filter, const std::string& skipped,
                    std::vector<std::string>& names, std::string& leftOut) {
    const fs::path root = PathFromUtf8(directory);
    std::error_code error;
    fs::recursive_directory_iterator entries(root, fs::directory_options::skip_permission_denied, error);
    if (error) return false;
    std::error_code skippedError;
    const fs::path skippedPath = PathFromUtf8(skipped);
    const bool skipSome = !skipped.empty() && fs::is_directory(skippedPath, skippedError);
    std::vector<std::string> found;
    for (; entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        if (error) break;
        std::error_code kindError;
        const fs::directory_entry& entry = *entries;
        if (entry.is_symlink(kindError)) {
            // A link to a picture is a picture; a link to a folder is not
            // entered (the iterator never follows one), so no loop and
            // nothing outside the tree.
            if (!entry.is_regular_file(kindError)) continue;
        } else if (entry.is_directory(kindError)) {
            if (skipSome && fs::equivalent(entry.path(), skippedPath, kindError)) {
                entries.disable_recursion_pending();
                leftOut = GenericUtf8FromPath(entry.path().lexically_relative(root));
            }
            continue;
        } else if (!entry.is_regular_file(kindError)) {
            continue;
        }
        const std::string name = GenericUtf8FromPath(entry.path().lexically_relative(root));
        if (PassesTypeFilter(name, filter)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    names = std::move(found);
    return true;
}

std::vector<std::string> TakeShard(const std::vector<std::string>& names, int32_t shardIndex,
                                   int32_t shardCount) {
    if (shardCount <= 1) return names;
    std::vector<std::string> shard;
    for (size_t i = static_cast<size_t>(shardIndex - 1); i < names.size();
         i += static_cast<size_t>(shardCount))
        shard.push_back(names[i]);
    return shard;
}

bool ParseShard(const std::string& text, int32_t& index, int32_t& count) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    auto number = [](const char* begin, const char* end, int32_t& value) {
        const auto [stop, status] = std::from_chars(begin, end, value);
        return begin != end && status == std::errc() && stop == end;
    };
    int32_t k = 0;
    int32_t n = 0;
    if (!number(text.data(), text.data() + slash, k) ||
        !number(text.data() + slash + 1, text.data() + text.size(), n))
        return false;
    if (k < 1 || n < k || n > 1000000) return false;
    index = k;
    count = n;
    return true;
}

bool SelectSourceFiles(const std::string& sourceDirectory, const std::string& outputDirectory,
                       const std::string& filter, const SourceSelection& selection,
                       std::vector<std::string>& names, std::vector<std::string>& refused,
                       std::string& leftOut) {
    std::vector<std::string> list;
    if (selection.givenNames) {
        const fs::path source = PathFromUtf8(sourceDirectory);
        for (const std::string& given : *selection.givenNames) {
            const auto name = NameBelowSource(source, given);
            if (!name) {
                refused.push_back(given);
            } else if (PassesTypeFilter(*name, filter)) {
                list.push_back(*name);
            }
        }
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    } else if (selection.recursive) {
        if (!ScanSourceTree(sourceDirectory, filter, outputDirectory, list, leftOut)) return false;
    } else if (!ScanSourceDirectory(sourceDirectory, filter, list)) {
        return false;
    }
    names = std::move(list);
    return true;
}

}  // namespace stampora
