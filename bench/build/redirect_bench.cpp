#include "build/redirect.h"

#include "services/gui_works.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

constexpr int kLines = 1000000;

// A host whose build output throws every line away, so that only the runner is measured.
class DiscardingWorks : public IGuiWorks {
public:
    HRESULT CloseFile(const Bstr&) override { return S_OK; }
    HRESULT GetActiveFile(Bstr*) override { return S_OK; }
    HRESULT AddSourceFile(const Bstr&, long*) override { return S_OK; }
    HRESULT CreateDockWindow(const Bstr&, const Bstr&, const Bstr&, long, long, void*,
                             WindowHandle*) override {
        return S_OK;
    }
    HRESULT GetProjectDirectory(Bstr*) override { return S_OK; }
    HRESULT GetInitialFileName(Bstr*) override { return S_OK; }
    HRESULT OpenFileAtLine(const Bstr&, long, long) override { return S_OK; }
    HRESULT OpenFile(const Bstr&, long) override { return S_OK; }
    HRESULT AddOutputMessage(const Bstr& text, long kind) override {
        benchmark::DoNotOptimize(text.size() + static_cast<std::size_t>(kind));
        return S_OK;
    }
    HRESULT GetObjectFileState(std::int16_t*) override { return S_OK; }
    HRESULT ShowHelp(const Bstr&) override { return S_OK; }
    HRESULT SetCommandState(long, long) override { return S_OK; }
    HRESULT GetStudioDirectory(Bstr*) override { return S_OK; }
    HRESULT ClearOutput() override { return S_OK; }
    HRESULT LoadObjectFile() override { return S_OK; }
    HRESULT IsFileOpen(const Bstr&, std::int16_t*) override { return S_OK; }
};

// A child that prints a million build-like lines (tool lines, some warnings and errors) as
// fast as it can.
class Printer {
public:
    Printer() {
        std::string pattern = (fs::temp_directory_path() / "redirect_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern;
        script_ = folder_ + "/print.sh";
        std::ofstream(script_) << "#!/bin/sh\nexec awk 'BEGIN { for (i = 0; i < " << kLines
                               << "; i++) { if (i % 100 == 0) print \"!W main.c(\" i "
                                  "\"):[warning] unused\"; else print \"tazuavr -c file\" i "
                                  "\".c\" } }'\n";
        fs::permissions(script_, fs::perms::owner_exec, fs::perm_options::add);
    }
    ~Printer() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const std::string& script() const { return script_; }

private:
    std::string folder_;
    std::string script_;
};

void BM_ChildAloneToDevNull(benchmark::State& state) {
    Printer printer;
    const std::string command = printer.script() + " > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the child failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ChildAloneToDevNull)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_RedirectIntoDiscardingHost(benchmark::State& state) {
    Printer printer;
    DiscardingWorks works;
    for (auto _ : state) {
        CRedirect redirect(printer.script(), &works);
        redirect.run(CRedirect::kRunBuild);
        if (redirect.warningCount() != kLines / 100) {
            state.SkipWithError("lines were lost");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_RedirectIntoDiscardingHost)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

} // namespace
} // namespace avrtazu
