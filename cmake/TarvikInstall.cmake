# Installation: the two libraries, the headers a circuit includes and a CMake package, so that a
# project of one's own builds a circuit with find_package(Tarvik) and tarvik_add_circuit().
#
# The package finds the libraries' own dependencies first: X11 when the library links it (decided
# when the build is generated, from the library's link list), and, in a sanitizer build, the
# sanitizer runtimes through the link options it exports.
include(CMakePackageConfigHelpers)

set(TARVIK_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tarvik)

if(TARVIK_SANITIZE)
  target_link_options(tarvik INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
endif()

install(TARGETS tarvik tarvik_main EXPORT TarvikTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The processor's assembler and disassembler, a program of its own.
if(TARGET tarvik-asm)
  install(TARGETS tarvik-asm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The grader, and the processors it runs beside it; OPTIONAL, so that installing only the libraries
# (built alone) still works.
install(TARGETS tarvik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tarvik-faults RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
install(TARGETS tarvik-grade RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
foreach(processor ${TARVIK_PROCESSORS})
  if(TARGET ${processor})
    install(TARGETS ${processor} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
  endif()
endforeach()
install(FILES header/Sim.h header/Signal.h header/Schmtc.h header/SecEvTyp.h header/CircuitHooks.h header/LongOption.h
              memimage/MemImage.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarvik)
install(EXPORT TarvikTargets NAMESPACE Tarvik:: DESTINATION ${TARVIK_PACKAGE_DIR})

configure_package_config_file(cmake/TarvikConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/TarvikConfig.cmake
                              INSTALL_DESTINATION ${TARVIK_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TarvikConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/TarvikDependencies.cmake
     CONTENT "set(TARVIK_LINKS_X11 $<IN_LIST:X11::X11,$<TARGET_PROPERTY:tarvik,LINK_LIBRARIES>>)\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TarvikConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/TarvikConfigVersion.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/TarvikDependencies.cmake cmake/TarvikAddCircuit.cmake
        DESTINATION ${TARVIK_PACKAGE_DIR})
