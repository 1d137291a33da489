# What cmake --install adds to the binary, share/quillcraft/ and the desktop entry
# (src/CMakeLists.txt): the hicolor icons, the AppStream metainfo and the documents a
# package carries. Included once from the top-level CMakeLists.txt.
set(QUILLCRAFT_APP_ID "org.quillcraft.quillcraft" CACHE STRING
    "AppStream component id (a reverse domain name); names the installed metainfo file")
set(QUILLCRAFT_PACKAGE_MAINTAINER "Quillcraft <packages@quillcraft.invalid>" CACHE STRING
    "Maintainer named in the Debian package and its changelog (Name <address>)")
set(QUILLCRAFT_SUMMARY "writing assistant that checks grammar in any text field")
# The day this version was released; move it together with the version in project().
set(QUILLCRAFT_RELEASE_DATE "2026-12-08")

set(QUILLCRAFT_PACKAGING_DIR "${CMAKE_BINARY_DIR}/packaging")
set(QUILLCRAFT_APP_ICON "${PROJECT_SOURCE_DIR}/resources/icons/quillcraft.svg")

# Menus and docks that do not scale SVG pick one of these sizes.
find_program(QUILLCRAFT_RSVG_CONVERT rsvg-convert)
if(NOT QUILLCRAFT_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the application icon; "
                        "run scripts/install-deps.")
endif()
set(QUILLCRAFT_ICON_PNGS)
foreach(size 16 22 24 32 48 64 128 256)
    set(folder "${QUILLCRAFT_PACKAGING_DIR}/icons/${size}x${size}")
    add_custom_command(OUTPUT "${folder}/quillcraft.png"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
        COMMAND "${QUILLCRAFT_RSVG_CONVERT}" --width ${size} --height ${size} --keep-aspect-ratio
                --format png --output "${folder}/quillcraft.png" "${QUILLCRAFT_APP_ICON}"
        DEPENDS "${QUILLCRAFT_APP_ICON}" VERBATIM)
    list(APPEND QUILLCRAFT_ICON_PNGS "${folder}/quillcraft.png")
    install(FILES "${folder}/quillcraft.png"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file("${PROJECT_SOURCE_DIR}/resources/quillcraft.metainfo.xml.in"
               "${QUILLCRAFT_PACKAGING_DIR}/${QUILLCRAFT_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${QUILLCRAFT_PACKAGING_DIR}/${QUILLCRAFT_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants the changelog compressed without a time stamp, so that builds repeat.
execute_process(COMMAND date -u -R -d "${QUILLCRAFT_RELEASE_DATE}"
                OUTPUT_VARIABLE QUILLCRAFT_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.in" "${QUILLCRAFT_PACKAGING_DIR}/changelog" @ONLY)
add_custom_command(OUTPUT "${QUILLCRAFT_PACKAGING_DIR}/changelog.gz"
    COMMAND gzip -9 -n -f -k "${QUILLCRAFT_PACKAGING_DIR}/changelog"
    DEPENDS "${QUILLCRAFT_PACKAGING_DIR}/changelog" VERBATIM)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" "${QUILLCRAFT_PACKAGING_DIR}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillcraft)

# The manual page is written by running the built program, so only release builds make it
# (a sanitizer build would report at exit and fail the build).
if(NOT QUILLCRAFT_DEVELOPMENT AND NOT QUILLCRAFT_SANITIZE AND NOT QUILLCRAFT_SANITIZE_THREAD)
    find_program(QUILLCRAFT_HELP2MAN help2man)
    if(NOT QUILLCRAFT_HELP2MAN)
        message(FATAL_ERROR "help2man writes the manual page of release builds; run scripts/install-deps.")
    endif()
    set(QUILLCRAFT_MANUAL "${QUILLCRAFT_PACKAGING_DIR}/man/quillcraft.1.gz")
    add_custom_command(OUTPUT "${QUILLCRAFT_MANUAL}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${QUILLCRAFT_PACKAGING_DIR}/man"
        COMMAND ${CMAKE_COMMAND} "-DPROGRAM=$<TARGET_FILE:quillcraft>" "-DVERSION=${PROJECT_VERSION}"
                "-DSUMMARY=${QUILLCRAFT_SUMMARY}" "-DOUTPUT=${QUILLCRAFT_MANUAL}"
                -P "${PROJECT_SOURCE_DIR}/cmake/QuillcraftManPage.cmake"
        DEPENDS quillcraft "${PROJECT_SOURCE_DIR}/cmake/QuillcraftManPage.cmake" VERBATIM)
    add_custom_target(quillcraft_manual ALL DEPENDS "${QUILLCRAFT_MANUAL}")
    install(FILES "${QUILLCRAFT_MANUAL}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

add_custom_target(quillcraft_install_files ALL DEPENDS ${QUILLCRAFT_ICON_PNGS}
                                                       "${QUILLCRAFT_PACKAGING_DIR}/changelog.gz")
