# The program's icon, drawn from packaging/vornix-support.svg when the program
# is built, so the drawing is kept once and every size follows it: PNGs for the
# windows and the version dialog (a Qt resource, on every system) and, on
# Windows, the .ico that the .exe carries.
find_program(VX_RSVG_CONVERT rsvg-convert NO_CMAKE_FIND_ROOT_PATH)
if(NOT VX_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert not found: install librsvg2-bin")
endif()
set(VX_ICON_SVG ${CMAKE_SOURCE_DIR}/packaging/vornix-support.svg)

# PNGs of the given sizes in `dir`, drawn at each size rather than scaled from
# one picture, so the small ones stay sharp; their paths go into `out`.
function(vx_icon_pngs out dir)
    set(pngs)
    foreach(size IN LISTS ARGN)
        set(png ${dir}/vornix-support-${size}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${VX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${VX_ICON_SVG}
            DEPENDS ${VX_ICON_SVG}
            VERBATIM)
        list(APPEND pngs ${png})
    endforeach()
    set(${out} ${pngs} PARENT_SCOPE)
endfunction()

# The Windows icon: 16 to 256 px, with 20 and 40 for the 125 % scale of the
# small and large icons. The 256 px picture is kept as PNG inside the .ico,
# as Windows reads it, instead of a 256 KB bitmap.
function(vx_icon_ico ico)
    find_program(VX_ICOTOOL icotool NO_CMAKE_FIND_ROOT_PATH)
    if(NOT VX_ICOTOOL)
        message(FATAL_ERROR "icotool not found: install icoutils")
    endif()
    get_filename_component(dir ${ico} DIRECTORY)
    vx_icon_pngs(small ${dir}/ico 16 20 24 32 40 48 64)
    vx_icon_pngs(large ${dir}/ico 256)
    add_custom_command(OUTPUT ${ico}
        COMMAND ${VX_ICOTOOL} -c -o ${ico} ${small} --raw=${large}
        DEPENDS ${small} ${large}
        VERBATIM)
endfunction()
