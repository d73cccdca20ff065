// A folder of pictures as a site: which pages are up to date, the
// conversions in processes of their own, the lock that keeps two runs out of
// one site, shares and merges.
#include "site.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

namespace {

// The picture's path below the folder.
std::string PictureOf(const PagePlan& page) {
  return (fs::path(page.sitePath).parent_path() / page.base).string();
}

// Makes one page in its folder; returns the record's "files" and "entry" as
// JSON text. Runs in a process of its own.
std::string ConvertForSite(const PagePlan& plan, const fs::path& site) {
  CheckInput(plan.source.path);
  if (!plan.source.tiffPath.empty()) {
    CheckInput(plan.source.tiffPath);
  }
  std::error_code failure;
  fs::create_directories(plan.folder, failure);
  if (failure) {
    throw Failure("cannot create " + plan.folder.string() + ": " + failure.message());
  }
  PageFiles files;
  Json entry = WritePage(plan, files);
  Json written = Json::array();
  for (const std::string& path : files.Written()) {
    bool folder = path.back() == '/';
    std::string below = fs::path(folder ? path.substr(0, path.size() - 1) : path).lexically_relative(site).string();
    written.push_back(folder ? below + "/" : below);
  }
  files.Keep();
  return JsonText({{"files", written}, {"entry", entry}});
}

// The newest change of the files a page is made from.
struct timespec NewestInput(const PagePlan& page) {
  struct timespec newest = {0, 0};
  for (const std::string& path : {page.source.path, page.source.tiffPath}) {
    struct stat about;
    if (!path.empty() && stat(path.c_str(), &about) == 0 &&
        (about.st_mtim.tv_sec > newest.tv_sec ||
         (about.st_mtim.tv_sec == newest.tv_sec && about.st_mtim.tv_nsec > newest.tv_nsec))) {
      newest = about.st_mtim;
    }
  }
  return newest;
}

// A page is up to date when it was made from the same files, and every file
// written for it is still there and no older than they are.
bool UpToDate(const PagePlan& page, const Json& record, const fs::path& site) {
  if (!record.is_object() || record["stamp"] != page.stamp || !record["entry"].is_object()) {
    return false;
  }
  struct timespec newest = NewestInput(page);
  for (const std::string& file : FilesOf(record)) {
    struct stat about;
    if (lstat((site / file).c_str(), &about) != 0 || S_ISDIR(about.st_mode) != (file.back() == '/')) {
      return false;
    }
    if (file.back() != '/' && (about.st_mtim.tv_sec < newest.tv_sec ||
                               (about.st_mtim.tv_sec == newest.tv_sec && about.st_mtim.tv_nsec < newest.tv_nsec))) {
      return false;
    }
  }
  return true;
}

// Keeps other runs out of a site while one writes it: a run of the whole
// folder, or a merge, locks SITE/tavoimg.lock whole; a share shares its first
// byte with the other shares and locks byte 1 + K alone. The locks are the
// system's record locks, which network file systems carry too, and end with
// the process.
class SiteLock {
public:
  SiteLock(const fs::path& site, int shard, int shards) {
    fs::path path = site / "tavoimg.lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      throw Failure("cannot lock " + Printable(path.string()) + ": " + std::strerror(errno));
    }
    bool locked = shards == 1 ? Lock(F_WRLCK, 0, 0) : Lock(F_RDLCK, 0, 1) && Lock(F_WRLCK, 1 + shard, 1);
    if (!locked) {
      int error = errno;
      close(fd_);
      throw Failure(error == EAGAIN || error == EACCES
                        ? Printable(site.string()) + " is being written by another tavoimg html (" +
                              Printable(path.string()) + " is locked); run again when it has ended"
                        : "cannot lock " + Printable(path.string()) + ": " + std::strerror(error));
    }
  }
  ~SiteLock() { close(fd_); }

private:
  bool Lock(short type, off_t start, off_t length) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return fcntl(fd_, F_SETLK, &lock) == 0;
  }
  int fd_;
};

// The progress of a folder: a bar on a terminal, a line per picture otherwise.
class Progress {
public:
  Progress(size_t total) : total_(total), start_(std::chrono::steady_clock::now()), bar_(isatty(2)) {}

  // Names and failures are printed with their control characters escaped.
  void Done(const std::string& what, const std::string& failure) {
    ++done_;
    if (bar_) {
      std::fprintf(stderr, "\r\033[K");
      Say(failure);
      Draw();
    } else {
      Say(failure);
      std::printf("%zu/%zu %s %s\n", done_, total_, failure.empty() ? "done" : "failed", Printable(what).c_str());
      std::fflush(stdout);
    }
  }
  static void Say(const std::string& line) {
    if (!line.empty()) {
      std::fprintf(stderr, "tavoimg html: %s\n", Printable(line).c_str());
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
  int output; // what the child says: its result or its failure
  std::string said;
  size_t plan;
};

// Converts the plans todo in up to jobs processes at once, and calls
// done(plan, failure, what the process said) as each ends.
void ConvertAll(const std::vector<PagePlan>& plans, const std::vector<size_t>& todo, const fs::path& site, int jobs,
                const std::function<void(size_t, const std::string&, const std::string&)>& done) {
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
        done(todo[next], plan.source.path + ": cannot start a process: " + std::strerror(errno), "");
        ++next;
        continue;
      }
      if (pid == 0) {
        // The page's files and entry when it is made, else why not.
        close(pipeEnds[0]);
        int status = 0;
        std::string text;
        try {
          text = ConvertForSite(plan, site);
        } catch (const std::exception& e) {
          text = e.what();
          status = 1;
        }
        for (size_t at = 0; at < text.size();) {
          ssize_t n = write(pipeEnds[1], text.data() + at, text.size() - at);
          if (n < 0 && errno != EINTR) {
            _exit(1);
          }
          at += n > 0 ? static_cast<size_t>(n) : 0;
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
      std::string failure;
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure = running[i].said.empty()
                      ? plan.source.path + ": the conversion stopped" +
                            (WIFSIGNALED(status) ? std::string(" (") + strsignal(WTERMSIG(status)) + ")" : "")
                      : running[i].said;
      }
      done(running[i].plan, failure, failure.empty() ? running[i].said : "");
      running.erase(running.begin() + static_cast<long>(i));
    }
  }
}

} // namespace

void ParseShard(const std::string& text, int& shard, int& shards) {
  const int kMostShards = 1000000;
  if (text != "auto") {
    size_t slash = text.find('/');
    if (slash == std::string::npos) {
      throw UsageError("--shard takes K/N or auto, not '" + text + "'");
    }
    shards = ParseInt("--shard N", text.substr(slash + 1), 1, kMostShards);
    shard = ParseInt("--shard K", text.substr(0, slash), 0, shards - 1);
    return;
  }
  // A Slurm job array (its tasks numbered from SLURM_ARRAY_TASK_MIN), or a
  // Kubernetes Indexed Job with the number of completions in JOB_COMPLETIONS.
  auto get = [](const char* name) { return std::getenv(name) ? std::string(std::getenv(name)) : std::string(); };
  std::string id = get("SLURM_ARRAY_TASK_ID"), count = get("SLURM_ARRAY_TASK_COUNT"),
              first = get("SLURM_ARRAY_TASK_MIN");
  const char* names = "SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT";
  if (id.empty()) {
    id = get("JOB_COMPLETION_INDEX");
    count = get("JOB_COMPLETIONS");
    first = "";
    names = "JOB_COMPLETION_INDEX and JOB_COMPLETIONS";
  }
  if (id.empty() || count.empty()) {
    throw UsageError(std::string("--shard auto needs ") +
                     (id.empty() ? "SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX" : names) + " set; or give K/N");
  }
  shards = ParseInt(names, count, 1, kMostShards);
  shard = ParseInt(names, id, 0, kMostShards) - (first.empty() ? 0 : ParseInt(names, first, 0, kMostShards));
  if (shard < 0 || shard >= shards) {
    throw UsageError(std::string("--shard auto: task ") + id + " is not one of " + count + " numbered from " +
                     (first.empty() ? "0" : first) + " (" + names + ")");
  }
}

int RunSite(const SiteOptions& o) {
  std::error_code failure;
  fs::create_directories(o.site, failure);
  if (failure) {
    throw Failure("cannot create " + Printable(o.site.string()) + ": " + failure.message());
  }
  SiteLock lock(o.site, o.shard, o.shards);
  SiteState state = LoadState(o.site);
  SitePlan plan = PlanSite(o.input, o.site, o.shard, o.shards);
  for (PagePlan& page : plan.pages) {
    page.threads = o.jobs > 1 ? 1 : 0; // the processes share the processors
    page.url = o.url;
    page.stamp += " " + o.url; // the ids that the pyramid and the manifest hold
  }
  state.title = plan.title;
  for (const std::string& line : plan.notes) {
    Progress::Say(line);
  }
  for (const std::string& line : plan.failures) {
    Progress::Say(line);
  }
  if (o.shards == 1 && !state.parts.empty()) {
    // The shares' lists are folded into the site's own before anything else.
    SaveState(o.site, state, 0, 1);
    for (const fs::path& part : state.parts) {
      fs::remove(part, failure);
    }
  }

  // The pictures of this share that are gone from the folder take their files
  // with them; those that could not be read keep theirs.
  std::set<std::string> planned;
  std::vector<size_t> todo;
  for (size_t i = 0; i < plan.pages.size(); ++i) {
    std::string picture = PictureOf(plan.pages[i]);
    planned.insert(picture);
    auto record = state.records.find(picture);
    if (record == state.records.end() || !UpToDate(plan.pages[i], record->second, o.site)) {
      todo.push_back(i);
    }
  }
  auto unread = [&](const std::string& picture) {
    return std::any_of(plan.unread.begin(), plan.unread.end(), [&](const std::string& path) {
      return picture == path || picture.compare(0, path.size() + 1, path + "/") == 0 || path.empty();
    });
  };
  size_t removed = 0;
  for (auto it = state.records.begin(); it != state.records.end();) {
    if (ShareOf(it->first, o.shards) != o.shard || planned.count(it->first) || unread(it->first)) {
      ++it;
      continue;
    }
    removed += RemoveOutputs(o.site, FilesOf(it->second));
    it = state.records.erase(it);
  }

  Progress progress(todo.size());
  size_t failed = plan.failures.size(), converted = 0;
  auto saved = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration saving{};
  ConvertAll(plan.pages, todo, o.site, o.jobs, [&](size_t i, const std::string& why, const std::string& said) {
    const PagePlan& page = plan.pages[i];
    std::string picture = PictureOf(page);
    Json& record = state.records[picture];
    std::vector<std::string> before = record.is_object() ? FilesOf(record) : std::vector<std::string>();
    Json result = why.empty() ? Json::parse(said, nullptr, false) : Json();
    if (result.is_object()) {
      // Files the page no longer has go; a failed page keeps what it had,
      // and is left out of the index until it converts.
      std::vector<std::string> now = result["files"].get<std::vector<std::string>>(), gone;
      for (const std::string& file : before) {
        if (std::find(now.begin(), now.end(), file) == now.end()) {
          gone.push_back(file);
        }
      }
      RemoveOutputs(o.site, gone);
      record = {{"picture", picture}, {"stamp", page.stamp}, {"files", now}, {"entry", result["entry"]}};
      ++converted;
    } else {
      record = {{"picture", picture}, {"stamp", ""}, {"files", before}, {"entry", nullptr}};
      ++failed;
    }
    progress.Done(page.source.path, why.empty() && !result.is_object() ? page.source.path + ": no result" : why);
    // Saved as it goes, so that a run cut short keeps what it did: every 30
    // seconds, or less often when a save takes long (a list of millions).
    if (std::chrono::steady_clock::now() - saved > std::chrono::seconds(30) + 10 * saving) {
      auto start = std::chrono::steady_clock::now();
      SaveState(o.site, state, o.shard, o.shards);
      saved = std::chrono::steady_clock::now();
      saving = saved - start;
    }
  });
  progress.Finish();
  SaveState(o.site, state, o.shard, o.shards);

  size_t mine = 0;
  for (const auto& record : state.records) {
    mine += ShareOf(record.first, o.shards) == o.shard && record.second["entry"].is_object();
  }
  std::string counts = std::to_string(converted) + " converted, " + std::to_string(plan.pages.size() - todo.size()) +
                       " up to date, " + std::to_string(failed) + " failed, " + std::to_string(removed) + " removed";
  if (o.shards == 1) {
    WriteIndex(o.site, state);
    std::printf("%s: %zu pictures (%s)\n", Printable((o.site / "index.html").string()).c_str(), mine, counts.c_str());
  } else {
    std::printf("%s: share %d of %d, %zu pictures (%s); tavoimg html --merge %s joins the shares\n",
                Printable(o.site.string()).c_str(), o.shard, o.shards, mine, counts.c_str(),
                Printable(o.site.string()).c_str());
  }
  return failed ? 1 : 0;
}

int RunMerge(const fs::path& site) {
  if (!fs::is_directory(site)) {
    throw Failure(Printable(site.string()) + ": not a folder");
  }
  SiteLock lock(site, 0, 1);
  SiteState state = LoadState(site);
  if (state.parts.empty() && state.records.empty()) {
    throw Failure(Printable(site.string()) + ": no list of pictures to merge (tavoimg-site.json or "
                                             "tavoimg-site.K-of-N.json)");
  }
  SaveState(site, state, 0, 1);
  std::error_code failure;
  for (const fs::path& part : state.parts) {
    fs::remove(part, failure);
  }
  size_t listed = WriteIndex(site, state);
  std::printf("%s: %zu pictures (%zu partial lists joined)\n", Printable((site / "index.html").string()).c_str(),
              listed, state.parts.size());
  return 0;
}

} // namespace tool
