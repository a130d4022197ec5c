// Folder texts, paths and file access on both platforms: the separator a
// folder text gets, Windows-style folder arguments (backslashes, drive
// letters, with and without the final separator, relative), the POSIX-only
// lookup of names prepared on Windows, line ends of written files, and the
// whole-file replacement that a reader in another process may watch.
#include "common/platform/paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/support/section_folder.h"

namespace jpcp::platform {
namespace {

namespace fs = std::filesystem;
using jpcp::testing::TempFolder;
using jpcp::testing::write_file;

const std::string sep(1, separator);

// The bytes of a file, line ends as written.
std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(FolderText, EndsInOneSeparatorWhateverTheArgumentEndsIn) {
  EXPECT_EQ(folder_text("data/sec1"), "data/sec1" + sep);
  EXPECT_EQ(folder_text("data/sec1/"), "data/sec1/");
  EXPECT_EQ(folder_text("C:\\data\\sec1\\"), "C:\\data\\sec1\\");
  EXPECT_EQ(folder_text("C:\\data\\sec1"), "C:\\data\\sec1" + sep);
  EXPECT_EQ(folder_text("sec1   "), "sec1" + sep);  // blank-padded text
  // The three spellings of one folder give one path.
  EXPECT_EQ(native_path(join(folder_text("C:\\data\\sec1"), "FileList.txt")),
            native_path(join(folder_text("C:\\data\\sec1\\"), "FileList.txt")));
  // "D:" is the current folder of drive D on Windows; a separator would make
  // it the drive's root.
  EXPECT_EQ(folder_text("D:"), windows ? "D:" : "D:/");
}

// Every spelling of a folder argument that a Windows caller may use finds
// the same input file: '\' or '/' separators, with or without the final
// separator, absolute (with its drive letter on Windows) or relative.
TEST(FolderText, WindowsSpellingsOfOneFolderFindItsFiles) {
  TempFolder root("paths");
  write_file(root.path() / "sec 1" / "FileList.txt", "NULL\n");
  const std::string absolute = (root.path() / "sec 1").string();
  if (windows) {
    ASSERT_EQ(absolute.substr(1, 2), ":\\") << absolute;  // drive letter
  }
  std::string backslashed = absolute;
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  const fs::path previous = fs::current_path();
  fs::current_path(root.path());
  for (const std::string& folder : {absolute, absolute + "/", backslashed, backslashed + "\\", std::string("sec 1"),
                                    std::string("sec 1\\"), std::string(".\\sec 1/")}) {
    EXPECT_EQ(read_input_file(join(folder_text(folder), "FileList.txt")), "NULL\n") << folder;
  }
  // A sub-folder written with a backslash inside a name from an input file.
  write_file(root.path() / "sec 1" / "sub" / "single.csv", "1\n");
  EXPECT_EQ(read_input_file(join(folder_text(absolute), "sub\\single.csv")), "1\n");
  EXPECT_FALSE(read_input_file(join(folder_text(absolute), "missing.txt")));
  fs::current_path(previous);
  EXPECT_FALSE(fs::exists(root.path() / "sec 1" / "missing.txt")) << "a missing input file is never created";
}

// Names written on Windows are found whatever their case and trailing dots;
// on Windows the file system does it, on POSIX the second lookup.
TEST(InputLookup, CaseAndTrailingDotsDoNotMatter) {
  TempFolder folder("lookup");
  write_file(folder.path() / "PCCModulus.txt", "0\n");
  write_file(folder.path() / "thermalPCC.dat", "1\n");
  const std::string f = folder_text(folder.str());
  EXPECT_EQ(read_input_file(f + "PCCModulus.txt."), "0\n");
  EXPECT_EQ(read_input_file(f + "ThermalPCC.dat"), "1\n");
  EXPECT_EQ(read_input_file(f + "THERMALpcc.DAT.."), "1\n");
}

TEST(InputLookup, OfSeveralCandidatesTheFirstInNameOrderIsTaken) {
  if (windows) GTEST_SKIP() << "names differing only in case cannot coexist in one Windows folder";
  TempFolder folder("lookup_order");
  write_file(folder.path() / "season.txt", "lower\n");
  write_file(folder.path() / "SEASON.TXT", "upper\n");
  EXPECT_EQ(find_input_file(folder.str() + "/Season.txt"), folder.str() + "/SEASON.TXT");
}

TEST(WrittenFiles, HaveThePlatformsLineEnds) {
  TempFolder folder("line_ends");
  const std::string eol = windows ? "\r\n" : "\n";
  {
    OutputFile out;
    ASSERT_TRUE(create_output(out, folder.str() + "/a.csv"));
    out << "1,2\n3,4\n";
  }
  EXPECT_EQ(read_file(folder.path() / "a.csv"), "1,2" + eol + "3,4" + eol);
  ASSERT_TRUE(replace_small_file(folder.str() + "/Progress.tmp", "  1.5\n"));
  EXPECT_EQ(read_file(folder.path() / "Progress.tmp"), "  1.5" + eol);
}

// The file is replaced by a new one, never rewritten in place: a reader that
// opened it before keeps the whole old line.
TEST(WrittenFiles, ReaderOfTheReplacedFileKeepsTheWholeOldLine) {
  if (windows) GTEST_SKIP() << "an open reader without delete sharing holds up the rename on Windows";
  TempFolder folder("replace_open");
  const std::string path = folder.str() + "/Progress.tmp";
  ASSERT_TRUE(replace_small_file(path, "  1.5\n"));
  std::ifstream before(path, std::ios::binary);
  ASSERT_TRUE(replace_small_file(path, "100.0\n"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), std::istreambuf_iterator<char>()), "  1.5\n");
  EXPECT_EQ(read_file(path), "100.0\n");
}

// A reader polling the file while it is replaced many times sees one whole
// line every time, never an empty or partial file, and the temporary file is
// gone at the end.
TEST(WrittenFiles, ReplacedSmallFileIsNeverSeenHalfWritten) {
  TempFolder folder("replace");
  const std::string path = folder.str() + "/Progress.tmp";
  const std::string eol = windows ? "\r\n" : "\n";
  ASSERT_TRUE(replace_small_file(path, "  0.0\n"));
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::string bad;
  std::thread reader([&] {
    while (!done) {
      {
        std::ifstream in(path, std::ios::binary);
        if (!in) continue;  // refused for a moment while the file is replaced (Windows)
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ++reads;
        if (text != "  0.0" + eol && text != "100.0" + eol && bad.empty()) bad = text;
      }
      // On Windows the open file holds up the rename: poll like a calling
      // application instead of holding the file all the time.
      if (windows) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const int least_writes = windows ? 200 : 1000;
  const int least_reads = windows ? 50 : 200;
  int writes = 0;
  int failed = 0;
  for (; writes < least_writes || (reads < least_reads && writes < 100000); ++writes) {
    failed += !replace_small_file(path, writes % 2 ? "100.0\n" : "  0.0\n");
  }
  done = true;
  reader.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(bad, "") << "a reader saw a partial file";
  EXPECT_GE(reads.load(), least_reads);
  EXPECT_EQ(read_file(path), (writes % 2 ? "  0.0" : "100.0") + eol);
  EXPECT_FALSE(fs::exists(path + ".new"));
}

}  // namespace
}  // namespace jpcp::platform
