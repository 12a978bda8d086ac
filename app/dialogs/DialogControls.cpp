#include "app/dialogs/DialogControls.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/DialogIds.h"

namespace stampora {

QLineEdit* NumberEdit(int id, int width, QWidget* parent) {
    auto* edit = Named(new QLineEdit(parent), id);
    edit->setFixedWidth(width);
    return edit;
}

QWidget* FieldWith(QLineEdit* edit, QWidget* after, QWidget* parent) {
    auto* field = new QWidget(parent);
    auto* layout = new QHBoxLayout(field);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit);
    layout->addWidget(after);
    layout->addStretch();
    return field;
}

QDialogButtonBox* OkCancelButtons(QDialog& dialog, const QString& cancelText) {
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok =
        Named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), ButtonId::kOk);
    Named(buttons->addButton(cancelText, QDialogButtonBox::RejectRole), ButtonId::kCancel);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

}  // namespace stampora
