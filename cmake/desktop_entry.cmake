# Run at install time (the prefix may be given only then, cmake --install --prefix): writes
# LOOKOUT_ENTRY, the desktop entry whose Exec= is the installed program's path, so the menu
# starts it wherever it went, whatever the session's PATH. Quoted and escaped as desktop
# entries want it: a prefix may hold blanks, quotes, "$" or "%".
set(exec "${CMAKE_INSTALL_PREFIX}/bin/lookout")
string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
string(REPLACE "\"" "\\\\\"" exec "${exec}")
string(REPLACE "`" "\\\\`" exec "${exec}")
string(REPLACE "$" "\\\\$" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
file(READ "${CMAKE_CURRENT_LIST_DIR}/../resources/lookout.desktop" entry)
string(REPLACE "Exec=lookout" "Exec=\"${exec}\"" entry "${entry}")
file(WRITE "${LOOKOUT_ENTRY}" "${entry}")
