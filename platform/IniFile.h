#pragma once
// A small reader and writer of INI settings files ("[Section]" headers and
// "key=value" lines), with the meaning of the classic profile functions:
// section and key names match without regard to ASCII case, the first
// matching section and key count, lines starting with ';' or '#' are comments,
// and values are taken as written (no escapes) apart from surrounding blanks
// and one pair of enclosing quotes.
#include <optional>
#include <string>

namespace stampora {

// The value of `key` in `section` of the file at `path` (UTF-8), or nothing
// when the file, the section or the key is missing or the file cannot be read.
std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key);

// Sets `key` in `section` to `value`: replaces the key's line in place,
// adds the key at the end of its section, or adds the section at the end of
// the file, creating the file when it does not exist. Every other line keeps
// its bytes. The file is replaced only after the new content was written in
// full. Refuses (false, file untouched) names that an INI file cannot hold
// (empty, with a line break, '=' in a key or ']' in a section), a value with
// a line break, and a file that exists but cannot be read.
bool WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value);

}  // namespace stampora
