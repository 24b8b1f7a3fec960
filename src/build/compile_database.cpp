#include "build/compile_database.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/compile_record.h"
#include "platform/drive_map.h"
#include "platform/text_file_writer.h"
#include "platform/toolchain_contract.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

} // namespace

int CompileDatabase::write(const Project& project, const std::string& buildDirectory) {
    QJsonArray entries;
    for (const SourceFile& source : project.srcFiles()) {
        const std::string name = source.name();
        const std::string stem = name.substr(0, name.rfind('.'));
        const std::optional<CompileRecord> record = CompileRecord::read(
            DriveMap::toLinux(buildDirectory + std::string(contract::kDependencyFolder) + "\\" +
                              stem + std::string(contract::kCompileRecordSuffix)));
        if (!record) {
            continue;
        }
        QJsonArray arguments;
        for (const std::string& argument : record->arguments) {
            arguments.append(text(argument));
        }
        entries.append(QJsonObject{{"directory", text(record->directory)},
                                   {"file", text(record->file)},
                                   {"arguments", arguments}});
    }
    if (entries.isEmpty()) {
        return 0;
    }
    TextFileWriter file(buildDirectory + std::string(contract::kCompileDatabaseName));
    file << QJsonDocument(entries).toJson(QJsonDocument::Indented).toStdString();
    return file.close() ? static_cast<int>(entries.size()) : -1;
}

} // namespace avrtazu
