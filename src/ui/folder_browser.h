#pragma once

#include <string>

class QWidget;

namespace avrtazu {

// The folder chooser of the options pages and the new-file dialog. It asks the installed dialog
// service, so that a host without a user (or a test) answers instead of a window; the desktop
// host's service shows FolderBrowserDialog over the owner.
class FolderBrowser {
public:
    explicit FolderBrowser(QWidget* owner = nullptr) : m_owner(owner) {}

    // Starts at the process's current folder.
    std::string browse();
    // Starts at initialFolder, or at the current folder when it is empty. The result is the
    // chosen folder followed by a backslash, or empty when the user cancelled.
    std::string browse(const std::string& initialFolder);

private:
    QWidget* m_owner;
};

} // namespace avrtazu
