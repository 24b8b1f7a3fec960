#pragma once

#include <QDialog>

#include <string>

class QDialogButtonBox;
class QTabWidget;

namespace avrtazu {

class CCompilerOption;
class CGeneralPropertyPage;
class CIncludePropertyPage;
class CTargetOptionDlg;
class Project;

// The modal options sheet: the General, Paths, Compiler and Target pages on tabs, with OK,
// Cancel and Help. The pages write into the live project; undoing a cancelled sheet is the
// caller's job (it keeps a copy).
class CProjectPropertiesSheet : public QDialog {
    Q_OBJECT

public:
    enum Page { GeneralPage = 0, PathsPage = 1, CompilerPage = 2, TargetPage = 3, PageCount = 4 };

    static constexpr const char* kHelpRequest =
        "<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>%s</TOPIC></SHOW_HELP>";

    // newProject goes to the Target page, which then shows the device's table values.
    CProjectPropertiesSheet(Project& project, bool newProject, QWidget* parent = nullptr);

    // Runs the sheet through the modal runner: QDialog::Accepted or QDialog::Rejected.
    int DoModal();

    // The General page's "Use external Makefile" state, for the pages that follow it.
    void setExternalMakefile(bool external);

    int activePageIndex() const;
    // Makes a page the visible one, as a click on its tab does.
    void setActivePage(int index);

    // The help topic of a page, empty for an index that names none.
    static std::string helpTopic(int pageIndex);

    QTabWidget& tabWidget() const { return *m_tabs; }
    CGeneralPropertyPage& generalPage() const { return *m_generalPage; }
    CIncludePropertyPage& includePage() const { return *m_includePage; }
    CCompilerOption& compilerPage() const { return *m_compilerPage; }
    CTargetOptionDlg& targetPage() const { return *m_targetPage; }

    // OK: remembers the active page, then each page writes into the project.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();
    void activatePage(int index);
    void onHelp();

    Project& m_project;
    bool m_started = false;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    CGeneralPropertyPage* m_generalPage;
    CIncludePropertyPage* m_includePage;
    CCompilerOption* m_compilerPage;
    CTargetOptionDlg* m_targetPage;
};

} // namespace avrtazu
