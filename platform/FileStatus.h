#pragma once
// What became of reading or writing a picture file, in words a user can be
// shown: the library's own text (libjpeg's, libpng's, giflib's, libtiff's,
// exiv2's) or our readers' own, never a bare "false".
#include <string>
#include <utility>

namespace stampora {

struct FileStatus {
    // Why the read or write failed; empty when it did not.
    std::string error;
    // Set when a picture was read only in part, e.g. "only 120 of 600 lines";
    // the picture then holds the lines that could be read.
    std::string damage;

    // Records the reason and answers false, so a failing path reads
    // `return status.Fail("...")`.
    bool Fail(std::string reason) {
        error = std::move(reason);
        return false;
    }
    bool Damaged() const { return !damage.empty(); }
};

}  // namespace stampora
