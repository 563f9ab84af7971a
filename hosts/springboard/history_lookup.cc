#include "hosts/springboard/history_lookup.h"

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/bundle.h"

namespace springboard {

namespace {

constexpr char kPhoneApplication[] = "com.apple.mobilephone";
constexpr char kHistoryFileName[] = "hushgate-history.txt";

}  // namespace

std::string historyFilePath() {
  const auto proxy = platform::LSBundleProxy::bundleProxyForIdentifier(kPhoneApplication);
  return proxy->dataContainerURL() + "/Documents/" + kHistoryFileName;
}

std::uintmax_t historyFileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

std::optional<HistoryRecord> findHistoryRecord(const std::string& path, const std::string& uniqueId,
                                               std::uintmax_t from) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  if (from > historyFileSize(path)) from = 0;
  if (from > 0) {
    // Start at a line boundary: the byte before from must end a line.
    in.seekg(static_cast<std::streamoff>(from - 1));
    std::string rest;
    std::getline(in, rest);
  }
  std::string line;
  while (std::getline(in, line)) {
    const nlohmann::json doc = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (!doc.is_object()) continue;
    const auto u = doc.find("u");
    const auto r = doc.find("r");
    if (u == doc.end() || !u->is_string() || *u != uniqueId) continue;
    if (r == doc.end() || !r->is_number_integer()) continue;
    HistoryRecord record;
    record.reason = r->get<long long>();
    const auto rd = doc.find("rd");
    if (rd != doc.end() && rd->is_string()) record.detail = rd->get<std::string>();
    return record;
  }
  return std::nullopt;
}

}  // namespace springboard
