// A clean build of a 32-file project through tazumake and the real tools, with one job and with
// two, in the same run.

#include "common/process_runner.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 32;

std::string sourceName(int i) {
    return "part" + std::to_string(i) + ".c";
}

// A source with some work for the compiler: a table, a state machine, long arithmetic and a
// checksum, each with names of its own.
std::string sourceText(int i) {
    const std::string n = std::to_string(i);
    std::string text = "#include \"parts.h\"\n#include <avr/io.h>\n#include <avr/pgmspace.h>\n\n";
    text += "static const uint8_t table" + n + "[64] PROGMEM = {";
    for (int k = 0; k < 64; ++k) {
        text += std::to_string((k * 37 + i * 11) % 256) + (k < 63 ? ", " : "};\n\n");
    }
    text += "static uint8_t state" + n + ";\nstatic uint32_t total" + n + ";\n\n";
    text += "uint8_t step" + n + "(uint8_t input) {\n    switch (state" + n + ") {\n";
    for (int k = 0; k < 12; ++k) {
        const std::string s = std::to_string(k);
        text += "    case " + s + ":\n        if (input > " + std::to_string(k * 20) +
                ") {\n            state" + n + " = " + std::to_string((k + 1) % 12) +
                ";\n        } else {\n            total" + n + " += input * " + s +
                ";\n        }\n        break;\n";
    }
    text += "    }\n    return state" + n + ";\n}\n\n";
    text += "uint16_t checksum" + n +
            "(const uint8_t* data, uint8_t length) {\n"
            "    uint16_t crc = 0xffff;\n"
            "    for (uint8_t i = 0; i < length; ++i) {\n"
            "        crc ^= (uint16_t)(data[i] ^ pgm_read_byte(&table" +
            n +
            "[i & 63])) << 8;\n"
            "        for (uint8_t bit = 0; bit < 8; ++bit) {\n"
            "            crc = (crc & 0x8000) ? (uint16_t)((crc << 1) ^ 0x1021) : "
            "(uint16_t)(crc << 1);\n"
            "        }\n    }\n    return crc;\n}\n\n";
    text += "int32_t scale" + n +
            "(int32_t value, int16_t numerator, int16_t denominator) {\n"
            "    if (denominator == 0) {\n        return 0;\n    }\n"
            "    int32_t result = value * numerator / denominator;\n"
            "    while (result > 100000L) {\n        result = result / 3 + total" +
            n +
            ";\n    }\n"
            "    return result + (int32_t)PINA;\n}\n";
    if (i == 0) {
        text += "\nint main(void) {\n    uint8_t buffer[16] = {0};\n    uint16_t sum = 0;\n"
                "    for (;;) {\n        buffer[0] = PINB;\n";
        for (int k = 0; k < kFiles; ++k) {
            const std::string m = std::to_string(k);
            text += "        sum += step" + m + "(PINB) + checksum" + m + "(buffer, 16) + " +
                    "(uint16_t)scale" + m + "(sum, 3, 7);\n";
        }
        text += "        PORTC = (uint8_t)sum;\n    }\n}\n";
    }
    return text;
}

// The project C:\work\jobs\ (an ATMega128) on a folder of its own, with the Makefile the plug-in
// writes.
class Project {
public:
    Project() {
        root_ = fs::temp_directory_path() / "make_jobs_bench";
        fs::remove_all(root_);
        const fs::path folder = root_ / "work/jobs";
        fs::create_directories(folder / "default");
        ::setenv("TAZU_DRIVES", ("C=" + root_.string()).c_str(), 1);
        std::ofstream header(folder / "parts.h");
        header << "#include <stdint.h>\n";
        std::string files;
        std::string rules;
        for (int i = 0; i < kFiles; ++i) {
            const std::string n = std::to_string(i);
            header << "uint8_t step" << n << "(uint8_t input);\n"
                   << "uint16_t checksum" << n << "(const uint8_t* data, uint8_t length);\n"
                   << "int32_t scale" << n << "(int32_t value, int16_t numerator, "
                   << "int16_t denominator);\n";
            std::ofstream(folder / sourceName(i)) << sourceText(i);
            const std::string object = "part" + n + ".o";
            const std::string path = "C:\\work\\jobs\\" + sourceName(i);
            files += object + " ";
            rules += object + ": \r\n" + object + ":\t" + path + "\r\n\t$(CC) -c $(CFLAGS) " +
                     path + "\r\n";
        }
        std::ofstream(folder / "default/jobs.lk", std::ios::binary) << files;
        std::ofstream(folder / "default/Makefile", std::ios::binary)
            << "CC = tazuavr\r\n"
               "CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMEGA -DATMega128  -l -g -Mavr_enhanced \r\n"
               "ASFLAGS = $(CFLAGS)  -Wa-g \r\n"
               "LFLAGS =  -g -e:0x20000 -ucrtatmega.o -bfunc_lit:0x8c.0x20000 -dram_end:0x10ff "
               "-bdata:0x100.0x10ff -dhwstk_size:16 -beeprom:0.4096 -fihx_coff -S2 \r\n"
               "FILES = "
            << files
            << "\r\n\r\njobs:\t$(FILES)\r\n\t$(CC) -o jobs $(LFLAGS) @jobs.lk -lcatmega \r\n"
            << rules
            << "\r\n.PHONY: clean\r\nclean:\r\n"
               "\tdel /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst *.hex\r\n";
        output_ = (folder / "default").string();
    }
    ~Project() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // Runs tazumake in the output folder; false when the build failed.
    bool make(const std::vector<std::string>& arguments, std::string& output) const {
        std::vector<std::string> words{"-C", output_};
        words.insert(words.end(), arguments.begin(), arguments.end());
        const ProcessResult result =
            ProcessRunner::runCaptured(TAZU_TOOLCHAIN_DIR "/bin/tazumake.exe", words);
        output = result.output;
        return result.started && result.exitCode == 0;
    }

private:
    fs::path root_;
    std::string output_;
};

const Project& sharedProject() {
    static const Project project;
    return project;
}

double childSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_CleanBuild(benchmark::State& state) {
    const Project& project = sharedProject();
    const std::string jobs = std::to_string(state.range(0));
    std::string output;
    const double toolsBefore = childSeconds();
    for (auto _ : state) {
        state.PauseTiming();
        const bool cleaned = project.make({"clean"}, output);
        state.ResumeTiming();
        if (!cleaned || !project.make({"-j", jobs}, output)) {
            state.SkipWithError(("the build failed:\n" + output).c_str());
            break;
        }
    }
    // The tools' own processor time, the same whatever the jobs: the work being spread.
    state.counters["tools_cpu_s"] =
        benchmark::Counter(childSeconds() - toolsBefore, benchmark::Counter::kAvgIterations);
}

// Link only: every object is up to date and the link target never exists as a file, so each
// run links again. The part of a clean build that no second job can share.
void BM_LinkOnly(benchmark::State& state) {
    const Project& project = sharedProject();
    std::string output;
    if (!project.make({}, output)) {
        state.SkipWithError(("the build failed:\n" + output).c_str());
        return;
    }
    for (auto _ : state) {
        if (!project.make({}, output)) {
            state.SkipWithError(("the link failed:\n" + output).c_str());
            break;
        }
    }
}

BENCHMARK(BM_CleanBuild)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LinkOnly)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace avrtazu
