# Which Debian packages the compiler links a library from, asked of the
# build machine's dpkg, so that notices and bills of materials name what a
# program was really built from.

# Sets `var` to "<package> <version> <source package> <source version>" of
# the Debian package that holds the file the compiler links for `library`
# (libc.a, libstdc++.a, ...), or to "" where dpkg does not know it.
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
    if(NOT status EQUAL 0 OR NOT owner MATCHES "^([^:, ]+)")
        return()
    endif()
    execute_process(COMMAND dpkg-query -W "-f=\${Package} \${Version} \${source:Package} \${source:Version}"
        ${CMAKE_MATCH_1} OUTPUT_VARIABLE package RESULT_VARIABLE status)
    if(status EQUAL 0)
        set(${var} "${package}" PARENT_SCOPE)
    endif()
endfunction()

# Sets `var` to a notice's list of the packages that the libraries named
# after it were linked from, one "- <package> <version>, from the source
# package <source> <version>" a line, `sources_var` to the `apt-get source`
# arguments that fetch their sources, and `${var}_COPYRIGHTS` to Debian's
# copyright file of each source package, as "<source>=<path>".
function(tax2008_linked_packages_notice var sources_var)
    set(lines "")
    set(names "")
    set(sources "")
    set(copyrights "")
    foreach(library IN LISTS ARGN)
        tax2008_linked_package(${library} package)
        if(NOT package)
            message(WARNING "dpkg does not know where ${library} comes from: the notices do not name its package")
            continue()
        endif()
        string(REPLACE " " ";" fields "${package}")
        list(GET fields 0 name)
        list(GET fields 1 version)
        list(GET fields 2 source)
        list(GET fields 3 source_version)
        if(NOT name IN_LIST names)
            list(APPEND names ${name})
            string(APPEND lines "- ${name} ${version}, from the source package ${source} ${source_version}\n")
        endif()
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
endfunction()
