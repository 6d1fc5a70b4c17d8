# SPDX-License-Identifier: GPL-3.0-or-later
# VEXO_LINE_TABLES (CI builds with it): debug information as line tables
# only (-g1). That still gives the file and line of every frame of a
# backtrace or a sanitizer's report, and compiles about a quarter faster
# than full debug information. Included from the top-level CMakeLists.txt
# before any target is made.
option(VEXO_LINE_TABLES "Build debug information as line tables only (-g1)" OFF)
if(VEXO_LINE_TABLES)
    foreach(config RELWITHDEBINFO DEBUG)
        string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_CXX_FLAGS_${config} "${CMAKE_CXX_FLAGS_${config}}")
    endforeach()
endif()
