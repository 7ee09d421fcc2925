#include "command_table.hpp"

namespace qm5::sim {

namespace {

// "CF INPUTn <word>" with exactly one blank between the digit and the word.
std::optional<Command> parseInputSource(std::string_view text)
{
    if (!text.starts_with(inputSourcePrefix))
        return std::nullopt;
    text.remove_prefix(inputSourcePrefix.size());
    if (text.size() < 2 || text[0] < '1' || text[0] > '4' || text[1] != ' ')
        return std::nullopt;
    const auto input = static_cast<std::int8_t>(text[0] - '0');
    const std::string_view word = text.substr(2);
    for (std::size_t i = 0; i < sourceWords.size(); ++i) {
        if (sourceWords[i] == word)
            return Command{"", Action::SetInputSource, input, static_cast<std::int8_t>(i)};
    }
    return std::nullopt;
}

} // namespace

std::optional<Command> lookupCommand(std::string_view text)
{
    for (const Command& command : commands) {
        if (command.text == text)
            return command;
    }
    return parseInputSource(text);
}

} // namespace qm5::sim
