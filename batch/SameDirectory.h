#pragma once
#include <string>

namespace stampora {

// True when both UTF-8 paths name the same existing directory, however they
// are spelled (a trailing separator, "..", a link to it).
bool IsSameDirectory(const std::string& first, const std::string& second);

}  // namespace stampora
