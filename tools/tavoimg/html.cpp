// "tavoimg html": a picture, or a folder of pictures, as web pages that work
// offline. Every page is rendered by the library in a process of its own, so
// that a folder converts in parallel although the library keeps module-wide
// state and takes no lock.
#include "html.h"

#include "iiif.h"
#include "output_file.h"
#include "page.h"
#include "pyramid.h"
#include "site.h"
#include "web_assets.h"

#include <tavoimg/tavoimg.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

std::string HtmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string FillTemplate(const char* name, const std::map<std::string, std::string>& values) {
  std::string text = WebAsset(name), out;
  size_t at = 0;
  while (true) {
    size_t open = text.find("{{", at);
    size_t close = open == std::string::npos ? open : text.find("}}", open);
    if (close == std::string::npos) {
      return out + text.substr(at);
    }
    auto value = values.find(text.substr(open + 2, close - open - 2));
    out += text.substr(at, open - at) + (value == values.end() ? "" : value->second);
    at = close + 2;
  }
}

PageFiles::~PageFiles() {
  if (!kept_) {
    for (const std::string& path : created_) {
      std::remove(path.c_str());
    }
    for (const std::string& path : folders_) {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  }
}

void PageFiles::Folder(const std::string& path) {
  folders_.push_back(path);
  written_.push_back(path + "/");
}

void PageFiles::Text(const std::string& path, const std::string& text) {
  Check(path, WriteWholeFile(Note(path), text.data(), text.size(), error_));
}

void PageFiles::Picture(const std::string& path, const Image& image) {
  Check(path, WriteImageFile(Note(path), image, error_));
}

const std::string& PageFiles::Note(const std::string& path) {
  if (access(path.c_str(), F_OK) != 0) {
    created_.push_back(path);
  }
  written_.push_back(path);
  return path;
}

void PageFiles::Check(const std::string& path, bool written) {
  if (!written) {
    throw Failure(error_.empty() ? "cannot write " + path : error_);
  }
}

namespace {

const int kThumbWidth = 200; // thumbnails of the site's index

// A smaller copy, each pixel the mean of the source pixels it covers.
Image Shrink(const Image& source, int width, int height) {
  Image out;
  out.Resize(width, height);
  for (int y = 0; y < height; ++y) {
    int y0 = static_cast<int>(static_cast<long long>(y) * source.height / height);
    int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * source.height / height));
    for (int x = 0; x < width; ++x) {
      int x0 = static_cast<int>(static_cast<long long>(x) * source.width / width);
      int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * source.width / width));
      unsigned long sum[3] = {0, 0, 0};
      for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
          for (int c = 0; c < 3; ++c) {
            sum[c] += source.Pixel(sx, sy)[c];
          }
        }
      }
      unsigned long n = static_cast<unsigned long>(y1 - y0) * (x1 - x0);
      for (int c = 0; c < 3; ++c) {
        out.Pixel(x, y)[c] = static_cast<uint8_t>((sum[c] + n / 2) / n);
      }
    }
  }
  return out;
}

// A size of at most width pixels across in the picture's proportion.
void Reduced(int pictureWidth, int pictureHeight, int most, int& width, int& height) {
  width = std::min(pictureWidth, most);
  height = std::max(1, static_cast<int>(static_cast<double>(width) * pictureHeight / pictureWidth + 0.5));
}

std::string Number(long v) {
  return std::to_string(v);
}

std::string Describe(const PictureSource& source, ImgStruct* r) {
  if (source.format == PictureFormat::Tiff) {
    return "TIFF";
  }
  std::string text = "DRF kind " + Number(r->DRFColorType);
  if (r->TiffReady) {
    text += " over " + fs::path(source.tiffPath).filename().string();
  }
  return text;
}

} // namespace

Json WritePage(const PagePlan& plan, PageFiles& files) {
  const PictureSource& source = plan.source;
  HostWindow window(64, 64);
  OpenOrFail(window, source, QueryMode(source), false);
  ImgStruct* r = window.Record();
  if (source.format == PictureFormat::Drf && r->DRFColorType == 5 && !source.tiffPath.empty() && !r->TiffReady) {
    std::string error = LibraryErrorText();
    throw Failure(source.tiffPath + ": " + (error.empty() ? "the companion TIFF could not be opened" : error));
  }
  // A TIFF, or the companion of a kind-5 DRF, is shown at its own resolution;
  // a DRF's hotspots stay in DRF pixels, stretched over whichever is shown.
  bool tiffPicture = source.format == PictureFormat::Tiff || r->TiffReady;
  LONGLONG pictureSize = tiffPicture ? TAVIMG_GetTIFFSize(r) : TAVIMG_GetDRFSize(r);
  LONGLONG spaceSize = source.format == PictureFormat::Tiff ? TAVIMG_GetTIFFSize(r) : TAVIMG_GetDRFSize(r);
  int width = Low(pictureSize), height = High(pictureSize);
  std::vector<HotspotSpec> spots = ReadHotspots(r);
  std::vector<uint8_t> dib = ExportDib(r, source.path, tiffPicture);
  std::string description = Describe(source, r);

  fs::path folder = plan.folder;
  // The picture as tiles, and its manifest beside the page. Their IIIF ids
  // are absolute when the site's address is known.
  std::string tilesName = plan.base + ".iiif", manifestName = plan.base + ".manifest.json";
  std::string pageFolder = fs::path(plan.sitePath).parent_path().string();
  std::string base =
      plan.url.empty() ? "" : plan.url + "/" + (pageFolder.empty() ? "" : UrlPath(pageFolder).substr(2) + "/");
  int threads = plan.threads > 0 ? plan.threads : static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
  Pyramid pyramid = WritePyramid(dib.data(), dib.size(), (folder / tilesName).string(),
                                 base.empty() ? UrlPath(tilesName) : base + UrlPath(tilesName).substr(2), threads);
  files.Folder((folder / tilesName).string());
  ManifestPlan manifest{base,        manifestName,   tilesName,      ValidUtf8(plan.base),
                        description, Low(spaceSize), High(spaceSize)};
  files.Text((folder / manifestName).string(), ManifestJson(manifest, pyramid, spots));

  Json hotspots = Json::array(), indexSpots = Json::array();
  for (const HotspotSpec& s : spots) {
    std::string name = Cp1252ToUtf8(s.name), text = Cp1252ToUtf8(s.text);
    hotspots.push_back(
        {{"name", name}, {"text", text}, {"kind", s.kind}, {"rect", {s.rect[0], s.rect[1], s.rect[2], s.rect[3]}}});
    indexSpots.push_back({name, text});
  }
  fs::path sitePath(plan.sitePath);
  Json data = {{"title", ValidUtf8(plan.base)},
               {"description", description},
               {"width", width},
               {"height", height},
               {"tiles", ImageInfo(pyramid, UrlPath(tilesName))},
               {"manifest", UrlPath(manifestName)},
               {"space", {Low(spaceSize), High(spaceSize)}},
               {"index", plan.indexHref},
               {"hotspots", hotspots}};
  files.Text((folder / plan.pageName).string(), FillTemplate("page.html", {{"title", HtmlEscape(ValidUtf8(plan.base))},
                                                                           {"style", WebAsset("page.css")},
                                                                           {"script", WebAsset("page.js")},
                                                                           {"viewer", WebAsset("openseadragon.min.js")},
                                                                           {"viewer-license", WebAsset("LICENSE.txt")},
                                                                           {"data", JsonText(data)}}));
  if (plan.sitePath.empty()) {
    return nullptr;
  }
  // The thumbnail from the pyramid's smallest level.
  Image picture;
  std::string error;
  if (pyramid.levels > 1) {
    picture = std::move(pyramid.smallest);
  } else if (!DecodeDib(dib.data(), dib.size(), picture, error)) {
    throw Failure(source.path + ": " + error);
  }
  int thumbWidth = 0, thumbHeight = 0;
  Reduced(width, height, kThumbWidth, thumbWidth, thumbHeight);
  std::string thumbName = plan.base + ".thumb.png";
  files.Picture((folder / thumbName).string(), Shrink(picture, thumbWidth, thumbHeight));
  auto inSite = [&](const std::string& name) { return (sitePath.parent_path() / name).string(); };
  return {{"page", UrlPath(sitePath.string())},
          {"file", ValidUtf8(inSite(plan.base))},
          {"thumb", UrlPath(inSite(thumbName))},
          {"manifest", UrlPath(inSite(manifestName))},
          {"description", description},
          {"width", width},
          {"height", height},
          {"hotspots", indexSpots}};
}

int RunHtml(const ParsedArgs& args) {
  if (args.Has("--merge")) {
    if (!args.positional.empty() || args.Has("-o") || args.Has("--shard")) {
      throw UsageError("--merge SITE takes no FOLDER, -o or --shard");
    }
    return RunMerge(args.Get("--merge"));
  }
  std::string input = OnlyPositional(args, "PICTURE or FOLDER");
  fs::path out = RequiredOption(args, "-o");
  int jobs = args.Has("-j") ? ParseInt("-j", args.Get("-j"), 1, 256) : std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
  std::string url = args.Has("--url") ? args.Get("--url") : "";
  if (!url.empty() && url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
    throw UsageError("--url: '" + url + "' is not an http:// or https:// address");
  }
  while (!url.empty() && url.back() == '/') {
    url.pop_back();
  }
  struct stat about;
  if (stat(input.c_str(), &about) == 0 && S_ISDIR(about.st_mode)) {
    if (args.Has("--tiff") || args.Has("--as")) {
      throw UsageError("--tiff and --as name one picture; a folder's kind-5 DRFs take the TIFF of the same name");
    }
    SiteOptions options;
    options.input = input;
    options.site = out;
    options.jobs = jobs;
    options.url = url;
    if (args.Has("--shard")) {
      ParseShard(args.Get("--shard"), options.shard, options.shards);
    }
    return RunSite(options);
  }
  if (args.Has("--shard")) {
    throw UsageError("--shard shares the pictures of a FOLDER");
  }
  PagePlan plan;
  plan.source = SourceFrom(args, "PICTURE or FOLDER");
  std::error_code failure;
  fs::create_directories(out, failure);
  if (failure) {
    throw Failure("cannot create " + out.string() + ": " + failure.message());
  }
  plan.folder = out;
  plan.pageName = "index.html";
  plan.base = fs::path(plan.source.path).filename().string();
  plan.url = url;
  PageFiles files;
  WritePage(plan, files);
  files.Keep();
  std::printf("%s\n", (out / "index.html").c_str());
  return 0;
}

} // namespace tool
