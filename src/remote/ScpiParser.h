#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace tk {

// One parameter as it came: a quoted string (quotes removed, doubled quotes made single), a definite-length
// block (its bytes), or any other token (blanks around it removed).
struct ScpiParameter {
    enum class Kind { Token, String, Block };
    Kind kind = Kind::Token;
    QByteArray value;
};

// One command of a program line: its header's nodes in capitals, whether it is a query, its parameters.
struct ScpiCommand {
    QList<QByteArray> nodes;  // "*IDN" is one node; "TRAC:DATA" two
    bool query = false;
    bool fromRoot = false;  // the header began with ':'
    std::vector<ScpiParameter> parameters;
};

// What makes a command unusable; standard error numbers of IEEE 488.2 / SCPI.
struct ScpiError {
    int code = 0;
    QString text;  // "Syntax error", with a detail after a ';' where useful
};

using ScpiItem = std::variant<ScpiCommand, ScpiError>;

// Splits one program line (without its LF; a CR before it is ignored) into its commands, in order. A
// command that cannot be read becomes an error and ends the line: what follows it is not run.
std::vector<ScpiItem> ParseProgramLine(const QByteArray& line);

// Whether a command's header nodes match a pattern such as "[SENSe:]FREQuency:CENTer": each node is its
// short form (the capitals) or its long form, in any case; a node in brackets may be left out.
bool HeaderMatches(const QByteArray& pattern, const QList<QByteArray>& nodes);

// The standard texts of the error numbers this server uses.
QString ScpiErrorText(int code);

}  // namespace tk
