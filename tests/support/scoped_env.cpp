// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/scoped_env.h"

#include <cstdlib>

namespace vexo::test {

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name))
{
    if (const char* old = std::getenv(name_.c_str()))
        saved_ = old;
    if (value)
        ::setenv(name_.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (saved_)
        ::setenv(name_.c_str(), saved_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

} // namespace vexo::test
