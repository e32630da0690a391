#pragma once
// A simulated world for the simweb tests: read from a scenario's text, and
// served by simweb's proxy on 127.0.0.1 with its request log in a temporary
// folder.

#include "tests/support/temp_dir.h"
#include "tools/simweb/proxy_server.h"
#include "tools/simweb/world.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zv::test {

// The world of a scenario's JSON text; nothing, and a failed test, when the
// text is refused.
inline std::unique_ptr<simweb::World> worldFrom(const std::string& json)
{
    std::string error;
    auto world = simweb::World::fromScenarioText(json, ".", error);
    EXPECT_TRUE(world) << error;
    return world;
}

// A test whose requests go through simweb's proxy to a world of its own.
class ProxiedWorld : public ::testing::Test
{
protected:
    // Serves the world (a test fails when there is none or it cannot be served).
    void serve(std::unique_ptr<simweb::World> served)
    {
        world = std::move(served);
        ASSERT_TRUE(world);
        server = std::make_unique<simweb::ProxyServer>(*world);
        ASSERT_TRUE(server->setLogFile(logPath));
        port = server->start(0);
        ASSERT_GT(port, 0);
        proxy = "127.0.0.1:" + std::to_string(port);
    }
    // Serves the world of a scenario's JSON text.
    void start(const std::string& scenario) { serve(worldFrom(scenario)); }

    TempDir dir;
    std::string logPath = dir.filePath("requests.log");
    std::unique_ptr<simweb::World> world;
    std::unique_ptr<simweb::ProxyServer> server;
    int port = 0;
    std::string proxy;
};

} // namespace zv::test
