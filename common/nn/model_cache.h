// Loading of NN model files for the evaluators.
//
// With the model cache on (JPCP_MODEL_CACHE=1, the default build), each file
// is parsed once per run and kept, keyed by its path, size and modification
// time: a file replaced between calls is read again, so results are always
// those of re-reading the file. With JPCP_MODEL_CACHE=0 every call reads and
// parses the file afresh (kept to measure what the cache saves).
#pragma once

#include <memory>
#include <string_view>

#include "common/nn/staged_model.h"

namespace jpcp::nn {

// The model of the file named by `file_name` (a blank-padded text; trailing
// blanks are ignored). Stops the run with a one-line message when the file
// cannot be opened or read.
std::shared_ptr<const StagedModel> load_model(std::string_view file_name);

// True in the build that keeps parsed models.
bool model_cache_enabled();

// Forgets every cached model (tests; a long-lived tool between runs).
void clear_model_cache();

// Number of file parses since the start of the run (tests and benchmarks
// use it to see whether the cache served a call).
long model_parse_count();

}  // namespace jpcp::nn
