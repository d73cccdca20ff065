// "tavoimg html FOLDER": a folder of pictures as a site, converted by one
// process or shared among many (--shard K/N), and joined (--merge).
//
// SITE mirrors the folder: each picture's files sit at its path below SITE.
// SITE/tavoimg-site.json lists, for each picture, what it was made from, the
// files the tool wrote for it and its entry in the index; a later run reads
// it to find what is up to date and what to remove, and removes nothing that
// the list does not name. A share K of N writes SITE/tavoimg-site.K-of-N.json
// instead (its pictures only); a merge, or the next run of the whole folder,
// folds those into SITE/tavoimg-site.json and writes the index.
#ifndef TAVOIMG_TOOL_SITE_H
#define TAVOIMG_TOOL_SITE_H

#include "json.h"
#include "page.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tool {

struct SiteOptions {
  std::filesystem::path input, site;
  int jobs = 1;
  std::string url;           // where SITE is served, for IIIF ids; "" for relative ids
  int shard = 0, shards = 1; // converts the pictures of share `shard` of `shards`
};

int RunSite(const SiteOptions& options);
int RunMerge(const std::filesystem::path& site);

// "K/N", or "auto" from the environment of a job array; throws UsageError.
void ParseShard(const std::string& text, int& shard, int& shards);

// ---- Between the parts of the site ----

// The share (0 to shards - 1) of a picture, from its path below the folder:
// the same on every machine and in every run.
int ShareOf(const std::string& relative, int shards);

// The folder walk: the pages of one share, and what could not be read.
struct SitePlan {
  std::vector<PagePlan> pages;
  std::vector<std::string> failures; // each a line to print
  std::vector<std::string> notes;    // skipped on purpose, each a line to print
  std::vector<std::string> unread;   // paths below the folder that could not be read, of every share
  std::string title;                 // the folder's name
};
SitePlan PlanSite(const std::filesystem::path& input, const std::filesystem::path& site, int shard, int shards);

// The tool's list of what SITE holds: for each picture below the folder
// (its path, '/' between folders) the record
//   {"picture": PATH, "stamp": WHAT IT WAS MADE FROM, "files": [...], "entry": INDEX ENTRY or null}
// with "files" the paths below SITE of what was written for it (a name ending
// in '/' a folder written whole).
struct SiteState {
  std::string title;
  std::map<std::string, Json> records;
  std::vector<std::filesystem::path> parts; // partial lists folded in
};

// The site's list with every partial list folded in, each partial K of N
// replacing the records of its share. Throws Failure for a list that the
// tool did not write.
SiteState LoadState(const std::filesystem::path& site);
// Writes the list: the whole one, or share K of N's partial one.
void SaveState(const std::filesystem::path& site, const SiteState& state, int shard, int shards);
// SITE/index.json and SITE/index.html from the records' entries.
size_t WriteIndex(const std::filesystem::path& site, const SiteState& state);

// Removes the files a record lists (and folders left empty by it), only
// below site; returns how many were removed.
size_t RemoveOutputs(const std::filesystem::path& site, const std::vector<std::string>& files);

// The record's files as a list of paths.
std::vector<std::string> FilesOf(const Json& record);

} // namespace tool

#endif
