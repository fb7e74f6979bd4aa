#pragma once

#include <QByteArray>
#include <deque>
#include <functional>
#include <memory>

#include "ErrorQueue.h"
#include "RemoteTarget.h"
#include "ScpiParser.h"

namespace tk {

class FileConfinement;

// One remote client's conversation: its program lines become commands that run one after another on the
// program's thread, each when no exchange has the line; the answers of one line's queries go out together
// as one line. A session that ends (its client left) drops what it had not yet run.
class ScpiSession final : public std::enable_shared_from_this<ScpiSession> {
public:
    using Output = std::function<void(const QByteArray&)>;

    // folder: where the MMEM names are taken. output gets each answer line, LF included.
    static std::shared_ptr<ScpiSession> Create(RemoteTarget& target, QString folder, Output output);

    // One program line without its LF.
    void Receive(const QByteArray& line);
    // Whether every command received has run.
    bool Idle() const { return m_queue.empty(); }
    // Called once, when every command received has run (at once when that is so already).
    void WhenIdle(std::function<void()> idle);
    // Called each time a command has run.
    void SetCommandDone(std::function<void()> done) { m_commandDone = std::move(done); }
    // An error found before the line could be read (too long, say).
    void Refuse(int code, const QString& detail);
    // Commands received and not yet finished.
    std::size_t Pending() const { return m_queue.size(); }
    ErrorQueue& errors() { return m_errors; }

private:
    ScpiSession(RemoteTarget& target, QString folder, Output output);
    struct Queued {
        ScpiItem item;
        bool lastOfLine = false;
    };
    enum class Format { Ascii, Real32 };

    void Kick();
    void Step();
    void Finish(bool lastOfLine);
    void Execute(const ScpiCommand& c);
    // Runs a command of a known header; false, with nothing done, for an unknown one.
    bool Dispatch(const ScpiCommand& c);
    void Handle(const ScpiCommand& c);  // sets m_unknown for an unknown header
    void Fail(int code, const QString& detail = {});
    void Record(int code, const QString& text);  // into the error queue, with its event status bit
    int StatusByte() const;
    void Answer(const QByteArray& text);

    // Command helpers; each reports its own errors.
    std::optional<bool> Switch(const ScpiCommand& c, std::size_t index);
    std::optional<double> Number(const ScpiCommand& c, std::size_t index);
    // What MIN, MAX and DEF stand for.
    struct Limits {
        double min, max, def;
    };
    // A number, or MIN, MAX or DEF.
    std::optional<double> Number(const ScpiCommand& c, std::size_t index, const Limits& limits);
    // A frequency in Hz, or with the suffix HZ, KHZ, MHZ or GHZ, or MIN, MAX or DEF (given in MHz): in MHz.
    std::optional<double> FrequencyMHz(const ScpiCommand& c, std::size_t index, const Limits& mhz);
    std::optional<int> TraceChoice(const ScpiCommand& c, bool withComparison);
    bool Count(const ScpiCommand& c, std::size_t n);
    QByteArray Values(const std::vector<double>& values, int decimals) const;
    void FileCommand(const ScpiCommand& c, bool store);

    RemoteTarget& m_target;
    QString m_folder;
    // The file command being run keeps every file inside the folder until its messages are collected:
    // what it asked for the line (the load itself) runs between the two.
    std::shared_ptr<FileConfinement> m_confinement;
    Output m_output;
    ErrorQueue m_errors;
    std::deque<Queued> m_queue;
    QByteArray m_answers;  // the answers of the line being run
    bool m_answered = false;
    bool m_scheduled = false;
    bool m_kicking = false;
    std::function<void()> m_whenIdle;
    std::function<void()> m_commandDone;
    bool m_lineFailed = false;
    // The header path of the line's last command with nodes ("CALC:LIM" after CALC:LIM:FAIL?): a header
    // that does not start with ':' and is not known from the root is taken below it, as in SCPI.
    QList<QByteArray> m_path;
    bool m_unknown = false;
    Format m_format = Format::Ascii;
    bool m_bigEndian = false;  // FORM:BORD NORM

    // IEEE 488.2 status: the standard event status register and its enable mask, the service request enable.
    static constexpr int ESR_OPERATION_COMPLETE = 1, ESR_QUERY_ERROR = 4, ESR_DEVICE_ERROR = 8,
                         ESR_EXECUTION_ERROR = 16, ESR_COMMAND_ERROR = 32;
    static constexpr int STB_ERROR_QUEUE = 4, STB_EVENT_SUMMARY = 32, STB_SERVICE_REQUEST = 64;
    int m_eventStatus = 0;
    int m_eventEnable = 0;
    int m_serviceEnable = 0;
};

}  // namespace tk
