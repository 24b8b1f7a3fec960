#pragma once

#include "platform/document_file.h"

#include <chrono>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <string>

namespace avrtazu {

// The host's project file NAME.aps: XML with the root AVRStudio, the host's own sections
// (MANAGEMENT/ProjectName, CODE_CREATION/SaveFolder, ...) beside the plug-in's section.
//
// The project directory is always the folder that holds the file, whatever the file says, so a
// project folder can be moved or cloned anywhere. The folder is put into
// CODE_CREATION/SaveFolder while the document is in memory; the file keeps the text it had
// there, so that saving never writes a machine's path into a shared project.
class ProjectDocument {
public:
    static constexpr const char* kRootName = "AVRStudio";
    static constexpr const char* kManagementSection = "MANAGEMENT";
    static constexpr const char* kProjectNameKey = "ProjectName";
    static constexpr const char* kCodeCreationSection = "CODE_CREATION";
    static constexpr const char* kSaveFolderKey = "SaveFolder";
    static constexpr const char* kFileExtension = ".aps";

    ProjectDocument() = default;
    ProjectDocument(const ProjectDocument&) = delete;
    ProjectDocument& operator=(const ProjectDocument&) = delete;

    // How long load waits for another program that has the project open, and what it says
    // when it starts to wait.
    struct Waiting {
        std::chrono::milliseconds limit{0};
        std::function<void()> notify;
    };

    // Reads the file (a Linux path, made absolute) and holds it until the document is closed
    // or another is loaded. The file is taken in UTF-8, UTF-16, UTF-32 or ISO-8859-1 and saved
    // in the encoding it had; a file in another encoding, not well-formed in its own, nested too
    // deep or too big is refused. On failure the document is empty, *error says why in a
    // sentence for the user, and the file is untouched.
    bool load(const std::string& linuxPath, std::string* error, const Waiting& waiting);
    bool load(const std::string& linuxPath, std::string* error) {
        return load(linuxPath, error, Waiting());
    }
    // A new project NAME.aps in folder (a Linux path), with ProjectName NAME. Nothing is
    // written until save().
    void create(const std::string& linuxFolder, const std::string& name);

    // Writes the document over its file through a temporary file in the same folder, so that
    // a failed save leaves the old file whole. A file that already holds exactly these bytes is
    // not rewritten. A text that is not well-formed UTF-8 (a file name taken from the disk) is
    // refused, and nothing is written.
    bool save(std::string* error);
    // The bytes save() writes.
    std::string serialize() const;

    // What load refuses: deeper nesting, more markup, longer single texts, bigger files.
    static constexpr int kMaxDepth = 256;
    static constexpr std::size_t kMaxMarkup = 4'000'000;
    static constexpr std::size_t kMaxValueBytes = 1 << 20;
    static constexpr std::size_t kMaxFileBytes = std::size_t{128} << 20;

    bool isOpen() const { return !m_path.empty(); }
    pugi::xml_document& xml() { return m_xml; }
    const pugi::xml_document& xml() const { return m_xml; }

    // The .aps file and its folder, absolute Linux paths (the folder without a trailing slash).
    const std::string& path() const { return m_path; }
    std::string folder() const;
    // The folder as a Windows path ending with a backslash, as the plug-in expects it.
    std::string windowsFolder() const;
    std::string projectName() const { return value(kManagementSection, kProjectNameKey); }

    // Text of /AVRStudio/section/key; empty when missing.
    std::string value(const std::string& section, const std::string& key) const;
    // Sets that text, creating the section and the key when missing.
    void setValue(const std::string& section, const std::string& key, const std::string& text);

private:
    void adoptFolder();
    // Picks the encoding to save in from what was read; an error text when it cannot be kept.
    std::optional<std::string> adoptEncoding(const std::string& bytes, pugi::xml_encoding read);
    std::string encode(pugi::xml_encoding encoding) const;

    pugi::xml_document m_xml;
    std::string m_path;
    // SaveFolder as the file has it; nullopt when the file has no such element.
    std::optional<std::string> m_storedSaveFolder;
    DocumentFile m_file;
    pugi::xml_encoding m_encoding = pugi::encoding_utf8;
    bool m_bom = false;
};

} // namespace avrtazu
