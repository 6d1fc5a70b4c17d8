// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_options.h"

#include <gtest/gtest.h>

namespace vexo::server {
namespace {

// Guards the defaults the README's run command and the client's settings rely on.
TEST(ServerOptionsTest, DefaultsAndEveryOption)
{
    const auto defaults = ParseServerOptions({"--folder", "/srv/x"});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->bindAddress, "127.0.0.1");
    EXPECT_EQ(defaults->tcpPort, 6677);
    EXPECT_EQ(defaults->httpPort, 8080);
    EXPECT_EQ(defaults->login, "test");
    EXPECT_EQ(defaults->password, "demo");
    EXPECT_FALSE(defaults->demo);

    const auto all = ParseServerOptions({"--folder=/d", "--bind", "::1", "--tcp-port", "0", "--http-port=81", "--login",
                                         "л", "--password", "a:b", "--public-host", "example.org:81", "--wrap", "*.avi",
                                         "--wrap=*.jpg", "--seed", "18446744073709551615", "--demo"});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->folder, "/d");
    EXPECT_EQ(all->bindAddress, "::1");
    EXPECT_EQ(all->tcpPort, 0);
    EXPECT_EQ(all->httpPort, 81);
    EXPECT_EQ(all->password, "a:b");
    EXPECT_EQ(all->publicHost, "example.org:81");
    EXPECT_EQ(all->wrapGlobs, (std::vector<std::string>{"*.avi", "*.jpg"}));
    EXPECT_EQ(all->seed, UINT64_MAX);
    EXPECT_TRUE(all->demo);
    EXPECT_FALSE(ParseServerOptions({"--help"}));
}

// Guards --version (or --help) being refused for want of --folder, or a server started instead of the text.
TEST(ServerOptionsTest, VersionAndHelpAreTextsNotServers)
{
    using Kind = ServerCommand::Kind;
    EXPECT_EQ(ParseServerCommand({"--version"}).kind, Kind::ShowVersion);
    EXPECT_EQ(ParseServerCommand({"--folder", "d", "--version", "--colour"}).kind, Kind::ShowVersion);
    EXPECT_EQ(ParseServerCommand({"--help"}).kind, Kind::ShowHelp);
    EXPECT_EQ(ParseServerCommand({"--folder", "d"}).kind, Kind::Serve);
    EXPECT_FALSE(ParseServerOptions({"--version"}));
    EXPECT_THROW(ParseServerCommand({"--version=1"}), UsageError);
    EXPECT_NE(std::string(kServerUsage).find("--version"), std::string::npos);
}

// Guards bad command lines being taken (and a login the request line could not carry).
TEST(ServerOptionsTest, BadCommandLinesAreRefused)
{
    const std::vector<std::vector<std::string>> bad{
        {},
        {"--folder"},
        {"--folder", "d", "--tcp-port", "65536"},
        {"--folder", "d", "--http-port", "-1"},
        {"--folder", "d", "--http-port", "80x"},
        {"--folder", "d", "--login", "a:b"},
        {"--folder", "d", "--public-host", "http://x/"},
        {"--folder", "d", "--demo=1"},
        {"--folder", "d", "--colour"},
        {"--folder", "d", "extra"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseServerOptions(args), UsageError) << (args.empty() ? "" : args.back());
}

} // namespace
} // namespace vexo::server
