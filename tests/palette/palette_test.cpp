// The palette: the module-wide table, the reduction of a picture's colours
// to 230, and the full palette with its fixed entries and distinct colours.
#include "drf_files.h"

#include "frame/frame.h"
#include "output/output.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

#include <set>

namespace {

PALETTEENTRY Entry(BYTE r, BYTE g, BYTE b, BYTE flags = 0) {
  return {r, g, b, flags};
}
DWORD Value(const PALETTEENTRY& e) {
  return (DWORD)e.peRed | e.peGreen << 8 | e.peBlue << 16 | (DWORD)e.peFlags << 24;
}

::testing::AssertionResult SameEntry(const PALETTEENTRY& got, const PALETTEENTRY& want) {
  if (Value(got) == Value(want))
    return ::testing::AssertionSuccess();
  char text[96];
  snprintf(text, sizeof text, "got %02x %02x %02x flags %d, want %02x %02x %02x flags %d", got.peRed, got.peGreen,
           got.peBlue, got.peFlags, want.peRed, want.peGreen, want.peBlue, want.peFlags);
  return ::testing::AssertionFailure() << text;
}

// The stock default palette (red, green, blue).
const DWORD kSystem[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                           0xc0c0c0, 0xc0dcc0, 0xa6caf0, 0xfffbf0, 0xa0a0a4, 0x808080, 0xff0000,
                           0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
PALETTEENTRY SystemColour(int i) {
  return Entry((BYTE)(kSystem[i] >> 16), (BYTE)(kSystem[i] >> 8), (BYTE)kSystem[i]);
}

// A record whose decoded bitmap has the given colour table.
struct PaletteRecord {
  explicit PaletteRecord(const std::vector<PALETTEENTRY>& colours) : bytes(40 + 4 * colours.size()) {
    record = TAVIMG_GetImgStruct(window);
    InitImgStruct(record);
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    memcpy(bytes.data(), &header, 40);
    for (size_t i = 0; i < colours.size(); ++i) {
      RGBQUAD q = {colours[i].peBlue, colours[i].peGreen, colours[i].peRed, 0};
      memcpy(&bytes[40 + 4 * i], &q, 4);
    }
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
  HWND window = drftest::FakeWindow();
  ImgStruct* record;
  std::vector<uint8_t> bytes;
};

TEST(PaletteTable, SetAndGetEntries) {
  std::vector<PALETTEENTRY> entries(300);
  for (size_t i = 0; i < entries.size(); ++i)
    entries[i] = Entry((BYTE)i, (BYTE)(i >> 8), 7);
  PaletteRecord r({});
  ClearLastErrorCode();
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

TEST(PaletteReduction, KeepsFirstAndLastOfMoreColoursThanRoom) {
  std::vector<PALETTEENTRY> source;
  for (int i = 0; i < 240; ++i)
    source.push_back(Entry((BYTE)i, (BYTE)(255 - i), (BYTE)(i / 2)));
  source.push_back(source[5]); // a repeat changes nothing
  std::vector<PALETTEENTRY> target(230);
  ReduceColours(source.data(), target.data(), (int)source.size(), 230);
  for (int i = 0; i < 230; ++i)
    ASSERT_TRUE(SameEntry(target[i], source[(size_t)(i * 239 / 229)])) << i;
  EXPECT_TRUE(SameEntry(target.front(), source.front()));
  EXPECT_TRUE(SameEntry(target.back(), source[239]));

  // Fewer distinct colours than room: in order of first appearance, then 0.
  std::vector<PALETTEENTRY> few = {Entry(1, 1, 1), Entry(2, 2, 2), Entry(1, 1, 1), Entry(3, 3, 3)};
  std::vector<PALETTEENTRY> out(6, Entry(9, 9, 9, 9));
  ReduceColours(few.data(), out.data(), 4, 6);
  EXPECT_TRUE(SameEntry(out[0], Entry(1, 1, 1)));
  EXPECT_TRUE(SameEntry(out[1], Entry(2, 2, 2)));
  EXPECT_TRUE(SameEntry(out[2], Entry(3, 3, 3)));
  for (int i = 3; i < 6; ++i)
    EXPECT_TRUE(SameEntry(out[i], Entry(0, 0, 0)));
}

TEST(FullPalette, FixedEntriesAndPictureColoursMadeDistinct) {
  // A system colour, a fixed grey, a colour of its own, and black.
  PaletteRecord r({Entry(0x80, 0, 0), Entry(0x99, 0x99, 0x99), Entry(1, 2, 3), Entry(0, 0, 0)});
  r.record->PaletteSet = 1;
  const long gdi = tavwin::LiveGdiObjects();
  BYTE fill = 0;
  BuildPalette(&fill, r.record, TAV_PALETTE_DRF);
  ASSERT_NE(+r.record->Palette, nullptr);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi + 1);
  std::vector<PALETTEENTRY> p = r.Palette();
  ASSERT_EQ(p.size(), 256u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(SameEntry(p[i], SystemColour(i))) << i;
    EXPECT_TRUE(SameEntry(p[246 + i], SystemColour(10 + i))) << 246 + i;
  }
  EXPECT_TRUE(SameEntry(p[10], Entry(0x99, 0x99, 0x99)));
  EXPECT_TRUE(SameEntry(p[11], Entry(0x66, 0x66, 0x66)));
  EXPECT_TRUE(SameEntry(p[12], Entry(0x33, 0x33, 0x33)));
  EXPECT_TRUE(SameEntry(p[243], Entry(0xF7, 0xF7, 0xF7)));
  EXPECT_TRUE(SameEntry(p[244], Entry(0xF5, 0xF5, 0xF5)));
  EXPECT_TRUE(SameEntry(p[245], Entry(0xCD, 0xCD, 0xCD)));
  // Colours equal to fixed entries, and the unused entries (black), get
  // dark blues that no entry holds: blue 0, 128 and 255 are system colours.
  EXPECT_TRUE(SameEntry(p[13], Entry(0, 0, 1)));
  EXPECT_TRUE(SameEntry(p[14], Entry(0, 0, 2)));
  EXPECT_TRUE(SameEntry(p[15], Entry(1, 2, 3)));
  EXPECT_TRUE(SameEntry(p[16], Entry(0, 0, 3)));
  EXPECT_TRUE(SameEntry(p[17], Entry(0, 0, 4)));
  EXPECT_TRUE(SameEntry(p[140], Entry(0, 0, 127)));
  EXPECT_TRUE(SameEntry(p[141], Entry(0, 0, 129)));
  EXPECT_TRUE(SameEntry(p[242], Entry(0, 0, 230)));
  std::set<DWORD> distinct;
  for (const PALETTEENTRY& e : p)
    distinct.insert(Value(e));
  EXPECT_EQ(distinct.size(), 256u);
  EXPECT_EQ(fill, 255);

  // The picture's colours are now the module's table.
  std::vector<PALETTEENTRY> table(256);
  ASSERT_EQ(TAVIMG_GetPaletteEntries(0, table.data()), 230);
  for (int i = 0; i < 230; ++i)
    ASSERT_TRUE(SameEntry(table[i], p[13 + i])) << i;

  // Building again replaces the palette; none is leaked.
  BuildPalette(nullptr, r.record, TAV_PALETTE_DRF);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi + 1);
}

TEST(FullPalette, TiffTakesTheModuleTableAndSimplePaletteTheColourTable) {
  std::vector<PALETTEENTRY> host = {Entry(10, 20, 30), Entry(40, 50, 60)};
  TAVIMG_SetPaletteEntries(nullptr, host.data(), 2);
  PaletteRecord r({Entry(1, 1, 1), Entry(2, 2, 2), Entry(3, 3, 3), Entry(4, 4, 4), Entry(255, 255, 255)});
  r.record->PaletteSet = 1;
  BuildPalette(nullptr, r.record, TAV_PALETTE_TIFF);
  std::vector<PALETTEENTRY> p = r.Palette();
  ASSERT_EQ(p.size(), 256u);
  EXPECT_TRUE(SameEntry(p[13], Entry(10, 20, 30)));
  EXPECT_TRUE(SameEntry(p[14], Entry(40, 50, 60)));
  EXPECT_TRUE(SameEntry(p[15], Entry(0, 0, 1)));
  EXPECT_EQ(TAVIMG_GetPaletteEntries(0, nullptr), 2); // a TIFF palette leaves the table

  r.record->PaletteSet = 0;
  BYTE fill = 0;
  BuildPalette(&fill, r.record, TAV_PALETTE_TIFF);
  p = r.Palette();
  ASSERT_EQ(p.size(), 5u);
  EXPECT_TRUE(SameEntry(p[4], Entry(255, 255, 255)));
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
  EXPECT_EQ(dib.pixels, picture.pixels);
  std::vector<PALETTEENTRY> table(256);
  ASSERT_EQ(TAVIMG_GetPaletteEntries(0, table.data()), 230);
  EXPECT_TRUE(SameEntry(table[0], Entry(0, 0, 252)));
  EXPECT_TRUE(SameEntry(table[229], Entry(4 * (239 % 64), 4 * 3, 252)));
  EXPECT_TRUE(SameEntry(table[1], Entry(4 * (1 * 239 / 229 % 64), 0, 252)));
}

} // namespace
