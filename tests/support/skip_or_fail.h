// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

namespace vexo::test {

// True under CI (CI set and not empty), where every tool and display a test
// needs has been installed.
bool UnderCi();

// A skip outside CI; under CI a fatal failure, so that a broken machine
// does not read as a passing run.
::testing::TestPartResult::Type SkipOrFailResult();
const char* SkipOrFailHeading();

} // namespace vexo::test

// Leaves the test (or its SetUp) because a tool, display or device it needs
// is missing: skipped outside CI, failed under it. Stream the reason:
//   VEXO_SKIP_OR_FAIL() << "needs xdotool (apt-get install xdotool)";
#define VEXO_SKIP_OR_FAIL() return GTEST_MESSAGE_(::vexo::test::SkipOrFailHeading(), ::vexo::test::SkipOrFailResult())
