// A small HTTP/1.1 server on 127.0.0.1 (an ephemeral port) for tests of the
// HTTP client: it answers every request with one configured response and
// records the request targets. In silent mode it accepts connections and
// never answers. Runs on its own thread until the object goes away.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gui_testing {

class HttpTestServer {
 public:
  struct Response {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "application/json";  // no header when empty
    std::string body;
  };

  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // False when the socket could not be set up.
  bool ok() const { return listener_ >= 0; }
  // "http://127.0.0.1:PORT".
  std::string url() const;

  void respondWith(Response response);
  // Accept connections but never answer them.
  void setSilent(bool silent);

  // The request targets received ("/?app=hushgate"), in order.
  std::vector<std::string> requestTargets() const;

 private:
  void serve();
  void handle(int connection);

  int listener_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  int port_ = 0;
  std::atomic<bool> silent_{false};
  mutable std::mutex mutex_;
  Response response_;
  std::vector<std::string> targets_;
  std::vector<int> heldConnections_;  // silent mode: kept open, never answered
  std::thread thread_;
};

}  // namespace gui_testing
