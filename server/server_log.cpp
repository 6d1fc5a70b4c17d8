// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_log.h"

#include <cstdio>
#include <ctime>

namespace vexo::server {

std::string LogTimeStamp(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(when);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(when - seconds).count();
    const std::time_t time = system_clock::to_time_t(seconds);
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03d", static_cast<int>(milliseconds));
    return text;
}

} // namespace vexo::server
