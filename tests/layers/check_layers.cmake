# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Checks the include rules of the source tree:
#  - a quoted include names a file by its path from the repository root
#    (or from the build tree, for generated headers);
#  - a folder includes only from the floors it may build on;
#  - the ground floor declares no view (a class named *View): each view
#    lives on the floor whose logic owns that part of the window.
# Run as: cmake -DROOT=<source tree> -DGENERATED=<build tree> -P check_layers.cmake

# The floors each top-level folder may include from, its own included.
set(allowed_base base)
set(allowed_joiner base joiner)
set(allowed_decoder base joiner decoder)
set(allowed_downloader base downloader)
set(allowed_web base downloader web)
set(allowed_server base joiner decoder server)
set(allowed_window_handlers base joiner decoder downloader web window_handlers)
set(allowed_app base joiner decoder downloader web window_handlers app)
set(allowed_bench base joiner decoder downloader web window_handlers app bench)
set(allowed_tests base joiner decoder downloader web server window_handlers app tests)

set(failures "")
foreach(folder base joiner decoder downloader web server window_handlers app bench tests)
    file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" included "${line}")
            if(NOT EXISTS ${ROOT}/${included} AND NOT EXISTS ${GENERATED}/${included})
                list(APPEND failures "${source}: \"${included}\" is not a path from the repository root")
                continue()
            endif()
            string(REGEX MATCH "^[^/]+" floor "${included}")
            if(NOT floor IN_LIST allowed_${folder})
                list(APPEND failures "${source}: ${folder}/ may not include \"${included}\" (${floor}/ is above it)")
            endif()
        endforeach()
    endforeach()
endforeach()

file(GLOB ground_headers RELATIVE ${ROOT} ${ROOT}/base/*.h)
foreach(header ${ground_headers})
    file(STRINGS ${ROOT}/${header} views REGEX "^[ \t]*(class|struct)[ \t]+[A-Za-z0-9_]*View([ \t:{]|$)")
    foreach(line ${views})
        list(APPEND failures "${header}: base/ may not declare a view, which belongs on its own floor (\"${line}\")")
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n" report)
    message(FATAL_ERROR "Include rules broken:\n${report}")
endif()
message(STATUS "Every include is rooted and stays on its floor or below; base/ declares no view")
