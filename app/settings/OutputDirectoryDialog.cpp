#include "app/settings/OutputDirectoryDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogControls.h"
#include "app/settings/OutputDirectory.h"
#include "platform/MessageSink.h"
#include "platform/OutputDirectorySetting.h"
#include "platform/qt/Choosers.h"

namespace stampora {

OutputDirectoryDialog::OutputDirectoryDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Output directory -- Setting"));
    auto* explanation = new QLabel(QStringLiteral(
        "In order to avoid the original picture is modified, when the save, the file will\n be automatically "
        "saved to the output directory!"));
    auto* group = new QGroupBox(QStringLiteral("Output directory"));
    auto* label = new QLabel(QStringLiteral("The picture will be stored in the directory"));
    directoryBox = new QLineEdit;
    directoryBox->setObjectName(QStringLiteral("id1022"));
    directoryBox->setMinimumWidth(320);
    auto* change = new QPushButton(QStringLiteral("Change"));
    change->setObjectName(QStringLiteral("id102"));
    change->setAutoDefault(false);
    connect(change, &QPushButton::clicked, this, &OutputDirectoryDialog::Change);

    auto* row = new QHBoxLayout;
    row->addWidget(directoryBox, 1);
    row->addWidget(change);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(label);
    groupLayout->addLayout(row);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(group);
    layout->addWidget(OkCancelButtons(*this, QStringLiteral("Cancel")));

    // What config.ini holds, or the directory in use when it holds nothing.
    const std::string stored = StoredOutputDirectory();
    value = QString::fromStdString(stored.empty() ? outputDirectory : stored);
    directoryBox->setText(value);
}

void OutputDirectoryDialog::Change() {
    const auto chosen =
        CurrentChoosers().ChooseFolder(this, QStringLiteral("Browse the save directory"), value, true);
    if (!chosen || chosen->isEmpty()) return;
    value = *chosen;
    directoryBox->setText(value);
}

void OutputDirectoryDialog::accept() {
    value = directoryBox->text();
    const std::string directory = value.toStdString();
    if (!WriteOutputDirectory(directory)) {
        // The choice still holds for this session; the user learns that the
        // next start will not remember it.
        ShowMessage("The output directory could not be stored in " + SettingsFilePath() +
                        ".\nIt is used until Stampora is closed.",
                    "Error", MessageIcon::Error);
    }
    outputDirectory = directory;
    QDialog::accept();
}

}  // namespace stampora
