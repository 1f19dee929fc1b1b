# The resource bundle: localisation tables, images, the program's icon and the information property list,
# assembled beside the programs in the build tree.
set(TUFTLE_BUNDLE_NAME Tuftle_Tuftle.bundle)
set(TUFTLE_BUNDLE_DIR ${CMAKE_BINARY_DIR}/${TUFTLE_BUNDLE_NAME})

# The cache values go into XML: an address with "&" must not break the property list.
foreach(var TUFTLE_UPDATE_FEED_URL TUFTLE_UPDATE_PUBLIC_KEY)
  string(REPLACE "&" "&amp;" ${var}_XML "${${var}}")
  string(REPLACE "<" "&lt;" ${var}_XML "${${var}_XML}")
  string(REPLACE ">" "&gt;" ${var}_XML "${${var}_XML}")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/resources/Info.plist.in ${CMAKE_BINARY_DIR}/Info.plist @ONLY)

file(GLOB_RECURSE TUFTLE_RESOURCE_FILES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/resources/*.lproj/*
     ${CMAKE_SOURCE_DIR}/resources/Assets/*
     ${CMAKE_SOURCE_DIR}/resources/icons/*)

set(TUFTLE_BUNDLE_STAMP ${CMAKE_BINARY_DIR}/bundle.stamp)
add_custom_command(
  OUTPUT ${TUFTLE_BUNDLE_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TUFTLE_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TUFTLE_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/zh-Hans.lproj ${TUFTLE_BUNDLE_DIR}/zh-Hans.lproj
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/en.lproj ${TUFTLE_BUNDLE_DIR}/en.lproj
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/Assets ${TUFTLE_BUNDLE_DIR}/Assets
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/icons ${TUFTLE_BUNDLE_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/Info.plist ${TUFTLE_BUNDLE_DIR}/Info.plist
  COMMAND ${CMAKE_COMMAND} -E touch ${TUFTLE_BUNDLE_STAMP}
  DEPENDS ${TUFTLE_RESOURCE_FILES} ${CMAKE_BINARY_DIR}/Info.plist
  COMMENT "Assembling ${TUFTLE_BUNDLE_NAME}")
add_custom_target(tuftle_bundle ALL DEPENDS ${TUFTLE_BUNDLE_STAMP})

# The program looks for it relative to its own folder (platform/program/ResourceBundle.cpp), so an
# installed tree can be moved as a whole.
set(TUFTLE_BUNDLE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/tuftle)
install(DIRECTORY ${TUFTLE_BUNDLE_DIR} DESTINATION ${TUFTLE_BUNDLE_INSTALL_DIR})
