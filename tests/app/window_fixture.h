// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/main_window.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vexo::test {

// The main window, shown centred, with a program folder of its own.
class WindowFixture : public ::testing::Test {
protected:
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        window->showCentred();
    }
    MainWindowControls& c() { return window->controls(); }
};

} // namespace vexo::test
