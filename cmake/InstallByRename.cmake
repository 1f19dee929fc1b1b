# Part of `cmake --install`: the program and its modules were installed into
# ${tuftle_install_staging}; each is renamed over the file of its name beside, in the order of
# ${tuftle_installed_files}. A running program keeps the files it mapped, whole, where copying
# over them in place would change its code under it.
if(IS_ABSOLUTE "${tuftle_install_staging}")
  set(staging "$ENV{DESTDIR}${tuftle_install_staging}")
else()
  set(staging "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${tuftle_install_staging}")
endif()
get_filename_component(destination "${staging}" DIRECTORY)
get_filename_component(staging_name "${staging}" NAME)
foreach(name IN LISTS tuftle_installed_files)
  message(STATUS "Renaming: ${destination}/${name}")
  file(RENAME "${staging}/${name}" "${destination}/${name}")
endforeach()
file(REMOVE_RECURSE "${staging}")
string(REPLACE "." "\\." staging_pattern "/${staging_name}/")
list(TRANSFORM CMAKE_INSTALL_MANIFEST_FILES REPLACE "${staging_pattern}" "/")
