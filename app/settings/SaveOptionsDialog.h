#pragma once
// "Save options -- Setting": how Save and Save As write the copy. On OK the
// options are stored in config.ini and put in force.
#include <QDialog>

namespace stampora {

class OutputOptionsBox;

class SaveOptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit SaveOptionsDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    OutputOptionsBox* options;
};

}  // namespace stampora
