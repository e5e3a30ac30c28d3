# Run at build time: the published web libraries must have been installed into node_modules.
if(NOT EXISTS "${FILE}")
    message(FATAL_ERROR "The web libraries of the pages are missing (${FILE}): run scripts/setup")
endif()
