// The tool's export against the library's own DIBs, and make-drf round trips:
// what make-drf encodes, export gives back pixel for pixel.
#include "tool_run.h"
#include "view_host.h"

#include <tavoimg/tavoimg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using tooltest::BmpPicture;
using tooltest::ReadBmp;
using tooltest::RunTool;
using tooltest::Sample;
using tooltest::TempFile;

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

// The packed DIB the library hands a host for a picture file.
std::vector<uint8_t> LibraryDib(const std::string& path, bool tiff) {
  viewtest::HostWindow window(0, 0, 64, 64);
  ImgStruct* r = tiff ? TAVIMG_OpenImage(window.hwnd(), 0, nullptr, path.c_str(), "", 1, TAVIMG_FILE_TIFF, 0)
                      : TAVIMG_OpenImage(window.hwnd(), 0, nullptr, "", path.c_str(), 0, TAVIMG_FILE_DRF, 0);
  EXPECT_NE(r, nullptr) << path;
  if (!r) {
    return {};
  }
  std::vector<uint8_t> dib;
  if (tiff) {
    LONGLONG size = TAVIMG_GetTIFFSize(r);
    int w = (LONG)size, h = (LONG)(size >> 32);
    dib.assign(48 + (size_t)(w + 31) / 32 * 4 * h, 0);
    EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(r, dib.data()), 1);
  } else {
    LONGLONG size = TAVIMG_GetDRFSize(r);
    int w = (LONG)size, h = (LONG)(size >> 32);
    SHORT bits = 0, colours = 0;
    EXPECT_EQ(TAVIMG_GetDRFColorInfo(r, &bits, &colours), 1);
    dib.assign(40 + 4 * colours + (size_t)(w + 15) / 16 * 16 * bits / 8 * h, 0);
    EXPECT_EQ(TAVIMG_DecodeDRF2DIB(r, dib.data()), 1);
    dib.resize(40 + 4 * colours + (size_t)(w * bits + 31) / 32 * 4 * h); // the packed DIB
  }
  TAVIMG_UnloadPicture(window.hwnd(), r);
  return dib;
}

TEST(ToolExport, WritesTheLibrarysDibByteForByte) {
  struct Case {
    const char* sample;
    bool tiff;
    int bits, colours;
  } cases[] = {{"drive-unit.drf", false, 4, 4},
               {"control-panel.drf", false, 8, 240},
               {"bearing-cap.drf", false, 8, 64},
               {"drive-unit.tif", true, 1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    std::string out = TempFile(std::string(c.sample) + ".bmp");
    tooltest::ToolResult run = RunTool({"export", Sample(c.sample), "-o", out});
    ASSERT_EQ(run.status, 0) << run.err;
    BmpPicture bmp;
    ASSERT_TRUE(ReadBmp(out, bmp));
    std::vector<uint8_t> dib = LibraryDib(Sample(c.sample), c.tiff);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(bmp.bitCount, c.bits);
    // BITMAPFILEHEADER: size of the file, and the pixels right after the colour table.
    EXPECT_EQ(Le32(&bmp.fileBytes[2]), 14 + dib.size());
    EXPECT_EQ(Le32(&bmp.fileBytes[10]), 14u + 40 + 4 * c.colours);
    ASSERT_EQ(bmp.fileBytes.size(), 14 + dib.size());
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bmp.fileBytes.begin() + 14));
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

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ToolMakeDrf, ExportGivesBackTheSourcePictureForEveryKind) {
  const int w = 53, h = 37;
  for (int kind : {5, 6, 7}) {
    for (bool compact : {false, true}) {
      SCOPED_TRACE("kind " + std::to_string(kind) + (compact ? ", compact raster table" : ", full raster table"));
      std::string stem = "roundtrip" + std::to_string(kind) + (compact ? "c" : "f");
      std::string source = TempFile(stem + ".bmp"), drf = TempFile(stem + ".drf"), back = TempFile(stem + ".out.bmp");
      std::vector<uint32_t> rgb = SourcePicture(kind, w, h);
      tooltest::WriteBmp24(source, w, h, rgb);
      std::string spots = TempFile(stem + ".json");
      std::ofstream(spots)
          << "[{\"name\": \"left\", \"text\": \"caf\\u00e9\", \"kind\": 3, \"rect\": [1, 2, 11, 12]},\n"
             " {\"name\": \"right\", \"kind\": 3, \"rect\": [30, 20, 40, 30]}]\n";
      std::vector<std::string> args = {"make-drf",   source, "--kind", std::to_string(kind),
                                       "--hotspots", spots,  "-o",     drf};
      if (compact) {
        args.push_back("--compact");
      }
      tooltest::ToolResult made = RunTool(args);
      ASSERT_EQ(made.status, 0) << made.err;
      tooltest::ToolResult exported = RunTool({"export", drf, "-o", back});
      ASSERT_EQ(exported.status, 0) << exported.err;
      BmpPicture picture;
      ASSERT_TRUE(ReadBmp(back, picture));
      ASSERT_EQ(picture.width, w);
      ASSERT_EQ(picture.height, h);
      int wrong = 0;
      for (size_t i = 0; i < rgb.size(); ++i) {
        wrong += picture.rgb[i] != rgb[i];
      }
      EXPECT_EQ(wrong, 0);

      // The raster table comes back, the 8-bit text included.
      tooltest::ToolResult listed = RunTool({"hotspots", drf});
      ASSERT_EQ(listed.status, 0) << listed.err;
      EXPECT_EQ(listed.out, "0\tleft\tcaf\xe9\t3\t1,2,11,12\n1\tright\t\t3\t30,20,40,30\n");

      // The same picture through PNG files: export to PNG, encode again, and
      // the DIB is the same to the byte.
      std::string png = TempFile(stem + ".png"), drf2 = TempFile(stem + "2.drf"), back2 = TempFile(stem + "2.bmp");
      ASSERT_EQ(RunTool({"export", drf, "-o", png}).status, 0);
      ASSERT_EQ(RunTool({"make-drf", png, "--kind", std::to_string(kind), "-o", drf2}).status, 0);
      ASSERT_EQ(RunTool({"export", drf2, "-o", back2}).status, 0);
      EXPECT_EQ(Slurp(back2), Slurp(back));
    }
  }
}

TEST(ToolMakeDrf, HotspotJsonRoundTripsThroughTheTool) {
  std::string json = TempFile("spots.json"), drf = TempFile("spots.drf"), source = TempFile("spots.bmp");
  tooltest::ToolResult listed = RunTool({"hotspots", Sample("control-panel.drf"), "--json"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  std::ofstream(json) << listed.out;
  tooltest::WriteBmp24(source, 480, 320, std::vector<uint32_t>(480 * 320, 0x336699));
  ASSERT_EQ(RunTool({"make-drf", source, "--kind", "6", "--hotspots", json, "-o", drf}).status, 0);
  EXPECT_EQ(RunTool({"hotspots", drf, "--json"}).out, listed.out);
}

TEST(ToolMakeDrf, QuantisesAColourfulPictureTo240Colours) {
  const int w = 64, h = 64; // 4096 colours
  std::vector<uint32_t> rgb((size_t)w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      rgb[(size_t)y * w + x] = (uint32_t)(x * 4) << 16 | (uint32_t)(y * 4) << 8 | (uint32_t)((x + y) * 2);
    }
  }
  std::string source = TempFile("colourful.bmp"), drf = TempFile("colourful.drf"), back = TempFile("colourful.out.bmp");
  tooltest::WriteBmp24(source, w, h, rgb);
  ASSERT_EQ(RunTool({"make-drf", source, "--kind", "6", "-o", drf}).status, 0);
  ASSERT_EQ(RunTool({"export", drf, "-o", back}).status, 0);
  BmpPicture picture;
  ASSERT_TRUE(ReadBmp(back, picture));
  std::vector<uint32_t> seen(picture.rgb);
  std::sort(seen.begin(), seen.end());
  EXPECT_LE(std::unique(seen.begin(), seen.end()) - seen.begin(), 240);
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
