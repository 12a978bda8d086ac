#include "app/edit/RecentPictures.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "platform/IniFile.h"
#include "platform/MessageSink.h"
#include "platform/OutputDirectorySetting.h"

namespace stampora {

namespace {

constexpr char kSection[] = "Recent";

std::string Key(int index) {
    return "Picture" + std::to_string(index + 1);
}

}  // namespace

RecentPictures::RecentPictures(QMenu& menu, QObject* parent) : QObject(parent), menu(menu) {
    const std::string settings = SettingsFilePath();
    for (int i = 0; i < kKept && !settings.empty(); ++i) {
        const std::string path = ReadIniValue(settings, kSection, Key(i)).value_or(std::string());
        if (!path.empty()) paths << QString::fromStdString(path);
    }
    FillMenu();
}

void RecentPictures::Add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    paths.removeAll(full);
    paths.prepend(full);
    while (paths.size() > kKept) paths.removeLast();
    Store();
    FillMenu();
}

void RecentPictures::Choose(const QString& path) {
    if (QFileInfo(path).isFile()) {
        emit Chosen(path);
        return;
    }
    paths.removeAll(path);
    Store();
    FillMenu();
    ShowMessage("\"" + path.toStdString() + "\" is no longer there.\nIt is taken off the recent pictures.",
                "Stampora", MessageIcon::Warning);
}

void RecentPictures::Store() const {
    const std::string settings = SettingsFilePath();
    if (settings.empty()) return;
    // A name an INI line cannot hold (a line break) is simply not kept.
    int stored = 0;
    for (const QString& path : paths) {
        if (WriteIniValue(settings, kSection, Key(stored), path.toStdString())) ++stored;
    }
    for (; stored < kKept; ++stored) {
        if (ReadIniValue(settings, kSection, Key(stored))) WriteIniValue(settings, kSection, Key(stored), "");
    }
}

void RecentPictures::FillMenu() {
    // The old entries go later: one of them may be the one being chosen.
    for (QAction* old : menu.actions()) {
        menu.removeAction(old);
        old->deleteLater();
    }
    for (int i = 0; i < paths.size(); ++i) {
        // "&1 harbour.jpg", the full path as its tip; an ampersand in a name is
        // shown, not taken as a mnemonic.
        QString name = QFileInfo(paths[i]).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = menu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        entry->setStatusTip(paths[i]);
        entry->setToolTip(paths[i]);
        const QString path = paths[i];
        connect(entry, &QAction::triggered, this, [this, path] { Choose(path); });
    }
    menu.setEnabled(!paths.isEmpty());
}

}  // namespace stampora
