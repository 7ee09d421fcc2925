#pragma once
// The window logic on a manual clock, a fake serial control and a fake display.

#include <gtest/gtest.h>

#include "core/form1.hpp"
#include "support/fake_display.hpp"
#include "support/fake_serial_control.hpp"
#include "support/manual_clock.hpp"

namespace qm5::test {

class FormFixture : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeSerialControl comm;
    ManualClock clock;
    Form1 form{display, comm, clock};

    void SetUp() override
    {
        form.Form_Load();
        comm.writes.clear();
    }

    std::string label(std::string_view name) const { return display.caption(name); }
    const std::string& lastWrite() const { return comm.writes.back(); }
};

} // namespace qm5::test
