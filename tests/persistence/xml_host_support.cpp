#include "persistence/xml_host_support.h"

#include "services/bstr.h"

#include <algorithm>
#include <type_traits>

namespace avrtazu::fakes {

const char* const kHostDocument = "<AVRStudio>"
                                  "<MANAGEMENT><ProjectName>blink</ProjectName></MANAGEMENT>"
                                  "<CODE_CREATION><SaveFolder>C:\\work\\blink\\</SaveFolder>"
                                  "</CODE_CREATION>"
                                  "<DEBUG_TARGET><PART>ATmega16</PART></DEBUG_TARGET>"
                                  "</AVRStudio>";

XmlHub::XmlHub() {
    sharedObjects["XMLPROJECT"] = &document;
}

HRESULT XmlHub::GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    const pugi::xml_node node =
        document.document_element().child(toNarrow(section).c_str()).child(toNarrow(key).c_str());
    *value = toWide(node.child_value());
    return S_OK;
}

bool XmlHub::logged(long level, const std::string& context, const std::string& message) const {
    return std::any_of(logs.begin(), logs.end(), [&](const LogLine& line) {
        return line.level == level && line.context == context && line.message == message;
    });
}

namespace {

template <class Of> std::vector<std::string> ofChildElements(pugi::xml_node node, Of of) {
    std::vector<std::string> values;
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element) {
            values.emplace_back(of(child));
        }
    }
    return values;
}

} // namespace

std::vector<std::string> childNames(pugi::xml_node node) {
    return ofChildElements(node, [](pugi::xml_node child) { return child.name(); });
}

std::vector<std::string> childTexts(pugi::xml_node node) {
    return ofChildElements(node, [](pugi::xml_node child) { return child.child_value(); });
}

pugi::xml_node selectNode(const pugi::xml_document& document, const std::string& path) {
    return document.select_node(path.c_str()).node();
}

namespace {

// Codes 1 to 16 in five bits: every switch is on somewhere, off somewhere, and no two switches
// share a pattern.
bool richSwitch(int index, int config) {
    return (((index + 1) >> config) & 1) != 0;
}

// Texts name their field and configuration; switches take the next pattern; numbers are set
// apart.
template <typename T> T richValue(const char* field, int config, int& switchIndex) {
    if constexpr (std::is_same_v<T, bool>) {
        return richSwitch(switchIndex++, config);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return std::string(field) + "@cfg" + std::to_string(config);
    } else {
        return T{};
    }
}

} // namespace

Project richProject() {
    Project project("blink", "C:\\work\\blink\\");
    for (int config = 0; config < 5; ++config) {
        const std::string name = "cfg" + std::to_string(config);
        Configuration c(name);
        int switchIndex = 0;
#define AVRTAZU_RICH_VALUE(T, get, set, def, projectMessage, projectSetter)                        \
    c.set(richValue<T>(#get, config, switchIndex));
        AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_RICH_VALUE)
#undef AVRTAZU_RICH_VALUE
        c.setProgramType(config % 2);
        c.setPrintfVersion(config % 3);
        c.setOptionTabIndex(3);
        c.addIncludeDirectory("inc\\" + name + "\\");
        c.addIncludeDirectory("C:\\common\\inc\\");
        c.addAsmIncludeDirectory("asm\\" + name + "\\");
        c.addLibraryDirectory("lib\\" + name + "\\");
        c.addLibrary("m");
        c.addLibrary("lib" + name);
        c.setOptions("main.c", "-O2 " + name);
        c.setOptions("Zeta.c", "-g");
        c.setOptions("alpha.c", "");
        project.addConfig(c);
    }
    project.setActiveConfiguration("cfg2");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("C:\\shared\\util.c"));
    project.addHdrFile(SourceFile("inc\\board.h"));
    project.addOtherFile(SourceFile("default\\blink.lis"));
    project.addOtherFile(SourceFile("notes.txt"));
    project.setUsesExtMakefile(true);
    project.setExtMakefile("C:\\work\\blink\\make\\Makefile");
    project.setUsesTazuAvr(false);
    project.setTazuLocation("C:\\tazu\\bin\\tazuavr.exe");
    project.setMakeLocation("C:\\tazu\\bin\\tazumake.exe");
    return project;
}

} // namespace avrtazu::fakes
