# SPDX-License-Identifier: GPL-3.0-or-later
# VEXO_QUICK_BUILD (CI builds with it): a build for checking, not for
# speed. Debug information is line tables only (-g1), which still gives
# the file and line of every frame of a backtrace or a sanitizer's report,
# and RelWithDebInfo optimises at -O1. Together they take about a third
# off the compile time; the benchmarks measure the usual -O2 build.
# Included from the top-level CMakeLists.txt before any target is made.
option(VEXO_QUICK_BUILD "Build for checking: line tables only (-g1), and -O1 in RelWithDebInfo" OFF)
if(VEXO_QUICK_BUILD)
    foreach(config RELWITHDEBINFO DEBUG)
        string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_CXX_FLAGS_${config} "${CMAKE_CXX_FLAGS_${config}}")
    endforeach()
    string(REGEX REPLACE "(^| )-O2( |$)" "\\1-O1\\2" CMAKE_CXX_FLAGS_RELWITHDEBINFO "${CMAKE_CXX_FLAGS_RELWITHDEBINFO}")
endif()
