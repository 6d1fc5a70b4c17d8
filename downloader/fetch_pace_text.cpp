// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/fetch_pace_text.h"

#include "base/percent.h"
#include "downloader/speed_meter.h"

namespace vexo {

namespace {

// Tenths of `value`, truncated, as "5,8"; whole from 10 on.
std::string ShortNumber(double value)
{
    if (value >= 10)
        return std::to_string(static_cast<std::int64_t>(value));
    const auto tenths = static_cast<std::int64_t>(value * 10);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// The size is known, and what arrived fits in it.
bool SizeKnown(const FetchProgress& progress)
{
    return progress.fetchTotal > 0 && progress.fetchedBytes <= progress.fetchTotal;
}

} // namespace

std::string SpeedToText(double bytesPerSecond)
{
    constexpr double kKilobyte = 1024;
    constexpr double kMegabyte = 1024 * 1024;
    if (bytesPerSecond < kKilobyte)
        return std::to_string(static_cast<std::int64_t>(bytesPerSecond)) + " б/с";
    if (bytesPerSecond < kMegabyte)
        return ShortNumber(bytesPerSecond / kKilobyte) + " Кб/с";
    return ShortNumber(bytesPerSecond / kMegabyte) + " Мб/с";
}

std::string DurationToText(std::int64_t seconds)
{
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds % 3600 / 60;
    const std::int64_t rest = seconds % 60;
    if (hours > 0)
        return std::to_string(hours) + " ч" + (minutes > 0 ? " " + std::to_string(minutes) + " мин" : "");
    if (minutes > 0)
        return std::to_string(minutes) + " мин" + (rest > 0 ? " " + std::to_string(rest) + " с" : "");
    return std::to_string(rest) + " с";
}

std::string FetchPaceText(const FetchProgress& progress, std::optional<double> bytesPerSecond)
{
    if (!bytesPerSecond)
        return "";
    std::string text = SpeedToText(*bytesPerSecond);
    if (!SizeKnown(progress))
        return text;
    if (const std::optional<std::int64_t> left =
            SecondsLeft(progress.fetchTotal - progress.fetchedBytes, *bytesPerSecond))
        text += ", осталось " + DurationToText(*left);
    return text;
}

std::string FetchTrayLine(const std::string& fileName, const FetchProgress& progress,
                          std::optional<double> bytesPerSecond)
{
    std::string line = fileName;
    std::string sep = ": ";
    if (SizeKnown(progress)) {
        line += sep + std::to_string(RoundedPercent(progress.fetchedBytes, progress.fetchTotal)) + "%";
        sep = ", ";
    }
    if (bytesPerSecond)
        line += sep + SpeedToText(*bytesPerSecond);
    return line;
}

} // namespace vexo
