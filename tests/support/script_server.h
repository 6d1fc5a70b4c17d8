// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexo::test {

// What the scripted server does with one connection.
struct ScriptedReply {
    std::string bytes;                 // written once the request has arrived
    bool closeAtOnce = false;          // close without reading or writing anything
    bool holdOpen = false;             // after writing, keep the connection open until the client closes it
    std::vector<std::string> later{};  // written after `bytes`, one piece after each pause
    std::chrono::milliseconds pause{}; // before each of `later`
    // When set, each of `later` also waits until this holds (asked from the
    // server's thread): a peer that goes on at the test's event, not the
    // clock's.
    std::function<bool()> goOn{};
};

// A listing server on 127.0.0.1 that plays one scripted reply per
// connection (the last one again for further connections) and records the
// exact bytes of every request: everything up to and including the first
// "\n\r\n", or what arrived before the client closed.
class ScriptServer {
public:
    explicit ScriptServer(std::vector<ScriptedReply> replies);
    explicit ScriptServer(const std::string& reply) : ScriptServer(std::vector<ScriptedReply>{{reply}}) {}
    ~ScriptServer();
    ScriptServer(const ScriptServer&) = delete;
    ScriptServer& operator=(const ScriptServer&) = delete;

    int port() const { return port_; }
    std::vector<std::string> requests() const;
    // When each connection was accepted, those closed at once included.
    std::vector<std::chrono::steady_clock::time_point> connectionTimes() const;

private:
    void serve();
    void answer(int connection, const ScriptedReply& reply);

    std::vector<ScriptedReply> replies_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<std::chrono::steady_clock::time_point> connectionTimes_;
    std::thread thread_;
};

// An HTTP/1.1 answer that closes the connection: the status line with
// `status` ("200 OK"), `headers` (whole lines, each ending in "\r\n"), a
// blank line and `body`.
std::string HttpResponse(const std::string& status, const std::string& headers, const std::string& body);
// One with the body's length as its only further header.
std::string HttpAnswer(const std::string& status, const std::string& body);

// A loopback port on which nothing listens: connecting is refused.
int RefusingPort();

// A loopback listener whose accept queue is full, so a further connect
// hangs until the client gives up. Stays so while the object lives.
class StuckListener {
public:
    StuckListener();
    ~StuckListener();
    StuckListener(const StuckListener&) = delete;
    StuckListener& operator=(const StuckListener&) = delete;

    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

} // namespace vexo::test
