#include "batch/BatchSummary.h"

namespace stampora {

namespace {

// "1 picture could not be saved." or "3 pictures could not be saved."
std::string CountLine(int32_t count, const char* one, const char* many, const char* rest) {
    return "\n" + std::to_string(count) + " " + (count == 1 ? one : many) + " " + rest;
}

}  // namespace

std::string BatchSummaryLines(const BatchSummary& summary) {
    std::string text;
    struct Line {
        int32_t count;
        const char* one;
        const char* many;
        const char* rest;
    };
    const Line lines[] = {
        {summary.unreadable, "file was", "files were", "skipped: not a readable picture."},
        {summary.missing, "file was", "files were", "skipped: no such file."},
        {summary.outsideSource, "file was", "files were", "skipped: not inside the source directory."},
        {summary.saveFailed, "picture", "pictures", "could not be saved."},
        {summary.stampFailed, "picture", "pictures", "could not be watermarked."},
        {summary.damaged, "picture was", "pictures were",
         "damaged and written with the part that could be read."},
        {summary.metadataDamaged, "picture was", "pictures were",
         "written with only the part of its metadata that could be read."},
        {summary.markLeftOff, "picture was", "pictures were", "too small for a mark, which was left off."},
        {summary.narrowedTo8Bits, "picture was", "pictures were", "written at 8 bits per channel."},
        {summary.reEncodedWhole, "JPEG was", "JPEGs were", "re-encoded whole: its blocks could not be kept."},
    };
    for (const Line& line : lines) {
        if (line.count > 0) text += CountLine(line.count, line.one, line.many, line.rest);
    }
    for (const std::string& line : summary.unmatchedPlacements) text += "\n" + line;
    return text;
}

std::string BatchFinishMessage(const BatchSummary& summary) {
    return kBatchFinishText + BatchSummaryLines(summary);
}

}  // namespace stampora
