# Windows: the DLLs the program and the tests load, copied beside them into
# bin/ so that each runs where it was built (under Wine too), and the
# `package-windows` target: the zip and, for the 32-bit build, the per-user
# installer made from the same files.

# 32-bit MinGW unwinds with DWARF tables, 64-bit with SEH: the runtime's
# name says which.
if(VX_WINDOWS_BITS EQUAL 32)
    set(gcc_runtime libgcc_s_dw2-1.dll)
else()
    set(gcc_runtime libgcc_s_seh-1.dll)
endif()

# MinGW's own runtime, from the compiler that linked the program.
set(VX_WINDOWS_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll ${gcc_runtime} libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    get_filename_component(path "${path}" REALPATH)
    list(APPEND VX_WINDOWS_RUNTIME_DLLS "${path}")
endforeach()

set(qt_bin "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
set(qt_plugins "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")
foreach(module Core Gui Widgets)
    list(APPEND VX_WINDOWS_RUNTIME_DLLS "${qt_bin}/Qt6${module}.dll")
endforeach()
# The tests link Qt Test as well; the program does not.
set(VX_WINDOWS_TEST_DLLS "${qt_bin}/Qt6Test.dll")
# The offscreen plugin is for the tests only; the windows one is the program's.
set(VX_WINDOWS_PLATFORM_PLUGINS "${qt_plugins}/platforms/qwindows.dll")
set(VX_WINDOWS_STYLE_PLUGINS "${qt_plugins}/styles/qwindowsvistastyle.dll")

# Qt's Japanese texts, from Debian's qt6-translations-l10n (the same file on
# every system).
find_file(VX_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VX_QTBASE_JA)
    message(FATAL_ERROR "qtbase_ja.qm not found: install qt6-translations-l10n")
endif()

set(bin ${CMAKE_BINARY_DIR}/bin)
add_custom_target(vx_windows_runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/platforms ${bin}/styles ${bin}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VX_WINDOWS_RUNTIME_DLLS} ${VX_WINDOWS_TEST_DLLS} ${bin}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VX_WINDOWS_PLATFORM_PLUGINS}
        ${qt_plugins}/platforms/qoffscreen.dll ${bin}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VX_WINDOWS_STYLE_PLUGINS} ${bin}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VX_QTBASE_JA} ${bin}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/packaging/windows/qt.conf ${bin}
    COMMENT "Copying the Qt and MinGW runtime beside the programs"
    VERBATIM)
add_dependencies(vornix-support vx_windows_runtime)

find_program(VX_MAKENSIS makensis)
add_custom_target(package-windows
    COMMAND ${CMAKE_COMMAND}
        -DBIN=${bin} -DOUT=${CMAKE_BINARY_DIR} -DVERSION=${PROJECT_VERSION} -DBITS=${VX_WINDOWS_BITS}
        -DSTRIP=${CMAKE_STRIP} -DMAKENSIS=${VX_MAKENSIS} -DSOURCE=${CMAKE_SOURCE_DIR}
        "-DRUNTIME=${VX_WINDOWS_RUNTIME_DLLS}"
        -P ${CMAKE_SOURCE_DIR}/cmake/WindowsPackStage.cmake
    DEPENDS vornix-support vx_windows_runtime
    VERBATIM)
