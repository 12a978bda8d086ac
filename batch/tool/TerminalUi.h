#pragma once
// The batch run's user interface on a terminal: a progress bar when standard
// error is a terminal, a plain line per file otherwise; messages as text.
#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/BatchUi.h"
#include "batch/options/ToolOptions.h"

namespace stampora {

class CTerminalUi : public CBatchUi {
public:
    CTerminalUi(const ToolOptions& options, std::string outputDirectory);

    bool ReadFields(BatchFields& fields) override;
    void EnableProcess(bool enabled) override;
    void SetProgress(int32_t position) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool ConfirmReplaceOriginals(const std::string& directory) override;
    void FileFinished(const std::string& name, const BatchFileResult& result) override;

private:
    void DrawBar(int32_t position);

    const ToolOptions& options;
    std::string outputDirectory;
    bool drawBar = false;
    bool barShown = false;
    int32_t finished = 0;
    std::string lastName;
};

}  // namespace stampora
