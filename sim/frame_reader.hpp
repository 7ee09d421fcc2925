#pragma once
// Cuts the incoming byte stream into frames at CR. Holds at most one frame's
// worth of bytes: line noise and runaway lines are dropped, never stored.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm5::sim {

class FrameReader {
public:
    // Longer than any frame the panel builds (prefix and the longest command).
    static constexpr std::size_t maxFrame = 64;

    // Returns the complete frames in bytes, without their CR. A frame with a
    // byte outside printable ASCII, an empty frame and a line longer than
    // maxFrame are skipped. LF is ignored so CR LF line ends work too.
    std::vector<std::string> feed(std::string_view bytes);

    // Forgets a partly received frame.
    void reset();

    std::size_t buffered() const { return partial_.size(); }
    std::size_t skipped() const { return skipped_; }

private:
    std::string partial_;
    bool overlong_ = false;
    bool garbage_ = false;
    std::size_t skipped_ = 0;
};

} // namespace qm5::sim
