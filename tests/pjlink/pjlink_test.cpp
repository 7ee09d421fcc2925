// The PJLink gateway in this process on the real QSerialPort, talking over a
// pseudo-terminal to virtual projectors, and PJLink clients over loopback.

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "pjlink/gateway_options.hpp"
#include "pjlink/projector_mapping.hpp"
#include "rig/gateway_rig.hpp"
#include "rig/processes.hpp"

namespace qm5::test {
namespace {

constexpr std::string_view closed = PjlinkClient::closed;

TEST_F(PjlinkGateway, EveryCommandInStandbyAndOn)
{
    start();
    auto client = connect();
    expectAnswers(*client,
        {{"%1POWR ?", "%1POWR=0"}, {"%1INPT ?", "%1INPT=11"}, {"%1AVMT ?", "%1AVMT=30"}, {"%1ERST ?", "%1ERST=000000"},
            {"%1LAMP ?", "%1LAMP=120 0 340 0 560 0 780 0"}, {"%1INST ?", "%1INST=11 12 13 14"},
            {"%1NAME ?", "%1NAME=QM5 single"}, {"%1INF1 ?", "%1INF1=ORVA"}, {"%1INF2 ?", "%1INF2=QM5"},
            {"%1INFO ?", "%1INFO=RS-232C via qm5-pjlink"}, {"%1CLSS ?", "%1CLSS=2"},
            // Picture and input want the lamps lit.
            {"%1INPT 12", "%1INPT=ERR3"}, {"%1AVMT 31", "%1AVMT=ERR3"}, {"%1POWR 1", "%1POWR=OK"}});
    runLoopFor(1300);
    expectAnswers(*client,
        {{"%1POWR ?", "%1POWR=1"}, {"%1INPT 13", "%1INPT=OK"}, {"%1INPT ?", "%1INPT=13"}, {"%1AVMT 31", "%1AVMT=OK"},
            {"%1AVMT ?", "%1AVMT=31"}, {"%1AVMT 30", "%1AVMT=OK"}, {"%1AVMT ?", "%1AVMT=30"},
            {"%1LAMP ?", "%1LAMP=120 1 340 1 560 1 780 1"}, {"%1POWR 0", "%1POWR=OK"}});
    EXPECT_EQ(line->projector(1)->input(), 3);
    EXPECT_EQ(line->projector(1)->power(), sim::PowerState::Cooling);
}

TEST_F(PjlinkGateway, PowerSequenceThroughPowerQueryWithBusyAnswersOnTheWay)
{
    start();
    auto client = connect();
    expectAnswers(*client,
        {{"%1POWR ?", "%1POWR=0"}, {"%1POWR 1", "%1POWR=OK"}, {"%1POWR ?", "%1POWR=3"}, {"%1POWR 0", "%1POWR=ERR3"},
            {"%1INPT 12", "%1INPT=ERR3"}});
    runLoopFor(1300);
    expectAnswers(*client,
        {{"%1POWR ?", "%1POWR=1"}, {"%1POWR 0", "%1POWR=OK"}, {"%1POWR ?", "%1POWR=2"}, {"%1POWR 1", "%1POWR=ERR3"}});
    runLoopFor(1300);
    EXPECT_EQ(client->ask("%1POWR ?"), "%1POWR=0");
    EXPECT_EQ(line->projector(1)->power(), sim::PowerState::Standby) << "no ON went out while cooling";
}

TEST_F(PjlinkGateway, WarningsAndFailuresAsPowerAndErrorStatus)
{
    start({.resultMaxAgeMs = 0});
    struct Row {
        sim::Condition condition;
        const char* power;
        const char* errors; // fan, lamp, temperature, cover, filter, other
        const char* blank;  // NO SHOW wants the lamps lit
    };
    const Row rows[] = {
        {sim::Condition::PowerFail, "ERR4", "000002", "ERR4"},
        {sim::Condition::TemperatureWarning, "0", "001000", "ERR3"},
        {sim::Condition::NoKeyInput, "1", "000000", "OK"},
        {sim::Condition::LampsOffByPowerManagement, "0", "000000", "ERR3"},
        {sim::Condition::LampsOffWithTemperatureWarning, "2", "001000", "ERR3"},
        {sim::Condition::AllLampsFailed, "0", "020000", "ERR3"},
    };
    auto client = connect();
    for (const Row& row : rows) {
        line->projector(1)->setCondition(row.condition);
        expectAnswers(*client,
            {{"%1POWR ?", std::string("%1POWR=") + row.power}, {"%1ERST ?", std::string("%1ERST=") + row.errors},
                {"%1AVMT 31", std::string("%1AVMT=") + row.blank}});
    }
}

TEST_F(PjlinkGateway, ChainOfTwoEachOnItsOwnPort)
{
    start({.addresses = {1, 2}, .projectors = {{"A001", "Left", 0}, {"A002", "Right", 0}}});
    auto left = connect(0);
    auto right = connect(1);
    expectAnswers(*left, {{"%1NAME ?", "%1NAME=Left"}, {"%1LAMP ?", "%1LAMP=120 0 340 0 560 0 780 0"}});
    expectAnswers(*right,
        {{"%1NAME ?", "%1NAME=Right"}, {"%1LAMP ?", "%1LAMP=1120 0 1340 0 1560 0 1780 0"}, {"%1POWR 1", "%1POWR=OK"},
            {"%1POWR ?", "%1POWR=3"}});
    EXPECT_EQ(left->ask("%1POWR ?"), "%1POWR=0");
    EXPECT_EQ(line->recentFrames().back(), "A001CR0");
}

TEST_F(PjlinkGateway, PasswordRightAndWrong)
{
    start({.password = "JBMIAProjectorLink"});
    const QRegularExpression greeting("^PJLINK 1 [0-9a-f]{8}$");
    enum class Digest {
        Right,
        Wrong,
        Missing,
    };
    const std::pair<Digest, std::string> rows[] = {
        {Digest::Right, "%1POWR=0"},
        {Digest::Wrong, "PJLINK ERRA"},
        {Digest::Missing, "PJLINK ERRA"},
    };
    std::set<std::string> greetings;
    for (const auto& [digest, answer] : rows) {
        Client client(gateway->ports()[0]);
        const std::string hello = client.line();
        ASSERT_TRUE(greeting.match(QString::fromStdString(hello)).hasMatch()) << hello;
        greetings.insert(hello);
        const std::string seed = hello.substr(9) + "JBMIAProjectorLink";
        const auto right = md5Hex(seed);
        const std::string sent = digest == Digest::Right ? right.toStdString()
            : digest == Digest::Wrong                    ? std::string(32, 'f')
                                                         : "";
        EXPECT_EQ(client.ask(sent + "%1POWR ?"), answer);
        // Once in, a connection needs no digest; a wrong one is closed.
        EXPECT_EQ(client.ask("%1CLSS ?"), digest == Digest::Right ? "%1CLSS=2" : closed);
    }
    EXPECT_EQ(greetings.size(), std::size(rows)) << "a fresh random number every connection";
}

TEST_F(PjlinkGateway, SilentProjectorAnswersErr4AndFixedAnswersStillCome)
{
    start({.fault = sim::Fault::Silent});
    auto client = connect();
    expectAnswers(*client,
        {{"%1POWR ?", "%1POWR=ERR4"}, {"%1POWR 1", "%1POWR=ERR4"}, {"%1LAMP ?", "%1LAMP=ERR4"},
            {"%1CLSS ?", "%1CLSS=2"}, {"%1INST ?", "%1INST=11 12 13 14"}});
}

TEST_F(PjlinkGateway, BadLinesGetPJLinkAnswersOrAreClosed)
{
    start();
    struct Row {
        std::string bytes;
        std::vector<std::string> answers;
    };
    const Row rows[] = {
        {"%1XXXX ?\r", {"%1XXXX=ERR1"}},
        {"%1powr ?\r", {"%1powr=ERR1"}},
        {"%2POWR ?\r", {"%2POWR=ERR1"}},
        {"%1POWR 2\r%1POWR\r%1INPT 21\r%1AVMT 21\r%1CLSS 1\r",
            {"%1POWR=ERR2", "%1POWR=ERR2", "%1INPT=ERR2", "%1AVMT=ERR2", "%1CLSS=ERR2"}},
        // Over PJLink's length: answered at once, the rest of the line dropped as it comes.
        {"%1NAME " + std::string(300, 'x') + "\r%1CLSS ?\r", {"%1NAME=ERR2", "%1CLSS=2"}},
        {"\r\r%1CLSS ?\r\n%1CLSS ?\r\n", {"%1CLSS=2", "%1CLSS=2"}},
        {"GET / HTTP/1.0\r\n\r\n", {std::string(closed)}},
        {std::string(1000, '\0'), {std::string(closed)}},
    };
    for (const Row& row : rows) {
        auto client = connect();
        client->send(row.bytes);
        for (const std::string& answer : row.answers)
            EXPECT_EQ(client->line(), answer) << row.bytes.substr(0, 20);
    }
}

TEST_F(PjlinkGateway, QuietClientsAreClosedAfterTheIdleTime)
{
    start({.password = "secret", .idleMs = 300});
    Client halfLine(gateway->ports()[0]);
    halfLine.send("0123456789abcdef0123456789abcdef%1PO");
    Client silent(gateway->ports()[0]);
    for (Client* client : {&halfLine, &silent}) {
        EXPECT_NE(client->line(), closed); // the greeting
        EXPECT_EQ(client->line(), closed);
    }
    // Quiet after an answer is quiet too.
    Client answered(gateway->ports()[0]);
    const std::string random = answered.line().substr(9);
    EXPECT_EQ(answered.ask(md5Hex(random + "secret").toStdString() + "%1CLSS ?"), "%1CLSS=2");
    EXPECT_EQ(answered.line(), closed);
}

TEST_F(PjlinkGateway, EightClientsPollingAreEachAnsweredTheirOwn)
{
    start();
    const std::pair<std::string, std::string> polls[] = {{"%1POWR ?", "%1POWR=0"}, {"%1INPT ?", "%1INPT=11"},
        {"%1ERST ?", "%1ERST=000000"}, {"%1LAMP ?", "%1LAMP=120 0 340 0 560 0 780 0"}, {"%1AVMT ?", "%1AVMT=30"},
        {"%1NAME ?", "%1NAME=QM5 single"}, {"%1POWR ?", "%1POWR=0"}, {"%1INST ?", "%1INST=11 12 13 14"}};
    std::vector<std::unique_ptr<Client>> clients;
    for (std::size_t i = 0; i < std::size(polls); ++i)
        clients.push_back(connect());
    auto ninth = connect(0, false);
    EXPECT_EQ(ninth->line(), closed) << "eight clients a port";

    // Asked at once, the same query goes out once.
    const std::size_t framesBefore = line->framesReceived();
    for (auto& client : clients)
        client->send("%1POWR ?\r");
    for (auto& client : clients)
        EXPECT_EQ(client->line(), "%1POWR=0");
    EXPECT_EQ(line->framesReceived() - framesBefore, 1u);

    for (int round = 0; round < 25; ++round) {
        for (std::size_t i = 0; i < clients.size(); ++i)
            clients[i]->send(polls[(i + round) % std::size(polls)].first + "\r");
        for (std::size_t i = 0; i < clients.size(); ++i)
            ASSERT_EQ(clients[i]->line(), polls[(i + round) % std::size(polls)].second) << "round " << round;
    }
}

TEST_F(PjlinkGateway, SerialLineLostAndBack)
{
    start({.resultMaxAgeMs = 0});
    auto client = connect();
    EXPECT_EQ(client->ask("%1POWR ?"), "%1POWR=0");
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!serial->isOpen(), waitMs);
    expectAnswers(*client, {{"%1POWR ?", "%1POWR=ERR4"}, {"%1LAMP ?", "%1LAMP=ERR4"}});
    ASSERT_TRUE(endpoint->open());
    ASSERT_TRUE(link.create(endpoint->slavePath(), device));
    EXPECT_EQ(client->ask("%1POWR ?"), "%1POWR=0");
    EXPECT_EQ(serial->devicePath(), device) << "the same device, reopened";
}

// Replies the virtual projector never gives, read by the mapping alone.
TEST(PjlinkMapping, KnownAnswersForRepliesTheModelDoesNotGive)
{
    const auto reply = [](std::string bytes) {
        Outcome answered;
        answered.kind = Outcome::Kind::Answered;
        answered.reply = std::move(bytes);
        return answered;
    };
    const auto row = [](std::string_view body) { return *pjlink::findCommand('1', body); };
    struct Row {
        std::string_view body;
        std::vector<Outcome> replies;
        std::string answer;
    };
    const Row rows[] = {
        {"AVMT", {reply("01\r")}, "11"},
        {"AVMT", {reply("02\r")}, "21"},
        {"AVMT", {reply("80\r")}, "30"}, // no signal, no mutes known
        {"AVMT", {reply("ff\r")}, "ERR4"},
        {"POWR", {reply("08\r")}, "1"},
        {"ERST", {reply("28\r")}, "001000"},
        {"POWR", {reply("21\r")}, "2"},
        {"POWR", {reply("9?\r")}, "ERR4"},
        {"INPT", {reply("4\r")}, "14"},
        {"INPT", {reply("5\r")}, "ERR4"},
        {"LAMP", {reply("0120 0340 0560 0780\r"), reply("1F\r")}, "120 1 340 1 560 1 780 1"},
        {"LAMP", {reply("NG\r"), reply("25\r")}, "ERR4"},
        {"LAMP", {reply("0120 0340 0560 0780\r"), reply("30\r")}, "ERR4"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(pjlink::answerQuery(row(r.body), r.replies, {}, "?"), r.answer)
            << r.body << " " << r.replies[0].reply;
}

TEST(PjlinkOptions, MistakesExitTwoWithOneLineAndGoodOnesRun)
{
    QTemporaryDir dir;
    QFile longPassword(dir.filePath("long"));
    ASSERT_TRUE(longPassword.open(QIODevice::WriteOnly));
    longPassword.write(QByteArray(33, 'p'));
    longPassword.close();
    const std::pair<QStringList, std::string> mistakes[] = {
        {{"--com", "3"}, "--com"},
        {{"--device", "/dev/ttyUSB0", "--com", "1"}, "--device"},
        {{"--speed", "4800"}, "--speed"},
        {{"--projector", "all=4352"}, "--projector"},
        {{"--projector", "001=70000"}, "--projector"},
        {{"--projector", "001=4352", "--projector", "002=4352"}, "twice"},
        {{"--projector", "single=4352", "--projector", "001=4353"}, "single"},
        {{"--listen", "0.0.0.0"}, "--password-file"},
        {{"--listen", "nowhere"}, "--listen"},
        {{"--password-file", dir.filePath("none")}, "--password-file"},
        {{"--password-file", dir.filePath("long")}, "32"},
        {{"--name", QString(65, 'n')}, "--name"},
        {{"--bogus"}, "bogus"},
    };
    for (const auto& [arguments, word] : mistakes) {
        const auto parsed = pjlink::parseGatewayOptions(QStringList{"qm5-pjlink"} + arguments);
        EXPECT_FALSE(parsed.config) << word;
        EXPECT_EQ(parsed.exitStatus, 2) << word;
        EXPECT_NE(parsed.error.find(word), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
    const auto chain = pjlink::parseGatewayOptions(
        {"qm5-pjlink", "--projector", "001=4352", "--projector", "002=4353", "--name", "Hall", "--speed", "9600"});
    ASSERT_TRUE(chain.config);
    EXPECT_EQ(chain.config->projectors[1].prefix, "A002");
    EXPECT_EQ(chain.config->projectors[1].name, "Hall 002");
    EXPECT_EQ(chain.config->lineSettings, "9600,N,8,1");
    const auto plain = pjlink::parseGatewayOptions({"qm5-pjlink"});
    ASSERT_TRUE(plain.config);
    EXPECT_EQ(plain.config->projectors[0].tcpPort, pjlink::standardPort);
    EXPECT_EQ(plain.config->projectors[0].name, "QM5 single");
}

// The program itself, as the README starts it, switching a projector on.
TEST_F(PjlinkGateway, TheDaemonSwitchesTheVirtualProjectorOn)
{
    start();
    gateway.reset(); // the daemon opens the line instead
    serial.reset();
    const QString port = QString::number(freeTcpPort());
    ProgramProcess daemon(QM5_PJLINK, {"--device", QString::fromStdString(device), "--projector", "single=" + port});
    ASSERT_TRUE(daemon.started());
    std::unique_ptr<Client> client;
    for (int attempt = 0; attempt < 50; ++attempt) {
        client = std::make_unique<Client>(port.toUShort());
        if (client->line() == "PJLINK 0")
            break;
        runLoopFor(100);
    }
    expectAnswers(*client, {{"%1POWR ?", "%1POWR=0"}, {"%1POWR 1", "%1POWR=OK"}, {"%1POWR ?", "%1POWR=3"}});
    runLoopFor(1300);
    EXPECT_EQ(client->ask("%1POWR ?"), "%1POWR=1");
    daemon.process().terminate();
    EXPECT_TRUE(daemon.process().waitForFinished());
    EXPECT_EQ(daemon.process().exitCode(), 0);
}

} // namespace
} // namespace qm5::test
