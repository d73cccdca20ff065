#include "frame_records.h"

#include "core/core.h"

#include <gtest/gtest.h>

#include <string.h>

FrameRecord::FrameRecord(HWND window) : window_(window), record_(TAVIMG_GetImgStruct(window)) {
  if (record_ != nullptr)
    InitImgStruct(record_);
}

FrameRecord::~FrameRecord() {
  if (record_ != nullptr)
    TAVIMG_UnloadPicture(window_, record_);
}

void FrameSetHotspots(ImgStruct* record, std::initializer_list<FrameHotspot> hotspots) {
  ASSERT_EQ(TAVIMG_SetHotspotCount(record, (SHORT)hotspots.size()), 1);
  LONG number = 0;
  for (const FrameHotspot& spot : hotspots) {
    HotspotDataRecord data;
    memset(&data, 0, sizeof data);
    data.ScreenRect = spot.screen;
    data.PictureRect = spot.screen;
    lstrcpynA(data.Name, spot.name != nullptr ? spot.name : "", sizeof data.Name);
    lstrcpynA(data.Text, spot.text != nullptr ? spot.text : "", sizeof data.Text);
    ASSERT_EQ(TAVIMG_SetHotspotData(record, number++, &data), 1);
  }
  ASSERT_EQ(TAVIMG_ActivateAllHotspots(1, record), 1);
}
