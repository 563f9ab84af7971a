#include "hushgate-gui/core/kit/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace gui {

namespace {

constexpr size_t kLargestBody = 4 * 1024 * 1024;
constexpr long kMostRedirects = 5;

struct Body {
  std::string text;
  bool tooLarge = false;
};

size_t appendBody(char* data, size_t size, size_t count, void* userdata) {
  auto* body = static_cast<Body*>(userdata);
  const size_t bytes = size * count;
  if (body->text.size() + bytes > kLargestBody) {
    body->tooLarge = true;
    return 0;  // ends the transfer with an error
  }
  body->text.append(data, bytes);
  return bytes;
}

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void initHttpClient() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string mediaType(const std::string& contentType) {
  std::string type = contentType.substr(0, contentType.find(';'));
  while (!type.empty() && isSpace(type.back())) type.pop_back();
  size_t start = 0;
  while (start < type.size() && isSpace(type[start])) ++start;
  type.erase(0, start);
  for (char& c : type) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return type;
}

Result<HttpResponse> httpGet(const std::string& url, std::chrono::milliseconds timeout) {
  initHttpClient();
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return fail("cannot make an HTTP request");
  Body body;
  char message[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals, safe on any thread
  // curl reads 0 as "no time-out": the shortest one stands in for it.
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(std::max<long long>(1, timeout.count())));
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMostRedirects);
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");  // any encoding curl can decode
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, appendBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, message);
  const CURLcode result = curl_easy_perform(c);
  if (result != CURLE_OK) {
    return fail(body.tooLarge ? "response body too large"
                              : (message[0] != '\0' ? message : curl_easy_strerror(result)));
  }
  HttpResponse response;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &response.status);
  const char* contentType = nullptr;
  curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType);
  if (contentType != nullptr) response.contentType = contentType;
  response.body = std::move(body.text);
  return response;
}

}  // namespace gui
