#include "cli/cli_simulation.h"

#include "cli/cli_interrupt.h"

#include <QEventLoop>
#include <QTimer>

namespace avrtazu {

namespace {

// How often a run looks for an interrupt.
constexpr int kInterruptPollMilliseconds = 50;

} // namespace

int CliSimulation::run(const SimulatorRun::Target& target, const std::string& helperProgram,
                       std::optional<int> seconds, std::ostream& output, std::ostream& messages) {
    // A run waiting for a debugger goes on until it is stopped.
    if (!seconds && target.gdbPort == 0) {
        seconds = kDefaultSeconds;
    }
    messages << "avrtazu: running " << target.firmware << " on " << target.mcu << " at "
             << target.frequency << " Hz";
    if (seconds) {
        messages << " for " << *seconds << " s";
    }
    if (target.gdbPort != 0) {
        messages << "; a debugger may connect to port " << target.gdbPort;
    }
    messages << '\n';
    messages.flush();

    QEventLoop loop;
    SimulatorRun simulator(helperProgram);
    int status = 0;
    bool done = false;
    simulator.onOutput([&output](const std::string& bytes) {
        output << bytes;
        output.flush();
    });
    simulator.onFinished([&](SimulatorRun::End end, const std::string& detail) {
        done = true;
        loop.quit();
        // Ctrl+C reaches the simulator too; its end is then no failure of its own.
        if (CliInterrupt::signal() != 0) {
            status = CliInterrupt::exitStatus(CliInterrupt::signal());
            return;
        }
        const std::string text = SimulatorRun::describe(end, target, detail);
        if (!text.empty()) {
            messages << "avrtazu: " << text << '\n';
        }
        if (end != SimulatorRun::End::Stopped && end != SimulatorRun::End::FirmwareEnded) {
            status = 1;
        }
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&simulator] { simulator.stop(); });
    QTimer interrupts;
    QObject::connect(&interrupts, &QTimer::timeout, [&] {
        if (CliInterrupt::signal() != 0) {
            status = CliInterrupt::exitStatus(CliInterrupt::signal());
            simulator.stop();
        }
    });
    interrupts.start(kInterruptPollMilliseconds);
    if (seconds) {
        deadline.start(*seconds * 1000);
    }
    simulator.start(target);
    if (!done) {
        loop.exec();
    }
    return status;
}

} // namespace avrtazu
