#include "build/makefile_generator.h"

#include "model/configuration.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/drive_map.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

// A project C:\bench\ with `count` source files, C: mapped to a fresh temporary folder. The
// files exist when `createFiles` is set, so every compile rule asks the file system for the
// short path and finds it.
class BenchProject {
public:
    BenchProject(int count, bool createFiles) : project_("bench", "C:\\bench\\") {
        std::string pattern = (fs::temp_directory_path() / "makefile_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        fs::create_directories(root_ / "bench" / "default");
        DriveMap::map('C', root_.string());

        Configuration config("default", "ATMega128 (Please see NOTES)", "bench.cof");
        config.setProgramMemory("0x20000");
        config.setDataMemory("4096");
        config.setTextAddressWord("0x46");
        config.setDataAddressByte("0x100");
        config.setEeprom("4096");
        config.setUseLongCallJmp(true);
        config.setEnhancedCore(true);
        config.setMacroDefinitions("F_CPU=8000000;DEBUG;BOARD=2");
        config.addIncludeDirectory("inc");
        config.addIncludeDirectory("C:\\avr\\include");
        config.setOutputDirectory("default\\");
        project_.addConfig(config);
        for (int i = 0; i < count; ++i) {
            const std::string name = "module" + std::to_string(i) + ".c";
            if (createFiles) {
                std::ofstream(root_ / "bench" / name) << "int x;\n";
            }
            project_.addSrcFile(SourceFile("C:\\bench\\" + name));
        }
    }
    ~BenchProject() {
        DriveMap::reset();
        std::error_code error;
        fs::remove_all(root_, error);
    }

    const Project& project() const { return project_; }

private:
    fs::path root_;
    Project project_;
};

void BM_WriteMakefile(benchmark::State& state) {
    const BenchProject bench(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        writeMakefile(out, bench.project());
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["makefile_bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_WriteMakefile)
    ->ArgNames({"files", "exist"})
    ->Args({10, 1})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace avrtazu
