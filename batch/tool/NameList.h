#pragma once
// The list of pictures given with --files-from.
#include <string>
#include <vector>

#include "platform/Status.h"

namespace stampora {

// Reads the names of a list file or any other readable stream (a pipe, a
// FIFO, /dev/stdin), or of standard input for "-": one name per
// line, or ended by NUL bytes when `nullSeparated` (as find -print0 writes
// them). Empty entries are left out. False with the reason in `status` when the
// list cannot be read.
bool ReadNameList(const std::string& path, bool nullSeparated, std::vector<std::string>& names,
                  Status& status);

}  // namespace stampora
