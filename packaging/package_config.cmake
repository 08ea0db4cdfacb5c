# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Read by CPack before it builds a package: every time stamp in the package
# (archive members, the strip of a Windows program) is SOURCE_DATE_EPOCH when
# it is set, else the time of the changelog's newest entry, worked out here
# rather than by a `date` that not every system's understands.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()

# The entry's trailer: " -- name <address>  Tue, 08 Dec 2026 12:00:00 +0000".
file(STRINGS ${CPACK_TAX2008_CHANGELOG} trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([-+])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "${CPACK_TAX2008_CHANGELOG}: no date in the newest entry's trailer: ${trailer}")
endif()
set(day ${CMAKE_MATCH_1})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
set(year ${CMAKE_MATCH_3})
math(EXPR seconds "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
math(EXPR offset "${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")

# Days since 1970-01-01 of a date in the Gregorian calendar, counted in years
# that begin on 1 March, so that the leap day ends a year.
math(EXPR shifted_month "(${month} + 10) % 12") # March 0, ..., February 11
math(EXPR shifted_year "${year} - ${shifted_month} / 10")
math(EXPR days "${shifted_year} * 365 + ${shifted_year} / 4 - ${shifted_year} / 100 + ${shifted_year} / 400
    + (153 * ${shifted_month} + 2) / 5 + ${day} - 1 - 719468")
math(EXPR epoch "${days} * 86400 + ${seconds} - ${offset}")
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
