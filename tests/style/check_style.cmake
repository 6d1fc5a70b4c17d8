# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every source file starts with the SPDX licence line and that
# the C++ files need no reformatting; without clang-format the check fails
# rather than pass with the layout unchecked.
# Run as: cmake -DROOT=<source tree> -DCLANG_FORMAT=<program> -P check_style.cmake
cmake_minimum_required(VERSION 3.25)

set(folders base joiner decoder downloader web server window_handlers app bench tests cmake scripts .ci)
set(sources ${ROOT}/CMakeLists.txt)
set(cpp_sources "")
foreach(folder ${folders})
    file(GLOB_RECURSE found ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.h.in
         ${ROOT}/${folder}/CMakeLists.txt ${ROOT}/${folder}/*.cmake ${ROOT}/${folder}/*.sh)
    list(APPEND sources ${found})
    file(GLOB_RECURSE found_cpp ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
    list(APPEND cpp_sources ${found_cpp})
endforeach()
list(APPEND sources ${ROOT}/.ci/run)

set(failures "")
foreach(source ${sources})
    file(STRINGS ${source} head LIMIT_COUNT 2)
    if(NOT head MATCHES "SPDX-License-Identifier: GPL-3.0-or-later")
        file(RELATIVE_PATH shown ${ROOT} ${source})
        list(APPEND failures "${shown}: no SPDX-License-Identifier line at the top")
    endif()
endforeach()

if(CLANG_FORMAT)
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${cpp_sources}
                    WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE formatted ERROR_VARIABLE report)
    if(NOT formatted EQUAL 0)
        list(APPEND failures "clang-format would change the layout:\n${report}")
    endif()
else()
    list(APPEND failures "clang-format is not installed: the layout cannot be checked")
endif()

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files carry their licence line and keep the layout")
