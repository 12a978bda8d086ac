#include "codecs/metadata/ExivLog.h"

#include <exiv2/exiv2.hpp>

namespace stampora {

namespace {

thread_local std::string* gathered = nullptr;

void Gather(int, const char* text) {
    if (gathered == nullptr || text == nullptr) return;
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return;
    if (!gathered->empty()) *gathered += "; ";
    *gathered += line;
}

}  // namespace

void QuietExivLog() {
    static const bool installed = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
        Exiv2::LogMsg::setHandler(Gather);
        return true;
    }();
    static_cast<void>(installed);
}

ExivComplaints::ExivComplaints(std::string& into) : previous(gathered) {
    QuietExivLog();
    gathered = &into;
}

ExivComplaints::~ExivComplaints() {
    gathered = previous;
}

}  // namespace stampora
