#pragma once
// The simulated web on a loopback port: an HTTP forward proxy that answers
// every request itself and never contacts another host. Optionally writes one
// JSON line per request: method, absolute address, header lines in the order
// received, body and the status answered.

#include <memory>
#include <string>

#include "tools/simweb/world.h"

namespace zv::simweb {

class ProxyServer
{
public:
    explicit ProxyServer(World& world);
    ~ProxyServer();
    ProxyServer(const ProxyServer&) = delete;
    ProxyServer& operator=(const ProxyServer&) = delete;

    // Starts path afresh; false when it cannot be opened.
    bool setLogFile(const std::string& path);

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a thread of
    // its own. Returns the port, or -1 when binding failed.
    int start(int port);
    // Stops serving and waits for the serving thread; safe to call twice.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zv::simweb
