// What one command does to the project document of an N-file, 20-configuration project: read it
// whole into the model, write the plug-in's section as an add does (on open, after the change,
// on save) and save the file once; beside it, pugixml's own load, append and save of the same
// file as the baseline.
#include "lib/host_hub.h"
#include "lib/project_document.h"
#include "model/project.h"
#include "model/source_file.h"
#include "persistence/project_xml_handler.h"
#include "services/plug_in_utility.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

constexpr int kConfigurations = 20;

std::shared_ptr<HostHub> hub() {
    static const std::shared_ptr<HostHub> installed = [] {
        auto made = std::make_shared<HostHub>();
        HostHub::install(made);
        PlugInUtility::setToolchainLocator(nullptr);
        return made;
    }();
    return installed;
}

// A folder with bench.aps of n source files; its bytes, for putting it back between runs.
struct Sample {
    fs::path folder;
    std::string aps;
    std::string bytes;

    explicit Sample(int files) {
        std::string pattern = (fs::temp_directory_path() / "avrtazu-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary folder");
        }
        folder = pattern;
        ProjectDocument document;
        document.create(folder.string(), "bench");
        hub()->setDocument(&document);
        Project project;
        for (int i = 0; i < kConfigurations; ++i) {
            project.addConfig(
                Configuration("config" + std::to_string(i), "ATmega128", "bench.cof"));
        }
        project.setActiveConfiguration("config0");
        for (int i = 0; i < files; ++i) {
            project.addSrcFile(SourceFile("src\\module" + std::to_string(i) + ".c"));
        }
        ProjectXmlHandler handler;
        std::string error;
        if (FAILED(handler.projectToXML(project)) || !document.save(&error)) {
            throw std::runtime_error("cannot write the sample: " + error);
        }
        hub()->setDocument(nullptr);
        aps = document.path();
        std::ostringstream read;
        read << std::ifstream(aps, std::ios::binary).rdbuf();
        bytes = read.str();
    }
    ~Sample() { fs::remove_all(folder); }

    void restore(benchmark::State& state) const {
        state.PauseTiming();
        std::ofstream(aps, std::ios::binary | std::ios::trunc) << bytes;
        state.ResumeTiming();
    }
};

void BM_AvrtazuAddToDocument(benchmark::State& state) {
    const Sample sample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ProjectDocument document;
        std::string error;
        if (!document.load(sample.aps, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        hub()->setDocument(&document);
        ProjectXmlHandler handler;
        Project project;
        handler.makeStructure();
        handler.XMLToProject(project);
        handler.projectToXML(project);
        project.addSrcFile(SourceFile("src\\added.c"));
        handler.projectToXML(project);
        handler.projectToXML(project);
        if (!document.save(&error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        hub()->setDocument(nullptr);
        sample.restore(state);
    }
    state.counters["bytes"] = static_cast<double>(sample.bytes.size());
}

void BM_PugixmlLoadAppendSave(benchmark::State& state) {
    const Sample sample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_file(sample.aps.c_str())) {
            state.SkipWithError("pugixml cannot load the sample");
            return;
        }
        document.document_element()
            .child("AVRTAZUPLUGIN")
            .child("FILES")
            .append_child("SOURCEFILE")
            .text()
            .set("src\\added.c");
        if (!document.save_file(sample.aps.c_str(), "\t")) {
            state.SkipWithError("pugixml cannot save the sample");
            return;
        }
        sample.restore(state);
    }
}

BENCHMARK(BM_AvrtazuAddToDocument)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoadAppendSave)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace avrtazu
