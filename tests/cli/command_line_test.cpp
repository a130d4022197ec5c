// The command lines of the programs as a person at a terminal meets
// them: the sole-argument flags, the wrong argument counts and their exit
// statuses, with standard output (what callers read) kept apart from
// standard error.
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program in a scratch working folder, so that a run that wrongly
// starts writes nothing into the source tree.
Outcome run(const std::string& program, const std::vector<std::string>& arguments) {
  const fs::path scratch = fs::temp_directory_path() / ("jpcp_cli_" + std::to_string(::getpid()));
  fs::create_directories(scratch);
#ifdef _WIN32
  // The command interpreter's quoting; the status is the program's exit code.
  std::string command = "cd /d \"" + scratch.string() + "\" && \"" + program + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  command += " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  // Text as on POSIX: CRLF line ends read as LF.
  auto text = [](std::string bytes) {
    std::string lf;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
    }
    return lf;
  };
  Outcome outcome{status, text(slurp(scratch / "out.txt")), text(slurp(scratch / "err.txt"))};
#else
  std::string command = "cd '" + scratch.string() + "' && '" + program + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(scratch / "out.txt"), slurp(scratch / "err.txt")};
#endif
  fs::remove_all(scratch);
  return outcome;
}

struct Program {
  std::string name;
  std::string executable;
};

const std::vector<Program>& programs() {
  static const std::vector<Program> all = {{"jpcp_cracking", JPCP_CRACKING_EXE},
                                           {"jpcp_faulting", JPCP_FAULTING_EXE},
                                           {"jpcp_models", JPCP_MODELS_EXE},
                                           {"jpcp_example", JPCP_EXAMPLE_EXE},
                                           {"jpcp_climate", JPCP_CLIMATE_EXE}};
  return all;
}

TEST(CommandLine, HelpAndVersionAnsweredOnStandardOutput) {
  const std::regex version("([a-z_]+) ([0-9]+\\.[0-9]+\\.[0-9]+)( \\(git [0-9a-f]+\\))?\n");
  for (const Program& p : programs()) {
    SCOPED_TRACE(p.name);
    for (const char* flag : {"--help", "-h"}) {
      const Outcome help = run(p.executable, {flag});
      EXPECT_EQ(help.status, 0);
      EXPECT_EQ(help.err, "");
      EXPECT_EQ(help.out.rfind("Usage:", 0), 0u) << help.out;
      EXPECT_NE(help.out.find("Exit status:\n  0 "), std::string::npos);
      EXPECT_NE(help.out.find("Documentation: 'man " + p.name + "'"), std::string::npos);
    }
    const Outcome v = run(p.executable, {"--version"});
    std::smatch match;
    EXPECT_EQ(v.status, 0);
    ASSERT_TRUE(std::regex_match(v.out, match, version)) << v.out;
    EXPECT_EQ(match[1], p.name);
    EXPECT_EQ(match[2], JPCP_PROJECT_VERSION);
  }
}

TEST(CommandLine, CrackingShortCommandLineKeepsItsTwoLinesAndAddsTheHint) {
  const std::string lines =
      " Missing command parameters.\n The program requires: Source folder, Results Folder, FileList.txt\n"
      "Run 'jpcp_cracking --help' for usage.\n";
  // A flag that is not the sole argument is an ordinary argument.
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"--bogus"}, {"a", "b"}, {"--help", "b"}}) {
    const Outcome o = run(JPCP_CRACKING_EXE, arguments);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, lines);
    EXPECT_EQ(o.err, "");
  }
}

TEST(CommandLine, FaultingShortCommandLineKeepsItsLineAndAddsTheHint) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"--bogus"}}) {
    const Outcome o = run(JPCP_FAULTING_EXE, arguments);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, " Usage: jpcp_faulting SOURCE_FOLDER MODEL_FOLDER\nRun 'jpcp_faulting --help' for usage.\n");
    EXPECT_EQ(o.err, "");
  }
}

// Too many arguments: nothing is run (no file appears in the folders named),
// standard output stays empty, standard error shows the count and the usage.
TEST(CommandLine, ExtraArgumentsAreRefusedWithTheUsageLine) {
  const fs::path folder = fs::temp_directory_path() / ("jpcp_cli_extra_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string f = folder.string();
  const Outcome cracking = run(JPCP_CRACKING_EXE, {f, f, f, "summary.csv", "detail", "extra"});
  EXPECT_EQ(cracking.status, 2);
  EXPECT_EQ(cracking.out, "");
  EXPECT_EQ(cracking.err,
            "jpcp_cracking: 6 arguments given; it takes at most 5.\n"
            "Usage: jpcp_cracking SOURCE_FOLDER RESULTS_FOLDER NN_FOLDER [SUMMARY_FILE [DETAIL]]\n"
            "Run 'jpcp_cracking --help' for usage.\n");
  const Outcome faulting = run(JPCP_FAULTING_EXE, {f, f, "extra"});
  EXPECT_EQ(faulting.status, 2);
  EXPECT_EQ(faulting.out, "");
  EXPECT_EQ(faulting.err,
            "jpcp_faulting: 3 arguments given; it takes at most 2.\n"
            "Usage: jpcp_faulting SOURCE_FOLDER MODEL_FOLDER\n"
            "Run 'jpcp_faulting --help' for usage.\n");
  EXPECT_TRUE(fs::is_empty(folder));
  fs::remove_all(folder);
}

TEST(CommandLine, ToolsRefuseWrongCommandLinesWithStatusTwo) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> wrong = {
      {JPCP_MODELS_EXE, {}},
      {JPCP_MODELS_EXE, {"help"}},
      {JPCP_MODELS_EXE, {"demo-cracking"}},
      {JPCP_MODELS_EXE, {"build", "--grid"}},
      {JPCP_MODELS_EXE, {"--version", "x"}},
      {JPCP_EXAMPLE_EXE, {}},
      {JPCP_CLIMATE_EXE, {"weather.epw"}},
      {JPCP_CLIMATE_EXE, {"weather.epw", "out", "--thickness", "30"}},
      {JPCP_EXAMPLE_EXE, {"cracking", "d", "--help"}},
  };
  for (const auto& [program, arguments] : wrong) {
    const Outcome o = run(program, arguments);
    SCOPED_TRACE(program + " with " + std::to_string(arguments.size()) + " arguments");
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("--help' for usage.\n"), std::string::npos) << o.err;
  }
}

}  // namespace
