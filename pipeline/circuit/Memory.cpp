// Memory system of the processor: a 64-word ROM holding the program and a 64-word RAM of two 8-bit
// halves, on one 16-bit address bus and one tri-state data bus.
//
// Address bit 6 picks the device (0 ROM, 1 RAM); bits 5..0 the word; higher bits are ignored.  Three
// groups of tri-state buffers share DataOut: the ROM or the RAM on a read of its half, and otherwise
// the store data DataIn passed through, so a store shows the written word on the data bus.
#include "Pipeline.h"

namespace {

// The program, as (word address, value); every other word is 0x0000, the no-operation.
struct RomWord {
  int address;
  unsigned value;
};

const RomWord program[] = {
    {0, 0x0AF0},  {1, 0x1204},  {2, 0x1A18},  {3, 0x2201},  {4, 0x2A02},  {5, 0x3203},
    {6, 0x3A04},  {11, 0x4813}, {12, 0x2021}, {13, 0x2829}, {14, 0x3031}, {15, 0x3839},
    {28, 0xFF00}, {32, 0xFFFE},
};

// Two bytes per word, high byte first, as the ROM component reads them.
void fillRomContents(unsigned char romContents[128]) {
  for (int i = 0; i < 128; i++) romContents[i] = 0;
  for (const RomWord& w : program) {
    romContents[2 * w.address] = (unsigned char)(w.value >> 8);
    romContents[2 * w.address + 1] = (unsigned char)(w.value & 0xFF);
  }
}

}  // namespace

void Memory(const SD& coord, const Signal& MReq, const Signal& Read, const Signal& Addr, const Signal& DataIn,
            const Signal& DataOut, const Signal& enTriLink, const Signal& enTriROM, const Signal& enTriRAM) {
  Module(coord, "Memory", (MReq, Read, Addr, DataIn), (DataOut, enTriLink, enTriROM, enTriRAM));
  Signal Ram2Out(8, "Ram2Out");
  Signal RomOut(16, "RomOut");
  Signal enTriLink_temp(1, "enTriLink_temp");
  Signal RW(1, "RW");
  Signal Ram1Out(8, "Ram1Out");
  Signal enRAM(1, "enRAM");
  unsigned char romContents[128];
  fillRomContents(romContents);

  Signal wordAddress = (Addr[5], Addr[4], Addr[3], Addr[2], Addr[1], Addr[0]);
  // Enable, write strobe, write address, read address (the same six bits twice).
  Signal ramControl = (enRAM, RW, wordAddress, wordAddress);
  Rom(SD(coord, "aa-ea"), wordAddress, RomOut, 64, 16, romContents);
  Ram(SD(coord, "ad-ed"), ramControl, (DataIn[15], DataIn[14], DataIn[13], DataIn[12], DataIn[11], DataIn[10],
                                       DataIn[9], DataIn[8]),
      Ram1Out, 64, 8, 6, 1, 1);
  Ram(SD(coord, "af-ef"), ramControl, (DataIn[7], DataIn[6], DataIn[5], DataIn[4], DataIn[3], DataIn[2],
                                       DataIn[1], DataIn[0]),
      Ram2Out, 64, 8, 6, 1, 1);
  And(SD(coord, "aa"), (MReq, Read), enTriLink_temp);
  Not(SD(coord, "aa"), enTriLink_temp, enTriLink);
  MemAddr1(SD(coord, "fa"), MReq, Read, Addr[6], enTriROM);
  MemAddr2(SD(coord, "fd"), MReq, Read, Addr[6], RW, enRAM, enTriRAM);
  tsbPerBit(SD(coord, "ab-eb"), DataIn, enTriLink, DataOut);
  tsbPerBit(SD(coord, "ab-eb"), RomOut, enTriROM, DataOut);
  tsbPerBit(SD(coord, "ae-ee"), (Ram1Out, Ram2Out), enTriRAM, DataOut);
}

// enTriROM = MREQ and Read and not A6.
void MemAddr1(const SD& coord, const Signal& MREQ, const Signal& Read, const Signal& A6, const Signal& enTriROM) {
  Module(coord, "MemAddr1", (MREQ, Read, A6), enTriROM);
  Signal nA6(1, "nA6");
  Signal enTriROM_temp(1, "enTriROM_temp");
  Not(SD(coord, "aa"), A6, nA6);
  Nand(SD(coord, "ba"), (MREQ, Read, nA6), enTriROM_temp);
  Not(SD(coord, "aa"), enTriROM_temp, enTriROM);
}

// RW = not Read; enRAM = MREQ and A6; enTriRAM = MREQ and Read and A6.
void MemAddr2(const SD& coord, const Signal& MREQ, const Signal& Read, const Signal& A6, const Signal& RW,
              const Signal& enRAM, const Signal& enTriRAM) {
  Module(coord, "MemAddr2", (MREQ, Read, A6), (RW, enRAM, enTriRAM));
  Signal enRAM_temp(1, "enRAM_temp");
  Signal enTriRAM_temp(1, "enTriRAM_temp");
  Signal RW_temp(1, "RW_temp");
  Or(SD(coord, "aa"), Read, RW_temp);
  Not(SD(coord, "aa"), RW_temp, RW);
  Nand(SD(coord, "ba"), (MREQ, A6), enRAM_temp);
  Not(SD(coord, "aa"), enRAM_temp, enRAM);
  Nand(SD(coord, "ca"), (MREQ, Read, A6), enTriRAM_temp);
  Not(SD(coord, "aa"), enTriRAM_temp, enTriRAM);
}
