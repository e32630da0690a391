// simweb: the simulated web on 127.0.0.1 (see README.md next to this file).

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "tools/simweb/proxy_server.h"
#include "tools/simweb/world.h"

namespace {

const char* const kUsage
    = "usage: simweb [--port N] [--scenario FILE] [--date YYYY-MM-DD] [--log FILE]\n"
      "              [--learn] [--sites-file FILE] [--port-file FILE] [--pid-file FILE] [--daemon]\n"
      "       simweb --stop PID-FILE\n"
      "Serves the simulated search engine, index service and home pages as an HTTP\n"
      "proxy on 127.0.0.1. Prints the port it listens on; stops on SIGTERM or SIGINT.\n";

struct Options
{
    int port = 0;
    std::string scenario;
    std::string date;
    std::string log;
    bool learn = false;
    std::string sitesFile;
    std::string portFile;
    std::string pidFile;
    bool daemon = false;
    std::string stopPidFile;
};

bool parseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::cerr << "simweb: " << arg << " needs a value\n";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string value;
        if (arg == "--port") {
            if (!next(value)) {
                return false;
            }
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) {
                std::cerr << "simweb: bad port " << value << "\n";
                return false;
            }
            o.port = static_cast<int>(port);
        } else if (arg == "--scenario") {
            if (!next(o.scenario)) {
                return false;
            }
        } else if (arg == "--date") {
            if (!next(o.date)) {
                return false;
            }
        } else if (arg == "--log") {
            if (!next(o.log)) {
                return false;
            }
        } else if (arg == "--learn") {
            o.learn = true;
        } else if (arg == "--sites-file") {
            if (!next(o.sitesFile)) {
                return false;
            }
            o.learn = true;
        } else if (arg == "--port-file") {
            if (!next(o.portFile)) {
                return false;
            }
        } else if (arg == "--pid-file") {
            if (!next(o.pidFile)) {
                return false;
            }
        } else if (arg == "--daemon") {
            o.daemon = true;
        } else if (arg == "--stop") {
            if (!next(o.stopPidFile)) {
                return false;
            }
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            std::cerr << "simweb: unknown option " << arg << "\n" << kUsage;
            return false;
        }
    }
    return true;
}

// Written to a temporary name first, so that a reader never sees half a file.
bool writeFileAtomically(const std::string& path, const std::string& text)
{
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text;
        if (!out) {
            return false;
        }
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

bool isSimwebProcess(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(in, first, '\0');
    return first.ends_with("simweb");
}

// Ends the server whose id the pid file holds, and waits until it is gone.
int stopServer(const std::string& pidFile)
{
    std::ifstream in(pidFile);
    long pid = 0;
    if (!(in >> pid) || pid <= 1) {
        std::cerr << "simweb: no server id in " << pidFile << "\n";
        return 0;
    }
    in.close();
    if (!isSimwebProcess(static_cast<pid_t>(pid))) {
        std::cerr << "simweb: process " << pid << " is not running simweb\n";
        std::remove(pidFile.c_str());
        return 0;
    }
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::remove(pidFile.c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::cerr << "simweb: process " << pid << " did not stop\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return 2;
    }
    if (!options.stopPidFile.empty()) {
        return stopServer(options.stopPidFile);
    }

    std::unique_ptr<zv::simweb::World> world;
    if (options.scenario.empty()) {
        world = std::make_unique<zv::simweb::World>();
    } else {
        std::string error;
        world = zv::simweb::World::fromScenarioFile(options.scenario, error);
        if (!world) {
            std::cerr << "simweb: scenario " << options.scenario << ": " << error << "\n";
            return 2;
        }
    }
    if (!options.date.empty()) {
        const auto day = zv::simweb::parseDay(options.date);
        if (!day) {
            std::cerr << "simweb: bad date " << options.date << " (want YYYY-MM-DD)\n";
            return 2;
        }
        world->setFixedDay(day);
    }
    world->setLearning(options.learn, options.sitesFile);

    // The daemon's parent waits for the port through a pipe, prints it and
    // returns, so that a caller (a CTest fixture) can go on at once.
    int portPipe[2] = {-1, -1};
    if (options.daemon) {
        if (::pipe(portPipe) != 0) {
            std::perror("simweb: pipe");
            return 1;
        }
        const pid_t child = ::fork();
        if (child < 0) {
            std::perror("simweb: fork");
            return 1;
        }
        if (child > 0) {
            ::close(portPipe[1]);
            char buffer[32] = {};
            const ssize_t n = ::read(portPipe[0], buffer, sizeof buffer - 1);
            if (n <= 0) {
                std::cerr << "simweb: the server did not start\n";
                return 1;
            }
            std::cout << std::string(buffer, static_cast<std::size_t>(n)) << std::flush;
            return 0;
        }
        ::close(portPipe[0]);
        ::setsid();
    }

    // Signals are taken by sigwait below, never by a server thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    zv::simweb::ProxyServer server(*world);
    if (!options.log.empty() && !server.setLogFile(options.log)) {
        std::cerr << "simweb: cannot write log " << options.log << "\n";
        return 1;
    }
    const int port = server.start(options.port);
    if (port < 0) {
        std::cerr << "simweb: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    if (!options.pidFile.empty()) {
        writeFileAtomically(options.pidFile, std::to_string(::getpid()) + "\n");
    }
    if (!options.portFile.empty()) {
        writeFileAtomically(options.portFile, std::to_string(port) + "\n");
    }
    const std::string portLine = std::to_string(port) + "\n";
    if (options.daemon) {
        // Start-up errors went to the caller's stderr; from here on nothing
        // holds the caller's output open (CTest waits for it to close).
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
            ::close(devNull);
        }
        [[maybe_unused]] const ssize_t written = ::write(portPipe[1], portLine.data(), portLine.size());
        ::close(portPipe[1]);
    } else {
        std::cout << portLine << std::flush;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    if (!options.pidFile.empty()) {
        std::remove(options.pidFile.c_str());
    }
    return 0;
}
