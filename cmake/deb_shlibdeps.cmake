# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack before it builds the Debian package (CPACK_PRE_BUILD_SCRIPTS):
# puts the libraries that the staged ELF files link, as dpkg-shlibdeps
# names them, in front of the package's Depends.
#
# CPack can run dpkg-shlibdeps itself (CPACK_DEBIAN_PACKAGE_SHLIBDEPS), but
# then also writes postinst and postrm scripts calling ldconfig whenever a
# shared object lies below /usr/lib, as the web module does in its private
# folder; ld.so never searches that folder, so the calls would be useless.

if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

find_program(VEXO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT VEXO_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps (package dpkg-dev) is needed to fill in the package's dependencies")
endif()

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(elf_files "")
foreach(file ${staged})
    if(NOT IS_SYMLINK "${file}")
        file(READ "${file}" magic LIMIT 4 HEX)
        if(magic STREQUAL "7f454c46")
            list(APPEND elf_files "${file}")
        endif()
    endif()
endforeach()
if(NOT elf_files)
    message(FATAL_ERROR "no ELF files staged in ${CPACK_TEMPORARY_DIRECTORY}")
endif()

# dpkg-shlibdeps wants a debian/control in its working folder; this one
# lies outside the staged tree, so it is not packaged.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${VEXO_DPKG_SHLIBDEPS} -O ${elf_files}
                WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE "${work}")
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps failed (${result}):\n${errors}${output}")
endif()
set(linked "${CMAKE_MATCH_1}")
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${linked}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${linked}")
endif()
if(errors)
    message(STATUS "dpkg-shlibdeps: ${errors}")
endif()
