#include "cracking/inputs/general_input.h"

#include "cracking/inputs/general_fields.h"

#include <algorithm>
#include <limits>
#include <span>
#include <string>

#include "common/inputs/value_checks.h"
#include "common/platform/run_reporting.h"
#include "common/text/free_form_reader.h"
#include "cracking/inputs/season_pattern.h"

namespace jpcp::inputs {

namespace {

constexpr size_t general_field_count = 43;
constexpr float cubic_inches_per_cubic_foot = 1728.0f;
// Bounds of fields 8 and 17, and the field-8 value of the wheel-path rule.
constexpr float field8_lower_bound = 10.0f;
constexpr float field8_wheel_path_value = 50.0f;
constexpr float field17_upper_bound = 8.0f;

// Truncation toward zero. A value beyond the 32-bit range is clamped to it
// instead of making the conversion undefined; no real input comes near.
int32_t truncated(float value) {
  constexpr float two_to_31 = 2147483648.0f;
  if (value >= two_to_31) return std::numeric_limits<int32_t>::max();
  if (value < -two_to_31) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// Reports the failure of a read statement, with the file and the place of
// the failure on the console; true when the read succeeded.
bool read_succeeded(text::ReadStatus status, const text::FreeFormReader& reader, std::string_view path,
                    const ReportError& report_error) {
  if (status == text::ReadStatus::ok) return true;
  const std::string detail = platform::input_file_detail(path) + "; " + reader.failure_detail();
  report_error(status == text::ReadStatus::end_of_file ? general_input_eof_message : general_input_data_message,
               detail);
  return false;
}

// A count line followed by that many lines, each giving its first value.
// A negative count reads no lines.
text::ReadStatus read_value_list(text::FreeFormReader& reader, std::vector<float>& values) {
  int32_t count = 0;
  if (const auto status = reader.read_values(count); status != text::ReadStatus::ok) return status;
  // Each value has a line of its own: a count beyond the lines left meets
  // the end of the file, and is never allocated.
  if (static_cast<size_t>(std::max(count, 0)) > reader.lines_left()) {
    for (size_t k = reader.lines_left(); k > 0; --k) reader.skip_line();
    float ignored = 0.0f;
    return reader.read_values(ignored);
  }
  values.assign(static_cast<size_t>(std::max(count, 0)), 0.0f);
  for (float& value : values) {
    if (const auto status = reader.read_values(value); status != text::ReadStatus::ok) return status;
  }
  return text::ReadStatus::ok;
}

// Fills the fields and integer members from the 43 values as read (raw[k - 1]
// is field k), with the conversions of each field.
void store_fields(const std::array<float, general_field_count>& raw, GeneralInput& input) {
  auto& field = input.field;
  for (size_t k = 1; k <= general_field_count; ++k) field[k] = raw[k - 1];

  input.start_month = truncated(field[general::start_month]);
  // The age offset enters the concrete age of the first analysis month; at
  // least one month.
  input.age_offset = std::max(truncated(field[general::age_offset]), int32_t{1});
  input.interface_switch = truncated(field[general::bond_months]);
  input.wheel_path_rule = truncated(field[general::widened_slab]);
  input.age_time_constant = truncated(field[general::shrinkage_half_time]);
  input.field23 = truncated(field[general::unused_23]);
  field[general::start_month] = static_cast<float>(input.start_month);
  field[general::age_offset] = static_cast<float>(input.age_offset);
  field[general::bond_months] = static_cast<float>(input.interface_switch);
  field[general::widened_slab] = static_cast<float>(input.wheel_path_rule);
  field[general::shrinkage_half_time] = static_cast<float>(input.age_time_constant);
  field[general::unused_23] = static_cast<float>(input.field23);

  field[general::pcc_unit_weight] /= cubic_inches_per_cubic_foot;  // pcf to pci
  field[general::unused_16] = 0.0f;                          // read and discarded
  field[general::base_thickness] = std::min(field[general::base_thickness], field17_upper_bound);
  field[general::base_unit_weight] /= cubic_inches_per_cubic_foot;  // pcf to pci
  field[general::fatigue_c1] = -field[general::fatigue_c1];
  field[general::tandem_axles_per_truck] = 1.0f / field[general::tandem_axles_per_truck];

  input.fatigue_c1 = field[general::fatigue_c1];
  input.fatigue_c2 = field[general::fatigue_c2];
  input.tandem_count_scale = field[general::tandem_axles_per_truck];
}

// The permanent curl factor of the damage routines: no reduction down to
// -12 degrees, then a straight line to 0.9 at -28 degrees, 0.9 below.
float built_in_gradient_factor(float gradient) {
  if (gradient >= -12.0f) return 1.0f;
  if (gradient >= -28.0f) return 1.0f + (gradient + 12.0f) * 0.1f * 0.0625f;
  return 0.9f;
}

// With field 9 = 1, the mean wheel-path offset (field 28) is taken from the
// lane geometry (fields 26, 27, 30, in feet): a lane wider than its marked
// width by more than 6 in moves the wheels and sets field 8 to 50.
void apply_wheel_path_rule(GeneralInput& input) {
  if (input.wheel_path_rule != 1) return;
  auto& field = input.field;
  const float a = (field[general::slab_width] - field[general::lane_width]) * 12.0f;
  const float b = (field[general::lane_width] - field[general::axle_track]) * 12.0f - field[general::wheel_path_offset];
  if (a > 6.0f) {
    field[general::wheel_path_offset] = b;
    field[general::shoulder_lte] = field8_wheel_path_value;
  } else {
    field[general::wheel_path_offset] = a + field[general::wheel_path_offset];
  }
}

// Range checks of the fields as read (raw[k - 1] is field k): values that
// make the mechanics undefined or meaningless. False (reported) on the first.
bool fields_valid(const std::array<float, general_field_count>& raw, const GeneralInput& input,
                  const ReportError& report_error, const std::string& detail) {
  FieldChecks checks(general_input_label, report_error, detail);
  const auto field = [&](int number) { return raw[static_cast<size_t>(number - 1)]; };
  const auto label = [](int number) { return field_label("field", number); };
  checks.above_zero(label(5), "slab thickness, in", field(5));
  checks.above_zero(label(6), "joint spacing, ft", field(6));
  for (size_t k = 0; k < input.calibration_values.size(); ++k) {
    checks.above_zero("calibration value " + std::to_string(k + 1), "joint spacing, ft", input.calibration_values[k]);
  }
  checks.between_exclusive(label(10), "Poisson's ratio", field(10), 0.0, 0.5);
  checks.above_zero(label(11), "concrete unit weight, pcf", field(11));
  checks.above_zero(label(12), "coefficient of thermal expansion, 1/deg F", field(12));
  checks.at_least_zero(label(13), "depth of the drying-shrinkage zone, in", field(13));
  checks.at_least_zero(label(15), "age time constant, days", field(15));
  checks.at_least_zero(label(17), "base thickness, in", field(17));
  checks.above_zero(label(18), "base unit weight, pcf", field(18));
  checks.at_least_zero(label(29), "standard deviation of the wheel-path offset, in", field(29));
  checks.above_zero(label(31), "tire pressure, psi", field(31));
  checks.above_zero(label(34), "contact width, in", field(34));
  checks.at_least_zero(label(38), "short wheelbase trucks, percent", field(38));
  checks.at_least_zero(label(39), "medium wheelbase trucks, percent", field(39));
  checks.at_least_zero(label(40), "long wheelbase trucks, percent", field(40));
  checks.above_zero(label(41), "tandem axle scale factor", field(41));
  checks.within(label(42), "existing cracking, percent of slabs", field(42), 0.0, 100.0);
  return checks.ok();
}

}  // namespace

int32_t rounded_design_life(float design_life) { return truncated(design_life + 0.5f); }

bool read_general_input(std::string_view path, bool calibration_mode, const ReportError& report_error,
                        GeneralInput& input) {
  // A missing file reads as an empty one: the first read meets its end.
  text::FreeFormReader reader;
  reader.open(std::string(path));

  std::array<float, general_field_count> raw{};
  if (!read_succeeded(reader.read_values(std::span<float>(raw)), reader, path, report_error)) return false;

  GeneralInput result;
  if (calibration_mode) {
    if (!read_succeeded(read_value_list(reader, result.calibration_values), reader, path, report_error)) return false;
    if (!read_succeeded(read_value_list(reader, result.observation_ages), reader, path, report_error)) return false;
    result.analysis_count = static_cast<int32_t>(result.calibration_values.size());
  } else {
    result.analysis_count = 1;
  }

  store_fields(raw, result);
  result.built_in_gradient_factor = built_in_gradient_factor(result.field[general::built_in_gradient]);
  apply_wheel_path_rule(result);
  result.field[general::shoulder_lte] = std::max(result.field[general::shoulder_lte], field8_lower_bound);

  const std::string detail = platform::input_file_detail(path);
  const int32_t years = rounded_design_life(result.field[general::design_life]);
  if (years < 1 || years > max_analysis_years) {
    report_error(general_input_design_life_message, detail);
    return false;
  }
  if (result.start_month < 1 || result.start_month > 12) {
    report_error(general_input_start_month_message, detail);
    return false;
  }
  if (!fields_valid(raw, result, report_error, detail)) return false;

  input = std::move(result);
  return true;
}

}  // namespace jpcp::inputs
