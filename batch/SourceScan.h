#pragma once
// Lists the files of a source directory that a batch run takes.
#include <string>
#include <vector>

// The text after the last '.' of a file name, without the dot, with ASCII
// letters lower-cased (the filter lists are ASCII); empty without a dot.
std::string LowerCaseExtension(const std::string& name);

// True when the name's extension occurs anywhere in the filter text. This is
// a plain substring test on the dotted list, so "pe" passes ".jpg.jpeg.jpe"
// and a name without an extension passes every filter; such files are
// skipped later if they do not load.
bool PassesTypeFilter(const std::string& name, const std::string& filter);

// Replaces `names` by the names (UTF-8, no directory part) of the entries of
// `directory` that are not directories (subdirectories are not entered) and
// pass the filter, sorted by name so runs are repeatable and shown in a
// predictable order. Answers false, leaving `names` as it was, when the
// directory cannot be listed.
bool ScanSourceDirectory(const std::string& directory, const std::string& filter, std::vector<std::string>& names);
