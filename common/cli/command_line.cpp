#include "common/cli/command_line.h"

#include <iostream>

#include "jpcp_version.h"  // written by the build: version, revision, documentation folder

namespace jpcp::cli {

const std::string_view exit_status_table =
    "Exit status:\n"
    "  0  the run reported no error\n"
    "  1  an error was reported (in the error file of a run; on standard error\n"
    "     for jpcp_models and jpcp_example)\n"
    "  2  the command line is wrong: missing, unknown or too many arguments\n"
    "  3  a numerical routine or a malformed model file stopped the run (its\n"
    "     message is on standard output)\n";

const std::string_view sole_flag_options =
    "Options, each only as the sole argument:\n"
    "  -h, --help      this text\n"
    "  --version       the program's version\n";

std::string version_line(std::string_view program) {
  std::string line = std::string(program) + " " + JPCP_VERSION;
  const std::string_view revision = JPCP_GIT_REVISION;
  if (!revision.empty()) line += " (git " + std::string(revision) + ")";
  return line;
}

std::string documentation_pointer(std::string_view program) {
  return "Documentation: 'man " + std::string(program) + "', and every input and result file\n" +
         "described field by field in " + JPCP_DOC_DIR + " (docs/ in the source tree).\n";
}

std::string help_hint(std::string_view program) { return "Run '" + std::string(program) + " --help' for usage."; }

SoleFlag sole_flag(int argc, const char* const* argv) {
  if (argc != 2) return SoleFlag::none;
  const std::string_view argument = argv[1];
  if (argument == "--help" || argument == "-h") return SoleFlag::help;
  if (argument == "--version") return SoleFlag::version;
  return SoleFlag::none;
}

bool answer_sole_flag(int argc, const char* const* argv, std::string_view program, std::string_view usage,
                      std::ostream& out) {
  switch (sole_flag(argc, argv)) {
    case SoleFlag::help:
      out << usage << '\n' << exit_status_table << '\n' << documentation_pointer(program);
      return true;
    case SoleFlag::version:
      out << version_line(program) << '\n';
      return true;
    case SoleFlag::none:
      break;
  }
  return false;
}

int engine_main(int argc, const char* const* argv, std::string_view program, std::string_view synopsis,
                std::string_view description, int (*run)(int, const char* const*)) {
  const std::string usage = std::string(synopsis) + "\n       " + std::string(program) + " --help | -h | --version\n" +
                            std::string(description) + "\n" + std::string(sole_flag_options);
  if (answer_sole_flag(argc, argv, program, usage, std::cout)) return 0;
  return run(argc, argv);
}

void report_extra_arguments(std::string_view program, std::string_view synopsis, int given, int most,
                            std::ostream& err) {
  err << program << ": " << given << " arguments given; it takes at most " << most << ".\n"
      << synopsis << '\n'
      << help_hint(program) << '\n';
}

}  // namespace jpcp::cli
