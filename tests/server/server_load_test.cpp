// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-server under load from clients that are slow, silent or many: real
// checks and downloads must still be served promptly, and the slow clients
// let go of in a few seconds.
#include "server/server_log.h"
#include "server/tcp_listing.h"
#include "server/timed_http_server.h"
#include "server/vexo_server.h"
#include "tests/server/loopback_client.h"
#include "tests/server/server_fixture.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace vexo::server {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::HeldConnection;
using test::HttpGet;
using test::TcpExchange;
using test::WriteFile;

std::vector<std::unique_ptr<HeldConnection>> Connect(int port, std::size_t count)
{
    std::vector<std::unique_ptr<HeldConnection>> connections;
    for (std::size_t i = 0; i < count; ++i)
        connections.push_back(std::make_unique<HeldConnection>(port));
    return connections;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t found = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
        ++found;
    return found;
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
              running_ = false;
          })
    {}
    // Whether the clients still trickle: their time is not up yet.
    bool running() const { return running_; }
    ~Trickle()
    {
        stop_ = true;
        thread_.join();
    }
    Trickle(const Trickle&) = delete;
    Trickle& operator=(const Trickle&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{true};
    std::thread thread_;
};

class ServerLoadTest : public test::ServerFixture {
protected:
    // The path of the download address the listing gives for the file.
    std::string downloadPath(const std::string& name)
    {
        const std::string answer = ask();
        const std::string prefix = "\n" + name + "\nhttp://127.0.0.1:" + std::to_string(server->httpPort());
        const auto at = answer.find(prefix);
        if (at == std::string::npos)
            return "(not listed)";
        const auto start = at + prefix.size();
        return answer.substr(start, answer.find('\n', start) - start);
    }

    // A whole download, as a client reading at full speed gets it.
    void expectPromptDownload(const std::string& path, const std::string& content)
    {
        const auto started = Clock::now();
        const auto reply = HttpGet(server->httpPort(), path);
        EXPECT_EQ(reply.status, 200);
        EXPECT_TRUE(reply.body == content) << reply.body.size() << " bytes of " << content.size();
        EXPECT_LT(Clock::now() - started, 4s);
    }
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

    for (int round = 0; round < 3; ++round)
        EXPECT_EQ(ask(), whole) << "round " << round;
    // Answered while the idle and trickling clients still held their places:
    // checks that waited for them to time out would find them let go.
    for (const auto* group : {&idle, &slow}) {
        for (const auto& connection : *group)
            EXPECT_FALSE(connection->closedWithin(1ms));
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
    EXPECT_EQ(Count(log.str(), ": timed out\n"), idle.size() + slow.size()) << log.str();
}

// Guards slow clients, sending a request in part and no more or trickling it a byte at a time, holding every
// worker of the web site so that downloads stall; and such clients being kept instead of dropped.
TEST_F(ServerLoadTest, DownloadsGoOnWhileClientsSendRequestsSlowly)
{
    const std::string content = test::PatternBytes(4 << 20);
    WriteFile(folder + "/big.bin", content);
    start();
    const std::string path = downloadPath("big.bin");

    const auto opened = Clock::now();
    const auto partial = Connect(server->httpPort(), 16);
    const auto trickling = Connect(server->httpPort(), 16);
    ASSERT_TRUE(AllConnected(partial) && AllConnected(trickling));
    for (const auto* group : {&partial, &trickling}) {
        for (const auto& connection : *group)
            connection->send("GET /files/");
    }
    Trickle trickle(trickling, 'a');
    std::this_thread::sleep_for(300ms);

    expectPromptDownload(path, content);
    EXPECT_EQ(HttpGet(server->httpPort(), "/").status, 200);
    EXPECT_TRUE(ask().starts_with("connected\nbig.bin\n"));

    const auto giveUp = opened + TimedHttpServer::kRequestHeadTime + 5s;
    for (const auto* group : {&partial, &trickling}) {
        for (const auto& connection : *group) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
            EXPECT_TRUE(connection->closedWithin(std::max(left, 0ms)));
        }
    }
    server->stop();
    EXPECT_EQ(Count(log.str(), ": timed out\n"), partial.size() + trickling.size()) << log.str();
}

// Guards clients that read a large download slowly holding every worker so that other downloads stall; and a
// client that stops reading being kept instead of dropped.
TEST_F(ServerLoadTest, DownloadsGoOnWhileClientsReadSlowly)
{
    const std::string content = test::PatternBytes(16 << 20);
    WriteFile(folder + "/big.bin", content);
    start();
    const std::string path = downloadPath("big.bin");
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";

    const auto slow = Connect(server->httpPort(), 12);
    const auto stalled = Connect(server->httpPort(), 4);
    ASSERT_TRUE(AllConnected(slow) && AllConnected(stalled));
    for (const auto* group : {&slow, &stalled}) {
        for (const auto& connection : *group)
            connection->send(request);
    }
    const auto asked = Clock::now();
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            for (const auto& connection : slow)
                connection->receive(16 * 1024);
            std::this_thread::sleep_for(100ms);
        }
    });
    std::this_thread::sleep_for(500ms);

    expectPromptDownload(path, content);
    done = true;
    reader.join();

    std::this_thread::sleep_until(asked + TimedHttpServer::kPaceTime + 3s);
    for (const auto& connection : stalled) {
        std::size_t received = 0;
        EXPECT_TRUE(connection->closedWithin(10s, &received));
        EXPECT_LT(received, content.size());
    }
    server->stop();
    EXPECT_GE(Count(log.str(), ": too slow, dropped\n"), stalled.size()) << log.str();
    EXPECT_GE(Count(log.str(), ": broken off after "), stalled.size()) << log.str();
}

// Guards a burst of clients beyond the library's listen backlog of 5 waiting a second or more each for their
// handshake to be repeated.
TEST_F(ServerLoadTest, BurstOfClientsIsServedAtOnce)
{
    start();
    const auto started = Clock::now();
    const auto burst = Connect(server->httpPort(), 48);
    ASSERT_TRUE(AllConnected(burst));
    for (const auto& connection : burst)
        connection->send("GET /index/0-8 HTTP/1.0\r\n\r\n");
    for (const auto& connection : burst) {
        std::size_t received = 0;
        EXPECT_TRUE(connection->closedWithin(10s, &received));
        EXPECT_GT(received, 100u);
    }
    EXPECT_LT(Clock::now() - started, 3s);
}

// Guards stopping the server waiting for clients that trickle their requests, for as long as they go on.
TEST_F(ServerLoadTest, StopClosesTheConnectionsOfSlowClients)
{
    start();
    const auto trickling = Connect(server->httpPort(), 4);
    ASSERT_TRUE(AllConnected(trickling));
    for (const auto& connection : trickling)
        connection->send("GET /");
    Trickle trickle(trickling, 'a', 20s);
    std::this_thread::sleep_for(500ms);

    server->stop();
    // Stopped while the clients still trickled, and let them go itself
    // rather than at their time limit.
    EXPECT_TRUE(trickle.running());
    for (const auto& connection : trickling)
        EXPECT_TRUE(connection->closedWithin(10s));
    EXPECT_EQ(Count(log.str(), ": timed out\n"), 0u) << log.str();
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
