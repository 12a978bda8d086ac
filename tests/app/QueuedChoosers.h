#pragma once
// Choosers that answer from queues set up by the test and remember how they
// were asked; an empty queue answers "cancelled".
#include <QPrinter>
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
    std::optional<QString> ChooseSaveFile(QWidget*, const QString&, const QString&, const QString& filters,
                                          QString* chosenFilter) override {
        saveFilters.push_back(filters);
        if (chosenFilter)
            *chosenFilter = filters.section(QStringLiteral(";;"), saveFilterIndex, saveFilterIndex);
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
    // Confirmed, printing to a PDF file, while `printFile` names one.
    bool ChoosePrinter(QWidget*, QPrinter& printer) override {
        ++printerRequests;
        if (printFile.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
        return true;
    }

    std::deque<std::optional<QString>> openFiles, saveFiles, folders;
    std::deque<std::optional<QColor>> colours;
    std::vector<QString> openFilters, saveFilters;
    std::vector<FolderRequest> folderRequests;
    std::vector<QColor> colourInitials;
    int saveFilterIndex = 0;  // which of the save filters the user leaves selected
    int printerRequests = 0;
    QString printFile;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        std::optional<T> answer;
        if (queue.empty()) return answer;
        answer.swap(queue.front());
        queue.pop_front();
        return answer;
    }
};
