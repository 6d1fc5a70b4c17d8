// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The timer periods of the downloader's handlers (Downloader, in
// downloader_events.cpp).

#include "downloader/http_fetch.h"

#include <cstdint>
#include <string>

namespace vexo {

class DownloaderView;

// Timer periods from seconds: clamped to what a timer can hold, never
// wrapped; 0 or less gives 0 (no ticks).
std::uint32_t SecondsToInterval(std::int64_t seconds);

// The automatic check's period from the box's text: 60 s when it is not a number.
std::uint32_t AutoCheckInterval(const std::string& text);

// The fetch progress timer's display: the bar and "Скачано ... из ...".
void ShowFetchProgress(DownloaderView& view, const FetchProgress& progress);

} // namespace vexo
