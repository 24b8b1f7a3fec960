#include "build/compile_database.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/compile_record.h"
#include "platform/file_system.h"
#include "platform/text_file_writer.h"
#include "platform/toolchain_contract.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>
#include <vector>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

// Printable ASCII without quote or backslash: written as it is, as Qt's writer writes it.
bool plain(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c >= 0x20 && c <= 0x7E && c != '"' && c != '\\'; });
}

bool plain(const CompileRecord& record) {
    return plain(record.directory) && plain(record.file) &&
           std::all_of(record.arguments.begin(), record.arguments.end(),
                       [](const std::string& argument) { return plain(argument); });
}

// The text QJsonDocument::toJson(Indented) gives for these records, written directly: a big
// project's database is built in a fraction of the time.
std::string plainJson(const std::vector<CompileRecord>& records) {
    std::string json = "[\n";
    for (std::size_t index = 0; index < records.size(); ++index) {
        const CompileRecord& record = records[index];
        json += "    {\n        \"arguments\": [\n";
        for (std::size_t at = 0; at < record.arguments.size(); ++at) {
            json += "            \"";
            json += record.arguments[at];
            json += at + 1 < record.arguments.size() ? "\",\n" : "\"\n";
        }
        json += "        ],\n        \"directory\": \"";
        json += record.directory;
        json += "\",\n        \"file\": \"";
        json += record.file;
        json += index + 1 < records.size() ? "\"\n    },\n" : "\"\n    }\n";
    }
    json += "]\n";
    return json;
}

std::string qtJson(const std::vector<CompileRecord>& records) {
    QJsonArray entries;
    for (const CompileRecord& record : records) {
        QJsonArray arguments;
        for (const std::string& argument : record.arguments) {
            arguments.append(text(argument));
        }
        entries.append(QJsonObject{{"directory", text(record.directory)},
                                   {"file", text(record.file)},
                                   {"arguments", arguments}});
    }
    return QJsonDocument(entries).toJson(QJsonDocument::Indented).toStdString();
}

// True when the database was written after the generated Makefile, which lists the project's
// sources, and after every source's record: a build that compiled nothing then reads no record.
// Equal times count as changed, since the file system's clock may give a later write the same
// time.
bool isCurrent(const Project& project, const std::string& database,
               const std::vector<std::string>& recordPaths, const std::string& buildDirectory) {
    if (project.usesExtMakefile()) {
        return false;
    }
    const std::optional<FileStatus> written = FileSystem::status(database);
    const std::optional<FileStatus> makefile =
        FileSystem::status(buildDirectory + std::string(contract::kMakefileName));
    const auto older = [&written](const std::optional<FileStatus>& input) {
        return input && input->modifiedNanoseconds < written->modifiedNanoseconds;
    };
    return written && older(makefile) &&
           std::all_of(recordPaths.begin(), recordPaths.end(), [&older](const std::string& path) {
               return older(FileSystem::status(path));
           });
}

} // namespace

int CompileDatabase::write(const Project& project, const std::string& buildDirectory) {
    std::vector<std::string> recordPaths;
    for (const SourceFile& source : project.srcFiles()) {
        const std::string& name = source.name();
        recordPaths.push_back(buildDirectory + std::string(contract::kDependencyFolder) + "\\" +
                              name.substr(0, name.rfind('.')) +
                              std::string(contract::kCompileRecordSuffix));
    }
    const std::string database = buildDirectory + std::string(contract::kCompileDatabaseName);
    if (!recordPaths.empty() && isCurrent(project, database, recordPaths, buildDirectory)) {
        return static_cast<int>(recordPaths.size());
    }
    std::vector<CompileRecord> records;
    for (const std::string& path : recordPaths) {
        if (std::optional<CompileRecord> record = CompileRecord::read(path)) {
            records.push_back(std::move(*record));
        }
    }
    if (records.empty()) {
        return 0;
    }
    const bool allPlain = std::all_of(records.begin(), records.end(),
                                      [](const CompileRecord& record) { return plain(record); });
    TextFileWriter file(database);
    file << (allPlain ? plainJson(records) : qtJson(records));
    // A text that did not change is left as it was; its new time still says it is current.
    return file.close() && FileSystem::touch(database) ? static_cast<int>(records.size()) : -1;
}

} // namespace avrtazu
