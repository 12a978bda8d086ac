#include "batch/FileResultLine.h"

namespace stampora {

std::string FileResultLine(const std::string& name, const BatchFileResult& result) {
    std::string line = name + ": ";
    switch (result.outcome) {
        case BatchFileOutcome::Written:
            line += "written";
            break;
        case BatchFileOutcome::Unreadable:
        case BatchFileOutcome::Missing:
        case BatchFileOutcome::OutsideSource:
            line += "skipped";
            break;
        case BatchFileOutcome::SaveFailed:
            line += "FAILED (could not save)";
            break;
        case BatchFileOutcome::StampFailed:
            line += "FAILED (not watermarked, nothing written)";
            break;
        case BatchFileOutcome::UpToDate:
            line += "up to date";
            break;
    }
    if (result.outcome == BatchFileOutcome::Written) {
        if (result.narrowedTo8Bits) line += " at 8 bits per channel";
        line += result.imageMarkLeftOff && result.textMarkLeftOff ? " without either mark (too large)"
                : result.imageMarkLeftOff                         ? " without the image mark (too large)"
                : result.textMarkLeftOff                          ? " without the text mark (too large)"
                                                                  : "";
        if (!result.keptBlocksRefusal.empty()) line += ", re-encoded whole: " + result.keptBlocksRefusal;
        if (!result.damage.empty()) line += ", damaged: " + result.damage;
        if (!result.metadataNote.empty()) line += ", metadata: " + result.metadataNote;
    } else if (!result.reason.empty() && result.outcome != BatchFileOutcome::UpToDate) {
        line += ": " + result.reason;
    }
    return line;
}

}  // namespace stampora
