// Keyboard bindings collected while the netlist is built: which key operates which component's output.
#ifndef TARVIK_SWLIST_H
#define TARVIK_SWLIST_H

class SwitchNode {
public:
  SwitchNode* ptr = nullptr;
  int componentNumber = 0;     // index of the component that owns the key
  int signalSerialNumber = 0;  // the output the key operates
  int switchSerialNumber = 0;  // never set or read
  char keyChar = 0;
};

class SwitchList {
public:
  int numberOfSwitches = 0;
  SwitchNode* start = nullptr;
  SwitchNode* end = nullptr;

  SwitchList() = default;
  SwitchList(const SwitchList&) = delete;
  SwitchList& operator=(const SwitchList&) = delete;
  ~SwitchList();
  // Binds keyChar to serialNumber for the component that registers next.
  void add(int serialNumber, char keyChar);
  void print() const;
};

#endif
