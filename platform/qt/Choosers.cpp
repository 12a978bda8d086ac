#include "platform/qt/Choosers.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace stampora {

namespace {

class QtDialogChoosers : public CChoosers {
public:
    std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& filters) override {
        const QString path = QFileDialog::getOpenFileName(parent, title, folder, filters);
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }

    std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                                          const QString& filters, QString* chosenFilter) override {
        const QString path =
            QFileDialog::getSaveFileName(parent, title, suggestedPath, filters, chosenFilter);
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }

    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& start,
                                        bool mayCreate) override {
        QFileDialog dialog(parent, title, start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        // A read-only chooser offers no way to make a new folder.
        dialog.setOption(QFileDialog::ReadOnly, !mayCreate);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }

    std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial) override {
        EnsureCustomColours();
        const QColor colour = QColorDialog::getColor(initial, parent);
        return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
    }

    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override {
        QPrintDialog dialog(&printer, parent);
        // One picture: no page range, no selection.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        return dialog.exec() == QDialog::Accepted;
    }

private:
    // The chooser's 16 custom colours belong to the process and start white.
    static void EnsureCustomColours() {
        static const bool initialised = [] {
            for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::white);
            return true;
        }();
        (void)initialised;
    }
};

QtDialogChoosers qtChoosers;
CChoosers* installed = nullptr;

}  // namespace

CChoosers& CurrentChoosers() {
    return installed ? *installed : qtChoosers;
}

CChoosers* SetChoosers(CChoosers* choosers) {
    CChoosers* previous = installed;
    installed = choosers;
    return previous;
}

}  // namespace stampora
