// One HTTP GET with a time-out, over libcurl: the small part of an HTTP client
// that the settings application needs. Blocks the calling thread: run it on a
// background queue. Redirects are followed (at most 5, HTTP and HTTPS only).
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "statics/result.h"

namespace gui {

// Sets the HTTP library up for the process, once. Call it on the main thread
// before the first request: set up on a worker thread, the TLS library ties
// its process-wide state to that thread and never frees it. httpGet calls it
// too, for callers that did not.
void initHttpClient();

struct HttpResponse {
  long status = 0;
  std::string contentType;  // the Content-Type header as sent, "" without one
  std::string body;
};

// The response, or why there is none (bad URL, no connection, time-out for
// the whole exchange, a body larger than 4 MiB).
Result<HttpResponse> httpGet(const std::string& url, std::chrono::milliseconds timeout);

// The media type of a Content-Type value, lower-cased, without parameters and
// white space: "Application/JSON; charset=utf-8" gives "application/json".
std::string mediaType(const std::string& contentType);

}  // namespace gui
