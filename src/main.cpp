// The program entry of a circuit: the simulator on the circuit's simnet() (CircuitProgram.cpp).
#include "Sim.h"

int main(int argc, char** argv) { return circuitProgramMain(argc, argv, simnet); }
