# Run first by the install: notes which of its folders are not there yet.
set(_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(MURKWELL_CREATED_DIRS)
foreach(dir ${MURKWELL_INSTALL_DIRS})
    if(NOT EXISTS "${_root}/${dir}")
        list(APPEND MURKWELL_CREATED_DIRS "${dir}")
    endif()
endforeach()
