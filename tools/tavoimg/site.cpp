// A folder of pictures as a site: the folder walk, which pages are up to
// date, the conversions in processes of their own, and the site's index.
#include "site.h"

#include "page.h"
#include "web_assets.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

namespace {

std::string Number(long v) {
  return std::to_string(v);
}

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
    plan.indexHref = UrlPath(up + "index.html");
    plan.stamp = std::string(kPageFormat) + " " + FileStamp(plan.source.path) + " " +
                 (plan.source.tiffPath.empty() ? "" : FileStamp(plan.source.tiffPath));
    plans.push_back(plan);
  }
  return plans;
}

fs::path EntryPath(const PagePlan& plan) {
  return plan.folder / (plan.base + ".json");
}

// The entry file of a page: its stamp and its entry in the site's index.
Json ReadEntry(const PagePlan& plan) {
  std::ifstream in(EntryPath(plan), std::ios::binary);
  Json entry = Json::parse(in, nullptr, false);
  return entry.is_object() && entry.contains("stamp") && entry.contains("entry") ? entry : Json();
}

// The entry of an earlier run, when it was made from the same files.
bool UpToDate(const PagePlan& plan) {
  Json entry = ReadEntry(plan);
  return !entry.is_null() && entry["stamp"] == plan.stamp && fs::exists(plan.folder / plan.pageName);
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
  Json entry = {{"stamp", plan.stamp}, {"entry", WritePage(plan, files)}};
  files.Text(EntryPath(plan).string(), JsonText(entry) + "\n");
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

} // namespace

int RunSite(const fs::path& input, const fs::path& site, int jobs, const std::string& url) {
  std::error_code failure;
  fs::create_directories(site, failure);
  if (failure) {
    throw Failure("cannot create " + site.string() + ": " + failure.message());
  }
  std::vector<PagePlan> plans = PlanSite(input, site);
  for (PagePlan& plan : plans) {
    plan.threads = jobs > 1 ? 1 : 0; // the processes share the processors
    plan.url = url;
    plan.stamp += " " + url; // the ids that the pyramid and the manifest hold
  }
  std::vector<size_t> todo;
  for (size_t i = 0; i < plans.size(); ++i) {
    if (!UpToDate(plans[i])) {
      todo.push_back(i);
    }
  }
  Progress progress(todo.size());
  std::vector<std::string> failures = ConvertAll(plans, todo, jobs, progress);
  progress.Finish();

  Json index = Json::array();
  size_t failed = 0;
  for (size_t i = 0; i < plans.size(); ++i) {
    Json entry = failures[i].empty() ? ReadEntry(plans[i]) : Json();
    if (entry.is_null()) {
      ++failed;
      continue;
    }
    index.push_back(entry["entry"]);
  }
  size_t listed = index.size();
  PageFiles files;
  files.Text((site / "index.json").string(), JsonLines(index));
  files.Text((site / "index.html").string(),
             FillTemplate("index.html", {{"title", HtmlEscape(ValidUtf8(input.filename().empty()
                                                                            ? input.parent_path().filename().string()
                                                                            : input.filename().string()))},
                                         {"style", WebAsset("index.css")},
                                         {"script", WebAsset("index.js")},
                                         {"data", JsonText(index)}}));
  files.Keep();
  std::printf("%s: %zu pictures (%zu converted, %zu up to date, %zu failed)\n", (site / "index.html").c_str(), listed,
              todo.size() - failed, plans.size() - todo.size(), failed);
  return failed ? 1 : 0;
}

} // namespace tool
