#include "build/compile_database.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/compile_record.h"
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

} // namespace

int CompileDatabase::write(const Project& project, const std::string& buildDirectory) {
    std::vector<CompileRecord> records;
    for (const SourceFile& source : project.srcFiles()) {
        const std::string& name = source.name();
        const std::string stem = name.substr(0, name.rfind('.'));
        std::optional<CompileRecord> record =
            CompileRecord::read(buildDirectory + std::string(contract::kDependencyFolder) + "\\" +
                                stem + std::string(contract::kCompileRecordSuffix));
        if (record) {
            records.push_back(std::move(*record));
        }
    }
    if (records.empty()) {
        return 0;
    }
    const bool allPlain = std::all_of(records.begin(), records.end(),
                                      [](const CompileRecord& record) { return plain(record); });
    TextFileWriter file(buildDirectory + std::string(contract::kCompileDatabaseName));
    file << (allPlain ? plainJson(records) : qtJson(records));
    return file.close() ? static_cast<int>(records.size()) : -1;
}

} // namespace avrtazu
