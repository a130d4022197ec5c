#include "faulting/frame/run_frame.h"

#include <array>
#include <iostream>
#include <string>

#include "common/cli/command_line.h"
#include "common/inputs/input_set.h"
#include "common/inputs/response_switch.h"
#include "common/platform/paths.h"
#include "common/text/fixed_format.h"
#include "common/text/free_form_reader.h"
#include "faulting/deflection/curl_grid.h"
#include "faulting/deflection/deflection_model.h"
#include "faulting/frame/run_context.h"
#include "faulting/inputs/fault_season_pattern.h"
#include "faulting/inputs/section_input.h"
#include "faulting/inputs/shared_inputs.h"
#include "faulting/model/faulting_months.h"
#include "faulting/model/section_data.h"
#include "faulting/results/result_files.h"

namespace jpcp::faulting {

namespace {

constexpr std::string_view file_list_name = "FaultFileList.txt";
constexpr std::string_view response_file_name = "Response.txt";
constexpr std::string_view file_list_missing_message =
    "The following input file could not be opened: FileList.txt";
constexpr std::string_view version_file_name = "VersionFaulting.txt";
constexpr std::string_view version_line = "VERSION=5 DATE=4/05/2011 AUTHOR=TEMBRA";
constexpr std::string_view results_folder_message = "The error file could not be created: ";

// File lines of a section block, in order.
enum FaultingFile : size_t {
  section_input_file,
  season_pattern_file,
  single_axle_file,
  tandem_axle_file,
  tridem_axle_file,
  quad_axle_file,
  hourly_traffic_file,
  temperature_data_file,
  faulting_file_count
};

constexpr std::array<std::string_view, faulting_file_count> faulting_default_names = {
    "faultgeneralinput.txt", "seasonpattern.txt",      "SingleAxleOutput.csv", "TandemAxleOutput.csv",
    "TridemAxleOutput.csv",  "QuadAxleOutput.csv",     "_HourlyTrafficPerc.txt", "thermalPCC.dat",
};

// Eight file lines; a NULL section keeps its name (it has no other use).
const inputs::InputSetLayout& faulting_input_set_layout() {
  static const inputs::InputSetLayout layout{faulting_default_names, ""};
  return layout;
}

void write_version_file(const RunContext& run) {
  std::ofstream version;
  if (platform::create_output(version, platform::join(run.results_folder(), version_file_name))) {
    version << text::FreeFormLine().text(version_line).str() << '\n';
  }
}

// Reads the command line and opens the run-wide files; false ends the run.
bool start_run(RunContext& run, const char* const* argv, text::FreeFormReader& file_list) {
  run.source_folder = platform::folder_text(argv[1]);
  run.model_folder = platform::folder_text(argv[2]);

  const std::string error_path = platform::join(run.results_folder(), error_file_name);
  if (!platform::create_output(run.error_file, error_path)) {
    // Nowhere to report to: say so on the console and count it as an error.
    std::cout << text::FreeFormLine().text(results_folder_message).text(error_path).str() << '\n';
    ++run.error_count;
    return false;
  }
  if (!file_list.open(platform::join(run.source_folder, file_list_name))) {
    run.report_error(file_list_missing_message);
    return false;
  }
  run.response_switch = inputs::read_response_switch(platform::join(run.source_folder, response_file_name));
  platform::create_output(run.detail_file, platform::join(run.results_folder(), detail_file_name));
  platform::create_output(run.summary_file, platform::join(run.results_folder(), summary_file_name));
  write_version_file(run);
  return true;
}

// The section's readers in the order they run; false when one reported.
bool read_section_inputs(RunContext& run, FaultingSection& section) {
  const inputs::ReportError report = [&run](std::string_view message) { run.report_error(message); };
  const auto& files = section.input_set.files;
  if (!read_section_input(files[section_input_file], report, section.inputs)) return false;
  const SectionInputs& in = section.inputs;

  const size_t capacity = temperature_capacity(in.n_months, in.age_offset);
  if (!read_fault_temperatures(files[temperature_data_file], capacity, in.age_offset, report,
                               section.temperatures)) {
    return false;
  }
  if (!read_fault_season_pattern(files[season_pattern_file], in.n_months, report, section.season)) return false;

  const std::array<std::string, inputs::axle_type_count> axle_paths = {
      files[single_axle_file], files[tandem_axle_file], files[tridem_axle_file], files[quad_axle_file]};
  return read_fault_traffic(axle_paths, files[hourly_traffic_file], in.n_months, report, section.axles);
}

// The six deflection models and the curl deflection grid of the model
// folder; the coefficient storage is sized from the first model file.
bool setup_deflection_models(RunContext& run, FaultingSection& section) {
  const inputs::ReportError report = [&run](std::string_view message) { run.report_error(message); };
  std::array<std::string, nn_info_names> paths;
  if (!read_deflection_model_names(run.model_folder, report, paths)) return false;
  if (!deflection_storage_size(paths[0], report, section.model_storage)) return false;
  for (size_t g = 0; g < deflection_model_count; ++g) {
    NodeSet nodes;
    for (size_t n = 0; n < joint_spacing_nodes; ++n) nodes.paths[n] = paths[g * joint_spacing_nodes + n];
    if (!load_deflection_model(nodes, section.model_storage, report, section.models[g])) return false;
  }
  return read_curl_grid(platform::join(run.model_folder, curl_grid_file_name), report, section.curl);
}

bool run_section(RunContext& run, FaultingSection& section) {
  if (!read_section_inputs(run, section)) return false;
  if (!setup_deflection_models(run, section)) return false;

  ResultStreams streams;
  streams.detail = &run.detail_file;
  streams.summary = &run.summary_file;
  streams.response_switch = run.response_switch;
  if (run.response_switch > 0) {
    platform::create_output(run.deflection_file, platform::join(run.results_folder(), deflection_file_name));
    streams.deflection = &run.deflection_file;
  }
  const inputs::ReportError report = [&run](std::string_view message) { run.report_error(message); };
  const MonthProgress progress = [&run](int32_t month) { run.report_progress(month); };
  return faulting_computation(section, streams, progress, report);
}

void end_run(RunContext& run) {
  run.error_file.close();
  if (run.error_count == 0) platform::remove_file(platform::join(run.results_folder(), error_file_name));
  run.detail_file.close();
  run.summary_file.close();
  run.deflection_file.close();
}

}  // namespace

int run(int argc, const char* const* argv) {
  if (argc < 3) {
    std::cout << text::FreeFormLine().text(usage_line).str() << '\n' << std::flush;
    std::cerr << cli::help_hint("jpcp_faulting") << '\n';
    return platform::exit_command_line;
  }
  if (argc - 1 > argument_count) {
    cli::report_extra_arguments("jpcp_faulting", usage_line, argc - 1, argument_count, std::cerr);
    return platform::exit_command_line;
  }
  RunContext run;
  text::FreeFormReader file_list;
  if (start_run(run, argv, file_list)) {
    // A run analyses the first section of the file list only.
    FaultingSection section;
    if (inputs::read_input_set(file_list, run.source_folder, faulting_input_set_layout(), section.input_set)) {
      run_section(run, section);
    }
  }
  end_run(run);
  return run.error_count == 0 ? platform::exit_ok : platform::exit_error_reported;
}

}  // namespace jpcp::faulting
