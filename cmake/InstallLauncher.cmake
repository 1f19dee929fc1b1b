# Part of `cmake --install`: the launcher from ${tuftle_launcher_template}, its Exec the program
# where this install puts it, quoted and escaped as desktop entries want.
foreach(dir bindir datadir)
  if(IS_ABSOLUTE "${tuftle_${dir}}")
    set(${dir} "${tuftle_${dir}}")
  else()
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${tuftle_${dir}}")
  endif()
endforeach()
set(program "${bindir}/tuftle")
if(program MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" program "${program}")
  set(program "\"${program}\"")
endif()
# The file's own escapes: a backslash doubled, a percent sign written twice so it is no field code.
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "%" "%%" TUFTLE_EXEC "${program}")
# Written straight into the destination: the build tree may be another user's.
set(launcher "${datadir}/applications/tuftle.desktop")
message(STATUS "Installing: $ENV{DESTDIR}${launcher}")
configure_file("${tuftle_launcher_template}" "$ENV{DESTDIR}${launcher}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${launcher}")
