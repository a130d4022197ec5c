#include "common/nn/model_cache.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>

#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"

#ifndef JPCP_MODEL_CACHE
#define JPCP_MODEL_CACHE 1
#endif

namespace jpcp::nn {

namespace {

long parse_count = 0;

std::shared_ptr<const StagedModel> parse_file(const std::string& path, std::string_view shown_name) {
  const std::optional<std::string> contents = platform::read_input_file(path);
  if (!contents) platform::stop_run(model_file_message(shown_name, model_file_reason::cannot_open), platform::input_file_detail(shown_name));
  ResponseModel model;
  std::string error;
  if (!parse_response_model(*contents, model, error)) platform::stop_run(model_file_message(shown_name, error));
  ++parse_count;
  return std::make_shared<const StagedModel>(make_staged_model(std::move(model)));
}

#if JPCP_MODEL_CACHE
// What identifies the contents of a file between two calls.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type modified{};
  bool operator==(const FileStamp&) const = default;
};

struct CacheEntry {
  FileStamp stamp;
  std::shared_ptr<const StagedModel> model;
};

// The run's parsed models, keyed by the path the file was found under.
std::map<std::string, CacheEntry>& model_cache() {
  static std::map<std::string, CacheEntry> cache;
  return cache;
}

std::optional<FileStamp> stamp_of(const std::string& path) {
  std::error_code error;
  const std::filesystem::path native(path);
  FileStamp stamp;
  stamp.size = std::filesystem::file_size(native, error);
  if (error) return std::nullopt;
  stamp.modified = std::filesystem::last_write_time(native, error);
  if (error) return std::nullopt;
  return stamp;
}
#endif

}  // namespace

std::shared_ptr<const StagedModel> load_model(std::string_view file_name) {
  const std::string_view name = platform::trimmed(file_name);
  const std::optional<std::string> found = platform::find_input_file(name);
  if (!found) platform::stop_run(model_file_message(name, model_file_reason::cannot_open), platform::input_file_detail(name));
#if JPCP_MODEL_CACHE
  const std::optional<FileStamp> stamp = stamp_of(*found);
  if (!stamp) platform::stop_run(model_file_message(name, model_file_reason::cannot_open), platform::input_file_detail(name));
  auto& cache = model_cache();
  if (auto entry = cache.find(*found); entry != cache.end() && entry->second.stamp == *stamp) {
    return entry->second.model;
  }
  std::shared_ptr<const StagedModel> model = parse_file(*found, name);
  cache[*found] = CacheEntry{*stamp, model};
  return model;
#else
  return parse_file(*found, name);
#endif
}

bool model_cache_enabled() { return JPCP_MODEL_CACHE != 0; }

void clear_model_cache() {
#if JPCP_MODEL_CACHE
  model_cache().clear();
#endif
}

long model_parse_count() { return parse_count; }

}  // namespace jpcp::nn
