#include "tests/support/faulting_section.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "tests/support/section_folder.h"

namespace jpcp::testing {

namespace fs = std::filesystem;

const std::array<const char*, 8> faulting_default_names = {
    "faultgeneralinput.txt", "seasonpattern.txt",  "SingleAxleOutput.csv",   "TandemAxleOutput.csv",
    "TridemAxleOutput.csv",  "QuadAxleOutput.csv", "_HourlyTrafficPerc.txt", "thermalPCC.dat"};

FaultingSectionInputs::FaultingSectionInputs() {
  lines = {"24",         "1",   "1",    "10",    "15",   "1.25", "1.0",  "10",   "0",   "0",
           "0.15",       "150", "5.5e-6", "2",   "600 600", "35", "1",  "6",    "140", "0.65",
           "3",          "20",  "200",  "80",    "50",   "-10",  "0",    "12",   "18",  "0",
           "12",         "90",  "0.002848 0.000883739", "250", "400", "0.4", "1.0184 0.91656", "1.83312"};
  k_value = {150, 150, 160, 180, 200, 200, 200, 200, 190, 170, 160, 150};
  base_modulus = {40000, 40000, 35000, 30000, 30000, 30000, 30000, 30000, 30000, 32000, 36000, 40000};
  humidity = {75, 72, 68, 62, 58, 55, 55, 58, 62, 66, 70, 74};
  const std::array<float, 20> ages = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 36, 48, 60, 120, 240, 480};
  for (size_t r = 0; r < 19; ++r) {
    // Linear in age: the cubic spline through the table reproduces it.
    pcc.push_back({ages[r], 600.0f + 0.5f * ages[r], 4.0e6f + 2000.0f * ages[r]});
  }
  profile = [](int calendar_month, int hour) {
    std::array<float, 11> t{};
    const double pi = 3.14159265358979;
    const double mean = 55.0 - 25.0 * std::cos(2.0 * pi * (calendar_month - 1) / 12.0);
    const double swing = std::sin(2.0 * pi * (hour - 9) / 24.0);
    for (int z = 0; z < 11; ++z) {
      t[static_cast<size_t>(z)] = static_cast<float>(mean + 12.0 * swing * (10 - z) / 10.0 - 0.3 * z);
    }
    return t;
  };
}

namespace {

std::string axle_file(int months, int classes, float scale) {
  std::ostringstream out;
  for (int i = 1; i <= months; ++i) {
    out << i << ",Month" << i;
    for (int c = 1; c <= classes; ++c) out << "," << scale * static_cast<float>(1 + (c + i) % 7);
    out << "\n";
  }
  return out.str();
}

std::string temperature_file(const FaultingSectionInputs& in) {
  const int months = in.temperature_months > 0 ? in.temperature_months : in.n_months() + in.age_offset() + 1;
  std::ostringstream out;
  char field[64];
  for (int q = 0; q < months; ++q) {
    const int month = (in.start_month() - 1 + q - in.age_offset() % 12 + 120) % 12 + 1;
    for (int d = 1; d <= in.temperature_days_per_month; ++d) {
      for (int h = 0; h < 24; ++h) {
        std::snprintf(field, sizeof field, "%4d%2d%2d%2d", 2001 + q / 12, month, d, h);
        out << field;
        for (float t : in.profile(month, h)) {
          std::snprintf(field, sizeof field, "%6.1f", static_cast<double>(t));
          out << field;
        }
        out << "\n";
      }
    }
  }
  return out.str();
}

std::string values_line(const std::array<float, 12>& values) {
  std::ostringstream out;
  for (size_t m = 0; m < values.size(); ++m) out << (m ? " " : "") << values[m];
  return out.str() + "\n";
}

}  // namespace

void write_faulting_section(const fs::path& folder, const FaultingSectionInputs& inputs, const std::string& prefix) {
  auto path_of = [&](size_t index) { return folder / (prefix + faulting_default_names[index]); };
  std::string general;
  for (const std::string& line : inputs.lines) general += line + "\n";
  write_file(path_of(0), general);

  std::ostringstream season;
  season << values_line(inputs.k_value) << values_line(inputs.base_modulus) << values_line(inputs.humidity)
         << "PCC properties: age, MR, E\n";
  season.precision(9);
  for (const auto& record : inputs.pcc) season << record[0] << " " << record[1] << " " << record[2] << "\n";
  write_file(path_of(1), season.str());

  const int months = inputs.n_months();
  write_file(path_of(2), axle_file(months, 39, 100.0f));
  write_file(path_of(3), axle_file(months, 39, 50.0f));
  write_file(path_of(4), axle_file(months, 31, 10.0f));
  write_file(path_of(5), axle_file(months, 31, 1.0f));
  std::string hourly;
  for (int h = 0; h < 24; ++h) hourly += (h < 12 ? "5.0\n" : "3.3333333\n");
  write_file(path_of(6), hourly);
  write_file(path_of(7), temperature_file(inputs));
}

std::string faulting_file_list_block(const std::string& section_name, const std::string& prefix) {
  std::string block = section_name + "\n";
  for (const char* name : faulting_default_names) block += prefix + name + "\n";
  return block;
}

double default_deflection(size_t g, float L, const std::vector<float>& x) {
  const double ell = x[0], lte = x[2], phi = x[3], load = x[4], edge = x[5];
  return default_deflection_slope(g, L, static_cast<float>(ell), static_cast<float>(lte)) * load + 0.001 * phi +
         0.0001 * edge;
}

double default_deflection_slope(size_t g, float L, float ell, float lte) {
  const double axle_scale[] = {1.0, 0.8, 0.6};
  const bool loaded = g % 2 == 0;
  const double transfer = loaded ? 1.0 - 0.004 * lte : 0.004 * lte;
  return 0.02 * axle_scale[g / 2] * transfer * (ell / 40.0) * (L / 15.0);
}

const std::vector<std::vector<float>>& deflection_model_nodes() {
  static const std::vector<std::vector<float>> nodes = {
      {10.0f, 60.0f, 200.0f},  // ell, in
      {10.0f, 40.0f},          // edge support
      {0.0f, 50.0f, 100.0f},   // LTE, percent
      {0.0f, 200.0f},          // Korenev parameter
      {0.0f, 2.0f, 5.0f},      // normalised load
      {0.0f, 60.0f},           // edge distance, in
  };
  return nodes;
}

nn::ResponseModel deflection_node_model(size_t g, float L, const DeflectionFunction& f) {
  const auto& nodes = deflection_model_nodes();
  nn::ResponseModel model;
  model.ig1 = 3;
  model.ig2 = 3;
  size_t total = 1;
  for (const std::vector<float>& v : nodes) {
    model.ncoef.push_back(static_cast<int32_t>(v.size()));
    model.kord.push_back(2);
    std::vector<float> t = {v.front()};
    t.insert(t.end(), v.begin(), v.end());
    t.push_back(v.back());
    model.knots.push_back(t);
    total *= v.size();
  }
  // File order: within a group the last dimension fastest, group 1 faster
  // than group 2.
  model.coef.assign(total, 0.0f);
  std::vector<size_t> idx(6, 0);
  std::vector<float> x(6);
  for (;;) {
    for (size_t d = 0; d < 6; ++d) x[d] = nodes[d][idx[d]];
    const size_t group1 = (idx[0] * nodes[1].size() + idx[1]) * nodes[2].size() + idx[2];
    const size_t group2 = (idx[3] * nodes[4].size() + idx[4]) * nodes[5].size() + idx[5];
    const size_t group1_size = nodes[0].size() * nodes[1].size() * nodes[2].size();
    model.coef[group1 + group1_size * group2] = static_cast<float>(f(g, L, x));
    size_t d = 0;
    while (d < 6 && ++idx[d] == nodes[d].size()) idx[d++] = 0;
    if (d == 6) break;
  }
  return model;
}

std::string model_file_text(const nn::ResponseModel& model) {
  std::ostringstream out;
  out.precision(9);
  out << model.ig1 << " " << model.ig2 << "\n";
  auto item = [&](const auto& values) {
    for (size_t i = 0; i < values.size(); ++i) out << (i == 0 ? "" : (i % 6 == 0 ? "\n" : " ")) << values[i];
    out << "\n";
  };
  item(model.ncoef);
  item(model.kord);
  for (const auto& t : model.knots) item(t);
  item(model.coef);
  return out.str();
}

double default_curl(float L, float ell, float phi) {
  return 0.01 + 0.0001 * L - 0.00002 * static_cast<double>(ell) * phi / 40.0 + 0.000001 * phi * phi;
}

void write_curl_grid(const fs::path& folder) {
  const std::vector<float> spacings = {10, 20, 30, 40};
  const std::vector<float> radii = {10, 60, 110, 160, 210};
  const std::vector<float> korenev = {0, 25, 50, 100, 200};
  std::ostringstream out;
  out.precision(9);
  out << spacings.size() << "," << radii.size() << "," << korenev.size() << "\n";
  for (const auto* axis : {&spacings, &radii, &korenev}) {
    for (size_t i = 0; i < axis->size(); ++i) out << (i ? "," : "") << (*axis)[i];
    out << "\n";
  }
  for (float p : korenev) {
    for (float r : radii) {
      for (float l : spacings) out << l << "," << r << "," << p << "," << default_curl(l, r, p) << "\n";
    }
  }
  write_file(folder / "defl0.csv", out.str());
}

void write_model_folder(const fs::path& folder, const DeflectionFunction& f) {
  const std::array<float, 5> spacings = {12, 15, 21, 27, 33};
  std::string nn_info;
  for (size_t g = 0; g < 6; ++g) {
    for (size_t n = 0; n < spacings.size(); ++n) {
      const std::string name = "defl" + std::to_string(g + 1) + "_" + std::to_string(n + 1) + ".ttt";
      write_file(folder / name, model_file_text(deflection_node_model(g, spacings[n], f)));
      nn_info += name + "\n";
    }
  }
  write_file(folder / "NNinfo.txt", nn_info);
  write_curl_grid(folder);
}

}  // namespace jpcp::testing
