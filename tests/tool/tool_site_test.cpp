// "tavoimg html FOLDER" against what strangers' folders and many machines
// bring: shares run as separate processes and merged, two runs into one site,
// names that could steer a terminal (their links are the browser stage's),
// and failures that must count.
#include "drf_files.h"
#include "tool_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using drftest::TempPath;
using namespace tooltest;
namespace fs = std::filesystem;

namespace {

// Every file below a folder with its bytes.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory())
      files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path().string());
  return files;
}

std::string FolderOfSamples(const std::string& name) {
  std::string folder = TempPath(name);
  fs::create_directories(folder + "/a/b");
  for (const char* sample : {"drive-unit.drf", "drive-unit.tif", "control-panel.drf", "bearing-cap.drf"}) {
    fs::copy_file(Sample(sample), folder + "/" + sample);
    fs::copy_file(Sample(sample), folder + "/a/b/" + sample);
  }
  fs::copy_file(Sample("drive-unit-hotspots.tif"), folder + "/a/drive-unit-hotspots.tif");
  return folder;
}

TEST(ToolSite, ThreeSharesMergedAreTheSiteOfOneRun) {
  std::string folder = FolderOfSamples("shared"), whole = TempPath("whole-site"), merged = TempPath("merged-site");
  RunToolOk({"html", folder, "-j", "1", "-o", whole});
  std::string tool = std::string(TAV_BINARY_DIR) + "/tools/tavoimg/tavoimg";
  // Share 0 named, share 1 from a Slurm array numbered from 1, share 2 from
  // a Kubernetes Indexed Job; all three at once.
  std::string run = "'" + tool + "' html '" + folder + "' -j 1 -o '" + merged + "' --shard ";
  std::string shards = run +
                       "0/3 >/dev/null & a=$!; SLURM_ARRAY_TASK_ID=2 SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_COUNT=3 " +
                       run + "auto >/dev/null & b=$!; JOB_COMPLETION_INDEX=2 JOB_COMPLETIONS=3 " + run +
                       "auto >/dev/null & c=$!; wait $a && wait $b && wait $c";
  ASSERT_EQ(std::system(shards.c_str()), 0);
  EXPECT_EQ(Tree(merged).count("index.html"), 0u); // a share writes no index
  RunToolOk({"html", "--merge", merged});
  std::map<std::string, std::string> a = Tree(whole), b = Tree(merged);
  EXPECT_TRUE(a.count("index.html") && a.count("a/b/drive-unit.drf.html") && a.count("tavoimg-site.json"));
  for (const auto& file : a)
    EXPECT_TRUE(b.count(file.first) && b[file.first] == file.second) << file.first;
  EXPECT_EQ(a.size(), b.size());

  // While one run holds the site, another refuses to start and changes nothing.
  int lock = open((whole + "/tavoimg.lock").c_str(), O_RDWR);
  struct flock whole_file = {};
  whole_file.l_type = F_WRLCK;
  ASSERT_EQ(fcntl(lock, F_SETLK, &whole_file), 0);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"html", folder, "-o", whole},
                                             {"html", folder, "--shard", "1/3", "-o", whole},
                                             {"html", "--merge", whole}}) {
    ToolResult run = RunTool(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is being written by another tavoimg html"), std::string::npos) << run.err;
  }
  close(lock);
  EXPECT_EQ(Tree(whole), a);
}

TEST(ToolSite, HostileNamesReachTheTerminalEscaped) {
  std::string folder = TempPath("hostile"), site = TempPath("hostile-site");
  fs::create_directories(folder);
  const char* names[] = {"esc\x1b]0;owned\x07.drf", "new\nline.drf", "\xff\xfe.drf",
                         "c1\xc2\x9b"
                         "2J.drf"};
  for (const char* name : names)
    fs::copy_file(Sample("bearing-cap.drf"), folder + "/" + name);
  fs::create_symlink("loop.drf", folder + "/loop.drf"); // unreadable: the system's reason
  fs::create_directories(folder + "/sub");
  fs::create_symlink("..", folder + "/sub/up"); // a link back: skipped
  ToolResult run = RunTool({"html", folder, "-o", site});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("loop.drf: Too many levels of symbolic links"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("sub/up: skipped, a link back"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("(4 converted, 0 up to date, 1 failed, 0 removed)"), std::string::npos) << run.out;
  std::string printed = run.out + run.err;
  for (const char* shown : {"esc\\x1b]0;owned\\x07.drf", "new\\x0aline.drf", "\\xff\\xfe.drf", "c1\\xc2\\x9b2J.drf"})
    EXPECT_NE(printed.find(shown), std::string::npos) << shown;
  EXPECT_TRUE(std::none_of(printed.begin(), printed.end(),
                           [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f; }));
}

} // namespace
