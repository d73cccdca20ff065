# What `cmake --install` puts into a prefix, and the packages cpack makes from
# the same rules.
#   Windows (cpack: TavoIMG-<version>-win32.zip or -win64.zip):
#     bin/TavoIMG.dll, stripped, with bin/TavoIMG.dll.debug beside it (its
#     debug information, found through the DLL's .gnu_debuglink);
#     lib/TavoIMG.lib (Microsoft's import-library format), lib/libTavoIMG.dll.a
#     (MinGW's), lib/TavoIMG.def (on i686 with the decorated names);
#     lib/cmake/TavoIMG (TavoIMG::TavoIMG, TavoIMG::mfc);
#     include/tavoimg/tavoimg.h; the MFC subset for MinGW's C++ hosts
#     (include/tavoimg/mfc/afx.h, lib/libtavoimg-mfc.a); README.md, LICENSE,
#     CHANGELOG.md; doc/ (the host guide, doc/reference the HTML reference);
#     samples/ (the sample hosts as a CMake project, with pictures);
#     cmake/ (the toolchain files).
#   Linux (cpack: libtavoimg2, libtavoimg-dev and tavoimg .deb packages and
#   one .tar.gz of everything):
#     runtime: lib/<multiarch>/libtavoimg.so.<major> and the stand-in and MFC
#       subset beside it;
#     dev: include/tavoimg/tavoimg.h, the stand-in's windows.h in
#       include/tavoimg/win32 and the subset's afx.h in include/tavoimg/mfc
#       (each reached only when a host asks: TavoIMG::win32, TavoIMG::mfc,
#       pkg-config tavoimg-win32, tavoimg-mfc); the .so links, the CMake
#       package, the pkg-config files, the guide and the reference;
#     tool: bin/tavoimg.
include(CMakePackageConfigHelpers)

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
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

if(WIN32)
  set(TAV_DOC_DESTINATION doc)
  install(FILES ${PROJECT_SOURCE_DIR}/include/tavoimg/tavoimg.h DESTINATION include/tavoimg)
  # The MFC subset's afx.h and static library, for MinGW's C++ hosts without MFC.
  install(FILES ${PROJECT_SOURCE_DIR}/compat/mfc/afx.h DESTINATION include/tavoimg/mfc)
  install(TARGETS TavoIMG RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
  install(TARGETS tav_mfc ARCHIVE DESTINATION lib)
  # The list of exports: on i686 with the decorated names (_stdcall's @bytes)
  # that a 32-bit caller refers to, so that Microsoft's lib /def: or
  # llvm-dlltool -k makes a working import library from it.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    install(FILES ${PROJECT_BINARY_DIR}/TavoIMG-stdcall.def DESTINATION lib RENAME TavoIMG.def)
  else()
    install(FILES ${PROJECT_SOURCE_DIR}/src/resources/TavoIMG.def DESTINATION lib)
  endif()
  install(FILES ${TAV_MSVC_IMPLIB} DESTINATION lib)
  # The Windows viewer ships beside the DLL when it is part of the build.
  if(TARGET TavoView)
    install(TARGETS TavoView RUNTIME DESTINATION bin)
  endif()
  # Program files stripped, their debug information beside them.
  find_program(TAV_OBJCOPY NAMES ${TAV_MINGW_TRIPLE}-objcopy objcopy REQUIRED)
  install(CODE "set(TAV_OBJCOPY \"${TAV_OBJCOPY}\")
                include(\"${PROJECT_SOURCE_DIR}/cmake/strip-installed.cmake\")")

  # The CMake package of the unpacked archive.
  configure_file(${PROJECT_SOURCE_DIR}/cmake/TavoIMGConfig-windows.cmake.in ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake
                 @ONLY)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake ${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
          DESTINATION lib/cmake/TavoIMG)

  # What a host developer starts from.
  install(FILES ${PROJECT_SOURCE_DIR}/docs/host-guide/kit-README.md DESTINATION . RENAME README.md)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/host-guide/samples/CMakeLists.txt
                ${PROJECT_SOURCE_DIR}/docs/host-guide/host.c ${PROJECT_SOURCE_DIR}/tests/windows/kit_host.cpp
          DESTINATION samples)
  install(FILES ${PROJECT_SOURCE_DIR}/samples/drive-unit.drf ${PROJECT_SOURCE_DIR}/samples/drive-unit.tif
                ${PROJECT_SOURCE_DIR}/samples/bearing-cap.drf DESTINATION samples/pictures)
  foreach(toolchain mingw-common mingw-i686 mingw-x86_64 clang-msvc-common clang-msvc-i686 clang-msvc-x86_64)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/toolchain-${toolchain}.cmake DESTINATION cmake)
  endforeach()

  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # The multiarch library folder (lib/x86_64-linux-gnu) wherever the system
  # has one, whatever the prefix.
  if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CMAKE_INSTALL_LIBDIR)
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries")
  endif()
  include(GNUInstallDirs)
  set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME dev)
  set(TAV_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libtavoimg-dev)

  install(FILES ${PROJECT_SOURCE_DIR}/include/tavoimg/tavoimg.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tavoimg)
  install(FILES ${PROJECT_SOURCE_DIR}/compat/win32/windows.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tavoimg/win32)
  install(FILES ${PROJECT_SOURCE_DIR}/compat/mfc/afx.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tavoimg/mfc)

  # Each library finds the others beside it; the tool finds them in the
  # library folder.
  set_target_properties(TavoIMG tav_mfc tav_win32 PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(tav_mfc PROPERTIES EXPORT_NAME mfc)
  set_target_properties(tav_win32 PROPERTIES EXPORT_NAME win32)
  install(
    TARGETS TavoIMG tav_mfc tav_win32
    EXPORT TavoIMGTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
    INCLUDES
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  if(TARGET tavoimg)
    file(RELATIVE_PATH tav_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set_target_properties(tavoimg PROPERTIES INSTALL_RPATH "$ORIGIN/${tav_bin_to_lib}")
    install(TARGETS tavoimg RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  endif()

  install(EXPORT TavoIMGTargets NAMESPACE TavoIMG:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/TavoIMG)
  file(WRITE ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake "include(\${CMAKE_CURRENT_LIST_DIR}/TavoIMGTargets.cmake)\n")
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/TavoIMGConfig.cmake ${PROJECT_BINARY_DIR}/TavoIMGConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/TavoIMG)

  # pkg-config: tavoimg (the library and its header), tavoimg-win32 (the
  # stand-in's windows.h and library), tavoimg-mfc (the MFC subset).
  file(RELATIVE_PATH TAV_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  foreach(pc tavoimg tavoimg-win32 tavoimg-mfc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${TAV_DOC_DESTINATION})

  # The installed tree, as hosts and packagers use it.
  if(TAV_BUILD_TESTS AND NOT TAV_FUZZ)
    add_test(NAME install COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/run ${PROJECT_BINARY_DIR})
    set_tests_properties(install PROPERTIES TIMEOUT 600 LABELS install)
    add_test(NAME host_guide COMMAND ${CMAKE_COMMAND} -DGUIDE=${PROJECT_SOURCE_DIR}/docs/host-guide.md
                                     -DHOST=${PROJECT_SOURCE_DIR}/docs/host-guide/host.c -P
                                     ${PROJECT_SOURCE_DIR}/cmake/check-guide.cmake)
  endif()

  # One .deb per component, one .tar.gz of everything.
  set(CPACK_GENERATOR "DEB;TGZ")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_COMPONENTS_ALL runtime dev tool)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtavoimg${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtavoimg-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_TOOL_PACKAGE_NAME tavoimg)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "TavoIMG engineers")
  # dpkg-shlibdeps gives each package the system libraries its files use
  # (libpng only to the tool); our own come from the component dependencies.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${CMAKE_INSTALL_LIBDIR} ${PROJECT_BINARY_DIR})
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_COMPONENT_DEV_DEPENDS runtime)
  set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
endif()

# The guide and the reference, in both kits.
install(FILES ${PROJECT_SOURCE_DIR}/docs/host-guide.md DESTINATION ${TAV_DOC_DESTINATION})
if(TAV_DOXYGEN)
  install(DIRECTORY ${TAV_REFERENCE_DIR}/html/ DESTINATION ${TAV_DOC_DESTINATION}/reference)
endif()

include(CPack)
