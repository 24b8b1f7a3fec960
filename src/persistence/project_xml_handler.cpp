#include "persistence/project_xml_handler.h"

#include "model/source_file.h"
#include "platform/joined_text.h"
#include "services/bstr.h"
#include "services/plug_in_utility.h"
#include "services/plugin_hub.h"

#include <array>
#include <cstring>
#include <exception>
#include <memory_resource>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace avrtazu {

namespace {

constexpr const char* kRootPath = "/AVRStudio";
constexpr const char* kSectionName = "AVRTAZUPLUGIN";
constexpr const char* kFilesPath = "/AVRStudio/AVRTAZUPLUGIN/FILES";
constexpr const char* kConfigsPath = "/AVRStudio/AVRTAZUPLUGIN/CONFIGS";

constexpr const char* kCreateError = "XML: Error creating  node";
constexpr const char* kAppendError = "XML: Error appending node";
constexpr const char* kCorruptProject = "The AVR Studio project file seems to be corrupt. Please "
                                        "restart AVR Studio and try to create a new project";
constexpr const char* kNoDocument = "XML: No project document";

// The sections the host and the plug-in leave in the document; all go when the plug-in closes.
constexpr std::array<const char*, 5> kClosedSections = {"MANAGEMENT", "CODE_CREATION",
                                                        "DEBUG_TARGET", "Debugger", kSectionName};

std::string encodeBool(bool value) {
    return value ? "1" : "0";
}
// Anything but "0" is true, so an empty element reads as true.
bool decodeBool(const std::string& text) {
    return text != "0";
}
std::string encodeProgramType(int value) {
    return value == 0 ? "0" : "1";
}
int decodeProgramType(const std::string& text) {
    return text == "0" ? 0 : 1;
}
std::string encodePrintfVersion(int value) {
    return value == 0 ? "0" : value == 1 ? "1" : "2";
}
int decodePrintfVersion(const std::string& text) {
    return text == "0" ? 0 : text == "1" ? 1 : 2;
}

// One single-valued child of CONFIG: its element, the message when it is missing and how its
// value goes to and from text.
struct ScalarField {
    const char* element;
    const char* missingMessage;
    std::string (*write)(const Configuration&);
    void (*read)(Configuration&, const std::string&);
};

#define AVRTAZU_XML_TEXT(element, message, get, set)                                               \
    ScalarField {                                                                                  \
        element, message, [](const Configuration& c) { return c.get(); },                          \
            [](Configuration& c, const std::string& text) { c.set(text); }                         \
    }
#define AVRTAZU_XML_BOOL(element, get, set)                                                        \
    ScalarField {                                                                                  \
        element, "No " element " node found",                                                      \
            [](const Configuration& c) { return encodeBool(c.get()); },                            \
            [](Configuration& c, const std::string& text) { c.set(decodeBool(text)); }             \
    }
#define AVRTAZU_XML_PLAIN(element, get, set)                                                       \
    AVRTAZU_XML_TEXT(element, "No " element " node found", get, set)

// The single-valued children in the order they are written (1 to 40, then 46 and 47); the four
// lists and OPTIONS are written between ISDIRTY and OPTIONSFORALL.
const std::array<ScalarField, 42> kScalarFields = {{
    AVRTAZU_XML_TEXT("NAME", "No Name node found", name, setName),
    AVRTAZU_XML_TEXT("PART", "No Part node found", part, setPart),
    AVRTAZU_XML_BOOL("HEX", hex, setHex),
    AVRTAZU_XML_BOOL("LIST", list, setList),
    AVRTAZU_XML_BOOL("MAP", map, setMap),
    AVRTAZU_XML_BOOL("EXTENSION", extension, setExtension),
    AVRTAZU_XML_BOOL("STRICTCHECKINGS", strictCheckings, setStrictCheckings),
    AVRTAZU_XML_BOOL("INTSIZEENUM", intSizeEnum, setIntSizeEnum),
    AVRTAZU_XML_BOOL("CODECOMPRESSION", codeCompression, setCodeCompression),
    AVRTAZU_XML_BOOL("GLOBALOPTIMIZATIONS", globalOptimizations, setGlobalOptimizations),
    AVRTAZU_XML_PLAIN("MACRODEFINITIONS", macroDefinitions, setMacroDefinitions),
    AVRTAZU_XML_PLAIN("UNDEFINES", undefines, setUndefines),
    AVRTAZU_XML_PLAIN("OUTPUTFORMAT", outputFormat, setOutputFormat),
    AVRTAZU_XML_PLAIN("ECASB", ecasb, setEcasb),
    AVRTAZU_XML_PLAIN("PROGRAMMEMORY", programMemory, setProgramMemory),
    AVRTAZU_XML_PLAIN("ADDITIONALLIB", additionalLib, setAdditionalLib),
    AVRTAZU_XML_PLAIN("BOOTSIZE", bootSize, setBootSize),
    AVRTAZU_XML_PLAIN("FPSLICMEMORY", fpslicMemory, setFpslicMemory),
    AVRTAZU_XML_PLAIN("DATAADDRESSBYTE", dataAddressByte, setDataAddressByte),
    AVRTAZU_XML_PLAIN("DATAMEMORY", dataMemory, setDataMemory),
    // The part once more; on reading it has the last word.
    AVRTAZU_XML_PLAIN("DEVICECONFIGURATION", part, setPart),
    AVRTAZU_XML_PLAIN("EEPROM", eeprom, setEeprom),
    AVRTAZU_XML_PLAIN("NONDEFAULTSTARTUP", nonDefaultStartup, setNonDefaultStartup),
    AVRTAZU_XML_PLAIN("OTHEROPTIONS", otherOptions, setOtherOptions),
    AVRTAZU_XML_PLAIN("RETURNSTACKSIZE", returnStackSize, setReturnStackSize),
    AVRTAZU_XML_PLAIN("SRAM", sram, setSram),
    AVRTAZU_XML_PLAIN("TEXTADDRESSWORD", textAddressWord, setTextAddressWord),
    AVRTAZU_XML_PLAIN("UNUSEDROMFILLBYTES", unusedRomFillBytes, setUnusedRomFillBytes),
    ScalarField{"PROGRAMTYPE", "No PROGRAMTYPE node found",
                [](const Configuration& c) { return encodeProgramType(c.programType()); },
                [](Configuration& c, const std::string& text) {
                    c.setProgramType(decodeProgramType(text));
                }},
    ScalarField{"PRINTFVERSION", "No PRINTFVERSION node found",
                [](const Configuration& c) { return encodePrintfVersion(c.printfVersion()); },
                [](Configuration& c, const std::string& text) {
                    c.setPrintfVersion(decodePrintfVersion(text));
                }},
    AVRTAZU_XML_BOOL("AVRSTUDIOIO", avrstudioIO, setAvrstudioIO),
    AVRTAZU_XML_BOOL("DONOTUSER20TOR23", doNotUseR20ToR23, setDoNotUseR20ToR23),
    AVRTAZU_XML_BOOL("ENHANCEDCORE", enhancedCore, setEnhancedCore),
    AVRTAZU_XML_BOOL("IOREGSOFFSETINTERNALSRAM", ioRegsOffsetInternalSram,
                     setIORegsOffsetInternalSram),
    AVRTAZU_XML_BOOL("STRINGSINFLASHONLY", stringsInFlashOnly, setStringsInFlashOnly),
    AVRTAZU_XML_BOOL("USELONGCALLJMP", useLongCallJmp, setUseLongCallJmp),
    AVRTAZU_XML_BOOL("USERAMPZELPM", useRampzElpm, setUseRampzElpm),
    AVRTAZU_XML_TEXT("OUTPUTFILENAME", "No outputfile node found", outputFileName,
                     setOutputFileName),
    AVRTAZU_XML_TEXT("OUTPUTDIR", "No outputdir node found", outputDir, setOutputDirectory),
    AVRTAZU_XML_BOOL("ISDIRTY", isDirty, setDirty),
    AVRTAZU_XML_TEXT("OPTIONSFORALL", "NO OPTIONSFORALL node found", optionsForAll,
                     setOptionsForAll),
    AVRTAZU_XML_PLAIN("LINKEROPTIONS", linkerOptions, setLinkerOptions),
}};

#undef AVRTAZU_XML_PLAIN
#undef AVRTAZU_XML_BOOL
#undef AVRTAZU_XML_TEXT

// Written as children 1 to 40, before OPTIONS and the lists.
constexpr std::size_t kFieldsBeforeOptions = 40;

// The order in which a CONFIG's single values are looked up, NAME excluded (it is read first,
// to construct the configuration). The lists come after ISDIRTY.
// clang-format off
constexpr std::array<const char*, 39> kReadOrder = {
    "PART", "HEX", "LIST", "MAP",
    "EXTENSION", "STRICTCHECKINGS", "INTSIZEENUM", "CODECOMPRESSION", "GLOBALOPTIMIZATIONS",
    "MACRODEFINITIONS", "UNDEFINES", "OUTPUTFORMAT", "ECASB", "PROGRAMMEMORY", "ADDITIONALLIB",
    "BOOTSIZE", "FPSLICMEMORY", "DATAADDRESSBYTE", "DATAMEMORY",
    "DEVICECONFIGURATION",
    "EEPROM", "NONDEFAULTSTARTUP", "OTHEROPTIONS", "RETURNSTACKSIZE", "SRAM", "TEXTADDRESSWORD",
    "UNUSEDROMFILLBYTES",
    "AVRSTUDIOIO", "DONOTUSER20TOR23", "ENHANCEDCORE", "IOREGSOFFSETINTERNALSRAM",
    "STRINGSINFLASHONLY", "USELONGCALLJMP", "USERAMPZELPM",
    "PROGRAMTYPE", "PRINTFVERSION", "OUTPUTFILENAME", "OUTPUTDIR", "ISDIRTY"};
// clang-format on
constexpr std::array<const char*, 2> kReadAfterLists = {"OPTIONSFORALL", "LINKEROPTIONS"};

const ScalarField& scalarField(const char* element) {
    for (const ScalarField& field : kScalarFields) {
        if (std::string_view(field.element) == element) {
            return field;
        }
    }
    throw std::logic_error(std::string("Unknown CONFIG element ") + element);
}

struct ListField {
    const char* container;
    const char* item;
    const char* selectionFailure;
    const std::vector<std::string>& (Configuration::*get)() const;
    void (Configuration::*add)(const std::string&);
};

const std::array<ListField, 4> kListFields = {{
    {"INCDIRS", "INCLUDE", "No include nodes found", &Configuration::includes,
     &Configuration::addIncludeDirectory},
    {"ASMINCDIRS", "ASMINCLUDE", "No asm include nodes found", &Configuration::asmincludes,
     &Configuration::addAsmIncludeDirectory},
    {"LIBDIRS", "LIBDIR", "No libdir nodes found", &Configuration::libdirs,
     &Configuration::addLibraryDirectory},
    {"LIBS", "LIB", "No lib nodes found", &Configuration::libs, &Configuration::addLibrary},
}};

// The element's name without its namespace prefix.
std::string baseName(pugi::xml_node node) {
    const std::string name = node.name();
    const std::size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// The DOM's text of a node: all its text content, descendants included, in document order.
// Walked without recursion: a document may nest as deep as it likes.
std::string domText(pugi::xml_node node) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        return node.value();
    }
    std::string text;
    for (pugi::xml_node at = node.first_child(); at && at != node;) {
        if (at.type() == pugi::node_pcdata || at.type() == pugi::node_cdata) {
            text += at.value();
        }
        if (at.first_child()) {
            at = at.first_child();
            continue;
        }
        while (at != node && !at.next_sibling()) {
            at = at.parent();
        }
        if (at != node) {
            at = at.next_sibling();
        }
    }
    return text;
}

// The records whose full names were written, hashed and compared by their two parts.
struct FullNameHash {
    std::size_t operator()(const SourceFile* file) const {
        return JoinedText::hash({file->path(), file->name()});
    }
};

struct SameFullName {
    bool operator()(const SourceFile* left, const SourceFile* right) const {
        return JoinedText::equal({left->path(), left->name()}, {right->path(), right->name()});
    }
};

using WrittenNames = std::pmr::unordered_set<const SourceFile*, FullNameHash, SameFullName>;

// Whether node is what setText on a new element `name` would make of the text folder + file,
// compared where it lies rather than joined first.
bool holdsText(pugi::xml_node node, const char* name, std::string_view folder,
               std::string_view file) {
    if (node.type() != pugi::node_element || std::strcmp(node.name(), name) != 0 ||
        node.first_attribute()) {
        return false;
    }
    const pugi::xml_node child = node.first_child();
    if (folder.empty() && file.empty()) {
        return !child;
    }
    if (!child || child.type() != pugi::node_pcdata || child.next_sibling()) {
        return false;
    }
    const std::string_view text = child.value();
    return text.size() == folder.size() + file.size() && text.starts_with(folder) &&
           text.ends_with(file);
}

// Replaces the node's content by one text, as the DOM's text property does. The empty text
// leaves the element empty.
bool setText(pugi::xml_node node, const std::string& text) {
    node.remove_children();
    if (text.empty()) {
        return true;
    }
    return node.append_child(pugi::node_pcdata).set_value(text.c_str());
}

bool canHoldChildren(pugi::xml_node node) {
    return node.type() == pugi::node_element || node.type() == pugi::node_document;
}

// Evaluates a node selection; a selection that cannot be made raises failureMessage.
pugi::xpath_node_set selectAll(pugi::xml_node context, const std::string& query,
                               const char* failureMessage) {
    try {
        return context.select_nodes(query.c_str());
    } catch (const pugi::xpath_exception&) {
        throw std::runtime_error(failureMessage);
    }
}

void assign(pugi::xml_node* out, pugi::xml_node node) {
    if (out != nullptr) {
        *out = node;
    }
}

} // namespace

ProjectXmlHandler::ProjectXmlHandler()
    : m_hub(PlugInUtility::instance().hub()), m_utility(&PlugInUtility::instance()) {
    void* object = nullptr;
    const HRESULT result =
        m_hub == nullptr ? E_FAIL
                         : m_hub->GetSharedObject(toWide(std::string(kXmlProjectObjectName)),
                                                  std::string(kXmlDomDocumentInterfaceId), &object);
    if (FAILED(result) || object == nullptr) {
        m_utility->logError("XML: Error getting XML object");
        return;
    }
    m_document = static_cast<pugi::xml_document*>(object);
}

bool ProjectXmlHandler::documentMissing(const char* context) {
    if (m_document != nullptr) {
        return false;
    }
    m_utility->logDebug(context, kNoDocument);
    return true;
}

std::string ProjectXmlHandler::nodePath(pugi::xml_node node) {
    std::string path;
    for (; node && node.type() != pugi::node_document; node = node.parent()) {
        path.insert(0, baseName(node));
        path.insert(0, 1, '/');
    }
    return path;
}

std::string ProjectXmlHandler::getNodeText(pugi::xml_node node) {
    if (!node) {
        m_utility->logDebug("ProjectXmlHandler::getNodeText()", "XML: Could not get node text");
        return std::string();
    }
    return domText(node);
}

std::string ProjectXmlHandler::projectValue(const char* section, const char* key) {
    Bstr value;
    if (m_hub != nullptr) {
        m_hub->GetProjectValue(toWide(section), toWide(key), &value);
    }
    return toNarrow(value);
}

void ProjectXmlHandler::insertNode(const std::string& name, pugi::xml_node parent,
                                   pugi::xml_node* node, const std::optional<std::string>& text,
                                   bool unique) {
    if (documentMissing("ProjectXmlHandler::insertNode()")) {
        return;
    }
    try {
        if (!canHoldChildren(parent)) {
            throw std::runtime_error(kAppendError);
        }
        const std::string path = nodePath(parent) + "/" + name;
        const pugi::xml_node existing = m_document->select_node(path.c_str()).node();
        if (existing) {
            if (unique) {
                if (!setText(existing, text.value_or(std::string()))) {
                    throw std::runtime_error("XML: could not set new text for unique node");
                }
                assign(node, existing);
                return;
            }
            if (!text) {
                assign(node, existing);
                return;
            }
            // An element of this kind exists somewhere at this path: a child of the parent that
            // already holds the text, whatever its kind, stands for the new one.
            for (pugi::xml_node child : parent.children()) {
                if (child.type() == pugi::node_element && domText(child) == *text) {
                    assign(node, child);
                    return;
                }
            }
        }
        pugi::xml_node created = parent.append_child(name.c_str());
        if (!created || (text && !setText(created, *text))) {
            throw std::runtime_error(kCreateError);
        }
        assign(node, created);
    } catch (const std::exception& error) {
        m_utility->logDebug("Zuzozuduvuruva::insertNode()", error.what());
        throw std::runtime_error("avrtazu plug-in: : Failed to insert XML node");
    }
}

HRESULT ProjectXmlHandler::insertConfigNode(pugi::xml_node* node) {
    if (documentMissing("ProjectXmlHandler::insertConfigNode()")) {
        return E_FAIL;
    }
    locateSection();
    if (!m_configs) {
        m_utility->logDebug("Zuzozuduvuruva::insertConfigNode()", kAppendError);
        return E_FAIL;
    }
    const pugi::xml_node created = m_configs.append_child("CONFIG");
    if (!created) {
        m_utility->logDebug("Zuzozuduvuruva::insertConfigNode()", kCreateError);
        return E_FAIL;
    }
    assign(node, created);
    return S_OK;
}

HRESULT ProjectXmlHandler::insertConfigSubNode(const std::string& name,
                                               const std::optional<std::string>& text,
                                               pugi::xml_node parent, pugi::xml_node* node) {
    if (!canHoldChildren(parent)) {
        m_utility->logDebug("Zuzozuduvuruva::insertConfigSubNode()", kAppendError);
        return E_FAIL;
    }
    const pugi::xml_node created = parent.append_child(name.c_str());
    if (!created || (text && !setText(created, *text))) {
        m_utility->logDebug("Zuzozuduvuruva::insertConfigSubNode()", kCreateError);
        return E_FAIL;
    }
    assign(node, created);
    return S_OK;
}

HRESULT ProjectXmlHandler::insertNodeAtPath(const std::string& parentPath, const std::string& name,
                                            pugi::xml_node* node,
                                            const std::optional<std::string>& text, bool unique) {
    if (documentMissing("ProjectXmlHandler::insertNodeAtPath()")) {
        return E_FAIL;
    }
    pugi::xml_node parent;
    try {
        parent = m_document->select_node(parentPath.c_str()).node();
    } catch (const pugi::xpath_exception&) {
        // A path that is no path finds no parent either.
    }
    if (!parent) {
        m_utility->logError("XML: Error finding parent node");
        return E_FAIL;
    }
    insertNode(name, parent, node, text, unique);
    return S_OK;
}

void ProjectXmlHandler::locateSection() {
    m_section =
        m_document->select_node((std::string(kRootPath) + "/" + kSectionName).c_str()).node();
    m_files = m_document->select_node(kFilesPath).node();
    m_configs = m_document->select_node(kConfigsPath).node();
}

bool ProjectXmlHandler::ensureSection() {
    locateSection();
    if (FAILED(insertNodeAtPath(kRootPath, kSectionName, &m_section, std::nullopt, false))) {
        return false;
    }
    insertNode("FILES", m_section, &m_files, std::nullopt, false);
    insertNode("CONFIGS", m_section, &m_configs, std::nullopt, false);
    return true;
}

HRESULT ProjectXmlHandler::makeStructure() {
    if (documentMissing("ProjectXmlHandler::makeStructure()")) {
        return E_FAIL;
    }
    try {
        if (!ensureSection()) {
            return E_FAIL;
        }
        const std::string configPath = std::string(kConfigsPath) + "/CONFIG";
        if (!m_document->select_node(configPath.c_str())) {
            const std::string projectName = projectValue("MANAGEMENT", "ProjectName");
            projectDataToXML(Configuration("default", "Custom", projectName + ".o"));
            insertNode("LASTCONFIG", m_section, nullptr, std::string("default"), true);
        }
        return S_OK;
    } catch (const std::exception& error) {
        m_utility->logDebug("ProjectXmlHandler::makeStructure()", error.what());
        m_utility->logError("Project file structure could not be created");
        return E_FAIL;
    }
}

HRESULT ProjectXmlHandler::projectToXML(const Project& project) {
    if (documentMissing("ProjectXmlHandler::projectToXML()")) {
        return E_FAIL;
    }
    try {
        writeProject(project);
        return S_OK;
    } catch (const std::exception& error) {
        m_utility->logDebug("ProjectXmlHandler::projectDataToXML", error.what());
        m_utility->logError("Project file data could not be saved");
        return E_FAIL;
    }
}

void ProjectXmlHandler::writeProject(const Project& project) {
    // A document that lost its section (or never had one) gets it back rather than losing the
    // save.
    if (!ensureSection()) {
        throw std::runtime_error("XML: Error finding parent node");
    }
    m_configs.remove_children();
    // FILES counts as emptied from here on: writeFiles keeps what it would write again, and a
    // save that fails before it gets there leaves it empty.
    try {
        for (const char* name : {"USES_TAZUAVR", "TAZU_LOC", "MAKE_LOC"}) {
            while (m_section.remove_child(name)) {
            }
        }

        insertNode("USES_TAZUAVR", m_section, nullptr, encodeBool(project.usesTazuAvr()), true);
        insertNode("TAZU_LOC", m_section, nullptr, project.tazuLocation(), true);
        insertNode("MAKE_LOC", m_section, nullptr, project.makeLocation(), true);
        insertNode("LASTCONFIG", m_section, nullptr, project.currentConfigName(), true);
    } catch (...) {
        m_files.remove_children();
        throw;
    }

    writeFiles(project);

    for (const auto& entry : project.configs()) {
        projectDataToXML(entry.second);
    }

    insertNode("USESEXTERNALMAKEFILE", m_section, nullptr,
               std::string(project.usesExtMakefile() ? "YES" : "NO"), true);
    insertNode("EXTERNALMAKEFILE", m_section, nullptr, project.extMakefile(), true);
}

// What insertNode does for each file, in one pass, into an emptied FILES: its children are the
// ones written here, and whether an element of a kind exists elsewhere at that path cannot
// change while they are written. Where FILES is the only element at its path, nothing of a kind
// exists there until one is written, and the children that already say what would be written
// are kept: writing a project the section holds walks it instead of making it anew.
void ProjectXmlHandler::writeFiles(const Project& project) {
    const std::pair<const char*, const std::list<SourceFile>*> kinds[] = {
        {"SOURCEFILE", &project.srcFiles()},
        {"HEADERFILE", &project.hdrFiles()},
        {"OTHERFILE", &project.otherFiles()}};
    const std::size_t fileCount =
        project.srcFiles().size() + project.hdrFiles().size() + project.otherFiles().size();
    // One block for all the names of a write, not one allocation each.
    std::pmr::monotonic_buffer_resource names(fileCount * 4 * sizeof(void*));
    WrittenNames written(&names);
    written.reserve(fileCount);
    const std::string filesPath = nodePath(m_files);
    const bool alone = m_document->select_nodes(filesPath.c_str()).size() == 1;
    pugi::xml_node kept = alone ? m_files.first_child() : pugi::xml_node();
    if (!alone) {
        m_files.remove_children();
    }
    // Drops the children from the first one that differs on.
    const auto dropRest = [&] {
        while (kept) {
            const pugi::xml_node next = kept.next_sibling();
            m_files.remove_child(kept);
            kept = next;
        }
    };
    for (const auto& [element, files] : kinds) {
        const std::string path = filesPath + "/" + element;
        bool exists = !alone && static_cast<bool>(m_document->select_node(path.c_str()));
        for (const SourceFile& file : *files) {
            if (!written.insert(&file).second && exists) {
                continue;
            }
            if (kept && holdsText(kept, element, file.path(), file.name())) {
                kept = kept.next_sibling();
            } else {
                dropRest();
                pugi::xml_node created = m_files.append_child(element);
                if (!created || !setText(created, file.fullName())) {
                    m_utility->logDebug("Zuzozuduvuruva::insertNode()", kCreateError);
                    throw std::runtime_error("avrtazu plug-in: : Failed to insert XML node");
                }
            }
            exists = true;
        }
    }
    dropRest();
}

void ProjectXmlHandler::writeSubNode(pugi::xml_node parent, const std::string& name,
                                     const std::optional<std::string>& text, pugi::xml_node* node) {
    if (FAILED(insertConfigSubNode(name, text, parent, node))) {
        throw std::runtime_error("Could not create " + name + " node");
    }
}

void ProjectXmlHandler::projectDataToXML(const Configuration& config) {
    if (documentMissing("ProjectXmlHandler::projectDataToXML()")) {
        return;
    }
    pugi::xml_node configNode;
    if (FAILED(insertConfigNode(&configNode))) {
        throw std::runtime_error("Could not create CONFIG node");
    }
    for (std::size_t index = 0; index < kFieldsBeforeOptions; ++index) {
        const ScalarField& field = kScalarFields[index];
        writeSubNode(configNode, field.element, field.write(config));
    }

    pugi::xml_node options;
    writeSubNode(configNode, "OPTIONS", std::nullopt, &options);
    for (const auto& [file, optionList] : config.options()) {
        if (!canHoldChildren(options)) {
            throw std::runtime_error("Could not append OPTION node to options");
        }
        const pugi::xml_node option = options.append_child("OPTION");
        if (!option) {
            throw std::runtime_error("Could not create OPTION node");
        }
        insertNode("FILE", option, nullptr, file, false);
        writeSubNode(option, "OPTIONLIST", optionList);
    }

    for (const ListField& list : kListFields) {
        pugi::xml_node container;
        writeSubNode(configNode, list.container, std::nullopt, &container);
        for (const std::string& entry : (config.*list.get)()) {
            writeSubNode(container, list.item, entry);
        }
    }

    for (std::size_t index = kFieldsBeforeOptions; index < kScalarFields.size(); ++index) {
        const ScalarField& field = kScalarFields[index];
        writeSubNode(configNode, field.element, field.write(config));
    }
}

Configuration ProjectXmlHandler::readConfiguration(pugi::xml_node configNode) {
    const pugi::xml_node nameNode = configNode.child("NAME");
    if (!nameNode) {
        throw std::runtime_error("No Name node found");
    }
    Configuration config(getNodeText(nameNode));

    const auto readScalar = [&](const char* element) {
        const ScalarField& field = scalarField(element);
        const pugi::xml_node node = configNode.child(element);
        if (!node) {
            throw std::runtime_error(field.missingMessage);
        }
        field.read(config, getNodeText(node));
    };
    for (const char* element : kReadOrder) {
        readScalar(element);
    }
    for (const ListField& list : kListFields) {
        const std::string query = std::string(list.container) + "/*";
        for (const pugi::xpath_node& item : selectAll(configNode, query, list.selectionFailure)) {
            (config.*list.add)(getNodeText(item.node()));
        }
    }
    for (const char* element : kReadAfterLists) {
        readScalar(element);
    }
    for (const pugi::xpath_node& item :
         selectAll(configNode, "OPTIONS/*", "No Options node found")) {
        const pugi::xml_node file = item.node().child("FILE");
        const pugi::xml_node optionList = item.node().child("OPTIONLIST");
        if (!file || !optionList) {
            throw std::runtime_error("XML: Inconsistent Project file");
        }
        config.setOptions(getNodeText(file), getNodeText(optionList));
    }
    return config;
}

HRESULT ProjectXmlHandler::XMLToProject(Project& project) {
    if (documentMissing("ProjectXmlHandler::XMLToProject()")) {
        return E_FAIL;
    }
    try {
        project.setName(projectValue("MANAGEMENT", "ProjectName"));
        project.setHomePath(projectValue("CODE_CREATION", "SaveFolder"));
        if (project.homePath().empty()) {
            m_utility->logDebug("ProjectXmlHandler::XMLToProject()", "Project homepath is empty");
        }

        const std::string filesQuery = std::string(kFilesPath) + "/*";
        for (const pugi::xpath_node& item :
             selectAll(*m_document, filesQuery, "Could not select nodes under the FILES node")) {
            const SourceFile file(getNodeText(item.node()));
            const std::string kind = baseName(item.node());
            if (kind.empty()) {
                throw std::runtime_error("Failed getting base name");
            }
            if (kind == "SOURCEFILE") {
                project.addSrcFile(file);
            } else if (kind == "HEADERFILE") {
                project.addHdrFile(file);
            } else if (kind == "OTHERFILE") {
                project.addOtherFile(file);
            }
        }

        const std::string configsQuery = std::string(kConfigsPath) + "/CONFIG";
        for (const pugi::xpath_node& item :
             selectAll(*m_document, configsQuery, "Could not select the CONFIG nodes")) {
            project.addConfig(readConfiguration(item.node()));
        }

        project.setActiveConfiguration(projectValue(kSectionName, "LASTCONFIG"));
        project.setUsesExtMakefile(projectValue(kSectionName, "USESEXTERNALMAKEFILE") == "YES");
        project.setExtMakefile(projectValue(kSectionName, "EXTERNALMAKEFILE"));
        project.setUsesTazuAvr(projectValue(kSectionName, "USES_TAZUAVR") != "0");
        project.setTazuLocation(projectValue(kSectionName, "TAZU_LOC"));
        project.setMakeLocation(projectValue(kSectionName, "MAKE_LOC"));
        return S_OK;
    } catch (const std::exception& error) {
        m_utility->logDebug("XMLToProject()", error.what());
        m_utility->logError(kCorruptProject);
        return E_FAIL;
    }
}

void ProjectXmlHandler::removeSections() {
    if (documentMissing("ProjectXmlHandler::removeSections()")) {
        return;
    }
    pugi::xml_node root = m_document->document_element();
    for (const char* name : kClosedSections) {
        while (root.remove_child(name)) {
        }
    }
    m_section = m_files = m_configs = pugi::xml_node();
}

} // namespace avrtazu
