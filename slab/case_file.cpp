#include "slab/case_file.h"

#include <cmath>
#include <optional>

#include <nlohmann/json.hpp>

namespace jpcp::slab {
namespace {

using json = nlohmann::json;

// A failed check: the key path and what is wrong with it.
struct CaseError {
  std::string message;
};

std::string join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

const json& member(const json& object, const std::string& path, const std::string& key) {
  if (!object.contains(key)) throw CaseError{join(path, key) + ": missing"};
  return object.at(key);
}

double number(const json& v, const std::string& where) {
  if (!v.is_number()) throw CaseError{where + ": not a number"};
  const double d = v.get<double>();
  if (!std::isfinite(d)) throw CaseError{where + ": not a finite number"};
  return d;
}

enum class Range { any, positive, non_negative };

double number_key(const json& object, const std::string& path, const std::string& key, Range range) {
  const std::string where = join(path, key);
  const double d = number(member(object, path, key), where);
  if (range == Range::positive && !(d > 0)) throw CaseError{where + ": must be positive"};
  if (range == Range::non_negative && d < 0) throw CaseError{where + ": must not be negative"};
  return d;
}

double optional_number(const json& object, const std::string& path, const std::string& key, double fallback,
                       Range range) {
  return object.contains(key) ? number_key(object, path, key, range) : fallback;
}

bool boolean_key(const json& object, const std::string& path, const std::string& key) {
  const json& v = member(object, path, key);
  if (!v.is_boolean()) throw CaseError{join(path, key) + ": not true or false"};
  return v.get<bool>();
}

const json& object_key(const json& object, const std::string& path, const std::string& key) {
  const json& v = member(object, path, key);
  if (!v.is_object()) throw CaseError{join(path, key) + ": not an object"};
  return v;
}

const json& array_key(const json& object, const std::string& path, const std::string& key) {
  const json& v = member(object, path, key);
  if (!v.is_array()) throw CaseError{join(path, key) + ": not a list"};
  return v;
}

std::vector<double> positive_list(const json& object, const std::string& path, const std::string& key) {
  const json& list = array_key(object, path, key);
  if (list.empty()) throw CaseError{join(path, key) + ": empty list"};
  std::vector<double> out;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string where = join(path, key) + "[" + std::to_string(i) + "]";
    const double d = number(list[i], where);
    if (!(d > 0)) throw CaseError{where + ": must be positive"};
    out.push_back(d);
  }
  return out;
}

JointTransfer joint(const json& joints, const std::string& prefix) {
  JointTransfer t;
  const std::string stiffness = prefix + "_stiffness_psi", lte = prefix + "_lte_percent";
  if (joints.contains(stiffness)) {
    t.stiffness_psi = number_key(joints, "joints", stiffness, Range::non_negative);
  } else {
    t.lte_percent = number_key(joints, "joints", lte, Range::non_negative);
    if (t.lte_percent > 100) throw CaseError{"joints." + lte + ": above 100"};
  }
  return t;
}

SlabCase read(const json& root) {
  if (!root.is_object()) throw CaseError{"the case is not a JSON object"};
  SlabCase c;
  const json& slabs = object_key(root, "", "slabs");
  c.lengths_ft = positive_list(slabs, "slabs", "lengths_ft");
  c.widths_ft = positive_list(slabs, "slabs", "widths_ft");
  c.shoulder_width_ft = optional_number(slabs, "slabs", "shoulder_width_ft", 0.0, Range::non_negative);
  c.thickness_in = number_key(slabs, "slabs", "thickness_in", Range::positive);
  c.modulus_psi = number_key(slabs, "slabs", "modulus_psi", Range::positive);
  c.poisson = number_key(slabs, "slabs", "poisson", Range::non_negative);
  if (c.poisson >= 0.5) throw CaseError{"slabs.poisson: must be below 0.5"};
  c.unit_weight_pcf = number_key(slabs, "slabs", "unit_weight_pcf", Range::non_negative);
  c.cte_per_F = number_key(slabs, "slabs", "cte_per_F", Range::any);

  const json& foundation = object_key(root, "", "foundation");
  c.k_pci = number_key(foundation, "foundation", "k_pci", Range::positive);
  c.tensionless = boolean_key(foundation, "foundation", "tensionless");
  c.max_contact_iterations =
      static_cast<int>(optional_number(foundation, "foundation", "max_iterations", 100, Range::positive));

  c.self_weight = boolean_key(root, "", "self_weight");
  c.temperature_difference_F = number_key(root, "", "temperature_difference_F", Range::any);

  const json& joints = object_key(root, "", "joints");
  c.transverse = joint(joints, "transverse");
  c.longitudinal = joint(joints, "longitudinal");
  if (joints.contains("dowels")) {
    const json& d = object_key(joints, "joints", "dowels");
    c.dowels.present = true;
    c.dowels.stiffness_lb_per_in = number_key(d, "joints.dowels", "stiffness_lb_per_in", Range::non_negative);
    c.dowels.spacing_in = optional_number(d, "joints.dowels", "spacing_in", 12.0, Range::positive);
    c.dowels.first_in = optional_number(d, "joints.dowels", "first_in", 6.0, Range::non_negative);
  }

  c.mesh_in = number_key(root, "", "mesh_in", Range::positive);
  c.refine_in = optional_number(root, "", "refine_in", 0.0, Range::non_negative);
  double length = 0, width = 0;
  for (double L : c.lengths_ft) length += 12 * L;
  for (double W : c.widths_ft) width += 12 * W;
  const double y_min = -12 * c.shoulder_width_ft;
  const double elements = std::ceil(length / c.mesh_in) * std::ceil((width - y_min) / c.mesh_in);
  // Guards the memory of the solve: a few million elements is far beyond any slab.
  if (elements > 4e6) throw CaseError{"mesh_in: too small for the slabs (more than 4 million elements)"};

  const json& loads = array_key(root, "", "loads");
  for (size_t i = 0; i < loads.size(); ++i) {
    const std::string path = "loads[" + std::to_string(i) + "]";
    if (!loads[i].is_object()) throw CaseError{path + ": not an object"};
    RectangleLoad load;
    load.x_in = number_key(loads[i], path, "x_in", Range::any);
    load.y_in = number_key(loads[i], path, "y_in", Range::any);
    load.length_in = number_key(loads[i], path, "length_in", Range::positive);
    load.width_in = number_key(loads[i], path, "width_in", Range::positive);
    load.pressure_psi = number_key(loads[i], path, "pressure_psi", Range::any);
    c.loads.push_back(load);
  }
  const json& points = array_key(root, "", "points");
  for (size_t i = 0; i < points.size(); ++i) {
    const std::string path = "points[" + std::to_string(i) + "]";
    if (!points[i].is_object()) throw CaseError{path + ": not an object"};
    ResponsePoint p;
    p.x_in = number_key(points[i], path, "x_in", Range::any);
    p.y_in = number_key(points[i], path, "y_in", Range::any);
    constexpr double tolerance = 1e-6;
    if (p.x_in < -tolerance || p.x_in > length + tolerance || p.y_in < y_min - tolerance || p.y_in > width + tolerance)
      throw CaseError{path + ": outside the slabs"};
    c.points.push_back(p);
  }
  return c;
}

}  // namespace

bool parse_case(const std::string& json_text, SlabCase& out, std::string& error) {
  json root;
  try {
    root = json::parse(json_text);
  } catch (const json::parse_error& e) {
    error = "not valid JSON (at byte " + std::to_string(e.byte) + ")";
    return false;
  }
  try {
    out = read(root);
  } catch (const CaseError& e) {
    error = e.message;
    return false;
  }
  return true;
}

}  // namespace jpcp::slab
