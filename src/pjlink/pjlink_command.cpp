#include "pjlink/pjlink_command.hpp"

namespace qm5::pjlink {

namespace {

constexpr std::size_t headLength = 6; // "%1POWR"

constexpr bool isBodyCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

std::optional<Command> parseCommand(std::string_view line)
{
    if (line.size() < headLength || line[0] != '%' || line[1] < '1' || line[1] > '9')
        return std::nullopt;
    for (std::size_t i = 2; i < headLength; ++i) {
        if (!isBodyCharacter(line[i]))
            return std::nullopt;
    }
    Command command;
    command.classDigit = line[1];
    command.body = line.substr(2, 4);
    command.hasSeparator = line.size() > headLength && line[headLength] == ' ';
    if (command.hasSeparator)
        command.parameter = line.substr(headLength + 1);
    return command;
}

std::string answerLine(const Command& command, std::string_view value)
{
    std::string line{'%', command.classDigit};
    line.append(command.body).append(1, '=').append(value).push_back(terminator);
    return line;
}

} // namespace qm5::pjlink
