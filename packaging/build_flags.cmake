# Debian's hardening flags for every binary the package ships, the same on any Debian machine:
# stack protector, _FORTIFY_SOURCE, format checks, full RELRO and BIND_NOW (Debian's compiler
# builds PIE by default). The thumbnailer (trovel-cli render) reads whatever .qxp file a file
# manager shows, so it must be built this way too.
# The build type chooses optimisation and debug info; the file prefix maps below replace the
# one dpkg-buildflags makes from the current folder, so no build path reaches a binary and two
# builds in different folders give the same bytes.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE deb_flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(deb_flags UNIX_COMMAND "${deb_flags}")
    list(FILTER deb_flags EXCLUDE REGEX "^-O[0-9sgz]?$|^-g$|^-ffile-prefix-map=")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${deb_flags})
    else()
      add_compile_options(${deb_flags})
    endif()
  endforeach()
  # What newer dpkg-buildflags add to hardening=+all (stackclash, branch), with the same compiler.
  # (Debian 12's own C start files lack the CET note, so its binaries do not carry one yet.)
  add_compile_options(-fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
    add_compile_options(-fcf-protection)
  endif()
else()
  message(STATUS "dpkg-buildflags not found: built without Debian's hardening flags")
endif()
# The build folder last: GCC takes the last matching map, and the build folder may sit inside the sources.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
