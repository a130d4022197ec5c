// Loading of NN model files for the evaluators.
//
// A ModelCache keeps the parsed models of the files it has loaded, keyed by
// the path the file was found under (its folder and name), its size and its
// modification time: a file replaced between calls is read again, so results
// are always those of re-reading the file. It is owned by its caller (a run,
// or an in-process caller that keeps its models between runs) and may be
// shared by runs on several threads: its calls are serialised. The current
// run scope (common/platform/run_scope.h) names the cache the evaluators use;
// with none, every call reads and parses the file afresh. With
// JPCP_MODEL_CACHE=0 a cache keeps nothing (kept to measure what it saves).
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "common/nn/response_model.h"
#include "common/nn/staged_model.h"

namespace jpcp::nn {

class ModelCache {
 public:
  // The model of the file named by `file_name` (a blank-padded text; trailing
  // blanks are ignored). Stops the run (platform::stop_run) with a one-line
  // message when the file cannot be opened or read.
  std::shared_ptr<const StagedModel> load(std::string_view file_name);
  // A model file parsed as it is (no shape check): the model, or the reason
  // it could not be parsed; nullptr when the file cannot be read. Nothing
  // is reported: the caller words its own messages (the faulting engine's
  // node files).
  struct Parsed {
    ResponseModel model;
    bool ok = false;
    std::string reason;
  };
  std::shared_ptr<const Parsed> parsed(const std::string& path);
  // Forgets every model.
  void clear();
  // Number of file parses by this cache.
  long parse_count() const;
  size_t size() const;

 private:
  struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool operator==(const FileStamp&) const = default;
  };
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const StagedModel> model;
  };
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  struct ParsedEntry {
    FileStamp stamp;
    std::shared_ptr<const Parsed> parsed;
  };
  std::map<std::string, ParsedEntry> parsed_;
  long parse_count_ = 0;
};

// The model of the file through the current run scope's cache, or parsed
// afresh when the scope has none.
std::shared_ptr<const StagedModel> load_model(std::string_view file_name);

// True in the build that keeps parsed models.
bool model_cache_enabled();

}  // namespace jpcp::nn
