#include "faulting/inputs/section_input.h"

#include <algorithm>
#include <string>

#include "common/inputs/messages.h"
#include "common/inputs/value_checks.h"
#include "common/platform/run_reporting.h"
#include "common/text/free_form_reader.h"

namespace jpcp::faulting {

namespace {

constexpr float pcf_per_pci = 1728.0f;  // cubic inches in a cubic foot
constexpr float lowest_edge_support = 10.0f;
constexpr float widened_edge_distance_limit = 24.0f;  // in
constexpr float inches_per_foot = 12.0f;

// Range checks of the values as read, by line of the file: values that make
// the faulting formulas undefined or meaningless. The analysis length has
// the bound of the cracking program's design life, so that no storage is
// sized from an impossible header.
bool section_values_valid(const SectionInputs& s, const inputs::ReportError& report_error, const std::string& detail) {
  inputs::FieldChecks checks(inputs::general_input_label, report_error, detail);
  const auto line = [](int number) { return inputs::field_label("line", number); };
  checks.within(line(1), "n_months, number of analysis months", s.n_months, 1, inputs::max_checked_analysis_months);
  checks.within(line(3), "age_offset, months", s.age_offset, 0, inputs::max_checked_analysis_months);
  checks.above_zero(line(4), "h_pcc, slab thickness, in", s.h_pcc);
  checks.above_zero(line(5), "spaceJT, joint spacing, ft", s.spaceJT);
  checks.at_least_zero(line(6), "dowel_dia, dowel diameter, in", s.dowel_dia);
  checks.at_least_zero(line(7), "dowel_factor", s.dowel_factor);
  checks.between_exclusive(line(11), "mu_pcc, Poisson's ratio", s.mu_pcc, 0.0, 0.5);
  checks.above_zero(line(12), "gamma_pcc, concrete unit weight, pcf", s.gamma_pcc);
  checks.above_zero(line(13), "alpha_pcc, coefficient of thermal expansion, 1/deg F", s.alpha_pcc);
  checks.at_least_zero(line(14), "hs, depth of the drying-shrinkage zone, in", s.hs);
  checks.at_least_zero(line(16), "t50, days to half the ultimate shrinkage", s.t50);
  checks.at_least_zero(line(18), "h_base, base thickness, in", s.h_base);
  checks.at_least_zero(line(19), "gamma_base, base unit weight, pcf", s.gamma_base);
  checks.at_least_zero(line(20), "base_frict, base friction factor", s.base_frict);
  checks.above_zero(line(23), "soil_b, second subgrade factor", s.soil_b);
  checks.within(line(24), "rhbot, relative humidity at the slab bottom, percent", s.rhbot, 0.0, 100.0);
  checks.within(line(25), "lte_base_in, base load transfer, percent", s.lte_base_in, 0.0, 100.0);
  return checks.ok();
}

// One read statement per line; the first failing line decides the message.
class LineReader {
 public:
  explicit LineReader(text::FreeFormReader& reader) : reader_(reader) {}

  template <typename... Targets>
  void line(Targets&... targets) {
    if (status_ == text::ReadStatus::ok) status_ = reader_.read_values(targets...);
  }
  text::ReadStatus status() const { return status_; }

 private:
  text::FreeFormReader& reader_;
  text::ReadStatus status_ = text::ReadStatus::ok;
};

}  // namespace

float edge_support_value(float raw) { return 0.5f * std::max(raw, lowest_edge_support) + 5.0f; }

float edge_distance_value(float wheel_path_distance, float wheel_path_correction, int32_t widened_slab,
                          float slab_width, float lane_width) {
  float distance = wheel_path_distance - 2.0f / 3.0f * wheel_path_correction;
  if (widened_slab == 1) {
    distance = std::min(distance + inches_per_foot * (slab_width - lane_width), widened_edge_distance_limit);
  }
  return distance;
}

bool read_section_input(std::string_view path, const inputs::ReportError& report_error, SectionInputs& inputs) {
  text::FreeFormReader reader;
  reader.open(std::string(path));  // a missing file reads as an empty one: end of file

  SectionInputs s;
  float unused_line10 = 0.0f;
  float unused_line27 = 0.0f;
  LineReader r(reader);
  r.line(s.n_months);
  r.line(s.start_month);
  r.line(s.age_offset);
  r.line(s.h_pcc);
  r.line(s.spaceJT);
  r.line(s.dowel_dia);
  r.line(s.dowel_factor);
  r.line(s.edge_support);
  r.line(s.widened_slab);
  r.line(unused_line10);
  r.line(s.mu_pcc);
  r.line(s.gamma_pcc);
  r.line(s.alpha_pcc);
  r.line(s.hs);
  r.line(s.ultshrin, s.shrin_scale);
  r.line(s.t50);
  r.line(s.base_type);
  r.line(s.h_base);
  r.line(s.gamma_base);
  r.line(s.base_frict);
  r.line(s.erod);
  r.line(s.soil_a);
  r.line(s.soil_b);
  r.line(s.rhbot);
  r.line(s.lte_base_in);
  r.line(s.built_in_gradient);
  r.line(unused_line27);
  r.line(s.lane_width);
  r.line(s.wheel_path_distance);
  r.line(s.wheel_path_correction);
  r.line(s.slab_width);
  r.line(s.temp_set);
  r.line(s.C[2], s.C[3]);  // C3, C4
  r.line(s.C[4]);          // C5
  r.line(s.C[7]);          // C8
  r.line(s.C[5]);          // C6
  r.line(s.C[0], s.C[1]);  // C1, C2
  r.line(s.C[6]);          // C7
  const std::string detail = platform::input_file_detail(path);
  if (r.status() != text::ReadStatus::ok) {
    report_error(r.status() == text::ReadStatus::end_of_file ? inputs::general_input_eof_message
                                                             : inputs::general_input_data_message,
                 detail + "; " + reader.failure_detail());
    return false;
  }

  // The analysis length sizes the hourly and traffic storage and the calendar
  // month indexes every monthly table: values outside their range would
  // corrupt memory rather than give a result.
  if (s.n_months < 1) {
    report_error(section_months_message, detail);
    return false;
  }
  if (s.age_offset < 0) {
    report_error(section_age_offset_message, detail);
    return false;
  }
  if (s.start_month < 1 || s.start_month > 12) {
    report_error(inputs::general_input_start_month_message, detail);
    return false;
  }
  if (!section_values_valid(s, report_error, detail)) return false;

  s.edge_support = edge_support_value(s.edge_support);
  s.gamma_pcc = s.gamma_pcc / pcf_per_pci;
  s.gamma_base = s.gamma_base / pcf_per_pci;
  s.edge_distance =
      edge_distance_value(s.wheel_path_distance, s.wheel_path_correction, s.widened_slab, s.slab_width, s.lane_width);
  inputs = s;
  return true;
}

}  // namespace jpcp::faulting
