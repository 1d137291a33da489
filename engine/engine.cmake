# Builds the grammar engine's files into the resource folder. Included once from
# src/grammar/CMakeLists.txt; defines the target quillcraft_engine.
set(QUILLCRAFT_ENGINE_DIR "${PROJECT_SOURCE_DIR}/engine")
find_program(QUILLCRAFT_NODE node)
if(NOT QUILLCRAFT_NODE)
    message(FATAL_ERROR "Node.js is needed to build the grammar engine; run scripts/install-deps.")
endif()
foreach(package harper.js esbuild)
    if(NOT EXISTS "${QUILLCRAFT_ENGINE_DIR}/node_modules/${package}/package.json")
        message(FATAL_ERROR "engine/node_modules/${package} is missing; run scripts/install-deps "
                            "(it runs npm ci in engine/).")
    endif()
endforeach()

set(QUILLCRAFT_ENGINE_FILES
    "${QUILLCRAFT_RESOURCE_DIR}/harper.wasm"
    "${QUILLCRAFT_RESOURCE_DIR}/harper-prelude.js"
    "${QUILLCRAFT_RESOURCE_DIR}/harper-bridge.js"
    "${QUILLCRAFT_RESOURCE_DIR}/harper-LICENSE.txt")
add_custom_command(
    OUTPUT ${QUILLCRAFT_ENGINE_FILES}
    COMMAND "${QUILLCRAFT_NODE}" "${QUILLCRAFT_ENGINE_DIR}/build.js" "${QUILLCRAFT_RESOURCE_DIR}"
    DEPENDS
        "${QUILLCRAFT_ENGINE_DIR}/build.js"
        "${QUILLCRAFT_ENGINE_DIR}/polyfills.js"
        "${QUILLCRAFT_ENGINE_DIR}/harper-bridge.js"
        "${QUILLCRAFT_ENGINE_DIR}/package-lock.json"
        "${QUILLCRAFT_ENGINE_DIR}/node_modules/harper.js/package.json"
        "${QUILLCRAFT_ENGINE_DIR}/node_modules/esbuild/package.json"
    WORKING_DIRECTORY "${QUILLCRAFT_ENGINE_DIR}"
    COMMENT "Building the grammar engine's files"
    VERBATIM)
add_custom_target(quillcraft_engine ALL DEPENDS ${QUILLCRAFT_ENGINE_FILES})
