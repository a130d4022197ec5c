// jpcp_example: writes example section folders for jpcp_cracking and
// jpcp_faulting.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/cli/command_line.h"
#include "common/platform/paths.h"
#include "tools/jpcp_example/options.h"
#include "tools/jpcp_example/section_files.h"

namespace {

using namespace jpcp::example;

constexpr int exit_written = 0;
constexpr int exit_write_failed = 1;

bool write_one(Program program, const SectionDesign& design, const std::string& folder) {
  const auto start = std::chrono::steady_clock::now();
  WrittenSection written;
  std::string error;
  const bool cracking = program == Program::cracking;
  const bool ok = cracking ? write_cracking_section(design, folder, written, error)
                           : write_faulting_section(design, folder, written, error);
  if (!ok) {
    std::cerr << "jpcp_example: " << error << "\n";
    return false;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const SectionOptions& o = design.options;
  std::printf("%s section '%s' written to %s (%.1f s)\n", cracking ? "jpcp_cracking" : "jpcp_faulting",
              o.section_name.c_str(), folder.c_str(), seconds);
  std::printf("  %.1f in slab, %.0f ft joints, %s, %.1f in %s base, %d years from month %d, %.0f trucks/day +%.1f%%/yr\n",
              o.slab_thickness_in, o.joint_spacing_ft,
              o.dowel_diameter_in > 0 ? ("dowels " + std::to_string(o.dowel_diameter_in).substr(0, 4) + " in").c_str()
                                      : "no dowels",
              o.base_thickness_in, std::string(base_properties(o.base).name).c_str(), o.design_life_years,
              o.start_month, o.aadtt, o.growth_percent);
  const std::string weather =
      design.weather ? "weather of " + design.weather->site + " (" + o.weather_path + ")"
                     : "climate " + o.climate + ", seed " + std::to_string(o.seed);
  std::printf("  %s: %zu hourly temperature records%s\n", weather.c_str(), written.temperature_records,
              cracking ? (" (" + std::to_string(o.effective_climate_years()) + " climate years)").c_str() : "");
  std::printf("  files:");
  for (const std::string& name : written.files) std::printf(" %s", name.c_str());
  std::printf("\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (jpcp::cli::answer_sole_flag(argc, argv, "jpcp_example", help_text(), std::cout)) return exit_written;
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  CommandLine command_line;
  std::string error;
  if (!parse_command_line(arguments, command_line, error)) {
    std::cerr << "jpcp_example: " << error << "\n" << jpcp::cli::help_hint("jpcp_example") << "\n";
    return jpcp::platform::exit_command_line;
  }
  SectionDesign design(command_line.section);
  if (!command_line.section.weather_path.empty() && !attach_weather(design, error)) {
    std::cerr << "jpcp_example: " << error << "\n";
    return exit_write_failed;
  }
  bool ok = true;
  switch (command_line.program) {
    case Program::cracking:
    case Program::faulting:
      ok = write_one(command_line.program, design, command_line.folder);
      break;
    case Program::both:
      ok = write_one(Program::cracking, design, jpcp::platform::join(jpcp::platform::folder_text(command_line.folder), "cracking")) &&
           write_one(Program::faulting, design, jpcp::platform::join(jpcp::platform::folder_text(command_line.folder), "faulting"));
      break;
  }
  return ok ? exit_written : exit_write_failed;
}
