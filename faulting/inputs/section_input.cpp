#include "faulting/inputs/section_input.h"

#include <algorithm>
#include <string>

#include "common/inputs/general_input.h"
#include "common/text/free_form_reader.h"

namespace jpcp::faulting {

namespace {

constexpr float pcf_per_pci = 1728.0f;  // cubic inches in a cubic foot
constexpr float lowest_edge_support = 10.0f;
constexpr float widened_edge_distance_limit = 24.0f;  // in
constexpr float inches_per_foot = 12.0f;

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
  if (r.status() != text::ReadStatus::ok) {
    report_error(r.status() == text::ReadStatus::end_of_file ? inputs::general_input_eof_message
                                                             : inputs::general_input_data_message);
    return false;
  }

  // The analysis length sizes the hourly and traffic storage and the calendar
  // month indexes every monthly table: values outside their range would
  // corrupt memory rather than give a result.
  if (s.n_months < 1) {
    report_error(section_months_message);
    return false;
  }
  if (s.age_offset < 0) {
    report_error(section_age_offset_message);
    return false;
  }
  if (s.start_month < 1 || s.start_month > 12) {
    report_error(inputs::general_input_start_month_message);
    return false;
  }

  s.edge_support = edge_support_value(s.edge_support);
  s.gamma_pcc = s.gamma_pcc / pcf_per_pci;
  s.gamma_base = s.gamma_base / pcf_per_pci;
  s.edge_distance =
      edge_distance_value(s.wheel_path_distance, s.wheel_path_correction, s.widened_slab, s.slab_width, s.lane_width);
  inputs = s;
  return true;
}

}  // namespace jpcp::faulting
