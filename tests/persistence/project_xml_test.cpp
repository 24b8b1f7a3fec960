#include "persistence/project_xml_handler.h"
#include "persistence/xml_host_support.h"

#include "golden.h"
#include "services/plugin_hub.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <list>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace avrtazu::fakes {
namespace {

using ::testing::ElementsAre;

constexpr long kError = 2;
constexpr long kDebug = 3;
constexpr const char* kCorrupt = "The AVR Studio project file seems to be corrupt. Please restart "
                                 "AVR Studio and try to create a new project";

std::vector<std::string> fullNames(const std::list<SourceFile>& files) {
    std::vector<std::string> names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

std::string result(HRESULT hr) {
    return hr == S_OK ? "S_OK" : hr == E_FAIL ? "E_FAIL" : std::to_string(hr);
}

Project oneConfiguration(const Configuration& config = Configuration("Debug")) {
    Project project;
    project.addConfig(config);
    return project;
}

// The section's values, read last: a read that failed before them leaves the defaults.
void expectSectionUnread(const Project& read) {
    EXPECT_EQ(std::tuple(read.usesExtMakefile(), read.extMakefile(), read.usesTazuAvr(),
                         read.tazuLocation(), read.makeLocation()),
              std::tuple(false, "", true, "", ""));
}

// The hub installed with kHostDocument loaded, and a handler on it.
class ProjectXmlTest : public ::testing::Test {
protected:
    ProjectXmlTest() { load(kHostDocument); }

    bool load(const std::string& xml) {
        return static_cast<bool>(hub->document.load_string(xml.c_str()));
    }
    pugi::xml_node at(const std::string& path) {
        return selectNode(hub->document, "/AVRStudio/" + path);
    }
    pugi::xml_node section() { return at("AVRTAZUPLUGIN"); }
    pugi::xml_node config(int index) {
        return at("AVRTAZUPLUGIN/CONFIGS/CONFIG[" + std::to_string(index + 1) + "]");
    }
    // The document as the host saves it, then the log lines the user sees since the last look.
    std::string saved() {
        std::ostringstream text;
        hub->document.save(text, "  ");
        for (const auto& line : hub->logs) {
            if (line.level != kDebug) {
                text << "log " << line.level << ": " << line.message << "\n";
            }
        }
        hub->logs.clear();
        return text.str();
    }

    // Reads richProject after breakIt spoiled its second configuration (cfg1): the read fails
    // as corrupt, leaves the document as it was and keeps what came before.
    void expectReadFails(const std::string& what,
                         const std::function<void(pugi::xml_node)>& breakIt) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml.projectToXML(richProject()), S_OK);
        breakIt(config(1));
        const std::string before = saved();
        Project read;
        EXPECT_EQ(xml.XMLToProject(read), E_FAIL);
        EXPECT_EQ(saved(), before + "log 2: " + kCorrupt + "\n");
        EXPECT_EQ(read.name(), "blink");
        EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("main.c", "C:\\shared\\util.c"));
        ASSERT_EQ(read.configs().size(), 1u);
        EXPECT_EQ(read.currentConfigName(), "cfg0");
        expectSectionUnread(read);
    }

    std::shared_ptr<XmlHub> hub = std::make_shared<XmlHub>();
    HubInstallation installation{hub};
    ProjectXmlHandler xml;
};

// The document after each step of a project's life, byte for byte as the host saves it.
TEST_F(ProjectXmlTest, DocumentsAsWritten) {
    Project duplicates = oneConfiguration();
    Configuration release("Release");
    release.setProgramType(-1); // out of range: written as the range's top
    release.setPrintfVersion(5);
    release.setHex(true);
    duplicates.addConfig(release);
    // A file whose path an earlier file of any kind has is left out, unless it is the first of
    // its kind.
    for (const char* name : {"main.c", "util.c"}) {
        duplicates.addSrcFile(SourceFile(name));
    }
    for (const char* name : {"main.c", "board.h", "util.c"}) {
        duplicates.addHdrFile(SourceFile(name));
    }
    for (const char* name : {"notes.txt", "board.h"}) {
        duplicates.addOtherFile(SourceFile(name));
    }

    std::string all;
    const auto step = [&](const std::string& what, HRESULT hr) {
        all += "== " + what + ": " + result(hr) + "\n" + saved();
    };
    step("makeStructure", xml.makeStructure());
    const std::string made = saved();
    EXPECT_EQ(xml.makeStructure(), S_OK);
    EXPECT_EQ(saved(), made) << "a second makeStructure changes nothing";
    step("projectToXML(richProject())", xml.projectToXML(richProject()));
    step("projectToXML(Project())", xml.projectToXML(Project()));
    step("projectToXML of Debug and Release with duplicate files", xml.projectToXML(duplicates));
    load("<AVRStudio><MANAGEMENT/><Other>x</Other><CODE_CREATION/><DEBUG_TARGET/><Debugger/>"
         "<AVRTAZUPLUGIN/><Debugger/><debugger/></AVRStudio>");
    xml.removeSections();
    step("removeSections", S_OK);
    step("projectToXML(oneConfiguration())", xml.projectToXML(oneConfiguration()));
    load("<AVRStudio><AVRTAZUPLUGIN><CONFIGS/></AVRTAZUPLUGIN></AVRStudio>");
    step("makeStructure of a partial section without a project name", xml.makeStructure());
    for (const char* document : {"", "<OtherRoot/>"}) {
        load(document);
        step(std::string("makeStructure of \"") + document + "\"", xml.makeStructure());
        step("projectToXML(oneConfiguration())", xml.projectToXML(oneConfiguration()));
    }

    test::expectGolden("documents.txt", all);
}

// Writing the section again keeps only the children that say exactly what would be written: a
// name changed to one of the same length, in its folder or its file name, is written anew.
TEST_F(ProjectXmlTest, RewritingTheSectionReplacesEveryChangedName) {
    const auto withSources = [](std::initializer_list<const char*> names) {
        Project project = oneConfiguration();
        for (const char* name : names) {
            project.addSrcFile(SourceFile(name));
        }
        return project;
    };
    ASSERT_EQ(xml.projectToXML(withSources({"main.c", "src\\uart.c", "lib\\io.c"})), S_OK);
    ASSERT_EQ(xml.projectToXML(withSources({"main.c", "src\\uarT.c", "lid\\io.c"})), S_OK);
    ASSERT_TRUE(load(saved()));
    Project read;
    ASSERT_EQ(xml.XMLToProject(read), S_OK);
    std::string names;
    for (const SourceFile& file : read.srcFiles()) {
        names += file.fullName() + " ";
    }
    EXPECT_EQ(names, "main.c src\\uarT.c lid\\io.c ");
}

// A project saved as text, loaded, read back and written again gives the same document: nothing
// is lost or swapped, 8-bit text included.
TEST_F(ProjectXmlTest, WrittenProjectReadsBackEqual) {
    Project project = richProject();
    project.setMacroDefinitions("Pr\xfc"
                                "fung \xe4<&>\"'");
    project.setOptions("m\xe4in.c", "-D\xe9");
    ASSERT_EQ(xml.projectToXML(project), S_OK);
    const std::string written = saved();
    ASSERT_TRUE(load(written));
    Project read;
    ASSERT_EQ(xml.XMLToProject(read), S_OK);
    EXPECT_EQ(read.name() + "|" + read.homePath(), "blink|C:\\work\\blink\\");
    EXPECT_EQ(read.macroDefinitions(), project.macroDefinitions());
    ASSERT_TRUE(load(kHostDocument));
    ASSERT_EQ(xml.projectToXML(read), S_OK);
    EXPECT_EQ(saved(), written);
}

TEST_F(ProjectXmlTest, AnyMissingValueOrBrokenListEndsTheReadAsCorrupt) {
    ASSERT_EQ(xml.projectToXML(richProject()), S_OK);
    const std::vector<std::string> containers = {"OPTIONS", "INCDIRS", "ASMINCDIRS", "LIBDIRS",
                                                 "LIBS"};
    for (const std::string& element : childNames(config(1))) {
        if (std::find(containers.begin(), containers.end(), element) == containers.end()) {
            expectReadFails(element + " missing",
                            [&](pugi::xml_node c) { c.remove_child(element.c_str()); });
        }
    }
    expectReadFails("OPTION without FILE", [](pugi::xml_node c) {
        c.child("OPTIONS").first_child().remove_child("FILE");
    });
    expectReadFails("OPTION without OPTIONLIST", [](pugi::xml_node c) {
        c.child("OPTIONS").last_child().remove_child("OPTIONLIST");
    });
    // Whatever stands in OPTIONS or a list is an entry.
    expectReadFails("stray in OPTIONS",
                    [](pugi::xml_node c) { c.child("OPTIONS").append_child("STRAY"); });
    expectReadFails("empty include",
                    [](pugi::xml_node c) { c.child("INCDIRS").append_child("X"); });
    expectReadFails("empty name", [](pugi::xml_node c) { c.child("NAME").text().set(""); });
}

TEST_F(ProjectXmlTest, LastConfigNamingNoConfigurationIsCorrupt) {
    ASSERT_EQ(xml.projectToXML(richProject()), S_OK);
    section().child("LASTCONFIG").text().set("CFG2");
    Project read;
    EXPECT_EQ(xml.XMLToProject(read), E_FAIL);
    EXPECT_TRUE(hub->logged(kError, "", kCorrupt));
    EXPECT_EQ(read.configs().size(), 5u);
    EXPECT_THROW(read.currentConfigName(), std::runtime_error);
    expectSectionUnread(read);
}

TEST_F(ProjectXmlTest, MissingListContainersAreEmptyAndAMissingHomePathIsNoError) {
    hub->document.document_element().remove_child("CODE_CREATION");
    ASSERT_EQ(xml.projectToXML(richProject()), S_OK);
    for (int index = 0; index < 5; ++index) {
        for (const char* container : {"INCDIRS", "ASMINCDIRS", "LIBDIRS", "LIBS", "OPTIONS"}) {
            ASSERT_TRUE(config(index).remove_child(container));
        }
    }
    Project read;
    ASSERT_EQ(xml.XMLToProject(read), S_OK);
    const Configuration& cfg = read.configs().at("cfg3");
    EXPECT_EQ(cfg.includes().size() + cfg.asmincludes().size() + cfg.libdirs().size() +
                  cfg.libs().size() + cfg.options().size(),
              0u);
    EXPECT_EQ(read.homePath(), "");
    EXPECT_EQ(read.tazuLocation(), "C:\\tazu\\bin\\tazuavr.exe");
    EXPECT_TRUE(
        hub->logged(kDebug, "ProjectXmlHandler::XMLToProject()", "Project homepath is empty"));
    EXPECT_EQ(hub->logs.size(), 1u);
}

TEST_F(ProjectXmlTest, ValuesOutOfTheirRangeAreDecodedLeniently) {
    ASSERT_EQ(xml.makeStructure(), S_OK);
    // Anything but "0" is true; DEVICECONFIGURATION, read after PART, has the last word.
    for (const auto& [element, text] : {std::pair{"HEX", ""},
                                        {"PROGRAMTYPE", "7"},
                                        {"PRINTFVERSION", "9"},
                                        {"PART", "ATmega8"},
                                        {"DEVICECONFIGURATION", "ATmega16"},
                                        {"EEPROM", " 0x200 "}}) {
        config(0).child(element).text().set(text);
    }
    section().append_child("USESEXTERNALMAKEFILE").text().set("yes");
    section().append_child("USES_TAZUAVR");
    Project read;
    ASSERT_EQ(xml.XMLToProject(read), S_OK);
    EXPECT_EQ(std::tuple(read.hex(), read.programType(), read.printfVersion(), read.part(),
                         read.eeprom(), read.usesExtMakefile(), read.usesTazuAvr()),
              std::tuple(true, 1, 2, "ATmega16", " 0x200 ", false, true));
}

} // namespace
} // namespace avrtazu::fakes
