#include "services/plug_in_utility.h"

#include "plugin/options_change.h"

#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/text_case.h"
#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"

#include <QDialog>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <utility>

namespace avrtazu {

namespace {

bool newProjectFlag = false;

void showMessage(const std::string& text, MessageIcon icon) {
    DialogService::current().messageBox(text, std::string(), icon, MessageButtons::Ok);
}

} // namespace

OptionsChange::OptionsChange(OptionsContext context) : m_context(std::move(context)) {}

bool OptionsChange::newProject() {
    return newProjectFlag;
}

void OptionsChange::setNewProject(bool newProject) {
    newProjectFlag = newProject;
}

bool OptionsChange::isNumber(const std::string& value) {
    const char* begin = value.c_str();
    char* end = nullptr;
    static_cast<void>(std::strtol(begin, &end, 0));
    return end != begin && end == begin + value.size();
}

std::optional<std::string>
OptionsChange::fieldProblem(const std::string& value, const std::string& label, bool emptyAllowed) {
    if (value.empty()) {
        if (emptyAllowed) {
            return std::nullopt;
        }
        return "\"" + label + "\" must not be empty";
    }
    if (!isNumber(value)) {
        return "\"" + label + "\" not a valid number!";
    }
    return std::nullopt;
}

bool OptionsChange::checkField(const std::string& value, const std::string& label,
                               bool emptyAllowed) {
    const std::optional<std::string> problem = fieldProblem(value, label, emptyAllowed);
    if (problem) {
        showMessage(*problem, MessageIcon::Error);
    }
    return !problem;
}

std::optional<OptionsChange::Failure> OptionsChange::checkOptions() {
    Project& project = m_context.project();
    const auto fail = [](int check, const std::string& message) {
        showMessage(message, MessageIcon::Error);
        return std::optional<Failure>(Failure{check, message});
    };
    const auto field = [&](int check, const std::string& value, const char* label,
                           bool emptyAllowed) -> std::optional<Failure> {
        if (const auto problem = fieldProblem(value, label, emptyAllowed)) {
            return fail(check, *problem);
        }
        return std::nullopt;
    };

    if (project.part().empty()) {
        const auto failure = fail(1, kEmptyDevice);
        project.setPart("Custom");
        return failure;
    }
    if (auto failure = field(2, project.programMemory(), "Program Memory", false)) {
        return failure;
    }
    if (auto failure = field(3, project.dataMemory(), "Data Memory", false)) {
        return failure;
    }
    // A listed device brings its own EEPROM size, which may be none at all.
    if (TextCase::equalIgnoringCase(project.part(), "Custom")) {
        if (auto failure = field(4, project.eeprom(), "EEPROM", false)) {
            return failure;
        }
    }
    if (auto failure = field(5, project.textAddressWord(), "Text Address (Word)", false)) {
        return failure;
    }
    if (auto failure = field(6, project.dataAddressByte(), "Data Address (Byte)", false)) {
        return failure;
    }
    if (auto failure = field(7, project.returnStackSize(), "Return Stack Size", false)) {
        return failure;
    }
    // Read as atoi reads it: a hexadecimal size counts as 0 here.
    if (project.printfVersion() != 0 &&
        std::atoi(project.returnStackSize().c_str()) < kPrintfStackMinimum) {
        const auto failure = fail(8, kStackTooSmall);
        project.setPrintfVersion(0);
        return failure;
    }
    if (auto failure = field(9, project.unusedRomFillBytes(), "Unused ROM Fill Bytes", true)) {
        return failure;
    }
    if (project.programType() != 0 && TextCase::equalIgnoringCase(project.bootSize(), "None")) {
        const auto failure = fail(10, kBootSizeNone);
        project.setProgramType(0);
        return failure;
    }
    return std::nullopt;
}

HRESULT OptionsChange::changeOptions() {
    m_result = S_OK;
    m_lastFailure.reset();
    try {
        const Project& project = m_context.project();
        m_usedExtMakefile = project.usesExtMakefile();
        m_oldExtMakefile = m_usedExtMakefile ? project.extMakefile() : std::string();
        m_backup.emplace(project);
        while (runPass() == Pass::Again) {
        }
    } catch (const std::exception& error) {
        reportFailure(error.what());
    } catch (...) {
        reportFailure("Unexpected failure while changing the project options");
    }
    m_backup.reset();
    return m_result;
}

OptionsChange::Pass OptionsChange::runPass() {
    Project& project = m_context.project();
    int answer = QDialog::Rejected;
    {
        CProjectPropertiesSheet sheet(project, newProject());
        answer = sheet.DoModal();
    }
    if (answer != QDialog::Accepted) {
        // A project the host has just created must not be left without a device.
        if (newProject()) {
            showMessage(kDeviceNotSet, MessageIcon::None);
            return failed(Failure{0, kDeviceNotSet});
        }
        project = *m_backup;
        // The tree's items pointed into the records that the copy replaced.
        m_context.refreshTree();
        return Pass::Done;
    }
    if (const std::optional<Failure> failure = checkOptions()) {
        return failed(*failure);
    }
    commit();
    return Pass::Done;
}

OptionsChange::Pass OptionsChange::failed(const Failure& failure) {
    if (ModalRunner::unattended() && m_lastFailure && m_lastFailure->check == failure.check) {
        m_context.utility().logError(failure.message);
        m_result = E_FAIL;
        return Pass::Done;
    }
    m_lastFailure = failure;
    return Pass::Again;
}

void OptionsChange::commit() {
    Project& project = m_context.project();
    PlugInUtility& utility = m_context.utility();
    setNewProject(false);

    m_context.saveProject();
    project.setDirty(true);
    m_context.refreshTree();

    std::int16_t state = 0;
    IGuiWorks* host = utility.host();
    if (host != nullptr && SUCCEEDED(host->GetObjectFileState(&state)) && state == 1) {
        if (IPluginHub* hub = utility.hub()) {
            hub->SendEvent(AVREVENT_OBJECTFILE_DIRTY, Bstr());
            utility.logDebug(kContext, kObjectFileDirtySent);
        }
    }

    // A Makefile switched on without a path names no file to show.
    const bool usesNow = project.usesExtMakefile();
    if (usesNow && !m_usedExtMakefile && !project.extMakefile().empty()) {
        m_context.addFileToProject(project.extMakefile());
    } else if (!usesNow && m_usedExtMakefile && !m_oldExtMakefile.empty()) {
        m_context.removeFile(m_oldExtMakefile);
    }
}

void OptionsChange::reportFailure(const std::string& message) {
    m_result = E_FAIL;
    try {
        showMessage(message, MessageIcon::None);
        m_context.utility().logError(message);
    } catch (...) {
        // Nothing more can be told when the report itself fails.
    }
}

} // namespace avrtazu
