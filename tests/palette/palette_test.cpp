// The palette: the module-wide table, the reduction of a picture's colours
// to 230 (duplicates dropped, the first and the last of more colours than
// room kept), and the full palette with its fixed entries and distinct
// colours.
#include "drf_files.h"

#include "core/core.h"
#include "drawing/palette.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

#include <set>

namespace {

PALETTEENTRY Entry(DWORD rgb, BYTE flags = 0) {
  return {(BYTE)(rgb >> 16), (BYTE)(rgb >> 8), (BYTE)rgb, flags};
}
// "rrggbb", and the flags after a slash when there are any.
std::string Hex(const PALETTEENTRY& e) {
  char text[16];
  snprintf(text, sizeof text, "%02x%02x%02x", e.peRed, e.peGreen, e.peBlue);
  return e.peFlags ? text + std::string("/") + std::to_string(e.peFlags) : text;
}

// The stock default palette.
const DWORD kSystem[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                           0xc0c0c0, 0xc0dcc0, 0xa6caf0, 0xfffbf0, 0xa0a0a4, 0x808080, 0xff0000,
                           0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};

// A record whose decoded bitmap has the given colour table.
struct PaletteRecord {
  explicit PaletteRecord(const std::vector<DWORD>& colours) : bytes(40 + 4 * colours.size()) {
    record = TAVIMG_GetImgStruct(window);
    InitImgStruct(record);
    bytes[0] = 40; // biSize
    for (size_t i = 0; i < colours.size(); ++i)
      memcpy(&bytes[40 + 4 * i], &colours[i], 3); // blue, green, red
    record->BitmapInfo = (BITMAPINFO*)bytes.data();
    record->DRFColorCount = (SHORT)colours.size();
  }
  ~PaletteRecord() {
    record->BitmapInfo = nullptr;
    TAVIMG_UnloadPicture(window, record);
  }
  std::vector<PALETTEENTRY> Palette() const {
    std::vector<PALETTEENTRY> entries(256);
    entries.resize(GetPaletteEntries(record->Palette, 0, 256, entries.data()));
    return entries;
  }
  HWND window = FrameFakeWindow();
  ImgStruct* record;
  std::vector<uint8_t> bytes;
};

TEST(PaletteTable, SetAndGetEntries) {
  std::vector<PALETTEENTRY> entries(300);
  for (size_t i = 0; i < entries.size(); ++i)
    entries[i] = Entry((DWORD)i << 8 | 7);
  PaletteRecord r({});
  EXPECT_EQ(TAVIMG_SetPaletteEntries(r.record, entries.data(), 300), 256);
  std::vector<PALETTEENTRY> back(256);
  EXPECT_EQ(TAVIMG_GetPaletteEntries(0, back.data()), 256);
  EXPECT_EQ(0, memcmp(back.data(), entries.data(), 256 * 4));

  EXPECT_EQ(TAVIMG_SetPaletteEntries(r.record, nullptr, 0), 0);
  EXPECT_EQ(+r.record->PaletteSet, 1u);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(r.record, nullptr, -5), -1);
  EXPECT_EQ(+r.record->PaletteSet, 0u);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(nullptr, nullptr, 0), 0);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(nullptr, nullptr, -1), -1);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(r.record, nullptr, 10), 0); // nothing to copy from
  EXPECT_EQ(TAVIMG_GetPaletteEntries(0, nullptr), 256);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(nullptr, entries.data(), 3), 3);
  EXPECT_EQ(TAVIMG_GetPaletteEntries(0, back.data()), 3);
}

TEST(FullPalette, FixedEntriesAndPictureColoursMadeDistinct) {
  // A system colour, a fixed grey, a colour of its own, the grey again
  // (dropped), and black.
  PaletteRecord r({0x800000, 0x999999, 0x010203, 0x999999, 0x000000});
  r.record->PaletteSet = 1;
  const long gdi = tavwin::LiveGdiObjects();
  BYTE fill = 0;
  BuildPalette(&fill, r.record, TAV_PALETTE_DRF);
  ASSERT_NE(+r.record->Palette, nullptr);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi + 1);
  std::vector<PALETTEENTRY> p = r.Palette();
  ASSERT_EQ(p.size(), 256u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Hex(p[i]), Hex(Entry(kSystem[i]))) << i;
    EXPECT_EQ(Hex(p[246 + i]), Hex(Entry(kSystem[10 + i]))) << 246 + i;
  }
  // The fixed greys; then colours equal to fixed entries, and the unused
  // entries (black), get dark blues that no entry holds: blue 0, 128 and 255
  // are system colours.
  const std::pair<int, const char*> expected[] = {
      {10, "999999"},  {11, "666666"},  {12, "333333"},  {243, "f7f7f7"}, {244, "f5f5f5"},
      {245, "cdcdcd"}, {13, "000001"},  {14, "000002"},  {15, "010203"},  {16, "000003"},
      {17, "000004"},  {140, "00007f"}, {141, "000081"}, {242, "0000e6"},
  };
  for (const auto& [index, colour] : expected)
    EXPECT_EQ(Hex(p[index]), colour) << index;
  std::set<std::string> distinct;
  for (const PALETTEENTRY& e : p)
    distinct.insert(Hex(e));
  EXPECT_EQ(distinct.size(), 256u);
  EXPECT_EQ(fill, 255);

  // The picture's colours are now the module's table.
  std::vector<PALETTEENTRY> table(256);
  ASSERT_EQ(TAVIMG_GetPaletteEntries(0, table.data()), 230);
  EXPECT_EQ(0, memcmp(table.data(), &p[13], 230 * sizeof(PALETTEENTRY)));

  // Building again replaces the palette; none is leaked.
  BuildPalette(nullptr, r.record, TAV_PALETTE_DRF);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi + 1);
}

TEST(FullPalette, TiffTakesTheModuleTableAndSimplePaletteTheColourTable) {
  std::vector<PALETTEENTRY> host = {Entry(0x0a141e), Entry(0x28323c)};
  TAVIMG_SetPaletteEntries(nullptr, host.data(), 2);
  PaletteRecord r({0x010101, 0x020202, 0x030303, 0x040404, 0xffffff});
  r.record->PaletteSet = 1;
  BuildPalette(nullptr, r.record, TAV_PALETTE_TIFF);
  std::vector<PALETTEENTRY> p = r.Palette();
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(Hex(p[13]), "0a141e");
  EXPECT_EQ(Hex(p[14]), "28323c");
  EXPECT_EQ(Hex(p[15]), "000001");
  EXPECT_EQ(TAVIMG_GetPaletteEntries(0, nullptr), 2); // a TIFF palette leaves the table

  r.record->PaletteSet = 0;
  BYTE fill = 0;
  BuildPalette(&fill, r.record, TAV_PALETTE_TIFF);
  p = r.Palette();
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(Hex(p[4]), "ffffff");
  EXPECT_EQ(fill, 4);
  BuildPalette(&fill, r.record, 3); // no palette for other kinds
  EXPECT_EQ(+r.record->Palette, nullptr);
}

TEST(FullPalette, AfterAFullDrfPaletteTheTableHoldsItsColours) {
  // 240 distinct colours, none equal to a fixed entry.
  drfenc::DrfPicture picture = drftest::RandomPicture(6, 64, 64, 11);
  for (int i = 0; i < 240; ++i)
    picture.colours[i] = {(uint8_t)(i % 64), (uint8_t)(i / 64), 63};
  drftest::LoadedDrf drf;
  ASSERT_EQ(drf.Load(drftest::WritePicture("full_palette.drf", picture)), 1);
  EXPECT_EQ(TAVIMG_SetPaletteEntries(drf.record, nullptr, 0), 0);
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
  std::vector<PALETTEENTRY> table(256);
  ASSERT_EQ(TAVIMG_GetPaletteEntries(0, table.data()), 230);
  // Entry i is colour i * 239 / 229: the first and the last are kept.
  for (int i = 0; i < 230; ++i) {
    const int c = i * 239 / 229;
    ASSERT_EQ(Hex(table[i]), Hex(Entry((DWORD)(c % 64 * 4) << 16 | (DWORD)(c / 64 * 4) << 8 | 0xfc))) << i;
  }
}

} // namespace
