#include "persistence/xml_host_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace avrtazu::fakes {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr long kError = 2;
constexpr long kDebug = 3;
constexpr const char* kCorrupt = "The AVR Studio project file seems to be corrupt. Please restart "
                                 "AVR Studio and try to create a new project";

// The children of one CONFIG, in the order they must be written.
// clang-format off
const std::vector<std::string> kConfigChildren = {
    "NAME", "PART", "HEX", "LIST", "MAP", "EXTENSION", "STRICTCHECKINGS", "INTSIZEENUM",
    "CODECOMPRESSION", "GLOBALOPTIMIZATIONS", "MACRODEFINITIONS", "UNDEFINES", "OUTPUTFORMAT",
    "ECASB", "PROGRAMMEMORY", "ADDITIONALLIB", "BOOTSIZE", "FPSLICMEMORY", "DATAADDRESSBYTE",
    "DATAMEMORY", "DEVICECONFIGURATION", "EEPROM", "NONDEFAULTSTARTUP", "OTHEROPTIONS",
    "RETURNSTACKSIZE", "SRAM", "TEXTADDRESSWORD", "UNUSEDROMFILLBYTES", "PROGRAMTYPE",
    "PRINTFVERSION", "AVRSTUDIOIO", "DONOTUSER20TOR23", "ENHANCEDCORE", "IOREGSOFFSETINTERNALSRAM",
    "STRINGSINFLASHONLY", "USELONGCALLJMP", "USERAMPZELPM", "OUTPUTFILENAME", "OUTPUTDIR",
    "ISDIRTY", "OPTIONS", "INCDIRS", "ASMINCDIRS", "LIBDIRS", "LIBS", "OPTIONSFORALL",
    "LINKEROPTIONS"};
// clang-format on

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> fullNames(const std::list<SourceFile>& files) {
    std::vector<std::string> names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

std::string serialized(const pugi::xml_document& document) {
    std::ostringstream text;
    document.save(text, "", pugi::format_raw);
    return text.str();
}

Project oneConfiguration(const Configuration& config = Configuration("Debug")) {
    Project project;
    project.addConfig(config);
    return project;
}

// Everything of a project but its configurations.
auto projectLevel(const Project& p) {
    return std::tuple(p.name(), p.homePath(), p.usesExtMakefile(), p.extMakefile(), p.usesTazuAvr(),
                      p.tazuLocation(), p.makeLocation(), fullNames(p.srcFiles()),
                      fullNames(p.hdrFiles()), fullNames(p.otherFiles()));
}

// The values of the section, read last: a read that failed before them leaves the defaults.
void expectSectionUnread(const Project& read) {
    EXPECT_EQ(std::tuple(read.usesExtMakefile(), read.extMakefile(), read.usesTazuAvr(),
                         read.tazuLocation(), read.makeLocation()),
              std::tuple(false, "", true, "", ""));
}

// Every field of the configuration, the options tab index aside (it is never stored).
void expectSameConfiguration(const Configuration& read, const Configuration& expected) {
#define AVRTAZU_EXPECT_SETTING(T, get, set, def, projectMessage, projectSetter)                    \
    if (std::string_view(#get) != "optionTabIndex") {                                              \
        EXPECT_EQ(read.get(), expected.get()) << #get << " of " << expected.name();                \
    }
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_EXPECT_SETTING)
#undef AVRTAZU_EXPECT_SETTING
#define AVRTAZU_EXPECT_LIST(getter, adder, clearer, emptyMessage, projectClearMessage)             \
    EXPECT_EQ(read.getter(), expected.getter()) << #getter << " of " << expected.name();
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_EXPECT_LIST)
#undef AVRTAZU_EXPECT_LIST
    EXPECT_EQ(read.options(), expected.options()) << "options of " << expected.name();
    EXPECT_EQ(read.optionTabIndex(), 0) << expected.name();
}

class ProjectXmlTest : public HostDocumentTest {
protected:
    void saveRichProject() {
        hub->logs.clear();
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    }

    // Reads richProject after breakIt spoiled its second configuration (cfg1): the read ends
    // there with the message, leaves the document as it was and keeps what came before.
    void expectReadEndsAtCfg1(const std::function<void(pugi::xml_node)>& breakIt,
                              const std::string& message) {
        SCOPED_TRACE(message);
        saveRichProject();
        breakIt(config(1));
        const std::string before = serialized(hub->document);
        Project read;
        EXPECT_EQ(xml().XMLToProject(read), E_FAIL);
        EXPECT_EQ(serialized(hub->document), before);
        EXPECT_EQ(hub->logs.size(), 2u);
        EXPECT_TRUE(hub->logged(kDebug, "XMLToProject()", message));
        EXPECT_TRUE(hub->logged(kError, "", kCorrupt));
        EXPECT_EQ(read.name(), "blink");
        EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("main.c", "C:\\shared\\util.c"));
        ASSERT_EQ(read.configs().size(), 1u);
        EXPECT_EQ(read.currentConfigName(), "cfg0");
        expectSectionUnread(read);
    }
};

TEST_F(ProjectXmlTest, WrittenProjectReadsBackEqual) {
    const Project written = richProject();
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(written), S_OK);
    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);

    EXPECT_EQ(projectLevel(read), projectLevel(written));
    EXPECT_EQ(read.currentConfigName(), "cfg2");
    ASSERT_EQ(read.configs().size(), written.configs().size());
    for (const auto& [name, config] : written.configs()) {
        const auto found = read.configs().find(name);
        ASSERT_NE(found, read.configs().end()) << name;
        expectSameConfiguration(found->second, config);
    }
}

TEST_F(ProjectXmlTest, EachConfigurationHasItsElementsInOrderEachWithItsOwnValue) {
    ASSERT_EQ(kConfigChildren.size(), 47u);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        const pugi::xml_node cfg = config(index);
        EXPECT_THAT(childNames(cfg), ElementsAreArray(kConfigChildren));
        // richProject's texts name their setting: one stored under another element shows.
        int texts = 0;
        for (pugi::xml_node child : cfg.children()) {
            const std::string text = child.child_value();
            const std::size_t at = text.find('@');
            if (at != std::string::npos) {
                ++texts;
                const std::string element = child.name();
                EXPECT_EQ(lower(text.substr(0, at)),
                          element == "DEVICECONFIGURATION" ? "part" : lower(element));
                EXPECT_EQ(text.substr(at), "@cfg" + std::to_string(index));
            }
        }
        EXPECT_EQ(texts, 23);
    }

    const pugi::xml_node cfg1 = config(1);
    EXPECT_THAT(childNames(cfg1.child("INCDIRS")), ElementsAre("INCLUDE", "INCLUDE"));
    EXPECT_THAT(childTexts(cfg1.child("INCDIRS")), ElementsAre("inc\\cfg1\\", "C:\\common\\inc\\"));
    EXPECT_THAT(childNames(cfg1.child("ASMINCDIRS")), ElementsAre("ASMINCLUDE"));
    EXPECT_THAT(childNames(cfg1.child("LIBDIRS")), ElementsAre("LIBDIR"));
    EXPECT_THAT(childNames(cfg1.child("LIBS")), ElementsAre("LIB", "LIB"));
    // Every OPTION holds its FILE and OPTIONLIST, in key order (byte order: "Z" before "a").
    std::vector<std::pair<std::string, std::string>> options;
    for (pugi::xml_node option : cfg1.child("OPTIONS").children()) {
        EXPECT_THAT(childNames(option), ElementsAre("FILE", "OPTIONLIST"));
        options.emplace_back(option.child_value("FILE"), option.child_value("OPTIONLIST"));
    }
    EXPECT_EQ(options, (std::vector<std::pair<std::string, std::string>>{
                           {"Zeta.c", "-g"}, {"alpha.c", ""}, {"main.c", "-O2 cfg1"}}));
}

TEST_F(ProjectXmlTest, NumbersAndSwitchesAreWrittenAsDigits) {
    // PROGRAMTYPE, PRINTFVERSION and HEX: values above their range are written as its top.
    for (const auto& [programType, printfVersion, hex, texts] :
         {std::tuple(0, 0, false, "0 0 0"), std::tuple(3, 1, true, "1 1 1"),
          std::tuple(-1, 5, true, "1 2 1")}) {
        Configuration debug("Debug");
        debug.setProgramType(programType);
        debug.setPrintfVersion(printfVersion);
        debug.setHex(hex);
        ASSERT_EQ(xml().projectToXML(oneConfiguration(debug)), S_OK);
        const pugi::xml_node cfg = config(0);
        EXPECT_EQ(std::string(cfg.child_value("PROGRAMTYPE")) + " " +
                      cfg.child_value("PRINTFVERSION") + " " + cfg.child_value("HEX"),
                  texts);
    }
}

TEST_F(ProjectXmlTest, ProjectLevelValuesAndTheirPlaceAcrossSaves) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    EXPECT_THAT(childNames(section()),
                ElementsAre("FILES", "CONFIGS", "LASTCONFIG", "USES_TAZUAVR", "TAZU_LOC",
                            "MAKE_LOC", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE"));
    EXPECT_THAT(childTexts(section()),
                ElementsAre("", "", "cfg2", "0", "C:\\tazu\\bin\\tazuavr.exe",
                            "C:\\tazu\\bin\\tazumake.exe", "YES", "make\\Makefile"));

    // From the second save on, the tool elements go behind EXTERNALMAKEFILE.
    const std::vector<std::string> settled = {
        "FILES",        "CONFIGS",  "LASTCONFIG", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE",
        "USES_TAZUAVR", "TAZU_LOC", "MAKE_LOC"};
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    EXPECT_THAT(childNames(section()), ElementsAreArray(settled));
    EXPECT_THAT(childNames(section().child("CONFIGS")), SizeIs(5));
    EXPECT_THAT(childNames(section().child("FILES")), SizeIs(5));

    ASSERT_EQ(xml().projectToXML(oneConfiguration()), S_OK);
    EXPECT_THAT(childNames(section()), ElementsAreArray(settled));
    EXPECT_THAT(childTexts(section()), ElementsAre("", "", "Debug", "NO", "", "1", "", ""));
    EXPECT_THAT(childNames(section().child("CONFIGS")), ElementsAre("CONFIG"));
    EXPECT_THAT(childNames(section().child("FILES")), IsEmpty());
}

TEST_F(ProjectXmlTest, FilesByKindWithoutPathsWrittenBefore) {
    Project project = oneConfiguration();
    for (const char* name : {"main.c", "util.c"}) {
        project.addSrcFile(SourceFile(name));
    }
    for (const char* name : {"main.c", "board.h", "util.c"}) {
        project.addHdrFile(SourceFile(name));
    }
    for (const char* name : {"notes.txt", "board.h"}) {
        project.addOtherFile(SourceFile(name));
    }
    ASSERT_EQ(xml().projectToXML(project), S_OK);

    // The first file of a kind is written whatever its path; a later one whose path an earlier
    // file of any kind has is left out.
    const pugi::xml_node files = section().child("FILES");
    EXPECT_THAT(childNames(files),
                ElementsAre("SOURCEFILE", "SOURCEFILE", "HEADERFILE", "HEADERFILE", "OTHERFILE"));
    EXPECT_THAT(childTexts(files),
                ElementsAre("main.c", "util.c", "main.c", "board.h", "notes.txt"));
}

TEST_F(ProjectXmlTest, EmptyProjectEmptiesTheContainersAndStopsAtLastConfig) {
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    hub->logs.clear();

    EXPECT_EQ(xml().projectToXML(Project()), E_FAIL);

    const pugi::xml_node s = section();
    EXPECT_THAT(childNames(s.child("CONFIGS")), IsEmpty());
    EXPECT_THAT(childNames(s.child("FILES")), IsEmpty());
    // Written before the failure; what follows it keeps the previous save's values.
    EXPECT_STREQ(s.child_value("USES_TAZUAVR"), "1");
    EXPECT_STREQ(s.child_value("LASTCONFIG"), "cfg2");
    EXPECT_STREQ(s.child_value("USESEXTERNALMAKEFILE"), "YES");
    EXPECT_EQ(hub->logs.size(), 2u);
    EXPECT_TRUE(hub->logged(kDebug, "ProjectXmlHandler::projectDataToXML",
                            "Project::currentConfigName(): Invalid Configuration"));
    EXPECT_TRUE(hub->logged(kError, "", "Project file data could not be saved"));
}

TEST_F(ProjectXmlTest, WithoutTheHostRootNothingIsWritten) {
    for (const char* document : {"", "<OtherRoot/>"}) {
        SCOPED_TRACE(document);
        hub->logs.clear();
        load(document);
        EXPECT_EQ(xml().makeStructure(), E_FAIL);
        EXPECT_EQ(hub->logs.size(), 1u);
        EXPECT_EQ(xml().projectToXML(oneConfiguration()), E_FAIL);
        EXPECT_TRUE(hub->logged(kError, "", "XML: Error finding parent node"));
        EXPECT_TRUE(hub->logged(kError, "", "Project file data could not be saved"));
        EXPECT_THAT(childNames(hub->document.document_element()), IsEmpty());
    }
}

TEST_F(ProjectXmlTest, MakeStructureWritesTheDefaultConfigurationOnlyWhenThereIsNone) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    EXPECT_THAT(childNames(section()), ElementsAre("FILES", "CONFIGS", "LASTCONFIG"));
    EXPECT_STREQ(section().child_value("LASTCONFIG"), "default");
    EXPECT_THAT(childNames(section().child("CONFIGS")), ElementsAre("CONFIG"));
    EXPECT_THAT(childNames(config(0)), ElementsAreArray(kConfigChildren));
    EXPECT_STREQ(config(0).child_value("NAME"), "default");
    EXPECT_STREQ(config(0).child_value("PART"), "Custom");
    EXPECT_STREQ(config(0).child_value("OUTPUTFILENAME"), "blink.o");

    const std::string made = serialized(hub->document);
    ASSERT_EQ(xml().makeStructure(), S_OK);
    EXPECT_EQ(serialized(hub->document), made);

    // A partial section is completed; without a host project name the output file is ".o".
    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><CONFIGS/></AVRTAZUPLUGIN></AVRStudio>"));
    ASSERT_EQ(xml().makeStructure(), S_OK);
    EXPECT_THAT(childNames(section()), ElementsAre("CONFIGS", "FILES", "LASTCONFIG"));
    EXPECT_STREQ(config(0).child_value("OUTPUTFILENAME"), ".o");
}

TEST_F(ProjectXmlTest, CloseRemovesTheFiveSectionsAndASaveBuildsTheSectionAgain) {
    ASSERT_TRUE(load("<AVRStudio><MANAGEMENT/><Other>x</Other><CODE_CREATION/><DEBUG_TARGET/>"
                     "<Debugger/><AVRTAZUPLUGIN/><Debugger/><debugger/></AVRStudio>"));
    xml().removeSections();
    EXPECT_THAT(childNames(hub->document.document_element()), ElementsAre("Other", "debugger"));

    EXPECT_EQ(xml().projectToXML(oneConfiguration()), S_OK);
    EXPECT_THAT(childNames(section()),
                ElementsAre("FILES", "CONFIGS", "USES_TAZUAVR", "TAZU_LOC", "MAKE_LOC",
                            "LASTCONFIG", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE"));
}

TEST_F(ProjectXmlTest, EightBitTextGoesThroughTheHostsSaveAndLoadUnchanged) {
    const std::string latin1 = "Pr\xfc"
                               "fung \xe4<&>\"'";
    Configuration release("R\xe9lease");
    release.setMacroDefinitions(latin1);
    release.setOptions("m\xe4in.c", latin1);
    ASSERT_EQ(xml().projectToXML(oneConfiguration(release)), S_OK);
    std::ostringstream saved;
    hub->document.save(saved);
    ASSERT_TRUE(load(saved.str()));

    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_EQ(read.currentConfigName(), "R\xe9lease");
    EXPECT_EQ(read.macroDefinitions(), latin1);
    EXPECT_EQ(read.options("m\xe4in.c"), latin1);
}

struct MissingCase {
    const char* element;
    const char* message;
};

// The single values of a CONFIG in the order they are read, which is not the order of writing;
// the lists come between ISDIRTY and OPTIONSFORALL.
// clang-format off
const MissingCase kReadOrder[] = {
    {"NAME", "No Name node found"}, {"PART", "No Part node found"}, {"HEX", "No HEX node found"},
    {"LIST", "No LIST node found"}, {"MAP", "No MAP node found"},
    {"EXTENSION", "No EXTENSION node found"}, {"STRICTCHECKINGS", "No STRICTCHECKINGS node found"},
    {"INTSIZEENUM", "No INTSIZEENUM node found"},
    {"CODECOMPRESSION", "No CODECOMPRESSION node found"},
    {"GLOBALOPTIMIZATIONS", "No GLOBALOPTIMIZATIONS node found"},
    {"MACRODEFINITIONS", "No MACRODEFINITIONS node found"},
    {"UNDEFINES", "No UNDEFINES node found"}, {"OUTPUTFORMAT", "No OUTPUTFORMAT node found"},
    {"ECASB", "No ECASB node found"}, {"PROGRAMMEMORY", "No PROGRAMMEMORY node found"},
    {"ADDITIONALLIB", "No ADDITIONALLIB node found"}, {"BOOTSIZE", "No BOOTSIZE node found"},
    {"FPSLICMEMORY", "No FPSLICMEMORY node found"},
    {"DATAADDRESSBYTE", "No DATAADDRESSBYTE node found"},
    {"DATAMEMORY", "No DATAMEMORY node found"},
    {"DEVICECONFIGURATION", "No DEVICECONFIGURATION node found"},
    {"EEPROM", "No EEPROM node found"}, {"NONDEFAULTSTARTUP", "No NONDEFAULTSTARTUP node found"},
    {"OTHEROPTIONS", "No OTHEROPTIONS node found"},
    {"RETURNSTACKSIZE", "No RETURNSTACKSIZE node found"}, {"SRAM", "No SRAM node found"},
    {"TEXTADDRESSWORD", "No TEXTADDRESSWORD node found"},
    {"UNUSEDROMFILLBYTES", "No UNUSEDROMFILLBYTES node found"},
    {"AVRSTUDIOIO", "No AVRSTUDIOIO node found"},
    {"DONOTUSER20TOR23", "No DONOTUSER20TOR23 node found"},
    {"ENHANCEDCORE", "No ENHANCEDCORE node found"},
    {"IOREGSOFFSETINTERNALSRAM", "No IOREGSOFFSETINTERNALSRAM node found"},
    {"STRINGSINFLASHONLY", "No STRINGSINFLASHONLY node found"},
    {"USELONGCALLJMP", "No USELONGCALLJMP node found"},
    {"USERAMPZELPM", "No USERAMPZELPM node found"}, {"PROGRAMTYPE", "No PROGRAMTYPE node found"},
    {"PRINTFVERSION", "No PRINTFVERSION node found"},
    {"OUTPUTFILENAME", "No outputfile node found"}, {"OUTPUTDIR", "No outputdir node found"},
    {"ISDIRTY", "No ISDIRTY node found"}, {"OPTIONSFORALL", "NO OPTIONSFORALL node found"},
    {"LINKEROPTIONS", "No LINKEROPTIONS node found"},
};
// clang-format on

TEST_F(ProjectXmlTest, TheFirstMissingElementInReadingOrderEndsTheRead) {
    ASSERT_EQ(std::size(kReadOrder), 42u);
    // An element taken away together with all read after it: its message, and so the order.
    for (std::size_t first = 0; first < std::size(kReadOrder); ++first) {
        const auto removeFromFirst = [first](pugi::xml_node c) {
            for (std::size_t index = first; index < std::size(kReadOrder); ++index) {
                ASSERT_TRUE(c.remove_child(kReadOrder[index].element));
            }
        };
        expectReadEndsAtCfg1(removeFromFirst, kReadOrder[first].message);
    }
}

TEST_F(ProjectXmlTest, BrokenContentsEndTheRead) {
    const char* inconsistent = "XML: Inconsistent Project file";
    expectReadEndsAtCfg1(
        [](pugi::xml_node c) { c.child("OPTIONS").first_child().remove_child("FILE"); },
        inconsistent);
    expectReadEndsAtCfg1(
        [](pugi::xml_node c) { c.child("OPTIONS").last_child().remove_child("OPTIONLIST"); },
        inconsistent);
    // Whatever stands in OPTIONS or a list is an entry.
    expectReadEndsAtCfg1([](pugi::xml_node c) { c.child("OPTIONS").append_child("STRAY"); },
                         inconsistent);
    expectReadEndsAtCfg1([](pugi::xml_node c) { c.child("INCDIRS").append_child("X"); },
                         "Project::addIncludeDirectory(): Will not add \"\" include directories");
    expectReadEndsAtCfg1([](pugi::xml_node c) { c.child("NAME").text().set(""); },
                         "Project::addConfig(): Invalid configuration");
}

TEST_F(ProjectXmlTest, MissingListContainersAreEmpty) {
    saveRichProject();
    for (int index = 0; index < 5; ++index) {
        for (const char* container : {"INCDIRS", "ASMINCDIRS", "LIBDIRS", "LIBS", "OPTIONS"}) {
            ASSERT_TRUE(config(index).remove_child(container));
        }
    }
    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    const Configuration& cfg = read.configs().at("cfg3");
    EXPECT_EQ(
        (std::vector<std::size_t>{cfg.includes().size(), cfg.asmincludes().size(),
                                  cfg.libdirs().size(), cfg.libs().size(), cfg.options().size()}),
        std::vector<std::size_t>(5, 0));
    EXPECT_THAT(hub->logs, IsEmpty());
}

// The decoded values, for the rows below to look for.
std::string decoded(const Project& p) {
    std::ostringstream text;
    text << "HEX=" << p.hex() << " PROGRAMTYPE=" << p.programType()
         << " PRINTFVERSION=" << p.printfVersion() << " PART=" << p.part() << " EEPROM=["
         << p.eeprom() << "] USESEXTERNALMAKEFILE=" << p.usesExtMakefile()
         << " USES_TAZUAVR=" << p.usesTazuAvr();
    return text.str();
}

struct DecodingCase {
    bool inSection; // else in the first CONFIG
    const char* element;
    const char* text;
    const char* decoded;
};

const DecodingCase kDecodings[] = {
    {false, "HEX", "0", "HEX=0"},
    // Anything but "0" is true.
    {false, "HEX", "", "HEX=1"},
    {false, "PROGRAMTYPE", "0", "PROGRAMTYPE=0"},
    {false, "PROGRAMTYPE", "7", "PROGRAMTYPE=1"},
    {false, "PRINTFVERSION", "0", "PRINTFVERSION=0"},
    {false, "PRINTFVERSION", "1", "PRINTFVERSION=1"},
    {false, "PRINTFVERSION", "9", "PRINTFVERSION=2"},
    // DEVICECONFIGURATION is read after PART and replaces it.
    {false, "PART", "ATmega8", "PART=Custom"},
    {false, "DEVICECONFIGURATION", "ATmega16", "PART=ATmega16"},
    {false, "EEPROM", " 0x200 ", "EEPROM=[ 0x200 ]"},
    {true, "USESEXTERNALMAKEFILE", "yes", "USESEXTERNALMAKEFILE=0"},
    {true, "USES_TAZUAVR", "", "USES_TAZUAVR=1"},
};

TEST_F(ProjectXmlTest, Decodings) {
    for (const DecodingCase& decoding : kDecodings) {
        SCOPED_TRACE(std::string(decoding.element) + "=\"" + decoding.text + "\"");
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().makeStructure(), S_OK);
        pugi::xml_node parent = decoding.inSection ? section() : config(0);
        const pugi::xml_node element = parent.child(decoding.element);
        (element ? element : parent.append_child(decoding.element)).text().set(decoding.text);
        Project read;
        ASSERT_EQ(xml().XMLToProject(read), S_OK);
        EXPECT_THAT(decoded(read), HasSubstr(decoding.decoded));
    }
}

TEST_F(ProjectXmlTest, FilesAreAddedByKindInDocumentOrder) {
    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><FILES>"
                     "<OTHERFILE>notes.txt</OTHERFILE><HEADERFILE>inc\\a.h</HEADERFILE>"
                     "<SOURCEFILE>b.c</SOURCEFILE><STRAY>stray.c</STRAY>"
                     "<SOURCEFILE>C:\\lib\\a.c</SOURCEFILE><SOURCEFILE>b.c</SOURCEFILE>"
                     "</FILES></AVRTAZUPLUGIN></AVRStudio>"));
    ASSERT_EQ(xml().makeStructure(), S_OK);
    // Reading only adds to the project.
    Project read;
    read.addSrcFile(SourceFile("kept.c"));
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("kept.c", "b.c", "C:\\lib\\a.c"));
    EXPECT_THAT(fullNames(read.hdrFiles()), ElementsAre("inc\\a.h"));
    EXPECT_THAT(fullNames(read.otherFiles()), ElementsAre("notes.txt"));
}

TEST_F(ProjectXmlTest, LastConfigNamingNoConfigurationIsCorrupt) {
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    section().child("LASTCONFIG").text().set("CFG2");
    Project read;
    EXPECT_EQ(xml().XMLToProject(read), E_FAIL);
    EXPECT_TRUE(hub->logged(kDebug, "XMLToProject()",
                            "Project::setConfiguration(): Invalid Configuration"));
    EXPECT_TRUE(hub->logged(kError, "", kCorrupt));
    EXPECT_EQ(read.configs().size(), 5u);
    EXPECT_THROW(read.currentConfigName(), std::runtime_error);
    expectSectionUnread(read);
}

TEST_F(ProjectXmlTest, EmptyHomePathIsLoggedAndReadingGoesOn) {
    hub->document.document_element().remove_child("CODE_CREATION");
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    Project read;
    EXPECT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_EQ(hub->logs.size(), 1u);
    EXPECT_TRUE(
        hub->logged(kDebug, "ProjectXmlHandler::XMLToProject()", "Project homepath is empty"));
    EXPECT_EQ(read.tazuLocation(), "C:\\tazu\\bin\\tazuavr.exe");
}

TEST_F(ProjectXmlTest, GetNodeText) {
    ASSERT_TRUE(load("<AVRStudio><A>one<B>two</B><![CDATA[<3>]]></A><E/></AVRStudio>"));
    EXPECT_EQ(xml().getNodeText(selectNode(hub->document, "/AVRStudio/A")), "onetwo<3>");
    EXPECT_EQ(xml().getNodeText(selectNode(hub->document, "/AVRStudio/E")), "");
    EXPECT_THAT(hub->logs, IsEmpty());

    EXPECT_EQ(xml().getNodeText(pugi::xml_node()), "");
    EXPECT_TRUE(
        hub->logged(kDebug, "ProjectXmlHandler::getNodeText()", "XML: Could not get node text"));
}

} // namespace
} // namespace avrtazu::fakes
