# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack before it builds the Debian packages (CPACK_PRE_BUILD_SCRIPTS):
# puts the libraries that each component's staged ELF files link, as
# dpkg-shlibdeps names them, in front of that component's package's Depends.
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

# The ELF files staged for one component (one package), in its own folder.
function(vexo_staged_elf_files component out)
    file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/${component}/*")
    set(elf_files "")
    foreach(file ${staged})
        if(NOT IS_SYMLINK "${file}")
            file(READ "${file}" magic LIMIT 4 HEX)
            if(magic STREQUAL "7f454c46")
                list(APPEND elf_files "${file}")
            endif()
        endif()
    endforeach()
    set(${out} "${elf_files}" PARENT_SCOPE)
endfunction()

# dpkg-shlibdeps wants a debian/control in its working folder; this one
# lies outside the staged tree, so it is not packaged.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control" "")
foreach(component ${CPACK_COMPONENTS_ALL})
    vexo_staged_elf_files(${component} elf_files)
    if(NOT elf_files)
        message(FATAL_ERROR "no ELF files staged in ${CPACK_TEMPORARY_DIRECTORY}/${component}")
    endif()
    execute_process(COMMAND ${VEXO_DPKG_SHLIBDEPS} -O ${elf_files}
                    WORKING_DIRECTORY "${work}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]+)")
        message(FATAL_ERROR "dpkg-shlibdeps failed for ${component} (${result}):\n${errors}${output}")
    endif()
    set(linked "${CMAKE_MATCH_1}")
    string(TOUPPER ${component} upper)
    set(depends CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS)
    if(${depends})
        set(${depends} "${linked}, ${${depends}}")
    else()
        set(${depends} "${linked}")
    endif()
    if(errors)
        message(STATUS "dpkg-shlibdeps for ${component}: ${errors}")
    endif()
endforeach()
file(REMOVE_RECURSE "${work}")
