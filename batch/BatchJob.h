#pragma once
// A batch run over one source directory: the job's state (what the batch
// dialog holds for as long as it is open) and the run itself.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/BatchSummary.h"
#include "batch/BatchTypeFilter.h"
#include "batch/BatchUi.h"
#include "batch/PlacementsFile.h"
#include "batch/SourceSelection.h"
#include "codecs/metadata/KeptMetadata.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"
#include "watermark/text/TextWatermark.h"

namespace stampora {

inline constexpr char kEmptySourceText[] = "Please choose the source directory!";
inline constexpr char kEmptyOutputText[] = "Please choose the output directory!";
inline constexpr char kLeftOutCaption[] = "Left out";

class CBatchJob {
public:
    // Reads the fields, checks them, lists the source directory, watermarks
    // every listed file, opened once, into the output directory (a mark of
    // fixed size is drawn once, for the first picture that can hold it) and
    // closes with "Batch finish!" (with a line for each kind of picture that
    // did not come out whole, if any). PROCESS is disabled while the run goes
    // on. A picture is never written without an active mark that could not
    // be made or stamped.
    //
    // Refused before anything runs: an empty source or output directory (an
    // error message), and an output directory that is the source directory
    // unless the user confirms replacing the originals, and an output
    // directory in which no file can be made (one message with the system's
    // reason, instead of a failure for every picture). A source directory
    // that cannot be listed stops the run without a message; a list without
    // files shows "There is no file!".
    BatchSummary RunBatch(CBatchUi& ui);

    // The fields as last read.
    std::string sourceDirectory;
    std::string outputDirectory;
    BatchTypeFlags typeFlags;
    // Rebuilt from the type flags at every run.
    std::string filterText;
    // The names the last successful listing selected, in processing order.
    std::vector<std::string> fileList;
    int32_t fileCount = 0;

    TextWatermark textMark;
    ImageWatermark imageMark;
    // How each mark adapts to each picture: a size that follows the
    // picture's, its margin, tiling. The defaults stamp the marks as given.
    // A text mark's text is filled in per picture when it names the picture
    // ({name}, {date}, {n}, ...; see MarkText.h).
    MarkFit textFit;
    MarkFit imageFit;

    // Files watermarked at the same time; each worker has its own work
    // picture and all share the two layers. Results do not depend on it.
    int32_t jobs = 1;
    // Bytes the workers' pictures may take at once (0: no limit): a worker
    // waits before decoding a picture that would pass it, and a picture
    // larger than the whole budget is made alone.
    int64_t memoryBudget = 0;
    // Save quality handed to the writers; -1 is each writer's default.
    int32_t quality = -1;

    // What the command-line tool adds; the dialog leaves them as they are.
    // Names of the list may then hold subfolders, made under the output
    // directory as needed.
    SourceSelection selection;
    // Originals may be replaced without asking (the command line's
    // --in-place), also through a link in the output folder that leads to one.
    bool replaceOriginals = false;
    // A picture whose output exists, is newer than it and reads as a whole
    // picture of its format is not made again, so an interrupted run resumes
    // where it stopped.
    bool skipExisting = false;
    // Each JPEG is saved at the quality estimated from its own tables, other
    // pictures at 80; `quality` is then not used.
    bool qualityFromSource = false;
    // What of each source's metadata its copy keeps.
    MetadataKept metadata = MetadataKept::None;
    // A JPEG saved as JPEG keeps its blocks outside the marks
    // (WatermarkJpegBlocks) instead of being decoded and encoded whole.
    bool losslessJpeg = false;
    // Marks the user moved on single pictures, stamped there instead of at
    // their anchors. A name that no picture of the run has is reported.
    Placements placements;
};

}  // namespace stampora
