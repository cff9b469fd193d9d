#pragma once
// Pelmora's own vendor-specific calls (the vendor-specific opcode's index), for its tools.
// Hosts never send these.

#include <cstdint>

// Draws the whole editor now and writes it to the PNG file named by ptr (a zero-terminated
// path); answers 1 on success. The editor must be open (headless: opened with a null parent).
constexpr int32_t kVst2VendorEditorSnapshot = 0x506c5350; // 'PlSP'
