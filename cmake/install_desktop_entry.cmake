# Runs at install time, when the final prefix is known (cmake --install
# --prefix may name another one than the build was configured with): writes
# the desktop entry with an Exec line that starts the installed program.
#
# In: QUILL_DESKTOP_TEMPLATE (the .desktop.in), QUILL_DESKTOP_STAGING (where the
# filled-in file is written before it is installed).

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(program "${prefix}/bin/quillarbor")

# The desktop-entry rules for Exec: an argument with a reserved character goes
# in double quotes, inside which " ` $ \ take a backslash; the value is then a
# string, whose own escaping doubles every backslash; % is doubled as a field
# code would otherwise begin.
if(program MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" quoted "${program}")
    string(REPLACE "\"" "\\\"" quoted "${quoted}")
    string(REPLACE "`" "\\`" quoted "${quoted}")
    string(REPLACE "$" "\\$" quoted "${quoted}")
    set(quoted "\"${quoted}\"")
    string(REPLACE "\\" "\\\\" quoted "${quoted}")
else()
    set(quoted "${program}")
endif()
string(REPLACE "%" "%%" quoted "${quoted}")
string(REPLACE "\n" "\\n" quoted "${quoted}")
string(REPLACE "\t" "\\t" quoted "${quoted}")
set(QUILL_DESKTOP_EXEC "${quoted}")

configure_file("${QUILL_DESKTOP_TEMPLATE}" "${QUILL_DESKTOP_STAGING}" @ONLY)
file(INSTALL "${QUILL_DESKTOP_STAGING}" DESTINATION "${prefix}/share/applications")
