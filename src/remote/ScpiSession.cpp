#include "ScpiSession.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include "FieldIo.h"
#include "FileConfinement.h"
#include "RemotePaths.h"
#include "Units.h"

namespace tk {
namespace {

// The center frequency's typed range in the display setup.
constexpr double CENTER_MIN_MHZ = 0.0;
constexpr double CENTER_MAX_MHZ = 3000.0;
// SCPI's "not a number".
constexpr const char* NOT_A_NUMBER = "9.91E+37";

QByteArray Shortest(double value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return QByteArray(buf, static_cast<int>(end - buf));
}

QByteArray Shortest(float value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return QByteArray(buf, static_cast<int>(end - buf));
}

bool Choice(const QByteArray& value, const char* pattern) {
    return HeaderMatches(pattern, {value.toUpper()});
}

// A frequency in MHz as SCPI answers it, in Hz: the stored single-precision value by its shortest decimals.
QByteArray Hz(float mhz) {
    return QByteArray::number(Shortest(mhz).toDouble() * 1e6, 'g', 12);
}

// The bandwidth options' widths in kHz, by their index.
constexpr std::array<double, 4> BANDWIDTHS_KHZ{9.0, 20.0, 120.0, 400.0};

const TraceArray& TraceOf(const MeasurementModel& m, int trace) {
    switch (trace) {
        case 0:
            return m.traceActual;
        case 1:
            return m.traceAverage;
        case 2:
            return m.tracePeak;
        default:
            break;
    }
    return m.traceComparison;
}

}  // namespace

std::shared_ptr<ScpiSession> ScpiSession::Create(RemoteTarget& target, QString folder, Output output) {
    return std::shared_ptr<ScpiSession>(new ScpiSession(target, std::move(folder), std::move(output)));
}

ScpiSession::ScpiSession(RemoteTarget& target, QString folder, Output output)
    : m_target(target), m_folder(std::move(folder)), m_output(std::move(output)) {}

void ScpiSession::Receive(const QByteArray& line) {
    std::vector<ScpiItem> items = ParseProgramLine(line);
    if (items.empty()) return;
    for (std::size_t i = 0; i < items.size(); ++i) {
        // ABOR stops the read that runs now, not after the commands waiting before it; in the queue it
        // keeps its place, to end its line, and does nothing more.
        const auto* c = std::get_if<ScpiCommand>(&items[i]);
        if (c && !c->query && c->parameters.empty() && HeaderMatches("ABORt", c->nodes)) m_target.Abort();
        m_queue.push_back({std::move(items[i]), i + 1 == items.size()});
    }
    Kick();
}

void ScpiSession::Refuse(int code, const QString& detail) {
    m_queue.push_back({ScpiError{code, ScpiErrorText(code) + QStringLiteral("; ") + detail}, true});
    Kick();
}

void ScpiSession::Kick() {
    // Each command that ends calls this again: the loop below takes the next one, so that a long line of
    // commands that end at once runs without piling up calls.
    if (m_kicking) return;
    const std::shared_ptr<ScpiSession> keep = shared_from_this();
    m_kicking = true;
    while (!m_scheduled && !m_queue.empty()) {
        m_scheduled = true;
        // A query only reads the program's state, and the traces in it are whole while a read runs: it is
        // answered at once instead of waiting for a line that a read of the tick may hold for seconds.
        // What this client asked before it has ended already, so the answer still follows its commands.
        const auto* command = std::get_if<ScpiCommand>(&m_queue.front().item);
        if (command && command->query) {
            const bool last = m_queue.front().lastOfLine;
            m_target.KeepMessages();
            if (!m_lineFailed) Execute(*command);
            for (const QString& text : m_target.TakeMessages()) Fail(-200, text.trimmed());
            Finish(last);
            continue;
        }
        std::weak_ptr<ScpiSession> self = weak_from_this();
        m_target.WhenLineFree([self] {
            if (auto s = self.lock()) s->Step();
        });
    }
    m_kicking = false;
}

// A command runs in its own step; what it asks for the line runs after it, and the step after that collects
// the messages it caused, so that a query behind it sees the command's effect.
void ScpiSession::Step() {
    const Queued next = m_queue.front();
    m_target.KeepMessages();
    if (const auto* error = std::get_if<ScpiError>(&next.item)) {
        Record(error->code, error->text);
        m_lineFailed = true;
    } else if (!m_lineFailed) {
        Execute(std::get<ScpiCommand>(next.item));
    }
    std::weak_ptr<ScpiSession> self = weak_from_this();
    RemoteTarget& target = m_target;
    const bool last = next.lastOfLine;
    m_target.WhenLineFree([self, &target, last, confinement = std::move(m_confinement)] {
        const QStringList messages = target.TakeMessages();
        if (auto s = self.lock()) {
            for (const QString& text : messages) s->Fail(-200, text.trimmed());
            s->Finish(last);
        }
    });
}

void ScpiSession::Finish(bool lastOfLine) {
    m_queue.pop_front();
    if (lastOfLine) {
        if (m_answered) m_output(m_answers + '\n');
        m_answers.clear();
        m_answered = false;
        m_lineFailed = false;
        m_path.clear();
    }
    m_scheduled = false;
    Kick();
    if (m_queue.empty() && m_whenIdle) std::exchange(m_whenIdle, nullptr)();
    if (m_commandDone) m_commandDone();
}

void ScpiSession::WhenIdle(std::function<void()> idle) {
    if (Idle())
        idle();
    else
        m_whenIdle = std::move(idle);
}

void ScpiSession::Record(int code, const QString& text) {
    m_errors.Push(code, text);
    // The standard event status bit of the error's class: command, execution, device or query error.
    if (code <= -100 && code > -200) m_eventStatus |= ESR_COMMAND_ERROR;
    if (code <= -200 && code > -300) m_eventStatus |= ESR_EXECUTION_ERROR;
    if (code <= -300 && code > -400) m_eventStatus |= ESR_DEVICE_ERROR;
    if (code <= -400 && code > -500) m_eventStatus |= ESR_QUERY_ERROR;
}

int ScpiSession::StatusByte() const {
    int stb = 0;
    if (m_errors.Size() > 0) stb |= STB_ERROR_QUEUE;
    if (m_eventStatus & m_eventEnable) stb |= STB_EVENT_SUMMARY;
    if (stb & m_serviceEnable) stb |= STB_SERVICE_REQUEST;
    return stb;
}

void ScpiSession::Fail(int code, const QString& detail) {
    Record(code, detail.isEmpty() ? ScpiErrorText(code) : ScpiErrorText(code) + u';' + detail);
    // A command error (-1xx) leaves the rest of the line unread; an execution error only its command.
    if (code <= -100 && code > -200) m_lineFailed = true;
}

void ScpiSession::Answer(const QByteArray& text) {
    if (m_answered) m_answers += ';';
    m_answers += text;
    m_answered = true;
}

bool ScpiSession::Count(const ScpiCommand& c, std::size_t n) {
    if (c.parameters.size() < n) {
        Fail(-109);
        return false;
    }
    if (c.parameters.size() > n) {
        Fail(-108);
        return false;
    }
    return true;
}

std::optional<bool> ScpiSession::Switch(const ScpiCommand& c, std::size_t index) {
    const QByteArray v = c.parameters[index].value.toUpper();
    if (v == "ON" || v == "1") return true;
    if (v == "OFF" || v == "0") return false;
    Fail(-224, QStringLiteral("ON or OFF"));
    return std::nullopt;
}

std::optional<double> ScpiSession::Number(const ScpiCommand& c, std::size_t index) {
    const ScpiParameter& p = c.parameters[index];
    bool ok = false;
    const double v = p.kind == ScpiParameter::Kind::Token ? p.value.toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(v)) {
        Fail(-104, QStringLiteral("a number"));
        return std::nullopt;
    }
    return v;
}

std::optional<double> ScpiSession::Number(const ScpiCommand& c, std::size_t index, const Limits& limits) {
    const QByteArray& v = c.parameters[index].value;
    if (c.parameters[index].kind == ScpiParameter::Kind::Token) {
        if (Choice(v, "MINimum")) return limits.min;
        if (Choice(v, "MAXimum")) return limits.max;
        if (Choice(v, "DEFault")) return limits.def;
    }
    return Number(c, index);
}

std::optional<double> ScpiSession::FrequencyMHz(const ScpiCommand& c, std::size_t index, const Limits& mhz) {
    const ScpiParameter& p = c.parameters[index];
    const QByteArray v = p.value.toUpper();
    if (p.kind != ScpiParameter::Kind::Token || v.isEmpty() ||
        !(std::isdigit(uchar(v[0])) || QByteArray("+-.").contains(v[0])))
        return Number(c, index, mhz);
    // In Hz unless a suffix says otherwise (MHZ is mega, as SCPI takes it for frequencies). A divisor, not
    // a factor below 1, so that 15e6 Hz is 15 MHz exactly.
    struct Suffix {
        const char* text;
        double times, per;
    };
    static constexpr std::array<Suffix, 4> suffixes{
        {{"GHZ", 1e3, 1.0}, {"MHZ", 1.0, 1.0}, {"KHZ", 1.0, 1e3}, {"HZ", 1.0, 1e6}}};
    QByteArray number = v;
    Suffix unit{"", 1.0, 1e6};
    for (const Suffix& suffix : suffixes) {
        if (v.endsWith(suffix.text)) {
            number = v.chopped(static_cast<qsizetype>(std::strlen(suffix.text))).trimmed();
            unit = suffix;
            break;
        }
    }
    bool ok = false;
    const double x = number.toDouble(&ok);
    if (!ok || !std::isfinite(x)) {
        Fail(-131, QStringLiteral("HZ, KHZ, MHZ or GHZ"));
        return std::nullopt;
    }
    return x * unit.times / unit.per;
}

std::optional<int> ScpiSession::TraceChoice(const ScpiCommand& c, bool withComparison) {
    const QByteArray& v = c.parameters[0].value;
    if (Choice(v, "ACTual")) return 0;
    if (Choice(v, "AVERage")) return 1;
    if (Choice(v, "PEAK")) return 2;
    if (withComparison && Choice(v, "COMParison")) return 3;
    Fail(-224,
         withComparison ? QStringLiteral("ACT, AVER, PEAK or COMP") : QStringLiteral("ACT, AVER or PEAK"));
    return std::nullopt;
}

QByteArray ScpiSession::Values(const std::vector<double>& values, int decimals) const {
    if (m_format == Format::Real32) {
        QByteArray bytes(static_cast<qsizetype>(values.size() * 4), '\0');
        for (std::size_t i = 0; i < values.size(); ++i) {
            const float single = static_cast<float>(values[i]);
            std::uint32_t bits;
            std::memcpy(&bits, &single, 4);
            // Little-endian ("swapped") unless FORM:BORD NORM asks for the most significant byte first.
            for (int b = 0; b < 4; ++b)
                bytes[static_cast<qsizetype>(i * 4 + b)] =
                    char((bits >> (8 * (m_bigEndian ? 3 - b : b))) & 0xff);
        }
        const QByteArray length = QByteArray::number(bytes.size());
        return '#' + QByteArray::number(length.size()) + length + bytes;
    }
    QByteArray text;
    text.reserve(static_cast<qsizetype>(values.size() * 9));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) text += ',';
        // Levels with the decimals of the table export; frequencies as the single-precision value they are.
        text += decimals < 0 ? Shortest(static_cast<float>(values[i]))
                             : QByteArray::number(values[i], 'f', decimals);
    }
    return text;
}

void ScpiSession::FileCommand(const ScpiCommand& c, bool store) {
    if (!Count(c, 1)) return;
    if (c.parameters[0].kind != ScpiParameter::Kind::String)
        return Fail(-104, QStringLiteral("a quoted name"));
    const QByteArray& kindNode = c.nodes[2];
    std::optional<RemoteFile> kind;
    if (HeaderMatches("STATe", {kindNode})) kind = RemoteFile::Settings;
    if (HeaderMatches("LIMit", {kindNode})) kind = RemoteFile::Boundaries;
    if (HeaderMatches("MEASurement", {kindNode})) kind = RemoteFile::Measurement;
    if (!store && HeaderMatches("CORRection", {kindNode})) kind = RemoteFile::Calibration;
    if (!store && HeaderMatches("SCRipt", {kindNode})) kind = RemoteFile::Script;
    if (store && HeaderMatches("TABLe", {kindNode})) kind = RemoteFile::Table;
    if (!kind) return Fail(-113);
    const RemotePath p = ResolveRemotePath(m_folder, QString::fromLatin1(c.parameters[0].value),
                                           store ? RemoteAccess::Write : RemoteAccess::Read);
    if (p.path.isEmpty()) return Fail(p.error, p.reason);
    // The name was checked; what it names may change before it is opened, so the opening goes through the
    // folder as well.
    m_confinement = std::make_shared<FileConfinement>(m_folder);
    if (store)
        m_target.Store(*kind, p.path, m_target.Model().settings.levelUnit);
    else
        m_target.Load(*kind, p.path);
}

void ScpiSession::Execute(const ScpiCommand& c) {
    bool known = Dispatch(c);
    QList<QByteArray> nodes = c.nodes;
    if (!known && !c.fromRoot && !m_path.isEmpty() && !c.nodes[0].startsWith('*')) {
        ScpiCommand below = c;
        below.nodes = m_path + c.nodes;
        known = Dispatch(below);
        nodes = below.nodes;
    }
    if (!known) return Fail(-113);
    if (!nodes[0].startsWith('*')) m_path = nodes.mid(0, nodes.size() - 1);
}

bool ScpiSession::Dispatch(const ScpiCommand& c) {
    m_unknown = false;
    Handle(c);
    return !m_unknown;
}

void ScpiSession::Handle(const ScpiCommand& c) {
    MeasurementModel& m = m_target.Model();
    MeasurementSettings& s = m.settings;
    const auto is = [&](const char* pattern, bool query) {
        return c.query == query && HeaderMatches(pattern, c.nodes);
    };

    if (is("*IDN", true)) {
        if (!Count(c, 0)) return;
        QString version = m.interfaceVersion.trimmed();
        version.remove(u',');
        if (version.isEmpty()) version = QStringLiteral("0");
        return Answer("ZELOR Instruments,TK820-2," + version.toLatin1() + ',' +
                      m_target.ProgramVersion().toLatin1());
    }
    if (is("*RST", false)) {
        if (!Count(c, 0)) return;
        m_format = Format::Ascii;
        m_bigEndian = false;
        return m_target.Reset();
    }
    if (is("*CLS", false)) {
        if (!Count(c, 0)) return;
        m_errors.Clear();
        m_eventStatus = 0;
        return;
    }
    if (is("*OPC", true)) return Count(c, 0) ? Answer("1") : void();
    // Commands run one after the other, each once the one before has ended, what it read included: *WAI
    // has nothing to wait for, and *OPC marks the operation complete as it runs.
    if (is("*WAI", false)) return void(Count(c, 0));
    if (is("*OPC", false)) {
        if (Count(c, 0)) m_eventStatus |= ESR_OPERATION_COMPLETE;
        return;
    }
    if (is("*ESR", true))
        return Count(c, 0) ? Answer(QByteArray::number(std::exchange(m_eventStatus, 0))) : void();
    if (is("*ESE", true)) return Count(c, 0) ? Answer(QByteArray::number(m_eventEnable)) : void();
    if (is("*SRE", true)) return Count(c, 0) ? Answer(QByteArray::number(m_serviceEnable)) : void();
    if (is("*STB", true)) return Count(c, 0) ? Answer(QByteArray::number(StatusByte())) : void();
    if (is("*ESE", false) || is("*SRE", false)) {
        if (!Count(c, 1)) return;
        const auto v = Number(c, 0);
        if (!v) return;
        if (*v < 0 || *v > 255) return Fail(-222, QStringLiteral("0 to 255"));
        (c.nodes[0].toUpper() == "*ESE" ? m_eventEnable : m_serviceEnable) =
            static_cast<int>(std::lround(*v));
        return;
    }
    // Nothing of the program can be tested without the interface: the self-test passes.
    if (is("*TST", true)) return Count(c, 0) ? Answer("0") : void();
    if (is("ABORt", false)) return void(Count(c, 0));  // it acted as it came
    if (is("SYSTem:ERRor[:NEXT]", true)) return Count(c, 0) ? Answer(m_errors.Next()) : void();
    if (is("SYSTem:ERRor:COUNt", true))
        return Count(c, 0) ? Answer(QByteArray::number(qulonglong(m_errors.Size()))) : void();
    if (is("SYSTem:ERRor:ALL", true)) {
        if (!Count(c, 0)) return;
        QByteArray all = m_errors.Next();
        while (m_errors.Size() > 0) all += ',' + m_errors.Next();
        return Answer(all);
    }
    if (is("SYSTem:VERSion", true)) return Count(c, 0) ? Answer("1999.0") : void();
    if (is("SYSTem:EXIT", false)) {
        if (Count(c, 0) && !m_target.Exit())
            Fail(-200, QStringLiteral("the program with windows is ended by its user"));
        return;
    }
    if (is("INSTrument:CONNect", true)) return Count(c, 0) ? Answer(m_target.Online() ? "1" : "0") : void();
    if (is("INSTrument:CONNect", false)) {
        if (!Count(c, 1)) return;
        if (const auto on = Switch(c, 0)) m_target.SetOnline(*on);
        return;
    }
    if (is("INITiate[:IMMediate]", false)) {
        if (!Count(c, 0)) return;
        // Offline "Single" reads nothing: a client waiting with *OPC? learns why from the error queue.
        if (!m_target.Online()) return Fail(-213, QStringLiteral("the interface is offline (INST:CONN ON)"));
        return m_target.Single();
    }
    if (is("INITiate:CONTinuous", true)) return Count(c, 0) ? Answer(m.autoMeasurement ? "1" : "0") : void();
    if (is("INITiate:CONTinuous", false)) {
        if (!Count(c, 1)) return;
        if (const auto on = Switch(c, 0)) m_target.SetAutoMeasurement(*on);
        return;
    }
    if (is("[SENSe:]FAST", true)) return Count(c, 0) ? Answer(m.fastMode ? "1" : "0") : void();
    if (is("[SENSe:]FAST", false)) {
        if (!Count(c, 1)) return;
        if (const auto on = Switch(c, 0)) m_target.SetFastMode(*on);
        return;
    }
    const MeasurementSettings defaults;
    if (is("[SENSe:]FREQuency:CENTer", true)) return Count(c, 0) ? Answer(Hz(s.centerFreq)) : void();
    if (is("[SENSe:]FREQuency:CENTer", false)) {
        if (!Count(c, 1)) return;
        const auto v = FrequencyMHz(c, 0, {CENTER_MIN_MHZ, CENTER_MAX_MHZ, defaults.centerFreq});
        if (!v) return;
        if (*v < CENTER_MIN_MHZ || *v > CENTER_MAX_MHZ) return Fail(-222, QStringLiteral("0 to 3000 MHz"));
        s.centerFreq = static_cast<float>(*v);
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    if (is("[SENSe:]FREQuency:SPAN:DIVision", true)) return Count(c, 0) ? Answer(Hz(s.scanWidth)) : void();
    if (is("[SENSe:]FREQuency:SPAN:DIVision", false)) {
        if (!Count(c, 1)) return;
        const auto v = FrequencyMHz(c, 0, {SCAN_WIDTHS[11], SCAN_WIDTHS[0], defaults.scanWidth});
        if (!v) return;
        const auto w = std::find(SCAN_WIDTHS.begin(), SCAN_WIDTHS.end(), static_cast<float>(*v));
        if (w == SCAN_WIDTHS.end())
            return Fail(-222, QStringLiteral("one of the display setup's scan widths"));
        s.scanWidth = *w;
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    // The graph's ten divisions around the centre, as the display draws them.
    if (is("[SENSe:]FREQuency:STARt", true))
        return Count(c, 0) ? Answer(Hz(s.centerFreq - 5.0f * s.scanWidth)) : void();
    if (is("[SENSe:]FREQuency:STOP", true))
        return Count(c, 0) ? Answer(Hz(s.centerFreq + 5.0f * s.scanWidth)) : void();
    if (is("[SENSe:]FREQuency:SPAN", true)) return Count(c, 0) ? Answer(Hz(10.0f * s.scanWidth)) : void();
    if (is("[SENSe:]BANDwidth", true)) {
        if (!Count(c, 0)) return;
        const auto k = static_cast<std::size_t>(std::clamp<int>(s.bandwidthIndex, 0, 3));
        return Answer(QByteArray::number(BANDWIDTHS_KHZ[k] * 1e3, 'g', 12));
    }
    if (is("[SENSe:]BANDwidth", false)) {
        if (!Count(c, 1)) return;
        const double def = BANDWIDTHS_KHZ[static_cast<std::size_t>(defaults.bandwidthIndex)] / 1e3;
        const auto v = FrequencyMHz(c, 0, {BANDWIDTHS_KHZ[0] / 1e3, BANDWIDTHS_KHZ[3] / 1e3, def});
        if (!v) return;
        const auto k = std::find_if(BANDWIDTHS_KHZ.begin(), BANDWIDTHS_KHZ.end(),
                                    [&](double khz) { return std::abs(khz - *v * 1e3) < 1e-6; });
        if (k == BANDWIDTHS_KHZ.end()) return Fail(-224, QStringLiteral("9, 20, 120 or 400 kHz"));
        s.bandwidthIndex = static_cast<std::int16_t>(k - BANDWIDTHS_KHZ.begin());
        return m_target.SettingsChanged();
    }
    // The sweep's points, under their usual name: 4000 / resolution.
    if (is("[SENSe:]SWEep:POINts", true))
        return Count(c, 0) ? Answer(QByteArray::number(s.resolution > 0 ? 4000 / s.resolution : 0)) : void();
    if (is("[SENSe:]SWEep:POINts", false)) {
        if (!Count(c, 1)) return;
        const auto v = Number(c, 0, {500, 4000, 4000.0 / defaults.resolution});
        if (!v) return;
        if (*v != 500 && *v != 1000 && *v != 2000 && *v != 4000)
            return Fail(-222, QStringLiteral("500, 1000, 2000 or 4000"));
        s.resolution = static_cast<std::int16_t>(4000 / static_cast<int>(*v));
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    if (is("[SENSe:]RESolution", true))
        return Count(c, 0) ? Answer(QByteArray::number(s.resolution)) : void();
    if (is("[SENSe:]RESolution", false)) {
        if (!Count(c, 1)) return;
        const auto v = Number(c, 0, {1, 8, double(defaults.resolution)});
        if (!v) return;
        if (*v != 1 && *v != 2 && *v != 4 && *v != 8) return Fail(-222, QStringLiteral("1, 2, 4 or 8"));
        s.resolution = static_cast<std::int16_t>(*v);
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    if (is("UNIT:POWer", true)) {
        static const std::array<const char*, 4> names{"DBPW", "DBM", "DBUV", "USER"};
        return Count(c, 0) ? Answer(names[static_cast<std::size_t>(std::clamp<int>(s.levelUnit, 0, 3))])
                           : void();
    }
    if (is("UNIT:POWer", false)) {
        if (!Count(c, 1)) return;
        const QByteArray v = c.parameters[0].value.toUpper();
        int unit = -1;
        if (v == "DBPW") unit = UNIT_DBPW;
        if (v == "DBM") unit = UNIT_DBM;
        if (v == "DBUV") unit = UNIT_DBUV;
        if (v == "USER") unit = UNIT_USER;
        if (unit < 0) return Fail(-224, QStringLiteral("DBM, DBUV, DBPW or USER"));
        s.levelUnit = static_cast<std::int16_t>(unit);
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    if (is("FORMat[:DATA]", true))
        return Count(c, 0) ? Answer(m_format == Format::Ascii ? "ASC" : "REAL,32") : void();
    if (is("FORMat[:DATA]", false)) {
        if (c.parameters.empty()) return Fail(-109);
        const QByteArray& v = c.parameters[0].value;
        if (Choice(v, "ASCii") && c.parameters.size() == 1) {
            m_format = Format::Ascii;
        } else if (Choice(v, "REAL") && (c.parameters.size() == 1 ||
                                         (c.parameters.size() == 2 && c.parameters[1].value == "32"))) {
            m_format = Format::Real32;
        } else {
            Fail(-224, QStringLiteral("ASC or REAL,32"));
        }
        return;
    }
    if (is("FORMat:BORDer", true)) return Count(c, 0) ? Answer(m_bigEndian ? "NORM" : "SWAP") : void();
    if (is("FORMat:BORDer", false)) {
        if (!Count(c, 1)) return;
        const QByteArray& v = c.parameters[0].value;
        if (Choice(v, "NORMal"))
            m_bigEndian = true;
        else if (Choice(v, "SWAPped"))
            m_bigEndian = false;
        else
            Fail(-224, QStringLiteral("NORM or SWAP"));
        return;
    }
    if (is("TRACe[:DATA]", true)) {
        if (!Count(c, 1)) return;
        const auto trace = TraceChoice(c, true);
        if (!trace) return;
        const TraceArray& t = TraceOf(m, *trace);
        std::vector<double> levels;
        const int points = StoredPoints(s.resolution);
        for (int i = 1; i <= points; ++i)
            levels.push_back(LevelInUnit(s, t[static_cast<std::size_t>(i)], s.levelUnit));
        return Answer(Values(levels, 2));
    }
    if (is("TRACe:FREQuency", true)) {
        if (!Count(c, 0)) return;
        std::vector<double> freqs;
        const int points = StoredPoints(s.resolution);
        for (int i = 1; i <= points; ++i) freqs.push_back(FrequencyOfPoint(s, i));
        return Answer(Values(freqs, -1));
    }
    if (is("TRACe:TIME", true)) {
        if (!Count(c, 1)) return;
        const auto trace = TraceChoice(c, false);
        if (!trace) return;
        const auto& time = *trace == 0 ? m.timeActual : *trace == 1 ? m.timeAverage : m.timePeak;
        return Answer('"' + time.text().trimmed().toLatin1() + '"');
    }
    if (is("CALCulate:LIMit:STATe", true) || is("CALCulate:LIMit:STATe", false)) {
        if (!Count(c, c.query ? 1 : 2)) return;
        const auto trace = TraceChoice(c, false);
        if (!trace) return;
        VbBool& flag = *trace == 0 ? s.limitActual : *trace == 1 ? s.limitAverage : s.limitPeak;
        if (c.query) return Answer(flag ? "1" : "0");
        const auto on = Switch(c, 1);
        if (!on) return;
        flag = *on;
        m.redrawPending = true;
        return m_target.SettingsChanged();
    }
    if (is("CALCulate:LIMit:FAIL", true)) {
        if (!Count(c, 0)) return;
        bool fail = false;
        const std::array<bool, 3> shown{bool(s.showActual), bool(s.showAverage), bool(s.showPeak)};
        for (const RemoteMargin& r : m_target.Margins())
            fail = fail || (r.reached && shown[static_cast<std::size_t>(r.trace)]);
        return Answer(fail ? "1" : "0");
    }
    if (is("CALCulate:LIMit:MARGin", true)) {
        if (!Count(c, 1)) return;
        const auto trace = TraceChoice(c, false);
        if (!trace) return;
        for (const RemoteMargin& r : m_target.Margins()) {
            if (r.trace != *trace) continue;
            if (!r.marginDb) return Answer(QByteArray(NOT_A_NUMBER) + ',' + NOT_A_NUMBER);
            // Rounded as in the headless report: to 0.01 dB and to the kHz.
            return Answer(QByteArray::number(*r.marginDb, 'f', 2) + ',' +
                          Shortest(std::round(double(r.frequencyMHz) * 1000.0) / 1000.0));
        }
        return Fail(-200, QStringLiteral("the boundary check of that trace is off"));
    }
    // The plain files of the folder (links and anything else left out): bytes used, bytes free, then
    // "name,,size" for each, by name.
    if (is("MMEMory:CATalog", true)) {
        if (!Count(c, 0)) return;
        const QDir folder(m_folder);
        qint64 used = 0;
        QByteArray entries;
        for (const QFileInfo& f : folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
            if (f.isSymLink() || !f.isFile()) continue;
            used += f.size();
            entries += ",\"" + f.fileName().toUtf8().replace('"', "\"\"") + ",," +
                       QByteArray::number(f.size()) + '"';
        }
        return Answer(QByteArray::number(used) + ',' +
                      QByteArray::number(QStorageInfo(folder).bytesAvailable()) + entries);
    }
    // Recording: MMEM:REC "name.tkrec" records every read into the file (a recording there is continued),
    // MMEM:REC:STOP ends it, MMEM:REC? answers 1,"name",reads or 0,"",0.
    if (is("MMEMory:RECord", false)) {
        if (!Count(c, 1)) return;
        if (c.parameters[0].kind != ScpiParameter::Kind::String)
            return Fail(-104, QStringLiteral("a quoted name"));
        const RemotePath p =
            ResolveRemotePath(m_folder, QString::fromLatin1(c.parameters[0].value), RemoteAccess::Write);
        if (p.path.isEmpty()) return Fail(p.error, p.reason);
        const QString error = m_target.StartRecording(p.path);
        return error.isEmpty() ? void() : Fail(-257, error);
    }
    if (is("MMEMory:RECord:STOP", false)) return Count(c, 0) ? m_target.StopRecording() : void();
    if (is("MMEMory:RECord", true)) {
        if (!Count(c, 0)) return;
        const auto recording = m_target.Recording();
        if (!recording) return Answer("0,\"\",0");
        return Answer("1,\"" + QFileInfo(recording->first).fileName().toUtf8().replace('"', "\"\"") + "\"," +
                      QByteArray::number(recording->second));
    }
    if (c.nodes.size() == 3 && HeaderMatches("MMEMory", {c.nodes[0]}) && !c.query) {
        if (HeaderMatches("LOAD", {c.nodes[1]})) return FileCommand(c, false);
        if (HeaderMatches("STORe", {c.nodes[1]})) return FileCommand(c, true);
    }
    // A script's messages have a place of their own, so that the error queue holds only errors.
    if (is("SCRipt:MESSage", true)) {
        if (!Count(c, 0)) return;
        QByteArrayList quoted;
        for (QString text : m_target.TakeScriptMessages())
            quoted << '"' + text.replace(u'"', QStringLiteral("\"\"")).toLatin1() + '"';
        return Answer(quoted.isEmpty() ? QByteArray("\"\"") : quoted.join(','));
    }
    if (is("SCRipt:RUN", false)) return Count(c, 0) ? m_target.RunScript(m_folder) : void();
    if (is("SCRipt:STOP", false)) return Count(c, 0) ? m_target.StopScript() : void();
    if (is("SCRipt:STATe", true)) {
        if (!Count(c, 0)) return;
        const QString due = QStringLiteral("%1:%2")
                                .arg(m.dueHour, 2, 10, QLatin1Char('0'))
                                .arg(m.dueMinute, 2, 10, QLatin1Char('0'));
        return Answer(QByteArray(m.scriptRunning ? "1," : "0,") + QByteArray::number(m.scriptStepIndex) +
                      ",\"" + due.toLatin1() + '"');
    }
    m_unknown = true;
}

}  // namespace tk
