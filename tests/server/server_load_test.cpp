// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-server under load from clients that are slow, silent or many: real
// checks and downloads must still be served promptly, and the slow clients
// let go of in a few seconds.
#include "server/server_log.h"
#include "server/tcp_listing.h"
#include "server/vexo_server.h"
#include "tests/server/loopback_client.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace vexo::server {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::HeldConnection;
using test::TcpExchange;
using test::TempDir;
using test::WriteFile;

constexpr const char* kRequest = "test:demo:is_files\n\r\n";

std::vector<std::unique_ptr<HeldConnection>> Connect(int port, std::size_t count)
{
    std::vector<std::unique_ptr<HeldConnection>> connections;
    for (std::size_t i = 0; i < count; ++i)
        connections.push_back(std::make_unique<HeldConnection>(port));
    return connections;
}

bool AllConnected(const std::vector<std::unique_ptr<HeldConnection>>& connections)
{
    for (const auto& connection : connections) {
        if (!connection->connected())
            return false;
    }
    return true;
}

// Sends one more byte on each connection every 200 ms while it lives, for
// at most the given time: clients that never finish their request.
class Trickle {
public:
    Trickle(const std::vector<std::unique_ptr<HeldConnection>>& connections, char byte,
            std::chrono::seconds longest = 60s)
        : thread_([this, &connections, byte, longest] {
              const auto end = Clock::now() + longest;
              while (!stop_ && Clock::now() < end) {
                  for (const auto& connection : connections)
                      connection->send(std::string(1, byte));
                  std::this_thread::sleep_for(200ms);
              }
          })
    {}
    ~Trickle()
    {
        stop_ = true;
        thread_.join();
    }
    Trickle(const Trickle&) = delete;
    Trickle& operator=(const Trickle&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ServerLoadTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string folder = dir.file("account");
    std::ostringstream log;
    std::unique_ptr<VexoServer> server;

    void SetUp() override { ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0); }

    void start()
    {
        ServerOptions options;
        options.folder = folder;
        options.tcpPort = 0;
        options.httpPort = 0;
        options.seed = 42;
        server = std::make_unique<VexoServer>(options, log);
        server->start();
    }

    std::string ask() { return TcpExchange(server->tcpPort(), {kRequest}); }
};

// Guards idle or trickling connections filling the listing's table, so that a real check is cut off or waits
// until they time out.
TEST_F(ServerLoadTest, CheckIsAnsweredWithHundredIdleOrTricklingConnections)
{
    for (const char* name : {"a.txt", "b.avi", "c.jpg"})
        WriteFile(folder + "/" + name, name);
    start();
    const std::string whole = ask();
    ASSERT_TRUE(whole.starts_with("connected\na.txt\n") && whole.ends_with("=END=\n")) << whole;
    ASSERT_EQ(std::count(whole.begin(), whole.end(), '\n'), 2 + 3 * 4) << whole;

    const auto idle = Connect(server->tcpPort(), 80);
    const auto slow = Connect(server->tcpPort(), 20);
    ASSERT_TRUE(AllConnected(idle) && AllConnected(slow));
    for (const auto& connection : slow)
        connection->send("test:demo:is_");
    Trickle trickle(slow, 'x');

    for (int round = 0; round < 3; ++round) {
        const auto started = Clock::now();
        EXPECT_EQ(ask(), whole) << "round " << round;
        EXPECT_LT(Clock::now() - started, TcpListing::kIdleTimeout / 2) << "round " << round;
    }
}

// Guards silent and trickling clients keeping their listing connections (and places) long after a check
// would have ended.
TEST_F(ServerLoadTest, IdleAndTricklingListingConnectionsAreClosed)
{
    start();
    const auto opened = Clock::now();
    const auto idle = Connect(server->tcpPort(), 5);
    const auto slow = Connect(server->tcpPort(), 5);
    ASSERT_TRUE(AllConnected(idle) && AllConnected(slow));
    Trickle trickle(slow, 'x');

    // A few seconds: a real check takes milliseconds.
    const auto giveUp = opened + 10s;
    for (const auto* group : {&idle, &slow}) {
        for (const auto& connection : *group) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
            EXPECT_TRUE(connection->closedWithin(std::max(left, 0ms)));
        }
    }
    EXPECT_EQ(ask(), "connected\n=END=\n");
    server->stop();
    std::size_t timedOut = 0;
    for (std::size_t at = 0; (at = log.str().find(": timed out\n", at)) != std::string::npos; ++at)
        ++timedOut;
    EXPECT_EQ(timedOut, 10u) << log.str();
}

// Guards a full connection table turning away the newest client (most likely a real check) instead of the one
// that has waited longest for its request line.
TEST(TcpListingTest, FullTableMakesRoomForTheNewest)
{
    std::ostringstream out;
    ServerLog log(out);
    TcpListing listing(
        [](std::string_view line, const std::string&) { return "answer to " + std::string(line) + "\n"; }, log,
        {.idleTimeout = 60s, .maxConnections = 8});
    listing.start("127.0.0.1", 0);
    const auto idle = Connect(listing.port(), 8);
    ASSERT_TRUE(AllConnected(idle));

    EXPECT_EQ(TcpExchange(listing.port(), {"check\n"}), "answer to check\n");
    EXPECT_TRUE(idle.front()->closedWithin(5s));
    for (std::size_t i = 1; i < idle.size(); ++i)
        EXPECT_FALSE(idle[i]->closedWithin(100ms)) << i;

    for (int check = 0; check < 20; ++check)
        EXPECT_EQ(TcpExchange(listing.port(), {"check\n"}), "answer to check\n") << "check " << check;
    listing.stop();
    EXPECT_NE(out.str().find("too many connections, closed"), std::string::npos) << out.str();
}

} // namespace
} // namespace vexo::server
