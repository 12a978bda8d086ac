#pragma once
// Why something did not go as asked, in words a user can be shown: the
// library's own text (libjpeg's, libpng's, giflib's, libtiff's, exiv2's) or
// our own, never a bare "false". Each reason says what it concerns, so a
// caller can tell a picture that could not be read from one that could not
// be written or marked.
#include <string>
#include <utility>
#include <vector>

namespace stampora {

// What a reason concerns.
enum class Domain {
    Read,      // a picture or a file being read
    Write,     // a file being written
    Metadata,  // a source's metadata carried over to its copy
    Mark,      // a watermark being made or stamped
    Options,   // a setting or a list the user gave
    Output,    // the folder copies are written to
};

struct Reason {
    Domain domain = Domain::Read;
    std::string text;
};

struct Status {
    // Why it failed; its text is empty when it did not.
    Reason failure;
    // Set when a picture was read only in part, e.g. "only 120 of 600 lines";
    // the picture then holds the lines that could be read. Not a failure.
    std::string damage;
    // What fell short on a step that did not fail, e.g. metadata that was
    // not kept.
    std::vector<Reason> warnings;

    // Records the reason and answers false, so a failing path reads
    // `return status.Fail(Domain::Read, "...")`.
    [[nodiscard]] bool Fail(Domain domain, std::string text) {
        failure = Reason{domain, std::move(text)};
        return false;
    }
    bool Failed() const { return !failure.text.empty(); }
    const std::string& Error() const { return failure.text; }
    bool Damaged() const { return !damage.empty(); }

    // Adds to the warning of its domain, after a "; " when there is one.
    void Warn(Domain domain, const std::string& text) {
        for (Reason& warning : warnings) {
            if (warning.domain == domain) {
                warning.text += "; " + text;
                return;
            }
        }
        warnings.push_back(Reason{domain, text});
    }
    // The warning of a domain, or an empty text.
    std::string Warning(Domain domain) const {
        for (const Reason& warning : warnings) {
            if (warning.domain == domain) return warning.text;
        }
        return {};
    }
};

}  // namespace stampora
