#include "build/build_driver.h"

#include "build/build_input_check.h"
#include "build/build_tree_view.h"
#include "build/compile_database.h"
#include "build/makefile_generator.h"
#include "build/redirect.h"

#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/output_directory.h"
#include "services/plug_in_utility.h"
#include "services/plugin_hub.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/dialog_service.h"
#include "platform/file_status_memo.h"
#include "platform/file_system.h"
#include "platform/text_file_writer.h"
#include "platform/toolchain_contract.h"
#include "platform/win_path.h"

#include <ctime>
#include <exception>
#include <optional>
#include <vector>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

const std::string kMakefileName(contract::kMakefileName);

std::string buildStartedLine() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Build started %d.%d.%d at %02d:%02d:%02d", local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec);
    return buffer;
}

// The make tool reads "Makefile" by itself; a Makefile of another name has to be named.
std::string makeCommand(const std::string& makefileName, const std::string& target) {
    std::string command = std::string(contract::kMakeCommand) + " ";
    if (!makefileName.empty() && makefileName != kMakefileName) {
        const bool quote = makefileName.find(' ') != std::string::npos;
        command += quote ? "-f \"" + makefileName + "\" " : "-f " + makefileName + " ";
    }
    return command + target;
}

PlugInUtility& utility() {
    return PlugInUtility::instance();
}

} // namespace

BuildDriver::BuildDriver(Project& project, BuildTreeView* tree)
    : m_project(project), m_tree(tree) {}

IGuiWorks* BuildDriver::host() const {
    return utility().host();
}

IPluginHub* BuildDriver::hub() const {
    return utility().hub();
}

void BuildDriver::output(const std::string& text, long kind) {
    if (IGuiWorks* works = host()) {
        works->AddOutputMessage(toWide(text), kind);
    }
}

std::string BuildDriver::objectTarget(const std::string& fileName) {
    return SourceFile(fileName).stem() + std::string(contract::kObjectSuffix);
}

bool BuildDriver::haveBuildTools() {
    if (!m_project.usesTazuAvr()) {
        return FileSystem::fileExists(m_project.tazuLocation() + "\\" +
                                      std::string(contract::kCompilerDriver)) &&
               FileSystem::fileExists(m_project.makeLocation() + "\\" +
                                      std::string(contract::kMakeTool));
    }
    if (m_project.tazuLocation().empty() || m_project.makeLocation().empty()) {
        PlugInUtility& plugInUtility = utility();
        plugInUtility.locateToolchain();
        m_project.setTazuLocation(plugInUtility.compilerDirectory());
        m_project.setMakeLocation(plugInUtility.makeDirectory());
    }
    // A tool missing from the installation shows when build.bat runs.
    return true;
}

HRESULT BuildDriver::BuildProject() {
    if (IGuiWorks* works = host()) {
        works->ClearOutput();
    }
    output(buildStartedLine(), kOutputPlain);
    publishProjectFiles();
    if (!haveBuildTools()) {
        output("Build failed... No build tools defined.", kOutputError);
        return E_FAIL;
    }

    const bool external = m_project.usesExtMakefile();
    if (refuseUnsafeInput(CRedirect::kRunBuild)) {
        return S_OK;
    }
    if (!external) {
        if (IPluginHub* pluginHub = hub()) {
            pluginHub->SetPartName(toWide(m_project.part()));
        }
        if (m_project.isDirty() &&
            FileSystem::fileExists(outputDirectory(m_project) + kMakefileName)) {
            cleanProject();
        }
        createMakefile();
    }

    const std::string buildDirectory = writeBuildBat("");
    if (buildDirectory.empty()) {
        return E_FAIL;
    }
    if (runBuildBat(buildDirectory, CRedirect::kRunBuild)) {
        const std::string expected =
            buildDirectory + (external ? m_project.name() + std::string(contract::kObjectSuffix)
                                       : m_project.outputFileName());
        const std::string debugObject =
            buildDirectory + m_project.name() + std::string(contract::kDebugObjectSuffix);
        if (FileSystem::fileExists(debugObject)) {
            if (IPluginHub* pluginHub = hub()) {
                pluginHub->SendEvent(kEventObjectFile, toWide(debugObject));
            }
            utility().logDebug("BuildProject()", ": Finished building project");
        } else {
            std::string message = "Error: Object file not found on expected location " + expected;
            if (external) {
                message += "\nMake sure your makefile specifies the output .o file as " +
                           m_project.outputFileName();
            }
            utility().logError(message);
            return E_FAIL;
        }
    }

    if (!external) {
        const std::string base = outputDirectory(m_project) + m_project.name();
        insertOtherItemsIntoProject(base + std::string(contract::kListingSuffix));
        insertOtherItemsIntoProject(base + std::string(contract::kMapSuffix));
    }
    m_project.setDirty(false);
    return S_OK;
}

HRESULT BuildDriver::cleanProject() {
    if (IGuiWorks* works = host()) {
        works->ClearOutput();
    }
    if (!haveBuildTools()) {
        output("Clean failed... No make/compiler defined.", kOutputError);
        return E_FAIL;
    }
    if (refuseUnsafeInput(CRedirect::kRunClean)) {
        return S_OK;
    }
    const std::string buildDirectory = writeBuildBat(std::string(contract::kCleanTarget));
    if (buildDirectory.empty()) {
        return E_FAIL;
    }
    runBuildBat(buildDirectory, CRedirect::kRunClean);
    m_project.setDirty(false);
    return S_OK;
}

void BuildDriver::makeTarget(const std::string& target) {
    if (m_project.usesExtMakefile()) {
        utility().logInfo("Making arbitrary targets when using external makefile may fail");
    }
    if (!haveBuildTools()) {
        output("Build failed... No build tools defined.", kOutputError);
        return;
    }
    if (IGuiWorks* works = host()) {
        works->ClearOutput();
    }
    if (refuseUnsafeInput(CRedirect::kRunMake)) {
        return;
    }
    if (m_project.isDirty()) {
        cleanProject();
    }
    if (!m_project.usesExtMakefile()) {
        createMakefile();
    }
    publishProjectFiles();
    const std::string buildDirectory = writeBuildBat(target);
    if (buildDirectory.empty()) {
        return;
    }
    runBuildBat(buildDirectory, CRedirect::kRunMake);
}

HRESULT BuildDriver::compileFile() {
    if (!haveBuildTools()) {
        output("Compile failed... No build tools defined.", kOutputError);
        return E_FAIL;
    }
    Bstr active;
    IGuiWorks* works = host();
    if (works == nullptr || FAILED(works->GetActiveFile(&active))) {
        utility().logError("Could not get the file to compile");
        return E_FAIL;
    }
    const std::string path = toNarrow(active);
    if (path.empty()) {
        return S_OK;
    }
    SourceFile file(path);
    file.subtractPath(m_project.homePath());
    if (m_project.findSourceFile(file.fullName())) {
        makeTarget(objectTarget(file.name()));
    }
    return S_OK;
}

HRESULT BuildDriver::exportMakefile() {
    // An exported Makefile is run later, by hand: it must not carry what a build refuses. A
    // project the check cannot read fails in the writing below, which says why.
    std::vector<std::string> findings;
    try {
        findings = BuildInputCheck::findings(m_project);
    } catch (const std::exception&) {
    }
    for (const std::string& finding : findings) {
        utility().logError("Makefile not exported: " + finding);
    }
    if (!findings.empty()) {
        return E_FAIL;
    }
    const std::optional<std::string> chosen = DialogService::current().saveFile(
        "Export Makefile", kMakefileName, m_project.homePath(), true);
    if (!chosen) {
        return S_OK;
    }
    TextFileWriter file(*chosen);
    if (!file.isOpen()) {
        utility().logError("Failed opening file " + *chosen + " for writing");
        return E_FAIL;
    }
    try {
        writeMakefile(file, m_project);
    } catch (const std::exception& error) {
        utility().logError(error.what());
        return E_FAIL;
    }
    if (!file.close()) {
        // A full disk must not pass for an export.
        utility().logError("Failed writing file " + *chosen);
        return E_FAIL;
    }
    utility().logInfo("Exported makefile to " + *chosen);
    return S_OK;
}

bool BuildDriver::ensureOutputDirectory(const std::string& directory) {
    if (FileSystem::folderExists(directory)) {
        return true;
    }
    utility().logInfo("Output directory " + directory + " does not exist");
    if (!FileSystem::createFolder(directory)) {
        utility().logError("Error: Could not create directory " + directory + ", bailing out..");
        return false;
    }
    utility().logInfo("Created directory " + directory);
    return true;
}

void BuildDriver::createMakefile() {
    if (m_project.usesExtMakefile()) {
        return;
    }
    const std::string directory = outputDirectory(m_project);
    if (!ensureOutputDirectory(directory)) {
        return;
    }
    const std::string path = directory + kMakefileName;
    TextFileWriter file(path);
    if (!file.isOpen()) {
        utility().logError("Failed opening file " + path + " for writing");
        return;
    }
    {
        // Each source's short name is looked up: its folder is read once, not once per file.
        const FileStatusMemo seenOnce;
        writeMakefile(file, m_project);
    }
    if (!file.close()) {
        utility().logError("Failed writing file " + path);
    }
}

std::string BuildDriver::writeBuildBat(const std::string& target) {
    std::string buildDirectory;
    std::string makefileName;
    if (m_project.usesExtMakefile()) {
        const std::string makefile = m_project.extMakefile();
        const std::size_t backslash = makefile.rfind('\\');
        buildDirectory = backslash == std::string::npos ? "" : makefile.substr(0, backslash + 1);
        makefileName = backslash == std::string::npos ? makefile : makefile.substr(backslash + 1);
        if (WinPath::isRelative(makefile)) {
            buildDirectory.insert(0, m_project.homePath());
        }
        if (!FileSystem::fileExists(buildDirectory + makefileName)) {
            utility().logError("External makefile does not exist at given location: " +
                               buildDirectory + makefileName);
            return {};
        }
    } else {
        buildDirectory = outputDirectory(m_project);
        if (!ensureOutputDirectory(buildDirectory)) {
            return {};
        }
    }

    const std::string path = buildDirectory + std::string(contract::kBatchFileName);
    TextFileWriter file(path);
    if (!file.isOpen()) {
        utility().logError("Failed opening file " + path + " for writing");
        return {};
    }
    file << "@ECHO OFF\n"
         << "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\n"
         << "PATH=" << WinPath::shortPathOrSelf(m_project.makeLocation()) << ";"
         << WinPath::shortPathOrSelf(m_project.tazuLocation()) << ";%PATH%\n"
         << "pushd " << WinPath::shortPathOrSelf(buildDirectory) << "\n"
         << "mode con codepage select=850 > NUL\n"
         << makeCommand(makefileName, target) << "\n";
    if (!file.close()) {
        utility().logError("Failed writing file " + path);
        return {};
    }
    return buildDirectory;
}

bool BuildDriver::refuseUnsafeInput(int runKind) {
    const std::vector<std::string> findings = BuildInputCheck::findings(m_project);
    for (const std::string& finding : findings) {
        output(std::string(contract::kErrorMarker) + " " + finding, kOutputError);
    }
    const int refused = static_cast<int>(findings.size());
    if (refused > 0 && runKind != CRedirect::kRunClean) {
        output(CRedirect::summary(runKind, refused, 0), kOutputPlain);
    }
    return refused > 0;
}

bool BuildDriver::runBuildBat(const std::string& buildDirectory, int runKind) {
    CRedirect redirect(buildDirectory + std::string(contract::kBatchFileName), host());
    const bool succeeded = redirect.run(runKind);
    if (runKind != CRedirect::kRunClean && CompileDatabase::write(m_project, buildDirectory) < 0) {
        utility().logWarning("Could not write " + buildDirectory +
                             std::string(contract::kCompileDatabaseName));
    }
    return succeeded;
}

void BuildDriver::publishProjectFiles() {
    std::string list;
    const auto announce = [this, &list](const SourceFile& file) {
        const std::string path = file.absoluteName(m_project.homePath());
        if (IGuiWorks* works = host()) {
            long ignored = 0;
            works->AddSourceFile(toWide(path), &ignored);
        }
        if (!list.empty()) {
            list += ',';
        }
        list += path;
    };
    for (const SourceFile& file : m_project.hdrFiles()) {
        announce(file);
    }
    for (const SourceFile& file : m_project.srcFiles()) {
        announce(file);
    }
    if (IPluginHub* pluginHub = hub()) {
        pluginHub->SetSourceFiles(toWide(list));
    }
}

void BuildDriver::insertOtherItemsIntoProject(const std::string& path) {
    if (path.empty() || !FileSystem::fileExists(path)) {
        if (m_tree != nullptr) {
            if (m_tree->containsFile(path)) {
                m_tree->removeFile(path);
            }
        } else if (!path.empty()) {
            SourceFile file(path);
            file.subtractPath(m_project.homePath());
            m_project.removeOtherFile(file.fullName());
        }
        utility().logDebug("Zuzozuduvuruva::insertOtherItemsIntoProject",
                           "\"" + path + "\" Does not exist.");
        return;
    }

    const std::size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : path.substr(dot);
    if (extension == contract::kListingSuffix) {
        m_project.setList(true);
    } else if (extension == contract::kMapSuffix) {
        m_project.setMap(true);
    }

    if (m_tree != nullptr) {
        if (!m_tree->containsFile(path)) {
            m_tree->addFileToProject(path);
        }
    } else {
        // Without the tree, keep the record as the tree would: relative to the project.
        SourceFile file(path);
        if (path.find(m_project.homePath()) != std::string::npos) {
            file.subtractPath(m_project.homePath());
        }
        m_project.addOtherFile(file);
    }
}

} // namespace avrtazu
