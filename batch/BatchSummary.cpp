#include "batch/BatchSummary.h"

std::string BatchFinishMessage(const BatchSummary& summary) {
    std::string text = kBatchFinishText;
    if (summary.saveFailed == 1) {
        text += "\n1 picture could not be saved.";
    } else if (summary.saveFailed > 1) {
        text += "\n" + std::to_string(summary.saveFailed) + " pictures could not be saved.";
    }
    return text;
}
