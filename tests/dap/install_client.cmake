# Installs the DAP test client's npm packages into the build tree from the
# committed lock file. Nothing is fetched when they are installed already
# from the same lock, so the tests run offline afterwards.
# cmake -DSOURCE=<folder with package.json> -DDEST=<build folder> -DNPM=<npm> -P install_client.cmake
file(MAKE_DIRECTORY ${DEST})
configure_file(${SOURCE}/package.json ${DEST}/package.json COPYONLY)
configure_file(${SOURCE}/package-lock.json ${DEST}/package-lock.json COPYONLY)
set(stamp ${DEST}/node_modules/.installed-from-lock)
file(SHA256 ${SOURCE}/package-lock.json lock_hash)
if(EXISTS ${stamp})
    file(READ ${stamp} installed_hash)
    if(installed_hash STREQUAL lock_hash)
        message(STATUS "npm packages installed already from this lock file")
        return()
    endif()
endif()
execute_process(COMMAND ${NPM} ci --prefix ${DEST} --no-audit --no-fund --ignore-scripts
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "npm ci failed (${result}): the registry may be out of reach")
endif()
file(WRITE ${stamp} ${lock_hash})
