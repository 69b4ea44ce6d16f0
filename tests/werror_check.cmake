# Configures the project with LEMA_WERROR off and on (no build) and checks that -Werror
# reaches the library's compile commands exactly when the option is on.
#   cmake -DSOURCE=DIR -DWORK=DIR -DCXX=COMPILER -P werror_check.cmake
foreach(option OFF ON)
  set(dir ${WORK}/werror-${option})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${dir} -DCMAKE_CXX_COMPILER=${CXX}
                          -DLEMA_WERROR=${option} -DLEMA_BUILD_TESTS=OFF -DLEMA_BUILD_BENCH=OFF
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(READ ${dir}/compile_commands.json commands)
  string(FIND "${commands}" "automation/registry.cpp" library)
  string(FIND "${commands}" "-Werror " werror)
  if(NOT rc EQUAL 0 OR library EQUAL -1)
    message(FATAL_ERROR "LEMA_WERROR=${option}: configuring failed")
  elseif(option AND werror EQUAL -1)
    message(FATAL_ERROR "LEMA_WERROR=ON: no -Werror in the compile commands")
  elseif(NOT option AND NOT werror EQUAL -1)
    message(FATAL_ERROR "LEMA_WERROR=OFF: -Werror in the compile commands")
  endif()
endforeach()
