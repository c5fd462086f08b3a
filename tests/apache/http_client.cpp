// tests/apache/http_client.cpp -- the loopback client over plain sockets.
#include "apache/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace quorvane::test {
namespace {

// The value of `name` in a header block, or "" (names compared without regard to case).
std::string headerValue(std::string_view head, std::string_view name) {
    std::size_t line = head.find("\r\n");
    while (line != std::string_view::npos && line + 2 < head.size()) {
        const std::size_t start = line + 2;
        const std::size_t end = head.find("\r\n", start);
        const std::string_view field = head.substr(start, end - start);
        if (field.size() > name.size() && field[name.size()] == ':' &&
            strncasecmp(field.data(), name.data(), name.size()) == 0) {
            std::string_view value = field.substr(name.size() + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            return std::string(value);
        }
        line = end;
    }
    return {};
}

}  // namespace

HttpConnection::HttpConnection(int port, std::chrono::milliseconds timeout) : timeout_(timeout) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ >= 0 && ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

HttpConnection::~HttpConnection() {
    if (socket_ >= 0) ::close(socket_);
}

void HttpConnection::send(std::string_view bytes) {
    while (socket_ >= 0 && !bytes.empty()) {
        const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

bool HttpConnection::fill() {
    if (socket_ < 0 || peerClosed_) return false;
    pollfd ready{socket_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(timeout_.count())) <= 0) return false;
    char buffer[16384];
    const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
    if (got <= 0) {
        peerClosed_ = true;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool HttpConnection::waitClosed(std::chrono::milliseconds wait) {
    const auto saved = timeout_;
    timeout_ = wait;
    while (fill()) {
    }
    timeout_ = saved;
    return peerClosed_;
}

HttpResponse HttpConnection::readToClose() {
    while (fill()) {
    }
    HttpResponse response;
    response.raw = std::move(pending_);
    pending_.clear();
    response.closed = peerClosed_;
    if (response.raw.rfind("HTTP/", 0) == 0) {
        response.status = std::atoi(response.raw.c_str() + response.raw.find(' ') + 1);
        const std::size_t bodyStart = response.raw.find("\r\n\r\n");
        response.body = bodyStart == std::string::npos ? "" : response.raw.substr(bodyStart + 4);
    } else {
        response.body = response.raw;
    }
    return response;
}

HttpResponse HttpConnection::readResponse() {
    while (pending_.size() < 5 && fill()) {
    }
    if (pending_.rfind("HTTP/", 0) != 0) return readToClose();
    std::size_t headEnd;
    while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos && fill()) {
    }
    if (headEnd == std::string::npos) return readToClose();
    const std::string_view head(pending_.data(), headEnd);
    const std::size_t length = std::strtoul(headerValue(head, "Content-Length").c_str(), nullptr, 10);
    while (pending_.size() < headEnd + 4 + length && fill()) {
    }
    HttpResponse response;
    const std::size_t end = std::min(pending_.size(), headEnd + 4 + length);
    response.raw = pending_.substr(0, end);
    response.status = std::atoi(response.raw.c_str() + response.raw.find(' ') + 1);
    response.body = response.raw.substr(std::min(end, headEnd + 4));
    pending_.erase(0, end);
    response.closed = pending_.empty() && waitClosed(std::chrono::milliseconds(200));
    return response;
}

std::string getRequest(std::string_view path, const char* referer, std::string_view host, bool close) {
    std::string request = "GET " + std::string(path) + " HTTP/1.1\r\nHost: " + std::string(host) + "\r\n";
    if (referer != nullptr) request += "Referer: " + std::string(referer) + "\r\n";
    if (close) request += "Connection: close\r\n";
    return request + "\r\n";
}

HttpResponse fetch(int port, std::string_view request) {
    HttpConnection connection(port);
    connection.send(request);
    return connection.readToClose();
}

}  // namespace quorvane::test
