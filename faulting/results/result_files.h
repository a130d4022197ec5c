// Layouts of the three faulting result files: "JPCP_faulting.csv" (monthly
// details), "JPCP_faulting2.csv" (the summary a calling application reads)
// and "_Deflection.csv" (corner deflections under the 18.5-kip single and
// 37-kip tandem axle, US or SI units).
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

namespace jpcp::faulting {

inline constexpr std::string_view detail_file_name = "JPCP_faulting.csv";
inline constexpr std::string_view summary_file_name = "JPCP_faulting2.csv";
inline constexpr std::string_view deflection_file_name = "_Deflection.csv";

// Response switch values that select the deflection file's units.
inline constexpr int32_t deflection_si_units = 1;
inline constexpr int32_t deflection_us_units = 2;

// Where the rows go; `deflection` is null when the file is not written.
struct ResultStreams {
  std::ostream* detail = nullptr;
  std::ostream* summary = nullptr;
  std::ostream* deflection = nullptr;
  int32_t response_switch = 0;
};

// Everything one month's rows show.
struct MonthRow {
  int32_t month = 0;          // month counter i
  int32_t calendar_month = 1; // 1..12
  float E = 0.0f;             // PCC modulus, psi
  float Eb = 0.0f;            // base modulus, psi
  float k = 0.0f;             // psi/in
  float rh = 0.0f;            // percent
  float ult_shr_t = 0.0f;     // microstrain
  float wid = 0.0f;           // joint opening, mils
  float ell = 0.0f;           // in
  float dT = 0.0f;            // deg F
  float lte_agg = 0.0f;       // percent
  float lte_d = 0.0f;         // percent
  float lte = 0.0f;           // percent
  float single_loaded = 0.0f;    // load level 17, in
  float single_unloaded = 0.0f;
  float tandem_loaded = 0.0f;
  float tandem_unloaded = 0.0f;
  float DE = 0.0f;            // lb-in
  float delta_s = 0.0f;
  float dowdam = 0.0f;
  float delta_F = 0.0f;       // in
  float F = 0.0f;             // in
};

// The first line of the detail file and the headings of all three files.
void write_headings(const ResultStreams& streams, float faultmax, float FR, float C12, float C34);

// The month's row of each file (two rows of the deflection file).
void write_month_rows(const ResultStreams& streams, const MonthRow& row);

}  // namespace jpcp::faulting
