# chess3d_desktop_exec(PATH OUT): PATH as the program of a desktop entry's Exec line. A path with a
# character that the entry's command line reserves (a space in a folder's name) is quoted, its
# '"', '`', '$' and '\' escaped, and each backslash doubled again because the value is a string;
# '%' is written '%%' in any case (Desktop Entry Specification, "The Exec key").
function(chess3d_desktop_exec path out)
    string(REPLACE "%" "%%" exec "${path}")
    string(REGEX MATCH "[ \t\"'\\\\<>~|&;$*?#`()]" reserved "${exec}")
    if(reserved)
        string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
        foreach(special "\"" "`" "$")
            string(REPLACE "${special}" "\\\\${special}" exec "${exec}")
        endforeach()
        set(exec "\"${exec}\"")
    endif()
    set(${out} "${exec}" PARENT_SCOPE)
endfunction()
