// The tavoimg tool's contract, run as a subprocess on the bundled samples:
// info, hotspots, render, drf2tiff, and its answers to bad input; its export
// against the library's own DIBs, and make-drf round trips: what make-drf
// encodes, export gives back pixel for pixel.
#include "drf_files.h"
#include "tiff_files.h"
#include "tool_run.h"
#include "write_limits.h"

#include <tavoimg/tavoimg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <fstream>

using drftest::TempPath;
using namespace tooltest;

namespace {

TEST(ToolInfo, DescribesEverySample) {
  const std::string tiff = Sample("drive-unit.tif");
  const std::string tiffLines = "format: TIFF\ncompression: 2 (Modified Huffman)\nstrips: 60\nrows-per-strip: 37\n"
                                "bits-per-pixel: 1\ncolours: 2\ntiff-size: 1728x2200\nhotspots: ";
  struct Case {
    const char* sample;
    bool companion;    // named with --tiff
    std::string lines; // after the file's own
  } cases[] = {
      {"drive-unit.drf", true,
       "format: DRF\nkind: 5 (four colours, drawn over a companion TIFF)\ndrf-size: 864x1100\nbits-per-pixel: 4\n"
       "colours: 4\npicture-data: 84368 bytes\ncompanion-tiff: " +
           tiff + "\ntiff-size: 1728x2200\nhotspots: 25\n"},
      {"drive-unit.tif", false, tiffLines + "0\n"},
      {"drive-unit-hotspots.tif", false, tiffLines + "25\n"},
      {"control-panel.drf", false,
       "format: DRF\nkind: 6 (240 colours)\ndrf-size: 480x320\nbits-per-pixel: 8\ncolours: 240\n"
       "picture-data: 35738 bytes\nhotspots: 12\n"},
      {"bearing-cap.drf", false,
       "format: DRF\nkind: 7 (64 grey levels)\ndrf-size: 400x300\nbits-per-pixel: 8\ncolours: 64\n"
       "picture-data: 38374 bytes\nhotspots: 8\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"info", Sample(c.sample), "--tiff", tiff};
    EXPECT_EQ(RunToolOk({args.begin(), args.begin() + (c.companion ? 4 : 2)}),
              "file: " + Sample(c.sample) + "\n" + c.lines);
  }
}

// drf2tiff writes the DRF's hotspots into a copy of the TIFF, at the TIFF's
// (twice the) resolution: the list of the bundled converted sample (how
// rectangles are scaled is the convert suite's).
TEST(ToolDrf2Tiff, ConvertedTiffCarriesTheDrfsHotspotsAtItsResolution) {
  std::string out = TempPath("converted.tif");
  RunToolOk({"drf2tiff", Sample("drive-unit.drf"), "--tiff", Sample("drive-unit.tif"), "-o", out});
  std::string listed = RunToolOk({"hotspots", out});
  EXPECT_EQ(listed.substr(0, listed.find('\n')), "0\titem-01\tHousing\t1\t404,140,484,220");
  EXPECT_EQ(listed, RunToolOk({"hotspots", Sample("drive-unit-hotspots.tif")}));
  std::string json = RunToolOk({"hotspots", Sample("drive-unit.drf"), "--json"});
  EXPECT_NE(json.find("{\"number\":0,\"name\":\"item-01\",\"text\":\"Housing\",\"kind\":1,\"rect\":["),
            std::string::npos)
      << json;
}

// The files below a folder, by their paths from it.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (!entry.is_directory())
      files.push_back(entry.path().lexically_relative(folder).string());
  std::sort(files.begin(), files.end());
  return files;
}

// Every command that writes, on a full file system and past the file size
// limit (SIGXFSZ ignored, so that writes fail with EFBIG): exit status 1 with
// the system's reason, no file left behind, and a file that was there before
// is as it was.
TEST(ToolWrites, FullDiskAndFileSizeLimitLeaveNoPartOfAFile) {
  const std::string unit = Sample("drive-unit.drf"), page = Sample("drive-unit.tif");
  std::string noisy = TempPath("noisy.bmp"); // compresses badly: a DRF of some 150 KB
  std::vector<uint32_t> grey(400 * 400);
  for (size_t i = 0; i < grey.size(); ++i)
    grey[i] = 0x010101u * (uint32_t)((i * 2654435761u >> 13) & 0xFC);
  WriteBmp24(noisy, 400, 400, grey);
  struct Command {
    std::vector<std::string> args;
    std::string out, file; // -o, and the file that a run replaces
  } commands[] = {
      {{"render", page}, "out.bmp", "out.bmp"},
      {{"export", page}, "out.bmp", "out.bmp"},
      {{"drf2tiff", unit, "--tiff", page}, "out.tif", "out.tif"},
      {{"make-drf", noisy, "--kind", "7"}, "out.drf", "out.drf"},
      {{"html", unit, "--tiff", page}, "page", "page/index.html"},
  };
  writelimits::SmallTmpfs disk("tool-full");
  struct Limit {
    std::string folder, before, reason;
  };
  std::vector<Limit> limits = {{TempPath("limited"), "trap '' XFSZ; ulimit -f 16; ", "File too large"}};
  if (disk.Mounted())
    limits.push_back({disk.Folder(), "", "No space left on device"});
  else
    std::cout << "[  SKIPPED ] the full file system cases: " << disk.Why() << "\n";
  for (const Limit& limit : limits) {
    for (const Command& c : commands) {
      for (bool existing : {false, true}) {
        SCOPED_TRACE(limit.reason + ": " + c.args[0] + (existing ? " over an existing file" : ""));
        std::filesystem::remove_all(limit.folder + "/" + c.out);
        std::filesystem::create_directories(limit.folder);
        std::string file = limit.folder + "/" + c.file;
        if (existing) {
          std::filesystem::create_directories(std::filesystem::path(file).parent_path());
          std::ofstream(file) << "the earlier file";
        }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", limit.folder + "/" + c.out});
        ToolResult run = RunTool(args, limit.before);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(": " + limit.reason), std::string::npos) << run.err;
        EXPECT_EQ(FilesBelow(limit.folder), existing ? std::vector<std::string>{c.file} : std::vector<std::string>{});
        EXPECT_TRUE(!existing || ReadFile(file) == "the earlier file");
        std::filesystem::remove_all(limit.folder + "/" + c.out);
      }
    }
  }
}

// A folder as a site: a page per picture (a kind-5 DRF over the TIFF of its
// name), failures reported and skipped, and a second run converts only what
// changed.
TEST(ToolHtml, FolderPagesFailuresAndRerunsOfWhatChanged) {
  namespace fs = std::filesystem;
  std::string folder = TempPath("pictures"), site = TempPath("site");
  fs::create_directories(folder + "/sub");
  for (const char* name : {"drive-unit.drf", "drive-unit.tif", "bearing-cap.drf"})
    fs::copy_file(Sample(name), folder + "/" + name);
  fs::copy_file(Sample("control-panel.drf"), folder + "/sub/control-panel.drf");
  std::ofstream(folder + "/broken.drf") << "not a picture at all";
  std::ofstream(folder + "/notes.txt") << "not a picture either, and not taken for one";

  ToolResult run = RunTool({"html", folder, "-j", "2", "-o", site});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("broken.drf: not a DRF or TIFF picture"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("4/4 "), std::string::npos) << run.out; // a plain line per picture off a terminal
  EXPECT_NE(run.out.find("(3 converted, 0 up to date, 1 failed, 0 removed)"), std::string::npos) << run.out;
  std::vector<std::string> pages;
  for (const std::string& file : FilesBelow(site))
    if (file.size() > 5 && file.compare(file.size() - 5, 5, ".html") == 0)
      pages.push_back(file);
  EXPECT_EQ(pages, (std::vector<std::string>{"bearing-cap.drf.html", "drive-unit.drf.html", "index.html",
                                             "sub/control-panel.drf.html"}));
  std::string index = ReadFile(site + "/index.json");
  EXPECT_NE(index.find("\"page\":\"./sub/control-panel.drf.html\""), std::string::npos) << index;
  EXPECT_NE(index.find("\"description\":\"DRF kind 5 over drive-unit.tif\""), std::string::npos) << index;
  EXPECT_NE(ReadFile(site + "/sub/control-panel.drf.html").find("\"index\":\"./../index.html\""), std::string::npos);

  fs::remove(folder + "/broken.drf");
  run = RunTool({"html", folder, "-o", site});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("(0 converted, 3 up to date, 0 failed, 0 removed)"), std::string::npos) << run.out;
  fs::copy_file(Sample("control-panel.drf"), folder + "/bearing-cap.drf", fs::copy_options::overwrite_existing);
  run = RunTool({"html", folder, "-o", site});
  EXPECT_NE(run.out.find("(1 converted, 2 up to date, 0 failed, 0 removed)"), std::string::npos) << run.out;
  EXPECT_NE(ReadFile(site + "/index.json").find("\"description\":\"DRF kind 6\""), std::string::npos);

  // A lost output is made again; a picture gone from the folder takes its
  // files with it, and only those the site's list names.
  const std::string thumb = site + "/sub/control-panel.drf.thumb.png";
  fs::remove(thumb);
  fs::remove(folder + "/bearing-cap.drf");
  std::ofstream(site + "/bearing-cap.drf.notes") << "the user's own";
  run = RunTool({"html", folder, "-o", site});
  EXPECT_NE(run.out.find("(1 converted, 1 up to date, 0 failed, 4 removed)"), std::string::npos) << run.out;
  EXPECT_TRUE(fs::exists(thumb));
  std::vector<std::string> left;
  for (const std::string& file : FilesBelow(site))
    if (file.rfind("bearing-cap", 0) == 0)
      left.push_back(file);
  EXPECT_EQ(left, std::vector<std::string>{"bearing-cap.drf.notes"});
  EXPECT_TRUE(fs::exists(site + "/drive-unit.drf.html") && fs::exists(site + "/sub/control-panel.drf.html"));
  // A list edited to name a file outside the site is refused.
  std::string list = ReadFile(site + "/tavoimg-site.json");
  std::ofstream(site + "/tavoimg-site.json")
      << std::string(list).replace(list.find("sub/control-panel.drf.thumb.png"), 31, "sub/../../x.png");
  fs::remove(folder + "/sub/control-panel.drf");
  run = RunTool({"html", folder, "-o", site});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("tavoimg-site.json: not a list this tool wrote"), std::string::npos) << run.err;
}

BmpPicture Render(std::vector<std::string> args, const std::string& name, ToolResult* result = nullptr) {
  std::string out = TempPath(name + ".bmp");
  args.insert(args.begin(), "render");
  args.insert(args.end(), {"-o", out});
  ToolResult run = RunTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  if (result)
    *result = run;
  BmpPicture picture;
  if (run.status == 0)
    ReadBmp(out, picture);
  return picture;
}

// Every sample in every mode that fits it, in the window size the tool
// picks (what the window shows is the view suite's).
TEST(ToolRender, EverySampleInEveryModeThatFitsIt) {
  const std::string unit = Sample("drive-unit.drf"), page = Sample("drive-unit.tif");
  struct Case {
    std::vector<std::string> args;
    int width, height;
  } cases[] = {
      {{unit, "--tiff", page, "--mode", "0"}, 864, 1100},
      {{unit, "--tiff", page, "--mode", "1"}, 800, 1019},
      {{unit, "--tiff", page, "--mode", "3", "--size", "500x400"}, 500, 400},
      {{page, "--mode", "4"}, 783, 583}, // the client area beside the scroll bars
      {{Sample("control-panel.drf"), "--mode", "2"}, 480, 320},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[c.args.size() - 1]);
    BmpPicture shown = Render(c.args, "mode" + std::to_string(n++));
    EXPECT_EQ(shown.width, c.width);
    EXPECT_EQ(shown.height, c.height);
    EXPECT_GT(shown.Colours(), 2) << "the window shows no picture";
  }
}

TEST(ToolRender, HoverAndRubberBandZoom) {
  std::string drf = Sample("drive-unit.drf");
  ToolResult run;
  Render({drf, "--hover", "507,90"}, "hover", &run); // the balloon of item 6
  EXPECT_EQ(run.out, "hover: item-06\n");
  Render({drf, "--hover", "2,2"}, "nohover", &run);
  EXPECT_EQ(run.out, "hover: none\n");

  // A zoom, a scroll and a second zoom each change what the window shows.
  const std::vector<std::string> steps = {"--zoom",  "100,150,300,300", "--scroll",
                                          "600,900", "--zoom",          "50,50,150,150"};
  BmpPicture previous;
  for (size_t n = 0; n <= steps.size(); n += 2) {
    std::vector<std::string> args = {Sample("drive-unit.tif"), "--mode", "1"};
    args.insert(args.end(), steps.begin(), steps.begin() + n);
    BmpPicture shown = Render(args, "view" + std::to_string(n), &run);
    EXPECT_EQ(run.err.find("did not zoom"), std::string::npos) << run.err;
    EXPECT_TRUE(n == 0 || shown.rgb != previous.rgb) << steps[n - 1];
    previous = shown;
  }
  Render({Sample("control-panel.drf"), "--full-palette", "--mark", "all"}, "full");
}

// Failures exit with 1 and say why; usage errors exit with 2 and say what
// was wrong in one line, with where to read more.
TEST(ToolErrors, MissingFilesNonPicturesAndBadOptions) {
  std::string text = TempPath("notes.txt"), spotsDrf = TempPath("spots.drf"), smallBmp = TempPath("small.bmp");
  std::ofstream(text) << "These are notes about the drive unit, not a picture of it.\n";
  WriteBmp24(smallBmp, 40, 30, std::vector<uint32_t>(40 * 30, 0x808080));
  // A DRF that the library cannot decode into its 16 bands: made with a
  // warning, refused when drawn or exported.
  std::string bigBmp = TempPath("big.bmp"), bigDrf = TempPath("big.drf");
  WriteBmp24(bigBmp, 1100, 1100, std::vector<uint32_t>(1100 * 1100, 0x808080));
  ToolResult made = RunTool({"make-drf", bigBmp, "--kind", "7", "-o", bigDrf});
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.err.find("needs 19 bands"), std::string::npos) << made.err;
  const std::string panel = Sample("control-panel.drf");
  // The sample TIFF with its Compression entry (259, SHORT, 1, 2) made to say 5.
  std::string lzw = TempPath("lzw.tif"), tiffBytes = ReadFile(Sample("drive-unit.tif"));
  tiffBytes[tiffBytes.find(std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x02\x00", 10)) + 8] = 5;
  std::ofstream(lzw, std::ios::binary) << tiffBytes;
  // make-drf with one hotspot: short of a corner, outside the picture,
  // inverted, or with a character that Windows-1252 lacks.
  auto spots = [&](const std::string& name, const char* rect) {
    std::string path = TempPath("spots" + std::to_string(std::hash<std::string>()(name + rect)) + ".json");
    std::ofstream(path) << "[{\"name\": \"ok\", \"rect\": [0, 0, 40, 30]}, {\"name\": \"" << name << "\", \"rect\": ["
                        << rect << "]}]";
    return std::vector<std::string>{"make-drf", smallBmp, "--kind", "7", "--hotspots", path, "-o", spotsDrf};
  };
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"info", "/nonexistent/picture.drf"}, 1, "/nonexistent/picture.drf: No such file or directory"},
      {{"export", "/nonexistent/picture.tif", "--as", "tiff", "-o", TempPath("x.bmp")}, 1, "No such file or directory"},
      {{"info", Sample("drive-unit.drf"), "--tiff", "/nonexistent.tif"}, 1, "/nonexistent.tif: No such file"},
      {{"render", TAV_SOURCE_DIR "/samples", "-o", TempPath("x.png")}, 1, "samples: Is a directory"},
      {{"info", text}, 1, "not a DRF or TIFF picture"},
      {{"info", lzw}, 1, "Unsupported TIFF-Compression (5)"}, // the value read from the file
      {{"html", text, "-o", TempPath("notes-page")}, 1, "not a DRF or TIFF picture"},
      {{"make-drf", text, "--kind", "5", "-o", TempPath("x.drf")}, 1, "neither a BMP nor a PNG"},
      {spots("short", "1, 2, 3"), 1, "hotspot 1: \"rect\" must be [left, top, right, bottom]"},
      {spots("wide", "30, 0, 41, 10"), 1, "hotspot 1 ('wide'): its rectangle reaches outside the 40x30 picture"},
      {spots("above", "0, -1, 10, 10"), 1, "hotspot 1 ('above'): its rectangle reaches outside"},
      {spots("backw\u00e4rts", "20, 0, 10, 10"), 1, "hotspot 1 ('backw\xc3\xa4rts'): its rectangle is inverted"},
      {spots("upside", "0, 20, 10, 10"), 1, "hotspot 1 ('upside'): its rectangle is inverted"},
      {spots("\u0394", "0, 0, 10, 10"), 1, "hotspot 1: \"name\" holds a character that Windows-1252 lacks"},
      {{"render", panel, "--mark", "no-such", "-o", TempPath("z.png")}, 1, "no hotspot named 'no-such'"},
      {{"drf2tiff", panel, "--tiff", Sample("drive-unit.tif"), "-o", TempPath("k6.tif")}, 1, "only kind 5"},
      {{"render", bigDrf, "-o", TempPath("big.png")}, 1, "could not decode the picture for drawing"},
      {{"export", bigDrf, "-o", TempPath("big.bmp")}, 1, ""},
      {{"render", panel, "--bogus", "-o", "x.png"}, 2, "tavoimg render: unknown option --bogus"},
      {{"render", panel, "--mode", "7", "-o", "x.png"}, 2, "--mode: '7' is not a whole number"},
      {{"render", panel}, 2, "missing -o"},
      {{"render", panel, "-o", "x.gif"}, 2, "-o must name a .png or .bmp file"},
      {{"render", panel, "--size", "16385x10", "-o", "x.png"}, 2, "a window is at most 16384 pixels a side"},
      {{"render", Sample("drive-unit.tif"), "--mode", "0", "-o", "x.png"}, 2, "display modes 1 and 4"},
      {{"render", panel, "--mode", "1", "-o", "x.png"}, 2, "has none"},
      {{"render", panel, "--zoom", "1,2,3", "-o", "x.png"}, 2, "needs 4 comma-separated numbers"},
      {{"make-drf", "x.bmp", "--kind", "8", "-o", "x.drf"}, 2, "--kind takes 5, 6 or 7"},
      {{"html", TAV_SOURCE_DIR "/samples", "--tiff", "a.tif", "-o", "site"}, 2, "--tiff and --as name one picture"},
      {{"html", panel, "-j0", "-o", "site"}, 2, "-j: '0' is not a whole number"},
      {{"html", panel, "--url", "file:///x", "-o", "site"}, 2, "not an http:// or https:// address"},
      {{"info"}, 2, "tavoimg info: missing FILE\ntry 'tavoimg info --help'\n"},
      {{"info", "a.drf", "b.drf"}, 2, "unexpected argument 'b.drf'"},
      {{"info", "a.drf", "--as", "gif"}, 2, "--as takes drf or tiff"},
      {{"frobnicate"}, 2, "tavoimg: unknown command 'frobnicate'\ntry 'tavoimg --help'\n"},
      {{}, 2, "tavoimg: missing COMMAND"},
  };
  for (const Case& c : cases) {
    ToolResult run = RunTool(c.args);
    EXPECT_EQ(run.status, c.status) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    if (c.status == 2) {
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
      EXPECT_NE(run.err.find("\ntry 'tavoimg "), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(RunToolOk({"--version"}), "tavoimg: VIMBEL Version 2.0 / 32Bit\n");
  for (const char* command : {"info", "hotspots", "render", "export", "drf2tiff", "make-drf", "html"}) {
    std::string help = RunToolOk({command, "--help"});
    EXPECT_EQ(help.rfind(std::string("usage: tavoimg ") + command, 0), 0u) << help;
  }
}

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

// Source pictures whose every colour a kind holds exactly (four greys, 240
// colours, 64 greys), with runs and busy stretches, at an awkward size.
std::vector<uint32_t> SourcePicture(int kind, int w, int h) {
  std::vector<uint32_t> rgb((size_t)w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool run = y % 5 == 0 || (x > w / 2 && x < w / 2 + 9);
      const uint32_t i = run ? y : kind == 5 ? x * 7 + y * 3 + x / 5 : kind == 7 ? x + 2 * y + x * y : x * x + 13 * y;
      rgb[(size_t)y * w + x] = kind == 5 ? 0x555555u * (3 - i % 4)
                               : kind == 7
                                   ? 0x040404u * (i % 64)
                                   : (i % 240 % 8 * 36) << 16 | (i % 240 / 8 % 8 * 36) << 8 | (i % 240 / 64 * 84);
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
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      rgb[(size_t)y * w + x] = (uint32_t)(x * 4) << 16 | (uint32_t)(y * 4) << 8 | (uint32_t)((x + y) * 2);
  std::string source = TempPath("colourful.bmp"), drf = TempPath("colourful.drf"), back = TempPath("colourful.out.bmp");
  WriteBmp24(source, w, h, rgb);
  RunToolOk({"make-drf", source, "--kind", "6", "-o", drf});
  RunToolOk({"export", drf, "-o", back});
  BmpPicture picture;
  ASSERT_TRUE(ReadBmp(back, picture));
  EXPECT_LE(picture.Colours(), 240);
  // Every pixel stays near its source colour.
  int worst = 0;
  for (size_t i = 0; i < rgb.size(); ++i)
    for (int shift : {0, 8, 16})
      worst = std::max(worst, std::abs((int)((rgb[i] >> shift) & 255) - (int)((picture.rgb[i] >> shift) & 255)));
  EXPECT_LE(worst, 24);
}

} // namespace
