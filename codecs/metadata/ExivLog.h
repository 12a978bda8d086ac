#pragma once
// exiv2 reports through exceptions and its log. Its log never reaches the
// terminal: it is dropped, except what a thread gathers on purpose.
// Its XMP toolkit must be started once, before workers read side by side.
#include <string>

namespace stampora {

// Sets exiv2's log up and starts its XMP toolkit, once for the process, with
// a lock that serialises the toolkit's shared state; every exiv2 user calls
// it first. Two threads starting the toolkit at once crash it.
void PrepareExiv();

// While it lives, exiv2's errors logged on this thread are appended to
// `into` ("; " between them), e.g. why a damaged EXIF block was read only
// in part. Workers that read side by side each gather their own.
class ExivComplaints {
public:
    explicit ExivComplaints(std::string& into);
    ~ExivComplaints();
    ExivComplaints(const ExivComplaints&) = delete;
    ExivComplaints& operator=(const ExivComplaints&) = delete;

private:
    std::string* previous;
};

}  // namespace stampora
