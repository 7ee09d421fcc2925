#include "cli/vocabulary.hpp"

#include <algorithm>

#include "console/lower_case.hpp"
#include "layout/layout_table.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"

namespace qm5::cli {

namespace {

// Longer than any command the projector knows, short enough that a stray
// paste cannot keep the line busy.
constexpr std::size_t maxRawLength = 128;

std::string joined(const std::vector<std::string>& parts, std::string_view lastSeparator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += i + 1 == parts.size() ? lastSeparator : ", ";
        out += parts[i];
    }
    return out;
}

// The code and reply window of a control's button: one-shot buttons carry
// their own window, held buttons send one frame and wait the start window.
Step stepFor(std::string name, controls::Name control)
{
    if (const OneShotButton* button = findOneShotButton(control)) {
        const ReplyTimes times = button->replyTimes.value_or(startReplyTimes);
        return {std::move(name), std::string(button->code), times.replyWindowMs};
    }
    const HeldButton* held = findHeldButton(control);
    return {std::move(name), std::string(held->code), startReplyTimes.replyWindowMs};
}

std::string matrixSource(std::size_t column)
{
    return lowerCase(captionOf(controls::inputMatrix[0][column]));
}

std::vector<std::string> matrixSources()
{
    std::vector<std::string> sources;
    for (std::size_t column = 0; column < controls::inputMatrix[0].size(); ++column)
        sources.push_back(matrixSource(column));
    return sources;
}

std::variant<Step, UsageError> readMatrix(const std::string& row, const std::string& source)
{
    const std::size_t rows = controls::inputMatrix.size();
    if (row.size() != 1 || row[0] < '1' || row[0] >= static_cast<char>('1' + rows))
        return UsageError{"matrix wants a row 1 to 4 and a source, e.g. 'matrix 2 video'"};
    const auto r = static_cast<std::size_t>(row[0] - '1');
    const std::vector<std::string> sources = matrixSources();
    const auto found = std::find(sources.begin(), sources.end(), source);
    if (found == sources.end())
        return UsageError{"matrix source '" + source + "' is not one of " + matrixSourceNames()};
    const auto column = static_cast<std::size_t>(found - sources.begin());
    return stepFor("matrix " + row + " " + source, controls::inputMatrix[r][column]);
}

std::variant<Step, UsageError> readRaw(const std::string& text)
{
    // A control character would end the frame early or start another one
    // that nobody waits for; the panel's text line cannot type them either.
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126)
            return UsageError{"raw text must be printable ASCII, without control characters"};
    }
    if (text.size() > maxRawLength)
        return UsageError{"raw text is longer than " + std::to_string(maxRawLength) + " characters"};
    return Step{"raw " + text, text, longReplyTimes.replyWindowMs};
}

// The words of the command line, taken one at a time.
class Words {
public:
    explicit Words(const std::vector<std::string>& words) : words_(words) { }
    // The next word, if there is one.
    bool take(std::string& out)
    {
        if (at_ >= words_.size())
            return false;
        out = words_[at_++];
        return true;
    }
    // The last word taken, as it was typed.
    const std::string& last() const { return words_[at_ - 1]; }

private:
    const std::vector<std::string>& words_;
    std::size_t at_ = 0;
};

// A name of the table, with its argument when it takes one.
std::variant<Step, UsageError> readNamed(const std::string& name, Words& words)
{
    std::vector<std::string> choices;
    const CommandName* bare = nullptr;
    for (const CommandName& row : commandNames) {
        if (row.name != name)
            continue;
        if (row.argument.empty())
            bare = &row;
        else
            choices.emplace_back(row.argument);
    }
    if (bare)
        return stepFor(name, bare->control);
    if (choices.empty())
        return UsageError{"unknown command '" + words.last() + "'; 'qm5ctl list' shows them all"};
    std::string argument;
    if (!words.take(argument))
        return UsageError{name + " wants " + joined(choices, " or ")};
    argument = lowerCase(argument);
    for (const CommandName& row : commandNames) {
        if (row.name == name && row.argument == argument)
            return stepFor(name + " " + argument, row.control);
    }
    return UsageError{name + " wants " + joined(choices, " or ") + ", not '" + words.last() + "'"};
}

std::variant<Step, UsageError> readOne(const std::string& name, Words& words)
{
    std::string argument;
    if (name == rawName) {
        if (!words.take(argument))
            return UsageError{"raw wants the command text, e.g. 'raw CR0'"};
        return readRaw(argument);
    }
    if (name == matrixName) {
        std::string source;
        if (!words.take(argument) || !words.take(source))
            return UsageError{"matrix wants a row 1 to 4 and a source, e.g. 'matrix 2 video'"};
        return readMatrix(argument, lowerCase(source));
    }
    return readNamed(name, words);
}

} // namespace

std::variant<std::vector<Step>, UsageError> readCommands(const std::vector<std::string>& words)
{
    std::vector<Step> steps;
    Words list(words);
    std::string name;
    while (list.take(name)) {
        auto step = readOne(lowerCase(name), list);
        if (auto* error = std::get_if<UsageError>(&step))
            return *error;
        steps.push_back(std::get<Step>(std::move(step)));
    }
    if (steps.empty())
        return UsageError{"no command given; try 'qm5ctl status' or 'qm5ctl --help'"};
    return steps;
}

std::vector<std::string> commandSummary()
{
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < commandNames.size(); ++i) {
        const CommandName& row = commandNames[i];
        if (i > 0 && commandNames[i - 1].name == row.name)
            entries.back() += "|" + std::string(row.argument);
        else
            entries.push_back(std::string(row.name) + (row.argument.empty() ? "" : " ") + std::string(row.argument));
    }
    entries.push_back(std::string(matrixName) + " ROW SOURCE");
    entries.push_back(std::string(rawName) + " TEXT");
    return entries;
}

std::string matrixSourceNames()
{
    return joined(matrixSources(), " or ");
}

std::vector<Step> everyCommand()
{
    std::vector<Step> all;
    for (const CommandName& row : commandNames) {
        std::string name(row.name);
        if (!row.argument.empty())
            name += " " + std::string(row.argument);
        all.push_back(stepFor(std::move(name), row.control));
    }
    for (std::size_t r = 0; r < controls::inputMatrix.size(); ++r) {
        for (std::size_t column = 0; column < controls::inputMatrix[r].size(); ++column) {
            const std::string name = "matrix " + std::to_string(r + 1) + " " + matrixSource(column);
            all.push_back(stepFor(name, controls::inputMatrix[r][column]));
        }
    }
    return all;
}

} // namespace qm5::cli
