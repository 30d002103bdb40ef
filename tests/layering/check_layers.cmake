# Fails when a file of src/ includes a header of another folder against the
# layers: each folder builds only on the folders below it, down to machine.
#
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
cmake_policy(VERSION 3.25)

# Each folder's layer; a folder may include from folders of a lower layer.
set(layer_machine 0)
set(layer_jsonrpc 0)
set(layer_assembler 1)
set(layer_diagnostics 2)
set(layer_program 3)
set(layer_replay 4)
set(layer_grading 5)
set(layer_run 6)
set(layer_dap 6)
set(layer_lsp 6)
set(layer_app 6)
set(layer_cpu 6)
# Arrows across a layer: the window and its Cpu use each other (the Cpu
# drives the WidgetForm), and every front end offers the samples.
set(sideways cpu/app app/cpu)
set(front_ends run dap lsp)
set(shared_headers app/sampleprograms.h)

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(violations "")
foreach(file IN LISTS files)
    string(REGEX REPLACE "/.*" "" folder "${file}")
    if(NOT DEFINED layer_${folder})
        list(APPEND violations "${file}: the folder ${folder} has no layer")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"(([^\"/]+)/[^\"]+)\".*$" "\\1" header "${line}")
        string(REGEX REPLACE "/.*" "" target "${header}")
        if(target STREQUAL folder OR "${folder}/${target}" IN_LIST sideways OR
           (folder IN_LIST front_ends AND header IN_LIST shared_headers))
            continue()
        endif()
        if(NOT DEFINED layer_${target})
            list(APPEND violations "${file} includes ${header}, from a folder that has no layer")
        elseif(NOT layer_${target} LESS layer_${folder})
            list(APPEND violations "${file} includes ${header}: ${folder} may not build on ${target}")
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "Every include of src/ points down the layers (${count} files checked)")
