# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Run by CPack's External generator once it has staged the npm package's
# files: npm packs them as it would publish them, into tax2008-<version>.tgz.
execute_process(COMMAND npm pack --ignore-scripts --silent --pack-destination ${CPACK_TOPLEVEL_DIRECTORY}
    WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES ${CPACK_TOPLEVEL_DIRECTORY}/tax2008-${CPACK_PACKAGE_VERSION}.tgz)
