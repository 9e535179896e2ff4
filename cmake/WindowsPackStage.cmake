# Run by the package-windows target (cmake -P): stages the program with what
# it loads, then packs the zip and, for the 32-bit build, the installer from
# that one folder. One installer only: the 32-bit program, which also runs on
# 64-bit Windows, is the one that works with the screen reader.
cmake_minimum_required(VERSION 3.25)
set(name vornix-support-${VERSION}-win${BITS})
set(stage ${OUT}/package/${name})
file(REMOVE_RECURSE ${OUT}/package)
file(MAKE_DIRECTORY ${stage}/platforms ${stage}/styles ${stage}/translations)

set(binaries ${BIN}/vornix-support.exe)
foreach(dll IN LISTS RUNTIME)
    get_filename_component(file ${dll} NAME)
    list(APPEND binaries ${BIN}/${file})
endforeach()
file(COPY ${binaries} DESTINATION ${stage})
file(COPY ${BIN}/platforms/qwindows.dll DESTINATION ${stage}/platforms)
file(COPY ${BIN}/styles/qwindowsvistastyle.dll DESTINATION ${stage}/styles)
file(COPY ${BIN}/translations/qtbase_ja.qm DESTINATION ${stage}/translations)
file(COPY ${BIN}/qt.conf ${SOURCE}/README.md DESTINATION ${stage})

# MinGW's libstdc++ alone is 23 MB with its symbols; users need none of them.
# Qt comes stripped already.
file(GLOB staged ${stage}/*.exe ${stage}/lib*.dll)
foreach(file IN LISTS staged)
    execute_process(COMMAND ${STRIP} --strip-unneeded ${file} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "strip failed on ${file}")
    endif()
endforeach()

# A damaged DLL still links but keeps the program from starting: never pack one.
execute_process(COMMAND ${SOURCE}/scripts/check-windows-dlls.sh ${stage} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "not packing a program that cannot start")
endif()

set(zip ${OUT}/${name}.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${name}
    WORKING_DIRECTORY ${OUT}/package RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "packing ${zip} failed")
endif()

if(NOT BITS EQUAL 32)
    message(STATUS "Packed ${zip}")
    return()
endif()

# The installer's file list and the uninstaller's, both from the staged
# files: the uninstaller deletes exactly what was installed, by name, so a
# file the user put in the folder (an account file, the screen reader's
# QRCOMFD.DLL) stays, and so does the folder with it.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
set(install "!macro VX_INSTALL_FILES\n")
set(uninstall "!macro VX_UNINSTALL_FILES\n")
set(folders)
set(outdir "-")
foreach(file IN LISTS files)
    get_filename_component(folder ${file} DIRECTORY)
    string(REPLACE "/" "\\" winfile "${file}")
    string(REPLACE "/" "\\" winfolder "${folder}")
    if(NOT "${folder}" STREQUAL "${outdir}")
        set(outdir "${folder}")
        if(folder)
            string(APPEND install "    SetOutPath \"$INSTDIR\\${winfolder}\"\n")
            list(APPEND folders ${winfolder})
        else()
            string(APPEND install "    SetOutPath \"$INSTDIR\"\n")
        endif()
    endif()
    string(APPEND install "    File \"${stage}/${file}\"\n")
    string(APPEND uninstall "    Delete \"$INSTDIR\\${winfile}\"\n")
endforeach()
# Inner folders before the ones holding them; each goes only when empty.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
    string(APPEND uninstall "    RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
string(APPEND install "!macroend\n")
string(APPEND uninstall "!macroend\n")
set(filelist ${OUT}/package/${name}-files.nsh)
file(WRITE ${filelist} "${install}${uninstall}")

set(installer ${OUT}/${name}-setup.exe)
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${VERSION} -DFILES=${filelist}
    -DOUTFILE=${installer} ${SOURCE}/packaging/windows/installer.nsi RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed")
endif()
message(STATUS "Packed ${zip} and ${installer}")
