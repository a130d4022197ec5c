// jpcp_faulting as a library: the first header to read.
//
// A faulting run reads the first section of a source folder's
// FaultFileList.txt, loads the deflection models of the model folder and
// computes the monthly faulting; its result files go to the source folder,
// or stay in memory:
//
//   frame::RunSetup setup;
//   setup.in_memory = true;           // nothing written to disk
//   nn::ModelCache models;            // parsed NN models, kept between runs
//   setup.models = &models;
//   frame::RunOutcome outcome = faulting::run_faulting(request, setup);
//
// The outcome holds the exit status the program would give (0, 1 or 3), the
// diagnostics (error-file lines with their details) and, in memory, the text
// of every result file, byte for byte what the program writes. A stop
// reaches the caller as status 3; nothing ends the process. Runs on
// different threads are independent; one ModelCache may serve them all.
//
// The steps, for a caller that drives them inside a RunFrame: read_section
// fills the section's inputs and models (plain structs,
// faulting/model/section_data.h); analyse_section computes the months and
// writes their rows (faulting/results/result_files.h, one MonthRow a month).
#pragma once

#include <string>

#include "common/frame/run_frame.h"
#include "faulting/frame/run_context.h"
#include "faulting/model/section_data.h"

namespace jpcp::faulting {

// The folders of a run, as the command line gives them.
struct Request {
  std::string source_folder;  // holds FaultFileList.txt and the section files; receives the results
  std::string model_folder;   // holds NNinfo.txt, the model files and defl0.csv
};

frame::RunOutcome run_faulting(const Request& request, const frame::RunSetup& setup);

// The section's inputs and its deflection models; false when a reader
// reported an error.
bool read_section(RunContext& run, FaultingSection& section);
// The monthly computation and its rows.
bool analyse_section(RunContext& run, FaultingSection& section);

}  // namespace jpcp::faulting
