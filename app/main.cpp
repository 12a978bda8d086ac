// The editor: one main window; a picture named on the command line (as a file
// manager's "Open with" passes it) is opened at start-up, and a preset given
// with --preset FILE supplies the marks and save options first.
#include <QApplication>
#include <QStringList>

#include "app/MainFrame.h"
#include "app/ProgramIcon.h"
#include "platform/qt/QtMessageSink.h"

using namespace stampora;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stampora"));
    QApplication::setDesktopFileName(QStringLiteral("stampora"));
    QApplication::setWindowIcon(ProgramIcon());

    QtMessageSink messageBoxes;
    ScopedMessageSink sink(messageBoxes);

    MainFrame frame;
    const QStringList arguments = QApplication::arguments();
    QString picture;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QStringLiteral("--preset") && i + 1 < arguments.size()) {
            frame.LoadPresetPath(arguments.at(++i));
        } else if (argument.startsWith(QStringLiteral("--preset="))) {
            frame.LoadPresetPath(argument.mid(9));
        } else if (picture.isEmpty()) {
            picture = argument;
        }
    }
    frame.ShowMaximisedAndFixed(picture);
    return QApplication::exec();
}
