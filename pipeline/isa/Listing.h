// The words of a memory image as an assembly source that assembles back to the same image.
#ifndef TARVIK_LISTING_H
#define TARVIK_LISTING_H

#include <cstdint>
#include <map>
#include <string>

// One line a word, "LABEL:  instruction ; ADDR: WORD", ".org" where the address jumps.  A branch whose
// target holds a word names it by a label "L0003" defined there; other targets are absolute addresses,
// or ".-N" / ".+N" when reaching them wraps around the 16-bit address.
std::string sourceListing(const std::map<uint32_t, uint16_t>& words);

#endif
