# cmake -DBUILD_DIR=<build> -DPREFIX=<scratch folder> -DPROGRAMS=<names> -P CheckInstall.cmake
# Installs the build into a scratch prefix and checks that the programs, the launcher
# and the icons land where desktops look for them.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(expected)
foreach(p ${PROGRAMS})
  list(APPEND expected bin/${p})
endforeach()
foreach(f ${expected} share/applications/harkola.desktop
    share/icons/hicolor/128x128/apps/harkola.png share/icons/hicolor/48x48/apps/harkola.png
    share/icons/hicolor/scalable/apps/harkola.svg)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
