#include "gui/support/http_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace gui_testing {

namespace {

constexpr size_t kLargestRequest = 64 * 1024;
constexpr int kReadPatienceMs = 5000;

// Reads the request head (up to the blank line); "" when none arrives.
std::string readRequestHead(int connection) {
  std::string head;
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLargestRequest) {
    pollfd p = {connection, POLLIN, 0};
    const int ready = poll(&p, 1, kReadPatienceMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return {};
    char chunk[1024];
    const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    head.append(chunk, static_cast<size_t>(n));
  }
  return head;
}

void sendAll(int connection, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

HttpTestServer::HttpTestServer() {
  int wake[2];
  if (pipe2(wake, O_CLOEXEC) != 0) return;
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return;
  }
  port_ = ntohs(address.sin_port);
  listener_ = fd;
  thread_ = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
  if (wakeWrite_ >= 0) {
    const char byte = 0;
    while (write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
    }
  }
  if (thread_.joinable()) thread_.join();
  for (const int connection : heldConnections_) close(connection);
  if (listener_ >= 0) close(listener_);
  if (wakeRead_ >= 0) close(wakeRead_);
  if (wakeWrite_ >= 0) close(wakeWrite_);
}

std::string HttpTestServer::url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

void HttpTestServer::respondWith(Response response) {
  std::lock_guard lock(mutex_);
  response_ = std::move(response);
}

void HttpTestServer::setSilent(bool silent) {
  silent_ = silent;
}

std::vector<std::string> HttpTestServer::requestTargets() const {
  std::lock_guard lock(mutex_);
  return targets_;
}

void HttpTestServer::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (fds[1].revents & POLLIN) != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    if (silent_) {
      std::lock_guard lock(mutex_);
      heldConnections_.push_back(connection);
      continue;
    }
    handle(connection);
    close(connection);
  }
}

void HttpTestServer::handle(int connection) {
  const std::string head = readRequestHead(connection);
  if (head.empty()) return;
  // "GET /?app=hushgate HTTP/1.1"
  const size_t first = head.find(' ');
  const size_t second = head.find(' ', first + 1);
  Response response;
  {
    std::lock_guard lock(mutex_);
    if (first != std::string::npos && second != std::string::npos) {
      targets_.push_back(head.substr(first + 1, second - first - 1));
    }
    response = response_;
  }
  std::string reply =
      "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason +
      "\r\nConnection: close\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n";
  if (!response.contentType.empty()) reply += "Content-Type: " + response.contentType + "\r\n";
  reply += "\r\n" + response.body;
  sendAll(connection, reply);
}

}  // namespace gui_testing
