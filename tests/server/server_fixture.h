// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/vexo_server.h"
#include "tests/server/loopback_client.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace vexo::test {

// The listing request of the demo account.
inline constexpr const char* kRequest = "test:demo:is_files\n\r\n";

// vexo-server in-process on ephemeral loopback ports, serving an empty
// account folder, its log kept in memory.
class ServerFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::string folder = dir.file("account");
    std::ostringstream log;
    std::unique_ptr<server::VexoServer> server;

    void SetUp() override { ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0); }

    void start(server::ServerOptions options = {})
    {
        options.folder = folder;
        options.bindAddress = "127.0.0.1";
        options.tcpPort = 0;
        options.httpPort = 0;
        options.seed = 42;
        server = std::make_unique<server::VexoServer>(options, log);
        server->start();
    }

    // The whole answer of the listing port to `request`.
    std::string ask(const std::string& request = kRequest) { return TcpExchange(server->tcpPort(), {request}); }
};

} // namespace vexo::test
