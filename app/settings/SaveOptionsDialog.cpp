#include "app/settings/SaveOptionsDialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OutputOptionsBox.h"
#include "app/settings/SaveOptions.h"
#include "platform/MessageSink.h"
#include "platform/OutputDirectorySetting.h"

namespace stampora {

SaveOptionsDialog::SaveOptionsDialog(QWidget* parent)
    : QDialog(parent),
      options(new OutputOptionsBox(QStringLiteral("Saved copies"), QStringLiteral("As the source"), this)) {
    setWindowTitle(QStringLiteral("Save options -- Setting"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(OkCancelButtons(*this, QStringLiteral("Cancel")));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    options->Show(saveOptions);
}

void SaveOptionsDialog::accept() {
    options->Read(saveOptions);
    if (!WriteSaveOptions(saveOptions)) {
        // The choice still holds for this session, as the output directory's does.
        ShowMessage("The save options could not be stored in " + SettingsFilePath() +
                        ".\nThey are used until Stampora is closed.",
                    "Error", MessageIcon::Error);
    }
    QDialog::accept();
}

}  // namespace stampora
