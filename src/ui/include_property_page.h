#pragma once

#include <QWidget>

#include <exception>
#include <string>
#include <vector>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace avrtazu {

class Project;

// The "Paths" page of the options sheet: the include, assembler include and library
// directories of the active configuration. Entries are shown as chosen and stored relative to
// the project directory when they lie below it.
class CIncludePropertyPage : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kNoteText =
        "NOTE: The compiler driver automatically adds <install root>\\include as the \r\n"
        "default include path and <install root>\\lib as the default library path. You do not \r\n"
        "need to add them to the respective edit boxes above.\r\n"
        "\r\n"
        "You may enter multiple paths in the \"Include Paths\" and the \\Library Paths\" \r\n"
        "fields.";

    explicit CIncludePropertyPage(Project& project, QWidget* parent = nullptr);

    // Refills the three lists from the project's active configuration.
    void updateControlDataFromProject();
    // Writes the lists into project; does nothing until the page has been shown.
    void harvestDataFromControls(Project& project);
    // Called each time the page becomes the visible page.
    void onSetActive();
    // Set by the sheet while the General page's "Use external Makefile" is checked.
    void setExternalMakefile(bool external) { m_externalMakefile = external; }
    bool externalMakefile() const { return m_externalMakefile; }

    bool isInitialised() const { return m_initialised; }

private:
    struct DirectoryList {
        QListWidget* list;
        QPushButton* addButton;
        QPushButton* removeButton;
    };

    void onInitDialog();
    void fillList(QListWidget* list, const std::vector<std::string>& entries);
    void addFolder(QListWidget* list);
    static void removeSelected(QListWidget* list);
    static std::vector<std::string> entries(const QListWidget* list);

    Project& m_project;
    bool m_externalMakefile = false;
    bool m_initialised = false;
    std::string m_loadedConfiguration;

    DirectoryList m_includes{};
    DirectoryList m_asmIncludes{};
    DirectoryList m_libraries{};
    QPlainTextEdit* m_noteText;
};

} // namespace avrtazu
