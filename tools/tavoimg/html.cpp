// "tavoimg html": a picture, or a folder of pictures, as web pages that work
// offline. Every page is rendered by the library in a process of its own, so
// that a folder converts in parallel although the library keeps module-wide
// state and takes no lock.
#include "html.h"

#include "commands.h"
#include "output_file.h"
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

namespace {

// Changes whenever the pages would come out differently: a page written
// under another format is written again.
const char kPageFormat[] = "page-1";

const int kViewWidth = 800;  // the widest reduced picture for the first view
const int kThumbWidth = 200; // thumbnails of the site's index

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

// A template of web/ with {{name}} replaced by each value.
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

// The files of one page. Each is replaced only by a complete one, and those
// that a conversion created are removed again when it fails.
class PageFiles {
public:
  ~PageFiles() {
    if (!kept_) {
      for (const std::string& path : created_) {
        std::remove(path.c_str());
      }
    }
  }
  void Keep() { kept_ = true; }

  void Text(const std::string& path, const std::string& text) {
    Check(path, WriteWholeFile(Note(path), text.data(), text.size(), error_));
  }
  void Picture(const std::string& path, const Image& image) { Check(path, WriteImageFile(Note(path), image, error_)); }
  void Dib(const std::string& path, const std::vector<uint8_t>& dib) {
    Check(path, WriteDibFile(Note(path), dib.data(), dib.size(), error_));
  }

private:
  const std::string& Note(const std::string& path) {
    if (access(path.c_str(), F_OK) != 0) {
      created_.push_back(path);
    }
    return path;
  }
  void Check(const std::string& path, bool written) {
    if (!written) {
      throw Failure(error_.empty() ? "cannot write " + path : error_);
    }
  }
  std::vector<std::string> created_;
  std::string error_;
  bool kept_ = false;
};

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

// What one page shows and what the site's index says of it.
struct PagePlan {
  PictureSource source;
  fs::path folder;       // where the page and its pictures go
  std::string pageName;  // "index.html" for a single picture
  std::string base;      // the picture's file name, the stem of every file written
  std::string indexHref; // the site's index from the page; "" for a single picture
  std::string sitePath;  // the page's path below the site ("" for a single picture)
  std::string stamp;     // sizes and times of the files it is made from
};

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

// Renders the page of plan.source and returns the site index's entry for it
// (without its stamp).
std::string WritePage(const PagePlan& plan, PageFiles& files) {
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
  std::string fullName = plan.base + ".png", viewName;
  std::string error;
  files.Dib((folder / fullName).string(), dib);
  int viewWidth = 0, viewHeight = 0;
  Image shown;
  if (tiffPicture) {
    // The library's own fitted rendering, grey levels and all.
    Reduced(width, height, kViewWidth, viewWidth, viewHeight);
    HostWindow view(viewWidth, viewHeight);
    OpenOrFail(view, source, 1, true);
    view.Paint();
    if (!view.ReadBack(shown, error)) {
      throw Failure(source.path + ": " + error);
    }
    viewName = plan.base + ".view.png";
    files.Picture((folder / viewName).string(), shown);
  }

  std::string spotsJson = "[";
  std::string indexSpots = "[";
  for (size_t i = 0; i < spots.size(); ++i) {
    const HotspotSpec& s = spots[i];
    std::string name = JsonString(Cp1252ToUtf8(s.name)), text = JsonString(Cp1252ToUtf8(s.text));
    spotsJson += std::string(i ? ",\n" : "\n") + "{\"name\": " + name + ", \"text\": " + text +
                 ", \"kind\": " + Number(s.kind) + ", \"rect\": [" + Number(s.rect[0]) + ", " + Number(s.rect[1]) +
                 ", " + Number(s.rect[2]) + ", " + Number(s.rect[3]) + "]}";
    indexSpots += std::string(i ? ", " : "") + "[" + name + ", " + text + "]";
  }
  spotsJson += "]";
  indexSpots += "]";
  std::string data = "{\"title\": " + JsonString(plan.base) + ", \"description\": " + JsonString(description) +
                     ",\n\"full\": " + JsonString(fullName) + ", \"width\": " + Number(width) +
                     ", \"height\": " + Number(height) + ",\n\"view\": " + JsonString(viewName) +
                     ", \"viewWidth\": " + Number(viewWidth) + ", \"viewHeight\": " + Number(viewHeight) +
                     ",\n\"space\": [" + Number(Low(spaceSize)) + ", " + Number(High(spaceSize)) +
                     "], \"index\": " + JsonString(plan.indexHref) + ",\n\"hotspots\": " + spotsJson + "}";
  files.Text((folder / plan.pageName).string(), FillTemplate("page.html", {{"title", HtmlEscape(plan.base)},
                                                                           {"style", WebAsset("page.css")},
                                                                           {"script", WebAsset("page.js")},
                                                                           {"data", data}}));
  if (plan.sitePath.empty()) {
    return "";
  }
  // The thumbnail from the reduced view where there is one.
  Image picture;
  if (!shown.rgb.empty()) {
    picture = std::move(shown);
  } else if (!DecodeDib(dib.data(), dib.size(), picture, error)) {
    throw Failure(source.path + ": " + error);
  }
  int thumbWidth = 0, thumbHeight = 0;
  Reduced(width, height, kThumbWidth, thumbWidth, thumbHeight);
  std::string thumbName = plan.base + ".thumb.png";
  files.Picture((folder / thumbName).string(), Shrink(picture, thumbWidth, thumbHeight));
  fs::path page = fs::path(plan.sitePath);
  return "{\"page\": " + JsonString(page.string()) +
         ", \"file\": " + JsonString((page.parent_path() / plan.base).string()) +
         ", \"thumb\": " + JsonString((page.parent_path() / thumbName).string()) +
         ", \"description\": " + JsonString(description) + ", \"width\": " + Number(width) +
         ", \"height\": " + Number(height) + ",\n \"hotspots\": " + indexSpots;
}

// ---- A folder as a site ----

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsTiffName(const fs::path& p) {
  std::string ext = Lower(p.extension().string());
  return ext == ".tif" || ext == ".tiff";
}

std::string FileStamp(const std::string& path) {
  struct stat about;
  if (stat(path.c_str(), &about) != 0) {
    return "missing";
  }
  return Number(static_cast<long>(about.st_size)) + "@" + Number(static_cast<long>(about.st_mtim.tv_sec)) + "." +
         Number(about.st_mtim.tv_nsec);
}

// The pictures of a folder and below, each kind-5 DRF with the TIFF of the
// same name beside it as its companion (which is then no page of its own).
std::vector<PagePlan> PlanSite(const fs::path& input, const fs::path& site) {
  std::vector<fs::path> files;
  std::error_code failure;
  fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, failure), end;
  for (; !failure && it != end; it.increment(failure)) {
    fs::path p = it->path();
    std::error_code ignored;
    if (it->is_directory() && fs::equivalent(p, site, ignored)) {
      it.disable_recursion_pending();
      continue;
    }
    std::string ext = Lower(p.extension().string());
    if (it->is_regular_file() && (ext == ".drf" || IsTiffName(p))) {
      files.push_back(p);
    }
  }
  if (failure) {
    throw Failure(input.string() + ": " + failure.message());
  }
  std::sort(files.begin(), files.end());
  std::vector<fs::path> companions;
  std::map<fs::path, fs::path> companionOf;
  for (const fs::path& p : files) {
    if (Lower(p.extension().string()) != ".drf" || SniffDrfKind(p.string()) != 5) {
      continue;
    }
    for (const fs::path& q : files) {
      if (IsTiffName(q) && q.parent_path() == p.parent_path() && q.stem() == p.stem()) {
        companionOf[p] = q;
        companions.push_back(q);
        break;
      }
    }
  }
  std::vector<PagePlan> plans;
  for (const fs::path& p : files) {
    if (std::find(companions.begin(), companions.end(), p) != companions.end()) {
      continue;
    }
    PagePlan plan;
    plan.source.path = p.string();
    plan.source.format = SniffFormat(plan.source.path);
    if (companionOf.count(p)) {
      plan.source.tiffPath = companionOf[p].string();
    }
    fs::path relative = p.lexically_relative(input);
    plan.folder = site / relative.parent_path();
    plan.base = p.filename().string();
    plan.pageName = plan.base + ".html";
    plan.sitePath = (relative.parent_path() / plan.pageName).string();
    std::string up;
    for (size_t depth = std::distance(relative.begin(), relative.end()); depth > 1; --depth) {
      up += "../";
    }
    plan.indexHref = up + "index.html";
    plan.stamp = std::string(kPageFormat) + " " + FileStamp(plan.source.path) + " " +
                 (plan.source.tiffPath.empty() ? "" : FileStamp(plan.source.tiffPath));
    plans.push_back(plan);
  }
  return plans;
}

fs::path EntryPath(const PagePlan& plan) {
  return plan.folder / (plan.base + ".json");
}

// The entry of an earlier run, when it was made from the same files.
bool UpToDate(const PagePlan& plan) {
  std::ifstream in(EntryPath(plan), std::ios::binary);
  std::string first;
  return in && std::getline(in, first) && first == "{\"stamp\": " + JsonString(plan.stamp) + "," &&
         fs::exists(plan.folder / plan.pageName);
}

// Converts one page into its folder and writes its entry last, so that an
// entry stands for a complete page. Runs in a process of its own.
void ConvertForSite(const PagePlan& plan) {
  std::error_code failure;
  fs::create_directories(plan.folder, failure);
  if (failure) {
    throw Failure("cannot create " + plan.folder.string() + ": " + failure.message());
  }
  PageFiles files;
  std::string entry = WritePage(plan, files);
  files.Text(EntryPath(plan).string(), "{\"stamp\": " + JsonString(plan.stamp) + ",\n " + entry.substr(1) + "}\n");
  files.Keep();
}

// The progress of a folder: a bar on a terminal, a line per picture otherwise.
class Progress {
public:
  Progress(size_t total) : total_(total), start_(std::chrono::steady_clock::now()), bar_(isatty(2)) {}

  void Done(const std::string& what, const std::string& failure) {
    ++done_;
    if (bar_) {
      std::fprintf(stderr, "\r\033[K");
      if (!failure.empty()) {
        std::fprintf(stderr, "tavoimg html: %s\n", failure.c_str());
      }
      Draw();
    } else {
      if (!failure.empty()) {
        std::fprintf(stderr, "tavoimg html: %s\n", failure.c_str());
      }
      std::printf("%zu/%zu %s %s\n", done_, total_, failure.empty() ? "done" : "failed", what.c_str());
      std::fflush(stdout);
    }
  }
  void Finish() {
    if (bar_ && total_ > 0) {
      std::fprintf(stderr, "\n");
    }
  }

private:
  void Draw() {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double rate = seconds > 0 ? done_ / seconds : 0;
    long left = rate > 0 ? static_cast<long>((total_ - done_) / rate + 0.5) : 0;
    const int width = 30;
    int filled = total_ ? static_cast<int>(width * done_ / total_) : width;
    std::fprintf(stderr, "[%s%s] %zu/%zu  %.1f pictures/s  %ld:%02ld left", std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(), done_, total_, rate, left / 60, left % 60);
    std::fflush(stderr);
  }

  size_t total_, done_ = 0;
  std::chrono::steady_clock::time_point start_;
  bool bar_;
};

struct Running {
  pid_t pid;
  int output; // the child's error output
  std::string said;
  size_t plan;
};

// Converts the plans in up to jobs processes at once; returns each one's
// failure text ("" when it was converted).
std::vector<std::string> ConvertAll(const std::vector<PagePlan>& plans, const std::vector<size_t>& todo, int jobs,
                                    Progress& progress) {
  std::vector<std::string> failures(plans.size());
  std::vector<Running> running;
  size_t next = 0;
  std::fflush(stdout);
  std::fflush(stderr);
  while (next < todo.size() || !running.empty()) {
    while (next < todo.size() && static_cast<int>(running.size()) < jobs) {
      const PagePlan& plan = plans[todo[next]];
      int pipeEnds[2];
      pid_t pid = -1;
      if (pipe(pipeEnds) == 0) {
        pid = fork();
        if (pid < 0) {
          close(pipeEnds[0]);
          close(pipeEnds[1]);
        }
      }
      if (pid < 0) {
        failures[todo[next]] = plan.source.path + ": cannot start a process: " + std::strerror(errno);
        progress.Done(plan.source.path, failures[todo[next]]);
        ++next;
        continue;
      }
      if (pid == 0) {
        close(pipeEnds[0]);
        int status = 0;
        try {
          ConvertForSite(plan);
        } catch (const std::exception& e) {
          std::string text = e.what();
          if (write(pipeEnds[1], text.data(), text.size()) < 0) {
            status = 2;
          }
          status = 1;
        }
        _exit(status);
      }
      close(pipeEnds[1]);
      running.push_back(Running{pid, pipeEnds[0], "", todo[next]});
      ++next;
    }
    std::vector<pollfd> watch;
    for (const Running& r : running) {
      watch.push_back(pollfd{r.output, POLLIN, 0});
    }
    if (poll(watch.data(), watch.size(), -1) < 0 && errno != EINTR) {
      throw Failure(std::string("cannot wait for the conversions: ") + std::strerror(errno));
    }
    for (size_t i = running.size(); i-- > 0;) {
      if (!(watch[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        continue;
      }
      char buffer[4096];
      ssize_t n = read(running[i].output, buffer, sizeof buffer);
      if (n > 0) {
        running[i].said.append(buffer, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      close(running[i].output);
      int status = 0;
      while (waitpid(running[i].pid, &status, 0) < 0 && errno == EINTR) {
      }
      const PagePlan& plan = plans[running[i].plan];
      std::string& failure = failures[running[i].plan];
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure = running[i].said.empty()
                      ? plan.source.path + ": the conversion stopped" +
                            (WIFSIGNALED(status) ? std::string(" (") + strsignal(WTERMSIG(status)) + ")" : "")
                      : running[i].said;
      }
      progress.Done(plan.source.path, failure);
      running.erase(running.begin() + static_cast<long>(i));
    }
  }
  return failures;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int RunSite(const fs::path& input, const fs::path& site, int jobs) {
  std::error_code failure;
  fs::create_directories(site, failure);
  if (failure) {
    throw Failure("cannot create " + site.string() + ": " + failure.message());
  }
  std::vector<PagePlan> plans = PlanSite(input, site);
  std::vector<size_t> todo;
  for (size_t i = 0; i < plans.size(); ++i) {
    if (!UpToDate(plans[i])) {
      todo.push_back(i);
    }
  }
  Progress progress(todo.size());
  std::vector<std::string> failures = ConvertAll(plans, todo, jobs, progress);
  progress.Finish();

  std::string index = "[";
  size_t listed = 0, failed = 0;
  for (size_t i = 0; i < plans.size(); ++i) {
    if (!failures[i].empty()) {
      ++failed;
      continue;
    }
    std::string entry = ReadText(EntryPath(plans[i]));
    size_t body = entry.find('\n');
    if (body == std::string::npos) {
      ++failed;
      continue;
    }
    while (!entry.empty() && entry.back() == '\n') {
      entry.pop_back();
    }
    index += std::string(listed++ ? ",\n" : "\n") + "{" + entry.substr(body + 2);
  }
  index += "\n]";
  PageFiles files;
  files.Text((site / "index.json").string(), index + "\n");
  files.Text((site / "index.html").string(),
             FillTemplate("index.html",
                          {{"title", HtmlEscape(input.filename().empty() ? input.parent_path().filename().string()
                                                                         : input.filename().string())},
                           {"style", WebAsset("index.css")},
                           {"script", WebAsset("index.js")},
                           {"data", index}}));
  files.Keep();
  std::printf("%s: %zu pictures (%zu converted, %zu up to date, %zu failed)\n", (site / "index.html").c_str(), listed,
              todo.size() - failed, plans.size() - todo.size(), failed);
  return failed ? 1 : 0;
}

} // namespace

int RunHtml(const ParsedArgs& args) {
  std::string input = OnlyPositional(args, "PICTURE or FOLDER");
  fs::path out = RequiredOption(args, "-o");
  int jobs = args.Has("-j") ? ParseInt("-j", args.Get("-j"), 1, 256) : std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
  struct stat about;
  if (stat(input.c_str(), &about) == 0 && S_ISDIR(about.st_mode)) {
    if (args.Has("--tiff") || args.Has("--as")) {
      throw UsageError("--tiff and --as name one picture; a folder's kind-5 DRFs take the TIFF of the same name");
    }
    return RunSite(input, out, jobs);
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
  PageFiles files;
  WritePage(plan, files);
  files.Keep();
  std::printf("%s\n", (out / "index.html").c_str());
  return 0;
}

} // namespace tool
