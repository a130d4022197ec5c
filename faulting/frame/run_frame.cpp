#include "faulting/frame/run_frame.h"

#include "faulting/analysis.h"

#include <array>
#include <iostream>
#include <string>

#include "common/cli/command_line.h"
#include "common/inputs/input_set.h"
#include "common/inputs/response_switch.h"
#include "common/inputs/temperature_data.h"
#include "common/platform/paths.h"
#include "common/platform/result_guard.h"
#include "common/nn/model_cache.h"
#include "common/platform/run_reporting.h"
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
  platform::OutputFile version;
  if (platform::create_output(version, platform::join(run.results_folder, version_file_name))) {
    version << text::FreeFormLine().text(version_line).str() << '\n';
  }
}

// Opens the run-wide files; false ends the run.
bool start_run(RunContext& run, text::FreeFormReader& file_list) {
  if (!run.frame.open_error_file()) return false;
  // From here on a stop is reported like an error.
  run.frame.report_stops();

  const std::string file_list_path = platform::join(run.source_folder, file_list_name);
  if (!file_list.open(file_list_path)) {
    run.report_error(file_list_missing_message, platform::input_file_detail(file_list_path));
    return false;
  }
  run.response_switch = inputs::read_response_switch(platform::join(run.source_folder, response_file_name));
  platform::create_output(run.detail_file, platform::join(run.results_folder, detail_file_name));
  platform::create_output(run.summary_file, platform::join(run.results_folder, summary_file_name));
  // JPCP_faulting.csv: section constants, then three heading lines of which
  // the last two line up with the columns; rows by analysis month and its
  // name. JPCP_faulting2.csv: four heading lines that continue one another.
  platform::note_result_layout(platform::join(run.results_folder, detail_file_name),
                               platform::ResultLayout{.heading_first = 3,
                                                      .heading_last = 4, .first_row = 5, .when_field = 1,
                                                      .when_label = "month", .name_field = 2});
  platform::note_result_layout(platform::join(run.results_folder, summary_file_name),
                               platform::ResultLayout{.heading_last = 4,
                                                      .run_on = true, .first_row = 5, .when_field = 1,
                                                      .when_label = "month", .name_field = 3});
  write_version_file(run);
  return true;
}

// The section's readers in the order they run; false when one reported.
bool read_section_inputs(RunContext& run, FaultingSection& section) {
  const inputs::ReportError report = run.reporter();
  const auto& files = section.input_set.files;
  if (!read_section_input(files[section_input_file], report, section.inputs)) return false;
  const SectionInputs& in = section.inputs;

  const size_t capacity = temperature_capacity(in.n_months, in.age_offset);
  if (!read_fault_temperatures(files[temperature_data_file], capacity, in.age_offset, report, section.temperatures) ||
      !inputs::temperature_records_valid(section.temperatures, capacity, files[temperature_data_file], report)) {
    return false;
  }
  if (!read_fault_season_pattern(files[season_pattern_file], in.n_months, report, section.season)) return false;
  if (!season_fits_results(section.season, in.start_month, in.n_months, files[season_pattern_file], report)) {
    return false;
  }

  const std::array<std::string, inputs::axle_type_count> axle_paths = {
      files[single_axle_file], files[tandem_axle_file], files[tridem_axle_file], files[quad_axle_file]};
  return read_fault_traffic(axle_paths, files[hourly_traffic_file], in.n_months, report, section.axles);
}

// The six deflection models and the curl deflection grid of the model
// folder; the coefficient storage is sized from the first model file.
bool setup_deflection_models(RunContext& run, FaultingSection& section) {
  const inputs::ReportError report = run.reporter();
  std::array<std::string, nn_info_names> paths;
  if (!read_deflection_model_names(run.model_folder, report, paths)) return false;
  // The first model file is parsed once: for the storage size and as node 1
  // of the first model.
  nn::ResponseModel first_node;
  if (!deflection_storage_size(paths[0], report, section.model_storage, &first_node)) return false;
  for (size_t g = 0; g < deflection_model_count; ++g) {
    NodeSet nodes;
    for (size_t n = 0; n < joint_spacing_nodes; ++n) nodes.paths[n] = paths[g * joint_spacing_nodes + n];
    if (!load_deflection_model(nodes, section.model_storage, report, section.models[g],
                               g == 0 ? &first_node : nullptr)) {
      return false;
    }
  }
  return read_curl_grid(platform::join(run.model_folder, curl_grid_file_name), report, section.curl);
}

void end_run(RunContext& run) {
  run.detail_file.close();
  run.summary_file.close();
  run.deflection_file.close();
  // The last guard on the results: no NaN, infinity or asterisk-filled field.
  run.frame.finish(true);
}

// The first section of the file list.
void run_first_section(RunContext& run, text::FreeFormReader& file_list) {
  FaultingSection section;
  const inputs::InputSetStatus status =
      inputs::read_input_set_status(file_list, run.source_folder, faulting_input_set_layout(), section.input_set);
  const std::string problem = inputs::file_list_problem(file_list_name, status, 0, section.input_set.section_name);
  if (!problem.empty()) {
    const std::string& place = file_list.failure_detail();
    run.report_error(problem, platform::input_file_detail(platform::join(run.source_folder, file_list_name)) +
                                  (place.empty() ? "" : "; " + place));
    return;
  }
  if (!read_section(run, section)) return;
  analyse_section(run, section);
}

}  // namespace

bool read_section(RunContext& run, FaultingSection& section) {
  return read_section_inputs(run, section) && setup_deflection_models(run, section);
}

bool analyse_section(RunContext& run, FaultingSection& section) {
  ResultStreams streams;
  streams.detail = &run.detail_file;
  streams.summary = &run.summary_file;
  streams.response_switch = run.response_switch;
  if (run.response_switch > 0) {
    platform::create_output(run.deflection_file, platform::join(run.results_folder, deflection_file_name));
    // One heading line; rows by analysis month (Age(mo)).
    platform::note_result_layout(platform::join(run.results_folder, deflection_file_name),
                                 platform::ResultLayout{.when_field = 2, .when_label = "month"});
    streams.deflection = &run.deflection_file;
  }
  const inputs::ReportError report = run.reporter();
  const MonthProgress progress = [&run](int32_t month) { run.report_progress(month); };
  return faulting_computation(section, streams, progress, report);
}

frame::RunOutcome run_faulting(const Request& request, const frame::RunSetup& setup) {
  frame::RunFrame run_frame(error_file_name, false, setup);
  RunContext run(run_frame);
  run.source_folder = platform::folder_text(request.source_folder);
  run.results_folder = setup.in_memory ? std::string() : run.source_folder;
  run.model_folder = platform::folder_text(request.model_folder);
  text::FreeFormReader file_list;
  run_frame.step([&] {
    // A run analyses the first section of the file list only.
    if (start_run(run, file_list)) run_first_section(run, file_list);
  });
  end_run(run);
  return run_frame.outcome();
}

int run(int argc, const char* const* argv) {
  if (argc < 3) {
    std::cout << text::FreeFormLine().text(usage_line).str() << '\n'
              << cli::help_hint("jpcp_faulting") << '\n'
              << std::flush;
    return platform::exit_command_line;
  }
  if (argc - 1 > argument_count) {
    cli::report_extra_arguments("jpcp_faulting", usage_line, argc - 1, argument_count, std::cerr);
    return platform::exit_command_line;
  }
  Request request;
  request.source_folder = argv[1];
  request.model_folder = argv[2];
  frame::RunSetup setup;
  setup.results_folder = platform::folder_text(argv[1]);
  nn::ModelCache models;
  setup.models = &models;
  return run_faulting(request, setup).exit_status;
}

}  // namespace jpcp::faulting
