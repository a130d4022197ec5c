// jpcp_slab: solves one slab-system case file and writes the responses at
// its points as CSV on standard output.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "slab/case_file.h"
#include "slab/heap_pages.h"
#include "slab/slab_output.h"
#include "slab/slab_solver.h"

namespace {

constexpr const char* usage_text = R"(Usage: jpcp_slab CASE.json [--vtk FILE] [--contact FILE]

Solves the slab system of CASE.json (thin-plate finite elements on a
dense-liquid foundation) and writes one CSV row per requested point to
standard output:
  x_in,y_in,deflection_in,stress_bottom_x_psi,stress_bottom_y_psi,stress_top_x_psi,stress_top_y_psi
Deflection is positive downwards; stresses are positive in tension.

  --vtk FILE       also write the mesh with its fields (legacy VTK, for ParaView)
  --contact FILE   also write the contact map: x_in,y_in,slab,contact per node

A line on standard error reports the contact iterations and what stopped
them. The case file layout is described in slab/README.md.
Exit status: 0 done, 1 bad case file or a solve that did not converge, 2 bad command line.
)";

bool write_file(const std::string& path, const auto& writer) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  writer(out);
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  jpcp::slab::reserve_heap_in_huge_pages(std::size_t{128} << 20);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string case_path, vtk_path, contact_path;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << usage_text;
      return 0;
    }
    if (a == "--vtk" || a == "--contact") {
      if (i + 1 >= args.size()) {
        std::cerr << "jpcp_slab: " << a << " needs a file name\n";
        return 2;
      }
      (a == "--vtk" ? vtk_path : contact_path) = args[++i];
    } else if (case_path.empty() && (a.empty() || a[0] != '-')) {
      case_path = a;
    } else {
      std::cerr << "jpcp_slab: unexpected argument " << a << " (see --help)\n";
      return 2;
    }
  }
  if (case_path.empty()) {
    std::cerr << "jpcp_slab: no case file (see --help)\n";
    return 2;
  }
  std::ifstream in(case_path, std::ios::binary);
  if (!in) {
    std::cerr << "jpcp_slab: cannot open " << case_path << "\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  jpcp::slab::SlabCase c;
  std::string error;
  if (!jpcp::slab::parse_case(text.str(), c, error)) {
    std::cerr << "jpcp_slab: " << case_path << ": " << error << "\n";
    return 1;
  }
  c.second_thread = true;
  const jpcp::slab::SlabSolution s = jpcp::slab::solve_case(c);
  const auto& r = s.report;
  std::cerr << "jpcp_slab: " << r.iterations << (r.iterations == 1 ? " solve" : " solves") << ", "
            << r.nodes_in_contact << " of " << r.nodes_total << " nodes in contact; " << r.stop_reason << "\n";
  std::vector<jpcp::slab::PointResponse> rows;
  for (const auto& p : c.points) {
    jpcp::slab::PointResponse row;
    jpcp::slab::response_at(s, p.x_in, p.y_in, row);  // the reader checked that every point lies on a slab
    rows.push_back(row);
  }
  jpcp::slab::write_responses(std::cout, rows);
  if (!vtk_path.empty() && !write_file(vtk_path, [&](std::ostream& o) { jpcp::slab::write_vtk(o, s); })) {
    std::cerr << "jpcp_slab: cannot write " << vtk_path << "\n";
    return 1;
  }
  if (!contact_path.empty() &&
      !write_file(contact_path, [&](std::ostream& o) { jpcp::slab::write_contact_map(o, s); })) {
    std::cerr << "jpcp_slab: cannot write " << contact_path << "\n";
    return 1;
  }
  return r.converged ? 0 : 1;
}
