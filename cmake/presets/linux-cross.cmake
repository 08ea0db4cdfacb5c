# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Writes linux-cross.json, the presets of every architecture in
# cmake/architectures.txt, from its row (CMake's presets cannot loop):
#
#   cmake -P cmake/presets/linux-cross.cmake [-D OUTPUT=file]
#
# (-D before -P). CI writes it afresh and fails where the committed file
# differs.
if(NOT OUTPUT)
    set(OUTPUT ${CMAKE_CURRENT_LIST_DIR}/linux-cross.json)
endif()

file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../architectures.txt rows REGEX "^[^#]")
set(separator ",\n    ")
foreach(row IN LISTS rows)
    if(NOT row MATCHES "^([^ ]+) +([^ ]+) +[^ ]+ +[^ ]+ +(yes|no) +(.+)$")
        message(FATAL_ERROR "cmake/architectures.txt: not a row of six columns: ${row}")
    endif()
    set(arch ${CMAKE_MATCH_1})
    set(triplet ${CMAKE_MATCH_2})
    set(named "${CMAKE_MATCH_4}")
    # The tarball of the static program, and where the row says so the RPM
    # of it too (the static packages' generators); the tarball alone else.
    if(CMAKE_MATCH_3 STREQUAL yes)
        set(packages "tarball and the RPM")
        set(generators "")
    else()
        set(packages "tarball")
        set(generators ", \"generators\": [\"TGZ\"]")
    endif()
    string(APPEND configure "${configure_separator}"
        "{\"name\": \"${arch}-target\", \"hidden\": true, \"toolchainFile\": \"\${sourceDir}/cmake/cross.cmake\", \"cacheVariables\": {\"TAX2008_TRIPLET\": \"${triplet}\"}}${separator}"
        "{\"name\": \"${arch}\", \"inherits\": [\"test\", \"${arch}-target\"], \"displayName\": \"${named}, tested under qemu-user\"}${separator}"
        "{\"name\": \"${arch}-package\", \"inherits\": [\"package-static\", \"${arch}-target\"], \"displayName\": \"The ${packages} of the fully static program for ${named}\"}")
    string(APPEND build "${build_separator}"
        "{\"name\": \"${arch}\", \"configurePreset\": \"${arch}\"}${separator}"
        "{\"name\": \"${arch}-package\", \"configurePreset\": \"${arch}-package\"}")
    string(APPEND test "${test_separator}"
        "{\"name\": \"${arch}\", \"inherits\": \"test\", \"configurePreset\": \"${arch}\"}")
    string(APPEND package "${package_separator}"
        "{\"name\": \"${arch}-package\", \"inherits\": \"package-static\", \"configurePreset\": \"${arch}-package\"${generators}}")
    foreach(kind IN ITEMS "" -package)
        set(steps)
        foreach(step_type IN ITEMS configure build)
            string(APPEND steps "{\"type\": \"${step_type}\", \"name\": \"${arch}${kind}\"}, ")
        endforeach()
        if(kind STREQUAL "")
            set(name ${arch}-test)
            set(words "Build for ${named} and run the test suite under qemu-user")
            string(APPEND steps "{\"type\": \"test\", \"name\": \"${arch}\"}")
        else()
            set(name ${arch}-package)
            set(words "Build the ${packages} for ${named} into build/")
            string(APPEND steps "{\"type\": \"package\", \"name\": \"${arch}-package\"}")
        endif()
        string(APPEND workflow "${workflow_separator}"
            "{\"name\": \"${name}\", \"displayName\": \"${words}\", \"steps\": [${steps}]}")
        set(workflow_separator "${separator}")
    endforeach()
    foreach(section IN ITEMS configure build test package)
        set(${section}_separator "${separator}")
    endforeach()
endforeach()

file(WRITE ${OUTPUT} "{
  \"version\": 6,
  \"include\": [\"common.json\"],
  \"configurePresets\": [
    ${configure}
  ],
  \"buildPresets\": [
    ${build}
  ],
  \"testPresets\": [
    ${test}
  ],
  \"packagePresets\": [
    ${package}
  ],
  \"workflowPresets\": [
    ${workflow}
  ]
}
")
