#include "avr/compiler_driver.h"

#include "avr/dependency_file.h"
#include "avr/elf_sections.h"
#include "avr/link_record.h"
#include "avr/memory_check.h"
#include "avr/switch_parser.h"
#include "common/process_runner.h"
#include "common/toolchain_layout.h"
#include "platform/compile_record.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/program_locator.h"
#include "platform/short_name_alias.h"
#include "platform/toolchain_contract.h"
#include "platform/win_path.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace avrtazu {

namespace fs = std::filesystem;

namespace {

// A path from the GNU tools, relative to the current folder or absolute, as a Windows path.
std::string windowsPath(const std::string& path) {
    fs::path full(path);
    if (full.is_relative()) {
        std::error_code error;
        full = fs::current_path(error) / full;
    }
    return DriveMap::toWindows(ShortNameAlias::normalPath(full.string()));
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
}

// The file name without its folder (Windows or Linux) and without the last extension.
std::string stemOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string trimmedLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

TazuOptions parsed(const std::vector<std::string>& arguments) {
    return SwitchParser::parse(arguments,
                               [](const std::string& name) { return FileSystem::readFile(name); });
}

} // namespace

CompilerDriver::CompilerDriver(AvrTools tools, LineSink sink)
    : tools_(std::move(tools)), converter_(windowsPath), sink_(std::move(sink)) {}

void CompilerDriver::print(const std::string& line) {
    if (sink_) {
        sink_(line);
        return;
    }
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void CompilerDriver::error(const std::string& message) {
    print("!E " + message);
    failed_ = true;
}

bool CompilerDriver::runTool(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& failure) {
    const ProcessResult result = ProcessRunner::runCaptured(program, arguments);
    if (!result.started) {
        error("cannot start " + program + ": " + result.failure);
        return false;
    }
    bool reported = false;
    for (const std::string& line : converter_.convertAll(result.output)) {
        print(line);
        reported = reported || DiagnosticConverter::isErrorLine(line);
    }
    failed_ = failed_ || reported;
    if (result.exitCode != 0 && !reported) {
        error(failure + " (exit status " + std::to_string(result.exitCode) + ")");
    }
    return result.exitCode == 0 && !reported;
}

const std::string& CompilerDriver::deviceSpecsFolder() {
    if (specsFolder_) {
        return *specsFolder_;
    }
    // avr-gcc 5 and later describe each device it knows in a file of its library folder,
    // <prefix>/lib/gcc/avr/<version>/device-specs. Finding that folder beside the compiler
    // spares a compiler start per file; only an unusual installation is asked once.
    std::error_code error;
    const fs::path prefix = fs::canonical(tools_.gcc, error).parent_path().parent_path();
    std::vector<fs::path> found;
    for (const auto& version : fs::directory_iterator(prefix / "lib/gcc/avr", error)) {
        if (fs::is_directory(version.path() / "device-specs", error)) {
            found.push_back(version.path() / "device-specs");
        }
    }
    if (found.size() == 1) {
        specsFolder_ = found.front().string();
    } else {
        const ProcessResult result =
            ProcessRunner::runCaptured(tools_.gcc, {"-print-file-name=device-specs"});
        const std::string answer = trimmedLine(result.output);
        // A compiler without device-specs files answers with the bare name.
        specsFolder_ = result.exitCode == 0 && answer != "device-specs" ? answer : std::string();
    }
    return *specsFolder_;
}

bool CompilerDriver::supportsMcu(const std::string& mcu) {
    const std::string& folder = deviceSpecsFolder();
    // A compiler without device-specs files knows its devices by itself: trust the table.
    std::error_code error;
    return folder.empty() || fs::is_regular_file(folder + "/specs-" + mcu, error);
}

std::optional<AvrTools> CompilerDriver::locateTools() {
    std::vector<std::string> folders = ProgramLocator::searchFolders();
    folders.push_back("/usr/bin");
    AvrTools tools;
    tools.gcc = ProgramLocator::find("avr-gcc", folders);
    tools.objcopy = ProgramLocator::find("avr-objcopy", folders);
    tools.objdump = ProgramLocator::find("avr-objdump", folders);
    tools.libraryFolder = ToolchainLayout::libFolder();
    if (tools.gcc.empty() || tools.objcopy.empty() || tools.objdump.empty()) {
        return std::nullopt;
    }
    return tools;
}

std::optional<int> CompilerDriver::runIfUpToDateLink(const std::vector<std::string>& arguments,
                                                     LineSink sink) {
    const TazuOptions options = parsed(arguments);
    if (!options.errors.empty() || options.inputs.empty() || options.compileOnly) {
        return std::nullopt;
    }
    const std::optional<AvrTools> tools = locateTools();
    if (!tools) {
        return std::nullopt;
    }
    CompilerDriver driver(*tools, std::move(sink));
    driver.arguments_ = arguments;
    const LinkPlan plan = driver.planLink(options);
    if (!plan.missing.empty() || !plan.record.upToDate()) {
        return std::nullopt;
    }
    const auto image = ElfImage::read(plan.base + ".cof", ElfImage::kSectionsOnly);
    if (!image) {
        return std::nullopt;
    }
    driver.reportMemory(options, *image);
    return driver.failed_ ? 1 : 0;
}

int CompilerDriver::run(const std::vector<std::string>& arguments) {
    arguments_ = arguments;
    const TazuOptions options = parsed(arguments);
    for (const std::string& message : options.errors) {
        error(message);
    }
    if (failed_) {
        return 1;
    }
    if (options.inputs.empty()) {
        error(options.compileOnly ? "no source file to compile" : "no object file to link");
        return 1;
    }
    if (options.compileOnly) {
        const McuChoice choice = GccCommand::chooseMcu(
            options, [this](const std::string& mcu) { return supportsMcu(mcu); });
        if (!choice.fallbackNote.empty()) {
            print("!W " + choice.fallbackNote);
        }
        for (const std::string& source : options.inputs) {
            compile(options, choice.mcu, source);
        }
    } else {
        link(options);
    }
    return failed_ ? 1 : 0;
}

bool CompilerDriver::compile(const TazuOptions& options, const std::string& mcu,
                             const std::string& source) {
    const std::string sourcePath = DriveMap::toLinux(source);
    std::error_code fileError;
    if (sourcePath.empty() || !fs::is_regular_file(sourcePath, fileError)) {
        error("cannot open source file " + source);
        return false;
    }
    const std::string stem = stemOf(source);
    fs::create_directories("dep", fileError);
    CompileJob job;
    job.source = sourcePath;
    job.object = stem + ".o";
    job.dependencyFile = "dep/" + stem + ".o.d.gcc";
    job.listingFile = stem + ".lst";
    const std::vector<std::string> gccArguments =
        GccCommand::compile(options, mcu, job, DriveMap::toLinux);
    recordCompile(sourcePath, stem, gccArguments);
    const bool compiled = runTool(tools_.gcc, gccArguments, "compiling " + source + " failed");
    // A failed compile keeps the last good list. A good one is converted in gcc's own file,
    // which then takes the list's name: one new file per compile, not two.
    if (const auto gccList = compiled
                                 ? FileSystem::readFile(DriveMap::toWindows(job.dependencyFile))
                                 : std::nullopt) {
        const std::string folder = fs::current_path(fileError).string();
        if (writeFile(job.dependencyFile,
                      DependencyFile::convert(*gccList, folder, [](const std::string& path) {
                          // make splits at blanks; a header's folder may hold some.
                          return WinPath::shortPathOrSelf(DriveMap::toWindows(path));
                      }))) {
            fs::rename(job.dependencyFile, "dep/" + stem + ".o.d", fileError);
        }
    }
    fs::remove(job.dependencyFile, fileError);
    return compiled;
}

void CompilerDriver::recordCompile(const std::string& source, const std::string& stem,
                                   const std::vector<std::string>& arguments) {
    std::error_code ignored;
    CompileRecord record;
    // Editors know the folders by their real names, not by the blank-free aliases make used.
    record.directory = ShortNameAlias::normalPath(fs::current_path(ignored).string());
    record.file = ShortNameAlias::normalPath(fs::absolute(source, ignored).string());
    record.arguments.push_back(tools_.gcc);
    record.arguments.insert(record.arguments.end(), arguments.begin(), arguments.end());
    const std::string path = "dep/" + stem + std::string(toolchain_contract::kCompileRecordSuffix);
    if (!record.write(path)) {
        print("!W cannot write " + windowsPath(path) + "; editors will not know how " +
              windowsPath(source) + " is compiled");
    }
}

bool CompilerDriver::buildHelper(const TazuOptions& options, const std::string& mcu,
                                 const std::string& source, const std::string& object,
                                 const std::vector<std::string>& defines) {
    std::vector<std::string> arguments{"-mmcu=" + mcu, "-c", "-Os", "-fdiagnostics-color=never",
                                       "-fno-diagnostics-show-caret"};
    for (const std::string& definition : defines) {
        arguments.push_back("-D" + definition);
    }
    if (options.debugInfo) {
        arguments.push_back("-gdwarf-2");
    }
    arguments.insert(arguments.end(), {"-o", object, tools_.libraryFolder + "/" + source});
    return runTool(tools_.gcc, arguments, "building the start-up helper " + source + " failed");
}

std::string CompilerDriver::linkMcu(const TazuOptions& options,
                                    const std::vector<std::string>& objects) {
    if (options.device.empty()) {
        std::set<std::string> recorded;
        const std::string prefix = GccCommand::mcuSymbolPrefix;
        for (const std::string& object : objects) {
            const auto image = ElfImage::read(object);
            if (!image) {
                continue;
            }
            for (auto symbol = image->symbols.lower_bound(prefix);
                 symbol != image->symbols.end() && symbol->rfind(prefix, 0) == 0; ++symbol) {
                recorded.insert(symbol->substr(prefix.size()));
            }
        }
        if (recorded.size() == 1) {
            return *recorded.begin();
        }
        if (recorded.size() > 1) {
            std::string names;
            for (const std::string& mcu : recorded) {
                names += (names.empty() ? "" : ", ") + mcu;
            }
            error("the objects were compiled for different devices: " + names);
            return {};
        }
    }
    const McuChoice choice =
        GccCommand::chooseMcu(options, [this](const std::string& mcu) { return supportsMcu(mcu); });
    if (!choice.fallbackNote.empty()) {
        print("!W " + choice.fallbackNote);
    }
    return choice.mcu;
}

bool CompilerDriver::reportMemory(const TazuOptions& options, const ElfImage& image) {
    const MemoryReport report = MemoryCheck::check(options, MemoryUse::of(image));
    for (const std::string& message : report.errors) {
        error(message);
    }
    if (options.summaryLevel > 0) {
        for (const std::string& line : report.summary) {
            print(line);
        }
    }
    return report.errors.empty();
}

std::string CompilerDriver::userStartupObject(const TazuOptions& options,
                                              const std::vector<std::string>& folders) {
    std::vector<std::string> candidates{DriveMap::toLinux(options.startupFile)};
    for (const std::string& folder : folders) {
        candidates.push_back(folder + "/" + options.startupFile);
    }
    std::error_code fileError;
    for (const std::string& candidate : candidates) {
        if (!candidate.empty() && fs::is_regular_file(candidate, fileError)) {
            return candidate;
        }
    }
    return {};
}

std::vector<std::string> CompilerDriver::linkSwitches(const LinkJob& job) const {
    // The words as given, and what the list files among them named.
    std::vector<std::string> switches = arguments_;
    switches.emplace_back("--");
    switches.insert(switches.end(), job.inputs.begin(), job.inputs.end());
    return switches;
}

std::vector<std::string> CompilerDriver::linkInputs(const TazuOptions& options,
                                                    const LinkJob& job) {
    std::vector<std::string> inputs = job.inputs;
    for (const std::string& word : arguments_) {
        if (word.size() > 1 && word.front() == '@') {
            inputs.push_back(DriveMap::toLinux(word.substr(1)));
        }
    }
    std::error_code fileError;
    for (const std::string& library : options.libraries) {
        for (const std::string& folder : job.libraryFolders) {
            const std::string file = folder + "/lib" + library + ".a";
            if (fs::is_regular_file(file, fileError)) {
                inputs.push_back(file);
                break;
            }
        }
    }
    if (GccCommand::isExternalRamStartup(options.startupFile)) {
        inputs.push_back(tools_.libraryFolder + "/xram_init.c");
    } else if (!options.startupFile.empty() &&
               !GccCommand::isStandardStartup(options.startupFile)) {
        // A start-up file that is missing now makes the link run and say so.
        const std::string startup = userStartupObject(options, job.libraryFolders);
        inputs.push_back(startup.empty() ? options.startupFile : startup);
    }
    if (options.studioIo) {
        inputs.push_back(tools_.libraryFolder + "/studio_io.c");
    }
    return inputs;
}

CompilerDriver::LinkPlan CompilerDriver::planLink(const TazuOptions& options) {
    LinkJob job;
    std::vector<std::string> missing;
    std::error_code fileError;
    for (const std::string& input : options.inputs) {
        const std::string path = DriveMap::toLinux(input);
        if (path.empty() || !fs::is_regular_file(path, fileError)) {
            missing.push_back(input);
            continue;
        }
        job.inputs.push_back(path);
    }
    std::string base = options.outputBase;
    if (base.empty()) {
        base = stemOf(options.inputs.front());
    }
    base = DriveMap::toLinux(base);
    for (const std::string& folder : options.libraryFolders) {
        job.libraryFolders.push_back(DriveMap::toLinux(folder));
    }
    job.libraryFolders.push_back(tools_.libraryFolder);
    LinkRecord record(base, linkSwitches(job), linkInputs(options, job));
    return {std::move(job), std::move(base), std::move(record), std::move(missing)};
}

bool CompilerDriver::link(const TazuOptions& options) {
    LinkPlan plan = planLink(options);
    for (const std::string& input : plan.missing) {
        error("cannot open object file " + input);
    }
    LinkJob& job = plan.job;
    const std::string& base = plan.base;
    const LinkRecord& record = plan.record;
    std::error_code fileError;
    if (!failed_ && record.upToDate()) {
        // Nothing changed since the last link: its outputs stay as they are, and the summary
        // still shows what the program takes.
        if (const auto image = ElfImage::read(base + ".cof", ElfImage::kSectionsOnly)) {
            return reportMemory(options, *image);
        }
    }
    record.forget();
    const std::string mcu = linkMcu(options, job.inputs);
    if (mcu.empty()) {
        return false;
    }

    if (!options.startupFile.empty()) {
        if (GccCommand::isExternalRamStartup(options.startupFile)) {
            const bool wait = options.externalRamFast.value_or(1) == 0;
            if (buildHelper(options, mcu, "xram_init.c", "tazu_xram.o",
                            {std::string("TAZU_XRAM_WAIT=") + (wait ? "1" : "0")})) {
                job.extraObjects.push_back("tazu_xram.o");
            }
        } else if (!GccCommand::isStandardStartup(options.startupFile)) {
            job.startupObject = userStartupObject(options, job.libraryFolders);
            if (job.startupObject.empty()) {
                error("start-up file " + options.startupFile + " not found");
            }
        }
    }
    if (options.studioIo && buildHelper(options, mcu, "studio_io.c", "tazu_studio.o", {})) {
        job.extraObjects.push_back("tazu_studio.o");
    }
    if (failed_) {
        return false;
    }

    job.elf = base + ".cof";
    job.map = base + ".mp";
    const std::string hexFile = base + ".hex";
    fs::remove(hexFile, fileError);
    const std::string failure = "linking " + base + " failed";
    if (!runTool(tools_.gcc, GccCommand::link(options, mcu, job, false), failure)) {
        return false;
    }
    auto image = ElfImage::read(job.elf);
    // Only a program that prints needs the printf of its library switch; forcing it into every
    // program would cost a kilobyte of flash for nothing.
    if (image && image->hasSymbol("vfprintf") && options.printf != PrintfKind::Long) {
        if (!runTool(tools_.gcc, GccCommand::link(options, mcu, job, true), failure)) {
            return false;
        }
        image = ElfImage::read(job.elf);
    }

    const ProcessResult listing =
        ProcessRunner::runIntoFile(tools_.objdump, GccCommand::listing(job.elf), base + ".lis");
    if (!listing.started || listing.exitCode != 0) {
        error("cannot write the listing " + windowsPath(base + ".lis"));
    }

    if (!image) {
        error("cannot read the linked program " + windowsPath(job.elf));
        return false;
    }
    // A program that does not fit gets no HEX file, so nothing half-made is programmed.
    if (!reportMemory(options, *image)) {
        return false;
    }
    std::vector<std::string> outputs{job.elf, job.map, base + ".lis"};
    if (options.format != OutputFormat::CoffOnly) {
        runTool(tools_.objcopy, GccCommand::hex(options, job.elf, hexFile),
                "writing " + windowsPath(hexFile) + " failed");
        outputs.push_back(hexFile);
        if (MemoryUse::of(*image).eepromBytes > 0) {
            runTool(tools_.objcopy, GccCommand::eepromHex(job.elf, base + ".eep.hex"),
                    "writing the EEPROM contents failed");
            outputs.push_back(base + ".eep.hex");
        }
    }
    if (!failed_) {
        record.save(outputs);
    }
    return !failed_;
}

} // namespace avrtazu
