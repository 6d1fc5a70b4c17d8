// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/skip_or_fail.h"

#include <cstdlib>

namespace vexo::test {

bool UnderCi()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0';
}

::testing::TestPartResult::Type SkipOrFailResult()
{
    return UnderCi() ? ::testing::TestPartResult::kFatalFailure : ::testing::TestPartResult::kSkip;
}

const char* SkipOrFailHeading()
{
    return UnderCi() ? "Failed under CI, which must run this test" : "Skipped";
}

} // namespace vexo::test
