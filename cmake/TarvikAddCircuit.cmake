# tarvik_add_circuit(NAME source...): one program from a circuit description.  Used inside the Tarvik
# tree and, installed, by projects that find_package(Tarvik).
function(tarvik_add_circuit name)
  add_executable(${name} ${ARGN})
  # main() lives in tarvik_main and calls the circuit's simnet(); list it first.
  target_link_libraries(${name} PRIVATE Tarvik::tarvik_main Tarvik::tarvik)
endfunction()
