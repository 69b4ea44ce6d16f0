# -Werror in the library's compile commands iff LEMA_WERROR (configured only).
# cmake -DSOURCE=DIR -DWORK=DIR -DCXX=COMPILER -P werror_check.cmake
foreach(option OFF ON)
  set(dir ${WORK}/werror-${option})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${dir} -DCMAKE_CXX_COMPILER=${CXX}
                          -DLEMA_WERROR=${option} -DLEMA_BUILD_TESTS=OFF -DLEMA_BUILD_BENCH=OFF
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(READ ${dir}/compile_commands.json commands)
  string(FIND "${commands}" "automation/registry.cpp" library)
  set(found OFF)
  if(commands MATCHES "-Werror ")
    set(found ON)
  endif()
  if(NOT rc EQUAL 0 OR library EQUAL -1 OR NOT found STREQUAL option)
    message(FATAL_ERROR "LEMA_WERROR=${option}: configuring failed, or -Werror found: ${found}")
  endif()
endforeach()
