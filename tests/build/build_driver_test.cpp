#include "build/build_driver.h"
#include "build/build_tree_view.h"
#include "build/compile_database.h"

#include "golden.h"
#include "model/configuration.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/compile_record.h"
#include "platform/registry.h"
#include "platform/scripted_dialog_service.h"
#include "scoped_variable.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"
#include "services/toolchain_locator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

// Works that keep every output line and mark where the window was cleared.
class ClearingWorks : public fakes::RecordingWorks {
public:
    HRESULT ClearOutput() override {
        output.push_back({"(cleared)", kOutputPlain});
        return RecordingWorks::ClearOutput();
    }
};

// A project tree that only records what the driver asks of it.
class RecordingTree : public BuildTreeView {
public:
    bool containsFile(const std::string& path) override { return shown.count(path) != 0; }
    void removeFile(const std::string& path) override {
        changes += "tree removes " + path + "\n";
        shown.erase(path);
    }
    void addFileToProject(const std::string& path) override {
        changes += "tree adds " + path + "\n";
        shown.insert(path);
    }
    std::set<std::string> shown;
    std::string changes;
};

// The project C:\work\demo\ ("demo", configuration "default" writing demo.cof to default\,
// sources main.c and src\uart.c, header main.h) on a scratch drive C: beside an empty D:, with a
// recording host and hub and custom tools in C:\tools\bin (tazumake.exe is golden/tazumake.sh).
class BuildBench {
public:
    BuildBench() {
        Registry::setFile(drive.linuxPath("empty.reg"));
        PlugInUtility::instance().setHost(&works);
        DialogService::install(&dialogs);
        project.addConfig(Configuration("default", "demo.cof"));
        project.setUsesTazuAvr(false);
        project.setTazuLocation("C:\\tools\\bin");
        project.setMakeLocation("C:\\tools\\bin");
        project.addSrcFile(SourceFile("main.c"));
        project.addSrcFile(SourceFile("src\\uart.c"));
        project.addHdrFile(SourceFile("main.h"));
        drive.makeFolder("work/demo");
        drive.write("tools/bin/tazuavr.exe", "#!/bin/sh\n", true);
        std::filesystem::copy(GOLDEN_DIR "/tazumake.sh", drive.linuxPath("tools/bin/tazumake.exe"));
        makeCreates("demo.cof demo.lis demo.mp");
    }
    ~BuildBench() {
        DialogService::install(nullptr);
        Registry::setFile("");
    }

    void makePrints(const std::string& text) { drive.write("make-output.txt", text); }
    void makeCreates(const std::string& names) { drive.write("make-creates.txt", names); }
    // Runs a command of the driver and notes its result.
    void run(const std::string& name, HRESULT hr) {
        steps += name + (hr == S_OK ? ": S_OK\n" : hr == E_FAIL ? ": E_FAIL\n" : ": other\n");
    }
    void build() { run("BuildProject", driver.BuildProject()); }

    // Everything the host, the hub, the make tool, the file system and the project were left
    // with, the folders of the drives shown as C: and D:.
    std::string transcript() const {
        std::ostringstream out;
        out << steps;
        const std::regex started(R"(^Build started [1-9]\d?\.[1-9]\d?\.\d{4} at \d\d:\d\d:\d\d$)");
        for (const auto& line : works.output) {
            out << "output " << line.kind << ": "
                << unrooted(std::regex_replace(line.text, started, "Build started <now>")) << "\n";
        }
        for (const auto& line : hub->logs) {
            if (line.level != 3) { // debug lines are the developer's
                out << "log " << line.level << ": " << line.message << "\n";
            }
        }
        for (const auto& event : hub->events) {
            out << "event " << event.number << ": " << event.text << "\n";
        }
        for (const auto& [what, texts] :
             {std::pair<const char*, const std::vector<std::string>*>{"part: ", &hub->partNamesSet},
              {"source list: ", &hub->sourceFileLists},
              {"host source: ", &works.addedSourceFiles}}) {
            for (const std::string& text : *texts) {
                out << what << text << "\n";
            }
        }
        for (const auto& dialog : dialogs.dialogs()) {
            out << "save dialog: \"" << dialog.title << "\" " << dialog.initialName << " in "
                << dialog.startFolder << (dialog.overwritePrompt ? ", asks to overwrite\n" : "\n");
        }
        // The files the build and the scenario made, by their lines (CR as \r), sorted.
        std::set<std::string> files;
        const std::regex ignored("^C:/(tools/|make-|cache/|.*\\.reg$)");
        const std::regex alias(R"(\\avrtazu\\short\\[0-9a-f]+)");
        for (const test::ScratchDrive* d : {&drive, &other}) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(d->root())) {
                const std::string path = unrooted(entry.path().string());
                if (!entry.is_regular_file() || std::regex_search(path, ignored)) {
                    continue;
                }
                std::string file = "file " + path + ":";
                std::istringstream content(d->read(path.substr(3)));
                for (std::string line; std::getline(content, line);) {
                    line = std::regex_replace(line, std::regex("\r"), "\\r");
                    // A folder alias is named by a hash of the scratch drive's own folder.
                    file += "\n  " + std::regex_replace(line, alias, "\\avrtazu\\short\\<hash>");
                }
                files.insert(file + "\n");
            }
        }
        out << tree.changes;
        for (const std::string& file : files) {
            out << file;
        }
        out << "project: dirty " << project.isDirty() << ", list " << project.list() << ", map "
            << project.map() << ", tools " << project.tazuLocation() << " + "
            << project.makeLocation() << ", other files:";
        for (const SourceFile& file : project.otherFiles()) {
            out << " " << file.fullName();
        }
        return out.str() + "\n";
    }

    test::ScratchDrive drive{'C'};
    test::ScratchDrive other{'D'};
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    ClearingWorks works;
    ScriptedDialogService dialogs;
    RecordingTree tree;
    Project project{"demo", "C:\\work\\demo\\"};
    BuildDriver driver{project, nullptr};
    std::string steps;

private:
    std::string unrooted(std::string text) const {
        for (const auto& [root, letter] : {std::pair(drive.root(), "C:"), {other.root(), "D:"}}) {
            for (std::size_t at; (at = text.find(root)) != std::string::npos;) {
                text.replace(at, root.size(), letter);
            }
        }
        return text;
    }
};

void external(BuildBench& b, const char* extMakefile, const std::string& fileBelowRoot) {
    b.drive.write(fileBelowRoot, "all:\n");
    b.project.setUsesExtMakefile(true);
    b.project.setExtMakefile(extMakefile);
    b.build();
}

void compile(BuildBench& b, const char* activeFile, HRESULT activeResult) {
    b.works.activeFile = activeFile;
    b.works.activeFileResult = activeResult;
    b.run("compileFile", b.driver.compileFile());
}

void tools(BuildBench& b, bool usesTazuAvr, const char* tazuLocation, const char* makeLocation) {
    b.drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"C:\\\\TC\"\r\n");
    Registry::setFile(b.drive.linuxPath("tazu.reg"));
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    b.project.setUsesTazuAvr(usesTazuAvr);
    b.project.setTazuLocation(tazuLocation);
    b.project.setMakeLocation(makeLocation);
    b.steps += std::string("haveBuildTools: ") + (b.driver.haveBuildTools() ? "yes\n" : "no\n");
}

void exportTo(BuildBench& b, std::optional<std::string> chosen) {
    b.dialogs.queueSaveFile(std::move(chosen));
    b.run("exportMakefile", b.driver.exportMakefile());
}

// An output file of a build, with the tree: whether it exists and the tree showed it before.
void outputFile(BuildBench& b, const std::string& name, bool exists, bool shownBefore) {
    const std::string path = "C:\\work\\demo\\default\\" + name;
    if (exists) {
        b.drive.write("work/demo/default/" + name, "x");
    }
    if (shownBefore) {
        b.tree.shown.insert(path);
    }
    b.driver.setTree(&b.tree);
    b.driver.insertOtherItemsIntoProject(path);
}

TEST(BuildDriverTest, Scenarios) {
    const struct {
        const char* name;
        std::function<void(BuildBench&)> scenario;
    } cases[] = {
        // clang-format off
        {"a dirty build without a Makefile writes the files, runs make and reports the debug object", [](BuildBench& b) { b.project.setDirty(true); b.build(); }},
        {"compiler errors fail the summary, not the command; the missing map leaves the project", [](BuildBench& b) { b.makePrints("!E main.c(3): expected ';'\n"); b.makeCreates("demo.lis"); b.project.addOtherFile(SourceFile("default\\demo.mp")); b.project.setDirty(true); b.build(); }},
        {"a missing debug object fails the build and keeps it dirty", [](BuildBench& b) { b.makeCreates("demo.elf"); b.project.setOutputFileName("demo.elf"); b.project.setDirty(true); b.build(); }},
        {"a missing debug object of an external Makefile", [](BuildBench& b) { b.makeCreates("demo.elf"); b.project.setOutputFileName("demo.elf"); b.project.setDirty(true); external(b, "Makefile", "work/demo/Makefile"); }},
        {"a dirty project with a Makefile is cleaned first", [](BuildBench& b) { b.drive.write("work/demo/default/Makefile", "old\n"); b.project.setDirty(true); b.build(); }},
        {"a clean project with a Makefile is not", [](BuildBench& b) { b.drive.write("work/demo/default/Makefile", "old\n"); b.build(); }},
        {"an output directory is made one level deep only", [](BuildBench& b) { b.project.setOutputDirectory("gone\\deeper\\"); b.build(); }},
        {"an output directory on another drive", [](BuildBench& b) { b.other.makeFolder("out"); b.project.setOutputDirectory("D:\\out\\"); b.build(); }},
        {"an external Makefile builds in its own folder", [](BuildBench& b) { external(b, "C:\\ext\\prj\\project.mk", "ext/prj/project.mk"); }},
        {"an external Makefile below the project", [](BuildBench& b) { external(b, "sub\\Makefile", "work/demo/sub/Makefile"); }},
        {"an external Makefile with blanks in its path", [](BuildBench& b) { external(b, "C:\\ext\\my prj\\my build.mk", "ext/my prj/my build.mk"); }},
        {"a missing external Makefile", [](BuildBench& b) { b.project.setUsesExtMakefile(true); b.project.setExtMakefile("C:\\ext\\none\\Makefile"); b.build(); }},
        {"without build tools every command says why and stops", [](BuildBench& b) { b.project.setMakeLocation("C:\\nowhere"); b.works.activeFile = "C:\\work\\demo\\main.c"; b.build(); b.run("cleanProject", b.driver.cleanProject()); b.run("compileFile", b.driver.compileFile()); b.driver.makeTarget("main.o"); }},
        {"custom tools in place", [](BuildBench& b) { tools(b, false, "C:\\tools\\bin", "C:\\tools\\bin"); }},
        {"custom make tool missing", [](BuildBench& b) { tools(b, false, "C:\\tools\\bin", "C:\\tools"); }},
        {"custom compiler missing", [](BuildBench& b) { tools(b, false, "C:\\tools", "C:\\tools\\bin"); }},
        {"the installed toolchain is not looked at on disk", [](BuildBench& b) { tools(b, true, "C:\\elsewhere", "C:\\elsewhere"); }},
        {"the installed toolchain fills in missing locations", [](BuildBench& b) { tools(b, true, "", "C:\\old"); }},
        {"compile makes the object of the active project source", [](BuildBench& b) { compile(b, "C:\\work\\demo\\src\\uart.c", S_OK); }},
        {"compile of a file outside the project", [](BuildBench& b) { compile(b, "C:\\other\\uart2.c", S_OK); }},
        {"compile of a header", [](BuildBench& b) { compile(b, "C:\\work\\demo\\main.h", S_OK); }},
        {"compile without an active file", [](BuildBench& b) { compile(b, "", S_OK); }},
        {"compile when the host cannot say the active file", [](BuildBench& b) { compile(b, "C:\\work\\demo\\main.c", E_FAIL); }},
        {"making a target cleans a dirty project first", [](BuildBench& b) { b.project.setDirty(true); b.driver.makeTarget("main.o"); }},
        {"making a target with an external Makefile warns", [](BuildBench& b) { b.drive.write("work/demo/Makefile", "all:\n"); b.project.setUsesExtMakefile(true); b.project.setExtMakefile("Makefile"); b.driver.makeTarget("main.o"); }},
        {"export writes the chosen file only", [](BuildBench& b) { b.drive.makeFolder("exports"); exportTo(b, "C:\\exports\\Makefile.demo"); }},
        {"export cancelled", [](BuildBench& b) { exportTo(b, std::nullopt); }},
        {"export of a project whose Makefile would run a name", [](BuildBench& b) { b.project.addSrcFile(SourceFile("x;touch y.c")); exportTo(b, "C:\\Makefile.x"); }},
        {"export into a missing folder", [](BuildBench& b) { exportTo(b, "C:\\missing\\Makefile"); }},
        {"export of a project without configuration", [](BuildBench& b) { Project none("demo", "C:\\work\\demo\\"); b.dialogs.queueSaveFile("C:\\Makefile.x"); b.run("exportMakefile", BuildDriver(none, nullptr).exportMakefile()); }},
        {"a new listing joins the tree", [](BuildBench& b) { outputFile(b, "demo.lis", true, false); }},
        {"a map the tree shows stays", [](BuildBench& b) { outputFile(b, "demo.mp", true, true); }},
        {"a missing map leaves the tree", [](BuildBench& b) { outputFile(b, "demo.mp", false, true); }},
        {"a missing listing the tree does not show", [](BuildBench& b) { outputFile(b, "demo.lis", false, false); }},
        // clang-format on
    };
    std::string all;
    for (const auto& c : cases) {
        BuildBench bench;
        // Folder aliases stay on the scratch drive.
        const test::ScopedVariable cache("XDG_CACHE_HOME", bench.drive.linuxPath("cache"));
        c.scenario(bench);
        all += std::string("## ") + c.name + "\n" + bench.transcript();
    }
    test::expectGolden("build_driver_scenarios.txt", all);
}

// compile_commands.json is written directly for plain texts and by Qt for any other: either
// way it is the text Qt's own writer gives for it.
TEST(CompileDatabaseTest, WritesWhatQtWouldWrite) {
    test::ScratchDrive drive;
    Project project("demo", "C:\\");
    for (const char* source : {"a.c", "sub\\b.c", "c.c"}) {
        project.addSrcFile(SourceFile(source));
    }
    const std::vector<std::string> odd = {"/usr/bin/avr-gcc", "-DNAME=\"x\\y\"", "-DT=\xC3\xA9"};
    for (const auto& arguments : {std::vector<std::string>{"/usr/bin/avr-gcc", "-c", "a.c"}, odd}) {
        drive.makeFolder("out/dep");
        CompileRecord{"/w/out", "/w/a.c", arguments}.write(drive.linux("out/dep/a.o.cmd"));
        CompileRecord{"/w/out", "/w/sub/b.c", {"/usr/bin/avr-gcc"}}.write(
            drive.linux("out/dep/b.o.cmd"));
        ASSERT_EQ(CompileDatabase::write(project, "C:\\out\\"), 2);
        std::string text = drive.read("out/compile_commands.json");
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(text));
        EXPECT_EQ(parsed.toJson(QJsonDocument::Indented).toStdString(), text);
        EXPECT_EQ(parsed.array().size(), 2);
    }
}

// A build that compiled nothing reads no record: the database stays as it is while the Makefile
// (the list of sources) and every record are older; a newer or equally old one makes it anew.
TEST(CompileDatabaseTest, IsMadeAnewOnlyWhenTheMakefileOrARecordChanged) {
    namespace fs = std::filesystem;
    test::ScratchDrive drive;
    Project project("demo", "C:\\");
    project.addSrcFile(SourceFile("a.c"));
    project.addSrcFile(SourceFile("b.c"));
    drive.makeFolder("out/dep");
    drive.write("out/Makefile", "");
    for (const char* name : {"a", "b"}) {
        CompileRecord{"/w/out", std::string("/w/") + name + ".c", {"/usr/bin/avr-gcc"}}.write(
            drive.linux(std::string("out/dep/") + name + ".o.cmd"));
    }
    ASSERT_EQ(CompileDatabase::write(project, "C:\\out\\"), 2);
    const std::string both = drive.read("out/compile_commands.json");
    // A database made anew from here on leaves a.c out.
    drive.write("out/dep/a.o.cmd", "no whole record");
    struct Case {
        const char* name;
        int makefile, record, database;
        bool external;
        int entries;
    };
    for (const Case& c : {
             Case{"nothing newer", 100, 100, 200, false, 2},
             Case{"a record as old", 100, 200, 200, false, 1},
             Case{"a newer record", 100, 300, 200, false, 1},
             Case{"a newer Makefile", 300, 100, 200, false, 1},
             Case{"an external Makefile", 100, 100, 200, true, 1},
         }) {
        drive.write("out/compile_commands.json", both);
        project.setUsesExtMakefile(c.external);
        const auto at = [&drive](const char* file, int seconds) {
            fs::last_write_time(drive.linux(file),
                                fs::file_time_type(std::chrono::seconds(seconds)));
        };
        at("out/Makefile", c.makefile);
        at("out/dep/a.o.cmd", c.record);
        at("out/dep/b.o.cmd", 100);
        at("out/compile_commands.json", c.database);
        EXPECT_EQ(CompileDatabase::write(project, "C:\\out\\"), c.entries) << c.name;
        EXPECT_EQ(drive.read("out/compile_commands.json") == both, c.entries == 2) << c.name;
    }
}

} // namespace
} // namespace avrtazu
