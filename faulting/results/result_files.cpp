#include "faulting/results/result_files.h"

#include <array>
#include <string>

#include "common/text/fixed_format.h"

namespace jpcp::faulting {

namespace {

using text::format_A;
using text::format_E;
using text::format_F;
using text::format_I;
using text::format_X;

constexpr std::array<std::string_view, 12> month_names = {
    "January     ", "February    ", "March       ", "April       ", "May         ", "June        ",
    "July        ", "August      ", "September   ", "October     ", "November    ", "December    "};

// "\xB0" is the degree sign (one byte, Latin-1).
constexpr std::array<std::string_view, 23> detail_heading_2 = {
    "Pavement", "", "", "", "", "", "", "reversible", "joint", "radius", "Total", "PCC", "Dowel", "Total",
    "18.5 single", "18.5 single", "37 tandem", "37 tandem", "Differential", "shear", "dowel", "faulting", "total"};
constexpr std::array<std::string_view, 22> detail_heading_3 = {
    "age",      "month",     "Epcc",    "Ebase",    "k-value", "humidity", "shrinkage", "opening",
    "of relative stiffness", "Temp.Diff.", "LTE", "LTE",   "LTE",      "loaded",    "unloaded",
    "loaded",   "unloaded",  "Energy",  "loss",     "damage",  " incremen", "faulting"};
constexpr std::array<std::string_view, 22> detail_heading_4 = {
    "mo", " ", "psi", "psi", "psi/in", "percent", "microstrain", "mils", "in", "\xB0" "F", "percent",
    "percent", "percent", "in", "in", "in", "in", "lb x in", " ", " ", "in", "in"};

constexpr std::array<std::string_view, 4> summary_headings = {
    "Age(mo),Age(yr),Month,Epcc (Mpsi),Ebase (ksi),",
    "k(psi/in),R.H.(%),dT(\xB0" "F),Joint opening(in),LTE(%),",
    "SA def. L(in),SA def. UL(in),TA def. L(in),TA def. UL(in),",
    "D.E.(in-lb),Faulting(in)",
};

constexpr std::string_view deflection_heading_us_1 = "Year,Age(mo),Epcc(Mpsi), Total Temp Dif(deg F),";
constexpr std::string_view deflection_heading_us_2 = "Axle Type,Load(Kips), Loaded Defl(in),Unloaded Defl(in)";
constexpr std::string_view deflection_heading_si_1 = "Year,Age(mo),Epcc(Mpa), Total Temp Dif(deg C),";
constexpr std::string_view deflection_heading_si_2 = "Axle Type,Load(Kg), Loaded Defl(cm),Unloaded Defl(cm)";
constexpr std::string_view single_axle_name = "Single";
constexpr std::string_view tandem_axle_name = "Tandem";

constexpr char comma = ',';
constexpr float mils_per_inch = 1000.0f;
constexpr float psi_per_mpsi = 1.0e6f;
constexpr float psi_per_ksi = 1000.0f;
constexpr float mpa_per_psi = 0.00689f;
constexpr float cm_per_inch = 2.54f;
constexpr float single_axle_kips = 18.5f;
constexpr float tandem_axle_kips = 37.0f;
constexpr float single_axle_kg = 8380.0f;
constexpr float tandem_axle_kg = 16760.0f;

template <size_t N>
std::string titles_line(const std::array<std::string_view, N>& titles) {
  std::string line;
  for (std::string_view title : titles) {
    line += title;
    line += comma;
  }
  return line;
}

std::string_view month_name(int32_t calendar_month) { return month_names[static_cast<size_t>(calendar_month - 1)]; }

void write_detail_row(std::ostream& out, const MonthRow& r) {
  std::string line = format_I(r.month, 5) + format_X(3) + comma + format_A(month_name(r.calendar_month), 12) + comma +
                     format_X(4) + format_E(r.E, 12, 6) + comma + format_X(1) + format_F(r.Eb, 12, 3) + comma;
  for (float v : {r.k, r.rh, r.ult_shr_t, r.wid / mils_per_inch}) line += format_X(1) + format_F(v, 8, 4) + comma;
  for (float v : {r.ell, r.dT, r.lte_agg, r.lte_d, r.lte, r.single_loaded, r.single_unloaded, r.tandem_loaded,
                  r.tandem_unloaded, r.DE, r.delta_s, r.dowdam, r.delta_F, r.F}) {
    line += format_X(1) + format_F(v, 10, 4) + comma;
  }
  out << line << '\n';
}

void write_summary_row(std::ostream& out, const MonthRow& r) {
  const std::string line =
      format_I(r.month, 5) + comma + format_F(static_cast<float>(r.month) / 12.0f, 6, 2) + comma +
      format_A(month_name(r.calendar_month), 10) + comma + format_F(r.E / psi_per_mpsi, 6, 2) + comma +
      format_F(r.Eb / psi_per_ksi, 9, 2) + comma + format_F(r.k, 5, 0) + comma + format_F(r.rh, 5, 1) + comma +
      format_F(r.dT, 5, 1) + comma + format_F(r.wid / mils_per_inch, 6, 4) + comma + format_F(r.lte, 5, 1) + comma +
      format_F(r.single_loaded, 6, 4) + comma + format_F(r.single_unloaded, 6, 4) + comma +
      format_F(r.tandem_loaded, 6, 4) + comma + format_F(r.tandem_unloaded, 6, 4) + comma + format_F(r.DE, 7, 1) +
      comma + format_F(r.F, 7, 4);
  out << line << '\n';
}

void write_deflection_row(std::ostream& out, int32_t response_switch, const MonthRow& r, std::string_view axle,
                          float kips, float kg, float loaded, float unloaded) {
  std::string line = format_I(r.month - 1, 5) + comma + format_I(r.month, 5) + comma;
  if (response_switch == deflection_us_units) {
    line += format_F(r.E / psi_per_mpsi, 7, 2) + comma + format_F(r.dT, 6, 2) + comma + format_A(axle, 10) + comma +
            format_F(kips, 5, 1) + comma + format_F(loaded, 6, 4) + comma + format_F(unloaded, 6, 4);
  } else {
    line += format_F(r.E * mpa_per_psi, 7, 0) + comma + format_F(r.dT * 5.0f / 9.0f, 6, 1) + comma +
            format_A(axle, 10) + comma + format_F(kg, 7, 0) + comma + format_F(loaded * cm_per_inch, 6, 4) + comma +
            format_F(unloaded * cm_per_inch, 6, 4);
  }
  out << line << '\n';
}

bool deflection_rows_written(const ResultStreams& streams) {
  return streams.deflection != nullptr && (streams.response_switch == deflection_si_units ||
                                           streams.response_switch == deflection_us_units);
}

}  // namespace

void write_headings(const ResultStreams& streams, float faultmax, float FR, float C12, float C34) {
  if (streams.detail != nullptr) {
    std::ostream& out = *streams.detail;
    out << text::FreeFormLine().real(faultmax).text(",").real(FR).text(",").real(C12).text(",").real(C34).str()
        << '\n';
    out << titles_line(detail_heading_2) << '\n' << titles_line(detail_heading_3) << '\n'
        << titles_line(detail_heading_4) << '\n';
  }
  if (streams.summary != nullptr) {
    for (std::string_view heading : summary_headings) *streams.summary << heading << '\n';
  }
  if (deflection_rows_written(streams)) {
    const bool us = streams.response_switch == deflection_us_units;
    *streams.deflection << (us ? deflection_heading_us_1 : deflection_heading_si_1)
                        << (us ? deflection_heading_us_2 : deflection_heading_si_2) << '\n';
  }
}

void write_month_rows(const ResultStreams& streams, const MonthRow& row) {
  if (streams.detail != nullptr) write_detail_row(*streams.detail, row);
  if (streams.summary != nullptr) write_summary_row(*streams.summary, row);
  if (deflection_rows_written(streams)) {
    write_deflection_row(*streams.deflection, streams.response_switch, row, single_axle_name, single_axle_kips,
                         single_axle_kg, row.single_loaded, row.single_unloaded);
    write_deflection_row(*streams.deflection, streams.response_switch, row, tandem_axle_name, tandem_axle_kips,
                         tandem_axle_kg, row.tandem_loaded, row.tandem_unloaded);
  }
}

}  // namespace jpcp::faulting
