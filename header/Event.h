// One queued change of a signal bit.
#ifndef TARVIK_EVENT_H
#define TARVIK_EVENT_H

#include <cstdint>

#include "Signal.h"

enum EventType { signalChange = 0 };

class Event {
public:
  Event* lptr;  // heap children; null when not in a queue
  Event* rptr;
  uint64_t time;  // when the change takes effect: the heap key
  int32_t eventType;
  int32_t signalSerialNumber;
  SignalValue sigValue;

  Event() {}  // unset: only for locals that are overwritten
  Event(uint64_t t, int type, int serial, SignalValue value)
      : lptr(nullptr), rptr(nullptr), time(t), eventType(type), signalSerialNumber(serial), sigValue(value) {}

  void printEvent() const;
};

#endif
