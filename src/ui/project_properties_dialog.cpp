#include "ui/project_properties_dialog.h"

#include "model/project.h"
#include "platform/file_system.h"
#include "services/output_directory.h"
#include "services/plug_in_utility.h"
#include "ui/file_info_text.h"
#include "ui/modal_runner.h"
#include "ui/read_only_look.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <optional>

namespace avrtazu {

CProjectPropertiesDialog::CProjectPropertiesDialog(const Project& project, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Project properties"));

    auto* projectGroup = new QGroupBox(QStringLiteral("Project"), this);
    auto* projectForm = new QFormLayout(projectGroup);
    addReadOnlyField(*this, *projectForm, "Project file:", "projectFile", {});
    addReadOnlyField(*this, *projectForm, "Project directory:", "projectDirectory", {});
    addReadOnlyField(*this, *projectForm, "Last saved:", "lastSaved", {});
    addReadOnlyField(*this, *projectForm, "Active Configuration:", "activeConfiguration", {});
    addReadOnlyField(*this, *projectForm, "Options changed since last build:", "optionsChanged",
                     {});

    auto* outputGroup = new QGroupBox(QStringLiteral("Output"), this);
    auto* outputForm = new QFormLayout(outputGroup);
    addReadOnlyField(*this, *outputForm, "Output file:", "outputFile", {});
    addReadOnlyField(*this, *outputForm, "Last build:", "lastBuild", {});
    addReadOnlyField(*this, *outputForm, "Output file size:", "outputFileSize", {});
    addReadOnlyField(*this, *outputForm, "Target part:", "targetPart", {});

    // One label column for both groups.
    int labelWidth = 0;
    const QList<QLabel*> labels = findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    }
    for (QLabel* label : labels) {
        label->setMinimumWidth(labelWidth);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(projectGroup);
    layout->addWidget(outputGroup);
    layout->addWidget(buttons);

    try {
        fill(project);
    } catch (const std::exception& error) {
        // The fields filled so far are still worth showing.
        PlugInUtility::instance().logDebug("CProjectPropertiesDialog::OnInitDialog()",
                                           std::string("Error getting Project properties: ") +
                                               error.what());
    }
}

int CProjectPropertiesDialog::DoModal() {
    return ModalRunner::exec(*this);
}

void CProjectPropertiesDialog::fill(const Project& project) {
    const std::string projectFile = project.name() + ".aps";
    setField("projectFile", projectFile);
    setField("projectDirectory", project.homePath());
    if (const auto saved = FileSystem::modificationTime(project.homePath() + projectFile)) {
        setField("lastSaved", FileInfoText::dateText(*saved));
    } else {
        PlugInUtility::instance().logError("Failed getting project file status");
        setField("lastSaved", "Error!");
    }
    setField("activeConfiguration", project.currentConfigName());
    setField("optionsChanged", project.isDirty() ? "Yes" : "No");

    // Shown as the project holds it; looked up where the build puts it.
    setField("outputFile", project.outputDir() + project.outputFileName());
    const std::string outputFile = outputDirectory(project) + project.outputFileName();
    if (const std::optional<FileStatus> status = FileSystem::status(outputFile)) {
        setField("lastBuild", FileInfoText::dateText(status->modified));
        setField("outputFileSize", FileInfoText::sizeText(status->size));
    } else {
        PlugInUtility::instance().logError("Failed getting project file status");
        setField("lastBuild", "Unknown");
        setField("outputFileSize", "Unknown");
    }
    setField("targetPart", project.part());
}

void CProjectPropertiesDialog::setField(const char* objectName, const std::string& text) {
    if (auto* edit = findChild<QLineEdit*>(QLatin1String(objectName))) {
        edit->setText(QString::fromLocal8Bit(text));
    }
}

} // namespace avrtazu
