// Diagnostic output of one event.
#include "Event.h"

#include <cstdio>

void Event::printEvent() const {
  fprintf(stderr, " printEvent()--Time: %llu EventType = %d signalSerialNumber = %d sigValue = %s\n",
          static_cast<unsigned long long>(time), eventType, signalSerialNumber, signalValueName(sigValue));
  fflush(stderr);
}
