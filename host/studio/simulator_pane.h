#pragma once

#include "lib/simulator_run.h"

#include <QPlainTextEdit>

#include <memory>
#include <string>

namespace avrtazu {

// The simulator's pane: what the firmware sends on its serial port while it runs in simavr,
// then how the run ended. The run is driven by the event loop, so the studio stays usable.
class SimulatorPane : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SimulatorPane(QWidget* parent = nullptr);
    ~SimulatorPane() override;

    // Ends a run still going, clears the pane and starts the firmware; helperProgram is the
    // path of avrtazu-sim.
    void start(const SimulatorRun::Target& target, const std::string& helperProgram);
    void stop();
    bool isRunning() const { return m_running; }

signals:
    void runningChanged(bool running);
    // The run ended; problem is what the user is told, empty for a stop or an ending firmware.
    void ended(const QString& problem);

private:
    void addNote(const QString& text);

    std::unique_ptr<SimulatorRun> m_run;
    bool m_running = false;
};

} // namespace avrtazu
