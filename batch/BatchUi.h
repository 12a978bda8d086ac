#pragma once
// What a batch run needs from the user interface that starts it: the batch
// dialog and the command-line tool each provide one.
#include <cstdint>
#include <string>

#include "batch/BatchTypeFilter.h"
#include "batch/copy/WatermarkFile.h"
#include "platform/MessageSink.h"

namespace stampora {

// The fields a run reads: the two directories (UTF-8) and the type boxes.
struct BatchFields {
    std::string sourceDirectory;
    std::string outputDirectory;
    BatchTypeFlags types;
};

class CBatchUi {
public:
    virtual ~CBatchUi() = default;

    // Reads the directory fields and the type check boxes into `fields`.
    // False stops the run before it starts; the interface has already shown
    // the user which field could not be read.
    virtual bool ReadFields(BatchFields& fields) = 0;
    // Enables or disables the PROCESS command while a run is in progress.
    virtual void EnableProcess(bool enabled) = 0;
    // Sets the progress bar, 0 to 100.
    virtual void SetProgress(int32_t position) = 0;
    // Shows a modal message with a plain OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // Asked before a run whose output directory is its source directory, in
    // which every original would be replaced by its watermarked version; true
    // lets the run go ahead.
    virtual bool ConfirmReplaceOriginals(const std::string& directory) = 0;
    // Told of each file in list order, as soon as it and every file before
    // it are done. With several workers the calls come from the workers'
    // threads, one at a time, as do the SetProgress calls between the first
    // and the last file.
    virtual void FileFinished(const std::string& name, const BatchFileResult& result) {
        static_cast<void>(name);
        static_cast<void>(result);
    }
};

}  // namespace stampora
