# What `cmake --install` puts into a prefix, and the packages cpack makes from
# the same rules.
#   Windows: bin/TavoIMG.dll; lib/TavoIMG.lib (Microsoft's import-library
#     format), lib/libTavoIMG.dll.a (MinGW's), lib/TavoIMG.def;
#     include/tavoimg/tavoimg.h; the MFC subset for MinGW's C++ hosts
#     (include/tavoimg/compat/afx.h, lib/libtavoimg-mfc.a). cpack:
#     TavoIMG-<version>-win32.zip or -win64.zip.
#   Linux: lib/libtavoimg.so.<major> and the stand-in and MFC subset beside it;
#     include/tavoimg/ (tavoimg.h, and compat/ with the stand-in's windows.h and
#     afx.h); the CMake package TavoIMG (target TavoIMG::TavoIMG); tavoimg.pc;
#     bin/tavoimg. cpack: a .deb and a .tar.gz.
# The header's version numbers are the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/tavoimg/tavoimg.h tav_header_version
     REGEX "^#define TAVIMG_VERSION_(MAJOR|MINOR|PATCH) ")
string(REGEX REPLACE "[^;]*_(MAJOR|MINOR|PATCH) ([0-9]+)[^;]*" "\\2" tav_header_version "${tav_header_version}")
string(REPLACE ";" "." tav_header_version "${tav_header_version}")
if(NOT tav_header_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "tavoimg.h says version ${tav_header_version}, the project ${PROJECT_VERSION}")
endif()

# The HTML reference of the header (Doxyfile), part of every build: a
# warning, such as an export without its comment block, fails it.
find_program(TAV_DOXYGEN doxygen)
set(TAV_REFERENCE_DIR ${PROJECT_BINARY_DIR}/doc)
if(TAV_DOXYGEN)
  add_custom_command(
    OUTPUT ${TAV_REFERENCE_DIR}/html/index.html
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TAV_REFERENCE_DIR}
    COMMAND ${CMAKE_COMMAND} -E env TAV_DOC_OUTPUT=${TAV_REFERENCE_DIR} TAV_DOC_VERSION=${PROJECT_VERSION}
            ${TAV_DOXYGEN} Doxyfile
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS ${PROJECT_SOURCE_DIR}/Doxyfile ${PROJECT_SOURCE_DIR}/include/tavoimg/tavoimg.h
            ${PROJECT_SOURCE_DIR}/docs/host-guide/reference.md
    COMMENT "HTML reference of tavoimg.h"
    VERBATIM)
  add_custom_target(doc ALL DEPENDS ${TAV_REFERENCE_DIR}/html/index.html)
else()
  message(WARNING "doxygen not found: no HTML reference (scripts/deps installs it)")
endif()

set(CPACK_PACKAGE_NAME TavoIMG)
set(CPACK_PACKAGE_VENDOR TavoIMG)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Picture-viewer library for Windows desktop hosts (DRF and bilevel TIFF)")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CHECKSUM SHA256)

install(FILES ${PROJECT_SOURCE_DIR}/include/tavoimg/tavoimg.h DESTINATION include/tavoimg)
# The MFC subset's afx.h, for C++ hosts without MFC (on Windows with the
# static subset, lib/libtavoimg-mfc.a, for MinGW's C++ hosts).
install(FILES ${PROJECT_SOURCE_DIR}/compat/mfc/afx.h DESTINATION include/tavoimg/compat)

if(WIN32)
  install(TARGETS TavoIMG RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
  install(TARGETS tav_mfc ARCHIVE DESTINATION lib)
  install(FILES ${TAV_MSVC_IMPLIB} ${PROJECT_SOURCE_DIR}/src/resources/TavoIMG.def DESTINATION lib)
  # The Windows viewer ships beside the DLL when it is part of the build.
  if(TARGET TavoView)
    install(TARGETS TavoView RUNTIME DESTINATION bin)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  include(CMakePackageConfigHelpers)
  # Each library finds the others beside it; the tool finds them in ../lib.
  set_target_properties(TavoIMG tav_mfc tav_win32 PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(
    TARGETS TavoIMG tav_mfc tav_win32
    EXPORT TavoIMGTargets
    LIBRARY DESTINATION lib
    INCLUDES
    DESTINATION include)
  install(FILES ${PROJECT_SOURCE_DIR}/compat/win32/windows.h DESTINATION include/tavoimg/compat)
  if(TARGET tavoimg)
    set_target_properties(tavoimg PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
    install(TARGETS tavoimg RUNTIME DESTINATION bin)
  endif()

  install(EXPORT TavoIMGTargets NAMESPACE TavoIMG:: DESTINATION lib/cmake/TavoIMG)
  file(WRITE ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake "include(\${CMAKE_CURRENT_LIST_DIR}/TavoIMGTargets.cmake)\n")
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake ${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
          DESTINATION lib/cmake/TavoIMG)

  configure_file(${PROJECT_SOURCE_DIR}/cmake/tavoimg.pc.in ${PROJECT_BINARY_DIR}/tavoimg.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tavoimg.pc DESTINATION lib/pkgconfig)

  # The installed tree, as hosts and packagers use it.
  if(TAV_BUILD_TESTS AND NOT TAV_FUZZ)
    add_test(NAME install COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/run ${PROJECT_BINARY_DIR})
    set_tests_properties(install PROPERTIES TIMEOUT 300)
    add_test(NAME host_guide COMMAND ${CMAKE_COMMAND} -DGUIDE=${PROJECT_SOURCE_DIR}/docs/host-guide.md
                                     -DHOST=${PROJECT_SOURCE_DIR}/docs/host-guide/host.c -P
                                     ${PROJECT_SOURCE_DIR}/cmake/check-guide.cmake)
  endif()

  set(CPACK_GENERATOR "DEB;TGZ")
  set(CPACK_DEBIAN_PACKAGE_NAME libtavoimg${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "TavoIMG engineers")
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
