#pragma once
// The one-shot buttons: one click sends one command frame. The 40 buttons
// with fixed codes are listed; the 32 buttons of the input matrix are
// generated from the row/column rule, so the catalogue holds 72 rows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm5 {

// Intervals of the reply timer (Timer2) and the display-clear timer (Timer4).
struct ReplyTimers {
    int timer2;
    int timer4;
};

inline constexpr ReplyTimers startReplyTimers{500, 1000};
// Picture mode, P-FAIL and free-text SEND wait longer for their reply.
inline constexpr ReplyTimers longReplyTimers{2000, 2500};
// Switching inputs takes the projector longest.
inline constexpr ReplyTimers inputReplyTimers{5000, 5500};

// MENU "ON" and "A-PC ADJ" give the cursor-pad arrows this repeat and context.
inline constexpr int menuArrowRepeatMs = 200;
inline constexpr std::uint8_t menuArrowMode = 1;

struct OneShotButton {
    std::string_view control;
    std::string_view caption;
    std::string_view group;
    std::string_view code;
    // Set before sending; empty leaves both intervals as they are.
    std::optional<ReplyTimers> timers;
    // After sending: Timer1 to menuArrowRepeatMs, ArrowMode to menuArrowMode.
    bool armsMenuArrows = false;
};

inline constexpr std::array<OneShotButton, 40> fixedCodeButtons{{
    {"Command17", "ON", "POWER", "C00", {}},
    {"Command18", "OFF", "POWER", "C01", {}},
    {"Command27", "1", "INPUT MODE SET", "C05", {}},
    {"Command28", "2", "INPUT MODE SET", "C06", {}},
    {"Command29", "3", "INPUT MODE SET", "C07", {}},
    {"Command53", "4", "INPUT MODE SET", "C08", {}},
    {"Command21", "ON", "NO SHOW", "C0D", {}},
    {"Command22", "OFF", "NO SHOW", "C0E", {}},
    {"Command31", "Regular", "AV Size", "C0F", {}},
    {"Command32", "Wide", "AV Size", "C10", {}},
    {"Command23", "ON", "MENU", "C1C", {}, true},
    {"Command24", "OFF", "MENU", "C1D", {}},
    {"Command25", "ON", "FREEZE", "C43", {}},
    {"Command26", "OFF", "FREEZE", "C44", {}},
    {"Command56", "4 LAMP", "LAMP SELECT", "C70", {}},
    {"Command57", "1-4", "LAMP SELECT", "C71", {}},
    {"Command58", "2-3", "LAMP SELECT", "C72", {}},
    {"Command97", "MAX", "FAN SPEED", "CF FANSPEED MAX", {}},
    {"Command98", "NOR", "FAN SPEED", "CF FANSPEED NOR", {}},
    {"Command13", "A-PC ADJ", "right-hand column", "C89", {}, true},
    {"Command30", "IMAGE", "right-hand column", "C27", {}},
    {"Command14", "P-TIMER", "right-hand column", "C8A", {}},
    {"Command3", "DISPLAY CLEAR", "right-hand column", "C1E", {}},
    {"Command4", "STAND", "picture mode", "CF IMAGE STAND", longReplyTimers},
    {"Command10", "REAL", "picture mode", "CF IMAGE REAL", longReplyTimers},
    {"Command11", "CINEMA", "picture mode", "CF IMAGE CINEMA", longReplyTimers},
    {"Command39", "IMAGE1", "picture mode", "CF IMAGE IMAGE1", longReplyTimers},
    {"Command40", "IMAGE2", "picture mode", "CF IMAGE IMAGE2", longReplyTimers},
    {"Command41", "IMAGE3", "picture mode", "CF IMAGE IMAGE3", longReplyTimers},
    {"Command42", "IMAGE4", "picture mode", "CF IMAGE IMAGE4", longReplyTimers},
    // Status queries: the reply decoder is chosen by the frame last sent.
    {"Command44", "STATUS", "status query", "CR0", {}},
    {"Command45", "MODE", "status query", "CR1", {}},
    {"Command47", "SETTING", "status query", "CR4", {}},
    {"Command12", "SETTING 2", "status query", "CRA", {}},
    {"Command55", "L-MODE", "status query", "CR7", {}},
    {"Command46", "L-TIME", "status query", "CR3", {}},
    {"Command54", "TEMP", "status query", "CR6", {}},
    {"Command38", "PC type", "status query", "CR9", {}},
    {"Command99", "PRESSURE", "status query", "CR PRESSURE", {}},
    {"Command52", "P-FAIL", "status query", "CR INFPFAIL", longReplyTimers},
}};

// Input matrix: row n (input 1 to 4), column k (source kind 0 to 7) is
// Command(63 + 8(n-1) + k) and sends "CF INPUT" n " " word.
struct InputSource {
    std::string_view caption;
    std::string_view word;
};

inline constexpr std::array<InputSource, 8> inputSources{{
    {"DVI", "DIGITAL"},
    {"RGB", "ANALOG"},
    {"VIDEO", "VIDEO"},
    {"YPbPr", "YPBPR"},
    {"YCbCr", "YCBCR"},
    {"S-VIDEO", "S-VIDEO"},
    {"YC", "YC"},
    {"SDI", "HD-SDI"},
}};

inline constexpr int inputRows = 4;
inline constexpr int firstInputButton = 63;
inline constexpr std::string_view inputMatrixGroup = "input matrix";

namespace detail {

inline constexpr std::string_view controlStem = "Command";
inline constexpr std::string_view inputStem = "CF INPUT";

constexpr std::size_t longestSourceWord()
{
    std::size_t longest = 0;
    for (const InputSource& s : inputSources)
        longest = s.word.size() > longest ? s.word.size() : longest;
    return longest;
}

// Text of one generated button; the views in the catalogue point in here.
struct InputButtonText {
    std::array<char, 9> control{};
    std::array<char, inputStem.size() + 2 + longestSourceWord()> code{};
    std::size_t codeLength = 0;

    constexpr std::string_view controlView() const { return {control.data(), control.size()}; }
    constexpr std::string_view codeView() const { return {code.data(), codeLength}; }
};

constexpr std::array<InputButtonText, inputRows * inputSources.size()> makeInputButtonTexts()
{
    std::array<InputButtonText, inputRows * inputSources.size()> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int number = firstInputButton + static_cast<int>(i);
        const char row = static_cast<char>('1' + i / inputSources.size());
        const std::string_view word = inputSources[i % inputSources.size()].word;
        InputButtonText& t = texts[i];

        std::size_t n = 0;
        for (char c : controlStem)
            t.control[n++] = c;
        t.control[n++] = static_cast<char>('0' + number / 10);
        t.control[n++] = static_cast<char>('0' + number % 10);

        n = 0;
        for (char c : inputStem)
            t.code[n++] = c;
        t.code[n++] = row;
        t.code[n++] = ' ';
        for (char c : word)
            t.code[n++] = c;
        t.codeLength = n;
    }
    return texts;
}

inline constexpr auto inputButtonTexts = makeInputButtonTexts();

constexpr std::array<OneShotButton, fixedCodeButtons.size() + inputButtonTexts.size()> makeOneShotButtons()
{
    std::array<OneShotButton, fixedCodeButtons.size() + inputButtonTexts.size()> all{};
    std::size_t n = 0;
    for (const OneShotButton& b : fixedCodeButtons)
        all[n++] = b;
    for (std::size_t i = 0; i < inputButtonTexts.size(); ++i) {
        all[n++] = {inputButtonTexts[i].controlView(), inputSources[i % inputSources.size()].caption, inputMatrixGroup,
            inputButtonTexts[i].codeView(), inputReplyTimers};
    }
    return all;
}

} // namespace detail

inline constexpr auto oneShotButtons = detail::makeOneShotButtons();

constexpr const OneShotButton* findOneShotButton(std::string_view control)
{
    for (const OneShotButton& b : oneShotButtons) {
        if (b.control == control)
            return &b;
    }
    return nullptr;
}

// Buttons with a handler of their own, neither one-shot nor held.
struct OtherButton {
    std::string_view control;
    std::string_view caption;
    std::string_view group;
};

inline constexpr std::array<OtherButton, 5> otherButtons{{
    {"Command95", "SEND", "CMD"},
    {"Command96", "CLS", "CMD"},
    {"Command33", "COM", ""},
    {"Command16", "END", "right-hand column"},
    {"Command34", "データを表示する", ""},
}};

} // namespace qm5
