// _jpcp_engine: the engines' library (cracking/analysis.h,
// faulting/analysis.h) as a Python extension module. python/jpcp/engine.py
// wraps it: jpcp.engine.run_cracking and run_faulting, RunResult, RunError.
//
// Each call runs one source folder in memory (nothing is written to disk)
// with the GIL released, and gives back a dict: the exit status (0, 1, 3),
// the diagnostics (error-file lines with their details), the console text
// (standard output and standard error of the program) and every result file
// as bytes. Models: a ModelCache that the caller keeps between calls; it
// may be shared by calls on several threads.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <sstream>
#include <string>

#include "common/frame/run_frame.h"
#include "common/nn/model_cache.h"
#include "common/platform/paths.h"
#include "cracking/analysis.h"
#include "faulting/analysis.h"

namespace py = pybind11;

namespace {

struct Captured {
  jpcp::frame::RunOutcome outcome;
  std::string out;
  std::string err;
};

template <typename Run>
Captured run_captured(jpcp::nn::ModelCache& models, Run&& run) {
  Captured captured;
  std::ostringstream out;
  std::ostringstream err;
  jpcp::frame::RunSetup setup;
  setup.in_memory = true;
  setup.out = &out;
  setup.err = &err;
  setup.models = &models;
  {
    py::gil_scoped_release release;
    captured.outcome = run(setup);
  }
  captured.out = out.str();
  captured.err = err.str();
  return captured;
}

py::dict as_dict(const Captured& captured) {
  py::dict result;
  result["exit_status"] = captured.outcome.exit_status;
  py::list diagnostics;
  for (const auto& d : captured.outcome.diagnostics) diagnostics.append(py::make_tuple(d.message, d.detail));
  result["diagnostics"] = diagnostics;
  result["stdout"] = py::bytes(captured.out);
  result["stderr"] = py::bytes(captured.err);
  py::list files;
  for (const auto& f : captured.outcome.files) files.append(py::make_tuple(f.path, py::bytes(f.contents)));
  result["files"] = files;
  return result;
}

}  // namespace

PYBIND11_MODULE(_jpcp_engine, m) {
  m.doc() = "The jpcp engines in this process (see jpcp.engine).";

  py::class_<jpcp::nn::ModelCache>(m, "ModelCache", "Parsed NN model files, keyed by folder and file name.")
      .def(py::init<>())
      .def("clear", &jpcp::nn::ModelCache::clear, py::call_guard<py::gil_scoped_release>())
      .def_property_readonly("parse_count", &jpcp::nn::ModelCache::parse_count)
      .def("__len__", &jpcp::nn::ModelCache::size);

  m.def(
      "run_cracking",
      [](const std::string& source, const std::string& models_folder, const std::string& summary, bool detail,
         jpcp::nn::ModelCache& models) {
        jpcp::cracking::Request request;
        request.source_folder = source;
        request.model_folder = models_folder;
        request.summary_file = summary;
        request.detail = detail;
        return as_dict(run_captured(models, [&](const jpcp::frame::RunSetup& setup) {
          return jpcp::cracking::run_cracking(request, setup);
        }));
      },
      py::arg("source"), py::arg("models"), py::arg("summary") = "", py::arg("detail") = false,
      py::arg("cache"));

  m.def(
      "run_faulting",
      [](const std::string& source, const std::string& models_folder, jpcp::nn::ModelCache& models) {
        jpcp::faulting::Request request;
        request.source_folder = source;
        request.model_folder = models_folder;
        return as_dict(run_captured(models, [&](const jpcp::frame::RunSetup& setup) {
          return jpcp::faulting::run_faulting(request, setup);
        }));
      },
      py::arg("source"), py::arg("models"), py::arg("cache"));
}
