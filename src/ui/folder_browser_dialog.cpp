#include "ui/folder_browser_dialog.h"

#include "platform/drive_map.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace avrtazu {

namespace {

// The file system model sorts rows that arrive a moment after they come.
constexpr int kSortTime = 50;

} // namespace

FolderBrowserDialog::FolderBrowserDialog(QWidget* parent, const QString& title)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(title.isEmpty() ? QStringLiteral("Browse For Folder") : title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setRootPath(QDir::rootPath());
    m_tree->setModel(m_model);
    // Name only: size, kind and date say nothing about a folder worth choosing.
    for (int column = 1; column < m_model->columnCount(); ++column) {
        m_tree->hideColumn(column);
    }
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_tree);
    layout->addWidget(m_buttons);
    resize(360, 420);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { updateOkButton(); });
    // The folders load in the background: the selected one comes into view as they arrive.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        // After the model has sorted the new rows.
        if (selectedLinuxPath().startsWith(folder)) {
            QTimer::singleShot(kSortTime, this, [this] { showSelected(); });
        }
    });
    updateOkButton();
}

void FolderBrowserDialog::showSelected() {
    if (m_tree->currentIndex().isValid()) {
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

void FolderBrowserDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showSelected();
}

void FolderBrowserDialog::selectFolder(const std::string& windowsFolder) {
    QString linuxPath =
        windowsFolder.empty()
            ? QDir::currentPath()
            : QFile::decodeName(QByteArray::fromStdString(DriveMap::toLinux(windowsFolder)));
    // The model knows folders without a trailing slash, except the root.
    while (linuxPath.size() > 1 && linuxPath.endsWith(QLatin1Char('/'))) {
        linuxPath.chop(1);
    }
    const QModelIndex index = linuxPath.isEmpty() ? QModelIndex() : m_model->index(linuxPath);
    m_tree->setCurrentIndex(index);
    if (index.isValid()) {
        m_tree->expand(index);
        showSelected();
    }
    updateOkButton();
}

QString FolderBrowserDialog::selectedLinuxPath() const {
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

std::string FolderBrowserDialog::selectedFolder() const {
    const QString path = selectedLinuxPath();
    return acceptsFolder(path) ? windowsFolder(path) : std::string();
}

bool FolderBrowserDialog::okEnabled() const {
    return m_buttons->button(QDialogButtonBox::Ok)->isEnabled();
}

std::string FolderBrowserDialog::browse(const std::string& windowsFolder) {
    selectFolder(windowsFolder);
    if (exec() != QDialog::Accepted) {
        return std::string();
    }
    return selectedFolder();
}

bool FolderBrowserDialog::acceptsFolder(const QString& linuxPath) {
    if (linuxPath.isEmpty()) {
        return false;
    }
    const QFileInfo info(linuxPath);
    return info.isDir() && !info.isSymLink();
}

std::string FolderBrowserDialog::windowsFolder(const QString& linuxPath) {
    std::string folder = DriveMap::toWindows(QFile::encodeName(linuxPath).toStdString());
    while (folder.size() > 1 && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder + '\\';
}

void FolderBrowserDialog::updateOkButton() {
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(acceptsFolder(selectedLinuxPath()));
}

} // namespace avrtazu
