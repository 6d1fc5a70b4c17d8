// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_log.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <time.h>

namespace vexo::server {
namespace {

using namespace std::chrono;

// Sets the time zone for the life of the object (a POSIX TZ text needs no
// zone files).
class ScopedZone {
public:
    explicit ScopedZone(const std::string& zone) : env_("TZ", zone) { ::tzset(); }
    ~ScopedZone() { ::tzset(); }

private:
    test::ScopedEnv env_;
};

// Guards the stamp's layout: zero-padded fields, milliseconds cut rather than rounded up into the next second,
// and the local time rather than UTC.
TEST(ServerLogTest, TimeStampIsLocalToTheMillisecond)
{
    // 2026-12-08 21:03:04 UTC
    const system_clock::time_point second{seconds{1796763784}};
    {
        ScopedZone zone("UTC0");
        EXPECT_EQ(LogTimeStamp(second + milliseconds{7}), "2026-12-08 21:03:04.007");
        EXPECT_EQ(LogTimeStamp(second + microseconds{999999}), "2026-12-08 21:03:04.999");
        EXPECT_EQ(LogTimeStamp(second - seconds{21 * 3600 - 1}), "2026-12-08 00:03:05.000");
    }
    {
        ScopedZone zone("MSK-3"); // three hours east of UTC
        EXPECT_EQ(LogTimeStamp(second + milliseconds{120}), "2026-12-09 00:03:04.120");
    }
}

// Guards a log line without its stamp, or with the stamp anywhere but at its start.
TEST(ServerLogTest, EveryLineStartsWithItsStamp)
{
    std::ostringstream out;
    ServerLog log(out);
    const std::string before = LogTimeStamp(system_clock::now());
    log.line("first");
    log.line("second: with a colon");
    const std::string after = LogTimeStamp(system_clock::now());

    const std::regex shape("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) first\n"
                           "(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) second: with a colon\n");
    std::smatch parts;
    const std::string text = out.str();
    ASSERT_TRUE(std::regex_match(text, parts, shape)) << text;
    EXPECT_LE(before, parts[1].str());
    EXPECT_LE(parts[1].str(), parts[2].str());
    EXPECT_LE(parts[2].str(), after);
}

} // namespace
} // namespace vexo::server
