// "tavoimg html FOLDER": a folder of pictures as a site.
#ifndef TAVOIMG_TOOL_SITE_H
#define TAVOIMG_TOOL_SITE_H

#include <filesystem>

namespace tool {

// Converts input and everything below it into site with up to jobs
// processes at once; returns the exit status.
int RunSite(const std::filesystem::path& input, const std::filesystem::path& site, int jobs, const std::string& url);

} // namespace tool

#endif
