#include "app/AboutDialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "app/ProgramIcon.h"

namespace stampora {

namespace {

QLabel* LinkLabel(const QString& text, const QString& address) {
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(address, text));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label,
                     [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Stampora"));
    auto* icon = new QLabel;
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Stampora Image Editor v1.0"));
    QLabel* homepage = LinkLabel(QStringLiteral("Homepage"), QString::fromLatin1(kHomepage));
    homepage->setObjectName(QStringLiteral("homepage"));
    QLabel* feedback = LinkLabel(QStringLiteral("Feedback"), QString::fromLatin1(kFeedback));
    feedback->setObjectName(QStringLiteral("feedback"));

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("HELP"));
    help->setObjectName(QStringLiteral("id57670"));
    help->setAutoDefault(false);
    // The help shortcut is found in the working directory; the box stays open.
    connect(help, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromLatin1(kHelpFile))));
    });

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(name, 0, 1);
    layout->addWidget(homepage, 1, 1);
    layout->addWidget(feedback, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(help);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    setMinimumWidth(300);
}

}  // namespace stampora
