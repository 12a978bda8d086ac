#pragma once
// The pictures opened last, newest first, at most eight, kept in the
// settings file's [Recent] section and offered in a menu. A picture that is
// no longer there when chosen is told and taken off the list.
#include <QObject>
#include <QStringList>

class QMenu;

namespace stampora {

class RecentPictures : public QObject {
    Q_OBJECT

public:
    static constexpr int kKept = 8;

    // Fills `menu` with the list as the settings file holds it.
    RecentPictures(QMenu& menu, QObject* parent);

    const QStringList& Paths() const { return paths; }
    // A picture was opened: it goes first.
    void Add(const QString& path);

signals:
    // A picture of the list was chosen and is still there.
    void Chosen(const QString& path);

private:
    void Choose(const QString& path);
    void Store() const;
    void FillMenu();

    QMenu& menu;
    QStringList paths;
};

}  // namespace stampora
