# Read by CPack before it builds a package: every time stamp in the package
# (archive members, the strip of a Windows program) is SOURCE_DATE_EPOCH when
# it is set, else the time of the changelog's newest entry.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TAX2008_CHANGELOG_EPOCH})
endif()
