#pragma once
// Lists the files of a source directory that a batch run takes.
#include <string>
#include <vector>

namespace stampora {

// The text after the last '.' of a file name, without the dot, with ASCII
// letters lower-cased (the filter lists are ASCII); empty without a dot.
std::string LowerCaseExtension(const std::string& name);

// True when the name's extension, whole and caseless, is one of the dotted
// filter's extensions: "x.pe" does not pass ".jpg.jpeg.jpe", and a name
// without an extension ("README", "name.") passes none.
bool PassesTypeFilter(const std::string& name, const std::string& filter);

// Replaces `names` by the names (UTF-8, no directory part) of the regular
// files of `directory` (links followed) that pass the filter, sorted by name
// so runs are repeatable and shown in a predictable order. Folders are not
// entered; FIFOs, sockets and devices are left out, as reading them could
// wait forever. Answers false, leaving `names` as it was, when the directory
// cannot be listed.
bool ScanSourceDirectory(const std::string& directory, const std::string& filter,
                         std::vector<std::string>& names);

}  // namespace stampora
