#pragma once
// "Output directory -- Setting": shows where Save writes, lets the user pick
// another folder, and on OK stores it in config.ini and in outputDirectory.
#include <QDialog>
#include <string>

class QLineEdit;

namespace stampora {

class OutputDirectoryDialog : public QDialog {
    Q_OBJECT

public:
    explicit OutputDirectoryDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    void Change();

    QLineEdit* directoryBox;
    // The value put into the box at opening or by the last Change; the
    // folder chooser starts there.
    QString value;
};

}  // namespace stampora
