// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/http_fetch.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vexo {

// A speed in the units sizes are written in, stepping by 1024, with one
// decimal (truncated) below 10: "850 б/с", "5,8 Мб/с", "12 Мб/с".
std::string SpeedToText(double bytesPerSecond);

// A wait as people say it: "12 с", "3 мин 5 с", "2 ч 10 мин".
std::string DurationToText(std::int64_t seconds);

// Beside "Скачано ... из ...": the speed and the time left, once the speed
// is known ("5,8 Мб/с, осталось 3 мин 5 с"); the time left only where the
// size is known. Empty while the speed is not known.
std::string FetchPaceText(const FetchProgress& progress, std::optional<double> bytesPerSecond);

// The tray hint's line for the running download: the file, how far it is
// where the size is known, and the speed once known ("clip.avi: 22%, 5,8 Мб/с").
std::string FetchTrayLine(const std::string& fileName, const FetchProgress& progress,
                          std::optional<double> bytesPerSecond);

} // namespace vexo
