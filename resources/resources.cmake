# Copies the icons and the pinned Geist font into the resource folder. Included once
# from src/views/CMakeLists.txt; defines the target quillcraft_resources.
set(QUILLCRAFT_RESOURCES_SOURCE "${PROJECT_SOURCE_DIR}/resources")
set(QUILLCRAFT_GEIST_PACKAGE "${QUILLCRAFT_RESOURCES_SOURCE}/node_modules/@fontsource/geist")
if(NOT EXISTS "${QUILLCRAFT_GEIST_PACKAGE}/package.json")
    message(FATAL_ERROR "The Geist font is not installed in resources/node_modules; run scripts/install-deps "
                        "(it runs npm ci in resources/).")
endif()

set(QUILLCRAFT_ICON_NAMES arrow-right x check-circle text-aa sparkle hand-palm quillcraft)
# The rewrite card's failure row.
list(APPEND QUILLCRAFT_ICON_NAMES warning-circle)
set(QUILLCRAFT_RESOURCE_OUTPUTS)
foreach(icon IN LISTS QUILLCRAFT_ICON_NAMES)
    set(source "${QUILLCRAFT_RESOURCES_SOURCE}/icons/${icon}.svg")
    set(target "${QUILLCRAFT_RESOURCE_DIR}/icons/${icon}.svg")
    add_custom_command(OUTPUT "${target}"
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${target}"
        DEPENDS "${source}" VERBATIM)
    list(APPEND QUILLCRAFT_RESOURCE_OUTPUTS "${target}")
endforeach()

# Only the normal-style Latin files of the weights the views use.
foreach(weight 400 500 600 700)
    set(source "${QUILLCRAFT_GEIST_PACKAGE}/files/geist-latin-${weight}-normal.woff2")
    set(target "${QUILLCRAFT_RESOURCE_DIR}/fonts/geist-latin-${weight}-normal.woff2")
    add_custom_command(OUTPUT "${target}"
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${target}"
        DEPENDS "${source}" "${QUILLCRAFT_RESOURCES_SOURCE}/package-lock.json" VERBATIM)
    list(APPEND QUILLCRAFT_RESOURCE_OUTPUTS "${target}")
endforeach()
# The font's licence travels with it.
add_custom_command(OUTPUT "${QUILLCRAFT_RESOURCE_DIR}/fonts/Geist-LICENSE.txt"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${QUILLCRAFT_GEIST_PACKAGE}/LICENSE"
            "${QUILLCRAFT_RESOURCE_DIR}/fonts/Geist-LICENSE.txt"
    DEPENDS "${QUILLCRAFT_GEIST_PACKAGE}/LICENSE" VERBATIM)
list(APPEND QUILLCRAFT_RESOURCE_OUTPUTS "${QUILLCRAFT_RESOURCE_DIR}/fonts/Geist-LICENSE.txt")

add_custom_target(quillcraft_resources ALL DEPENDS ${QUILLCRAFT_RESOURCE_OUTPUTS})
