#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QDialogButtonBox;
class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace avrtazu {

// The folder-browse window the desktop host shows: a tree of folders only, in which OK is
// allowed only on an existing folder that is not a symbolic link (a link is the shortcut of
// this platform). Paths going in and out are Windows paths.
class FolderBrowserDialog : public QDialog {
    Q_OBJECT

public:
    explicit FolderBrowserDialog(QWidget* parent = nullptr, const QString& title = QString());

    // Selects a folder given as a Windows path; an empty text selects the current folder, a
    // folder that is not shown in the tree selects nothing.
    void selectFolder(const std::string& windowsFolder);
    // The selected folder followed by a backslash, or empty while OK is not allowed.
    std::string selectedFolder() const;
    bool okEnabled() const;

    // Shows the dialog at the folder: the chosen folder followed by a backslash, or empty when
    // cancelled.
    std::string browse(const std::string& windowsFolder);

    // Whether OK may take this Linux path: an existing folder that is not a symbolic link.
    static bool acceptsFolder(const QString& linuxPath);
    // A Linux folder as a Windows path with exactly one trailing backslash.
    static std::string windowsFolder(const QString& linuxPath);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateOkButton();
    void showSelected();
    QString selectedLinuxPath() const;

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QDialogButtonBox* m_buttons;
};

} // namespace avrtazu
