// The headless display: opens no window, so every drawing step is skipped before it gets here and
// the run goes on as with -X.  It is the window of builds without X (DisplayDefault.cpp).
#include "Window.h"

namespace {

bool openNothing(Windex&, const char*) { return false; }
void onWindow(Windex&) {}
void onPixels(Windex&, int, int, int, int) {}
void onLine(Windex&, DisplayPen, int, int, int, int) {}
void onFill(Windex&, DisplayPen, int, int, int, int) {}
void onArc(Windex&, DisplayPen, bool, int, int, int, int, int, int) {}
void onText(Windex&, int, int, const char*) {}
void onClip(Windex&, const PixelRect*, int) {}
void onTextExtent(Windex&, int*, int*) {}
void noEvent(Windex&, int* eventType, int*) { *eventType = 0; }
void noWait(Windex&, int) {}
void onCursor(Windex&, int) {}
bool noSize(Windex&, int*, int*) { return false; }

}  // namespace

const DisplayBackend headlessDisplay = {openNothing, onWindow, onWindow, onPixels,     onLine,  onPixels,
                                        onFill,      onArc,    onText,   onPixels,     onClip,  onTextExtent,
                                        noEvent,     noWait,   onCursor, noSize};
