// The window of builds without X: the headless display.  Kept apart from DisplayHeadless.cpp so that a
// program linking a display of its own (the canvas build, WindowCanvas.cpp) defines windowDisplay
// itself and this file is never taken from the library's archive.
#include "Display.h"

#ifdef TARVIK_NO_X11
const DisplayBackend* const windowDisplay = &headlessDisplay;
#endif
