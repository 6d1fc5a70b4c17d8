#pragma once

#include <cstdint>
#include <string>

namespace vexo {

struct Downloader;

// Tick of the runner's timer `Timer`: its period follows "Refresh", then
// the runner carries out the next task.
void TimerTimer(Downloader& downloader);

// "Обновить", and the tray item "Проверить новые файлы" (which works also
// while the button is disabled): queue a check.
void GetListClick(Downloader& downloader);
void N2Click(Downloader& downloader);

// "Автопроверка" changed: the tray item follows, and the automatic check
// is switched on or off.
void AutoOClick(Downloader& downloader);

// The tray item "Автообновление" changed its mark: the box follows it.
void N4Click(Downloader& downloader);

// Tick of `Bigtimer`: the tray hint, the period from `aosec`, and a check.
void BigtimerTimer(Downloader& downloader);

// The period box changed: anything that is not a number of at least 15
// becomes "15"; the automatic check takes the new period.
void aosecChange(Downloader& downloader);

// A click on the status bar empties the queue.
void StatusBClick(Downloader& downloader);

// Timer periods from seconds: clamped to what a timer can hold, never
// wrapped; 0 or less gives 0 (no ticks).
std::uint32_t SecondsToInterval(std::int64_t seconds);

// The automatic check's period in `aosec`: 60 s when it is not a number.
std::uint32_t AosecInterval(const std::string& text);

} // namespace vexo
