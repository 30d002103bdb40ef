# Fails when a widget-free file of src/ includes a widget header, or a project
# header that is not widget-free itself.
#
# Only the window's own files may use widgets; every other file keeps to Qt
# Core, so that both front ends share it and it is tested without a window.
#   cmake -DSOURCE_DIR=<src> -DQT_CORE_HEADERS=<QtCore include folder> -P check_widget_free.cmake
cmake_policy(VERSION 3.25)

set(widget_files
    app/main.cpp
    app/widget.cpp app/widget.h
    app/widgetform.cpp app/widgetform.h
    cpu/cpu.cpp cpu/cpu.h
    cpu/messagebox.h)

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(violations "")
foreach(file IN LISTS files)
    if(file IN_LIST widget_files)
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+).*$" "\\1\\2" include "${line}")
        string(SUBSTRING "${include}" 0 1 kind)
        string(SUBSTRING "${include}" 1 -1 header)
        set(allowed TRUE)
        if(kind STREQUAL "\"")
            # A project header: widget-free only if it is a file of src/ outside the window's.
            if(NOT EXISTS ${SOURCE_DIR}/${header} OR header IN_LIST widget_files)
                set(allowed FALSE)
            endif()
        elseif(header MATCHES "^Qt[A-Za-z]*/")
            if(NOT header MATCHES "^QtCore/")
                set(allowed FALSE)
            endif()
        elseif(header MATCHES "^Q" AND NOT EXISTS ${QT_CORE_HEADERS}/${header})
            set(allowed FALSE)
        endif()
        if(NOT allowed)
            list(APPEND violations "${file}: ${line}")
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Widget-free files include what uses more than Qt Core:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "Every file of src/ but the window's keeps to Qt Core (${count} files checked)")
