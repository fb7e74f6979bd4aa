#include "ScpiParser.h"

namespace tk {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHeaderChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Text only: printable ASCII and the tab. Block bytes are checked by the block reader, not here.
bool IsText(char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '\t' || (u >= 0x20 && u < 0x7f);
}

ScpiError Error(int code, const char* detail = nullptr) {
    QString text = ScpiErrorText(code);
    if (detail) text += QStringLiteral("; ") + QString::fromLatin1(detail);
    return {code, text};
}

class LineReader {
public:
    explicit LineReader(const QByteArray& line) : m_line(line) {}

    std::vector<ScpiItem> Read() {
        std::vector<ScpiItem> items;
        for (;;) {
            SkipBlanks();
            if (AtEnd()) break;
            if (Peek() == ';') {  // an empty command between separators is no command at all
                ++m_pos;
                continue;
            }
            std::optional<ScpiError> error;
            ScpiCommand command = ReadCommand(error);
            if (error) {
                items.emplace_back(*error);
                break;
            }
            items.emplace_back(std::move(command));
            SkipBlanks();
            if (!AtEnd()) ++m_pos;  // the ';'
        }
        return items;
    }

private:
    bool AtEnd() const { return m_pos >= m_line.size(); }
    char Peek() const { return m_line[m_pos]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Peek())) ++m_pos;
    }

    ScpiCommand ReadCommand(std::optional<ScpiError>& error) {
        ScpiCommand c;
        if (Peek() == ':') {
            c.fromRoot = true;
            ++m_pos;
        }
        const bool common = !AtEnd() && Peek() == '*';
        if (common) ++m_pos;
        QByteArray node = common ? QByteArray("*") : QByteArray();
        for (;;) {
            if (AtEnd() || IsBlank(Peek()) || Peek() == ';' || Peek() == '?' || Peek() == ':') {
                if (node.isEmpty() || node == "*") {
                    error = Error(-102, "empty header");
                    return c;
                }
                c.nodes.append(node.toUpper());
                node.clear();
                if (AtEnd() || Peek() != ':') break;
                if (common) {
                    error = Error(-102, "a common command has one node");
                    return c;
                }
                ++m_pos;
                continue;
            }
            if (!IsText(Peek())) {
                error = Error(-101);
                return c;
            }
            if (!IsHeaderChar(Peek())) {
                error = Error(-102, "bad header");
                return c;
            }
            node += Peek();
            ++m_pos;
        }
        if (!AtEnd() && Peek() == '?') {
            c.query = true;
            ++m_pos;
        }
        if (AtEnd() || Peek() == ';') return c;
        if (!IsBlank(Peek())) {
            error = Error(IsText(Peek()) ? -102 : -101);
            return c;
        }
        SkipBlanks();
        if (AtEnd() || Peek() == ';') return c;
        for (;;) {
            ScpiParameter p;
            if (!ReadParameter(p, error)) return c;
            c.parameters.push_back(std::move(p));
            SkipBlanks();
            if (AtEnd() || Peek() == ';') return c;
            if (Peek() != ',') {
                error = Error(-102, "expected a comma");
                return c;
            }
            ++m_pos;
            SkipBlanks();
        }
    }

    bool ReadParameter(ScpiParameter& p, std::optional<ScpiError>& error) {
        if (AtEnd() || Peek() == ';' || Peek() == ',') {
            error = Error(-102, "empty parameter");
            return false;
        }
        const char first = Peek();
        if (first == '"' || first == '\'') return ReadString(first, p, error);
        if (first == '#') return ReadBlock(p, error);
        p.kind = ScpiParameter::Kind::Token;
        while (!AtEnd() && Peek() != ',' && Peek() != ';') {
            if (!IsText(Peek())) {
                error = Error(-101);
                return false;
            }
            p.value += Peek();
            ++m_pos;
        }
        p.value = p.value.trimmed();
        if (p.value.contains('"') || p.value.contains('\'') || p.value.contains(' ') || p.value.contains('\t')) {
            error = Error(-102, "bad parameter");
            return false;
        }
        return true;
    }

    bool ReadString(char quote, ScpiParameter& p, std::optional<ScpiError>& error) {
        p.kind = ScpiParameter::Kind::String;
        ++m_pos;
        for (;;) {
            if (AtEnd()) {
                error = Error(-102, "unterminated string");
                return false;
            }
            const char c = Peek();
            ++m_pos;
            if (c == quote) {
                if (AtEnd() || Peek() != quote) return true;
                ++m_pos;  // a doubled quote stands for one
            } else if (!IsText(c)) {
                error = Error(-101);
                return false;
            }
            p.value += c;
        }
    }

    // "#" n, n digits of the length, then that many bytes. The indefinite form (#0) has no place in a
    // line-framed program.
    bool ReadBlock(ScpiParameter& p, std::optional<ScpiError>& error) {
        p.kind = ScpiParameter::Kind::Block;
        ++m_pos;
        if (AtEnd() || Peek() < '1' || Peek() > '9') {
            error = Error(-161, "bad length digits");
            return false;
        }
        const int digits = Peek() - '0';
        ++m_pos;
        if (m_line.size() - m_pos < digits) {
            error = Error(-161, "short length");
            return false;
        }
        qsizetype length = 0;
        for (int i = 0; i < digits; ++i, ++m_pos) {
            if (Peek() < '0' || Peek() > '9') {
                error = Error(-161, "bad length digits");
                return false;
            }
            length = length * 10 + (Peek() - '0');
        }
        if (m_line.size() - m_pos < length) {
            error = Error(-161, "fewer bytes than its length");
            return false;
        }
        p.value = m_line.mid(m_pos, length);
        m_pos += length;
        SkipBlanks();
        if (!AtEnd() && Peek() != ',' && Peek() != ';') {
            error = Error(-161, "more bytes than its length");
            return false;
        }
        return true;
    }

    const QByteArray& m_line;
    qsizetype m_pos = 0;
};

bool NodeMatches(const QByteArray& patternNode, const QByteArray& node) {
    QByteArray shortForm;
    for (char c : patternNode) {
        if (c >= 'a' && c <= 'z') break;
        shortForm += c;
    }
    return node == shortForm || node == patternNode.toUpper();
}

bool Match(const QList<QByteArray>& pattern, qsizetype p, const QList<QByteArray>& nodes, qsizetype n) {
    if (p == pattern.size()) return n == nodes.size();
    QByteArray node = pattern[p];
    const bool optional = node.startsWith('[');
    if (optional) {
        node = node.mid(1, node.size() - 2);
        if (Match(pattern, p + 1, nodes, n)) return true;
    }
    return n < nodes.size() && NodeMatches(node, nodes[n]) && Match(pattern, p + 1, nodes, n + 1);
}

}  // namespace

std::vector<ScpiItem> ParseProgramLine(const QByteArray& line) {
    QByteArray text = line;
    if (text.endsWith('\r')) text.chop(1);
    return LineReader(text).Read();
}

bool HeaderMatches(const QByteArray& pattern, const QList<QByteArray>& nodes) {
    // "[SENSe:]FREQuency" -> "[SENSe]", "FREQuency"; "INITiate[:IMMediate]" -> "INITiate", "[IMMediate]"
    QList<QByteArray> parts;
    QByteArray part;
    const auto end = [&] {
        if (!part.isEmpty()) parts.append(part);
        part.clear();
    };
    bool inBracket = false;
    for (char c : pattern) {
        if (c == ':') {
            if (!inBracket) end();
            continue;
        }
        if (c == '[') {
            end();
            inBracket = true;
        }
        part += c;
        if (c == ']') {
            inBracket = false;
            end();
        }
    }
    end();
    return Match(parts, 0, nodes, 0);
}

QString ScpiErrorText(int code) {
    switch (code) {
        case 0: return QStringLiteral("No error");
        case -100: return QStringLiteral("Command error");
        case -101: return QStringLiteral("Invalid character");
        case -102: return QStringLiteral("Syntax error");
        case -104: return QStringLiteral("Data type error");
        case -108: return QStringLiteral("Parameter not allowed");
        case -109: return QStringLiteral("Missing parameter");
        case -113: return QStringLiteral("Undefined header");
        case -161: return QStringLiteral("Invalid block data");
        case -200: return QStringLiteral("Execution error");
        case -213: return QStringLiteral("Init ignored");
        case -222: return QStringLiteral("Data out of range");
        case -223: return QStringLiteral("Too much data");
        case -224: return QStringLiteral("Illegal parameter value");
        case -131: return QStringLiteral("Invalid suffix");
        case -256: return QStringLiteral("File name not found");
        case -350: return QStringLiteral("Queue overflow");
        case -410: return QStringLiteral("Query INTERRUPTED");
        default: break;
    }
    return QStringLiteral("Error");
}

}  // namespace tk
