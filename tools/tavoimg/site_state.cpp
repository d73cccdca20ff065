// What a site holds: the tool's list of the files it wrote for each picture,
// partial lists of shares, the removal of what the list names, and the index.
#include "site.h"

#include "web_assets.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tool {

namespace {

const char kStateName[] = "tavoimg-site.json";
const int kStateFormat = 1;

fs::path StatePath(const fs::path& site, int shard, int shards) {
  if (shards == 1) {
    return site / kStateName;
  }
  return site / ("tavoimg-site." + std::to_string(shard) + "-of-" + std::to_string(shards) + ".json");
}

// K and N of a partial list's name.
bool PartName(const std::string& name, int& shard, int& shards) {
  char tail = 0;
  return std::sscanf(name.c_str(), "tavoimg-site.%d-of-%d.jso%c", &shard, &shards, &tail) == 3 && shards > 1 &&
         shard >= 0 && shard < shards && fs::path(name) == StatePath("", shard, shards);
}

// A path of the list: below the site, without "." or ".." steps.
bool SafeRelative(const std::string& path) {
  if (path.empty() || path[0] == '/' || path.find('\0') != std::string::npos) {
    return false;
  }
  std::stringstream steps(path.back() == '/' ? path.substr(0, path.size() - 1) : path);
  std::string step;
  while (std::getline(steps, step, '/')) {
    if (step.empty() || step == "." || step == "..") {
      return false;
    }
  }
  return true;
}

// A record as the tool writes it. Each of its files is named after its
// picture (the picture's path, a dot, then more), so that a list edited by
// hand cannot make a run remove anything else.
bool ValidRecord(const Json& r) {
  if (!r.is_object() || !r.contains("picture") || !r["picture"].is_string() || !r.contains("stamp") ||
      !r["stamp"].is_string() || !r.contains("files") || !r["files"].is_array() || !r.contains("entry") ||
      !(r["entry"].is_object() || r["entry"].is_null())) {
    return false;
  }
  std::string picture = r["picture"];
  if (!SafeRelative(picture)) {
    return false;
  }
  for (const Json& file : r["files"]) {
    if (!file.is_string()) {
      return false;
    }
    std::string f = file;
    std::string rest = f.compare(0, picture.size() + 1, picture + ".") == 0 ? f.substr(picture.size()) : "";
    size_t slash = rest.find('/');
    if (rest.size() < 2 || !SafeRelative(f) || (slash != std::string::npos && slash != rest.size() - 1)) {
      return false;
    }
  }
  return true;
}

// Reads one list into records; shard/shards name the share it replaces.
void Fold(const fs::path& path, SiteState& state, int shard, int shards) {
  std::ifstream in(path, std::ios::binary);
  Json list = Json::parse(in, nullptr, false);
  bool valid = list.is_object() && list.contains("format") && list["format"] == kStateFormat &&
               list.contains("title") && list["title"].is_string() && list.contains("pictures") &&
               list["pictures"].is_array();
  for (size_t i = 0; valid && i < list["pictures"].size(); ++i) {
    valid = ValidRecord(list["pictures"][i]) && ShareOf(list["pictures"][i]["picture"], shards) == shard;
  }
  if (!valid) {
    throw Failure(Printable(path.string()) +
                  ": not a list this tool wrote; move it away to start afresh (the files it lists then stay)");
  }
  for (auto it = state.records.begin(); it != state.records.end();) {
    it = ShareOf(it->first, shards) == shard ? state.records.erase(it) : std::next(it);
  }
  for (Json& record : list["pictures"]) {
    std::string picture = record["picture"];
    state.records[picture] = std::move(record);
  }
  state.title = list["title"];
}

} // namespace

std::vector<std::string> FilesOf(const Json& record) {
  return record["files"].get<std::vector<std::string>>();
}

SiteState LoadState(const fs::path& site) {
  SiteState state;
  if (fs::exists(site / kStateName)) {
    Fold(site / kStateName, state, 0, 1);
  }
  // The partial lists, oldest first: a later run of a share wins.
  std::vector<std::pair<fs::file_time_type, fs::path>> parts;
  std::error_code failure;
  for (fs::directory_iterator it(site, failure), end; !failure && it != end; it.increment(failure)) {
    int shard = 0, shards = 0;
    if (PartName(it->path().filename().string(), shard, shards)) {
      std::error_code ignored;
      parts.emplace_back(fs::last_write_time(it->path(), ignored), it->path());
    }
  }
  if (failure) {
    throw Failure(Printable(site.string()) + ": " + failure.message());
  }
  std::sort(parts.begin(), parts.end());
  for (const auto& part : parts) {
    int shard = 0, shards = 0;
    PartName(part.second.filename().string(), shard, shards);
    Fold(part.second, state, shard, shards);
    state.parts.push_back(part.second);
  }
  return state;
}

void SaveState(const fs::path& site, const SiteState& state, int shard, int shards) {
  Json records = Json::array();
  for (const auto& record : state.records) {
    if (ShareOf(record.first, shards) == shard) {
      records.push_back(record.second);
    }
  }
  std::string text = "{\"format\":" + std::to_string(kStateFormat) + ",\"title\":" + JsonText(state.title) +
                     ",\"pictures\":" + JsonLines(records) + "}\n";
  PageFiles files;
  files.Text(StatePath(site, shard, shards).string(), text);
  files.Keep();
}

size_t WriteIndex(const fs::path& site, const SiteState& state) {
  Json index = Json::array();
  for (const auto& record : state.records) {
    if (record.second["entry"].is_object()) {
      index.push_back(record.second["entry"]);
    }
  }
  PageFiles files;
  files.Text((site / "index.json").string(), JsonLines(index));
  files.Text((site / "index.html").string(), FillTemplate("index.html", {{"title", HtmlEscape(ValidUtf8(state.title))},
                                                                         {"style", WebAsset("index.css")},
                                                                         {"script", WebAsset("index.js")},
                                                                         {"data", JsonText(index)}}));
  files.Keep();
  return index.size();
}

size_t RemoveOutputs(const fs::path& site, const std::vector<std::string>& files) {
  size_t removed = 0;
  for (const std::string& file : files) {
    bool folder = file.back() == '/';
    fs::path path = site / (folder ? file.substr(0, file.size() - 1) : file);
    std::error_code failure;
    fs::file_status status = fs::symlink_status(path, failure);
    if (failure || !fs::exists(status) || folder != fs::is_directory(status)) {
      continue; // gone already, or not what the tool wrote there
    }
    removed += (folder ? fs::remove_all(path, failure) : fs::remove(path, failure)) > 0;
    // The folders that held it, when nothing else is left in them.
    for (fs::path up = path.parent_path(); up != site && up.string().size() > site.string().size();
         up = up.parent_path()) {
      if (rmdir(up.c_str()) != 0) {
        break;
      }
    }
  }
  return removed;
}

} // namespace tool
