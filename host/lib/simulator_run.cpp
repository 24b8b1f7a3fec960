#include "lib/simulator_run.h"

#include "model/project.h"
#include "platform/drive_map.h"
#include "platform/text_case.h"
#include "platform/toolchain_contract.h"
#include "services/output_directory.h"

#include <QProcess>
#include <QStringList>

#include <cstdlib>
#include <sstream>

namespace avrtazu {

namespace {

// The helper's exit status for the ends it tells apart; any other is a crash.
constexpr int kExitUnknownMcu = 3;
constexpr int kExitBadFirmware = 4;

// F_CPU of the macro definitions ("F_CPU=8000000UL"), as avr-libc's delays take it.
std::optional<long> clockOf(const std::string& definitions) {
    std::string words = definitions;
    for (char& c : words) {
        c = (c == ';' || c == ',') ? ' ' : c;
    }
    std::istringstream in(words);
    for (std::string word; in >> word;) {
        if (word.rfind("F_CPU=", 0) == 0) {
            const long value = std::strtol(word.c_str() + 6, nullptr, 0);
            if (value > 0) {
                return value;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::string SimulatorRun::firmwareOf(const Project& project) {
    return DriveMap::toLinux(outputDirectory(project) + project.name() +
                             std::string(toolchain_contract::kDebugObjectSuffix));
}

std::optional<SimulatorRun::Target> SimulatorRun::targetOf(const Project& project,
                                                           const std::string& firmwarePath,
                                                           std::string* reason) {
    Target target;
    target.firmware = firmwarePath;
    target.device = project.part();
    // "ATMega128 (Please see NOTES)" is the chip ATMega128.
    target.mcu = TextCase::lower(target.device.substr(0, target.device.find(' ')));
    if (target.mcu.empty() || target.mcu == "custom") {
        *reason = "the device " + (target.device.empty() ? "(none)" : target.device) +
                  " names no chip to simulate; choose one with 'avrtazu set PROJECT.aps "
                  "part=DEVICE'";
        return std::nullopt;
    }
    target.frequency = clockOf(project.macroDefinitions()).value_or(kDefaultFrequency);
    return target;
}

std::string SimulatorRun::describe(End end, const Target& target, const std::string& detail) {
    switch (end) {
    case End::Stopped:
        return {};
    case End::FirmwareEnded:
        return "the firmware ended (interrupts off and asleep)";
    case End::Crashed:
        return "the firmware crashed in the simulator" + (detail.empty() ? "" : ": " + detail);
    case End::UnknownDevice:
        return "simavr cannot simulate the device " + target.device + " (" + target.mcu +
               "); 'simavr --list-cores' lists the ones it can";
    case End::BadFirmware:
        return "the simulator cannot read the firmware " + target.firmware;
    case End::NotStarted:
        return "the simulator " + detail +
               " could not be started (it is built when libsimavr-dev is installed)";
    }
    return {};
}

SimulatorRun::SimulatorRun(std::string helperProgram) : m_helper(std::move(helperProgram)) {}

SimulatorRun::~SimulatorRun() {
    if (m_process) {
        m_process->disconnect();
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

bool SimulatorRun::isRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

void SimulatorRun::start(const Target& target) {
    m_errors.clear();
    m_stopping = false;
    m_ended = false;
    m_process = std::make_unique<QProcess>();
    QProcess* process = m_process.get();
    QObject::connect(process, &QProcess::readyReadStandardOutput, [this, process] {
        const QByteArray bytes = process->readAllStandardOutput();
        if (m_output && !bytes.isEmpty()) {
            m_output(bytes.toStdString());
        }
    });
    QObject::connect(process, &QProcess::readyReadStandardError, [this, process] {
        m_errors += process->readAllStandardError().toStdString();
    });
    QObject::connect(process, &QProcess::finished,
                     [this, process](int status, QProcess::ExitStatus how) {
                         if (m_output) {
                             const QByteArray rest = process->readAllStandardOutput();
                             if (!rest.isEmpty()) {
                                 m_output(rest.toStdString());
                             }
                         }
                         m_errors += process->readAllStandardError().toStdString();
                         if (m_stopping || how == QProcess::CrashExit) {
                             finish(m_stopping ? End::Stopped : End::Crashed);
                             return;
                         }
                         finish(status == 0                  ? End::FirmwareEnded
                                : status == kExitUnknownMcu  ? End::UnknownDevice
                                : status == kExitBadFirmware ? End::BadFirmware
                                                             : End::Crashed);
                     });
    QObject::connect(process, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_errors = m_helper;
            finish(End::NotStarted);
        }
    });
    QStringList arguments{QString::fromStdString(target.mcu), QString::number(target.frequency),
                          QString::fromStdString(target.firmware)};
    if (target.gdbPort != 0) {
        arguments << QString::number(target.gdbPort);
    }
    process->start(QString::fromStdString(m_helper), arguments, QIODevice::ReadOnly);
}

void SimulatorRun::stop() {
    if (isRunning()) {
        m_stopping = true;
        m_process->terminate();
    }
}

void SimulatorRun::finish(End end) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    while (!m_errors.empty() && (m_errors.back() == '\n' || m_errors.back() == '\r')) {
        m_errors.pop_back();
    }
    if (m_finished) {
        m_finished(end, m_errors);
    }
}

} // namespace avrtazu
