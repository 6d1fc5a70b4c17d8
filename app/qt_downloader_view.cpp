// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_downloader_view.h"

#include "app/framed_bars.h"
#include "app/main_window_controls.h"
#include "app/qt_text.h"
#include "app/server_grid.h"
#include "app/status_bar.h"
#include "app/window_timer.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <stdexcept>

namespace vexo {

WindowTimer* QtDownloaderView::timer(DownloaderTimer which) const
{
    switch (which) {
    case DownloaderTimer::TaskRunner: return c_.runnerTimer;
    case DownloaderTimer::FetchProgress: return c_.fetchProgressTimer;
    case DownloaderTimer::AutoCheck: return c_.autoCheckTimer;
    case DownloaderTimer::PeriodTyping: return c_.periodTypingTimer;
    case DownloaderTimer::TrayHint: return c_.trayHintTimer;
    }
    throw std::logic_error("unknown timer");
}

void QtDownloaderView::setServerControlsEnabled(bool enabled)
{
    const std::initializer_list<QWidget*> controls = {c_.autoCheckBox, c_.checkServerButton, c_.serverSettingsButton,
                                                      c_.autoCheckPeriodBox};
    // A disabled control hands the focus on to the next one, in the end to
    // the grid, where it would stay after the download.
    QWidget* focused = c_.window->focusWidget();
    const bool focusLeaves = !enabled && std::find(controls.begin(), controls.end(), focused) != controls.end();
    for (QWidget* control : controls)
        control->setEnabled(enabled);
    if (focusLeaves) {
        focusBeforeFetch_ = focused;
        focusWhileFetching_ = c_.window->focusWidget();
    } else if (enabled) {
        if (focusBeforeFetch_ && focused == focusWhileFetching_)
            focusBeforeFetch_->setFocus();
        focusBeforeFetch_ = nullptr;
        focusWhileFetching_ = nullptr;
    }
}

void QtDownloaderView::setStopEnabled(bool enabled)
{
    const bool hadFocus = c_.stopButton->hasFocus();
    c_.stopButton->setEnabled(enabled);
    // Pressed, the button took the focus, which a disabled button hands on:
    // it goes back where it was before the download, as from the server
    // controls.
    if (hadFocus && focusBeforeFetch_)
        focusWhileFetching_ = c_.window->focusWidget();
}

void QtDownloaderView::showAutoCheck(bool on)
{
    const QSignalBlocker quiet(c_.autoCheckBox);
    c_.autoCheckBox->setChecked(on);
}

void QtDownloaderView::showAutoCheckPeriod(const std::string& seconds)
{
    const QString text = Q(seconds);
    if (c_.autoCheckPeriodBox->text() == text)
        return;
    const QSignalBlocker quiet(c_.autoCheckPeriodBox);
    c_.autoCheckPeriodBox->setText(text);
}

void QtDownloaderView::showServerFiles(const ServerFileTable& table)
{
    const int rows = static_cast<int>(table.rows.size());
    if (table.fixedRows >= rows)
        throw std::logic_error("a grid needs a row below its fixed rows");
    ServerGrid* grid = c_.serverFileGrid;
    grid->setFixedRowCount(0);
    grid->setRowTotal(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < 2; ++column)
            grid->setCellText(column, row,
                              Q(table.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]));
    }
    grid->setFixedRowCount(table.fixedRows);
}

void QtDownloaderView::showFetchName(const std::string& name)
{
    c_.fetchNameLabel->setText(Q(name));
}

void QtDownloaderView::showFetchStatus(const std::string& text)
{
    c_.fetchStatusLabel->setText(Q(text));
}

void QtDownloaderView::showFetchSpeed(const std::string& text)
{
    c_.fetchSpeedLabel->setText(Q(text));
    // Screen readers read the figures as its description, under its name.
    c_.fetchSpeedLabel->setAccessibleDescription(Q(text));
}

void QtDownloaderView::showFetchProgress(std::int64_t fetched, std::int64_t total)
{
    bars_.setRange(c_.fetchProgressBar, fetched, total);
}

void QtDownloaderView::setTimerActive(DownloaderTimer which, bool active)
{
    timer(which)->setActive(active);
}

void QtDownloaderView::setTimerInterval(DownloaderTimer which, std::uint32_t milliseconds)
{
    timer(which)->setInterval(milliseconds);
}

void QtDownloaderView::showStatus(const std::string& text)
{
    c_.statusBar->setPanelText(0, Q(text));
}

void QtDownloaderView::showQueuedTasks(const std::string& words)
{
    c_.statusBar->setPanelText(1, Q(words));
}

} // namespace vexo
