message(STATUS "cli contract pending")
