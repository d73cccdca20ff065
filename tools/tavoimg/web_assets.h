// The web page templates, styles and scripts of "tavoimg html", built into the
// tool from the files in tools/tavoimg/web.
#ifndef TAVOIMG_TOOL_WEB_ASSETS_H
#define TAVOIMG_TOOL_WEB_ASSETS_H

namespace tool {

// The text of web/NAME ("page.html", "page.js", ...); "" for an unknown name.
const char* WebAsset(const char* name);

} // namespace tool

#endif
