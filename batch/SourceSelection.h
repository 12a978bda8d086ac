#pragma once
// Which pictures of a source folder a run takes, beyond the dialog's one
// folder: a whole tree, a list given by the user, one share of many.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stampora {

struct SourceSelection {
    // Subfolders are walked and their pictures named by their path below the
    // source folder ("2024/june/a.jpg"). Links to folders are not followed,
    // and the output folder is never walked when it lies inside the tree.
    bool recursive = false;
    // Names to take instead of listing the folder, relative to the source
    // folder (or absolute inside it).
    std::optional<std::vector<std::string>> givenNames;
    // Only the shardIndex-th (1-based) of shardCount parts of the list.
    int32_t shardIndex = 1;
    int32_t shardCount = 1;
};

// The selected names, sorted by name, passing the dotted type filter, before
// they are cut to the chosen shard. Without a list or recursion this is the
// plain folder listing. Answers false, leaving `names` as it was, when the source folder
// cannot be listed; `refused` gets each given name that was left out because
// it lies outside the source folder, and `leftOut` the output folder's path
// below the source folder when a walk of the tree met it and left it out.
bool SelectSourceFiles(const std::string& sourceDirectory, const std::string& outputDirectory,
                       const std::string& filter, const SourceSelection& selection,
                       std::vector<std::string>& names, std::vector<std::string>& refused,
                       std::string& leftOut);

// The names of the files below `directory` (paths relative to it, '/'
// between folders) that pass the filter, regular files or links to them,
// sorted. Links to folders are not entered, nor the folder `skipped` (empty:
// none), whose path below `directory` then goes to `leftOut`. False when
// `directory` cannot be listed.
bool ScanSourceTree(const std::string& directory, const std::string& filter, const std::string& skipped,
                    std::vector<std::string>& names, std::string& leftOut);

// The positions shardIndex-1, shardIndex-1+shardCount, ... of `names`: every
// shard gets every shardCount-th name, so the shards of one list never
// overlap, together cover it, and share big and small files alike.
std::vector<std::string> TakeShard(const std::vector<std::string>& names, int32_t shardIndex,
                                   int32_t shardCount);

// "K/N" with 1 <= K <= N <= 1000000.
bool ParseShard(const std::string& text, int32_t& index, int32_t& count);

}  // namespace stampora
