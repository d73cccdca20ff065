// The page of one picture, as "tavoimg html" writes it for a single picture
// and for each picture of a folder's site.
#ifndef TAVOIMG_TOOL_PAGE_H
#define TAVOIMG_TOOL_PAGE_H

#include "commands.h"
#include "image_io.h"
#include "json.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tool {

// Changes whenever the pages would come out differently: a site's page
// written under another format is written again.
constexpr char kPageFormat[] = "page-3";

// What one page shows and what the site's index says of it.
struct PagePlan {
  PictureSource source;
  std::filesystem::path folder; // where the page and its pictures go
  std::string pageName;         // "index.html" for a single picture
  std::string base;             // the picture's file name, the stem of every file written
  std::string indexHref;        // the site's index from the page; "" for a single picture
  std::string sitePath;         // the page's path below the site ("" for a single picture)
  std::string stamp;            // sizes and times of the files it is made from
  int threads = 0;              // that compress the picture's tiles; 0: one per processor
  std::string url;              // where the site (or DIR) is served, for IIIF ids; "" for relative ids
};

// The files of one page. Each is replaced only by a complete one, and those
// that a conversion created are removed again when it fails.
class PageFiles {
public:
  ~PageFiles();
  void Keep() { kept_ = true; }

  void Text(const std::string& path, const std::string& text);
  void Picture(const std::string& path, const Image& image);
  // A folder that was written whole (and is removed whole).
  void Folder(const std::string& path);
  // Every file written, in the order written; a folder written whole ends
  // in '/'.
  const std::vector<std::string>& Written() const { return written_; }

private:
  const std::string& Note(const std::string& path);
  void Check(const std::string& path, bool written);
  std::vector<std::string> created_, folders_, written_;
  std::string error_;
  bool kept_ = false;
};

std::string HtmlEscape(const std::string& s);

// A template of web/ with {{name}} replaced by each value.
std::string FillTemplate(const char* name, const std::map<std::string, std::string>& values);

// Renders the page of plan.source and returns the site index's entry for it
// (null for a single picture).
Json WritePage(const PagePlan& plan, PageFiles& files);

} // namespace tool

#endif
