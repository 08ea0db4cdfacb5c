# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# The RPM of the static program, for any RPM distribution.

set(CPACK_RPM_FILE_NAME RPM-DEFAULT) # tax2008-<version>-1.<arch>.rpm
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_RPM_PACKAGE_LICENSE "${package_licence}")
set(CPACK_RPM_PACKAGE_GROUP "Applications/Productivity")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}

The program is linked statically, with the GNU C Library and GCC's C++
runtime in it, so it needs nothing of the system it is installed on.")
set(CPACK_PACKAGE_RELOCATABLE OFF)
# (A static program needs nothing, not even the loader's hash style.)
set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1)
set(docdir /usr/${CMAKE_INSTALL_DOCDIR})
set(CPACK_RPM_USER_FILELIST "%doc ${docdir}/README.md" "%license ${docdir}/LICENSE"
    "%license ${docdir}/THIRD-PARTY-NOTICES")
if(TAX2008_LGPL_2_1)
    list(APPEND CPACK_RPM_USER_FILELIST "%license ${docdir}/LGPL-2.1")
endif()

# The changelog's entries, headed "* Tue Dec 08 2026 <name> - <version>-1".
file(STRINGS changelog lines)
set(entries "")
set(items "")
foreach(line IN LISTS lines)
    if(line MATCHES "^tax2008 \\(([^)]+)\\)")
        set(entry_version ${CMAKE_MATCH_1})
    elseif(line MATCHES "^  \\* (.*)")
        string(APPEND items "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
        string(APPEND items "  ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ -- (.+)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
        string(APPEND entries "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} ${CMAKE_MATCH_1}"
            " - ${entry_version}-1\n${items}\n")
        set(items "")
    endif()
endforeach()
string(STRIP "${entries}" entries)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog "${entries}\n")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)

# rpmbuild changes nothing CPack installed (a host's strip cannot read a
# foreign program), links no build ID, and stamps SOURCE_DATE_EPOCH and a
# fixed host: the same bytes wherever built.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define __spec_install_post %{nil}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
