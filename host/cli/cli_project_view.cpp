#include "cli/cli_project_view.h"

#include "model/device_catalog.h"
#include "model/project.h"
#include "platform/drive_map.h"
#include "services/output_directory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <list>
#include <utility>
#include <vector>

namespace avrtazu {

namespace {

using Rows = std::vector<std::pair<std::string, std::vector<std::string>>>;

std::vector<std::string> names(const std::list<SourceFile>& files) {
    std::vector<std::string> result;
    for (const SourceFile& file : files) {
        result.push_back(file.fullName());
    }
    return result;
}

QJsonArray jsonArray(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) {
        array.append(QString::fromStdString(text));
    }
    return array;
}

} // namespace

void CliProjectView::print(const Project& project, const std::string& apsPath, bool json,
                           std::ostream& out) {
    std::vector<std::string> configurations;
    for (const auto& [name, configuration] : project.configs()) {
        configurations.push_back(name);
    }
    const std::string active = project.currentConfigName();
    const std::string outputFolder = DriveMap::toLinux(outputDirectory(project));
    // Label, then the values; the JSON object uses the key beside each label.
    const std::vector<std::pair<const char*, const char*>> labels = {
        {"folder", "folder"},
        {"device", "device"},
        {"program memory", "programMemory"},
        {"data memory", "dataMemory"},
        {"EEPROM", "eeprom"},
        {"output folder", "outputFolder"},
        {"output file", "outputFile"},
        {"include folders", "includeFolders"},
        {"asm include folders", "asmIncludeFolders"},
        {"library folders", "libraryFolders"},
        {"source files", "sourceFiles"},
        {"header files", "headerFiles"},
        {"other files", "otherFiles"}};
    const std::vector<std::vector<std::string>> values = {
        {DriveMap::toLinux(project.homePath())},
        {project.part()},
        {project.programMemory()},
        {project.dataMemory()},
        {project.eeprom()},
        {outputFolder.empty() ? outputDirectory(project) : outputFolder},
        {project.outputFileName()},
        project.includes(),
        project.asmincludes(),
        project.libdirs(),
        names(project.srcFiles()),
        names(project.hdrFiles()),
        names(project.otherFiles())};

    if (json) {
        QJsonObject object;
        object["name"] = QString::fromStdString(project.name());
        object["file"] = QString::fromStdString(apsPath);
        object["configurations"] = jsonArray(configurations);
        object["activeConfiguration"] = QString::fromStdString(active);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const bool list = i >= 7;
            object[labels[i].second] =
                list ? QJsonValue(jsonArray(values[i])) : QString::fromStdString(values[i][0]);
        }
        out << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
        return;
    }
    const auto row = [&out](const std::string& label, const std::vector<std::string>& texts) {
        std::string head = "  " + label;
        head.resize(23, ' ');
        if (texts.empty()) {
            out << head << "-\n";
        }
        for (const std::string& text : texts) {
            out << (&text == &texts.front() ? head : std::string(23, ' ')) << text << '\n';
        }
    };
    out << project.name() << " (" << apsPath << ")\n";
    for (std::string& name : configurations) {
        name = (name == active ? "* " : "  ") + name;
    }
    row("configurations", configurations);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        row(labels[i].first, values[i]);
    }
}

void CliProjectView::printDevices(std::ostream& out) {
    out << "device                       program memory  data memory  EEPROM\n";
    for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
        const DeviceInfo& device = DeviceCatalog::device(row);
        std::string line = device.name;
        line.resize(std::max<std::size_t>(line.size() + 1, 29), ' ');
        for (const auto& [value, width] :
             {std::pair(device.programMemory, 16), {device.dataMemory, 13}, {device.eeprom, 0}}) {
            std::string cell = value.empty() ? "-" : value;
            cell.resize(std::max<std::size_t>(cell.size() + 1, static_cast<std::size_t>(width)),
                        ' ');
            line += cell;
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << '\n';
    }
}

} // namespace avrtazu
