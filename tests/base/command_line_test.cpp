// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/command_line.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

// Guards an option taken for the working folder (or a folder for an
// option): each switch sets its own field whatever its place, the last
// other argument is the folder, and the switches are lower case as typed.
TEST(CommandLineTest, SwitchesAnywhereAndTheLastOtherArgumentIsTheFolder)
{
    const CommandLine all = ReadCommandLine({"/d", "first", "--tray", "/a", "second"});
    EXPECT_TRUE(all.unattended);
    EXPECT_TRUE(all.deleteAfterDecoding);
    EXPECT_TRUE(all.inTray);
    EXPECT_EQ(all.folder, "second");

    const CommandLine none = ReadCommandLine({});
    EXPECT_FALSE(none.unattended || none.deleteAfterDecoding || none.inTray);
    EXPECT_FALSE(none.folder.has_value());

    const CommandLine upper = ReadCommandLine({"/A", "/D"});
    EXPECT_FALSE(upper.unattended || upper.deleteAfterDecoding);
    EXPECT_EQ(upper.folder, "/D");
}

} // namespace
} // namespace vexo
