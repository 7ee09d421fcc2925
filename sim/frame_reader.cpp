#include "frame_reader.hpp"

namespace qm5::sim {

namespace {
constexpr char cr = 13;
constexpr char lf = 10;
} // namespace

std::vector<std::string> FrameReader::feed(std::string_view bytes)
{
    std::vector<std::string> frames;
    for (const char c : bytes) {
        if (c == cr) {
            if (overlong_ || garbage_)
                ++skipped_;
            else if (!partial_.empty())
                frames.push_back(partial_);
            reset();
            continue;
        }
        if (c == lf)
            continue;
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126)
            garbage_ = true;
        if (overlong_)
            continue;
        if (partial_.size() == maxFrame) {
            // Drop what we hold and ignore the rest up to the next CR.
            overlong_ = true;
            partial_.clear();
            continue;
        }
        partial_.push_back(c);
    }
    return frames;
}

void FrameReader::reset()
{
    partial_.clear();
    overlong_ = false;
    garbage_ = false;
}

} // namespace qm5::sim
