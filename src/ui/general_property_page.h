#pragma once

#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace avrtazu {

class CProjectPropertiesSheet;
class Project;

// The "General" page of the options sheet: the active configuration, the external Makefile and
// the output file. The check box is written into the project at once, so the other pages can
// follow it while the sheet is open.
class CGeneralPropertyPage : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kRulesText =
        "1. Target name must equal project name.\r\n"
        "2. Clean/rebuild support requires  \"clean\" target.\r\n"
        "3. Makefile and target must exist in the same folder";

    // The sheet receives the external-Makefile state; it may be null for a page on its own.
    CGeneralPropertyPage(Project& project, CProjectPropertiesSheet* sheet,
                         QWidget* parent = nullptr);

    // Fills the controls from the project's active configuration.
    void updateControlDataFromProject();
    // Writes the controls into project; does nothing until the page has been shown.
    void harvestDataFromControls(Project& project);
    // Called each time the page becomes the visible page; fills it the first time.
    void onSetActive();

    bool isInitialised() const { return m_initialised; }
    // The texts that follow their edit boxes.
    const std::string& outputFileNameText() const { return m_outputFileName; }
    const std::string& outputDirectoryText() const { return m_outputDir; }

private:
    void onInitDialog();
    void applyExternalMakefileState();
    void onConfigurationSelected(int index);
    void onEditConfigurations();
    void onBrowseMakefile();
    void onBrowseOutputDirectory();

    Project& m_project;
    CProjectPropertiesSheet* m_sheet;
    bool m_initialised = false;
    std::string m_outputFileName;
    std::string m_outputDir;

    QComboBox* m_configurationCombo;
    QPushButton* m_editConfigurationsButton;
    QCheckBox* m_useExternalMakefileCheck;
    QLineEdit* m_externalMakefileEdit;
    QPushButton* m_externalMakefileBrowseButton;
    QPlainTextEdit* m_rulesText;
    QLineEdit* m_outputFileNameEdit;
    QLineEdit* m_outputDirectoryEdit;
    QPushButton* m_outputDirectoryBrowseButton;
};

} // namespace avrtazu
