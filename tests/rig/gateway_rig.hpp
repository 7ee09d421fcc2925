#pragma once
// The PJLink gateway in the test's process on the real QSerialPort, talking
// over a pseudo-terminal to virtual projectors; its clients over loopback.

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "line.hpp"
#include "path_link.hpp"
#include "pjlink/gateway.hpp"
#include "pty_endpoint.hpp"
#include "rig/eventually.hpp"
#include "rig/pjlink_client.hpp"

namespace qm5::test {

using Client = PjlinkClient;
using pjlink::ProjectorPort;

struct RigSetup {
    std::vector<int> addresses{1};
    std::vector<ProjectorPort> projectors{{"", "QM5 single", 0}};
    sim::Fault fault = sim::Fault::None;
    std::optional<std::string> password{};
    int idleMs = pjlink::idleCloseMs;
    int resultMaxAgeMs = 1000;
    int pollMs = 0; // the frames on the line are the clients' alone
    std::optional<pjlink::MetricsEndpoint> metrics{};
    bool udp = false; // the tests of searches and notifications turn it on
    std::map<std::string, std::string> inputNames{};
    std::string lampModel{};
    std::vector<QHostAddress> notify{};
    QHostAddress listen{QHostAddress::LocalHost};
};

class PjlinkGateway : public ::testing::Test {
protected:
    void start(RigSetup setup = {})
    {
        // Short power sequences keep the tests quick.
        line = std::make_unique<sim::Line>(
            setup.addresses, sim::LineOptions{.fault = setup.fault, .timing = {1200, 1200}});
        endpoint = std::make_unique<sim::PtyEndpoint>(*line);
        ASSERT_TRUE(endpoint->open());
        // The gateway opens a link, as udev makes for an adapter, so the line can go and come back.
        ASSERT_TRUE(link.create(endpoint->slavePath(), device));
        serial = std::make_unique<QtSerialControl>([this](int) { return device; });
        pjlink::GatewayConfig config;
        config.projectors = setup.projectors;
        config.password = setup.password;
        config.idleMs = setup.idleMs;
        config.resultMaxAgeMs = setup.resultMaxAgeMs;
        config.pollMs = setup.pollMs;
        config.metrics = setup.metrics;
        config.udp = setup.udp;
        config.notify = setup.notify;
        config.listenAddress = listenAddress = setup.listen;
        config.inputNames = setup.inputNames;
        config.lampModel = setup.lampModel;
        gateway = std::make_unique<pjlink::Gateway>(*serial, clock, config);
        ASSERT_EQ(gateway->listen(), std::nullopt);
    }
    std::unique_ptr<Client> connect(std::size_t projector = 0, bool greet = true)
    {
        auto client = std::make_unique<Client>(gateway->ports().at(projector), listenAddress);
        if (greet) {
            EXPECT_EQ(client->line(), "PJLINK 0");
        }
        return client;
    }
    // Runs through a table of commands and their answers on one connection.
    static void expectAnswers(Client& client, const std::vector<std::pair<std::string, std::string>>& rows)
    {
        for (const auto& [command, answer] : rows)
            EXPECT_EQ(client.ask(command), answer) << command;
    }

    QTemporaryDir scratch;
    const std::string device = scratch.filePath("qm5rsc-com1").toStdString();
    sim::PathLink link;
    QtClock clock;
    QHostAddress listenAddress;
    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
    std::unique_ptr<QtSerialControl> serial;
    std::unique_ptr<pjlink::Gateway> gateway;
};

} // namespace qm5::test
