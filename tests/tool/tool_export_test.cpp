// The tool's export against the library's own DIBs, and make-drf round trips:
// what make-drf encodes, export gives back pixel for pixel.
#include "tool_run.h"
#include "drf_files.h"
#include "tiff_files.h"

#include <tavoimg/tavoimg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using drftest::TempPath;
using namespace tooltest;

namespace {

// The packed DIB the library hands a host for a picture file.
std::vector<uint8_t> LibraryDib(const std::string& path, bool tiff) {
  if (!tiff) {
    drftest::LoadedDrf drf;
    drftest::Dib dib;
    EXPECT_EQ(drf.Load(path), 1);
    EXPECT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    return dib.bytes;
  }
  TiffRecord record;
  EXPECT_EQ(record.Load(path), 1);
  std::vector<uint8_t> dib(TAVIMG_TIFF_DIB_SIZE(record->TIFFSize.x, record->TIFFSize.y));
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 1);
  return dib;
}

// A .bmp is the DIB byte for byte after a file header that gives the
// file's size and the pixels right after the colour table.
TEST(ToolExport, WritesTheLibrarysDibByteForByte) {
  struct Case {
    const char* sample;
    bool tiff;
    uint32_t colours;
  } cases[] = {{"drive-unit.drf", false, 4},
               {"control-panel.drf", false, 240},
               {"bearing-cap.drf", false, 64},
               {"drive-unit.tif", true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    std::string out = TempPath(std::string(c.sample) + ".bmp");
    RunToolOk({"export", Sample(c.sample), "-o", out});
    std::vector<uint8_t> dib = LibraryDib(Sample(c.sample), c.tiff);
    std::vector<uint8_t> file = {'B', 'M'};
    for (uint32_t v : {uint32_t(14 + dib.size()), 0u, 14 + 40 + 4 * c.colours})
      TiffPut(file, v, 4, false);
    file.insert(file.end(), dib.begin(), dib.end());
    EXPECT_TRUE(ReadFile(out) == std::string(file.begin(), file.end()));
  }
}

// Source pictures whose every colour a kind holds exactly, with runs and
// busy stretches, at an awkward size.
std::vector<uint32_t> SourcePicture(int kind, int w, int h) {
  std::vector<uint32_t> rgb((size_t)w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool run = y % 5 == 0 || (x > w / 2 && x < w / 2 + 9);
      uint32_t v;
      if (kind == 5) {
        static const uint32_t four[4] = {0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};
        v = four[run ? y % 4 : (x * 7 + y * 3 + x / 5) % 4];
      } else if (kind == 7) {
        uint32_t g = 4 * (run ? y % 64 : (x + 2 * y + x * y) % 64);
        v = g << 16 | g << 8 | g;
      } else {
        int i = run ? y % 240 : (x * x + 13 * y) % 240;
        v = (uint32_t)(i % 8 * 36) << 16 | (uint32_t)(i / 8 % 8 * 36) << 8 | (uint32_t)(i / 64 * 84);
      }
      rgb[(size_t)y * w + x] = v;
    }
  }
  return rgb;
}

// The tool's side of a round trip: its colours for each kind, both raster
// tables, hotspot texts and PNG files (the library's decoding of every kind
// and form is the DRF suite's).
TEST(ToolMakeDrf, ExportGivesBackTheSourcePictureForEveryKind) {
  const int w = 53, h = 37;
  std::string spots = TempPath("roundtrip.json");
  // Texts are UTF-8 in JSON and Windows-1252 in a DRF: \u escapes and raw
  // UTF-8 alike ("caf\u00e9 \u20ac", "café €"), and an escape character.
  std::ofstream(spots)
      << "[{\"name\": \"left\", \"text\": \"caf\\u00e9 \xe2\x82\xac\\u001b\", \"kind\": 3, \"rect\": [1, 2, 11, 12]},\n"
         " {\"name\": \"right\", \"kind\": 3, \"rect\": [30, 20, 40, 30]}]\n";
  for (int kind : {5, 6, 7}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    std::string stem = "roundtrip" + std::to_string(kind);
    std::string source = TempPath(stem + ".bmp"), drf = TempPath(stem + ".drf"), back = TempPath(stem + ".out.bmp");
    std::vector<uint32_t> rgb = SourcePicture(kind, w, h);
    WriteBmp24(source, w, h, rgb);
    std::vector<std::string> args = {"make-drf", source, "--kind", std::to_string(kind), "--hotspots",
                                     spots,      "-o",   drf,      "--compact"};
    RunToolOk({args.begin(), args.end() - (kind == 6 ? 0 : 1)});
    RunToolOk({"export", drf, "-o", back});
    BmpPicture picture;
    ASSERT_TRUE(ReadBmp(back, picture));
    ASSERT_EQ(picture.width, w);
    ASSERT_EQ(picture.height, h);
    EXPECT_TRUE(picture.rgb == rgb);
    // The raster table comes back, the 8-bit text included, as UTF-8 with
    // the control character shown escaped, and as UTF-8 in JSON.
    EXPECT_EQ(RunToolOk({"hotspots", drf}),
              "0\tleft\tcaf\xc3\xa9 \xe2\x82\xac\\x1b\t3\t1,2,11,12\n1\tright\t\t3\t30,20,40,30\n");
    EXPECT_NE(RunToolOk({"hotspots", drf, "--json"}).find("\"text\":\"caf\xc3\xa9 \xe2\x82\xac\\u001b\""),
              std::string::npos);
    // The same picture through PNG files: export to PNG, encode again, and
    // the DIB is the same to the byte.
    std::string png = TempPath(stem + ".png"), drf2 = TempPath(stem + "2.drf"), back2 = TempPath(stem + "2.bmp");
    RunToolOk({"export", drf, "-o", png});
    RunToolOk({"make-drf", png, "--kind", std::to_string(kind), "-o", drf2});
    RunToolOk({"export", drf2, "-o", back2});
    EXPECT_EQ(ReadFile(back2), ReadFile(back));
  }
}

TEST(ToolMakeDrf, HotspotJsonRoundTripsThroughTheTool) {
  std::string json = TempPath("spots.json"), drf = TempPath("spots.drf"), source = TempPath("spots.bmp");
  std::string listed = RunToolOk({"hotspots", Sample("control-panel.drf"), "--json"});
  std::ofstream(json) << listed;
  WriteBmp24(source, 480, 320, std::vector<uint32_t>(480 * 320, 0x336699));
  RunToolOk({"make-drf", source, "--kind", "6", "--hotspots", json, "-o", drf});
  EXPECT_EQ(RunToolOk({"hotspots", drf, "--json"}), listed);
}

TEST(ToolMakeDrf, QuantisesAColourfulPictureTo240Colours) {
  const int w = 64, h = 64; // 4096 colours
  std::vector<uint32_t> rgb((size_t)w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      rgb[(size_t)y * w + x] = (uint32_t)(x * 4) << 16 | (uint32_t)(y * 4) << 8 | (uint32_t)((x + y) * 2);
    }
  }
  std::string source = TempPath("colourful.bmp"), drf = TempPath("colourful.drf"), back = TempPath("colourful.out.bmp");
  WriteBmp24(source, w, h, rgb);
  RunToolOk({"make-drf", source, "--kind", "6", "-o", drf});
  RunToolOk({"export", drf, "-o", back});
  BmpPicture picture;
  ASSERT_TRUE(ReadBmp(back, picture));
  EXPECT_LE(picture.Colours(), 240);
  // Every pixel stays near its source colour.
  int worst = 0;
  for (size_t i = 0; i < rgb.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      worst = std::max(worst, std::abs((int)((rgb[i] >> shift) & 255) - (int)((picture.rgb[i] >> shift) & 255)));
    }
  }
  EXPECT_LE(worst, 24);
}

} // namespace
