// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The handlers of the downloader's controls, tray items and timers.

#include <cstdint>
#include <string>

namespace vexo {

struct Downloader;

// The downloader's controls as start-up leaves them: the grid's titles.
void ShowDownloaderStart(Downloader& downloader);

// Tick of the task runner's timer: its period follows "Refresh", then the
// runner carries out the next task.
void RunnerTick(Downloader& downloader);

// "Обновить", and the tray item "Проверить новые файлы" (which works also
// while the button is disabled): queue a check, in which files whose
// download failed are tried again at once, whatever their pause. No second check is queued while one
// is queued or running.
void QueueServerCheck(Downloader& downloader);

// "Автопроверка" or the tray item "Автообновление" switched: the other one
// follows, and the automatic check is switched on or off.
void SetAutoCheck(Downloader& downloader, bool on);

// Tick of the automatic check's timer: the tray hint, the period, and a
// check unless one is queued or running already.
void AutoCheckTick(Downloader& downloader);

// Tick of the fetch progress timer: the bar, "Скачано ... из ...", the tray
// hint, and a pump.
void ShowFetchProgress(Downloader& downloader);

// The period box changed: anything that is not a number of at least 15
// becomes "15"; the automatic check takes the new period.
void ChangeAutoCheckPeriod(Downloader& downloader, const std::string& text);

// A click on the status bar empties the task queue.
void ClearTaskQueue(Downloader& downloader);

// The hidden removal page finished loading `address`; `loaded` is false for
// a page that could not be fetched or that came with an HTTP error status.
// The first failure of each file is said in the status bar; the removal is
// tried again by the next check that lists the file.
void RemovalPageLoaded(Downloader& downloader, const std::string& address, bool loaded);

// Timer periods from seconds: clamped to what a timer can hold, never
// wrapped; 0 or less gives 0 (no ticks).
std::uint32_t SecondsToInterval(std::int64_t seconds);

// The automatic check's period from the box's text: 60 s when it is not a number.
std::uint32_t AutoCheckInterval(const std::string& text);

} // namespace vexo
