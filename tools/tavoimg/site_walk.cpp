// The folder walk of a site: the pictures below a folder, each kind-5 DRF
// with the TIFF of the same name beside it as its companion, and the share
// of the work each belongs to.
#include "site.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

int ShareOf(const std::string& relative, int shards) {
  // 64-bit FNV-1a of the path's bytes.
  unsigned long long hash = 14695981039346656037ull;
  for (unsigned char c : relative) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  return static_cast<int>(hash % static_cast<unsigned long long>(shards));
}

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsTiffName(const std::string& name) {
  std::string ext = Lower(fs::path(name).extension().string());
  return ext == ".tif" || ext == ".tiff";
}

bool IsPictureName(const std::string& name) {
  return IsTiffName(name) || Lower(fs::path(name).extension().string()) == ".drf";
}

std::string FileStamp(const std::string& path) {
  struct stat about;
  if (stat(path.c_str(), &about) != 0) {
    return "missing";
  }
  return std::to_string(static_cast<long long>(about.st_size)) + "@" +
         std::to_string(static_cast<long long>(about.st_mtim.tv_sec)) + "." + std::to_string(about.st_mtim.tv_nsec);
}

struct Walk {
  fs::path input;
  dev_t siteDevice = 0;
  ino_t siteInode = 0;
  int shard = 0, shards = 1;
  std::vector<std::string> files; // paths below input
  SitePlan* plan = nullptr;

  bool Mine(const std::string& relative) const { return ShareOf(relative, shards) == shard; }

  // Reads the folder at relative (below input); ancestors are the folders
  // that lead to it, so that a link back to one of them is seen.
  void Folder(const std::string& relative, std::vector<std::pair<dev_t, ino_t>>& ancestors) {
    fs::path path = relative.empty() ? input : input / relative;
    DIR* dir = opendir(path.c_str());
    if (!dir) {
      plan->unread.push_back(relative);
      if (Mine(relative)) {
        plan->failures.push_back(path.string() + ": cannot read the folder: " + std::strerror(errno));
      }
      return;
    }
    std::vector<std::string> names;
    errno = 0;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") {
        names.push_back(name);
      }
    }
    int readError = errno;
    closedir(dir);
    if (readError) {
      plan->unread.push_back(relative);
    }
    if (readError && Mine(relative)) {
      plan->failures.push_back(path.string() + ": cannot read the folder: " + std::strerror(readError));
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      std::string below = relative.empty() ? name : relative + "/" + name;
      fs::path full = input / below;
      struct stat about;
      if (stat(full.c_str(), &about) != 0) {
        // A link that leads nowhere, or a name that cannot be looked at.
        plan->unread.push_back(below);
        if (IsPictureName(name) && Mine(below)) {
          plan->failures.push_back(full.string() + ": " + std::strerror(errno));
        }
        continue;
      }
      if (S_ISDIR(about.st_mode)) {
        if (about.st_dev == siteDevice && about.st_ino == siteInode) {
          continue; // the site itself, inside the folder
        }
        auto key = std::make_pair(about.st_dev, about.st_ino);
        if (std::find(ancestors.begin(), ancestors.end(), key) != ancestors.end()) {
          if (Mine(below)) {
            plan->notes.push_back(full.string() + ": skipped, a link back to a folder that holds it");
          }
          continue;
        }
        ancestors.push_back(key);
        Folder(below, ancestors);
        ancestors.pop_back();
      } else if (S_ISREG(about.st_mode) && IsPictureName(name)) {
        if (access(full.c_str(), R_OK) != 0) {
          plan->unread.push_back(below);
          if (Mine(below)) {
            plan->failures.push_back(full.string() + ": " + std::strerror(errno));
          }
          continue;
        }
        files.push_back(below);
      }
    }
  }
};

} // namespace

SitePlan PlanSite(const fs::path& input, const fs::path& site, int shard, int shards) {
  SitePlan plan;
  Walk walk;
  walk.input = input;
  walk.shard = shard;
  walk.shards = shards;
  walk.plan = &plan;
  struct stat about;
  if (stat(site.c_str(), &about) == 0) {
    walk.siteDevice = about.st_dev;
    walk.siteInode = about.st_ino;
  }
  std::vector<std::pair<dev_t, ino_t>> ancestors;
  if (stat(input.c_str(), &about) == 0) {
    ancestors.emplace_back(about.st_dev, about.st_ino);
  }
  walk.Folder("", ancestors);
  fs::path name = input.filename().empty() ? input.parent_path().filename() : input.filename();
  plan.title = name.string();

  // A kind-5 DRF takes the TIFF of its name in its folder as its companion
  // (the first in name order); only DRFs that have such a TIFF are read.
  std::map<std::string, std::string> tiffOf, companionOf;
  auto stemOf = [](const std::string& file) { return (fs::path(file).parent_path() / fs::path(file).stem()).string(); };
  for (const std::string& file : walk.files) {
    if (IsTiffName(file)) {
      tiffOf.emplace(stemOf(file), file);
    }
  }
  std::set<std::string> companions;
  for (const std::string& file : walk.files) {
    auto tiff = tiffOf.find(stemOf(file));
    if (!IsTiffName(file) && tiff != tiffOf.end() && SniffDrfKind((input / file).string()) == 5) {
      companionOf[file] = tiff->second;
      companions.insert(tiff->second);
    }
  }
  for (const std::string& file : walk.files) {
    if (companions.count(file) || !walk.Mine(file)) {
      continue;
    }
    PagePlan page;
    fs::path relative(file);
    page.source.path = (input / relative).string();
    page.source.format = SniffFormat(page.source.path);
    if (companionOf.count(file)) {
      page.source.tiffPath = (input / companionOf[file]).string();
    }
    page.folder = site / relative.parent_path();
    page.base = relative.filename().string();
    page.pageName = page.base + ".html";
    page.sitePath = (relative.parent_path() / page.pageName).string();
    std::string up;
    for (size_t depth = std::distance(relative.begin(), relative.end()); depth > 1; --depth) {
      up += "../";
    }
    page.indexHref = UrlPath(up + "index.html");
    page.stamp = std::string(kPageFormat) + " " + FileStamp(page.source.path) + " " +
                 (page.source.tiffPath.empty() ? "" : FileStamp(page.source.tiffPath));
    plan.pages.push_back(page);
  }
  return plan;
}

} // namespace tool
