// PJLink Class 2 and what the clients people run need: answers under both
// classes, digests on every line, commands sent ahead of their answers,
// picture mutes, the mutes and power state as they are, and searches and
// notifications over UDP.

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include "pjlink/pjlink_udp.hpp"
#include "rig/gateway_rig.hpp"

namespace qm5::test {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;
const std::string closed = PjlinkClient::closed;

TEST_F(PjlinkGateway, EveryClassTwoCommandUnderBothClasses)
{
    start({.inputNames = {{"13", "Lectern"}}, .lampModel = "LMP-Q5"});
    auto client = connect();
    // In standby: what needs no picture; a mistaken "%1" is answered as "%2".
    expectAnswers(*client,
        Rows{{"%1CLSS ?", "%1CLSS=2"}, {"%2CLSS ?", "%2CLSS=ERR1"}, {"%2POWR ?", "%2POWR=ERR1"},
            {"%2INPT ?", "%2INPT=11"}, {"%2INST ?", "%2INST=11 12 13 14"}, {"%2SNUM ?", "%2SNUM="},
            {"%2SVER ?", "%2SVER="}, {"%2RRES ?", "%2RRES="}, {"%2FILT ?", "%2FILT=0"}, {"%1FILT ?", "%1FILT=0"},
            {"%2RLMP ?", "%2RLMP=LMP-Q5"}, {"%2RFIL ?", "%2RFIL="}, {"%2INNM ?11", "%2INNM=Input mode 1"},
            {"%2INNM ?13", "%2INNM=Lectern"}, {"%2INNM ?14", "%2INNM=Input mode 4"}, {"%2INNM ?15", "%2INNM=ERR2"},
            {"%2INNM ?", "%2INNM=ERR2"}, {"%2IRES ?", "%2IRES=ERR3"}, {"%2FREZ ?", "%2FREZ=0"},
            {"%1FREZ ?", "%1FREZ=0"}, {"%2FREZ 1", "%2FREZ=ERR3"}, {"%2SVOL 1", "%2SVOL=ERR2"},
            {"%1SVOL 0", "%1SVOL=ERR2"}, {"%1SVOL ?", "%1SVOL=ERR2"}, {"%2MVOL 1", "%2MVOL=ERR1"},
            {"%2SRCH", "%2SRCH=ERR1"}, {"%2INPT 13", "%2INPT=ERR3"}, {"%1POWR 1", "%1POWR=OK"}});
    runLoopFor(1300);
    expectAnswers(*client,
        Rows{{"%2IRES ?", "%2IRES=*"}, {"%2INPT 13", "%2INPT=OK"}, {"%2INPT ?", "%2INPT=13"}, {"%2FREZ 1", "%2FREZ=OK"},
            {"%2FREZ ?", "%2FREZ=1"}, {"%1POWR ?", "%1POWR=1"}});
    EXPECT_EQ(line->projector(1)->setting(sim::Setting::Freeze), 1);
    EXPECT_EQ(line->projector(1)->input(), 3);
    // Frozen since it was switched on; switched off and on, no longer.
    expectAnswers(*client, Rows{{"%1POWR 0", "%1POWR=OK"}, {"%2FREZ ?", "%2FREZ=0"}});
    line->projector(1)->setCondition(sim::Condition::NoSignal);
    runLoopFor(1300);
    expectAnswers(*client, Rows{{"%1POWR 1", "%1POWR=OK"}});
    runLoopFor(1300);
    expectAnswers(*client, Rows{{"%2IRES ?", "%2IRES=-"}, {"%2FREZ ?", "%2FREZ=0"}});
}

// Picture mutes blank through NO SHOW, sound alone cannot be muted, and the
// mutes asked for read as they are, from warm-up to standby.
TEST_F(PjlinkGateway, MutesAsTheyAreInEveryPowerState)
{
    start({.resultMaxAgeMs = 0});
    auto client = connect();
    expectAnswers(*client, Rows{{"%1AVMT ?", "%1AVMT=30"}, {"%1POWR 1", "%1POWR=OK"}, {"%1AVMT ?", "%1AVMT=30"}});
    runLoopFor(1300);
    expectAnswers(*client,
        Rows{{"%1AVMT ?", "%1AVMT=30"}, {"%1AVMT 11", "%1AVMT=OK"}, {"%1AVMT ?", "%1AVMT=31"},
            {"%1AVMT 21", "%1AVMT=ERR2"}, {"%1AVMT 20", "%1AVMT=ERR2"}});
    EXPECT_TRUE(line->projector(1)->noShow());
    line->projector(1)->setCondition(sim::Condition::NoSignal);
    expectAnswers(*client, Rows{{"%1AVMT ?", "%1AVMT=31"}, {"%1AVMT 10", "%1AVMT=OK"}, {"%1AVMT ?", "%1AVMT=30"}});
    EXPECT_FALSE(line->projector(1)->noShow());
    line->projector(1)->setCondition(sim::Condition::SoundMuted);
    expectAnswers(*client, Rows{{"%1AVMT ?", "%1AVMT=21"}});
    line->projector(1)->setCondition(sim::Condition::None);
    expectAnswers(*client,
        Rows{{"%1AVMT 31", "%1AVMT=OK"}, {"%1POWR 0", "%1POWR=OK"}, {"%1AVMT ?", "%1AVMT=30"},
            {"%1POWR ?", "%1POWR=2"}});
    runLoopFor(1300);
    expectAnswers(*client, Rows{{"%1POWR ?", "%1POWR=0"}, {"%1AVMT ?", "%1AVMT=30"}});
}

// Asking for the power state that holds or is under way costs no frame.
TEST_F(PjlinkGateway, PowerAskedForAgainIsOkWithoutAFrame)
{
    start({.resultMaxAgeMs = 0});
    auto client = connect();
    const auto frames = [&](std::string_view code) {
        return std::count(line->recentFrames().begin(), line->recentFrames().end(), code);
    };
    expectAnswers(*client,
        Rows{{"%1POWR 0", "%1POWR=OK"}, {"%1POWR 1", "%1POWR=OK"}, {"%1POWR 1", "%1POWR=OK"}, {"%1POWR 1", "%1POWR=OK"},
            {"%1POWR ?", "%1POWR=3"}, {"%1POWR 0", "%1POWR=ERR3"}});
    EXPECT_EQ(frames("C00"), 1);
    EXPECT_EQ(frames("C01"), 0);
    runLoopFor(1300);
    expectAnswers(*client, Rows{{"%1POWR 0", "%1POWR=OK"}, {"%1POWR 0", "%1POWR=OK"}, {"%1POWR 1", "%1POWR=ERR3"}});
    EXPECT_EQ(frames("C01"), 1);
}

// Companion sends its digest in front of every command, openHAB writes it
// as a number without its leading zeros; both get in, a wrong one never.
TEST_F(PjlinkGateway, DigestsAsTheClientsWriteThem)
{
    const std::string password = "JBMIAProjectorLink";
    start({.password = password});
    enum class Sent {
        Lower,
        Upper,
        NoLeadingZeros,
        Wrong,
        OneDigitOff
    };
    const std::pair<Sent, bool> rows[] = {{Sent::Lower, true}, {Sent::Upper, true}, {Sent::NoLeadingZeros, true},
        {Sent::Wrong, false}, {Sent::OneDigitOff, false}};
    for (const auto& [sent, accepted] : rows) {
        std::unique_ptr<Client> client;
        QByteArray digest;
        // A digest with a leading zero comes about one connection in sixteen.
        for (int attempt = 0; attempt < 400; ++attempt) {
            client = connect(0, false);
            digest = md5Hex(client->line().substr(9) + password);
            if (sent != Sent::NoLeadingZeros || digest.startsWith('0'))
                break;
        }
        std::string text = digest.toStdString();
        if (sent == Sent::Upper)
            text = digest.toUpper().toStdString();
        else if (sent == Sent::NoLeadingZeros)
            text.erase(0, text.find_first_not_of('0'));
        else if (sent == Sent::Wrong)
            text = std::string(32, 'f');
        else if (sent == Sent::OneDigitOff)
            text.back() = text.back() == '0' ? '1' : '0';
        ASSERT_LT(text.size(), sent == Sent::NoLeadingZeros ? 32u : 33u);
        // Three commands sent ahead of their answers, each with the digest.
        client->send(text + "%1POWR ?\r" + text + "%1CLSS ?\r%1INF1 ?\r");
        if (!accepted) {
            EXPECT_EQ(client->line(), "PJLINK ERRA");
            EXPECT_EQ(client->line(), closed);
            continue;
        }
        for (const char* answer : {"%1POWR=0", "%1CLSS=2", "%1INF1=ORVA"})
            EXPECT_EQ(client->line(), answer) << int(sent);
        // A wrong digest on a later command is refused as on the first.
        EXPECT_EQ(client->ask(std::string(32, '0') + "%1POWR ?"), "PJLINK ERRA");
        EXPECT_EQ(client->line(), closed);
    }
}

TEST(PjlinkUdpNetworks, AnswersStayOnTheNetwork)
{
    const auto ip = [](const char* text) { return QHostAddress(text).toIPv4Address(); };
    const std::vector<pjlink::Subnet> subnets{{ip("127.0.0.0"), ip("255.0.0.0")},
        {ip("192.168.1.0"), ip("255.255.255.0")}, {ip("192.168.0.0"), ip("255.255.0.0")}};
    EXPECT_EQ(pjlink::subnetOf(ip("192.168.1.77"), subnets)->mask, ip("255.255.255.0")) << "the narrowest";
    EXPECT_EQ(pjlink::subnetOf(ip("192.168.2.1"), subnets)->broadcast(), ip("192.168.255.255"));
    EXPECT_EQ(pjlink::subnetOf(ip("127.0.0.2"), subnets)->broadcast(), ip("127.255.255.255"));
    EXPECT_FALSE(pjlink::subnetOf(ip("10.0.0.1"), subnets));
    const std::tuple<const char*, const char*, bool> answered[] = {{"192.168.1.50", "192.168.1.20", true},
        {"192.168.2.50", "192.168.1.20", false}, {"10.0.0.1", "0.0.0.0", false}, {"192.168.2.50", "0.0.0.0", true},
        {"127.0.0.1", "127.0.0.2", true}};
    for (const auto& [source, listening, yes] : answered)
        EXPECT_EQ(pjlink::onNetworkOf(QHostAddress(source), QHostAddress(listening), subnets), yes) << source;
    const std::string mac = pjlink::derivedMac("host", "001@127.0.0.2");
    EXPECT_EQ(mac, pjlink::derivedMac("host", "001@127.0.0.2"));
    EXPECT_NE(mac, pjlink::derivedMac("host", "002@127.0.0.2"));
    EXPECT_NE(mac, pjlink::derivedMac("other host", "001@127.0.0.2"));
    ASSERT_EQ(mac.size(), 17u);
    EXPECT_EQ(std::stoi(mac.substr(0, 2), nullptr, 16) & 3, 2) << mac << ": local, unicast";
}

// A controller on 127.0.0.1 port 4352; the gateway on 127.0.0.2.
class Controller {
public:
    Controller()
    {
        bound_ = socket_.bind(QHostAddress("127.0.0.1"), pjlink::pjlinkUdpPort);
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] {
            while (socket_.hasPendingDatagrams())
                received_.push_back(socket_.receiveDatagram().data().toStdString());
        });
    }
    bool bound() const { return bound_; }
    void send(const std::string& bytes, const char* to)
    {
        socket_.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), QHostAddress(to), 4352);
    }
    // What came within ms.
    std::vector<std::string> heard(int ms)
    {
        runLoopFor(ms);
        return std::exchange(received_, {});
    }

private:
    QUdpSocket socket_;
    bool bound_ = false;
    std::vector<std::string> received_;
};

TEST_F(PjlinkGateway, SearchedByUnicastAndBroadcastAndNotifiedOfChanges)
{
    Controller controller;
    ASSERT_TRUE(controller.bound()) << "UDP 127.0.0.1:4352 is in use";
    start({.projectors = {{"", "QM5 single", 4352}},
        .resultMaxAgeMs = 0,
        .pollMs = 200,
        .udp = true,
        .notify = {QHostAddress("127.0.0.1")},
        .listen = QHostAddress("127.0.0.2")});
    const std::string mac = gateway->macs().at(0);
    ASSERT_EQ(mac.size(), 17u);
    EXPECT_EQ(controller.heard(100), std::vector<std::string>{"%2LKUP=" + mac + "\r"});

    const std::string ackn = "%2ACKN=" + mac + "\r";
    for (const std::string& junk : {std::string("%2SRCH"), std::string("%2SRCH\r\r"), std::string("%1POWR 1\r"),
             std::string("%2srch\r"), "%2SRCH\r" + std::string(2000, 'x')})
        controller.send(junk, "127.0.0.2");
    EXPECT_EQ(controller.heard(200), std::vector<std::string>{}) << "nothing for the junk";
    controller.send("%2SRCH\r", "127.0.0.2");
    EXPECT_EQ(controller.heard(100), std::vector<std::string>{ackn});
    controller.send("%2SRCH\r", "127.255.255.255");
    EXPECT_EQ(controller.heard(300), std::vector<std::string>{}) << "once a second a source";
    runLoopFor(700);
    controller.send("%2SRCH\r", "127.255.255.255");
    EXPECT_EQ(controller.heard(200), std::vector<std::string>{ackn}) << "by broadcast";
    EXPECT_EQ(line->projector(1)->power(), sim::PowerState::Standby);

    // The states reached, as the poller sees them.
    auto client = connect();
    expectAnswers(*client, Rows{{"%1POWR 1", "%1POWR=OK"}});
    EXPECT_EQ(controller.heard(1800), std::vector<std::string>{"%2POWR=1\r"});
    expectAnswers(*client, Rows{{"%1INPT 12", "%1INPT=OK"}});
    line->projector(1)->setCondition(sim::Condition::TemperatureWarning);
    std::vector<std::string> heard = controller.heard(600);
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, (std::vector<std::string>{"%2ERST=001000\r", "%2INPT=12\r"}));
    line->projector(1)->setCondition(sim::Condition::None);
    expectAnswers(*client, Rows{{"%1POWR 0", "%1POWR=OK"}});
    EXPECT_EQ(controller.heard(1800), (std::vector<std::string>{"%2ERST=000000\r", "%2POWR=0\r"}));

    // The serial line gone and back: PJLink can be used again.
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!serial->isOpen(), waitMs);
    controller.heard(300);
    ASSERT_TRUE(endpoint->open());
    ASSERT_TRUE(link.create(endpoint->slavePath(), device));
    // The exchange the line went under ends its reply window and its quiet first.
    EXPECT_EQ(controller.heard(2500), std::vector<std::string>{"%2LKUP=" + mac + "\r"});
}

} // namespace
} // namespace qm5::test
