// jpcp_cracking as a library: the first header to read.
//
// A cracking run reads the sections of a source folder's FileList.txt one
// after the other and, for each, analyses it (once, or once per calibration
// value) and writes its result files. As a library:
//
//   frame::RunSetup setup;            // where the results go, whom to tell
//   setup.in_memory = true;           // nothing written to disk
//   nn::ModelCache models;            // parsed NN models, kept between runs
//   setup.models = &models;
//   frame::RunOutcome outcome = cracking::run_cracking(request, setup);
//
// The outcome holds the exit status the program would give (0, 1 or 3), the
// diagnostics (the error-file lines with their details) and, in memory, the
// text of every result file, byte for byte what the program writes. A stop
// (malformed model file, terminal spline error) ends the run with status 3
// and reaches the caller as that status; nothing ends the process. Runs on
// different threads are independent (each has its own frame, common/frame);
// one ModelCache may serve them all.
//
// The steps of one section, for a caller that drives them itself inside a
// RunFrame: read_section fills the section's inputs (plain structs,
// cracking/frame/section.h), analyse_section computes one analysis and writes
// its result files (to disk or the frame's memory).
#pragma once

#include <cstdint>
#include <string>

#include "common/frame/run_frame.h"
#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

// The folders and switches of a run, as the command line gives them.
struct Request {
  std::string source_folder;   // holds FileList.txt and the section files
  std::string results_folder;  // ignored by an in-memory run
  std::string model_folder;    // holds NNinfo.txt and the NN model files
  std::string summary_file;    // calibration summary file name; calibration mode when not empty
  bool detail = false;         // calibration mode: the per-section files too
};

// A whole run: the run protocol around the sections of the file list.
frame::RunOutcome run_cracking(const Request& request, const frame::RunSetup& setup);

// The section's input files, in the order they are read; false when a reader
// reported an error (the diagnostics are the frame's).
bool read_section(RunContext& run, CrackingSection& section);
// One analysis of a read section (analysis_index counts from 1; the
// calibration value of that index in calibration mode) and its result files.
bool analyse_section(RunContext& run, CrackingSection& section, int32_t analysis_index);

}  // namespace jpcp::cracking
