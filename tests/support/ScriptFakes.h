#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>

#include "FakeClock.h"
#include "ParallelPort.h"
#include "ScriptActions.h"
#include "SerialPort.h"

namespace tk::test {

// Records every action of a script step, with the simulated time, as "hh:mm:ss name argument".
class FakeScriptActions final : public ScriptActions {
public:
    explicit FakeScriptActions(FakeClock& clock) : m_clock(clock) {}

    QMap<QString, FileLoad> loadResults;  // by path; Ok when missing
    QMap<QString, FileSave> saveResults;
    bool linkOpensOnConnect = true;
    std::function<void()> duringEvents;
    QStringList log;
    bool linkOpen = false;
    int eventRuns = 0;

    FileLoad LoadSettings(const QString& p) override { return load(QStringLiteral("settings"), p); }
    FileLoad LoadBoundaries(const QString& p) override { return load(QStringLiteral("boundaries"), p); }
    FileLoad LoadCalibration(const QString& p) override { return load(QStringLiteral("calibration"), p); }
    FileSave SaveMeasurement(const QString& p) override {
        record(QStringLiteral("save ") + p);
        return saveResults.value(p, FileSave::Ok);
    }
    void Print(const QString& pdfName, const QString&) override {
        record(QStringLiteral("print ") + pdfName);
    }
    void ConnectInterface() override {
        record(QStringLiteral("connect"));
        linkOpen = linkOpensOnConnect;
    }
    bool LinkOpen() override { return linkOpen; }
    void SetAutoMeasurementChecked(bool checked) override { autoChecked = checked; }
    void ProcessEvents() override {
        ++eventRuns;
        if (duringEvents) duringEvents();
    }
    bool autoChecked = false;

private:
    FileLoad load(const QString& kind, const QString& path) {
        record(kind + QLatin1Char(' ') + path);
        return loadResults.value(path, FileLoad::Ok);
    }
    void record(const QString& what) { log.append(m_clock.timeText() + QLatin1Char(' ') + what); }
    FakeClock& m_clock;
};

// The serial control port: records opens, settings and bytes; with the handshake held off nothing leaves.
class ControlPortFake final : public SerialPort {
public:
    bool heldOff = false;
    QStringList opened;
    QStringList settings;
    QList<FlowControl> flows;
    QByteArray sent;
    int discarded = 0;

    bool open(const QString& device) override {
        opened.append(device);
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void setLineSettings(const QString& s) override { settings.append(s); }
    QString lineSettings() const override { return settings.value(settings.size() - 1); }
    int bytesWaiting() override { return 0; }
    bool waitForData(int) override { return false; }
    QByteArray read(int) override { return {}; }
    void write(const QByteArray& bytes) override {
        if (!m_open) return;
        (heldOff ? m_queued : sent).append(bytes);
    }
    void clearBuffers() override {
        ++discarded;
        m_queued.clear();
    }
    int bytesToWrite() override { return static_cast<int>(m_queued.size()); }
    bool setFlowControl(FlowControl f) override {
        flows.append(f);
        return true;
    }

private:
    bool m_open = false;
    QByteArray m_queued;
};

// Records each byte written to a parallel device.
class ParallelFake final : public ParallelPort {
public:
    QList<QPair<QString, int>> written;
    bool WriteByte(const QString& device, std::uint8_t byte) override {
        written.append({device, byte});
        return true;
    }
};

}  // namespace tk::test
