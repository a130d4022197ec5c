#include "common/nn/model_cache.h"

#include <optional>
#include <string>
#include <system_error>

#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/platform/run_scope.h"

#ifndef JPCP_MODEL_CACHE
#define JPCP_MODEL_CACHE 1
#endif

namespace jpcp::nn {

namespace {

std::shared_ptr<const StagedModel> parse_file(const std::string& path, std::string_view shown_name) {
  const std::optional<std::string> contents = platform::read_input_file(path);
  if (!contents)
    platform::stop_run(model_file_message(shown_name, model_file_reason::cannot_open),
                       platform::input_file_detail(shown_name));
  ResponseModel model;
  std::string error;
  if (!parse_response_model(*contents, model, error)) platform::stop_run(model_file_message(shown_name, error));
  return std::make_shared<const StagedModel>(make_staged_model(std::move(model)));
}

std::string found_file(std::string_view name) {
  const std::optional<std::string> found = platform::find_input_file(name);
  if (!found)
    platform::stop_run(model_file_message(name, model_file_reason::cannot_open), platform::input_file_detail(name));
  return *found;
}

}  // namespace

std::shared_ptr<const StagedModel> ModelCache::load(std::string_view file_name) {
  const std::string_view name = platform::trimmed(file_name);
  const std::string found = found_file(name);
#if JPCP_MODEL_CACHE
  std::error_code error;
  const std::filesystem::path native(found);
  FileStamp stamp;
  stamp.size = std::filesystem::file_size(native, error);
  if (!error) stamp.modified = std::filesystem::last_write_time(native, error);
  if (error)
    platform::stop_run(model_file_message(name, model_file_reason::cannot_open), platform::input_file_detail(name));
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto entry = entries_.find(found); entry != entries_.end() && entry->second.stamp == stamp) {
    return entry->second.model;
  }
  std::shared_ptr<const StagedModel> model = parse_file(found, name);
  ++parse_count_;
  entries_[found] = Entry{stamp, model};
  return model;
#else
  std::shared_ptr<const StagedModel> model = parse_file(found, name);
  std::lock_guard<std::mutex> lock(mutex_);
  ++parse_count_;
  return model;
#endif
}

std::shared_ptr<const ModelCache::Parsed> ModelCache::parsed(const std::string& path) {
  auto parse = [&]() -> std::shared_ptr<const Parsed> {
    const std::optional<std::string> contents = platform::read_input_file(path);
    if (!contents) return nullptr;
    auto result = std::make_shared<Parsed>();
    result->ok = parse_response_model(*contents, result->model, result->reason);
    return result;
  };
#if JPCP_MODEL_CACHE
  const std::optional<std::string> found = platform::find_input_file(path);
  if (!found) return nullptr;
  std::error_code error;
  FileStamp stamp;
  stamp.size = std::filesystem::file_size(*found, error);
  if (!error) stamp.modified = std::filesystem::last_write_time(*found, error);
  if (error) return parse();
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto entry = parsed_.find(*found); entry != parsed_.end() && entry->second.stamp == stamp) {
    return entry->second.parsed;
  }
  std::shared_ptr<const Parsed> result = parse();
  ++parse_count_;
  if (result) parsed_[*found] = ParsedEntry{stamp, result};
  return result;
#else
  return parse();
#endif
}

void ModelCache::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
  parsed_.clear();
}

long ModelCache::parse_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return parse_count_;
}

size_t ModelCache::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size() + parsed_.size();
}

std::shared_ptr<const StagedModel> load_model(std::string_view file_name) {
  if (ModelCache* cache = platform::current_run_scope().models) return cache->load(file_name);
  const std::string_view name = platform::trimmed(file_name);
  return parse_file(found_file(name), name);
}

bool model_cache_enabled() { return JPCP_MODEL_CACHE != 0; }

}  // namespace jpcp::nn
