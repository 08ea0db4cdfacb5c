# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Read by CPack for each package, before it installs anything.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_TAX2008_DEBIAN_PACKAGE)
    message(FATAL_ERROR "A Debian package needs its copyright and changelog: configure with "
        "-DTAX2008_DEBIAN_PACKAGE=ON (the preset `package` does)")
endif()

# Every time in a package is SOURCE_DATE_EPOCH, else the changelog's newest.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND dpkg-parsechangelog -l ${CPACK_TAX2008_CHANGELOG} -STimestamp
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed OR NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "dpkg-parsechangelog (apt-get install dpkg-dev) gave no time for "
            "${CPACK_TAX2008_CHANGELOG}; or set SOURCE_DATE_EPOCH")
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
