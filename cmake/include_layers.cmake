# Fails when a source folder includes a header of a folder above it, or of
# another folder on its own layer. Run by ctest (include_layers) as
#   cmake -DROOT=<source dir> -P cmake/include_layers.cmake
#
# The layers, lowest first. A file may include its own folder and any folder
# on a lower layer, nothing else. Folders on one layer know nothing of each
# other: the simulated chip and the product layer meet only in the backends,
# the window and the command line only in what lies below both.
set(LAYERS
    "version catalog image platform"  # no project headers but their own
    "usb"                             # the device link and its backends' interface
    "chip"                            # the chip's commands on the link
    "flash"                           # the flash sequences
    "product sim"                     # what the front ends share; the simulated chip
    "backends"                        # the backend choice, its options, the real backends
    "pages"                           # the window's maintenance pages
    "app cli"                         # the two front ends
)

if(NOT ROOT)
    message(FATAL_ERROR "include_layers: set ROOT to the source folder")
endif()

set(rank 0)
set(known "")
foreach(layer IN LISTS LAYERS)
    string(REPLACE " " ";" folders "${layer}")
    foreach(folder IN LISTS folders)
        set(RANK_${folder} ${rank})
        list(APPEND known ${folder})
    endforeach()
    math(EXPR rank "${rank} + 1")
endforeach()

set(violations 0)
foreach(folder IN LISTS known)
    if(folder STREQUAL "sim")
        set(dir "${ROOT}/sim")
    else()
        set(dir "${ROOT}/src/${folder}")
    endif()
    file(GLOB_RECURSE files "${dir}/*.h" "${dir}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*" "\\1" target "${line}")
            if(target STREQUAL folder OR NOT DEFINED RANK_${target})
                continue()
            endif()
            if(NOT RANK_${target} LESS RANK_${folder})
                file(RELATIVE_PATH shown "${ROOT}" "${file}")
                message(SEND_ERROR "${shown} includes ${target}/: ${folder}/ may include only "
                                   "its own headers and those of the layers below it")
                math(EXPR violations "${violations} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) against the layers")
endif()
message(STATUS "includes follow the layers")
