# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Which Debian packages the compiler links a library from, asked of dpkg, so
# that notices and bills name what a program was really built from.

# `var`: "<package>;<version>;<source>;<source version>;<architecture>" of the
# package holding the file linked for `library` (libc.a, ...), or "".
function(tax2008_linked_package library var)
    set(${var} "" PARENT_SCOPE)
    set(target_options "")
    if(CMAKE_CXX_COMPILER_TARGET)
        list(APPEND target_options --target=${CMAKE_CXX_COMPILER_TARGET})
    endif()
    if(CMAKE_SYSROOT)
        list(APPEND target_options --sysroot=${CMAKE_SYSROOT})
    endif()
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${target_options} -print-file-name=${library}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        return()
    endif()
    file(REAL_PATH ${path} path)
    execute_process(COMMAND dpkg-query -S ${path} OUTPUT_VARIABLE owner RESULT_VARIABLE status ERROR_QUIET)
    if(NOT status EQUAL 0 OR NOT owner MATCHES "^([^, ]+): /")
        return()
    endif()
    execute_process(
        COMMAND dpkg-query -W "-f=\${Package};\${Version};\${source:Package};\${source:Version};\${Architecture}"
            ${CMAKE_MATCH_1}
        OUTPUT_VARIABLE package RESULT_VARIABLE status)
    if(status EQUAL 0)
        set(${var} "${package}" PARENT_SCOPE)
    endif()
endfunction()

# `var`: the licence of what the programs take from the source package
# `source`, as licences.txt gives it, once the copyright file of `package`
# says each of its phrases; else the build stops.
function(tax2008_source_licence source package var)
    file(STRINGS ${TAX2008_LICENCES_TABLE} row REGEX "^([^\t]*,)?${source}(,[^\t]*)?\t")
    if(NOT row)
        message(FATAL_ERROR "${source}, which ${package} is built from, is not in ${TAX2008_LICENCES_TABLE}: "
            "read its licence from /usr/share/doc/${package}/copyright and add it")
    endif()
    string(REPLACE "\t" ";" row "${row}")
    list(POP_FRONT row _ licence phrases)
    file(READ /usr/share/doc/${package}/copyright copyright)
    string(REPLACE "|" ";" phrases "${phrases}")
    foreach(phrase IN LISTS phrases)
        string(FIND "${copyright}" "${phrase}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "/usr/share/doc/${package}/copyright no longer says \"${phrase}\", on which the "
                "licence of ${source} in ${TAX2008_LICENCES_TABLE} rests: read it again")
        endif()
    endforeach()
    set(${var} "${licence}" PARENT_SCOPE)
endfunction()
set(TAX2008_LICENCES_TABLE ${CMAKE_CURRENT_LIST_DIR}/licences.txt)

# For the libraries named after `var`, sets `var` to a notice's lines, one a
# package; `sources_var` to the `apt-get source` arguments for their sources;
# `${var}_COPYRIGHTS` to "<source>=<copyright file>" a source package; and
# `${var}_COMPONENTS` to "<package>|<version>|<source>|<source
# version>|<architecture>|<licence>" a package, for the bills.
function(tax2008_linked_packages_notice var sources_var)
    set(lines "")
    set(names "")
    set(sources "")
    set(copyrights "")
    set(components "")
    foreach(library IN LISTS ARGN)
        tax2008_linked_package(${library} package)
        if(NOT package)
            message(WARNING "dpkg does not know where ${library} comes from: the notices do not name its package")
            continue()
        endif()
        list(POP_FRONT package name version source source_version architecture)
        if(name IN_LIST names)
            continue()
        endif()
        list(APPEND names ${name})
        string(APPEND lines "- ${name} ${version}, from the source package ${source} ${source_version}\n")
        tax2008_source_licence(${source} ${name} licence)
        list(APPEND components "${name}|${version}|${source}|${source_version}|${architecture}|${licence}")
        if(NOT "${source}=${source_version}" IN_LIST sources)
            list(APPEND sources "${source}=${source_version}")
            if(EXISTS /usr/share/doc/${name}/copyright)
                list(APPEND copyrights "${source}=/usr/share/doc/${name}/copyright")
            endif()
        endif()
    endforeach()
    string(STRIP "${lines}" lines)
    list(JOIN sources " " sources)
    set(${var} "${lines}" PARENT_SCOPE)
    set(${sources_var} "${sources}" PARENT_SCOPE)
    set(${var}_COPYRIGHTS "${copyrights}" PARENT_SCOPE)
    set(${var}_COMPONENTS "${components}" PARENT_SCOPE)
endfunction()
