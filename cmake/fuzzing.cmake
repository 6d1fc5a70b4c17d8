# SPDX-License-Identifier: GPL-3.0-or-later
# A build for the libFuzzer targets (tests/fuzz). libFuzzer comes with
# clang, so they are built only on request and with clang, in a build tree
# of their own:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVEXO_BUILD_FUZZERS=ON
# Every target of such a tree gets the fuzzer's coverage instrumentation,
# AddressSanitizer and UndefinedBehaviorSanitizer, so that the targets link
# the project's own libraries and a fault anywhere in them is a finding.
# Included from the top-level CMakeLists.txt before any target is made.
option(VEXO_BUILD_FUZZERS "Build the libFuzzer targets (needs clang)" OFF)
if(VEXO_BUILD_FUZZERS AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VEXO_BUILD_FUZZERS needs clang; configure with CC=clang CXX=clang++.")
endif()
if(VEXO_BUILD_FUZZERS)
    # Undefined behaviour stops the run like a crash. Without the fortified
    # libc calls of the hardening: AddressSanitizer intercepts the plain
    # ones. SHELL: keeps CMake from dropping the -U as a repeat of the
    # hardening's own.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all "SHELL:-U_FORTIFY_SOURCE")
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
