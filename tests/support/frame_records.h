// Test support for picture records and hotspot tables: records taken from
// the slot table and given back at the end of a test, and hotspot tables
// filled through the exported functions. The record is byte-packed, so tests
// hand its fields to gtest's macros by value (`+record->Field`): the macros
// bind references, which a misaligned field cannot give.
#ifndef TAV_TESTS_SUPPORT_FRAME_RECORDS_H
#define TAV_TESTS_SUPPORT_FRAME_RECORDS_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <initializer_list>
#include <vector>

// A window handle that only names a slot (the slot table only compares
// handles), never a window the stand-in knows; without n a fresh one.
inline HWND FrameFakeWindow(int n) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E000000u + 16u * n));
}
inline HWND FrameFakeWindow() {
  static int n = 4096;
  return FrameFakeWindow(++n);
}

// The record of a window, reset as an opening resets it; unloaded when the
// object goes.
class FrameRecord {
public:
  explicit FrameRecord(HWND window);
  ~FrameRecord();
  FrameRecord(const FrameRecord&) = delete;
  FrameRecord& operator=(const FrameRecord&) = delete;
  ImgStruct* get() const { return record_; }
  ImgStruct* operator->() const { return record_; }
  HWND window() const { return window_; }

private:
  HWND window_;
  ImgStruct* record_;
};

struct FrameHotspot {
  TavRect screen;
  const char* name;
  const char* text;
};

// Gives the record these hotspots (numbered from 0), all of them active.
void FrameSetHotspots(ImgStruct* record, std::initializer_list<FrameHotspot> hotspots);

// The state bits of entry i, and of the first count entries.
inline int FrameState(const ImgStruct* record, int i) {
  return record->Hotspots[i].HotspotState & 0xFF;
}
inline std::vector<int> FrameStates(const ImgStruct* record, int count) {
  std::vector<int> states;
  for (int i = 0; i < count; ++i)
    states.push_back(FrameState(record, i));
  return states;
}

#endif
