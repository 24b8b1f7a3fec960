#include "services/plug_in_utility.h"

#include "ui/target_option_dlg.h"

#include "model/device_catalog.h"
#include "model/project.h"
#include "platform/dialog_service.h"
#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"
#include "ui/inconsistency_report.h"
#include "ui/text_conversion.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdlib>
#include <exception>
#include <initializer_list>
#include <utility>

namespace avrtazu {

const char* const CTargetOptionDlg::kNotesText =
    "NOTES:\n\nM128 Note: If you select ATMega128 as your target device, please be sure\nto "
    "unset the M103C fuse that is programmed by default from Atmel. Otherwise,\nthe SRAM range "
    "is incorrect and your programs will not operate correctly.\n\nEEPROM note: AT90S, M103 and "
    "the AT86RF devices have a defect with using\nEEPROM location zero. When you select those "
    "devices, the IDE generates linker\ncommand that avoids using location zero.\n\nExternal "
    "SRAM note: Please only select the external SRAM option if you want\nthe compiler to use "
    "the SRAM for data storage (variables etc.). If your\nprogram manages the SRAM explicitly, "
    "do NOT select the external SRAM option.\nMemory mapped devices can be set up using the "
    "Periwright.\n";

namespace {

// The only listed device whose program memory the user types in.
constexpr const char* kEditableProgramMemoryDevice = "AT43USB320";
// Above this program memory size the enhanced core reaches the upper flash through RAMPZ.
constexpr long long kRampzThreshold = 0x10000;

std::string& studioDirectoryFallback() {
    static std::string directory;
    return directory;
}

// Counts the page's own writes to its controls, so that their change signals are no input.
class Exchange {
public:
    explicit Exchange(int& depth) : m_depth(depth) { ++m_depth; }
    ~Exchange() { --m_depth; }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

private:
    int& m_depth;
};

QLineEdit* makeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QCheckBox* makeCheckBox(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QRadioButton* makeRadio(const char* text, const char* name, QButtonGroup* group, int id,
                        QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromLatin1(text), parent);
    radio->setObjectName(QString::fromLatin1(name));
    group->addButton(radio, id);
    return radio;
}

QComboBox* makeList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

bool equalsIgnoringCase(const QString& a, const std::string& b) {
    return a.compare(qtText(b), Qt::CaseInsensitive) == 0;
}

// The entry equal to the text, letter case ignored; -1 when there is none.
int findEntry(const QComboBox& list, const std::string& text) {
    return list.findText(qtText(text), Qt::MatchFixedString);
}

void selectFirst(QComboBox& list) {
    list.setCurrentIndex(list.count() > 0 ? 0 : -1);
}

void selectOrFirst(QComboBox& list, const std::string& text) {
    const int entry = findEntry(list, text);
    if (entry >= 0) {
        list.setCurrentIndex(entry);
    } else {
        selectFirst(list);
    }
}

void refill(QComboBox& list, const std::vector<std::string>& entries) {
    list.clear();
    for (const std::string& entry : entries) {
        list.addItem(qtText(entry));
    }
}

std::vector<std::string> partitionNames(const std::string& deviceName) {
    std::vector<std::string> names;
    for (const FpslicMemoryOption& partition : DeviceCatalog::fpslicPartitions(deviceName)) {
        names.push_back(partition.name);
    }
    return names;
}

// Reads a number as the linker does: 0x hexadecimal, a leading 0 octal, else decimal.
long long numberWithAutomaticBase(const QString& text) {
    const std::string narrow = narrowText(text);
    return std::strtoll(narrow.c_str(), nullptr, 0);
}

void checkChoice(QButtonGroup& group, int id) {
    if (QAbstractButton* button = group.button(id)) {
        button->setChecked(true);
        return;
    }
    // A stored choice that names no button leaves all of them clear.
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) {
        button->setChecked(false);
    }
    group.setExclusive(true);
}

std::string textOr(const QComboBox& list, const char* whenEmpty) {
    const std::string text = narrowText(list.currentText());
    return text.empty() ? std::string(whenEmpty) : text;
}

} // namespace

CTargetOptionDlg::CTargetOptionDlg(Project& project, bool newProject, QWidget* parent)
    : QWidget(parent), m_project(project), m_newProject(newProject) {
    setWindowTitle(QString::fromLatin1(kTitle));
    buildControls();
    connectControls();
    try {
        m_programType = m_project.programType();
        m_printfVersion = m_project.printfVersion();
        m_loadedConfiguration = m_project.currentConfigName();
    } catch (const std::exception& error) {
        reportInconsistency("CTargetOptionDlg::CTargetOptionDlg()", error.what());
    }
}

void CTargetOptionDlg::buildControls() {
    auto* columns = new QHBoxLayout(this);
    columns->addWidget(buildDeviceGroup());
    auto* right = new QVBoxLayout();
    right->addWidget(buildBootLoaderGroup());
    right->addWidget(buildOtherOptions());
    right->addStretch();
    columns->addLayout(right);

    // The tallest page: rows close enough that the sheet fits a screen 600 pixels high.
    constexpr int kRowSpacing = 2;
    for (QLayout* inner : findChildren<QLayout*>()) {
        if (auto* form = qobject_cast<QFormLayout*>(inner)) {
            form->setVerticalSpacing(kRowSpacing);
        } else if (auto* box = qobject_cast<QVBoxLayout*>(inner)) {
            box->setSpacing(kRowSpacing);
        }
    }
    for (QGroupBox* group : findChildren<QGroupBox*>()) {
        group->layout()->setContentsMargins(6, 2, 6, 4);
    }
}

QWidget* CTargetOptionDlg::buildDeviceGroup() {
    auto* group = new QGroupBox(QStringLiteral("Device Configuration"), this);
    group->setObjectName(QStringLiteral("deviceConfigurationGroup"));
    auto* layout = new QVBoxLayout(group);

    m_deviceList = makeList("part", group);
    layout->addWidget(m_deviceList);

    auto* memory = new QFormLayout();
    m_programMemory = makeEdit("programMemory", group);
    m_dataMemory = makeEdit("dataMemory", group);
    m_eeprom = makeEdit("eeprom", group);
    m_textAddressWord = makeEdit("textAddressWord", group);
    m_dataAddressByte = makeEdit("dataAddressByte", group);
    memory->addRow(QStringLiteral("Program Memory"), m_programMemory);
    memory->addRow(QStringLiteral("Data Memory"), m_dataMemory);
    memory->addRow(QStringLiteral("EEPROM"), m_eeprom);
    memory->addRow(QStringLiteral("Text Address (WORD)"), m_textAddressWord);
    memory->addRow(QStringLiteral("Data Address (BYTE)"), m_dataAddressByte);
    layout->addLayout(memory);

    m_useLongCallJmp = makeCheckBox("Use Long CALL/JMP", "useLongCallJmp", group);
    m_enhancedCore = makeCheckBox("Enhanced Core", "enhancedCore", group);
    m_ioRegsOffsetInternalSram =
        makeCheckBox("IO Regs offset Internal SRAM", "ioRegsOffsetInternalSram", group);
    m_useRampzElpm = makeCheckBox("Use RAMPZ/ELPM", "useRampzElpm", group);
    for (QCheckBox* box :
         {m_useLongCallJmp, m_enhancedCore, m_ioRegsOffsetInternalSram, m_useRampzElpm}) {
        layout->addWidget(box);
    }

    m_fpslicLabel = new QLabel(QStringLiteral("FPSLIC Memory (Bytes)"), group);
    m_fpslicLabel->setObjectName(QStringLiteral("fpslicMemoryLabel"));
    m_fpslicList = makeList("fpslicMemory", group);
    layout->addWidget(m_fpslicLabel);
    layout->addWidget(m_fpslicList);

    m_sramList = makeList("sram", group);
    for (const char* choice : kSramChoices) {
        m_sramList->addItem(QString::fromLatin1(choice));
    }
    m_notes = new QPushButton(QStringLiteral("Notes: CLICK HERE!"), group);
    m_notes->setObjectName(QStringLiteral("notes"));
    layout->addWidget(m_sramList);
    layout->addWidget(m_notes);
    layout->addStretch();
    return group;
}

QWidget* CTargetOptionDlg::buildBootLoaderGroup() {
    m_bootLoaderGroup = new QGroupBox(QStringLiteral("Boot Loader Options"), this);
    m_bootLoaderGroup->setObjectName(QStringLiteral("bootLoaderOptionsGroup"));
    auto* layout = new QHBoxLayout(m_bootLoaderGroup);

    m_programTypeGroup = new QGroupBox(QStringLiteral("Program Type"), m_bootLoaderGroup);
    m_programTypeGroup->setObjectName(QStringLiteral("programTypeGroup"));
    auto* typeLayout = new QVBoxLayout(m_programTypeGroup);
    m_programTypeButtons = new QButtonGroup(this);
    m_application =
        makeRadio("Application", "application", m_programTypeButtons, 0, m_programTypeGroup);
    m_bootLoader =
        makeRadio("Boot Loader", "bootLoader", m_programTypeButtons, 1, m_programTypeGroup);
    typeLayout->addWidget(m_application);
    typeLayout->addWidget(m_bootLoader);
    layout->addWidget(m_programTypeGroup);

    auto* sizeLayout = new QVBoxLayout();
    m_bootSizeLabel = new QLabel(QStringLiteral("Boot Size"), m_bootLoaderGroup);
    m_bootSizeLabel->setObjectName(QStringLiteral("bootSizeLabel"));
    m_bootSizeList = makeList("bootSize", m_bootLoaderGroup);
    sizeLayout->addWidget(m_bootSizeLabel);
    sizeLayout->addWidget(m_bootSizeList);
    sizeLayout->addStretch();
    layout->addLayout(sizeLayout);
    return m_bootLoaderGroup;
}

QWidget* CTargetOptionDlg::buildOtherOptions() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* printf = new QGroupBox(QStringLiteral("PRINTF Version"), panel);
    printf->setObjectName(QStringLiteral("printfVersionGroup"));
    auto* printfLayout = new QVBoxLayout(printf);
    m_printfButtons = new QButtonGroup(this);
    m_printfSmall =
        makeRadio("small (int only, no modifier", "printfSmall", m_printfButtons, 0, printf);
    m_printfLong =
        makeRadio("long (+long, and modifiers)", "printfLong", m_printfButtons, 1, printf);
    m_printfFloat =
        makeRadio("float (+ float, (needs > 8k))", "printfFloat", m_printfButtons, 2, printf);
    for (QRadioButton* radio : {m_printfSmall, m_printfLong, m_printfFloat}) {
        printfLayout->addWidget(radio);
    }
    layout->addWidget(printf);

    m_avrstudioIO = makeCheckBox("AVR Studio Simulator IO", "avrstudioIO", panel);
    m_stringsInFlashOnly = makeCheckBox("Strings in FLASH only", "stringsInFlashOnly", panel);
    layout->addWidget(m_avrstudioIO);
    layout->addWidget(m_stringsInFlashOnly);
    auto* libraries = new QFormLayout();
    m_additionalLib = makeEdit("additionalLib", panel);
    libraries->addRow(QStringLiteral("Additional Lib."), m_additionalLib);
    layout->addLayout(libraries);

    auto* advanced = new QGroupBox(QStringLiteral("Advanced"), panel);
    advanced->setObjectName(QStringLiteral("advancedGroup"));
    auto* advancedLayout = new QFormLayout(advanced);
    m_returnStackSize = makeEdit("returnStackSize", advanced);
    m_nonDefaultStartup = makeEdit("nonDefaultStartup", advanced);
    m_unusedRomFillBytes = makeEdit("unusedRomFillBytes", advanced);
    m_doNotUseR20ToR23 = makeCheckBox("Do NOT use R20...R23", "doNotUseR20ToR23", advanced);
    advancedLayout->addRow(QStringLiteral("Return Stack Size"), m_returnStackSize);
    advancedLayout->addRow(QStringLiteral("Non-Default Startup"), m_nonDefaultStartup);
    advancedLayout->addRow(QStringLiteral("Unused ROM Fill Bytes"), m_unusedRomFillBytes);
    advancedLayout->addRow(m_doNotUseR20ToR23);
    layout->addWidget(advanced);

    auto* other = new QFormLayout();
    m_otherOptions = makeEdit("otherOptions", panel);
    other->addRow(QStringLiteral("Other Options:"), m_otherOptions);
    layout->addLayout(other);
    return panel;
}

void CTargetOptionDlg::connectControls() {
    connect(m_deviceList, &QComboBox::currentIndexChanged, this, [this] { onDeviceSelected(); });
    connect(m_fpslicList, &QComboBox::currentIndexChanged, this, [this] { onFpslicSelected(); });
    connect(m_notes, &QPushButton::clicked, this, [this] { onNotes(); });
    const auto radioClicked = [this] {
        if (m_exchanging == 0) {
            choicesFromControls();
        }
    };
    connect(m_programTypeButtons, &QButtonGroup::idToggled, this, radioClicked);
    connect(m_printfButtons, &QButtonGroup::idToggled, this, radioClicked);
}

void CTargetOptionDlg::setSupportedParts(std::vector<std::string> parts) {
    m_injectedParts = std::move(parts);
}

void CTargetOptionDlg::setStudioDirectoryFallback(const std::string& directory) {
    studioDirectoryFallback() = directory;
}

std::string CTargetOptionDlg::supportedPartsPath() {
    std::string studio = studioDirectoryFallback();
    if (IGuiWorks* host = PlugInUtility::instance().host()) {
        Bstr directory;
        if (SUCCEEDED(host->GetStudioDirectory(&directory))) {
            studio = toNarrow(directory);
        }
    }
    return studio + kSupportedPartsFile;
}

int CTargetOptionDlg::rowForEntry(int index) const {
    if (index < 0 || index >= DeviceCatalog::deviceCount || index >= m_deviceList->count()) {
        return 0;
    }
    if (!equalsIgnoringCase(m_deviceList->itemText(index), DeviceCatalog::device(index).name)) {
        return 0;
    }
    return index;
}

int CTargetOptionDlg::selectedRow() const {
    return rowForEntry(m_deviceList->currentIndex());
}

void CTargetOptionDlg::initDialog() {
    fillDeviceList();
    updateControlDataFromProject();
    m_initialised = true;
}

void CTargetOptionDlg::fillDeviceList() {
    std::vector<std::string> parts;
    if (m_injectedParts) {
        parts = *m_injectedParts;
    } else {
        const std::string path = supportedPartsPath();
        if (auto read = DeviceCatalog::readSupportedParts(path)) {
            parts = std::move(*read);
        } else {
            PlugInUtility& utility = PlugInUtility::instance();
            utility.logError("Failed to open the supported parts file");
            utility.logInfo("Check that the file " + path + " exists");
        }
    }
    Exchange exchange(m_exchanging);
    refill(*m_deviceList, parts);
    m_deviceList->setCurrentIndex(-1);

    bool inTableOrder = parts.empty() || parts.size() == DeviceCatalog::deviceCount;
    for (int i = 0; inTableOrder && i < m_deviceList->count(); ++i) {
        inTableOrder = rowForEntry(i) == i;
    }
    if (!inTableOrder) {
        PlugInUtility::instance().logWarning(
            "The supported parts file does not list the devices in the order of the device "
            "table; devices out of place are treated as Custom");
    }
}

void CTargetOptionDlg::updateControlDataFromProject() {
    try {
        fillControls();
    } catch (const std::exception& error) {
        reportInconsistency("CTargetOptionDlg::updateControlDataFromProject()", error.what());
    }
}

void CTargetOptionDlg::fillControls() {
    Exchange exchange(m_exchanging);
    selectOrFirst(*m_deviceList, m_project.part());
    const int row = selectedRow();
    const DeviceInfo& device = DeviceCatalog::device(row);

    if (device.bootSizeGroup != 0) {
        refill(*m_bootSizeList, DeviceCatalog::bootSizeChoices(device.bootSizeGroup));
        selectOrFirst(*m_bootSizeList, m_project.bootSize());
    } else {
        selectFirst(*m_bootSizeList);
    }

    if (device.isFpslic) {
        refill(*m_fpslicList, partitionNames(device.name));
        selectOrFirst(*m_fpslicList, m_project.fpslicMemory());
        showPartition(device.name);
    } else {
        m_fpslicList->setCurrentIndex(-1);
        m_programMemory->setText(qtText(m_project.programMemory()));
        m_dataMemory->setText(qtText(m_project.dataMemory()));
    }

    if (device.externalMemoryKind != 0) {
        selectOrFirst(*m_sramList, m_project.sram());
    } else {
        selectFirst(*m_sramList);
    }

    if (m_newProject && row != 0) {
        deviceSelectionChanged();
    } else {
        m_eeprom->setText(qtText(m_project.eeprom()));
        m_textAddressWord->setText(qtText(m_project.textAddressWord()));
        m_dataAddressByte->setText(qtText(m_project.dataAddressByte()));
        m_useLongCallJmp->setChecked(m_project.useLongCallJmp());
        m_enhancedCore->setChecked(m_project.enhancedCore());
        m_ioRegsOffsetInternalSram->setChecked(m_project.ioRegsOffsetInternalSram());
        m_useRampzElpm->setChecked(m_project.useRampzElpm());
    }

    m_additionalLib->setText(qtText(m_project.additionalLib()));
    m_nonDefaultStartup->setText(qtText(m_project.nonDefaultStartup()));
    m_otherOptions->setText(qtText(m_project.otherOptions()));
    m_returnStackSize->setText(qtText(m_project.returnStackSize()));
    m_unusedRomFillBytes->setText(qtText(m_project.unusedRomFillBytes()));
    m_programType = m_project.programType();
    m_printfVersion = m_project.printfVersion();
    choicesToControls();
    m_avrstudioIO->setChecked(m_project.avrstudioIO());
    m_doNotUseR20ToR23->setChecked(m_project.doNotUseR20ToR23());
    m_stringsInFlashOnly->setChecked(m_project.stringsInFlashOnly());
}

void CTargetOptionDlg::onDeviceSelected() {
    if (m_exchanging > 0) {
        return;
    }
    try {
        deviceSelectionChanged();
    } catch (const std::exception& error) {
        reportInconsistency("CTargetOptionDlg::OnSelchangeDevice()", error.what());
    }
}

void CTargetOptionDlg::deviceSelectionChanged() {
    choicesFromControls();
    const int row = selectedRow();
    const DeviceInfo& device = DeviceCatalog::device(row);
    {
        Exchange exchange(m_exchanging);
        // "Custom" keeps what the user typed.
        if (row != 0) {
            m_programMemory->setText(qtText(device.programMemory));
            m_dataMemory->setText(qtText(device.dataMemory));
            m_eeprom->setText(qtText(device.eeprom));
            m_textAddressWord->setText(qtText(device.textAddressWord));
            m_dataAddressByte->setText(qtText(device.dataAddressByte));
            m_useLongCallJmp->setChecked(device.useLongCallJmp);
            m_enhancedCore->setChecked(device.enhancedCore);
            m_ioRegsOffsetInternalSram->setChecked(device.ioRegsOffsetInternalSram);
            m_useRampzElpm->setChecked(device.enhancedCore &&
                                       numberWithAutomaticBase(m_programMemory->text()) >
                                           kRampzThreshold);
        }

        if (device.bootSizeGroup == 0) {
            m_programType = 0;
            m_application->setChecked(true);
            selectFirst(*m_bootSizeList);
        } else {
            const int remembered = m_bootSizeList->currentIndex();
            refill(*m_bootSizeList, DeviceCatalog::bootSizeChoices(device.bootSizeGroup));
            if (remembered >= 0 && remembered < m_bootSizeList->count()) {
                m_bootSizeList->setCurrentIndex(remembered);
            } else {
                selectFirst(*m_bootSizeList);
            }
        }

        if (device.externalMemoryKind == 0 || m_sramList->currentIndex() < 0) {
            selectFirst(*m_sramList);
        }

        if (!device.isFpslic) {
            m_fpslicList->setCurrentIndex(-1);
        } else {
            refill(*m_fpslicList, partitionNames(device.name));
            selectOrFirst(*m_fpslicList, m_project.fpslicMemory());
            showPartition(device.name);
        }
    }
    applyEnablingRules();
}

void CTargetOptionDlg::onFpslicSelected() {
    if (m_exchanging > 0) {
        return;
    }
    {
        Exchange exchange(m_exchanging);
        showPartition(DeviceCatalog::device(selectedRow()).name);
    }
    choicesFromControls();
}

void CTargetOptionDlg::showPartition(const std::string& deviceName) {
    const std::vector<FpslicMemoryOption> partitions = DeviceCatalog::fpslicPartitions(deviceName);
    const int selected = m_fpslicList->currentIndex();
    if (selected < 0 || selected >= static_cast<int>(partitions.size())) {
        return;
    }
    m_programMemory->setText(qtText(partitions[static_cast<std::size_t>(selected)].codeSize));
    m_dataMemory->setText(qtText(partitions[static_cast<std::size_t>(selected)].dataSize));
}

void CTargetOptionDlg::onNotes() {
    DialogService::current().messageBox(kNotesText, "", MessageIcon::Information,
                                        MessageButtons::Ok);
}

void CTargetOptionDlg::applyEnablingRules() {
    const int row = selectedRow();
    const DeviceInfo& device = DeviceCatalog::device(row);
    const bool custom = row == 0;

    for (QWidget* control : std::initializer_list<QWidget*>{
             m_dataMemory, m_eeprom, m_textAddressWord, m_dataAddressByte, m_useLongCallJmp,
             m_enhancedCore, m_ioRegsOffsetInternalSram}) {
        control->setEnabled(custom);
    }
    m_programMemory->setEnabled(custom || device.name == kEditableProgramMemoryDevice);
    m_useRampzElpm->setEnabled(true);

    const bool bootLoader = device.bootSizeGroup != 0;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_bootLoaderGroup, m_programTypeGroup, m_application,
                                         m_bootLoader, m_bootSizeLabel, m_bootSizeList}) {
        control->setVisible(bootLoader);
    }

    const bool externalMemory = device.externalMemoryKind != 0;
    m_sramList->setEnabled(externalMemory);
    m_notes->setEnabled(externalMemory);

    m_fpslicLabel->setVisible(device.isFpslic);
    m_fpslicList->setVisible(device.isFpslic);

    // What the rules leave alone comes back after a read-only spell under an external Makefile.
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_deviceList, m_bootSizeList, m_fpslicList, m_application, m_bootLoader, m_printfSmall,
             m_printfLong, m_printfFloat, m_avrstudioIO, m_additionalLib, m_stringsInFlashOnly,
             m_returnStackSize, m_nonDefaultStartup, m_unusedRomFillBytes, m_otherOptions,
             m_doNotUseR20ToR23}) {
        control->setEnabled(true);
    }
}

void CTargetOptionDlg::disableEverything() {
    const std::initializer_list<QWidget*> lists = {m_deviceList, m_bootSizeList, m_sramList,
                                                   m_fpslicList};
    const std::initializer_list<QWidget*> edits = {
        m_programMemory,      m_dataMemory,    m_eeprom,          m_textAddressWord,
        m_dataAddressByte,    m_additionalLib, m_returnStackSize, m_nonDefaultStartup,
        m_unusedRomFillBytes, m_otherOptions};
    const std::initializer_list<QWidget*> boxes = {
        m_useLongCallJmp, m_enhancedCore,       m_ioRegsOffsetInternalSram, m_useRampzElpm,
        m_avrstudioIO,    m_stringsInFlashOnly, m_doNotUseR20ToR23};
    const std::initializer_list<QWidget*> buttons = {m_application, m_bootLoader,  m_printfSmall,
                                                     m_printfLong,  m_printfFloat, m_notes};
    for (const auto& group : {lists, edits, boxes, buttons}) {
        for (QWidget* control : group) {
            control->setEnabled(false);
        }
    }
}

void CTargetOptionDlg::onSetActive() {
    if (!m_initialised) {
        initDialog();
    }
    refillIfAnotherConfiguration(
        m_project, m_loadedConfiguration, [this] { updateControlDataFromProject(); },
        "CTargetOptionDlg::OnSetActive()");
    if (m_externalMakefile) {
        disableEverything();
    } else {
        applyEnablingRules();
    }
    choicesToControls();
}

void CTargetOptionDlg::choicesToControls() {
    Exchange exchange(m_exchanging);
    checkChoice(*m_programTypeButtons, m_programType);
    checkChoice(*m_printfButtons, m_printfVersion);
}

void CTargetOptionDlg::choicesFromControls() {
    m_programType = m_programTypeButtons->checkedId();
    m_printfVersion = m_printfButtons->checkedId();
}

void CTargetOptionDlg::harvestDataFromControls(Project& project) {
    if (!m_initialised) {
        return;
    }
    try {
        // Controls still showing another configuration must not overwrite the active one.
        if (project.currentConfigName() != m_loadedConfiguration) {
            return;
        }
        const std::string part = textOr(*m_deviceList, "Custom");
        project.setPart(part);
        if (IPluginHub* hub = PlugInUtility::instance().hub()) {
            hub->SetPartName(toWide(part));
        }
        const DeviceInfo& device =
            DeviceCatalog::device(rowForEntry(findEntry(*m_deviceList, part)));

        project.setProgramMemory(narrowText(m_programMemory->text()));
        project.setAdditionalLib(narrowText(m_additionalLib->text()));
        project.setDataAddressByte(narrowText(m_dataAddressByte->text()));
        project.setDataMemory(narrowText(m_dataMemory->text()));
        project.setEeprom(narrowText(m_eeprom->text()));
        project.setNonDefaultStartup(narrowText(m_nonDefaultStartup->text()));
        project.setOtherOptions(narrowText(m_otherOptions->text()));
        project.setReturnStackSize(narrowText(m_returnStackSize->text()));
        project.setTextAddressWord(narrowText(m_textAddressWord->text()));
        project.setUnusedRomFillBytes(narrowText(m_unusedRomFillBytes->text()));

        project.setProgramType(device.bootSizeGroup != 0 ? m_programType : 0);
        project.setBootSize(textOr(*m_bootSizeList, "None"));
        project.setFpslicMemory(narrowText(m_fpslicList->currentText()));
        project.setSram(textOr(*m_sramList, "Internal SRAM"));
        project.setPrintfVersion(m_printfVersion);

        project.setAvrstudioIO(m_avrstudioIO->isChecked());
        project.setDoNotUseR20ToR23(m_doNotUseR20ToR23->isChecked());
        project.setEnhancedCore(m_enhancedCore->isChecked());
        project.setIORegsOffsetInternalSram(m_ioRegsOffsetInternalSram->isChecked());
        project.setStringsInFlashOnly(m_stringsInFlashOnly->isChecked());
        project.setUseLongCallJmp(m_useLongCallJmp->isChecked());
        project.setUseRampzElpm(m_useRampzElpm->isChecked());
    } catch (const std::exception& error) {
        reportInconsistency("CTargetOptionDlg::harvestDataFromControls()", error.what());
    }
}

} // namespace avrtazu
