// The editor: one main window; a picture named on the command line (as a file
// manager's "Open with" passes it) is opened at start-up.
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
    frame.ShowMaximisedAndFixed(arguments.size() > 1 ? arguments.at(1) : QString());
    return QApplication::exec();
}
