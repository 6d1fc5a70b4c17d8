# SPDX-License-Identifier: GPL-3.0-or-later
# A build under AddressSanitizer and UndefinedBehaviorSanitizer, in a build
# tree of its own (scripts/sanitize.sh builds the logic's suites there):
#   cmake -S . -B build-sanitize -DVEXO_SANITIZE=ON
# Undefined behaviour stops the program like a memory fault. Included from
# the top-level CMakeLists.txt before any target is made.
option(VEXO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VEXO_SANITIZE AND VEXO_BUILD_FUZZERS)
    message(FATAL_ERROR "VEXO_BUILD_FUZZERS already builds with the sanitizers; leave VEXO_SANITIZE off.")
endif()
if(VEXO_SANITIZE)
    # Without the fortified libc calls of the hardening: AddressSanitizer
    # intercepts the plain ones. SHELL: keeps CMake from dropping the -U as
    # a repeat of the hardening's own.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
                        "SHELL:-U_FORTIFY_SOURCE")
    add_link_options(-fsanitize=address,undefined)
endif()
