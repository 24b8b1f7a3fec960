#include "persistence/xml_host_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::fakes {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr long kError = 2;
constexpr long kDebug = 3;

// The children of one CONFIG, in the order they must be written.
// clang-format off
const std::vector<std::string> kConfigChildren = {
    "NAME", "PART", "HEX", "LIST", "MAP",
    "EXTENSION", "STRICTCHECKINGS", "INTSIZEENUM", "CODECOMPRESSION", "GLOBALOPTIMIZATIONS",
    "MACRODEFINITIONS", "UNDEFINES", "OUTPUTFORMAT", "ECASB",
    "PROGRAMMEMORY", "ADDITIONALLIB", "BOOTSIZE", "FPSLICMEMORY", "DATAADDRESSBYTE", "DATAMEMORY",
    "DEVICECONFIGURATION",
    "EEPROM", "NONDEFAULTSTARTUP", "OTHEROPTIONS", "RETURNSTACKSIZE", "SRAM", "TEXTADDRESSWORD",
    "UNUSEDROMFILLBYTES",
    "PROGRAMTYPE", "PRINTFVERSION",
    "AVRSTUDIOIO", "DONOTUSER20TOR23", "ENHANCEDCORE", "IOREGSOFFSETINTERNALSRAM",
    "STRINGSINFLASHONLY", "USELONGCALLJMP", "USERAMPZELPM",
    "OUTPUTFILENAME", "OUTPUTDIR", "ISDIRTY",
    "OPTIONS", "INCDIRS", "ASMINCDIRS", "LIBDIRS", "LIBS",
    "OPTIONSFORALL", "LINKEROPTIONS"};
// clang-format on

using ProjectXmlWriterTest = HostDocumentTest;

TEST_F(ProjectXmlWriterTest, ConfigHasTheFortySevenChildrenInOrder) {
    ASSERT_EQ(kConfigChildren.size(), 47u);
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);

    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        EXPECT_THAT(childNames(config(index)), ElementsAreArray(kConfigChildren));
    }
}

TEST_F(ProjectXmlWriterTest, ConfigurationTextsAndContainers) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);

    const pugi::xml_node cfg1 = config(1);
    ASSERT_STREQ(cfg1.child_value("NAME"), "cfg1");
    EXPECT_STREQ(cfg1.child_value("PART"), "part@cfg1");
    EXPECT_STREQ(cfg1.child_value("DEVICECONFIGURATION"), "part@cfg1");
    EXPECT_STREQ(cfg1.child_value("EEPROM"), "eeprom@cfg1");
    EXPECT_STREQ(cfg1.child_value("OUTPUTDIR"), "outputDir@cfg1");
    EXPECT_STREQ(cfg1.child_value("LINKEROPTIONS"), "linkerOptions@cfg1");
    EXPECT_THAT(childTexts(cfg1.child("INCDIRS")), ElementsAre("inc\\cfg1\\", "C:\\common\\inc\\"));
    EXPECT_THAT(childNames(cfg1.child("INCDIRS")), ElementsAre("INCLUDE", "INCLUDE"));
    EXPECT_THAT(childNames(cfg1.child("ASMINCDIRS")), ElementsAre("ASMINCLUDE"));
    EXPECT_THAT(childNames(cfg1.child("LIBDIRS")), ElementsAre("LIBDIR"));
    EXPECT_THAT(childTexts(cfg1.child("LIBS")), ElementsAre("m", "libcfg1"));
    EXPECT_THAT(childNames(cfg1.child("LIBS")), ElementsAre("LIB", "LIB"));

    // Every OPTION holds its FILE and OPTIONLIST, in key order (byte order: "Z" before "a").
    const pugi::xml_node options = cfg1.child("OPTIONS");
    EXPECT_THAT(childNames(options), ElementsAre("OPTION", "OPTION", "OPTION"));
    std::vector<std::string> files;
    std::vector<std::string> lists;
    for (pugi::xml_node option : options.children("OPTION")) {
        EXPECT_THAT(childNames(option), ElementsAre("FILE", "OPTIONLIST"));
        files.emplace_back(option.child_value("FILE"));
        lists.emplace_back(option.child_value("OPTIONLIST"));
    }
    EXPECT_THAT(files, ElementsAre("Zeta.c", "alpha.c", "main.c"));
    EXPECT_THAT(lists, ElementsAre("-g", "", "-O2 cfg1"));
}

struct EncodingCase {
    const char* element;
    void (*set)(Configuration&);
    const char* expected;
};

const EncodingCase kEncodings[] = {
    {"PROGRAMTYPE", [](Configuration& c) { c.setProgramType(0); }, "0"},
    {"PROGRAMTYPE", [](Configuration& c) { c.setProgramType(1); }, "1"},
    {"PROGRAMTYPE", [](Configuration& c) { c.setProgramType(3); }, "1"},
    {"PROGRAMTYPE", [](Configuration& c) { c.setProgramType(-1); }, "1"},
    {"PRINTFVERSION", [](Configuration& c) { c.setPrintfVersion(0); }, "0"},
    {"PRINTFVERSION", [](Configuration& c) { c.setPrintfVersion(1); }, "1"},
    {"PRINTFVERSION", [](Configuration& c) { c.setPrintfVersion(2); }, "2"},
    {"PRINTFVERSION", [](Configuration& c) { c.setPrintfVersion(5); }, "2"},
    {"PRINTFVERSION", [](Configuration& c) { c.setPrintfVersion(-3); }, "2"},
    {"HEX", [](Configuration& c) { c.setHex(true); }, "1"},
    {"EXTENSION", [](Configuration& c) { c.setExtension(false); }, "0"},
    {"IOREGSOFFSETINTERNALSRAM", [](Configuration&) {}, "1"},
    {"ISDIRTY", [](Configuration& c) { c.setDirty(true); }, "1"},
    {"ISDIRTY", [](Configuration&) {}, "0"},
    {"MACRODEFINITIONS", [](Configuration&) {}, ""},
    {"MACRODEFINITIONS", [](Configuration& c) { c.setMacroDefinitions("A=1;B= 2 "); }, "A=1;B= 2 "},
    {"OUTPUTDIR", [](Configuration&) {}, "Debug\\"},
    {"OUTPUTFORMAT", [](Configuration&) {}, "HEX/COFF"},
};

TEST_F(ProjectXmlWriterTest, ValueEncodings) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    for (const EncodingCase& encoding : kEncodings) {
        SCOPED_TRACE(std::string(encoding.element) + " -> " + encoding.expected);
        Configuration c("Debug");
        encoding.set(c);
        Project project;
        project.addConfig(c);
        ASSERT_EQ(xml().projectToXML(project), S_OK);
        const pugi::xml_node element = config(0).child(encoding.element);
        ASSERT_TRUE(element);
        EXPECT_STREQ(element.child_value(), encoding.expected);
    }
}

TEST_F(ProjectXmlWriterTest, ProjectLevelValues) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    const pugi::xml_node s = section();
    EXPECT_STREQ(s.child_value("LASTCONFIG"), "cfg2");
    EXPECT_STREQ(s.child_value("USES_TAZUAVR"), "0");
    EXPECT_STREQ(s.child_value("TAZU_LOC"), "C:\\tazu\\bin\\tazuavr.exe");
    EXPECT_STREQ(s.child_value("MAKE_LOC"), "C:\\tazu\\bin\\tazumake.exe");
    EXPECT_STREQ(s.child_value("USESEXTERNALMAKEFILE"), "YES");
    EXPECT_STREQ(s.child_value("EXTERNALMAKEFILE"), "make\\Makefile");

    Project plain;
    plain.addConfig(Configuration("Debug"));
    ASSERT_EQ(xml().projectToXML(plain), S_OK);
    EXPECT_STREQ(s.child_value("USES_TAZUAVR"), "1");
    EXPECT_STREQ(s.child_value("USESEXTERNALMAKEFILE"), "NO");
    EXPECT_STREQ(s.child_value("EXTERNALMAKEFILE"), "");
    EXPECT_STREQ(s.child_value("LASTCONFIG"), "Debug");
    EXPECT_THAT(childNames(s.child("CONFIGS")), ElementsAre("CONFIG"));
    EXPECT_THAT(childNames(s.child("FILES")), IsEmpty());
}

TEST_F(ProjectXmlWriterTest, ToolElementsMoveBehindExternalMakefileFromTheSecondSave) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    const Project project = richProject();

    ASSERT_EQ(xml().projectToXML(project), S_OK);
    EXPECT_THAT(childNames(section()),
                ElementsAre("FILES", "CONFIGS", "LASTCONFIG", "USES_TAZUAVR", "TAZU_LOC",
                            "MAKE_LOC", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE"));

    const std::vector<std::string> settled = {
        "FILES",        "CONFIGS",  "LASTCONFIG", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE",
        "USES_TAZUAVR", "TAZU_LOC", "MAKE_LOC"};
    for (int save = 2; save <= 3; ++save) {
        SCOPED_TRACE(save);
        ASSERT_EQ(xml().projectToXML(project), S_OK);
        EXPECT_THAT(childNames(section()), ElementsAreArray(settled));
        EXPECT_THAT(childNames(section().child("CONFIGS")), ::testing::SizeIs(5));
        EXPECT_THAT(childNames(section().child("FILES")), ::testing::SizeIs(5));
    }
}

struct FileCase {
    const char* title;
    std::vector<std::string> sources;
    std::vector<std::string> headers;
    std::vector<std::string> others;
    std::vector<std::pair<std::string, std::string>> written;
};

const FileCase kFileCases[] = {
    {"each kind in order",
     {"main.c", "util.c"},
     {"board.h"},
     {"notes.txt"},
     {{"SOURCEFILE", "main.c"},
      {"SOURCEFILE", "util.c"},
      {"HEADERFILE", "board.h"},
      {"OTHERFILE", "notes.txt"}}},
    {"the first header with a source's path is written under both kinds",
     {"main.c", "util.c"},
     {"main.c"},
     {},
     {{"SOURCEFILE", "main.c"}, {"SOURCEFILE", "util.c"}, {"HEADERFILE", "main.c"}}},
    {"a later header with a source's path is skipped",
     {"main.c", "util.c"},
     {"board.h", "util.c", "io.h"},
     {},
     {{"SOURCEFILE", "main.c"},
      {"SOURCEFILE", "util.c"},
      {"HEADERFILE", "board.h"},
      {"HEADERFILE", "io.h"}}},
    {"a later other file with any earlier file's path is skipped",
     {"main.c"},
     {"board.h"},
     {"notes.txt", "board.h", "main.c", "x.lis"},
     {{"SOURCEFILE", "main.c"},
      {"HEADERFILE", "board.h"},
      {"OTHERFILE", "notes.txt"},
      {"OTHERFILE", "x.lis"}}},
    {"paths differing in case are different",
     {"main.c"},
     {"board.h", "MAIN.C"},
     {},
     {{"SOURCEFILE", "main.c"}, {"HEADERFILE", "board.h"}, {"HEADERFILE", "MAIN.C"}}},
    {"no files", {}, {}, {}, {}},
};

TEST_F(ProjectXmlWriterTest, FileListsAndTheirDuplicates) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    for (const FileCase& files : kFileCases) {
        SCOPED_TRACE(files.title);
        Project project;
        project.addConfig(Configuration("Debug"));
        for (const std::string& name : files.sources) {
            project.addSrcFile(SourceFile(name));
        }
        for (const std::string& name : files.headers) {
            project.addHdrFile(SourceFile(name));
        }
        for (const std::string& name : files.others) {
            project.addOtherFile(SourceFile(name));
        }
        ASSERT_EQ(xml().projectToXML(project), S_OK);

        std::vector<std::pair<std::string, std::string>> written;
        for (pugi::xml_node file : section().child("FILES").children()) {
            written.emplace_back(file.name(), file.child_value());
        }
        EXPECT_EQ(written, files.written);
    }
}

TEST_F(ProjectXmlWriterTest, EmptyProjectEmptiesTheContainersAndStopsAtLastConfig) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    hub->logs.clear();

    EXPECT_EQ(xml().projectToXML(Project()), E_FAIL);

    const pugi::xml_node s = section();
    EXPECT_THAT(childNames(s.child("CONFIGS")), IsEmpty());
    EXPECT_THAT(childNames(s.child("FILES")), IsEmpty());
    // Written before the failure; what follows it keeps the previous save's values.
    EXPECT_STREQ(s.child_value("USES_TAZUAVR"), "1");
    EXPECT_STREQ(s.child_value("TAZU_LOC"), "");
    EXPECT_STREQ(s.child_value("LASTCONFIG"), "cfg2");
    EXPECT_STREQ(s.child_value("USESEXTERNALMAKEFILE"), "YES");
    EXPECT_TRUE(hub->logged(kDebug, "ProjectXmlHandler::projectDataToXML",
                            "Project::currentConfigName(): Invalid Configuration"));
    EXPECT_TRUE(hub->logged(kError, "", "Project file data could not be saved"));
    EXPECT_EQ(hub->logs.size(), 2u);
}

TEST_F(ProjectXmlWriterTest, SaveRestoresAMissingSection) {
    Project project;
    project.addConfig(Configuration("Debug"));
    ASSERT_EQ(xml().projectToXML(project), S_OK);
    EXPECT_THAT(childNames(section()),
                ElementsAre("FILES", "CONFIGS", "USES_TAZUAVR", "TAZU_LOC", "MAKE_LOC",
                            "LASTCONFIG", "USESEXTERNALMAKEFILE", "EXTERNALMAKEFILE"));
}

TEST_F(ProjectXmlWriterTest, SaveWithoutRootElementFails) {
    ASSERT_TRUE(load("<OtherRoot/>"));
    Project project;
    project.addConfig(Configuration("Debug"));
    EXPECT_EQ(xml().projectToXML(project), E_FAIL);
    EXPECT_TRUE(hub->logged(kError, "", "XML: Error finding parent node"));
    EXPECT_TRUE(hub->logged(kError, "", "Project file data could not be saved"));
    EXPECT_THAT(childNames(hub->document.document_element()), IsEmpty());
}

TEST_F(ProjectXmlWriterTest, MakeStructureWritesTheDefaultConfiguration) {
    ASSERT_EQ(xml().makeStructure(), S_OK);

    EXPECT_THAT(childNames(section()), ElementsAre("FILES", "CONFIGS", "LASTCONFIG"));
    EXPECT_STREQ(section().child_value("LASTCONFIG"), "default");
    const pugi::xml_node cfg = config(0);
    EXPECT_THAT(childNames(cfg), ElementsAreArray(kConfigChildren));
    EXPECT_STREQ(cfg.child_value("NAME"), "default");
    EXPECT_STREQ(cfg.child_value("PART"), "Custom");
    EXPECT_STREQ(cfg.child_value("OUTPUTFILENAME"), "blink.o");
    EXPECT_STREQ(cfg.child_value("OUTPUTDIR"), "default\\");
    EXPECT_STREQ(cfg.child_value("PROGRAMMEMORY"), "1024");
    EXPECT_THAT(childNames(section().child("CONFIGS")), ElementsAre("CONFIG"));
}

TEST_F(ProjectXmlWriterTest, MakeStructureKeepsAnExistingSection) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    config(0).child("NAME").text().set("kept");
    section().child("LASTCONFIG").text().set("kept");

    ASSERT_EQ(xml().makeStructure(), S_OK);

    EXPECT_THAT(childNames(section()), ElementsAre("FILES", "CONFIGS", "LASTCONFIG"));
    EXPECT_THAT(childNames(section().child("CONFIGS")), ElementsAre("CONFIG"));
    EXPECT_STREQ(config(0).child_value("NAME"), "kept");
    EXPECT_STREQ(section().child_value("LASTCONFIG"), "kept");
    EXPECT_THAT(childNames(hub->document.document_element()),
                ElementsAre("MANAGEMENT", "CODE_CREATION", "DEBUG_TARGET", "AVRTAZUPLUGIN"));
}

TEST_F(ProjectXmlWriterTest, MakeStructureCompletesAPartialSection) {
    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><CONFIGS/></AVRTAZUPLUGIN></AVRStudio>"));
    ASSERT_EQ(xml().makeStructure(), S_OK);
    EXPECT_THAT(childNames(section()), ElementsAre("CONFIGS", "FILES", "LASTCONFIG"));
    // No host project name: the output file is ".o".
    EXPECT_STREQ(config(0).child_value("OUTPUTFILENAME"), ".o");
}

TEST_F(ProjectXmlWriterTest, MakeStructureOnAnEmptyDocument) {
    hub->document.reset();
    EXPECT_EQ(xml().makeStructure(), E_FAIL);
    EXPECT_TRUE(hub->logged(kError, "", "XML: Error finding parent node"));
    EXPECT_FALSE(hub->document.first_child());
}

TEST_F(ProjectXmlWriterTest, CloseRemovesTheFiveSections) {
    ASSERT_TRUE(load("<AVRStudio><MANAGEMENT/><Other>x</Other><CODE_CREATION/><DEBUG_TARGET/>"
                     "<Debugger/><AVRTAZUPLUGIN/><Debugger/><debugger/></AVRStudio>"));
    xml().removeSections();
    EXPECT_THAT(childNames(hub->document.document_element()), ElementsAre("Other", "debugger"));

    // A save after that rebuilds the section instead of touching freed elements.
    Project project;
    project.addConfig(Configuration("Debug"));
    EXPECT_EQ(xml().projectToXML(project), S_OK);
    EXPECT_STREQ(section().child_value("LASTCONFIG"), "Debug");
}

TEST_F(ProjectXmlWriterTest, EightBitTextGoesInUnchanged) {
    const std::string latin1 = "Pr\xfc"
                               "fung \xe4<&>\"'";
    Project project;
    Configuration c("R\xe9lease");
    c.setMacroDefinitions(latin1);
    c.setOptions("m\xe4in.c", latin1);
    project.addConfig(c);
    project.addSrcFile(SourceFile("\xdc"
                                  "ber.c"));
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(project), S_OK);

    // Through the host's save and load as well.
    std::ostringstream saved;
    hub->document.save(saved);
    ASSERT_TRUE(load(saved.str()));

    EXPECT_EQ(std::string(config(0).child_value("MACRODEFINITIONS")), latin1);
    EXPECT_EQ(std::string(section().child_value("LASTCONFIG")), "R\xe9lease");
    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_EQ(read.currentConfigName(), "R\xe9lease");
    EXPECT_EQ(read.macroDefinitions(), latin1);
    EXPECT_EQ(read.options("m\xe4in.c"), latin1);
    ASSERT_EQ(read.srcFiles().size(), 1u);
    EXPECT_EQ(read.srcFiles().front().fullName(), "\xdc"
                                                  "ber.c");
}

} // namespace
} // namespace avrtazu::fakes
