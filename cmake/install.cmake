# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# How the project installs its files.

# Directories made by the installation are rwxr-xr-x whatever the umask, so
# that the packages are the same wherever they are built.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Installs `file` (a path relative to the current source directory, or
# absolute), compressed as Debian wants it (no name or time stamp in the gzip
# header), into `destination`.
function(tax2008_install_gzipped file destination)
    get_filename_component(name ${file} NAME)
    get_filename_component(path ${file} ABSOLUTE)
    add_custom_command(OUTPUT ${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${path} ${name}
        COMMAND gzip -9nf ${name}
        DEPENDS ${path} VERBATIM)
    add_custom_target(gzip_${name} ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${destination})
endfunction()
