// Entry of the test host.
//   Linux:   tavoimg_winexpected DIR [FILTER]  makes DIR/pictures and records DIR/expected
//   Windows: tavoimg_winhost.exe DIR [FILTER]  compares with DIR/expected, keeps differences in DIR/actual
// FILTER runs only the scenarios whose names contain it.
#include "pictures.h"
#include "winhost.h"

#include <stdio.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s RESULTS-DIR [FILTER]\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  const std::string filter = argc > 2 ? argv[2] : "";
#ifdef _WIN32
  // Under Wine a Unix path is reached through drive Z:.
  if (!dir.empty() && dir[0] == '/')
    dir = "Z:" + dir;
  for (char& c : dir)
    if (c == '/')
      c = '\\';
  const bool writing = false;
#else
  const bool writing = true;
#endif
  std::error_code error;
  const fs::path root = fs::absolute(dir, error);
  const fs::path pictures = root / "pictures";
  fs::remove_all(root / (writing ? "expected" : "actual"), error);
  fs::remove_all(root / (writing ? "messages-linux" : "messages-windows"), error);
  fs::create_directories(pictures, error);

  winhost::Context context(writing, root.string());
#ifndef _WIN32
  context.BeginScenario("pictures");
  context.Check(winhost::MakePictures(pictures.string()), "the test pictures could not all be made");
  context.EndScenario();
#endif
  winhost::ParkPointer();
  fs::current_path(pictures, error);
  if (error) {
    fprintf(stderr, "cannot enter %s: %s\n", pictures.string().c_str(), error.message().c_str());
    return 2;
  }
  return winhost::RunScenarios(context, filter) == 0 ? 0 : 1;
}
