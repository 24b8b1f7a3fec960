#include "ui/general_property_page.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/dialog_service.h"
#include "platform/text_case.h"
#include "ui/configurations_dialog.h"
#include "ui/folder_browser.h"
#include "ui/inconsistency_report.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"
#include "ui/qt_dialog_service.h"
#include "ui/read_only_look.h"
#include "ui/text_conversion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <vector>

namespace avrtazu {

namespace {

// The edit shows one paragraph per line; the text itself keeps its CR LF line ends.
QString displayText(const char* crlfText) {
    return qtText(crlfText).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The combo box is a sorted one: letter case is ignored first, then the exact text decides.
std::vector<std::string> sortedNames(const Project& project) {
    std::vector<std::string> names;
    for (const auto& [name, config] : project.configs()) {
        names.push_back(config.name());
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return TextCase::lower(a) < TextCase::lower(b);
    });
    return names;
}

// A path below the project directory is kept relative to it.
std::string relativeToHome(const std::string& path, const std::string& homePath) {
    SourceFile file(path);
    if (path.find(homePath) != std::string::npos) {
        file.subtractPath(homePath);
    }
    return file.fullName();
}

} // namespace

CGeneralPropertyPage::CGeneralPropertyPage(Project& project, CProjectPropertiesSheet* sheet,
                                           QWidget* parent)
    : QWidget(parent), m_project(project), m_sheet(sheet) {
    setObjectName(QStringLiteral("generalPage"));
    try {
        m_outputDir = m_project.outputDir();
    } catch (const std::exception&) {
        // Without an active configuration there is no directory to start from.
    }

    auto* configurationLabel = new QLabel(QStringLiteral("Active Configuration"), this);
    m_configurationCombo = new QComboBox(this);
    m_configurationCombo->setObjectName(QStringLiteral("configurationCombo"));
    configurationLabel->setBuddy(m_configurationCombo);
    m_editConfigurationsButton = new QPushButton(QStringLiteral("Edit Configurations"), this);
    m_editConfigurationsButton->setObjectName(QStringLiteral("editConfigurationsButton"));

    m_useExternalMakefileCheck = new QCheckBox(QStringLiteral("Use external Makefile"), this);
    m_useExternalMakefileCheck->setObjectName(QStringLiteral("useExternalMakefileCheck"));
    m_externalMakefileEdit = new QLineEdit(this);
    m_externalMakefileEdit->setObjectName(QStringLiteral("externalMakefileEdit"));
    m_externalMakefileBrowseButton = new QPushButton(QStringLiteral("..."), this);
    m_externalMakefileBrowseButton->setObjectName(QStringLiteral("externalMakefileBrowseButton"));
    m_rulesText = new QPlainTextEdit(this);
    m_rulesText->setObjectName(QStringLiteral("rulesText"));
    m_rulesText->setReadOnly(true);

    auto* outputFileNameLabel = new QLabel(QStringLiteral("Output File Name:"), this);
    m_outputFileNameEdit = new QLineEdit(this);
    m_outputFileNameEdit->setObjectName(QStringLiteral("outputFileNameEdit"));
    outputFileNameLabel->setBuddy(m_outputFileNameEdit);
    auto* outputDirectoryLabel = new QLabel(QStringLiteral("Output file directory:"), this);
    m_outputDirectoryEdit = new QLineEdit(this);
    m_outputDirectoryEdit->setObjectName(QStringLiteral("outputDirectoryEdit"));
    outputDirectoryLabel->setBuddy(m_outputDirectoryEdit);
    m_outputDirectoryBrowseButton = new QPushButton(QStringLiteral("..."), this);
    m_outputDirectoryBrowseButton->setObjectName(QStringLiteral("outputDirectoryBrowseButton"));

    for (QLineEdit* edit : {m_externalMakefileEdit, m_outputFileNameEdit, m_outputDirectoryEdit}) {
        showReadOnlyAsSuch(*edit);
    }

    auto* configurationRow = new QHBoxLayout;
    configurationRow->addWidget(configurationLabel);
    configurationRow->addWidget(m_configurationCombo, 1);
    configurationRow->addWidget(m_editConfigurationsButton);

    auto* makefileRow = new QHBoxLayout;
    makefileRow->addWidget(m_externalMakefileEdit, 1);
    makefileRow->addWidget(m_externalMakefileBrowseButton);
    auto* makefileLayout = new QVBoxLayout;
    makefileLayout->addWidget(m_useExternalMakefileCheck);
    makefileLayout->addLayout(makefileRow);
    makefileLayout->addWidget(m_rulesText);

    auto* outputLayout = new QGridLayout;
    outputLayout->addWidget(outputFileNameLabel, 0, 0);
    outputLayout->addWidget(m_outputFileNameEdit, 0, 1, 1, 2);
    outputLayout->addWidget(outputDirectoryLabel, 1, 0);
    outputLayout->addWidget(m_outputDirectoryEdit, 1, 1);
    outputLayout->addWidget(m_outputDirectoryBrowseButton, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(configurationRow);
    layout->addLayout(makefileLayout);
    layout->addLayout(outputLayout);
    layout->addStretch(1);

    connect(m_configurationCombo, &QComboBox::currentIndexChanged, this,
            &CGeneralPropertyPage::onConfigurationSelected);
    connect(m_editConfigurationsButton, &QPushButton::clicked, this,
            &CGeneralPropertyPage::onEditConfigurations);
    connect(m_useExternalMakefileCheck, &QCheckBox::clicked, this,
            &CGeneralPropertyPage::applyExternalMakefileState);
    connect(m_externalMakefileBrowseButton, &QPushButton::clicked, this,
            &CGeneralPropertyPage::onBrowseMakefile);
    connect(m_outputDirectoryBrowseButton, &QPushButton::clicked, this,
            &CGeneralPropertyPage::onBrowseOutputDirectory);
    connect(m_outputFileNameEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_outputFileName = narrowText(text); });
    connect(m_outputDirectoryEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_outputDir = narrowText(text); });
}

void CGeneralPropertyPage::onSetActive() {
    if (!m_initialised) {
        onInitDialog();
    }
}

void CGeneralPropertyPage::onInitDialog() {
    m_initialised = true;
    try {
        {
            const QSignalBlocker blocker(m_configurationCombo);
            for (const std::string& name : sortedNames(m_project)) {
                m_configurationCombo->addItem(qtText(name));
            }
        }
        m_rulesText->setPlainText(displayText(kRulesText));
        m_rulesText->setEnabled(m_project.usesExtMakefile());
        m_outputDirectoryEdit->setReadOnly(true);
        m_externalMakefileEdit->setReadOnly(true);
    } catch (const std::exception& error) {
        reportInconsistency("CGeneralPropertyPage::OnInitDialog()", error.what());
    }
    updateControlDataFromProject();
}

void CGeneralPropertyPage::updateControlDataFromProject() {
    try {
        {
            const QSignalBlocker blocker(m_configurationCombo);
            m_configurationCombo->clear();
            for (const std::string& name : sortedNames(m_project)) {
                m_configurationCombo->addItem(qtText(name));
            }
            m_configurationCombo->setCurrentIndex(m_configurationCombo->findText(
                qtText(m_project.currentConfigName()), Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
        m_outputFileNameEdit->setText(qtText(m_project.outputFileName()));
        m_outputDirectoryEdit->setText(qtText(m_project.outputDir()));
        m_outputDir = m_project.outputDir();
        if (m_project.usesExtMakefile()) {
            m_useExternalMakefileCheck->setChecked(true);
            m_externalMakefileEdit->setText(qtText(m_project.extMakefile()));
        }
        applyExternalMakefileState();
    } catch (const std::exception& error) {
        reportInconsistency("CGeneralPropertyPage::updateControlDataFromProject()", error.what());
    }
}

void CGeneralPropertyPage::applyExternalMakefileState() {
    const bool external = m_useExternalMakefileCheck->isChecked();
    m_project.setUsesExtMakefile(external);

    m_externalMakefileEdit->setReadOnly(!external);
    m_externalMakefileBrowseButton->setEnabled(external);
    m_rulesText->setEnabled(external);
    m_outputFileNameEdit->setReadOnly(external);
    m_outputDirectoryEdit->setReadOnly(external);
    m_outputDirectoryBrowseButton->setEnabled(!external);

    if (m_sheet != nullptr) {
        m_sheet->setExternalMakefile(external);
    }
}

void CGeneralPropertyPage::onConfigurationSelected(int index) {
    if (index < 0) {
        return;
    }
    try {
        m_project.setActiveConfiguration(narrowText(m_configurationCombo->itemText(index)));
    } catch (const std::exception& error) {
        reportInconsistency("CGeneralPropertyPage::OnSelchangeActiveConfiguration()", error.what());
        return;
    }
    updateControlDataFromProject();
}

void CGeneralPropertyPage::onEditConfigurations() {
    CConfigurationsDialog dialog(m_project, this);
    if (dialog.doModal() == QDialog::Accepted) {
        updateControlDataFromProject();
    }
}

void CGeneralPropertyPage::onBrowseMakefile() {
    std::vector<std::string> chosen;
    {
        const QtDialogService::OwnerScope owner(this);
        chosen = DialogService::current().openFiles(std::string(), std::string(),
                                                    m_project.homePath(), false);
    }
    if (chosen.empty() || chosen.front().empty()) {
        return;
    }
    m_externalMakefileEdit->setText(qtText(relativeToHome(chosen.front(), m_project.homePath())));
}

void CGeneralPropertyPage::onBrowseOutputDirectory() {
    const std::string folder = FolderBrowser(this).browse();
    if (folder.empty()) {
        return;
    }
    m_outputDirectoryEdit->setText(qtText(folder));
    m_outputDir = folder;
}

void CGeneralPropertyPage::harvestDataFromControls(Project& project) {
    if (!m_initialised) {
        return;
    }
    try {
        if (m_useExternalMakefileCheck->isChecked()) {
            project.setExtMakefile(narrowText(m_externalMakefileEdit->text()));
            project.setUsesExtMakefile(true);
        } else {
            project.setExtMakefile(std::string());
            project.setUsesExtMakefile(false);
        }

        std::string outputFileName = narrowText(m_outputFileNameEdit->text());
        if (outputFileName.empty()) {
            outputFileName = project.outputFileName();
        }
        project.setOutputFileName(outputFileName);

        project.setOutputDirectory(relativeToHome(m_outputDir, project.homePath()));

        project.setHex(true);
        project.setList(true);
        project.setMap(true);
    } catch (const std::exception& error) {
        reportInconsistency("CGeneralPropertyPage::harvestDataFromControls()", error.what());
    }
}

} // namespace avrtazu
