#pragma once
// Choosers that answer from queues set up by the test and remember how they
// were asked; an empty queue answers "cancelled".
#include <deque>
#include <optional>
#include <vector>

#include "platform/qt/Choosers.h"

using namespace stampora;

struct FolderRequest {
    QString title;
    QString start;
    bool mayCreate;
};

class QueuedChoosers : public CChoosers {
public:
    std::optional<QString> ChooseOpenFile(QWidget*, const QString&, const QString&,
                                          const QString& filters) override {
        openFilters.push_back(filters);
        return Next(openFiles);
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const QString&, const QString&,
                                          const QString& filters) override {
        saveFilters.push_back(filters);
        return Next(saveFiles);
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString& title, const QString& start,
                                        bool mayCreate) override {
        folderRequests.push_back({title, start, mayCreate});
        return Next(folders);
    }
    std::optional<QColor> ChooseColour(QWidget*, const QColor& initial) override {
        colourInitials.push_back(initial);
        return Next(colours);
    }
    bool ChoosePrinter(QWidget*) override {
        ++printerRequests;
        return false;
    }

    std::deque<std::optional<QString>> openFiles, saveFiles, folders;
    std::deque<std::optional<QColor>> colours;
    std::vector<QString> openFilters, saveFilters;
    std::vector<FolderRequest> folderRequests;
    std::vector<QColor> colourInitials;
    int printerRequests = 0;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<T> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
