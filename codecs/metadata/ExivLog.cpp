#include "codecs/metadata/ExivLog.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace stampora {

namespace {

thread_local std::string* gathered = nullptr;

std::mutex xmpToolkit;

void LockXmpToolkit(void* mutex, bool lock) {
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

void Gather(int, const char* text) {
    if (gathered == nullptr || text == nullptr) return;
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return;
    if (!gathered->empty()) *gathered += "; ";
    *gathered += line;
}

}  // namespace

void PrepareExiv() {
    static const bool installed = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
        Exiv2::LogMsg::setHandler(Gather);
        return Exiv2::XmpParser::initialize(LockXmpToolkit, &xmpToolkit);
    }();
    static_cast<void>(installed);
}

ExivComplaints::ExivComplaints(std::string& into) : previous(gathered) {
    PrepareExiv();
    gathered = &into;
}

ExivComplaints::~ExivComplaints() {
    gathered = previous;
}

}  // namespace stampora
