# cmake -DPROGRAM=… -DVERSION=… -DSUMMARY=… -DOUTPUT=….1.gz -P QuillcraftManPage.cmake
# Writes the manual page from the program's own --help and each mode's, so it never says
# something the program does not.
foreach(variable PROGRAM VERSION SUMMARY OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "QuillcraftManPage.cmake needs -D${variable}=…")
    endif()
endforeach()
find_program(HELP2MAN help2man REQUIRED)

get_filename_component(folder "${OUTPUT}" DIRECTORY)
set(include_file "${folder}/quillcraft-modes.h2m")
set(sections "")
foreach(mode check rewrite inspect)
    execute_process(COMMAND "${PROGRAM}" ${mode} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "quillcraft ${mode} --help failed while writing the manual page.")
    endif()
    # Kept as the program prints it; backslashes and lines starting with a control character
    # would otherwise be read as roff requests.
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    string(TOUPPER "${mode}" title)
    string(APPEND sections "[QUILLCRAFT ${title}]\n.nf\n${help}.fi\n\n")
endforeach()
file(WRITE "${include_file}" "${sections}")

get_filename_component(page "${OUTPUT}" NAME_WLE)
execute_process(
    COMMAND "${HELP2MAN}" --no-info --no-discard-stderr --section=1 "--version-string=${VERSION}"
            "--name=${SUMMARY}" "--include=${include_file}" "--output=${folder}/${page}" "${PROGRAM}"
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND gzip -9 -n -f "${folder}/${page}" COMMAND_ERROR_IS_FATAL ANY)
