# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack before it builds the Debian packages (CPACK_PRE_BUILD_SCRIPTS):
# dates them by the latest entry of the Debian changelog, so that two builds
# of one version give the same bytes whenever they are made.
#
# CPack gives every file and archive member the time in SOURCE_DATE_EPOCH
# when that is set; otherwise each would carry the time it was built. A
# SOURCE_DATE_EPOCH that the caller set wins, as reproducible builds agree.

if(NOT CPACK_GENERATOR STREQUAL "DEB" OR DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()

# The entry's trailer line: " -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000".
file(STRINGS "${CPACK_VEXO_CHANGELOG}" trailers REGEX "^ -- .*>  .+$")
if(NOT trailers)
    message(FATAL_ERROR "no entry with a date in ${CPACK_VEXO_CHANGELOG}")
endif()
list(GET trailers 0 latest)
string(REGEX REPLACE "^.*>  " "" date "${latest}")
execute_process(COMMAND date -u -d "${date}" +%s
                RESULT_VARIABLE result OUTPUT_VARIABLE epoch ERROR_VARIABLE errors
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "cannot read the date \"${date}\" of ${CPACK_VEXO_CHANGELOG}'s latest entry: ${errors}")
endif()
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
