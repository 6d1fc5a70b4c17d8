// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/handler_boundary.h"
#include "base/program_version.h"
#include "base/session.h"
#include "base/settings_store.h"
#include "decoder/decoder_options.h"
#include "decoder/working_folder.h"
#include "tests/support/fake_views.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "window_handlers/option_boxes.h"
#include "window_handlers/server_settings.h"
#include "window_handlers/start_up.h"
#include "window_handlers/window_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::FakeViews;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// One start of the main window over the fake, and the user's actions on
// the shell's controls as the window passes them to their handlers.
struct Start {
    FakeViews ops;
    Views views = ops.views();
    HandlerBoundary boundary{ops};
    Session session;
    DecoderOptions options;

    Start(const std::string& programFolder, std::vector<std::string> args, const std::string& defaultFolder = "")
    {
        session.setProgramPlaces(programFolder + "vexorama", programFolder, defaultFolder);
        session.setCommandLine(ReadCommandLine(args));
        boundary.run([this] { StartUp(session, options, views, boundary); });
    }

    void typeFolder(const std::string& text)
    {
        boundary.run([&] { SetWorkingFolder(session, ops, text); });
    }
    void tick(DecoderOption option, bool on)
    {
        boundary.run([&] { SetDecoderOption(options, session.settings(), ops, option, on); });
    }
    void close()
    {
        boundary.run([this] { StoreWindowSize(session.settings(), {ops.width, ops.height}); });
    }
};

class StartupTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string programFolder = dir.path() + "/";
    std::string iniPath = dir.path() + "/vexorama.INI";

    void writeIni(const std::string& text) { WriteFile(iniPath, text); }
    std::string ini() const { return ReadFile(iniPath); }
    SettingsStore store() const { return SettingsStore(iniPath); }
};

// Guards the first start: defaults, window size, folder box, and a settings
// file that holds nothing but the folder and the window size.
TEST_F(StartupTest, FirstStartWithoutSettingsStoresOnlyFolderAndSize)
{
    Start start(programFolder, {});
    EXPECT_EQ(start.ops.width, 640);
    EXPECT_EQ(start.ops.height, 500);
    EXPECT_EQ(start.ops.folderText, programFolder);
    EXPECT_FALSE(start.ops.folderMissing);
    EXPECT_TRUE(start.options.joinAtOnce);
    EXPECT_FALSE(start.options.deleteAfterDecoding);
    EXPECT_FALSE(start.options.openFolderAfter);
    EXPECT_FALSE(start.ops.urlTabVisible);
    EXPECT_NE(std::find(start.ops.log.begin(), start.ops.log.end(), "show decoder tab"), start.ops.log.end());
    EXPECT_EQ(start.ops.caption, "Vexorama " VEXO_VERSION "  PreRelease");
    EXPECT_EQ(start.ops.trayHint, "Vexorama " VEXO_VERSION "  PreRelease\nЗа сеанс: 0");
    EXPECT_EQ(start.session.update().blocks(), 100);
    // The server the check takes once start-up has opened the settings.
    const TcpEndpoint server = StoredServerAddress(start.session.settings());
    EXPECT_EQ(server.host, "");
    EXPECT_EQ(server.port, "6677");
    EXPECT_TRUE(start.ops.messages.empty());

    start.close();
    EXPECT_EQ(ini(), "[Prog]\nFolder=" + programFolder + "\nWidth=640\nHeight=500\n");
}

// Guards the size rule: stored sizes below the minimum and sizes that are
// not numbers never show.
TEST_F(StartupTest, StoredSizesAreKeptWithinTheMinimum)
{
    writeIni("[Prog]\nWidth=100\nHeight=100\n");
    EXPECT_EQ(Start(programFolder, {}).ops.width, 640);
    EXPECT_EQ(Start(programFolder, {}).ops.height, 300);

    writeIni("[prog]\nwidth=abc\nHEIGHT=$200\n");
    Start start(programFolder, {});
    EXPECT_EQ(start.ops.width, 640);
    EXPECT_EQ(start.ops.height, 512);

    writeIni("[Prog]\nWidth=800\nHeight=0x258\n");
    Start larger(programFolder, {});
    EXPECT_EQ(larger.ops.width, 800);
    EXPECT_EQ(larger.ops.height, 600);
}

// Guards the pacing value: hex forms are read, and 0 or a negative value
// never leaves the block remainder undefined.
TEST_F(StartupTest, UpdateIsReadInAllFormsAndNeverZero)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"0x20", 32}, {"$20", 32}, {"7", 7}, {"0", 1}, {"-5", 5}, {"abc", 100}, {"-2147483648", 2147483647}};
    for (const auto& [text, expected] : cases) {
        writeIni("[Prog]\nUpdate=" + text + "\n");
        EXPECT_EQ(Start(programFolder, {}).session.update().blocks(), expected) << text;
    }
}

// Guards the check boxes: a value that is not a number keeps the default,
// and restoring a box writes nothing when it already has that state.
TEST_F(StartupTest, CheckBoxesComeFromTheSettings)
{
    writeIni("[Prog]\nAutoDel=yes\nAuto=0\nAutoOpen=$1\n");
    Start start(programFolder, {});
    EXPECT_FALSE(start.options.deleteAfterDecoding);
    EXPECT_FALSE(start.options.joinAtOnce);
    EXPECT_TRUE(start.options.openFolderAfter);
    EXPECT_EQ(start.ops.options.joinAtOnce, false);
    EXPECT_EQ(start.ops.options.openFolderAfter, true);
    EXPECT_EQ(store().readString("Prog", "AutoDel", "?"), "yes");
    EXPECT_EQ(store().readString("Prog", "Auto", "?"), "0");
    EXPECT_EQ(store().readString("Prog", "AutoOpen", "?"), "1");

    start.tick(DecoderOption::JoinAtOnce, true);
    EXPECT_EQ(store().readString("Prog", "Auto", "?"), "1");
}

// Guards "/d": it ticks automatic deletion and the tick outlives the run.
TEST_F(StartupTest, SwitchDTicksAutoDeleteForLaterStartsToo)
{
    Start withD(programFolder, {"/d"});
    EXPECT_TRUE(withD.options.deleteAfterDecoding);
    EXPECT_TRUE(withD.ops.options.deleteAfterDecoding);
    EXPECT_EQ(store().readString("Prog", "AutoDel", ""), "1");

    Start without(programFolder, {});
    EXPECT_TRUE(without.options.deleteAfterDecoding);

    // Switches are compared exactly: "/D" is a folder argument.
    Start upper(programFolder, {"/D"});
    EXPECT_EQ(upper.ops.messageTexts(),
              std::vector<std::string>{"Текущая папка не существует, сохраняем в " + programFolder});
}

// Guards the folder arguments: the last one wins, "/a" is not a folder, and
// the chosen folder is stored for later starts.
TEST_F(StartupTest, LastFolderArgumentWinsAndIsStored)
{
    TempDir first;
    TempDir second;
    Start start(programFolder, {first.path(), "/a", second.path()});
    EXPECT_EQ(start.session.workingFolder().path(), second.path());
    EXPECT_EQ(start.ops.folderText, second.path());
    EXPECT_TRUE(start.ops.messages.empty());
    EXPECT_EQ(store().readString("Prog", "Folder", ""), second.path());

    Start later(programFolder, {});
    EXPECT_EQ(later.session.workingFolder().path(), second.path());
}

// Guards the missing-folder fallback, for an argument and for a stored folder.
TEST_F(StartupTest, MissingFolderFallsBackToTheProgramFolder)
{
    Start start(programFolder, {dir.path() + "/gone"});
    ASSERT_EQ(start.ops.messages.size(), 1u);
    EXPECT_EQ(start.ops.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(start.ops.messages[0].text, "Текущая папка не существует, сохраняем в " + programFolder);
    EXPECT_EQ(start.session.workingFolder().path(), programFolder);
    EXPECT_EQ(store().readString("Prog", "Folder", ""), programFolder);

    // A typed folder that does not exist turns the box red and is stored as typed...
    start.typeFolder(dir.path() + "/typo");
    EXPECT_TRUE(start.ops.folderMissing);
    EXPECT_EQ(store().readString("Prog", "Folder", ""), dir.path() + "/typo");
    start.typeFolder(dir.path());
    EXPECT_FALSE(start.ops.folderMissing);
    start.typeFolder(dir.path() + "/typo");

    // ...and the next start shows the box and stores the program's folder.
    Start next(programFolder, {});
    EXPECT_EQ(next.ops.messages.size(), 1u);
    EXPECT_EQ(store().readString("Prog", "Folder", ""), programFolder);
}

// Guards an installed copy's files landing in the program's folder (which
// a user cannot write): its default folder is the user's download folder +
// "/Vexorama/", made when first needed without a box, and the box for a
// missing folder names it.
TEST_F(StartupTest, DefaultFolderIsMadeWhenFirstNeeded)
{
    const std::string downloads = dir.path() + "/Downloads/Vexorama/";
    Start first(programFolder, {}, downloads);
    EXPECT_TRUE(first.ops.messages.empty());
    EXPECT_EQ(first.session.workingFolder().path(), downloads);
    EXPECT_TRUE(std::filesystem::is_directory(downloads));

    Start missing(programFolder, {dir.path() + "/gone"}, downloads);
    EXPECT_EQ(missing.ops.messageTexts(),
              std::vector<std::string>{"Текущая папка не существует, сохраняем в " + downloads});
    EXPECT_EQ(missing.session.workingFolder().path(), downloads);
}

// Guards a refused settings write: one error box, and start-up still
// finishes with the defaults in force.
TEST_F(StartupTest, RefusedWriteIsShownOnceAndStartUpFinishes)
{
    WriteFile(dir.file("not-a-folder"), "");
    std::optional<Start> started;
    {
        const test::ScopedEnv config("XDG_CONFIG_HOME", dir.file("not-a-folder"));
        // The executable's folder cannot be written, nor can the per-user place.
        started.emplace("/proc/vexorama-missing/", std::vector<std::string>{"/d", dir.path()});
    }
    Start& start = *started;

    const std::string path = dir.path() + "/not-a-folder/vexorama/vexorama.INI";
    EXPECT_EQ(start.ops.messageTexts(), std::vector<std::string>{"Unable to write to " + path});
    EXPECT_EQ(start.ops.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(start.session.workingFolder().path(), dir.path());
    EXPECT_TRUE(start.options.deleteAfterDecoding);
    EXPECT_EQ(start.session.update().blocks(), 100);
    EXPECT_EQ(start.ops.caption, "Vexorama " VEXO_VERSION "  PreRelease");
    EXPECT_EQ(start.ops.trayHint, "Vexorama " VEXO_VERSION "  PreRelease\nЗа сеанс: 0");

    // After start-up, every refused write is reported again.
    start.tick(DecoderOption::OpenFolderAfter, true);
    EXPECT_EQ(start.ops.messages.size(), 2u);
}

// Guards the hidden tab: the tenth right click shows it, the eleventh hides
// it, and the counter wraps at 256.
TEST(HiddenTabTest, TenthRightClickShowsTheTab)
{
    FakeViews ops;
    std::uint8_t clicks = 0;
    for (int click = 1; click <= 266; ++click) {
        RevealUrlTabOnTenthClick(clicks, ops);
        EXPECT_EQ(ops.urlTabVisible, click == 10 || click == 266) << click;
    }
}

// Guards a relative "Folder=" written by hand resolved in whatever folder
// the start runs in: it lies beside the settings file.
TEST_F(StartupTest, RelativeStoredFolderLiesBesideTheSettingsFile)
{
    std::filesystem::create_directories(dir.file("inbox/sub"));
    TempDir elsewhere;
    std::filesystem::create_directories(elsewhere.file("inbox"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const struct {
        std::string stored;
        std::string expected;
    } rows[] = {
        {"inbox", dir.file("inbox")},
        {"./inbox/sub/..", dir.file("inbox")},
        {"inbox/sub/", dir.file("inbox/sub/")},
        {elsewhere.file("inbox"), elsewhere.file("inbox")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        writeIni("[Prog]\nFolder=" + row.stored + "\n");
        Start start(programFolder, {});
        EXPECT_EQ(start.session.workingFolder().path(), row.expected);
        EXPECT_TRUE(start.ops.messages.empty());
    }
    std::filesystem::current_path(before);
}

// Guards the folder browser: a cancel changes nothing, a choice becomes the
// working folder and is stored.
TEST_F(StartupTest, FolderBrowserSetsTheWorkingFolder)
{
    Start start(programFolder, {});
    start.typeFolder(dir.path() + "/missing");
    start.ops.folderAnswers.push_back(std::nullopt);
    ChooseWorkingFolder(start.session, start.ops, start.ops);
    EXPECT_EQ(start.ops.log.back(), "pick folder Выберите папку принятых файлов ");
    EXPECT_EQ(start.session.workingFolder().path(), dir.path() + "/missing");

    TempDir chosen;
    start.ops.folderAnswers.push_back(chosen.path());
    ChooseWorkingFolder(start.session, start.ops, start.ops);
    EXPECT_EQ(start.session.workingFolder().path(), chosen.path());
    EXPECT_FALSE(start.ops.folderMissing);
    EXPECT_EQ(store().readString("Prog", "Folder", ""), chosen.path());

    OpenWorkingFolder(start.session.workingFolder(), start.ops);
    EXPECT_EQ(start.ops.opened, std::vector<std::string>{chosen.path()});
}

} // namespace
} // namespace vexo
