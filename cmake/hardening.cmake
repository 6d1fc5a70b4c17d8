# SPDX-License-Identifier: GPL-3.0-or-later
# Hardening of every compiled target, as Debian builds its own packages:
# fortified libc calls, a stack protector, full RELRO and position
# independent executables. Included from the top-level CMakeLists.txt
# before any target is made.

include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE pie_output LANGUAGES CXX)
if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
    message(WARNING "The linker cannot make position independent executables:\n${pie_output}")
endif()
# With policy CMP0083 (set by cmake_minimum_required) this also links
# executables with -pie.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
# Fortification needs the optimiser: without it glibc warns and checks
# nothing. -U first, so that a compiler that fortifies by default at
# another level is not told two levels at once.
add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro LINKER:-z,now)
