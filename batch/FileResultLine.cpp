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
        const Status& status = result.status;
        if (!status.Warning(Domain::Write).empty())
            line += ", re-encoded whole: " + status.Warning(Domain::Write);
        if (status.Damaged()) line += ", damaged: " + status.damage;
        if (!status.Warning(Domain::Metadata).empty())
            line += ", metadata: " + status.Warning(Domain::Metadata);
    } else if (result.status.Failed() && result.outcome != BatchFileOutcome::UpToDate) {
        line += ": " + result.status.Error();
    }
    return line;
}

}  // namespace stampora
