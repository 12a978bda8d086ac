#pragma once
// "About Stampora": the icon, the program's name and version, links to the
// homepage and to feedback by mail, OK and HELP (which opens the online help
// shortcut in the working directory).
#include <QDialog>

namespace stampora {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static constexpr const char* kHomepage = "https://stampora.org/";
    static constexpr const char* kFeedback = "mailto:feedback@stampora.org";
    static constexpr const char* kHelpFile = "Stampora Online Help.url";
};

}  // namespace stampora
