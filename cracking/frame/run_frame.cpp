#include "cracking/frame/run_frame.h"

#include "cracking/inputs/general_fields.h"

#include "cracking/analysis.h"

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "common/cli/command_line.h"
#include "common/inputs/input_set.h"
#include "common/inputs/nn_info.h"
#include "common/inputs/response_switch.h"
#include "common/inputs/temperature_data.h"
#include "common/inputs/traffic.h"
#include "common/nn/model_cache.h"
#include "common/platform/paths.h"
#include "common/platform/result_guard.h"
#include "common/platform/run_reporting.h"
#include "common/platform/run_scope.h"
#include "common/text/fixed_format.h"
#include "common/text/free_form_reader.h"
#include "cracking/damage/cracking_results.h"
#include "cracking/damage/damage_accumulation.h"
#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"
#include "cracking/frame/section_quantities.h"
#include "cracking/inputs/general_input.h"
#include "cracking/inputs/input_files.h"
#include "cracking/inputs/season_pattern.h"
#include "cracking/results/gradient_file.h"
#include "cracking/results/result_files.h"
#include "cracking/results/traffic_summaries.h"
#include "cracking/temperature/monthly_setup.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view missing_parameters_line1 = "Missing command parameters.";
constexpr std::string_view missing_parameters_line2 =
    "The program requires: Source folder, Results Folder, FileList.txt";
constexpr std::string_view summary_header = "     Section,     Age,     BU,       TD,       CR";
constexpr std::string_view bgcal_file_name = "BGCal.txt";
constexpr std::string_view file_list_name = "FileList.txt";
constexpr std::string_view response_file_name = "Response.txt";
constexpr std::string_view file_list_missing_message =
    "The following input file could not be opened: FileList.txt";
constexpr std::string_view version_file_name = "VersionCracking.txt";
constexpr std::string_view version_line = "VERSION=5 DATE=1/04/2013 AUTHOR=TEMBRA";
constexpr float bgcal_default = 999.0f;
constexpr std::string_view moisture_warping_message =
    "Data error: General Input File -- fields 5, 12, 13, 14 and 24 (slab thickness, thermal expansion, shrinkage "
    "zone, ultimate shrinkage, built-in gradient) give a moisture warping difference that is not a finite number";

// One real from BGCal.txt; the default when the file is absent or unreadable.
float read_bgcal(std::string_view path) {
  text::FreeFormReader reader;
  float value = bgcal_default;
  if (!reader.open(std::string(path)) || reader.read_values(value) != text::ReadStatus::ok) return bgcal_default;
  return value;
}

void write_version_file(const RunContext& run) {
  platform::OutputFile version;
  if (platform::create_output(version, platform::join(run.results_folder, version_file_name))) {
    version << text::FreeFormLine().text(version_line).str() << '\n';
  }
}

// Console line of a section: its name, in calibration mode with the
// built-in gradient.
void write_console_line(const RunContext& run, const CrackingSection& section) {
  const std::string name(platform::trimmed(section.input_set.section_name));
  text::FreeFormLine line;
  if (run.calibration_mode) {
    line.text(name + ":  BTG =").real(section.general.built_in_gradient());
  } else {
    line.text(name);
  }
  platform::run_out() << line.str() << '\n';
}

bool read_traffic(RunContext& run, CrackingSection& section) {
  using inputs::CrackingFile;
  const auto& files = section.input_set.files;
  const std::array<std::string, inputs::axle_type_count> axle_paths = {
      files[inputs::single_axle_file], files[inputs::tandem_axle_file], files[inputs::tridem_axle_file],
      files[inputs::quad_axle_file]};
  inputs::AxleReadPolicy policy;
  policy.months = 12 * section.years;
  policy.table_months = static_cast<size_t>(policy.months);
  policy.start_month = section.general.start_month;
  policy.cracking_conversion = true;
  policy.path_in_messages = true;
  const inputs::ReportError report = run.reporter();
  if (!inputs::read_axle_files(axle_paths, policy, report, section.traffic)) return false;
  if (!traffic_summaries_fit(section.traffic, report)) return false;
  write_traffic_summaries(section.traffic, run.results_folder);
  // The damage routines walk the classes of one month at a time.
  for (size_t type = 0; type < inputs::axle_type_count; ++type) {
    section.axles_by_class[type] = section.traffic.monthly[type].transposed();
  }
  return true;
}

bool read_hourly_traffic(RunContext& run, CrackingSection& section) {
  std::array<float, 24> percentages{};
  const std::string& path = section.input_set.files[inputs::hourly_traffic_file];
  if (!inputs::read_hourly_percentages(path, percentages)) {
    run.report_error(inputs::hourly_traffic_read_message, platform::input_file_detail(path));
    return false;
  }
  if (!inputs::hourly_percentages_valid(percentages, path, run.reporter())) return false;
  section.hourly_traffic_weight = hourly_traffic_weights(percentages);
  return true;
}

// The base modulus goes unchanged into the Ebase(ksi) column (F7.2) of
// NAME_Cracking.csv, which holds less than 10 000 000 psi; every month of the
// typical year has rows. Checked only when that file is written. (The k
// column shows the k-value the analysis used, which may be lowered, so a
// k-value is not refused here.)
bool season_fits_results(RunContext& run, const CrackingSection& section, const std::string& path) {
  if (!run.detail_switch) return true;
  inputs::TypicalYear calendar_order;
  for (int32_t p = 1; p <= 12; ++p) {
    const auto m = static_cast<size_t>(inputs::calendar_month(section.general.start_month, p) - 1);
    calendar_order.k_value[m] = section.season.year.k_value[static_cast<size_t>(p - 1)];
    calendar_order.base_modulus[m] = section.season.year.base_modulus[static_cast<size_t>(p - 1)];
  }
  std::array<bool, 12> written{};
  written.fill(true);
  const std::string file = std::string(platform::trimmed(section.input_set.section_name)) + std::string(cracking_file_suffix);
  const std::string column = "the Ebase(ksi) column of " + file;
  return inputs::typical_year_fits_results(calendar_order, written, {}, {1.0e7, column}, inputs::season_file_label,
                                           run.reporter(), platform::input_file_detail(path));
}

// The section's input files, in the order they are read. False when a
// reader reported an error.
bool read_section_inputs(RunContext& run, CrackingSection& section) {
  const inputs::ReportError report = run.reporter();
  const auto& files = section.input_set.files;
  if (!inputs::read_general_input(files[inputs::general_input_file], run.calibration_mode, report, section.general)) {
    return false;
  }
  section.years = inputs::rounded_design_life(section.general.design_life());

  inputs::SeasonInputs season_inputs;
  season_inputs.years = section.years;
  season_inputs.start_month = section.general.start_month;
  season_inputs.age_offset = section.general.age_offset;
  season_inputs.interface_switch = section.general.interface_switch;
  season_inputs.field8 = section.general.field[inputs::general::shoulder_lte];
  season_inputs.age_time_constant = section.general.age_time_constant;
  if (!inputs::read_season_pattern(files[inputs::season_pattern_file], files[inputs::pcc_modulus_file],
                                   season_inputs, report, section.season) ||
      !season_fits_results(run, section, files[inputs::season_pattern_file])) {
    return false;
  }
  // A negative calibration gradient replaces the section's own.
  if (run.calibration_mode && run.bgcal < 0.0f) section.general.field[inputs::general::built_in_gradient] = run.bgcal;
  write_console_line(run, section);

  if (!read_traffic(run, section)) return false;
  if (!read_hourly_traffic(run, section)) return false;

  inputs::TemperatureReadPolicy temperature_policy;
  temperature_policy.header_block = true;
  temperature_policy.capacity = inputs::cracking_temperature_capacity;
  temperature_policy.start_month = section.general.start_month;
  if (!inputs::read_temperature_data(files[inputs::temperature_data_file], temperature_policy, report,
                                     section.temperatures)) {
    return false;
  }
  if (!inputs::temperature_records_valid(section.temperatures, temperature_policy.capacity,
                                         files[inputs::temperature_data_file], report)) {
    return false;
  }
  section.moisture = moisture_warping_difference(section.general, section.season.year.relative_humidity);
  // Extreme shrinkage inputs overflow the equivalent temperature difference,
  // which would reach the stress models as an infinity.
  for (size_t m = 0; m < section.moisture.total_difference.size(); ++m) {
    if (std::isfinite(section.moisture.total_difference[m])) continue;
    run.report_error(moisture_warping_message, platform::input_file_detail(files[inputs::general_input_file]) +
                                                   "; month " + std::to_string(m + 1) + " of the typical year");
    return false;
  }
  return true;
}

void trim_distributions(CrackingSection& section, GradientDistributions& case_tables) {
  for (size_t month = 0; month < 12; ++month) {
    trim_month(case_tables.daytime, month, daytime_bins);
    trim_month(case_tables.nighttime, month, static_cast<size_t>(section.nighttime_bin_count));
  }
}

// One analysis of the section (one calibration value in calibration mode).
bool run_analysis(RunContext& run, CrackingSection& section, int32_t analysis_index) {
  section.unbonded = GradientDistributions{};
  section.bonded = GradientDistributions{};
  section.nighttime_bin_count = static_cast<int32_t>(nighttime_bins);
  if (run.calibration_mode) {
    section.general.field[inputs::general::joint_spacing] = section.general.calibration_values[static_cast<size_t>(analysis_index - 1)];
  }
  if (!monthly_setup_unbonded(run, section)) return false;
  if (section.two_case() && !monthly_setup_bonded(run, section)) return false;
  run.report_progress(1.5f);

  trim_distributions(section, section.unbonded);
  if (section.two_case()) trim_distributions(section, section.bonded);

  write_gradient_file(run, section, false);
  if (section.two_case()) write_gradient_file(run, section, true);

  const bool damage_ok = section.two_case() ? damage_two_case(run, section) : damage_one_case(run, section);
  if (!damage_ok) return false;
  if (!write_cracking_results(run, section, analysis_index)) return false;
  run.report_progress(100.0f);
  return true;
}

// Opens the run-wide files; false ends the run.
bool start_run(RunContext& run, const Request& request, text::FreeFormReader& file_list,
               const std::string& file_list_path) {
  run.calibration_mode = !request.summary_file.empty();
  run.detail_switch = !run.calibration_mode || request.detail;

  if (run.calibration_mode) {
    run.summary_path = platform::join(run.results_folder, request.summary_file);
    if (platform::create_output(run.summary_file, run.summary_path)) {
      // Flushed at once: a stop of the run must not lose what was written.
      run.summary_file << text::FreeFormLine().text(summary_header).str() << std::endl;
      // One heading line; rows by observation age (years).
      platform::note_result_layout(run.summary_path, platform::ResultLayout{.when_field = 2, .when_label = "age"});
    }
    run.bgcal = read_bgcal(platform::join(run.source_folder, bgcal_file_name));
  }

  if (!run.frame.open_error_file()) return false;
  // From here on a stop is reported like an error.
  run.frame.report_stops();

  if (!file_list.open(file_list_path)) {
    run.report_error(file_list_missing_message, platform::input_file_detail(file_list_path));
    return false;
  }
  run.response_switch = inputs::read_response_switch(platform::join(run.source_folder, response_file_name));
  run.report_progress(0.0f);
  return true;
}

// The sections of the file list, one after the other, until the list ends
// or an error is reported.
void run_sections(RunContext& run, text::FreeFormReader& file_list, const std::string& file_list_path) {
  const inputs::ReportError report = run.reporter();
  bool ok = inputs::read_nn_info(run.nn_folder, report, run.model_names);
  int32_t sections = 0;
  while (ok) {
    CrackingSection section;
    const inputs::InputSetStatus status = inputs::read_input_set_status(
        file_list, run.source_folder, inputs::cracking_input_set_layout(), section.input_set);
    const std::string problem =
        inputs::file_list_problem(file_list_name, status, sections, section.input_set.section_name);
    if (!problem.empty()) {
      const std::string& place = file_list.failure_detail();
      run.report_error(problem, platform::input_file_detail(file_list_path) + (place.empty() ? "" : "; " + place));
      break;
    }
    if (status != inputs::InputSetStatus::read) break;  // the normal end of the run
    ++sections;
    ok = read_section(run, section) && run.frame.results_fit();
    const int32_t analyses = run.calibration_mode ? section.general.analysis_count : 1;
    for (int32_t k = 1; ok && k <= analyses; ++k) ok = analyse_section(run, section, k) && run.frame.results_fit();
  }
}

void end_run(RunContext& run) {
  run.summary_file.close();
  if (!run.frame.stopped() && run.error_count() == 0 && run.calibration_mode) {
    platform::note_written_file(run.summary_path);
    run.frame.results_fit();
  }
  run.frame.finish(false);
  if (!run.frame.stopped()) write_version_file(run);
}

}  // namespace

bool read_section(RunContext& run, CrackingSection& section) { return read_section_inputs(run, section); }

bool analyse_section(RunContext& run, CrackingSection& section, int32_t analysis_index) {
  return run_analysis(run, section, analysis_index);
}

frame::RunOutcome run_cracking(const Request& request, const frame::RunSetup& setup) {
  frame::RunFrame run_frame(error_file_name, true, setup);
  RunContext run(run_frame);
  run.source_folder = platform::folder_text(request.source_folder);
  run.results_folder = setup.in_memory ? std::string() : platform::folder_text(request.results_folder);
  run.nn_folder = platform::folder_text(request.model_folder);
  text::FreeFormReader file_list;
  const std::string file_list_path = platform::join(run.source_folder, file_list_name);
  run_frame.step([&] {
    if (start_run(run, request, file_list, file_list_path)) run_sections(run, file_list, file_list_path);
  });
  end_run(run);
  return run_frame.outcome();
}

int run(int argc, const char* const* argv) {
  if (argc < 4) {
    std::cout << text::FreeFormLine().text(missing_parameters_line1).str() << '\n'
              << text::FreeFormLine().text(missing_parameters_line2).str() << '\n'
              << cli::help_hint("jpcp_cracking") << '\n'
              << std::flush;
    return platform::exit_command_line;
  }
  if (argc - 1 > most_arguments) {
    cli::report_extra_arguments("jpcp_cracking", command_synopsis, argc - 1, most_arguments, std::cerr);
    return platform::exit_command_line;
  }
  Request request;
  request.source_folder = argv[1];
  request.results_folder = argv[2];
  request.model_folder = argv[3];
  if (argc >= 5) request.summary_file = argv[4];
  request.detail = argc >= 6;
  frame::RunSetup setup;
  setup.results_folder = platform::folder_text(argv[2]);
  nn::ModelCache models;
  setup.models = &models;
  return run_cracking(request, setup).exit_status;
}

}  // namespace jpcp::cracking
