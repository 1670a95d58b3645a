// The drive list and the directory list of this desktop: the mounted volumes,
// and a classic directory list (the path's ancestors, the folder itself and
// its subfolders, one indented line each) that reads the disk itself.
#pragma once

#include <QComboBox>
#include <QHash>
#include <QListWidget>
#include <QStringList>

namespace FolderLists {

// The volume a path lies on: the longest volume root that contains it; ""
// when none does. Paths are compared whole component by component.
QString VolumeOf(const QString& path, const QStringList& volumes);
// The visible subfolders of a folder, sorted by name (hidden ones, whose name
// starts with ".", left out). On failure returns false with the system's
// error text for the folder.
bool ReadSubfolders(const QString& folder, QStringList* names, QString* error);
// The folder and its ancestors, root first: "/a/b" gives "/", "/a", "/a/b".
QStringList Ancestors(const QString& path);

}  // namespace FolderLists

// The mounted volumes, root first; one of them is the selected drive.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    void setVolumes(const QStringList& volumes);
    QStringList volumes() const { return m_volumes; }
    QString drive() const;
    // Selects a volume; emits driveChanged when the selection changed.
    void setDrive(const QString& root);
    // Selects a volume without telling anyone (the list follows the
    // directory list onto another volume).
    void showDrive(const QString& root);

signals:
    void driveChanged();

private:
    QStringList m_volumes;
};

// A directory list: its path is one folder; the lines above it are the
// folder's ancestors, the lines below it its subfolders. Double-click or
// Enter on a line opens that folder.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kPathRole = Qt::UserRole + 1;
    static constexpr int kLevelRole = Qt::UserRole + 2;

    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Reads the folder and shows it. Emits pathChanged when the path is a new
    // one. A folder that cannot be read changes nothing and gives the
    // system's error text.
    bool setPath(const QString& path, QString* error);
    // Points the list at a volume: the folder last shown on it, else its root.
    bool setDrive(const QString& root, QString* error);
    void setVolumes(const QStringList& volumes) { m_volumes = volumes; }
    // Opens the folder on a line, as a double-click does.
    void openItem(QListWidgetItem* item);

signals:
    void pathChanged();
    // A folder the user opened could not be read.
    void openFailed(const QString& error);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_path;
    QStringList m_volumes;
    QHash<QString, QString> m_lastOnVolume;
};
