// Small, complete faulting section folders and model folders for the
// faulting tests: the section's eight input files, and NNinfo.txt with 30
// node files (order-2 tensor-product B-splines of a closed-form function,
// which they reproduce exactly because it is linear in each input) and the
// curl deflection grid defl0.csv (a quadratic, reproduced by the quadratic
// interpolant).
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/nn/response_model.h"

namespace jpcp::testing {

struct FaultingSectionInputs {
  // The 38 lines of faultgeneralinput.txt, as written (index 0 is line 1).
  std::array<std::string, 38> lines;
  // Monthly k-value, base modulus and humidity, January to December.
  std::array<float, 12> k_value{};
  std::array<float, 12> base_modulus{};
  std::array<float, 12> humidity{};
  // PCC property table: age, MR, E per record (19 or 20 records).
  std::vector<std::array<float, 3>> pcc;
  // Hourly temperature records: days written per month, and the profile of
  // an hour (11 temperatures, surface first) by calendar month and hour.
  int temperature_days_per_month = 2;
  int temperature_months = 0;  // 0: n_months + age_offset + 1
  std::function<std::array<float, 11>(int calendar_month, int hour)> profile;
  FaultingSectionInputs();

  void set(int line, const std::string& text) { lines[static_cast<size_t>(line - 1)] = text; }
  int n_months() const { return std::stoi(lines[0]); }
  int start_month() const { return std::stoi(lines[1]); }
  int age_offset() const { return std::stoi(lines[2]); }
};

// The default names of the faulting input set, in file-list order.
extern const std::array<const char*, 8> faulting_default_names;

// Writes the eight input files under the default names (or prefix + name).
void write_faulting_section(const std::filesystem::path& folder, const FaultingSectionInputs& inputs,
                            const std::string& prefix = "");
// The nine lines of a FaultFileList.txt block for a section written with `prefix`.
std::string faulting_file_list_block(const std::string& section_name, const std::string& prefix);

// Closed-form response of deflection model g (0..5) at node joint spacing L
// (ft) for the inputs x = (ell, edge support, LTE, phi, load, edge distance).
using DeflectionFunction = std::function<double(size_t g, float L, const std::vector<float>& x)>;

// The default response: loaded models 0.02 s_t load (1 - 0.004 LTE)(ell/40)(L/15)
// + 0.001 phi + 0.0001 edge distance, unloaded ones with 0.004 LTE in place
// of (1 - 0.004 LTE); s_t = 1, 0.8, 0.6 for single, tandem, tridem axles.
double default_deflection(size_t g, float L, const std::vector<float>& x);
// Its load factor (deflection per normalised load before the scale beta).
double default_deflection_slope(size_t g, float L, float ell, float lte);

// Node grids of the six inputs of the test models.
const std::vector<std::vector<float>>& deflection_model_nodes();

// The node file model of model g at node spacing L.
nn::ResponseModel deflection_node_model(size_t g, float L, const DeflectionFunction& f);
// Its text in the model file format.
std::string model_file_text(const nn::ResponseModel& model);

// Curl deflection of the default grid: w = 0.01 + 0.0001 L - 0.00002 ell phi / 40 ... a quadratic.
double default_curl(float L, float ell, float phi);

// NNinfo.txt, the 30 node files and defl0.csv in `folder`.
void write_model_folder(const std::filesystem::path& folder, const DeflectionFunction& f = default_deflection);
// defl0.csv only.
void write_curl_grid(const std::filesystem::path& folder);

}  // namespace jpcp::testing
