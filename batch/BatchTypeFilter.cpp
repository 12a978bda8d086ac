#include "batch/BatchTypeFilter.h"

#include <algorithm>

namespace stampora {

bool BatchTypeFlags::Has(ImageFormat format) const {
    return (formats & FormatBit(format)) != 0;
}

void BatchTypeFlags::Set(ImageFormat format, bool checked) {
    formats = checked ? formats | FormatBit(format) : formats & ~FormatBit(format);
}

std::string BuildTypeFilter(const BatchTypeFlags& flags) {
    std::string filter;
    for (const FormatEntry& entry : AllFormats()) {
        if (entry.ReadsAndWrites() && (flags.allImages != 0 || flags.Has(entry.id)))
            filter += entry.extensions;
    }
    return filter;
}

bool ParseTypeList(const std::string& text, BatchTypeFlags& flags) {
    flags = BatchTypeFlags{};
    if (text == "all") {
        flags.allImages = 1;
        return true;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const FormatEntry* entry = FindFormat(FormatFromExtension(text.substr(start, comma - start)));
        if (entry == nullptr || !entry->ReadsAndWrites()) return false;
        flags.Set(entry->id, true);
        start = comma + 1;
    }
    return true;
}

std::string TypeListOf(const BatchTypeFlags& flags) {
    if (flags.allImages != 0) return "all";
    std::string list;
    for (const FormatEntry& entry : AllFormats()) {
        if (!entry.ReadsAndWrites() || !flags.Has(entry.id)) continue;
        const std::string extensions = entry.extensions + 1;
        list += (list.empty() ? "" : ",") + extensions.substr(0, extensions.find('.'));
    }
    return list;
}

std::string TypeWords() {
    std::string words;
    for (const FormatEntry& entry : AllFormats()) {
        if (!entry.ReadsAndWrites()) continue;
        const std::string extensions = entry.extensions + 1;
        if (!words.empty()) words += ", ";
        words += extensions.substr(0, extensions.find('.'));
    }
    return words;
}

}  // namespace stampora
