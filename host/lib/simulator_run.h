#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QProcess;

namespace avrtazu {

class Project;

// One run of a project's firmware in the simulator (simavr, through the helper program
// avrtazu-sim): what the device sends on its first serial port arrives as it is sent, and the
// run ends when the firmware ends, fails, or is stopped. Driven by the Qt event loop, so a
// window stays alive while the firmware runs.
class SimulatorRun {
public:
    static constexpr const char* kHelperName = "avrtazu-sim";
    // The clock when the project's macro definitions give no F_CPU.
    static constexpr long kDefaultFrequency = 8000000;

    struct Target {
        std::string firmware; // Linux path of the debug object (ELF)
        std::string device;   // as the project names it
        std::string mcu;      // as simavr names it
        long frequency = kDefaultFrequency;
        int gdbPort = 0; // 0: no debugger
    };
    enum class End { Stopped, FirmwareEnded, Crashed, UnknownDevice, BadFirmware, NotStarted };

    // The Linux path of the debug object the link writes for the active configuration,
    // whatever the configuration calls its output file.
    static std::string firmwareOf(const Project& project);
    // The firmware at firmwarePath for the active configuration's device; nullopt and *reason
    // for a project whose device names no chip.
    static std::optional<Target> targetOf(const Project& project, const std::string& firmwarePath,
                                          std::string* reason);
    // What a user is told about an end other than Stopped.
    static std::string describe(End end, const Target& target, const std::string& detail);

    // helperProgram: the path of avrtazu-sim.
    explicit SimulatorRun(std::string helperProgram);
    ~SimulatorRun();
    SimulatorRun(const SimulatorRun&) = delete;
    SimulatorRun& operator=(const SimulatorRun&) = delete;

    // Bytes of the serial port, as they come.
    void onOutput(std::function<void(const std::string&)> handler) {
        m_output = std::move(handler);
    }
    // The end, and what the simulator said on its error channel.
    void onFinished(std::function<void(End, const std::string&)> handler) {
        m_finished = std::move(handler);
    }
    void start(const Target& target);
    // Ends the run; the finished handler follows with End::Stopped.
    void stop();
    bool isRunning() const;

private:
    void finish(End end);

    std::string m_helper;
    std::unique_ptr<QProcess> m_process;
    std::function<void(const std::string&)> m_output;
    std::function<void(End, const std::string&)> m_finished;
    std::string m_errors;
    bool m_stopping = false;
    bool m_ended = false;
};

} // namespace avrtazu
