#include "ui/compiler_option.h"

#include "model/project.h"
#include "ui/inconsistency_report.h"
#include "ui/text_conversion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <exception>

namespace avrtazu {

namespace {

QCheckBox* makeCheckBox(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLineEdit* makeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// The first entry that begins with the text, letter case ignored; -1 when none does.
int entryBeginningWith(const QComboBox& list, const QString& text) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            return i;
        }
    }
    return -1;
}

} // namespace

CCompilerOption::CCompilerOption(Project& project, QWidget* parent)
    : QWidget(parent), m_project(project) {
    setWindowTitle(QString::fromLatin1(kTitle));
    buildControls();
    updateControlDataFromProject();
    try {
        m_loadedConfiguration = m_project.currentConfigName();
    } catch (const std::exception&) {
        // Already reported by the fill above; the next activation tries again.
    }
}

void CCompilerOption::buildControls() {
    auto* layout = new QVBoxLayout(this);

    m_strictCheckingsBox = makeCheckBox("Strict Checkings", "strictCheckings", this);
    m_extensionBox =
        makeCheckBox("Accept Extensions ( C++ comments, binary constants)", "extension", this);
    m_intSizeEnumBox =
        makeCheckBox("int size enum (for backward compatibility)", "intSizeEnum", this);
    layout->addWidget(m_strictCheckingsBox);
    layout->addWidget(m_extensionBox);
    layout->addWidget(m_intSizeEnumBox);

    auto* form = new QFormLayout();
    m_macroDefinitionsEdit = makeEdit("macroDefinitions", this);
    m_undefinesEdit = makeEdit("undefines", this);
    form->addRow(QStringLiteral("Macro Define(s):"), m_macroDefinitionsEdit);
    form->addRow(QStringLiteral("Undefine(s):"), m_undefinesEdit);
    m_outputFormatList = new QComboBox(this);
    m_outputFormatList->setObjectName(QStringLiteral("outputFormat"));
    for (const char* format : kOutputFormats) {
        m_outputFormatList->addItem(QString::fromLatin1(format));
    }
    // A new list shows no entry until the member text selects one.
    m_outputFormatList->setCurrentIndex(-1);
    form->addRow(QStringLiteral("Output Format"), m_outputFormatList);
    layout->addLayout(form);

    auto* optimizations = new QGroupBox(QStringLiteral("Optimizations"), this);
    optimizations->setObjectName(QStringLiteral("optimizationsGroup"));
    auto* optimizationsLayout = new QVBoxLayout(optimizations);
    m_codeCompressionBox = makeCheckBox("Code Compression", "codeCompression", optimizations);
    m_globalOptimizationsBox =
        makeCheckBox("Global Optimizations", "globalOptimizations", optimizations);
    // The toolchain offers neither; the stored values only pass through.
    m_codeCompressionBox->setEnabled(false);
    m_globalOptimizationsBox->setEnabled(false);
    optimizationsLayout->addWidget(m_codeCompressionBox);
    optimizationsLayout->addWidget(m_globalOptimizationsBox);
    layout->addWidget(optimizations);

    auto* ecasbLabel = new QLabel(QStringLiteral("Execute Command After Successfull build"), this);
    m_ecasbEdit = makeEdit("ecasb", this);
    layout->addWidget(ecasbLabel);
    layout->addWidget(m_ecasbEdit);
    layout->addStretch();

    const auto changed = [this] { controlsToMembers(); };
    for (QCheckBox* box : {m_strictCheckingsBox, m_extensionBox, m_intSizeEnumBox,
                           m_codeCompressionBox, m_globalOptimizationsBox}) {
        connect(box, &QCheckBox::toggled, this, changed);
    }
    for (QLineEdit* edit : {m_macroDefinitionsEdit, m_undefinesEdit, m_ecasbEdit}) {
        connect(edit, &QLineEdit::textChanged, this, changed);
    }
    connect(m_outputFormatList, &QComboBox::currentIndexChanged, this, changed);
}

void CCompilerOption::updateControlDataFromProject() {
    try {
        m_strictCheckings = m_project.strictCheckings() ? 1 : 0;
        m_extension = m_project.extension() ? 1 : 0;
        m_intSizeEnum = m_project.intSizeEnum() ? 1 : 0;
        m_codeCompression = m_project.codeCompression() ? 1 : 0;
        m_globalOptimizations = m_project.globalOptimizations() ? 1 : 0;
        m_macroDefinitions = m_project.macroDefinitions();
        m_undefines = m_project.undefines();
        m_outputFormat = m_project.outputFormat();
        m_ecasb = m_project.ecasb();
    } catch (const std::exception& error) {
        reportInconsistency("CCompilerOption::updateControlDataFromProject()", error.what());
    }
}

void CCompilerOption::harvestDataFromControls(Project& project) {
    if (!m_initialised) {
        return;
    }
    try {
        // Controls still showing another configuration must not overwrite the active one.
        if (project.currentConfigName() != m_loadedConfiguration) {
            return;
        }
        project.setExtension(m_extension != 0);
        project.setStrictCheckings(m_strictCheckings != 0);
        project.setIntSizeEnum(m_intSizeEnum != 0);
        project.setCodeCompression(m_codeCompression != 0);
        project.setGlobalOptimizations(m_globalOptimizations != 0);
        project.setMacroDefinitions(m_macroDefinitions);
        project.setUndefines(m_undefines);
        project.setOutputFormat(m_outputFormat);
        project.setEcasb(m_ecasb);
    } catch (const std::exception& error) {
        reportInconsistency("CCompilerOption::harvestDataFromControls()", error.what());
    }
}

void CCompilerOption::initDialog() {
    membersToControls();
    updateControlDataFromProject();
    m_initialised = true;
}

void CCompilerOption::onSetActive() {
    if (!m_initialised) {
        initDialog();
    }
    refillIfAnotherConfiguration(
        m_project, m_loadedConfiguration, [this] { updateControlDataFromProject(); },
        "CCompilerOption::OnSetActive()");
    const bool editable = !m_externalMakefile;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_strictCheckingsBox, m_extensionBox, m_intSizeEnumBox, m_macroDefinitionsEdit,
             m_undefinesEdit, m_outputFormatList, m_ecasbEdit}) {
        control->setEnabled(editable);
    }
    membersToControls();
}

void CCompilerOption::membersToControls() {
    ++m_exchanging;
    m_strictCheckingsBox->setChecked(m_strictCheckings != 0);
    m_extensionBox->setChecked(m_extension != 0);
    m_intSizeEnumBox->setChecked(m_intSizeEnum != 0);
    m_codeCompressionBox->setChecked(m_codeCompression != 0);
    m_globalOptimizationsBox->setChecked(m_globalOptimizations != 0);
    m_macroDefinitionsEdit->setText(qtText(m_macroDefinitions));
    m_undefinesEdit->setText(qtText(m_undefines));
    // A text that begins no entry leaves the list as it was.
    const int format = entryBeginningWith(*m_outputFormatList, qtText(m_outputFormat));
    if (format >= 0) {
        m_outputFormatList->setCurrentIndex(format);
    }
    m_ecasbEdit->setText(qtText(m_ecasb));
    --m_exchanging;
}

void CCompilerOption::controlsToMembers() {
    if (m_exchanging > 0) {
        return;
    }
    m_strictCheckings = m_strictCheckingsBox->isChecked() ? 1 : 0;
    m_extension = m_extensionBox->isChecked() ? 1 : 0;
    m_intSizeEnum = m_intSizeEnumBox->isChecked() ? 1 : 0;
    m_codeCompression = m_codeCompressionBox->isChecked() ? 1 : 0;
    m_globalOptimizations = m_globalOptimizationsBox->isChecked() ? 1 : 0;
    m_macroDefinitions = narrowText(m_macroDefinitionsEdit->text());
    m_undefines = narrowText(m_undefinesEdit->text());
    m_outputFormat = narrowText(m_outputFormatList->currentText());
    m_ecasb = narrowText(m_ecasbEdit->text());
}

} // namespace avrtazu
