// "tavoimg html": a picture, or a folder of pictures, as offline web pages.
#ifndef TAVOIMG_TOOL_HTML_H
#define TAVOIMG_TOOL_HTML_H

#include "args.h"

namespace tool {

int RunHtml(const ParsedArgs& args);

} // namespace tool

#endif
