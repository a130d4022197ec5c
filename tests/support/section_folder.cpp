#include "tests/support/section_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace jpcp::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& name) {
  static std::atomic<int> counter{0};
  path_ = fs::path(::testing::TempDir()) /
          ("jpcp_" + name + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

void write_file(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
#ifdef _WIN32
  // Written files end their lines in CRLF here; the suite compares their text
  // (the line ends themselves are checked by the platform tests).
  std::string text;
  for (char c : contents.str()) {
    if (c == '\n' && !text.empty() && text.back() == '\r') text.pop_back();
    text += c;
  }
  return text;
#else
  return contents.str();
#endif
}

std::vector<std::string> read_lines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

CrackingSectionInputs::CrackingSectionInputs() {
  general = {1,     1,      1,     0,    10,  15,   0,  12,  0,   0.15, 150,    5.5e-6, 2,    650, 35,
             0,     8,      130,   1,    -1.98, 2.0, 1.22, 0, -10, 0,    12,     14,     18,   10,  15,
             0.5,   10,     0.5,   10,   12,  50,   60, 40, 40,   20,   1.0,    0,      0};
}

namespace {

std::string join_values(const float* values, size_t count, const char* separator) {
  std::ostringstream out;
  out.precision(9);
  for (size_t i = 0; i < count; ++i) out << (i ? separator : "") << values[i];
  return out.str();
}

constexpr const char* default_names[] = {"GeneralInput.txt",     "SeasonPattern.txt",    "PCCModulus.txt.",
                                         "SingleAxleOutput.csv", "TandemAxleOutput.csv", "TridemAxleOutput.csv",
                                         "QuadAxleOutput.csv",   "_HourlyTrafficPerc.txt", "ThermalPCC.dat"};

// The on-disk name: a trailing full stop cannot be kept on every file system.
std::string disk_name(const std::string& name) {
  std::string result = name;
  while (!result.empty() && result.back() == '.') result.pop_back();
  return result;
}

std::string axle_file(int years, int classes, float per_class) {
  std::ostringstream out;
  for (int j = 1; j <= 12 * years; ++j) {
    out << j << ",Month" << j;
    for (int c = 1; c <= classes; ++c) out << "," << per_class * static_cast<float>(c % 5);
    out << "\n";
  }
  return out.str();
}

std::string temperature_file(int days, int start_year) {
  std::ostringstream out;
  char line[128];
  for (int i = 1; i <= 288; ++i) {
    std::snprintf(line, sizeof line, "%4d header\n", i == 288 ? start_year : 1999);
    out << line;
  }
  for (int d = 0; d < days; ++d) {
    for (int h = 0; h < 24; ++h) {
      // Day d falls in calendar month d mod 12 + 1: any 12 days cover the
      // year, as the temperature checks require.
      std::snprintf(line, sizeof line, "%4d%2d%2d%2d", start_year, 1 + d % 12, 1 + d / 12 % 31, h);
      out << line;
      for (int z = 0; z < 11; ++z) {
        // A straight-line profile, (h - 12) deg F warmer at the top, exact in
        // the file's one decimal.
        std::snprintf(line, sizeof line, "%6.1f", 70.0 + (h - 12) * (10 - z) / 10.0);
        out << line;
      }
      out << "\n";
    }
  }
  return out.str();
}

}  // namespace

void write_cracking_section(const fs::path& folder, const CrackingSectionInputs& inputs, const std::string& prefix) {
  auto path_of = [&](int index) { return folder / disk_name(prefix + default_names[index]); };

  std::array<float, 43> general = inputs.general;
  general[0] = static_cast<float>(inputs.years);
  general[1] = static_cast<float>(inputs.start_month);
  std::string general_text = join_values(general.data(), general.size(), "\n") + "\n";
  if (!inputs.calibration_values.empty() || !inputs.observation_ages.empty()) {
    general_text += std::to_string(inputs.calibration_values.size()) + "\n";
    for (float v : inputs.calibration_values) general_text += join_values(&v, 1, "") + "  calibration value\n";
    general_text += std::to_string(inputs.observation_ages.size()) + "\n";
    for (float v : inputs.observation_ages) general_text += join_values(&v, 1, "") + "\n";
  }
  write_file(path_of(0), general_text);

  write_file(path_of(1),
             "100 100 120 150 200 250 250 250 200 150 120 100\n"
             "30000 30000 30000 30000 30000 30000 30000 30000 30000 30000 30000 30000\n"
             "70 70 65 60 55 50 50 55 60 65 70 75\n");
  std::ostringstream pcc;
  pcc << "0\n";
  for (int row = 1; row <= inputs.years + 12; ++row) {
    pcc << row << " " << 600 + row << " " << 4.0e6 + 1000.0 * row << "\n";
  }
  write_file(path_of(2), pcc.str());
  write_file(path_of(3), axle_file(inputs.years, 39, 10.0f));
  write_file(path_of(4), axle_file(inputs.years, 39, 5.0f));
  write_file(path_of(5), axle_file(inputs.years, 31, 1.0f));
  write_file(path_of(6), axle_file(inputs.years, 31, 0.0f));
  std::ostringstream hourly;
  for (int h = 0; h < 24; ++h) hourly << (h < 12 ? 3.0 : 1.0 + 1.0 / 3.0) << "\n";
  write_file(path_of(7), hourly.str());
  write_file(path_of(8), temperature_file(inputs.temperature_days, 2001));
}

std::string cracking_file_list_block(const std::string& section_name, const std::string& prefix) {
  std::string block = section_name + "\n";
  for (const char* name : default_names) block += disk_name(prefix + name) + "\n";
  return block;
}

void write_nn_info(const fs::path& nn_folder) {
  write_file(nn_folder / "NNinfo.txt", "bottom1.ttt\nbottom2.ttt\ncorner.ttt\nedge22.ttt\n");
}

#ifdef _WIN32

namespace {

// One argument of a Windows command line, quoted so that the program's
// run-time library splits it back into the same text.
std::string quoted_argument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quotation mark are escaped, elsewhere literal.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

}  // namespace

// Started directly (no command interpreter): standard output read through a
// pipe, standard error kept apart in a file (it carries the error lines with
// their detail), as on POSIX.
RunResult run_program(const std::string& executable, const std::vector<std::string>& arguments) {
  RunResult result;
  std::string command = quoted_argument(executable);
  for (const std::string& argument : arguments) command += " " + quoted_argument(argument);

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  static int run_number = 0;
  const fs::path error_path = fs::path(::testing::TempDir()) / ("jpcp_stderr_" + std::to_string(GetCurrentProcessId()) +
                                                                "_" + std::to_string(++run_number));
  const HANDLE error_file = CreateFileA(error_path.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = error_file != INVALID_HANDLE_VALUE ? error_file : write_end;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(write_end);
  if (error_file != INVALID_HANDLE_VALUE) CloseHandle(error_file);
  if (!started) {
    CloseHandle(read_end);
    fs::remove(error_path);
    return result;
  }
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0) result.console.append(buffer, n);
  CloseHandle(read_end);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code)) result.exit_status = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Both texts in text mode, as on POSIX.
  const auto without_cr = [](const std::string& text) {
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      lf += text[i];
    }
    return lf;
  };
  result.console = without_cr(result.console);
  std::error_code ignored;
  if (fs::exists(error_path, ignored)) {
    std::ifstream in(error_path, std::ios::binary);
    result.standard_error = without_cr(std::string(std::istreambuf_iterator<char>(in), {}));
    in.close();
    fs::remove(error_path, ignored);
  }
  return result;
}

#else

RunResult run_program(const std::string& executable, const std::vector<std::string>& arguments) {
  std::string command = "'" + executable + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  // Standard error apart: it carries the error lines with their detail.
  static int run_number = 0;
  const fs::path error_path = fs::path(::testing::TempDir()) /
                              ("jpcp_stderr_" + std::to_string(::getpid()) + "_" + std::to_string(++run_number));
  command += " 2>'" + error_path.string() + "'";
  RunResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.console.append(buffer, n);
  const int status = ::pclose(pipe);
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.standard_error = read_file(error_path);
  fs::remove(error_path);
  return result;
}

#endif

}  // namespace jpcp::testing
