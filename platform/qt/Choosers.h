#pragma once
// The one way the editor asks the user to pick a file, a folder, a colour or
// a printer. The program installs choosers that open Qt's dialogs; tests
// install ones that answer as told, so no test ever waits on a window.
#include <QColor>
#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace stampora {

class CChoosers {
public:
    virtual ~CChoosers() = default;
    // A file to open; `filters` are Qt name filters joined by ";;".
    virtual std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& title,
                                                  const QString& folder, const QString& filters) = 0;
    // A file to write; choosing an existing file has already been confirmed.
    // The filter the user left selected goes to `chosenFilter`, when given.
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& title,
                                                  const QString& suggestedPath, const QString& filters,
                                                  QString* chosenFilter = nullptr) = 0;
    // A folder; `mayCreate` offers the button that makes a new one.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& start,
                                                bool mayCreate) = 0;
    // A colour, starting from `initial`, with the process-wide custom colours.
    virtual std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) = 0;
    // The print dialog over `printer`, which it sets up as the user chooses;
    // true when the user confirmed it.
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The process-wide choosers: Qt's dialogs unless another set is installed.
CChoosers& CurrentChoosers();
// Installs `choosers` (or, with nullptr, Qt's dialogs again) and answers the
// set it replaces. The caller keeps ownership.
CChoosers* SetChoosers(CChoosers* choosers);

class ScopedChoosers {
public:
    explicit ScopedChoosers(CChoosers& choosers) : previous(SetChoosers(&choosers)) {}
    ~ScopedChoosers() { SetChoosers(previous); }
    ScopedChoosers(const ScopedChoosers&) = delete;
    ScopedChoosers& operator=(const ScopedChoosers&) = delete;

private:
    CChoosers* previous;
};

}  // namespace stampora
