#pragma once
// The real window, offscreen, on a fake serial control and a manual clock.
// Warnings and the end of the program are recorded instead of blocking.

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

#include "qt/form1_window.hpp"
#include "support/fake_serial_control.hpp"
#include "support/manual_clock.hpp"

namespace qm5::test {

class WindowFixture : public ::testing::Test {
protected:
    FakeSerialControl comm;
    ManualClock clock;
    std::unique_ptr<Form1Window> window;
    std::vector<QString> warnings;
    int ends = 0;

    void SetUp() override
    {
        makeWindow();
        load();
    }

    void makeWindow()
    {
        window = std::make_unique<Form1Window>(comm, clock);
        window->setWarningHandler([this](const QString& text) { warnings.push_back(text); });
        window->setEndHandler([this] { ++ends; });
    }

    void load()
    {
        window->form().Form_Load();
        comm.writes.clear();
    }

    Form1& form() { return window->form(); }

    template <class W = QWidget>
    W* widget(const char* name) const
    {
        auto* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    bool shown(const char* name) const { return widget(name)->isVisibleTo(window.get()); }
};

} // namespace qm5::test
