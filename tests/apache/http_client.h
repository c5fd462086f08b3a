// tests/apache/http_client.h -- a loopback HTTP client that shows exactly what came over
// the wire: a response with or without a status line, and whether the server closed.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace quorvane::test {

struct HttpResponse {
    std::string raw;      // every byte received for this response
    int status = 0;       // 0 when the bytes hold no status line
    std::string body;     // after the headers; the whole of raw when there is no status line
    bool closed = false;  // the server closed the connection after it
};

// One connection to 127.0.0.1:port. Every read gives up after `timeout`.
class HttpConnection {
public:
    explicit HttpConnection(int port, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool connected() const { return socket_ >= 0; }
    void send(std::string_view bytes);
    // Reads one response: up to the end of its Content-Length body when it has a status
    // line, otherwise until the server closes. After a complete response, `closed` tells
    // whether the server then closed (checked with a short wait).
    HttpResponse readResponse();
    // Reads everything until the server closes; `closed` is false if it never did in time.
    HttpResponse readToClose();

private:
    bool fill();  // appends what arrives to pending_; false at close or timeout
    bool waitClosed(std::chrono::milliseconds wait);
    int socket_ = -1;
    std::chrono::milliseconds timeout_;
    std::string pending_;
    bool peerClosed_ = false;
};

// A GET request line and headers; `referer` null for none. Keep-alive unless `close`.
std::string getRequest(std::string_view path, const char* referer, std::string_view host = "127.0.0.1",
                       bool close = true);

// Sends one request on a new connection and reads until the server closes.
HttpResponse fetch(int port, std::string_view request);

}  // namespace quorvane::test
