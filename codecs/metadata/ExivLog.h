#pragma once
// exiv2 reports through exceptions and its log. Its log never reaches the
// terminal: it is dropped, except what a thread gathers on purpose.
#include <string>

namespace stampora {

// Sets exiv2's log up once for the process; every exiv2 user calls it first.
void QuietExivLog();

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
