# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Run by CPack after it has built a package, before it writes the checksum:
# makes the package the same bytes wherever and by whomever it is built. Its
# time stamps come from package_config.cmake and its directories' modes from
# package_staging.cmake; this evens out the rest: the members' order and owners
# in a tarball, the modes of the ar members of a .deb, and the times (in local
# time) and owner fields of a zip.
set(epoch $ENV{SOURCE_DATE_EPOCH})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.tar\\.gz$")
        # Written again from the files CPack packed, in name order, owned by root.
        execute_process(
            COMMAND tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
                --mtime=@${epoch} --mode=u+w,go-w,a+rX -C ${CPACK_TOPLEVEL_DIRECTORY} ${CPACK_PACKAGE_FILE_NAME}
            COMMAND gzip -9n
            OUTPUT_FILE ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "\\.deb$")
        execute_process(COMMAND strip-nondeterminism --normalizers=+ar --type ar --timestamp ${epoch} ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "\\.zip$")
        execute_process(COMMAND strip-nondeterminism --type zip --timestamp ${epoch} ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
