# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Run by CPack after it has built a package, before its checksum: evens out
# what the staging leaves, the order and owners of a tarball's members, the
# modes of a .deb's, and a zip's local times and owners.
set(epoch $ENV{SOURCE_DATE_EPOCH})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.tar\\.gz$")
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
