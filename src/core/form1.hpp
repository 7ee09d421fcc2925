#pragma once
// The main window's logic: every window variable and every event handler,
// free of any toolkit. The Qt window forwards its events here and implements
// Display; QTimer and QSerialPort sit behind Timer and SerialControl.
//
// The handlers are defined next to the subsystem they belong to:
//   src/link/form1_link.cpp     start-up, exchange, receive, timers 2 and 4,
//                               address/speed/port options, END
//   src/panel/form1_panel.cpp   one-shot buttons, hold-to-repeat, SEND/CLS/COM
//   src/window/form1_views.cpp  the service chord, logo, Command34, Timer3

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/display.hpp"
#include "core/serial_control.hpp"
#include "core/timer.hpp"

namespace qm5 {

class Form1 {
public:
    // Longest receive buffer kept; characters beyond it are dropped until the
    // buffer is next cleared.
    static constexpr std::size_t rxBufferCap = 32767;

    // Outer window heights of the four views, in twips.
    static constexpr int compactHeight = 5350;
    static constexpr int dataHeight = 6645;
    static constexpr int serviceHeight = 7200;
    static constexpr int fullHeight = 9100;

    Form1(Display& display, SerialControl& comm, TimerFactory& timers);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // --- link and exchange ---
    void Form_Load();
    void Hyouji(const std::string& text, std::uint8_t kind);
    void MSComm1_OnComm();
    void Timer2_Timer();
    void Timer4_Timer();
    void Option1_Click(); // COM1
    void Option2_Click(); // COM2
    // Address options Option3..Option8 and speed options Option9/Option10.
    // Returns false for a name that is no such option.
    bool Option_Click(std::string_view option);
    void Command16_Click(); // END

    // --- command panel ---
    // The one click handler of the one-shot buttons, keyed by control name.
    // Returns false when the name is not a one-shot button.
    bool Command_Click(std::string_view control);
    // Press and release of a held (repeating) button. Return false when the
    // name is not a held button.
    bool Command_MouseDown(std::string_view control);
    bool Command_MouseUp(std::string_view control);
    void Timer1_Timer();
    void Command95_Click(); // SEND
    void Command96_Click(); // CLS
    void Command33_Click(); // COM

    // --- views ---
    // shift: bit set 1 = Shift, 2 = Ctrl, 4 = Alt. keyCode: 'K' for the K key.
    void Form_KeyDown(int keyCode, int shift);
    void Image1_DblClick();
    void Command34_Click();
    void Timer3_Timer();

    // --- state, read-only for adapters and tests ---
    const std::string& targetPrefix() const { return TargetPrefix; }
    const std::string& commSettings() const { return CommSettings; }
    const std::string& lastCommand() const { return LastCommand; }
    const std::string& rxBuffer() const { return RxBuffer; }
    std::uint8_t awaitingReply() const { return AwaitingReply; }
    std::uint8_t repeatCode() const { return RepeatCode; }
    std::uint8_t arrowMode() const { return ArrowMode; }
    std::int16_t serviceUnlocked() const { return ServiceUnlocked; }
    Timer& timer1() { return *Timer1; }
    Timer& timer2() { return *Timer2; }
    Timer& timer3() { return *Timer3; }
    Timer& timer4() { return *Timer4; }

private:
    // Builds TargetPrefix & code & CR into LastCommand and sends it.
    void sendCommand(std::string_view code);
    void selectPort(int chosen, int fallback);
    void endHold();
    void clearRxBuffer();
    // Whether the last frame written has had its time on the wire at the
    // current speed and the serial layer has nothing left to write.
    bool lineIsFree() const;
    // Transcript of RxBuffer, rendered incrementally as the buffer grows.
    const std::string& rxTranscript();

    Display& display_;
    SerialControl& MSComm1;
    TimerFactory& clock_;
    std::unique_ptr<Timer> Timer1;
    std::unique_ptr<Timer> Timer2;
    std::unique_ptr<Timer> Timer3;
    std::unique_ptr<Timer> Timer4;

    std::string TargetPrefix;
    std::string CommSettings;
    std::string LastCommand;
    std::string RxBuffer;
    std::uint8_t AwaitingReply = 0;
    std::uint8_t RepeatCode = 0;
    std::uint8_t ArrowMode = 0;
    std::int16_t ServiceUnlocked = 0;

    // When the last frame went to the serial layer, and its length.
    std::int64_t lastWriteUs_ = 0;
    std::size_t lastWriteBytes_ = 0;

    std::string rxTranscript_ = " ";
    std::size_t rxRendered_ = 0;
};

} // namespace qm5
