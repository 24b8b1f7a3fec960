#include "studio/simulator_pane.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCursor>

namespace avrtazu {

SimulatorPane::SimulatorPane(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setPlaceholderText(QStringLiteral("Build > Run in Simulator shows the firmware's serial "
                                      "output here."));
}

SimulatorPane::~SimulatorPane() {
    // The run's handlers reach into the pane.
    m_run.reset();
}

void SimulatorPane::start(const SimulatorRun::Target& target, const std::string& helperProgram) {
    if (m_run) {
        // The old run's end is of no interest any more.
        m_run->onFinished({});
        m_run.reset();
    }
    clear();
    addNote(QStringLiteral("Running %1 on %2 at %3 Hz")
                .arg(QString::fromLocal8Bit(target.firmware), QString::fromStdString(target.mcu))
                .arg(target.frequency));
    m_run = std::make_unique<SimulatorRun>(helperProgram);
    m_run->onOutput([this](const std::string& bytes) {
        QString text = QString::fromLatin1(bytes);
        text.remove(QLatin1Char('\r'));
        QScrollBar* bar = verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.insertText(text);
        if (atEnd) {
            bar->setValue(bar->maximum());
        }
    });
    m_run->onFinished([this, target](SimulatorRun::End end, const std::string& detail) {
        const std::string problem = SimulatorRun::describe(end, target, detail);
        addNote(end == SimulatorRun::End::Stopped ? QStringLiteral("Stopped.")
                                                  : QString::fromLocal8Bit(problem));
        const bool failed =
            end != SimulatorRun::End::Stopped && end != SimulatorRun::End::FirmwareEnded;
        m_running = false;
        emit runningChanged(false);
        emit ended(failed ? QString::fromLocal8Bit(problem) : QString());
    });
    // A helper that cannot start ends within start().
    m_running = true;
    emit runningChanged(true);
    m_run->start(target);
}

void SimulatorPane::stop() {
    if (m_run) {
        m_run->stop();
    }
}

void SimulatorPane::addNote(const QString& text) {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    // A note stands on a line of its own, after whatever the firmware sent.
    if (!end.atBlockStart()) {
        end.insertBlock();
    }
    QTextCharFormat format;
    format.setForeground(QColor(0, 110, 140));
    format.setFontItalic(true);
    end.insertText(QStringLiteral("[") + text + QStringLiteral("]"), format);
    end.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

} // namespace avrtazu
