#pragma once

#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace avrtazu {

class Project;

// The "Compiler" page of the project options sheet: the compiler switches of the active
// configuration. The values wait in members between the controls and the project, so nothing
// reaches the project before the sheet's OK harvests the page.
//
// Controls carry the name of the setting they edit as objectName: "strictCheckings",
// "extension", "intSizeEnum", "macroDefinitions", "undefines", "outputFormat",
// "codeCompression", "globalOptimizations", "ecasb".
class CCompilerOption : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Compiler";
    static constexpr const char* kHelpTopic = "Compiler Options";
    static constexpr const char* kOutputFormats[] = {"HEX/COFF", "COFF", "Intel HEX"};

    explicit CCompilerOption(Project& project, QWidget* parent = nullptr);

    // Reads the nine values of the active configuration into the members.
    void updateControlDataFromProject();
    // Writes the members into the project; nothing before the page was first shown.
    void harvestDataFromControls(Project& project);
    // The page became the sheet's visible page (the sheet calls it); the first call also fills
    // the page.
    void onSetActive();
    // While set, the next activation makes the page read-only.
    void setExternalMakefile(bool uses) { m_externalMakefile = uses; }
    bool externalMakefile() const { return m_externalMakefile; }
    bool isInitialised() const { return m_initialised; }

private:
    void buildControls();
    void initDialog();
    void membersToControls();
    void controlsToMembers();

    Project& m_project;

    QCheckBox* m_strictCheckingsBox = nullptr;
    QCheckBox* m_extensionBox = nullptr;
    QCheckBox* m_intSizeEnumBox = nullptr;
    QLineEdit* m_macroDefinitionsEdit = nullptr;
    QLineEdit* m_undefinesEdit = nullptr;
    QComboBox* m_outputFormatList = nullptr;
    QCheckBox* m_codeCompressionBox = nullptr;
    QCheckBox* m_globalOptimizationsBox = nullptr;
    QLineEdit* m_ecasbEdit = nullptr;

    int m_strictCheckings = 0;
    int m_extension = 0;
    int m_intSizeEnum = 0;
    int m_codeCompression = 0;
    int m_globalOptimizations = 0;
    std::string m_macroDefinitions;
    std::string m_undefines;
    std::string m_outputFormat;
    std::string m_ecasb;

    bool m_externalMakefile = false;
    bool m_initialised = false;
    std::string m_loadedConfiguration;
    // Above zero while the page writes its own controls: those changes are no user input.
    int m_exchanging = 0;
};

} // namespace avrtazu
