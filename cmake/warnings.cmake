# SPDX-License-Identifier: GPL-3.0-or-later
# The warnings every target is built with. VEXO_WERROR (CI builds with it)
# makes them errors and turns on the C++ library's checks of bounds and
# preconditions (_GLIBCXX_ASSERTIONS), so that a warning or an out-of-range
# index fails the build or the test that meets it. Included from the
# top-level CMakeLists.txt before any target is made.
option(VEXO_WERROR "Treat warnings as errors and check the C++ library's preconditions" OFF)
add_compile_options(-Wall -Wextra)
if(VEXO_WERROR)
    add_compile_options(-Werror -D_GLIBCXX_ASSERTIONS)
endif()
