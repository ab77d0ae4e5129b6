# Installing the module: liboc with a versioned SONAME, its public headers with every
# platform header they include (one folder, include/oc), octool, a CMake package
# (find_package(oc CONFIG) gives oc::oc) and a pkg-config file (oc.pc).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# oc_public_header_closure(<out>): the headers of include/ and every header of ours
# they include, directly or not, as absolute paths.
function(oc_public_header_closure out)
  file(GLOB search_dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/platform/*)
  list(FILTER search_dirs EXCLUDE REGEX "\\.txt$")
  list(PREPEND search_dirs ${PROJECT_SOURCE_DIR}/include)
  file(GLOB pending ${PROJECT_SOURCE_DIR}/include/*.h)
  set(found "")
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    list(APPEND found ${header})
    file(STRINGS ${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" name "${line}")
      foreach(dir IN LISTS search_dirs)
        if(EXISTS ${dir}/${name})
          list(APPEND pending ${dir}/${name})
          break()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

set(OC_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/oc)
set(OC_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/oc)

oc_public_header_closure(oc_headers)
install(FILES ${oc_headers} DESTINATION ${OC_INSTALL_INCLUDEDIR})

install(TARGETS oc EXPORT ocTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${OC_INSTALL_INCLUDEDIR})
install(EXPORT ocTargets NAMESPACE oc:: DESTINATION ${OC_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ocConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/ocConfig.cmake
                              INSTALL_DESTINATION ${OC_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ocConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ocConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/ocConfigVersion.cmake
        DESTINATION ${OC_INSTALL_CMAKEDIR})

# The prefix relative to the .pc file, so that the installed tree can move.
file(RELATIVE_PATH OC_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" OC_PC_TO_PREFIX "${OC_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/oc.pc.in ${CMAKE_CURRENT_BINARY_DIR}/oc.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/oc.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# octool finds liboc beside it, wherever the prefix is moved.
file(RELATIVE_PATH octool_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(octool PROPERTIES INSTALL_RPATH "$ORIGIN/${octool_to_lib}")
install(TARGETS octool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
