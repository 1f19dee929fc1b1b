# Part of `cmake --install`: the launcher from ${tuftle_launcher_template}, its Exec the program
# where this install puts it, quoted and escaped as desktop entries want.
set(program "${CMAKE_INSTALL_PREFIX}/bin/tuftle")
if(program MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" program "${program}")
  set(program "\"${program}\"")
endif()
# The file's own escapes: a backslash doubled, a percent sign written twice so it is no field code.
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "%" "%%" TUFTLE_EXEC "${program}")
configure_file("${tuftle_launcher_template}" "${tuftle_launcher_staging}/tuftle.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
  FILES "${tuftle_launcher_staging}/tuftle.desktop")
