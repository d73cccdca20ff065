#include "commands.h"

#include "host_window.h"
#include "html.h"
#include "image_io.h"
#include "json.h"
#include "output_file.h"
#include "quantize.h"

#include <afx.h>
#include <tavoimg/tavoimg.h>
#include <drfenc.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tool {

// ---- Shared by the commands ----

extern const OptionSpec kTiff{"--tiff", true, false};
extern const OptionSpec kAs{"--as", true, false};
extern const OptionSpec kOutput{"-o", true, false};

std::string OnlyPositional(const ParsedArgs& args, const char* what) {
  if (args.positional.size() != 1) {
    throw UsageError(args.positional.empty() ? std::string("missing ") + what
                                             : "unexpected argument '" + args.positional[1] + "'");
  }
  return args.positional[0];
}

std::string RequiredOption(const ParsedArgs& args, const char* name) {
  if (!args.Has(name)) {
    throw UsageError(std::string("missing ") + name);
  }
  return args.Get(name);
}

void CheckInput(const std::string& path) {
  struct stat about;
  if (stat(path.c_str(), &about) != 0) {
    throw Failure(path + ": " + std::strerror(errno));
  }
  if (S_ISDIR(about.st_mode)) {
    throw Failure(path + ": " + std::strerror(EISDIR));
  }
  if (access(path.c_str(), R_OK) != 0) {
    throw Failure(path + ": " + std::strerror(errno));
  }
}

PictureSource SourceFrom(const ParsedArgs& args, const char* what) {
  PictureSource source;
  source.path = OnlyPositional(args, what);
  source.tiffPath = args.Get("--tiff");
  std::string as = args.Get("--as");
  if (as.empty()) {
    source.format = SniffFormat(source.path);
  } else if (as == "drf" || as == "tiff") {
    source.format = as == "drf" ? PictureFormat::Drf : PictureFormat::Tiff;
  } else {
    throw UsageError("--as takes drf or tiff, not '" + as + "'");
  }
  if (source.format == PictureFormat::Tiff && !source.tiffPath.empty()) {
    throw UsageError("--tiff names the companion of a DRF; FILE is a TIFF");
  }
  CheckInput(source.path);
  if (!source.tiffPath.empty()) {
    CheckInput(source.tiffPath);
  }
  return source;
}

LONG Low(LONGLONG pair) {
  return TAVIMG_PAIR_X(pair);
}
LONG High(LONGLONG pair) {
  return TAVIMG_PAIR_Y(pair);
}
std::string SizeText(LONGLONG pair) {
  return std::to_string(Low(pair)) + "x" + std::to_string(High(pair));
}

void OpenOrFail(HostWindow& window, const PictureSource& source, DWORD mode, bool draw) {
  std::string error;
  bool opened = window.Open(source, mode, draw, error);
  // A file that is not a TIFF is read as a DRF, which has no magic number: one
  // whose kind byte is none of the four kinds is neither.
  if (source.format == PictureFormat::Drf) {
    int kind = opened ? window.Record()->DRFColorType : SniffDrfKind(source.path);
    if (kind < 5 || kind > 8) {
      throw Failure(source.path + ": not a DRF or TIFF picture");
    }
  }
  if (!opened) {
    // The library's text for an unsupported compression leaves the value
    // out; the tool reads it itself.
    const std::string unsupported = "Unsupported TIFF-Compression ()";
    long compression = SniffTiffCompression(source.format == PictureFormat::Tiff ? source.path : source.tiffPath);
    if (error.find(unsupported) != std::string::npos && compression >= 0) {
      error.replace(error.find(unsupported), unsupported.size(),
                    "Unsupported TIFF-Compression (" + std::to_string(compression) + ")");
    }
    throw Failure(source.path + ": " + error);
  }
}

DWORD QueryMode(const PictureSource& source) {
  return source.format == PictureFormat::Tiff ? 1 : 0;
}

const char* KindText(int kind) {
  switch (kind) {
  case 5:
    return "four colours, drawn over a companion TIFF";
  case 6:
    return "240 colours";
  case 7:
    return "64 grey levels";
  default:
    return "four colours, no picture data";
  }
}

std::vector<HotspotSpec> ReadHotspots(ImgStruct* record) {
  std::vector<HotspotSpec> spots;
  LONG count = TAVIMG_GetHotspotCount(record);
  for (LONG i = 0; i < count; ++i) {
    HotspotDataRecord data;
    std::memset(&data, 0, sizeof data);
    if (!TAVIMG_GetHotspotData(record, i, &data)) {
      continue;
    }
    HotspotSpec s;
    s.number = data.Number;
    s.name.assign(data.Name, strnlen(data.Name, sizeof data.Name));
    s.text.assign(data.Text, strnlen(data.Text, sizeof data.Text));
    s.kind = data.Kind;
    s.rect[0] = data.PictureRect.left;
    s.rect[1] = data.PictureRect.top;
    s.rect[2] = data.PictureRect.right;
    s.rect[3] = data.PictureRect.bottom;
    spots.push_back(s);
  }
  return spots;
}

namespace {

// ---- info ----

int RunInfo(const ParsedArgs& args) {
  PictureSource source = SourceFrom(args, "FILE");
  HostWindow window(64, 64);
  OpenOrFail(window, source, QueryMode(source), false);
  ImgStruct* r = window.Record();
  std::string companionError = LibraryErrorText(); // a failed companion TIFF does not fail the opening
  std::printf("file: %s\n", Printable(source.path).c_str());
  if (source.format == PictureFormat::Drf) {
    SHORT bits = 0, colours = 0;
    TAVIMG_GetDRFColorInfo(r, &bits, &colours);
    std::printf("format: DRF\nkind: %d (%s)\ndrf-size: %s\nbits-per-pixel: %d\ncolours: %d\n", r->DRFColorType,
                KindText(r->DRFColorType), SizeText(TAVIMG_GetDRFSize(r)).c_str(), bits, colours);
    std::printf("picture-data: %u bytes\n", static_cast<unsigned>(r->DRFDataSize));
    if (r->DRFColorType == 5) {
      std::printf("companion-tiff: %s\n",
                  source.tiffPath.empty() ? "none (give --tiff)" : Printable(source.tiffPath).c_str());
      if (!source.tiffPath.empty() && !r->TiffReady) {
        std::printf("companion-tiff-error: %s\n", companionError.empty() ? "not loaded" : companionError.c_str());
      }
    }
  } else {
    std::printf("format: TIFF\ncompression: %d (Modified Huffman)\nstrips: %u\nrows-per-strip: %u\n"
                "bits-per-pixel: 1\ncolours: 2\n",
                r->TiffCompression, static_cast<unsigned>(r->TiffStripCount),
                static_cast<unsigned>(r->TiffRowsPerStrip));
  }
  if (r->TiffReady || source.format == PictureFormat::Tiff) {
    std::printf("tiff-size: %s\n", SizeText(TAVIMG_GetTIFFSize(r)).c_str());
  }
  std::printf("hotspots: %d\n", TAVIMG_GetHotspotCount(r));
  return 0;
}

// ---- hotspots ----

int RunHotspots(const ParsedArgs& args) {
  PictureSource source = SourceFrom(args, "FILE");
  HostWindow window(64, 64);
  OpenOrFail(window, source, QueryMode(source), false);
  std::vector<HotspotSpec> spots = ReadHotspots(window.Record());
  if (args.Has("--json")) {
    std::fputs(HotspotsToJson(spots).c_str(), stdout);
    return 0;
  }
  for (const HotspotSpec& s : spots) {
    std::printf("%d\t%s\t%s\t%d\t%d,%d,%d,%d\n", s.number, Printable(Cp1252ToUtf8(s.name)).c_str(),
                Printable(Cp1252ToUtf8(s.text)).c_str(), s.kind, s.rect[0], s.rect[1], s.rect[2], s.rect[3]);
  }
  return 0;
}

// ---- render ----

void CheckPictureOutput(const std::string& path) {
  if (PictureFileTypeOf(path) == PictureFileType::Other) {
    throw UsageError("-o must name a .png or .bmp file");
  }
}

// A rubber band dragged with the left button from (l, t) to (r, b) after the
// host armed the zoom, as a user does it.
void DragZoom(HostWindow& window, const std::vector<int>& band) {
  TAVIMG_SetZoomMode(window.Record());
  window.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(band[0], band[1]));
  const int steps = 4;
  for (int i = 1; i <= steps; ++i) {
    int x = band[0] + (band[2] - band[0]) * i / steps;
    int y = band[1] + (band[3] - band[1]) * i / steps;
    window.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  window.Send(WM_LBUTTONUP, 0, MAKELPARAM(band[2], band[3]));
  window.Paint();
}

int RunRender(const ParsedArgs& args) {
  PictureSource source = SourceFrom(args, "FILE");
  std::string out = RequiredOption(args, "-o");
  CheckPictureOutput(out);
  bool tiff = source.format == PictureFormat::Tiff;
  int mode = args.Has("--mode") ? ParseInt("--mode", args.Get("--mode"), 0, 4) : (tiff ? 1 : 0);
  bool tiffView = mode == 1 || mode == 4;
  std::vector<std::vector<int>> zooms;
  for (const std::string& z : args.All("--zoom")) {
    zooms.push_back(ParseIntList("--zoom", z, 4));
  }
  std::vector<int> scroll, hover;
  if (args.Has("--scroll")) {
    scroll = ParseIntList("--scroll", args.Get("--scroll"), 2);
    if (scroll[0] < 0 || scroll[1] < 0) {
      throw UsageError("--scroll positions are 0 or more");
    }
  }
  if (args.Has("--hover")) {
    hover = ParseIntList("--hover", args.Get("--hover"), 2);
  }
  if (tiff && !tiffView) {
    throw UsageError("a TIFF picture is shown in display modes 1 and 4; modes 0, 2 and 3 show a DRF's own raster");
  }

  // A first look (without drawing) gives the sizes and the kind.
  LONGLONG drfSize = 0, tiffSize = 0;
  {
    HostWindow probe(64, 64);
    OpenOrFail(probe, source, QueryMode(source), false);
    ImgStruct* r = probe.Record();
    if (!tiff && tiffView && !r->TiffReady) {
      if (r->DRFColorType != 5) {
        throw UsageError("display modes 1 and 4 show a TIFF picture; a DRF of kind " + std::to_string(r->DRFColorType) +
                         " has none");
      }
      std::string error = LibraryErrorText();
      if (source.tiffPath.empty()) {
        throw UsageError("display modes 1 and 4 show the companion TIFF of a kind-5 DRF: give --tiff");
      }
      throw Failure(source.tiffPath + ": " + (error.empty() ? "the companion TIFF could not be opened" : error));
    }
    drfSize = TAVIMG_GetDRFSize(r);
    tiffSize = TAVIMG_GetTIFFSize(r);
  }
  int width = 0, height = 0;
  if (args.Has("--size")) {
    ParseSize("--size", args.Get("--size"), width, height);
  } else if (!tiffView) {
    width = Low(drfSize);
    height = High(drfSize);
  } else if (mode == 1) {
    width = std::min<int>(800, Low(tiffSize));
    double tall = Low(tiffSize) > 0 ? static_cast<double>(width) * High(tiffSize) / Low(tiffSize) + 0.5 : 600;
    height = static_cast<int>(std::min(4096.0, tall));
  } else {
    width = 800;
    height = 600;
  }
  if (width < 1 || height < 1) {
    throw Failure(source.path + ": the picture is empty (" + SizeText(tiffView ? tiffSize : drfSize) + ")");
  }

  HostWindow window(width, height);
  OpenOrFail(window, source, static_cast<DWORD>(mode), true);
  ImgStruct* record = window.Record();
  if (!IsWindow(window.Handle())) {
    // The library destroys the window when a DRF picture cannot be decoded
    // for drawing; the paint that follows clears the error code, so its text
    // is gone by now.
    throw Failure(source.path + ": the library could not decode the picture for drawing and destroyed the window "
                                "(too large, or out of memory)");
  }
  // As a host does after opening: the scroll bars of display mode 4 (hidden
  // in the other modes).
  TAVIMG_UpdateBars(window.Handle(), record);
  if (args.Has("--full-palette")) {
    // The record builds its palette on first need and keeps it: switch the
    // record to the full palette, drop the one of the first paint and paint
    // again.
    TAVIMG_SetPaletteEntries(record, nullptr, 0);
    if (record->Palette) {
      DeleteObject(record->Palette);
      record->Palette = nullptr;
    }
    InvalidateRect(window.Handle(), nullptr, TRUE);
  }
  window.Paint();
  for (const std::vector<int>& band : zooms) {
    DragZoom(window, band);
    if (!record->Zoomed) {
      std::fprintf(stderr,
                   "tavoimg render: the view did not zoom to %d,%d,%d,%d (a band starts inside the picture "
                   "area and is smaller than the picture)\n",
                   band[0], band[1], band[2], band[3]);
    }
  }
  if (!scroll.empty()) {
    window.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll[0]), 0);
    window.Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll[1]), 0);
    window.Paint();
  }
  for (const std::string& name : args.All("--mark")) {
    LONG done = name == "all" ? TAVIMG_SetAllHotspots(window.Handle(), 1, record)
                              : TAVIMG_SetHotspot(window.Handle(), name.c_str(), 1, record);
    if (!done && (name != "all" || TAVIMG_GetHotspotCount(record) > 0)) {
      throw Failure(
          source.path + ": " +
          (name == "all" ? std::string("the hotspots could not be marked") : "no hotspot named '" + name + "'"));
    }
    window.Paint();
  }
  if (!hover.empty()) {
    window.Send(WM_MOUSEMOVE, 0, MAKELPARAM(hover[0], hover[1]));
    char kindBytes[64] = {0}, text[64] = {0};
    const char* name = TAVIMG_GetHotspot(record, kindBytes, text);
    std::printf("hover: %s\n", name && *name ? Printable(Cp1252ToUtf8(name)).c_str() : "none");
  }
  Image image;
  std::string error;
  if (!window.ReadBack(image, error) || !WriteImageFile(out, image, error)) {
    throw Failure(error);
  }
  return 0;
}

// ---- export ----

// A zeroed buffer for a DIB; a DIB of more than 256 MB is refused rather than
// allocated.
void AllocateDib(std::vector<uint8_t>& dib, size_t size) {
  if (size > (size_t(256) << 20)) {
    throw Failure("the picture's DIB would take " + std::to_string(size >> 20) + " MB; refused");
  }
  dib.assign(size, 0);
}

} // namespace

std::vector<uint8_t> ExportDib(ImgStruct* r, const std::string& path, bool tiff) {
  std::vector<uint8_t> dib;
  LONG done = 0;
  if (!tiff) {
    LONGLONG size = TAVIMG_GetDRFSize(r);
    SHORT bits = 0, colours = 0;
    TAVIMG_GetDRFColorInfo(r, &bits, &colours);
    long w = Low(size), h = High(size);
    if (w < 1 || h < 1) {
      throw Failure(path + ": the DRF picture is empty (" + SizeText(size) + ")");
    }
    AllocateDib(dib, TAVIMG_DRF_DIB_SIZE(w, h, bits, colours));
    done = TAVIMG_DecodeDRF2DIB(r, dib.data());
  } else {
    LONGLONG size = TAVIMG_GetTIFFSize(r);
    long w = Low(size), h = High(size);
    if (w < 1 || h < 1) {
      throw Failure(path + ": the TIFF picture is empty (" + SizeText(size) + ")");
    }
    AllocateDib(dib, TAVIMG_TIFF_DIB_SIZE(w, h));
    done = TAVIMG_DecodeTIFF2DIB(r, dib.data());
  }
  if (!done) {
    std::string error = LibraryErrorText();
    throw Failure(path + ": " + (error.empty() ? "the library could not decode the picture" : error));
  }
  return dib;
}

namespace {

int RunExport(const ParsedArgs& args) {
  PictureSource source = SourceFrom(args, "FILE");
  std::string out = RequiredOption(args, "-o");
  CheckPictureOutput(out);
  HostWindow window(64, 64);
  OpenOrFail(window, source, QueryMode(source), false);
  std::vector<uint8_t> dib = ExportDib(window.Record(), source.path, source.format == PictureFormat::Tiff);
  std::string error;
  if (!WriteDibFile(out, dib.data(), dib.size(), error)) {
    throw Failure(error);
  }
  return 0;
}

// ---- drf2tiff ----

int RunDrf2Tiff(const ParsedArgs& args) {
  PictureSource source;
  source.path = OnlyPositional(args, "DRF");
  source.tiffPath = RequiredOption(args, "--tiff");
  std::string out = RequiredOption(args, "-o");
  source.format = PictureFormat::Drf;
  HostWindow window(64, 64);
  OpenOrFail(window, source, 0, false);
  ImgStruct* r = window.Record();
  if (r->DRFColorType != 5) {
    throw Failure(source.path + ": a DRF of kind " + std::to_string(r->DRFColorType) +
                  " has no companion TIFF; only kind 5 has");
  }
  if (!r->PictureFile || !r->TiffReady) {
    std::string error = LibraryErrorText();
    throw Failure(source.tiffPath + ": " + (error.empty() ? "the companion TIFF could not be opened" : error));
  }
  // The converter writes a temporary file beside OUT, which replaces OUT only
  // when it was written whole and reads back as a TIFF with the hotspots.
  std::string error;
  bool written = ReplaceFileWith(
      out,
      [&](const std::string& temporary) {
        errno = 0;
        if (!FILE_DRF2TIFF_Hotspots(0, r, CString(temporary.c_str()))) {
          error = "cannot write " + out + ": " +
                  (errno ? std::strerror(errno) : "the converter failed (the companion TIFF must be little-endian)");
          return false;
        }
        int code = errno;
        HostWindow check(64, 64);
        std::string ignored;
        PictureSource converted{temporary, "", PictureFormat::Tiff};
        if (!check.Open(converted, 1, false, ignored) ||
            TAVIMG_GetHotspotCount(check.Record()) != TAVIMG_GetHotspotCount(r)) {
          error = "cannot write " + out + ": " +
                  (code ? std::strerror(code) : "the written file does not read back as the converted TIFF");
          return false;
        }
        return true;
      },
      error);
  if (!written) {
    throw Failure(error);
  }
  return 0;
}

// ---- make-drf ----

bool WriteDrf(const IndexedPicture& picture, int kind, const std::vector<HotspotSpec>& spots, bool compact,
              const std::string& path, std::string& error) {
  drfenc::DrfPicture drf;
  drf.kind = kind;
  drf.width = picture.width;
  drf.height = picture.height;
  drf.pixels = picture.index;
  for (const std::array<uint8_t, 3>& c : picture.palette) {
    drf.colours.push_back(drfenc::Rgb6{c[0], c[1], c[2]});
  }
  for (const HotspotSpec& s : spots) {
    drfenc::Hotspot h;
    h.name = s.name;
    h.text = s.text;
    h.kind = static_cast<uint8_t>(s.kind);
    h.left = static_cast<int16_t>(s.rect[0]);
    h.top = static_cast<int16_t>(s.rect[1]);
    h.right = static_cast<int16_t>(s.rect[2]);
    h.bottom = static_cast<int16_t>(s.rect[3]);
    drf.hotspots.push_back(h);
  }
  drf.options.rasterForm = compact ? drfenc::RasterForm::Compact : drfenc::RasterForm::Full;
  std::vector<uint8_t> bytes;
  if (!drfenc::EncodeDrf(drf, bytes, &error)) {
    error = path + ": " + error;
    return false;
  }
  return WriteWholeFile(path, bytes.data(), bytes.size(), error);
}

int RunMakeDrf(const ParsedArgs& args) {
  std::string input = OnlyPositional(args, "IMAGE");
  std::string out = RequiredOption(args, "-o");
  std::string kindText = RequiredOption(args, "--kind");
  if (kindText != "5" && kindText != "6" && kindText != "7") {
    throw UsageError("--kind takes 5, 6 or 7, not '" + kindText + "'");
  }
  int kind = kindText[0] - '0';
  std::vector<HotspotSpec> spots;
  CheckInput(input);
  std::string spotsPath = args.Get("--hotspots");
  if (args.Has("--hotspots")) {
    std::string path = spotsPath;
    CheckInput(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      throw Failure(path + ": " + std::strerror(errno));
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!ParseHotspotsJson(text.str(), spots, error)) {
      throw Failure(path + ": " + error);
    }
    if (spots.size() > TAVIMG_MAX_HOTSPOTS) {
      throw Failure(path + ": " + std::to_string(spots.size()) + " hotspots; a DRF holds at most 600");
    }
    bool compact = args.Has("--compact");
    for (const HotspotSpec& s : spots) {
      std::string which = path + ": hotspot " + std::to_string(s.number) + " ('" + Cp1252ToUtf8(s.name) + "'): ";
      if (s.name.size() > 31 || s.text.size() > 24) {
        throw Failure(which + "names hold at most 31 characters and texts 24");
      }
      if (!compact && s.kind > 7) {
        throw Failure(which + "the full raster table holds kinds 0 to 7");
      }
    }
  }
  Image image;
  std::string error;
  if (!ReadImageFile(input, image, error)) {
    throw Failure(error);
  }
  if (image.width > 32767 || image.height > 32767) {
    throw Failure(input + ": a DRF picture is at most 32767 pixels wide and high");
  }
  for (const HotspotSpec& s : spots) {
    std::string which = spotsPath + ": hotspot " + std::to_string(s.number) + " ('" + Cp1252ToUtf8(s.name) + "'): ";
    if (s.rect[2] < s.rect[0] || s.rect[3] < s.rect[1]) {
      throw Failure(which + "its rectangle is inverted (right below left or bottom above top)");
    }
    if (s.rect[0] < 0 || s.rect[1] < 0 || s.rect[2] > image.width || s.rect[3] > image.height) {
      throw Failure(which + "its rectangle reaches outside the " + std::to_string(image.width) + "x" +
                    std::to_string(image.height) + " picture");
    }
  }
  IndexedPicture picture = kind == 5   ? MapToFourColours(image)
                           : kind == 7 ? MapToGreys(image)
                                       : MapToPalette(image, 240);
  if (!WriteDrf(picture, kind, spots, args.Has("--compact"), out, error)) {
    throw Failure(error);
  }
  // The library decodes into at most 16 bands of 64 KB each.
  int bits = kind == 5 ? 4 : 8;
  int padded = (picture.width + 15) / 16 * 16;
  int rowsPerBand = 65536 / padded * 8 / bits - 1;
  int bands = rowsPerBand > 0 ? (picture.height + rowsPerBand - 1) / rowsPerBand : picture.height;
  if (bands > 16) {
    std::fprintf(stderr,
                 "tavoimg make-drf: warning: %s is %dx%d and needs %d bands of 64 KB to be drawn; the library "
                 "draws at most 16\n",
                 out.c_str(), picture.width, picture.height, bands);
  }
  return 0;
}

} // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"info",
       "info FILE [--tiff TIFF] [--as drf|tiff]",
       "Opens the picture and prints \"key: value\" lines: format, kind, sizes,\n"
       "colours and the number of hotspots.\n\n"
       "  --tiff TIFF   the companion TIFF of a kind-5 DRF\n"
       "  --as drf|tiff read FILE as this format whatever its content\n",
       {kTiff, kAs},
       RunInfo},
      {"hotspots",
       "hotspots FILE [--tiff TIFF] [--as drf|tiff] [--json]",
       "Prints the picture's hotspots, one per line with tab-separated fields:\n"
       "number, name, text, kind, picture rectangle (left,top,right,bottom in\n"
       "picture pixels); names and texts in UTF-8, control characters written as\n"
       "\\xNN. With --json, a JSON array in the form make-drf reads:\n"
       "  [{\"number\":0,\"name\":\"item-01\",\"text\":\"Housing\",\"kind\":1,\n"
       "    \"rect\":[10,20,110,60]}, ...]\n"
       "The JSON is UTF-8; the picture holds names and texts in Windows-1252.\n",
       {kTiff, kAs, {"--json", false, false}},
       RunHotspots},
      {"render",
       "render FILE [--tiff TIFF] [--as drf|tiff] [--mode 0-4] [--size WxH] [--zoom L,T,R,B]...\n"
       "                [--scroll X,Y] [--mark NAME|all]... [--hover X,Y] [--full-palette] -o OUT.png|OUT.bmp",
       "Opens the picture with TAVIMG_LoadPicture into a window of WxH pixels, as a\n"
       "host does, and writes what the window shows.\n\n"
       "  --mode 0-4        display mode: 0 and 2 a DRF at its own size, 3 a DRF in a\n"
       "                    window that keeps its size, 1 the TIFF picture fitted, 4 the\n"
       "                    TIFF picture fitted to the width with scroll bars (default:\n"
       "                    0 for a DRF, 1 for a TIFF; 1 and 4 need a TIFF picture)\n"
       "  --size WxH        the window (default: the DRF's size in modes 0, 2, 3; 800\n"
       "                    wide and the picture's proportion in mode 1; 800x600 in 4)\n"
       "  --zoom L,T,R,B    drag a rubber band from (L,T) to (R,B), window pixels, with\n"
       "                    the left button after arming the zoom; repeatable, each\n"
       "                    zooms into the view that the previous one left\n"
       "  --scroll X,Y      move the scroll bars to X and Y (picture pixels while zoomed)\n"
       "  --mark NAME|all   mark the hotspots of that name, or all; repeatable\n"
       "  --hover X,Y       move the mouse to (X,Y) last; prints \"hover: NAME\"\n"
       "  --full-palette    draw through the full 256-entry palette of a 256-colour\n"
       "                    display (a true-colour window shows the same pixels)\n"
       "  -o OUT            a .png or .bmp file\n",
       {kTiff,
        kAs,
        kOutput,
        {"--mode", true, false},
        {"--size", true, false},
        {"--zoom", true, true},
        {"--scroll", true, false},
        {"--mark", true, true},
        {"--hover", true, false},
        {"--full-palette", false, false}},
       RunRender},
      {"export",
       "export FILE [--tiff TIFF] [--as drf|tiff] -o OUT.bmp|OUT.png",
       "Writes the DIB that TAVIMG_DecodeDRF2DIB (a DRF) or TAVIMG_DecodeTIFF2DIB (a\n"
       "TIFF) hands a host: as .bmp its bytes unchanged after a BITMAPFILEHEADER; as\n"
       ".png an indexed PNG with the DIB's colour table.\n",
       {kTiff, kAs, kOutput},
       RunExport},
      {"drf2tiff",
       "drf2tiff DRF --tiff TIFF -o OUT.tif",
       "Writes the companion TIFF of a kind-5 DRF with the DRF's hotspots in its\n"
       "private tag 65024 (FILE_DRF2TIFF_Hotspots). The TIFF must be little-endian.\n",
       {kTiff, kOutput},
       RunDrf2Tiff},
      {"make-drf",
       "make-drf IMAGE --kind 5|6|7 [--hotspots SPOTS.json] [--compact] -o OUT.drf",
       "Encodes a .bmp (1, 4, 8, 16, 24 or 32 bits) or .png picture as a DRF.\n\n"
       "  --kind 5          four colours: white, grey 170, grey 85, black (nearest by\n"
       "                    brightness); drawn over a companion TIFF\n"
       "  --kind 6          at most 240 colours of 6 bits per channel (median cut\n"
       "                    when the picture has more)\n"
       "  --kind 7          64 grey levels (grey i shows as 4i)\n"
       "  --hotspots FILE   the raster table, as JSON (see \"hotspots --help\"); rect in\n"
       "                    pixels of IMAGE, inside it; names up to 31 characters and\n"
       "                    texts up to 24, of those that Windows-1252 holds\n"
       "  --compact         write the compact raster table: every hotspot of one size\n"
       "                    and kind\n",
       {kOutput, {"--kind", true, false}, {"--hotspots", true, false}, {"--compact", false, false}},
       RunMakeDrf},
      {"html",
       "html PICTURE [--tiff TIFF] [--as drf|tiff] [--url URL] -o DIR\n"
       "                | html FOLDER [-j N] [--url URL] [--shard K/N|auto] -o SITE | html --merge SITE",
       "A picture as a web page that works offline, from a folder without a server:\n"
       "DIR/index.html, the picture as tiles in the IIIF Image API 3.0 static layout\n"
       "(DIR/NAME.iiif/info.json) and a IIIF Presentation 3 manifest with its hotspots\n"
       "(DIR/NAME.manifest.json). The page fits the picture to the window, zooms\n"
       "(wheel, buttons, + and -, pinch, double-tap) and pans (drag, arrow keys);\n"
       "hovering or tapping a hotspot shows its name and text, clicking marks every\n"
       "hotspot of that name. The address holds the marks and the view\n"
       "(#marks=NAME,NAME&view=SCALE,X,Y; #NAME marks one name).\n\n"
       "A FOLDER is converted with everything below it (.drf, .tif and .tiff files;\n"
       "a kind-5 DRF takes the TIFF of the same name as its companion): one page per\n"
       "picture at the picture's path below SITE, SITE/index.html with thumbnails\n"
       "and a search over file names, descriptions and hotspot names and texts, and\n"
       "SITE/index.json. Links to folders are followed; one that leads back to a\n"
       "folder holding it is reported and skipped. A picture or folder that cannot be\n"
       "read, or a picture that fails, is reported and counted; the exit status is\n"
       "then 1.\n\n"
       "Runs again into the same SITE convert only what changed: a page whose\n"
       "pictures are newer, or one of whose files is missing or older than the\n"
       "pictures. The files of pictures that left the folder are removed: only\n"
       "those that SITE/tavoimg-site.json lists as written by this tool. While a run\n"
       "writes SITE it holds a lock on SITE/tavoimg.lock; a second run into it\n"
       "refuses to start.\n\n"
       "  -j N              convert N pictures at once (default: one per processor)\n"
       "  --shard K/N       convert only share K (0 to N-1) of the pictures, chosen by\n"
       "                    a hash of each one's path below FOLDER, and write their\n"
       "                    files and SITE/tavoimg-site.K-of-N.json, not the index;\n"
       "                    shares of one N may run at once, on many machines\n"
       "  --shard auto      K and N from SLURM_ARRAY_TASK_ID (less\n"
       "                    SLURM_ARRAY_TASK_MIN) and SLURM_ARRAY_TASK_COUNT, or from\n"
       "                    JOB_COMPLETION_INDEX and JOB_COMPLETIONS (set that one to\n"
       "                    the job's number of completions)\n"
       "  --merge SITE      join the shares' lists into SITE/index.html and\n"
       "                    SITE/index.json (see docs/archives.md)\n"
       "  --url URL         the address at which DIR or SITE will be served (http://\n"
       "                    or https://): the IIIF ids of info.json and the manifests\n"
       "                    become absolute, as IIIF viewers want them (default:\n"
       "                    relative ids)\n",
       {kTiff,
        kAs,
        kOutput,
        {"-j", true, false},
        {"--url", true, false},
        {"--shard", true, false},
        {"--merge", true, false}},
       RunHtml},
  };
  return commands;
}

} // namespace tool
