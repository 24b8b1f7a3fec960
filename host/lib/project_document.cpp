#include "lib/project_document.h"

#include "platform/drive_map.h"
#include "platform/text_case.h"
#include "platform/utf8_text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace avrtazu {

namespace {

namespace fs = std::filesystem;

// Line and column (from 1) of a byte offset, for a parse error the user can find.
std::pair<long, long> lineAndColumn(const std::string& text, std::ptrdiff_t offset) {
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, text.size());
    const long line = 1 + std::count(text.begin(), end, '\n');
    const auto lineStart = std::find(std::make_reverse_iterator(end), text.rend(), '\n').base();
    return {line, 1 + static_cast<long>(end - lineStart)};
}

std::string at(const std::string& text, std::ptrdiff_t offset) {
    const auto [line, column] = lineAndColumn(text, offset);
    return " at line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool isUtf16(pugi::xml_encoding encoding) {
    return encoding == pugi::encoding_utf16_le || encoding == pugi::encoding_utf16_be;
}
bool isUtf32(pugi::xml_encoding encoding) {
    return encoding == pugi::encoding_utf32_le || encoding == pugi::encoding_utf32_be;
}

bool declares(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* known) { return TextCase::equalIgnoringCase(name, known); });
}

// The first place where the document goes past a limit, or nothing. Walked without recursion,
// as the nesting is what is checked.
std::optional<std::string> pastLimits(const pugi::xml_document& xml) {
    const auto tooLong = [](const char* text) {
        return std::strlen(text) > ProjectDocument::kMaxValueBytes;
    };
    int depth = 0;
    for (pugi::xml_node node = xml.first_child(); node;) {
        if (depth >= ProjectDocument::kMaxDepth) {
            return "its elements are nested deeper than " +
                   std::to_string(ProjectDocument::kMaxDepth) + " levels, in <" +
                   std::string(node.parent().name()) + ">";
        }
        bool longText = tooLong(node.value());
        for (const pugi::xml_attribute attribute : node.attributes()) {
            longText = longText || tooLong(attribute.value());
        }
        if (longText) {
            return "a text in <" + std::string(node.parent().name()) + "> is longer than " +
                   std::to_string(ProjectDocument::kMaxValueBytes) + " bytes";
        }
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node) {
            node = node.next_sibling();
        }
    }
    return std::nullopt;
}

// Collects what pugixml writes.
struct StringWriter : pugi::xml_writer {
    std::string bytes;
    void write(const void* data, std::size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
};

} // namespace

bool ProjectDocument::load(const std::string& linuxPath, std::string* error,
                           const Waiting& waiting) {
    m_xml.reset();
    m_path.clear();
    m_storedSaveFolder.reset();
    m_file.release();

    std::error_code failure;
    const fs::path path = fs::absolute(linuxPath, failure).lexically_normal();
    if (failure) {
        *error = "cannot read " + linuxPath + ": " + failure.message();
        return false;
    }
    if (fs::is_directory(path, failure)) {
        *error = "cannot read " + linuxPath + ": it is a folder, not a project file";
        return false;
    }
    std::string bytes;
    if (!m_file.open(path.string(), kMaxFileBytes, waiting.limit, waiting.notify, &bytes, error)) {
        *error = "cannot read " + linuxPath + ": " + *error;
        return false;
    }
    const auto refuse = [&](const std::string& why) {
        *error = linuxPath + " is not a readable project file: " + why;
        m_xml.reset();
        m_file.release();
        return false;
    };
    if (static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '<')) > kMaxMarkup) {
        return refuse("it holds more than " + std::to_string(kMaxMarkup) + " elements");
    }
    const pugi::xml_parse_result parsed = m_xml.load_buffer(
        bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration);
    if (!parsed) {
        return refuse(parsed.description() + at(bytes, parsed.offset));
    }
    if (const auto why = adoptEncoding(bytes, parsed.encoding)) {
        return refuse(*why);
    }
    if (const auto why = pastLimits(m_xml)) {
        return refuse(*why);
    }
    const pugi::xml_node root = m_xml.document_element();
    if (std::strcmp(root.name(), kRootName) != 0) {
        *error = linuxPath + " is not an AVR Studio project file: " +
                 (root ? "its root element is <" + std::string(root.name()) + ">"
                       : std::string("it has no root element")) +
                 ", not <" + kRootName + ">";
        m_xml.reset();
        m_file.release();
        return false;
    }

    m_path = path.string();
    const pugi::xml_node saveFolder = root.child(kCodeCreationSection).child(kSaveFolderKey);
    if (saveFolder) {
        m_storedSaveFolder = saveFolder.text().get();
    }
    if (projectName().empty()) {
        // A project needs a name for its output files; the file's own name is the obvious one.
        setValue(kManagementSection, kProjectNameKey, path.stem().string());
    }
    adoptFolder();
    return true;
}

std::optional<std::string> ProjectDocument::adoptEncoding(const std::string& bytes,
                                                          pugi::xml_encoding read) {
    pugi::xml_node declaration = m_xml.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = pugi::xml_node();
    }
    pugi::xml_attribute declared = declaration.attribute("encoding");
    const std::string name = declared.value();
    m_encoding = read;
    m_bom = isUtf16(read) || isUtf32(read);
    if (isUtf16(read) || isUtf32(read)) {
        // The bytes have the last word; a declaration that says otherwise is put right.
        if (declared && !declares(name, {"UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32"})) {
            declared.set_value(isUtf16(read) ? "UTF-16" : "UTF-32");
        }
        return std::nullopt;
    }
    if (read == pugi::encoding_latin1) {
        return std::nullopt;
    }
    m_bom = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    if (!declared || declares(name, {"UTF-8", "UTF8"})) {
        m_encoding = pugi::encoding_utf8;
    } else if (declares(name, {"US-ASCII", "ASCII"})) {
        // A subset of UTF-8: a name with other letters is then stored as UTF-8.
        declared.set_value("UTF-8");
    } else if (declares(name, {"UTF-16", "UTF-16LE", "UTF-16BE"})) {
        // UTF-8 bytes labelled UTF-16, as once written here: saved as the label says.
        m_encoding = TextCase::equalIgnoringCase(name, "UTF-16BE") ? pugi::encoding_utf16_be
                                                                   : pugi::encoding_utf16_le;
        m_bom = true;
    } else {
        return "it is written in the encoding \"" + name +
               "\", which cannot be read here; save it as UTF-8, UTF-16 or ISO-8859-1";
    }
    const std::size_t bad = Utf8Text::invalidOffset(bytes);
    if (bad != std::string::npos) {
        return "it is not well-formed UTF-8" + at(bytes, static_cast<std::ptrdiff_t>(bad));
    }
    return std::nullopt;
}

void ProjectDocument::create(const std::string& linuxFolder, const std::string& name) {
    m_xml.reset();
    pugi::xml_node declaration = m_xml.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    m_xml.append_child(kRootName);
    m_path = (fs::absolute(linuxFolder).lexically_normal() / (name + kFileExtension)).string();
    m_file.adopt(m_path);
    m_encoding = pugi::encoding_utf8;
    m_bom = false;
    m_storedSaveFolder = std::string();
    setValue(kManagementSection, kProjectNameKey, name);
    adoptFolder();
}

void ProjectDocument::adoptFolder() {
    setValue(kCodeCreationSection, kSaveFolderKey, windowsFolder());
}

std::string ProjectDocument::folder() const {
    return fs::path(m_path).parent_path().string();
}

std::string ProjectDocument::windowsFolder() const {
    std::string windows = DriveMap::toWindows(folder());
    if (windows.empty() || windows.back() != '\\') {
        windows.push_back('\\');
    }
    return windows;
}

std::string ProjectDocument::value(const std::string& section, const std::string& key) const {
    return m_xml.document_element().child(section.c_str()).child(key.c_str()).text().get();
}

void ProjectDocument::setValue(const std::string& section, const std::string& key,
                               const std::string& text) {
    pugi::xml_node root = m_xml.document_element();
    pugi::xml_node sectionNode = root.child(section.c_str());
    if (!sectionNode) {
        sectionNode = root.append_child(section.c_str());
    }
    pugi::xml_node keyNode = sectionNode.child(key.c_str());
    if (!keyNode) {
        keyNode = sectionNode.append_child(key.c_str());
    }
    keyNode.text().set(text.c_str());
}

std::string ProjectDocument::encode(pugi::xml_encoding encoding) const {
    // SaveFolder goes out with the text the file had; the folder in memory is this machine's.
    auto& xml = const_cast<pugi::xml_document&>(m_xml);
    pugi::xml_node saveFolder =
        xml.document_element().child(kCodeCreationSection).child(kSaveFolderKey);
    const std::string here = saveFolder.text().get();
    if (saveFolder) {
        saveFolder.text().set(m_storedSaveFolder.value_or(std::string()).c_str());
    }
    StringWriter out;
    xml.save(out, "\t", pugi::format_default | (m_bom ? pugi::format_write_bom : 0), encoding);
    if (saveFolder) {
        saveFolder.text().set(here.c_str());
    }
    return std::move(out.bytes);
}

std::string ProjectDocument::serialize() const {
    if (m_encoding != pugi::encoding_latin1) {
        return encode(m_encoding);
    }
    std::string utf8 = encode(pugi::encoding_utf8);
    // Above U+00FF (lead bytes from C4) ISO-8859-1 has no letter: such a document is stored as
    // UTF-8 and says so.
    if (std::none_of(utf8.begin(), utf8.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0xC4; })) {
        return encode(pugi::encoding_latin1);
    }
    auto& xml = const_cast<pugi::xml_document&>(m_xml);
    pugi::xml_attribute declared = xml.first_child().attribute("encoding");
    const std::string name = declared.value();
    declared.set_value("UTF-8");
    utf8 = encode(pugi::encoding_utf8);
    declared.set_value(name.c_str());
    return utf8;
}

bool ProjectDocument::save(std::string* error) {
    if (m_path.empty()) {
        *error = "cannot save: no project file is open";
        return false;
    }
    // Every text must be UTF-8 first, whatever the file is written in.
    const std::string utf8 = encode(pugi::encoding_utf8);
    if (const std::size_t bad = Utf8Text::invalidOffset(utf8); bad != std::string::npos) {
        const std::size_t from = utf8.rfind('>', bad) + 1;
        const std::string text = utf8.substr(from, utf8.find('<', bad) - from);
        *error = "cannot save " + m_path + ": the name \"" + Utf8Text::shown(text) +
                 "\" is not valid UTF-8, so no project file can hold it; nothing was written";
        return false;
    }
    const std::string bytes = m_encoding == pugi::encoding_utf8 && !m_bom ? utf8 : serialize();
    if (m_file.holds(bytes)) {
        return true;
    }
    return m_file.replace(bytes, error);
}

} // namespace avrtazu
