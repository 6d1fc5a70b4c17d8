// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "window_handlers/autostart_entry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::FileExists;
using test::FolderNames;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

class AutostartEntryTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv configHome{"XDG_CONFIG_HOME", dir.file("config")};
    std::string autostart = dir.file("config/autostart");
    std::string entry = autostart + "/io.github.vexorama.Vexorama.desktop";

    std::string writeRefusal(const std::string& executable)
    {
        try {
            SetStartAtLogin(entry, true, executable);
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "no error";
    }
};

// Guards the entry itself: its place under $XDG_CONFIG_HOME (the folder made
// when missing), the keys a desktop needs, and an Exec line that runs this
// program in the tray even when its path holds a space or a character that
// the desktop would take as quoting, a variable or a field code.
TEST_F(AutostartEntryTest, RunsTheProgramInTheTrayWithItsPathQuoted)
{
    EXPECT_EQ(AutostartEntryPath(), entry);
    EXPECT_FALSE(StartsAtLogin(entry));

    SetStartAtLogin(entry, true, "/opt/vexorama/bin/vexorama");
    EXPECT_TRUE(StartsAtLogin(entry));
    const std::string text = ReadFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line :
         {"\nType=Application\n", "\nName=Vexorama\n", "\nExec=/opt/vexorama/bin/vexorama --tray\n",
          "\nIcon=io.github.vexorama.Vexorama\n", "\nX-GNOME-Autostart-enabled=true\n", "\nComment="})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(FolderNames(autostart), std::vector<std::string>{"io.github.vexorama.Vexorama.desktop"});

    EXPECT_EQ(QuoteExecArgument("/home/a b/vexorama"), "\"/home/a b/vexorama\"");
    EXPECT_EQ(QuoteExecArgument("/x/$HOME`id`\"q\"\\/v"), "\"/x/\\$HOME\\`id\\`\\\"q\\\"\\\\/v\"");
    EXPECT_EQ(QuoteExecArgument("/x/100%/v"), "/x/100%%/v");
    // The quoting's backslash is escaped once more as a value's backslash.
    SetStartAtLogin(entry, true, "/home/a b\\c/vexorama");
    EXPECT_NE(ReadFile(entry).find("\nExec=\"/home/a b\\\\\\\\c/vexorama\" --tray\n"), std::string::npos);
}

// Guards turning it off: only that one file goes, an entry switched off by
// "Hidden=true" counts as off (and stays, as it may hide a system-wide one),
// and OK on a box left as it was opened touches no entry of anyone's.
TEST_F(AutostartEntryTest, RemovesOnlyItsEntryAndHiddenCountsAsOff)
{
    SetStartAtLogin(entry, true, "/usr/bin/vexorama");
    WriteFile(autostart + "/other.desktop", "[Desktop Entry]\nType=Application\nExec=other\n");
    SetStartAtLogin(entry, false, "/usr/bin/vexorama");
    EXPECT_FALSE(FileExists(entry));
    EXPECT_EQ(FolderNames(autostart), std::vector<std::string>{"other.desktop"});

    const std::string hidden = "[Desktop Entry]\nType=Application\nExec=vexorama --tray\nHidden = true\n";
    WriteFile(entry, hidden);
    EXPECT_FALSE(StartsAtLogin(entry));
    EXPECT_FALSE(ReadStartAtLogin(entry).shown);
    SetStartAtLogin(entry, false, "/usr/bin/vexorama");
    EXPECT_EQ(ReadFile(entry), hidden);
    WriteFile(entry, "[Desktop Entry]\nExec=vexorama --tray\nHidden=false\n[Other]\nHidden=true\n");
    EXPECT_TRUE(StartsAtLogin(entry));

    StartAtLoginChoice untouched = ReadStartAtLogin(entry);
    ApplyStartAtLogin(untouched, entry, "/usr/bin/vexorama");
    EXPECT_EQ(ReadFile(entry), "[Desktop Entry]\nExec=vexorama --tray\nHidden=false\n[Other]\nHidden=true\n");
    StartAtLoginChoice cleared = untouched;
    cleared.chosen = false;
    ApplyStartAtLogin(cleared, entry, "/usr/bin/vexorama");
    EXPECT_FALSE(FileExists(entry));
}

// Guards a refused write (a full disk, a failed rename or sync, an autostart
// "folder" that is a file): the user is told which file, and no entry, half
// an entry or temporary is left; an old entry keeps its bytes.
TEST_F(AutostartEntryTest, RefusedWriteIsReportedAndLeavesNothing)
{
    const std::string refusal = "Unable to write to " + entry;
    {
        ScopedFileFaults faults({.failWriteAfter = 40, .error = ENOSPC});
        EXPECT_EQ(writeRefusal("/usr/bin/vexorama"), refusal);
    }
    EXPECT_TRUE(FolderNames(autostart).empty());

    const std::string hidden = "[Desktop Entry]\nHidden=true\n";
    WriteFile(entry, hidden);
    for (const FileFaults& fault : {FileFaults{.failRename = true}, FileFaults{.failSync = true}}) {
        ScopedFileFaults faults(fault);
        EXPECT_EQ(writeRefusal("/usr/bin/vexorama"), refusal);
        EXPECT_EQ(ReadFile(entry), hidden);
        EXPECT_EQ(FolderNames(autostart), std::vector<std::string>{"io.github.vexorama.Vexorama.desktop"});
    }

    TempDir other;
    WriteFile(other.file("autostart"), "");
    ScopedEnv configInAFile("XDG_CONFIG_HOME", other.path());
    entry = AutostartEntryPath();
    EXPECT_EQ(writeRefusal("/usr/bin/vexorama"), "Unable to write to " + entry);
    EXPECT_EQ(ReadFile(other.file("autostart")), "");
}

} // namespace
} // namespace vexo
