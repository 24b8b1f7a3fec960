#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace avrtazu {

class Project;

// The "Target" page of the project options sheet: the device of the active configuration, its
// memory layout and core switches, boot loader, FPSLIC partition, external SRAM, printf
// variant and the advanced linker settings. Picking a listed device copies its row of the
// device table into the fields and locks them; "Custom" leaves them to the user.
//
// Each control's objectName is the configuration setting it edits: "part", "programMemory",
// "dataMemory", "eeprom", "textAddressWord", "dataAddressByte", "useLongCallJmp",
// "enhancedCore", "ioRegsOffsetInternalSram", "useRampzElpm", "bootSize", "fpslicMemory",
// "sram", "avrstudioIO", "additionalLib", "stringsInFlashOnly", "returnStackSize",
// "nonDefaultStartup", "unusedRomFillBytes", "otherOptions", "doNotUseR20ToR23"; besides
// them "bootLoaderOptionsGroup", "programTypeGroup", "application", "bootLoader",
// "bootSizeLabel", "fpslicMemoryLabel", "printfVersionGroup", "printfSmall", "printfLong",
// "printfFloat" and "notes".
class CTargetOptionDlg : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Target";
    static constexpr const char* kHelpTopic = "Target Options";
    static constexpr const char* kSupportedPartsFile = "AvrStudioPlugin\\tazusupportedparts.txt";
    static constexpr const char* kSramChoices[] = {
        "Internal SRAM", "External 32K SRAM", "External 64K SRAM",
        "External 32K SRAM w/ wait state", "External 64K SRAM w/ wait state"};
    static const char* const kNotesText;

    // newProject: the host has just created the project, so a listed device shows its table
    // values instead of the stored ones.
    CTargetOptionDlg(Project& project, bool newProject, QWidget* parent = nullptr);

    void updateControlDataFromProject();
    // Writes every field into the project; nothing before the page was first shown.
    void harvestDataFromControls(Project& project);
    // The page became the sheet's visible page (the sheet calls it); the first call reads the
    // supported-parts file and fills the page.
    void onSetActive();
    // While set, the next activation makes the page read-only.
    void setExternalMakefile(bool uses) { m_externalMakefile = uses; }
    bool externalMakefile() const { return m_externalMakefile; }
    bool isInitialised() const { return m_initialised; }

    // Used instead of the supported-parts file when given before the page is first shown.
    void setSupportedParts(std::vector<std::string> parts);
    // The host installation directory (with its trailing backslash) used when no host can be
    // asked, as in tests and tools; empty gives up the fallback.
    static void setStudioDirectoryFallback(const std::string& directory);
    // Where the device list comes from: the host's directory followed by kSupportedPartsFile.
    static std::string supportedPartsPath();

    // The device-table row the device list stands for. The list is taken by position; with no
    // selection, or an entry that does not name the table row at its position, the device is
    // treated as "Custom" (row 0), so no row outside the table is ever read.
    int selectedRow() const;
    int programTypeChoice() const { return m_programType; }
    int printfChoice() const { return m_printfVersion; }

private:
    void buildControls();
    QWidget* buildDeviceGroup();
    QWidget* buildBootLoaderGroup();
    QWidget* buildOtherOptions();
    void connectControls();

    void initDialog();
    void fillDeviceList();
    void fillControls();
    void deviceSelectionChanged();
    void onDeviceSelected();
    void onFpslicSelected();
    void onNotes();
    void showPartition(const std::string& deviceName);
    void applyEnablingRules();
    void disableEverything();
    void choicesToControls();
    void choicesFromControls();
    int rowForEntry(int index) const;

    Project& m_project;
    bool m_newProject = false;
    int m_programType = 0;
    int m_printfVersion = 0;
    bool m_externalMakefile = false;
    bool m_initialised = false;
    std::string m_loadedConfiguration;
    std::optional<std::vector<std::string>> m_injectedParts;
    // Above zero while the page writes its own controls: those changes are no user input.
    int m_exchanging = 0;

    QComboBox* m_deviceList = nullptr;
    QLineEdit* m_programMemory = nullptr;
    QLineEdit* m_dataMemory = nullptr;
    QLineEdit* m_eeprom = nullptr;
    QLineEdit* m_textAddressWord = nullptr;
    QLineEdit* m_dataAddressByte = nullptr;
    QCheckBox* m_useLongCallJmp = nullptr;
    QCheckBox* m_enhancedCore = nullptr;
    QCheckBox* m_ioRegsOffsetInternalSram = nullptr;
    QCheckBox* m_useRampzElpm = nullptr;
    QGroupBox* m_bootLoaderGroup = nullptr;
    QGroupBox* m_programTypeGroup = nullptr;
    QRadioButton* m_application = nullptr;
    QRadioButton* m_bootLoader = nullptr;
    QButtonGroup* m_programTypeButtons = nullptr;
    QLabel* m_bootSizeLabel = nullptr;
    QComboBox* m_bootSizeList = nullptr;
    QLabel* m_fpslicLabel = nullptr;
    QComboBox* m_fpslicList = nullptr;
    QComboBox* m_sramList = nullptr;
    QRadioButton* m_printfSmall = nullptr;
    QRadioButton* m_printfLong = nullptr;
    QRadioButton* m_printfFloat = nullptr;
    QButtonGroup* m_printfButtons = nullptr;
    QCheckBox* m_avrstudioIO = nullptr;
    QLineEdit* m_additionalLib = nullptr;
    QCheckBox* m_stringsInFlashOnly = nullptr;
    QLineEdit* m_returnStackSize = nullptr;
    QLineEdit* m_nonDefaultStartup = nullptr;
    QLineEdit* m_unusedRomFillBytes = nullptr;
    QLineEdit* m_otherOptions = nullptr;
    QCheckBox* m_doNotUseR20ToR23 = nullptr;
    QPushButton* m_notes = nullptr;
};

} // namespace avrtazu
