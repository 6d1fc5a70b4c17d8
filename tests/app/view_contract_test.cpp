// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/framed_bars.h"
#include "app/main_window_controls.h"
#include "app/qt_decoder_view.h"
#include "app/qt_downloader_view.h"
#include "app/qt_window_view.h"
#include "app/server_grid.h"
#include "app/status_bar.h"
#include "app/tray_icon.h"
#include "app/window_builder.h"
#include "app/window_timer.h"
#include "decoder/decoder_options.h"
#include "tests/support/fake_views.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

// One script drives the window's views and the test fake alike; what the
// user would see, and what each call throws, must come out the same.

namespace vexo {
namespace {

// What the views show, read back the way a person would see it.
struct Snapshot {
    std::string caption;
    int width = 0;
    int height = 0;
    bool urlTabVisible = false;
    std::vector<bool> enabled;
    DecoderOptions options;
    std::string folder;
    bool folderMissing = false;
    std::vector<std::string> lines;
    int selected = -1;
    bool removeItemEnabled = false;
    bool detailsShown = false;
    std::string details;
    std::int64_t runProgress = 0;
    std::int64_t fileProgress = 0;
    std::string status;
    std::string tasks;
    bool serverControls = false;
    bool stop = false;
    bool autoCheck = false;
    std::string period;
    std::vector<std::array<std::string, 2>> serverRows;
    int fixedRows = 0;
    std::string fetchName;
    std::string fetchStatus;
    std::string fetchSpeed;
    int fetchPermille = 0;
    std::vector<std::pair<bool, std::uint32_t>> timers;
    std::string trayHint;
    bool autoCheckMarked = false;
    bool stopItem = false;

    bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s)
{
    out << "caption=" << s.caption << " size=" << s.width << "x" << s.height << " url=" << s.urlTabVisible
        << " options=" << s.options.joinAtOnce << s.options.deleteAfterDecoding << s.options.openFolderAfter
        << s.options.decodeArrivals << " folder=" << s.folder << (s.folderMissing ? "(missing)" : "")
        << " selected=" << s.selected << " lines=";
    for (const std::string& line : s.lines)
        out << "[" << line << "]";
    out << " menu=" << s.removeItemEnabled << s.detailsShown << ":" << s.details << " bars=" << s.runProgress << "/"
        << s.fileProgress << " status=" << s.status << " tasks=" << s.tasks << " server=" << s.serverControls
        << " stop=" << s.stop << s.stopItem << " auto=" << s.autoCheck << " period=" << s.period
        << " rows=" << s.serverRows.size() << "/" << s.fixedRows << " fetch=" << s.fetchName << "|" << s.fetchStatus
        << "|" << s.fetchSpeed << "|" << s.fetchPermille << " tray=" << s.trayHint << "|" << s.autoCheckMarked;
    return out;
}

constexpr DecoderControl kDecoderControls[] = {
    DecoderControl::AddAll,      DecoderControl::AddPicked, DecoderControl::ClearQueue,
    DecoderControl::RemoveEntry, DecoderControl::Decode,    DecoderControl::JoinParts,
    DecoderControl::OpenFolder,  DecoderControl::FolderBox, DecoderControl::QueueList,
};
constexpr DownloaderTimer kTimers[] = {DownloaderTimer::TaskRunner, DownloaderTimer::FetchProgress,
                                       DownloaderTimer::AutoCheck, DownloaderTimer::PeriodTyping,
                                       DownloaderTimer::TrayHint};

int Permille(std::int64_t part, std::int64_t whole)
{
    return whole <= 0 ? 0 : static_cast<int>(static_cast<double>(part) / static_cast<double>(whole) * 1000);
}

// One implementation of the views under the script.
class Subject {
public:
    virtual ~Subject() = default;
    virtual WindowView& window() = 0;
    virtual DecoderView& decoder() = 0;
    virtual DownloaderView& downloader() = 0;
    virtual TrayView& tray() = 0;
    virtual Snapshot snapshot() = 0;
    // How often a widget told its handler of a change.
    virtual int handlerSignals() const = 0;
};

class FakeSubject : public Subject {
public:
    WindowView& window() override { return fake_; }
    DecoderView& decoder() override { return fake_; }
    DownloaderView& downloader() override { return fake_; }
    TrayView& tray() override { return fake_; }
    int handlerSignals() const override { return 0; }

    Snapshot snapshot() override
    {
        Snapshot s;
        s.caption = fake_.caption;
        s.width = fake_.width;
        s.height = fake_.height;
        s.urlTabVisible = fake_.urlTabVisible;
        for (DecoderControl control : kDecoderControls)
            s.enabled.push_back(fake_.isEnabled(control));
        s.options = fake_.options;
        s.folder = fake_.folderText;
        s.folderMissing = fake_.folderMissing;
        s.lines = fake_.lines();
        s.selected = fake_.selectedLine();
        s.removeItemEnabled = fake_.removeItemEnabled;
        s.detailsShown = fake_.details.has_value();
        if (fake_.details)
            s.details = fake_.details->realName + "|" + fake_.details->size + "|" + fake_.details->key;
        s.runProgress = fake_.runProgress;
        s.fileProgress = fake_.fileProgress;
        s.status = fake_.status;
        s.tasks = fake_.queuedTasks;
        s.serverControls = fake_.serverControlsEnabled;
        s.stop = fake_.stopEnabled;
        s.stopItem = fake_.stopItemEnabled;
        s.autoCheck = fake_.autoCheckShown;
        s.period = fake_.autoCheckPeriod;
        s.serverRows = fake_.serverFiles.rows;
        s.fixedRows = fake_.serverFiles.fixedRows;
        s.fetchName = fake_.fetchName;
        s.fetchStatus = fake_.fetchStatus;
        s.fetchSpeed = fake_.fetchSpeed;
        s.fetchPermille = Permille(fake_.fetched, fake_.fetchTotal);
        for (DownloaderTimer timer : kTimers)
            s.timers.emplace_back(fake_.timer(timer).active, fake_.timer(timer).interval);
        s.trayHint = fake_.trayHint;
        s.autoCheckMarked = fake_.autoCheckMarked;
        return s;
    }

private:
    test::FakeViews fake_;
};

class QtSubject : public Subject {
public:
    QtSubject()
        : c_(BuildMainWindow(window_)), bars_(&window_), windowView_(c_), decoderView_(c_, bars_),
          downloaderView_(c_, bars_)
    {
        // Every signal a handler of the program listens to.
        watch(new QSignalSpy(c_.folderBox, &QLineEdit::textChanged));
        watch(new QSignalSpy(c_.autoCheckPeriodBox, &QLineEdit::textChanged));
        for (QCheckBox* box : {c_.joinAtOnceBox, c_.deleteAfterDecodingBox, c_.openFolderAfterBox, c_.decodeArrivalsBox,
                               c_.autoCheckBox})
            watch(new QSignalSpy(box, &QCheckBox::toggled));
        watch(new QSignalSpy(c_.autoCheckItem, &QAction::toggled));
        watch(new QSignalSpy(c_.queueList, &QListWidget::itemSelectionChanged));
    }

    WindowView& window() override { return windowView_; }
    DecoderView& decoder() override { return decoderView_; }
    DownloaderView& downloader() override { return downloaderView_; }
    TrayView& tray() override { return windowView_; }

    int handlerSignals() const override
    {
        int count = 0;
        for (const auto& spy : spies_)
            count += static_cast<int>(spy->count());
        return count;
    }

    Snapshot snapshot() override
    {
        // The bars take their values once a frame.
        QElapsedTimer frame;
        frame.start();
        while (frame.elapsed() < 40)
            QApplication::processEvents();

        Snapshot s;
        s.caption = window_.windowTitle().toStdString();
        s.width = window_.width();
        s.height = window_.height();
        s.urlTabVisible = c_.tabs->isTabVisible(c_.tabs->indexOf(c_.urlTab));
        for (QWidget* widget : {static_cast<QWidget*>(c_.addAllButton), static_cast<QWidget*>(c_.addPickedButton),
                                static_cast<QWidget*>(c_.clearQueueButton), static_cast<QWidget*>(c_.removeEntryButton),
                                static_cast<QWidget*>(c_.decodeButton), static_cast<QWidget*>(c_.joinPartsButton),
                                static_cast<QWidget*>(c_.openFolderButton), static_cast<QWidget*>(c_.folderBox),
                                static_cast<QWidget*>(c_.queueList)})
            s.enabled.push_back(widget->isEnabled());
        s.options = {c_.joinAtOnceBox->isChecked(), c_.deleteAfterDecodingBox->isChecked(),
                     c_.openFolderAfterBox->isChecked(), c_.decodeArrivalsBox->isChecked()};
        s.folder = c_.folderBox->text().toStdString();
        s.folderMissing = c_.folderBox->palette().color(QPalette::Base) == QColor(255, 0, 0);
        for (int row = 0; row < c_.queueList->count(); ++row)
            s.lines.push_back(c_.queueList->item(row)->text().toStdString());
        const QList<QListWidgetItem*> selected = c_.queueList->selectedItems();
        s.selected = selected.isEmpty() ? -1 : c_.queueList->row(selected.front());
        s.removeItemEnabled = c_.removeEntryItem->isEnabled();
        s.detailsShown = c_.realNameItem->isVisible();
        if (s.detailsShown)
            s.details = (c_.realNameItem->text() + QLatin1Char('|') + c_.sizeItem->text() + QLatin1Char('|')
                         + c_.keyItem->text())
                            .toStdString();
        s.runProgress = c_.runProgressBar->value();
        s.fileProgress = c_.fileProgressBar->value();
        s.status = c_.statusBar->panelText(0).toStdString();
        s.tasks = c_.statusBar->panelText(1).toStdString();
        s.serverControls = c_.checkServerButton->isEnabled() && c_.serverSettingsButton->isEnabled()
                           && c_.autoCheckBox->isEnabled() && c_.autoCheckPeriodBox->isEnabled();
        s.stop = c_.stopButton->isEnabled();
        s.stopItem = c_.stopItem->isEnabled();
        s.autoCheck = c_.autoCheckBox->isChecked();
        s.period = c_.autoCheckPeriodBox->text().toStdString();
        for (int row = 0; row < c_.serverFileGrid->rowCount(); ++row)
            s.serverRows.push_back(
                {c_.serverFileGrid->cellText(0, row).toStdString(), c_.serverFileGrid->cellText(1, row).toStdString()});
        s.fixedRows = c_.serverFileGrid->fixedRowCount();
        s.fetchName = c_.fetchNameLabel->text().toStdString();
        s.fetchStatus = c_.fetchStatusLabel->text().toStdString();
        s.fetchSpeed = c_.fetchSpeedLabel->text().toStdString();
        s.fetchPermille = Permille(c_.fetchProgressBar->value(), c_.fetchProgressBar->maximum());
        for (WindowTimer* timer : {c_.runnerTimer, c_.fetchProgressTimer, c_.autoCheckTimer})
            s.timers.emplace_back(timer->isActive(), timer->interval());
        s.trayHint = c_.trayIcon->toolTip().toStdString();
        s.autoCheckMarked = c_.autoCheckItem->isChecked();
        return s;
    }

private:
    void watch(QSignalSpy* spy) { spies_.emplace_back(spy); }

    QMainWindow window_;
    MainWindowControls c_;
    FramedBars bars_;
    QtWindowView windowView_;
    QtDecoderView decoderView_;
    QtDownloaderView downloaderView_;
    std::vector<std::unique_ptr<QSignalSpy>> spies_;
};

// What a step of the script did: the snapshot after it, or what it threw.
std::string Outcome(Subject& subject, const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::out_of_range&) {
        return "out_of_range";
    } catch (const std::logic_error&) {
        return "logic_error";
    }
    std::ostringstream shown;
    shown << subject.snapshot();
    return shown.str();
}

// The script: the views as built, writes of the values they already show,
// writes of new values, lines that do not exist, and a table without a row
// below its header.
std::vector<std::string> RunScript(Subject& s)
{
    std::vector<std::string> outcomes;
    const auto step = [&](const std::function<void()>& action) { outcomes.push_back(Outcome(s, action)); };

    step([] {});
    step([&] {
        s.decoder().showWorkingFolder("", false);
        s.decoder().showOptions(DecoderOptions{});
        s.downloader().showAutoCheck(false);
        s.downloader().showAutoCheckPeriod("60");
        s.tray().markAutoCheck(false);
    });
    step([&] {
        s.window().showCaption("Vexorama");
        s.window().resizeWindow(760, 520);
        s.window().showUrlTab(false);
        s.window().showDecoderTab();
        s.decoder().setEnabled(DecoderControl::Decode, false);
        s.decoder().setEnabled(DecoderControl::FolderBox, false);
        s.decoder().showWorkingFolder("/nowhere", true);
        s.decoder().showOptions({false, true, true, true});
    });
    step([&] {
        for (const char* line : {"a", "b", "c"})
            s.decoder().lineAppended(line);
        s.decoder().lineSelected(1);
    });
    step([&] { s.decoder().lineRemoved(1); });
    step([&] {
        s.decoder().lineSelected(1);
        s.decoder().lineRemoved(0);
        s.decoder().lineChanged(0, "c [OK]");
    });
    step([&] { s.decoder().lineChanged(5, "x"); });
    step([&] { s.decoder().lineRemoved(-1); });
    step([&] { s.decoder().lineSelected(99); });
    step([&] { s.decoder().describeEntry(EntryDetails{"Реалнейм: x", "Размер: 1 б (1 байт)", "Ключ: A"}); });
    step([&] { s.decoder().describeEntry(std::nullopt); });
    step([&] {
        s.decoder().showRunProgress(40);
        s.decoder().showFileProgress(70);
        s.decoder().showStatus("Обработка");
        s.decoder().repaintStatusNow();
    });
    step([&] { s.decoder().linesCleared(); });
    step([&] {
        s.downloader().setServerControlsEnabled(false);
        s.downloader().setStopEnabled(true);
        s.tray().setStopItemEnabled(true);
        s.downloader().showAutoCheck(true);
        s.downloader().showAutoCheckPeriod("15");
        s.downloader().showServerFiles({{{"Имя Файла", "Размер"}, {"a.avi", "1 Мб"}, {"b.jpg", "0 б"}}, 1});
        s.downloader().showFetchName("a.avi");
        s.downloader().showFetchStatus("Скачано 1 Мб из 5000 Мб");
        s.downloader().showFetchSpeed("5,8 Мб/с, осталось 14 мин 15 с");
        s.downloader().showFetchProgress(5'000'000'000, 10'000'000'000);
        s.downloader().setTimerActive(DownloaderTimer::AutoCheck, true);
        s.downloader().setTimerInterval(DownloaderTimer::TaskRunner, 0);
        s.downloader().showStatus("[!] Ошибка соединения");
        s.downloader().showQueuedTasks("get down rem ");
        s.tray().showTrayHint("Vexorama\nЗа сеанс: 1");
        s.tray().markAutoCheck(true);
    });
    step([&] { s.downloader().showServerFiles({{{"Имя Файла", "Размер"}}, 1}); });
    step([&] { s.downloader().showServerFiles({{{"Имя Файла", "Размер"}}, 0}); });
    outcomes.push_back("handler signals: " + std::to_string(s.handlerSignals()));
    return outcomes;
}

// Guards the fake drifting from the window: any difference in what the
// views show after the same calls, in what they throw, or in whether a
// write runs a handler.
TEST(ViewContractTest, WindowAndFakeAgreeOnEveryStep)
{
    FakeSubject fake;
    QtSubject qt;
    const std::vector<std::string> fakeRun = RunScript(fake);
    const std::vector<std::string> qtRun = RunScript(qt);
    ASSERT_EQ(fakeRun.size(), qtRun.size());
    for (std::size_t i = 0; i < fakeRun.size(); ++i)
        EXPECT_EQ(qtRun[i], fakeRun[i]) << "step " << i;

    // The script reaches what it means to: lines that do not exist throw,
    // a header needs a row below it, and no write runs a handler.
    EXPECT_EQ(fakeRun[6], "out_of_range");
    EXPECT_EQ(fakeRun[7], "out_of_range");
    EXPECT_EQ(fakeRun[14], "logic_error");
    EXPECT_EQ(fakeRun.back(), "handler signals: 0");
}

} // namespace
} // namespace vexo
