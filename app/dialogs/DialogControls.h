#pragma once
// Building blocks the dialogs share: controls named by their numeric ids,
// numeric edits, a field made of an edit and what follows it, and the OK and
// CANCEL pair.
#include <QString>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QWidget;

namespace stampora {

// Gives the control its id as object name ("id1022") and answers it.
template <typename Control>
Control* Named(Control* control, int id) {
    control->setObjectName(QStringLiteral("id%1").arg(id));
    return control;
}

// The same for a control beside the design's, which has a name, not an id.
template <typename Control>
Control* Named(Control* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLineEdit* NumberEdit(int id, int width, QWidget* parent);

// The edit with its unit or its arrow pair right after it, as one field.
QWidget* FieldWith(QLineEdit* edit, QWidget* after, QWidget* parent);

// "OK" (id 1, the default button) accepting and "CANCEL" (id 2) rejecting;
// the settings dialogs label the second "Cancel".
QDialogButtonBox* OkCancelButtons(QDialog& dialog, const QString& cancelText = QStringLiteral("CANCEL"));

}  // namespace stampora
