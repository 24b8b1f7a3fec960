#include "persistence/xml_host_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::fakes {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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

std::string serialized(const pugi::xml_document& document) {
    std::ostringstream text;
    document.save(text, "", pugi::format_raw);
    return text.str();
}

// Every field of the configuration, the options tab index aside (it is never stored).
void expectSameConfiguration(const Configuration& read, const Configuration& expected) {
    EXPECT_EQ(read.name(), expected.name());
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

using ProjectXmlReaderTest = HostDocumentTest;

TEST_F(ProjectXmlReaderTest, WrittenProjectReadsBackEqual) {
    const Project written = richProject();
    ASSERT_EQ(xml().makeStructure(), S_OK);
    ASSERT_EQ(xml().projectToXML(written), S_OK);

    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);

    EXPECT_EQ(read.name(), "blink");
    EXPECT_EQ(read.homePath(), "C:\\work\\blink\\");
    EXPECT_EQ(read.currentConfigName(), "cfg2");
    EXPECT_EQ(read.usesExtMakefile(), true);
    EXPECT_EQ(read.extMakefile(), written.extMakefile());
    EXPECT_EQ(read.usesTazuAvr(), false);
    EXPECT_EQ(read.tazuLocation(), written.tazuLocation());
    EXPECT_EQ(read.makeLocation(), written.makeLocation());
    EXPECT_EQ(fullNames(read.srcFiles()), fullNames(written.srcFiles()));
    EXPECT_EQ(fullNames(read.hdrFiles()), fullNames(written.hdrFiles()));
    EXPECT_EQ(fullNames(read.otherFiles()), fullNames(written.otherFiles()));
    ASSERT_EQ(read.configs().size(), written.configs().size());
    for (const auto& [name, config] : written.configs()) {
        const auto found = read.configs().find(name);
        ASSERT_NE(found, read.configs().end()) << name;
        expectSameConfiguration(found->second, config);
    }
}

struct NumberCase {
    int programType;
    int printfVersion;
    int programTypeRead;
    int printfVersionRead;
};

const NumberCase kNumbers[] = {
    {0, 0, 0, 0}, {1, 1, 1, 1}, {1, 2, 1, 2}, {3, 5, 1, 2}, {-1, -1, 1, 2}, {0, 100, 0, 2},
};

TEST_F(ProjectXmlReaderTest, NumbersAboveTheirRangeComeBackAtItsTop) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    for (const NumberCase& number : kNumbers) {
        SCOPED_TRACE(std::to_string(number.programType) + "/" +
                     std::to_string(number.printfVersion));
        Project written;
        Configuration c("Debug");
        c.setProgramType(number.programType);
        c.setPrintfVersion(number.printfVersion);
        c.setOptionTabIndex(2);
        written.addConfig(c);
        ASSERT_EQ(xml().projectToXML(written), S_OK);

        Project read;
        ASSERT_EQ(xml().XMLToProject(read), S_OK);
        EXPECT_EQ(read.programType(), number.programTypeRead);
        EXPECT_EQ(read.printfVersion(), number.printfVersionRead);
        EXPECT_EQ(read.optionTabIndex(), 0);
    }
}

struct MissingCase {
    const char* element;
    const char* message;
};

const MissingCase kMissing[] = {
    {"NAME", "No Name node found"},
    {"PART", "No Part node found"},
    {"HEX", "No HEX node found"},
    {"LIST", "No LIST node found"},
    {"MAP", "No MAP node found"},
    {"EXTENSION", "No EXTENSION node found"},
    {"STRICTCHECKINGS", "No STRICTCHECKINGS node found"},
    {"INTSIZEENUM", "No INTSIZEENUM node found"},
    {"CODECOMPRESSION", "No CODECOMPRESSION node found"},
    {"GLOBALOPTIMIZATIONS", "No GLOBALOPTIMIZATIONS node found"},
    {"MACRODEFINITIONS", "No MACRODEFINITIONS node found"},
    {"UNDEFINES", "No UNDEFINES node found"},
    {"OUTPUTFORMAT", "No OUTPUTFORMAT node found"},
    {"ECASB", "No ECASB node found"},
    {"PROGRAMMEMORY", "No PROGRAMMEMORY node found"},
    {"ADDITIONALLIB", "No ADDITIONALLIB node found"},
    {"BOOTSIZE", "No BOOTSIZE node found"},
    {"FPSLICMEMORY", "No FPSLICMEMORY node found"},
    {"DATAADDRESSBYTE", "No DATAADDRESSBYTE node found"},
    {"DATAMEMORY", "No DATAMEMORY node found"},
    {"DEVICECONFIGURATION", "No DEVICECONFIGURATION node found"},
    {"EEPROM", "No EEPROM node found"},
    {"NONDEFAULTSTARTUP", "No NONDEFAULTSTARTUP node found"},
    {"OTHEROPTIONS", "No OTHEROPTIONS node found"},
    {"RETURNSTACKSIZE", "No RETURNSTACKSIZE node found"},
    {"SRAM", "No SRAM node found"},
    {"TEXTADDRESSWORD", "No TEXTADDRESSWORD node found"},
    {"UNUSEDROMFILLBYTES", "No UNUSEDROMFILLBYTES node found"},
    {"PROGRAMTYPE", "No PROGRAMTYPE node found"},
    {"PRINTFVERSION", "No PRINTFVERSION node found"},
    {"AVRSTUDIOIO", "No AVRSTUDIOIO node found"},
    {"DONOTUSER20TOR23", "No DONOTUSER20TOR23 node found"},
    {"ENHANCEDCORE", "No ENHANCEDCORE node found"},
    {"IOREGSOFFSETINTERNALSRAM", "No IOREGSOFFSETINTERNALSRAM node found"},
    {"STRINGSINFLASHONLY", "No STRINGSINFLASHONLY node found"},
    {"USELONGCALLJMP", "No USELONGCALLJMP node found"},
    {"USERAMPZELPM", "No USERAMPZELPM node found"},
    {"OUTPUTFILENAME", "No outputfile node found"},
    {"OUTPUTDIR", "No outputdir node found"},
    {"ISDIRTY", "No ISDIRTY node found"},
    {"OPTIONSFORALL", "NO OPTIONSFORALL node found"},
    {"LINKEROPTIONS", "No LINKEROPTIONS node found"},
};

// The read of richProject with one element of its second configuration (cfg1) taken away must
// end there: cfg0 and the files are in, nothing after is.
void expectReadEndedAtSecondConfiguration(const XmlHub& hub, const Project& read,
                                          const std::string& message) {
    EXPECT_TRUE(hub.logged(kDebug, "XMLToProject()", message)) << message;
    EXPECT_TRUE(hub.logged(kError, "", kCorrupt));
    EXPECT_EQ(hub.linesAt(kError).size(), 1u);
    EXPECT_EQ(read.name(), "blink");
    EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("main.c", "C:\\shared\\util.c"));
    ASSERT_EQ(read.configs().size(), 1u);
    EXPECT_EQ(read.configs().begin()->first, "cfg0");
    EXPECT_EQ(read.currentConfigName(), "cfg0");
    EXPECT_FALSE(read.usesExtMakefile());
    EXPECT_EQ(read.extMakefile(), "");
    EXPECT_TRUE(read.usesTazuAvr());
    EXPECT_EQ(read.tazuLocation(), "");
    EXPECT_EQ(read.makeLocation(), "");
}

TEST_F(ProjectXmlReaderTest, EachMissingElementEndsTheReadWithItsMessage) {
    ASSERT_EQ(std::size(kMissing), 42u);
    for (const MissingCase& missing : kMissing) {
        SCOPED_TRACE(missing.element);
        hub->logs.clear();
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().makeStructure(), S_OK);
        ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
        ASSERT_TRUE(config(1).remove_child(missing.element));
        const std::string before = serialized(hub->document);

        Project read;
        EXPECT_EQ(xml().XMLToProject(read), E_FAIL);

        expectReadEndedAtSecondConfiguration(*hub, read, missing.message);
        EXPECT_EQ(serialized(hub->document), before);
    }
}

struct FirstMissingCase {
    std::vector<const char*> removed;
    const char* reported;
};

// Reading goes in its own order, which is not the order of writing.
const FirstMissingCase kFirstMissing[] = {
    {{"PRINTFVERSION", "AVRSTUDIOIO"}, "No AVRSTUDIOIO node found"},
    {{"USERAMPZELPM", "PROGRAMTYPE"}, "No USERAMPZELPM node found"},
    {{"DEVICECONFIGURATION", "PART"}, "No Part node found"},
    {{"OPTIONSFORALL", "ISDIRTY"}, "No ISDIRTY node found"},
    {{"NAME", "HEX"}, "No Name node found"},
    {{"AVRSTUDIOIO", "UNUSEDROMFILLBYTES"}, "No UNUSEDROMFILLBYTES node found"},
    {{"PRINTFVERSION", "PROGRAMTYPE"}, "No PROGRAMTYPE node found"},
    {{"OUTPUTFILENAME", "PRINTFVERSION"}, "No PRINTFVERSION node found"},
    {{"ISDIRTY", "OUTPUTDIR"}, "No outputdir node found"},
    {{"LINKEROPTIONS", "OPTIONSFORALL"}, "NO OPTIONSFORALL node found"},
};

TEST_F(ProjectXmlReaderTest, TheFirstMissingElementInReadingOrderIsReported) {
    for (const FirstMissingCase& missing : kFirstMissing) {
        SCOPED_TRACE(missing.reported);
        hub->logs.clear();
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
        for (const char* element : missing.removed) {
            ASSERT_TRUE(config(1).remove_child(element));
        }
        Project read;
        EXPECT_EQ(xml().XMLToProject(read), E_FAIL);
        EXPECT_EQ(hub->linesAt(kDebug).size(), 1u);
        EXPECT_TRUE(hub->logged(kDebug, "XMLToProject()", missing.reported));
    }
}

struct BrokenOptionCase {
    const char* title;
    void (*breakIt)(pugi::xml_node config);
    const char* message;
};

const BrokenOptionCase kBrokenOptions[] = {
    {"OPTION without FILE",
     [](pugi::xml_node c) { c.child("OPTIONS").child("OPTION").remove_child("FILE"); },
     "XML: Inconsistent Project file"},
    {"OPTION without OPTIONLIST",
     [](pugi::xml_node c) { c.child("OPTIONS").last_child().remove_child("OPTIONLIST"); },
     "XML: Inconsistent Project file"},
    {"empty OPTION of another name",
     [](pugi::xml_node c) { c.child("OPTIONS").append_child("STRAY"); },
     "XML: Inconsistent Project file"},
    {"empty include entry", [](pugi::xml_node c) { c.child("INCDIRS").append_child("INCLUDE"); },
     "Project::addIncludeDirectory(): Will not add \"\" include directories"},
    {"empty library entry", [](pugi::xml_node c) { c.child("LIBS").append_child("LIB"); },
     "Project::addLibrary(): Will not add \"\" library"},
    {"empty configuration name", [](pugi::xml_node c) { c.child("NAME").text().set(""); },
     "Project::addConfig(): Invalid configuration"},
};

TEST_F(ProjectXmlReaderTest, BrokenContentsEndTheRead) {
    for (const BrokenOptionCase& broken : kBrokenOptions) {
        SCOPED_TRACE(broken.title);
        hub->logs.clear();
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
        broken.breakIt(config(1));
        Project read;
        EXPECT_EQ(xml().XMLToProject(read), E_FAIL);
        expectReadEndedAtSecondConfiguration(*hub, read, broken.message);
    }
}

TEST_F(ProjectXmlReaderTest, MissingContainersAreEmpty) {
    for (const char* container : {"INCDIRS", "ASMINCDIRS", "LIBDIRS", "LIBS", "OPTIONS"}) {
        SCOPED_TRACE(container);
        hub->logs.clear();
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
        for (int index = 0; index < 5; ++index) {
            ASSERT_TRUE(config(index).remove_child(container));
        }
        Project read;
        ASSERT_EQ(xml().XMLToProject(read), S_OK);
        const Configuration& cfg = read.configs().at("cfg3");
        const std::string name = container;
        EXPECT_EQ(cfg.includes().empty(), name == "INCDIRS");
        EXPECT_EQ(cfg.asmincludes().empty(), name == "ASMINCDIRS");
        EXPECT_EQ(cfg.libdirs().empty(), name == "LIBDIRS");
        EXPECT_EQ(cfg.libs().empty(), name == "LIBS");
        EXPECT_EQ(cfg.options().empty(), name == "OPTIONS");
        EXPECT_THAT(hub->logs, IsEmpty());
    }
}

struct DecodingCase {
    const char* element;
    const char* text;
    std::string (*read)(const Project&);
    const char* expected;
};

std::string yesNo(bool value) {
    return value ? "true" : "false";
}

const DecodingCase kConfigDecodings[] = {
    {"HEX", "0", [](const Project& p) { return yesNo(p.hex()); }, "false"},
    {"HEX", "1", [](const Project& p) { return yesNo(p.hex()); }, "true"},
    {"HEX", "", [](const Project& p) { return yesNo(p.hex()); }, "true"},
    {"HEX", "false", [](const Project& p) { return yesNo(p.hex()); }, "true"},
    {"HEX", "00", [](const Project& p) { return yesNo(p.hex()); }, "true"},
    {"ISDIRTY", "0", [](const Project& p) { return yesNo(p.isDirty()); }, "false"},
    {"ISDIRTY", "", [](const Project& p) { return yesNo(p.isDirty()); }, "true"},
    {"EXTENSION", "0", [](const Project& p) { return yesNo(p.extension()); }, "false"},
    {"USERAMPZELPM", "yes", [](const Project& p) { return yesNo(p.useRampzElpm()); }, "true"},
    {"PROGRAMTYPE", "0", [](const Project& p) { return std::to_string(p.programType()); }, "0"},
    {"PROGRAMTYPE", "1", [](const Project& p) { return std::to_string(p.programType()); }, "1"},
    {"PROGRAMTYPE", "7", [](const Project& p) { return std::to_string(p.programType()); }, "1"},
    {"PROGRAMTYPE", "", [](const Project& p) { return std::to_string(p.programType()); }, "1"},
    {"PRINTFVERSION", "0", [](const Project& p) { return std::to_string(p.printfVersion()); }, "0"},
    {"PRINTFVERSION", "1", [](const Project& p) { return std::to_string(p.printfVersion()); }, "1"},
    {"PRINTFVERSION", "2", [](const Project& p) { return std::to_string(p.printfVersion()); }, "2"},
    {"PRINTFVERSION", "9", [](const Project& p) { return std::to_string(p.printfVersion()); }, "2"},
    {"PRINTFVERSION", "", [](const Project& p) { return std::to_string(p.printfVersion()); }, "2"},
    // DEVICECONFIGURATION is read after PART and replaces it.
    {"PART", "ATmega8", [](const Project& p) { return p.part(); }, "Custom"},
    {"DEVICECONFIGURATION", "ATmega16", [](const Project& p) { return p.part(); }, "ATmega16"},
    {"OUTPUTDIR", "out", [](const Project& p) { return p.outputDir(); }, "out"},
    {"EEPROM", " 0x200 ", [](const Project& p) { return p.eeprom(); }, " 0x200 "},
};

TEST_F(ProjectXmlReaderTest, ConfigurationDecodings) {
    for (const DecodingCase& decoding : kConfigDecodings) {
        SCOPED_TRACE(std::string(decoding.element) + "=\"" + decoding.text + "\"");
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().makeStructure(), S_OK);
        config(0).child(decoding.element).text().set(decoding.text);
        Project read;
        ASSERT_EQ(xml().XMLToProject(read), S_OK);
        EXPECT_EQ(decoding.read(read), decoding.expected);
    }
}

const DecodingCase kSectionDecodings[] = {
    {"USESEXTERNALMAKEFILE", "YES", [](const Project& p) { return yesNo(p.usesExtMakefile()); },
     "true"},
    {"USESEXTERNALMAKEFILE", "yes", [](const Project& p) { return yesNo(p.usesExtMakefile()); },
     "false"},
    {"USESEXTERNALMAKEFILE", "1", [](const Project& p) { return yesNo(p.usesExtMakefile()); },
     "false"},
    {"USES_TAZUAVR", "0", [](const Project& p) { return yesNo(p.usesTazuAvr()); }, "false"},
    {"USES_TAZUAVR", "", [](const Project& p) { return yesNo(p.usesTazuAvr()); }, "true"},
    {"USES_TAZUAVR", "NO", [](const Project& p) { return yesNo(p.usesTazuAvr()); }, "true"},
    {"TAZU_LOC", "C:\\t\\tazuavr.exe", [](const Project& p) { return p.tazuLocation(); },
     "C:\\t\\tazuavr.exe"},
    {"MAKE_LOC", "C:\\t\\tazumake.exe", [](const Project& p) { return p.makeLocation(); },
     "C:\\t\\tazumake.exe"},
    // Stored relative to the project directory when it lies below it.
    {"EXTERNALMAKEFILE", "C:\\work\\blink\\sub\\Makefile",
     [](const Project& p) { return p.extMakefile(); }, "sub\\Makefile"},
    {"EXTERNALMAKEFILE", "D:\\other\\Makefile", [](const Project& p) { return p.extMakefile(); },
     "D:\\other\\Makefile"},
};

TEST_F(ProjectXmlReaderTest, ProjectLevelDecodings) {
    for (const DecodingCase& decoding : kSectionDecodings) {
        SCOPED_TRACE(std::string(decoding.element) + "=\"" + decoding.text + "\"");
        ASSERT_TRUE(load(kHostDocument));
        ASSERT_EQ(xml().makeStructure(), S_OK);
        pugi::xml_node element = section().child(decoding.element);
        if (!element) {
            element = section().append_child(decoding.element);
        }
        element.text().set(decoding.text);
        Project read;
        ASSERT_EQ(xml().XMLToProject(read), S_OK);
        EXPECT_EQ(decoding.read(read), decoding.expected);
    }
}

TEST_F(ProjectXmlReaderTest, FilesByKindInDocumentOrder) {
    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><FILES>"
                     "<OTHERFILE>notes.txt</OTHERFILE>"
                     "<HEADERFILE>inc\\a.h</HEADERFILE>"
                     "<SOURCEFILE>b.c</SOURCEFILE>"
                     "<STRAY>stray.c</STRAY>"
                     "<SOURCEFILE>C:\\lib\\a.c</SOURCEFILE>"
                     "<SOURCEFILE>b.c</SOURCEFILE>"
                     "</FILES></AVRTAZUPLUGIN></AVRStudio>"));
    ASSERT_EQ(xml().makeStructure(), S_OK);
    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("b.c", "C:\\lib\\a.c"));
    EXPECT_THAT(fullNames(read.hdrFiles()), ElementsAre("inc\\a.h"));
    EXPECT_THAT(fullNames(read.otherFiles()), ElementsAre("notes.txt"));
}

TEST_F(ProjectXmlReaderTest, EmptyFilesGiveNoFiles) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    Project read;
    ASSERT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_THAT(read.srcFiles(), IsEmpty());
    EXPECT_THAT(read.hdrFiles(), IsEmpty());
    EXPECT_THAT(read.otherFiles(), IsEmpty());
    EXPECT_EQ(read.currentConfigName(), "default");
    EXPECT_EQ(read.outputFileName(), "blink.o");
}

TEST_F(ProjectXmlReaderTest, LastConfigNamingNoConfigurationIsCorrupt) {
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    section().child("LASTCONFIG").text().set("CFG2");

    Project read;
    EXPECT_EQ(xml().XMLToProject(read), E_FAIL);

    EXPECT_TRUE(hub->logged(kDebug, "XMLToProject()",
                            "Project::setConfiguration(): Invalid Configuration"));
    EXPECT_TRUE(hub->logged(kError, "", kCorrupt));
    EXPECT_EQ(read.configs().size(), 5u);
    EXPECT_THROW(read.currentConfigName(), std::runtime_error);
    EXPECT_FALSE(read.usesExtMakefile());
    EXPECT_EQ(read.extMakefile(), "");
    EXPECT_TRUE(read.usesTazuAvr());
    EXPECT_EQ(read.tazuLocation(), "");
    EXPECT_EQ(read.makeLocation(), "");
}

TEST_F(ProjectXmlReaderTest, EmptyHomePathIsLoggedAndReadingGoesOn) {
    selectNode(hub->document, "/AVRStudio/CODE_CREATION").parent().remove_child("CODE_CREATION");
    ASSERT_EQ(xml().projectToXML(richProject()), S_OK);
    Project read;
    EXPECT_EQ(xml().XMLToProject(read), S_OK);
    EXPECT_TRUE(
        hub->logged(kDebug, "ProjectXmlHandler::XMLToProject()", "Project homepath is empty"));
    EXPECT_EQ(read.tazuLocation(), "C:\\tazu\\bin\\tazuavr.exe");
    EXPECT_THAT(hub->linesAt(kError), IsEmpty());
}

TEST_F(ProjectXmlReaderTest, ReadingOnlyAdds) {
    ASSERT_EQ(xml().makeStructure(), S_OK);
    Project read("old", "C:\\old\\");
    Configuration mine("default", "ATmega8", "mine.o");
    read.addConfig(mine);
    read.addSrcFile(SourceFile("kept.c"));

    ASSERT_EQ(xml().XMLToProject(read), S_OK);

    EXPECT_EQ(read.name(), "blink");
    EXPECT_THAT(fullNames(read.srcFiles()), ElementsAre("kept.c"));
    // A configuration of the same name already there keeps its settings.
    EXPECT_EQ(read.part(), "ATmega8");
    EXPECT_EQ(read.outputFileName(), "mine.o");
}

TEST_F(ProjectXmlReaderTest, GetNodeText) {
    ASSERT_TRUE(load("<AVRStudio><A>one<B>two</B><![CDATA[<3>]]></A><E/></AVRStudio>"));
    EXPECT_EQ(xml().getNodeText(selectNode(hub->document, "/AVRStudio/A/B")), "two");
    EXPECT_EQ(xml().getNodeText(selectNode(hub->document, "/AVRStudio/A")), "onetwo<3>");
    EXPECT_EQ(xml().getNodeText(selectNode(hub->document, "/AVRStudio/E")), "");
    EXPECT_THAT(hub->logs, IsEmpty());

    EXPECT_EQ(xml().getNodeText(pugi::xml_node()), "");
    EXPECT_TRUE(
        hub->logged(kDebug, "ProjectXmlHandler::getNodeText()", "XML: Could not get node text"));
}

} // namespace
} // namespace avrtazu::fakes
