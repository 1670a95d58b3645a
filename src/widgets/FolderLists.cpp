#include "FolderLists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <dirent.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>

namespace FolderLists {

namespace {

QString Normalized(const QString& path) { return QDir::cleanPath(QDir(path).absolutePath()); }

bool Contains(const QString& root, const QString& path) {
    if (root == QStringLiteral("/")) return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

}  // namespace

QString VolumeOf(const QString& path, const QStringList& volumes) {
    const QString clean = Normalized(path);
    QString best;
    for (const QString& v : volumes) {
        const QString root = QDir::cleanPath(v);
        if (Contains(root, clean) && root.size() > best.size()) best = v;
    }
    return best;
}

bool ReadSubfolders(const QString& folder, QStringList* names, QString* error) {
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir) {
        const int err = errno;
        if (error) *error = QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(err)));
        return false;
    }
    QStringList found;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.startsWith(u'.')) continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray child = encoded + (encoded.endsWith('/') ? "" : "/") + entry->d_name;
            isDir = ::stat(child.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir) found << name;
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    *names = found;
    return true;
}

QStringList Ancestors(const QString& path) {
    const QString clean = Normalized(path);
    QStringList out{QStringLiteral("/")};
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString walked;
    for (const QString& part : parts) {
        walked += u'/' + part;
        out << walked;
    }
    return out;
}

}  // namespace FolderLists

using namespace FolderLists;

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit driveChanged(); });
}

void DriveListBox::setVolumes(const QStringList& volumes) {
    const QSignalBlocker quiet(this);
    m_volumes = volumes;
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& v : volumes) addItem(icon, v);
}

QString DriveListBox::drive() const {
    return currentIndex() >= 0 ? m_volumes.value(currentIndex()) : QString();
}

void DriveListBox::setDrive(const QString& root) { setCurrentIndex(int(m_volumes.indexOf(root))); }

void DriveListBox::showDrive(const QString& root) {
    const QSignalBlocker quiet(this);
    setDrive(root);
}

namespace {

// Indents each line by its level, as a classic directory list draws it.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(indent(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(option, index);
        return size;
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(DirListBox::kLevelRole).toInt() * option.fontMetrics.height() * 3 / 4;
    }
};

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
}

bool DirListBox::setPath(const QString& path, QString* error) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList subfolders;
    if (!ReadSubfolders(clean, &subfolders, error)) return false;

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = Ancestors(clean);
    for (int level = 0; level < chain.size(); ++level) {
        const QString& p = chain[level];
        auto* item = new QListWidgetItem(open, level == 0 ? p : p.section(u'/', -1), this);
        item->setData(kPathRole, p);
        item->setData(kLevelRole, level);
    }
    QListWidgetItem* current = item(int(chain.size()) - 1);
    const QString prefix = clean == QStringLiteral("/") ? clean : clean + u'/';
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, name, this);
        item->setData(kPathRole, prefix + name);
        item->setData(kLevelRole, int(chain.size()));
    }
    // From the top, as far as the folder itself stays in view.
    setCurrentItem(current);
    scrollToTop();
    scrollToItem(current, QAbstractItemView::EnsureVisible);

    const QString volume = VolumeOf(clean, m_volumes);
    if (!volume.isEmpty()) m_lastOnVolume.insert(volume, clean);
    if (clean == m_path) return true;
    m_path = clean;
    emit pathChanged();
    return true;
}

bool DirListBox::setDrive(const QString& root, QString* error) {
    return setPath(m_lastOnVolume.value(root, root), error);
}

void DirListBox::openItem(QListWidgetItem* item) {
    if (!item) return;
    QString error;
    if (!setPath(item->data(kPathRole).toString(), &error)) emit openFailed(error);
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
