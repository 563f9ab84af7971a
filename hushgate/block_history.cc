#include "hushgate/block_history.h"

#include <nlohmann/json.hpp>

#include "statics/atomic_file.h"
#include "statics/format.h"
#include "statics/json_document.h"

namespace {

// Reads the "u" text of a line that is one JSON object without building the
// document: the loader runs on the Phone application's main thread for every
// added record, over the whole file. Like the document, a later duplicate
// member wins, anything after the object but white space fails the line, and
// so does nesting deeper than kMaxJsonDepth.
class UniqueIdReader final : public nlohmann::json_sax<nlohmann::json> {
 public:
  // The "u" text of the line, or "" when the line is not an object or "u" is
  // missing or no text.
  static std::string read(std::string_view line) {
    UniqueIdReader reader;
    const bool parsed = nlohmann::json::sax_parse(line.begin(), line.end(), &reader,
                                                  nlohmann::json::input_format_t::json,
                                                  /*strict=*/true);
    return parsed && reader.wasObject_ ? std::move(reader.uniqueId_) : std::string();
  }

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool string(string_t& text) override {
    if (depth_ == 0 || tooDeep()) return false;  // a text, not an object
    if (depth_ == 1 && atUniqueId_) uniqueId_ = std::move(text);
    atUniqueId_ = false;
    return true;
  }
  bool start_object(std::size_t) override { return start(true); }
  bool start_array(std::size_t) override { return start(false); }
  bool end_object() override { return end(); }
  bool end_array() override { return end(); }
  bool key(string_t& name) override {
    if (tooDeep()) return false;
    if (depth_ == 1) atUniqueId_ = name == "u";
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  // Where parseJsonDocument stops: an event inside more than kMaxJsonDepth
  // open containers.
  bool tooDeep() const { return depth_ > kMaxJsonDepth; }
  bool value() {
    if (depth_ == 0 || tooDeep()) return false;         // a scalar, not an object
    if (depth_ == 1 && atUniqueId_) uniqueId_.clear();  // "u" of another type
    atUniqueId_ = false;
    return true;
  }
  bool start(bool object) {
    if (tooDeep()) return false;
    if (depth_ == 0) {
      if (!object) return false;
      wasObject_ = true;
    } else if (depth_ == 1 && atUniqueId_) {
      uniqueId_.clear();
      atUniqueId_ = false;
    }
    ++depth_;
    return true;
  }
  bool end() {
    --depth_;
    return true;
  }

  int depth_ = 0;
  bool wasObject_ = false;
  bool atUniqueId_ = false;
  std::string uniqueId_;
};

}  // namespace

std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text) {
  std::vector<std::string> ids;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    std::string uniqueId = UniqueIdReader::read(line);
    if (!uniqueId.empty()) ids.push_back(std::move(uniqueId));
  }
  return ids;
}

std::vector<std::string> loadMPBlockHistory(const std::string& path) {
  const std::optional<std::string> text = readWholeFile(path);
  if (!text) return {};
  return blockedCallUniqueIdsFromHistory(*text);
}
