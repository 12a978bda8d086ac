#pragma once
// What a batch run did, and the message that closes it.
#include <cstdint>
#include <string>
#include <vector>

namespace stampora {

enum class BatchRunState {
    NotStarted,       // a field could not be read, or was refused
    Declined,         // the user chose not to replace the originals
    SourceNotListed,  // the source directory could not be listed
    NoFile,           // no file of the chosen types
    Finished,         // every selected file was tried
    // No file can be made in the output directory.
    OutputNotWritable,
};

struct BatchSummary {
    BatchRunState state = BatchRunState::NotStarted;
    int32_t fileCount = 0;
    int32_t written = 0;
    // Skipped, each kind by its own reason: not a readable picture, named
    // but not there, named outside the source directory.
    int32_t unreadable = 0;
    int32_t missing = 0;
    int32_t outsideSource = 0;
    int32_t saveFailed = 0;
    // Pictures not written because they could not be made 32-bit or take an
    // active mark.
    int32_t stampFailed = 0;
    // Pictures on which an active mark was left off because it did not fit.
    int32_t markLeftOff = 0;
    // Pictures written from a file that could be read only in part.
    int32_t damaged = 0;
    // Pictures written with only the part of their source's metadata that
    // could be read (a damaged EXIF block).
    int32_t metadataDamaged = 0;
    // Pictures written at 8 bits per channel from a source of more.
    int32_t narrowedTo8Bits = 0;
    // Pictures whose output was newer than them and was kept as it was.
    int32_t upToDate = 0;
    // JPEGs whose blocks were to be kept but that were re-encoded whole.
    int32_t reEncodedWhole = 0;
    // A line for each moved mark that names no selected picture.
    std::vector<std::string> unmatchedPlacements;

    // Every selected picture was written whole, with every active mark.
    bool Complete() const {
        return state == BatchRunState::Finished && written + upToDate == fileCount && markLeftOff == 0 &&
               damaged == 0 && metadataDamaged == 0 && unmatchedPlacements.empty();
    }
};

inline constexpr char kBatchFinishText[] = "Batch finish!";
inline constexpr char kBatchFinishCaption[] = "All Finish";
inline constexpr char kNoFileText[] = "There is no file!";
inline constexpr char kBatchErrorCaption[] = "Error";

// A line for each kind of picture that did not come out whole, each after a
// line feed: skipped (by reason), not saved, not watermarked, read only in
// part, missing a mark that did not fit, written at 8 bits per channel;
// and the JPEGs re-encoded whole; then the placements that name no picture.
// Empty when every picture came out whole.
std::string BatchSummaryLines(const BatchSummary& summary);

// "Batch finish!", followed by the summary's lines.
std::string BatchFinishMessage(const BatchSummary& summary);

}  // namespace stampora
