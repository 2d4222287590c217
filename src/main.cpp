// The program entry of a circuit: the simulator on the circuit's simnet() (CircuitProgram.cpp).  It ends
// by exit(), as a return from main would; in the web page's build, whose waits suspend the program, a
// return from main after a suspension would not end the program for the page.
#include <cstdlib>

#include "Sim.h"

int main(int argc, char** argv) { exit(circuitProgramMain(argc, argv, simnet)); }
