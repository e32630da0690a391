#pragma once
// A simweb process beside a benchmark program for the whole run: started on a
// free port (build/simweb next to the bench folder, or the path in
// ZV_SIMWEB), made the proxy of every request (ZERAVUDEZ_PROXY), stopped at
// exit. With learning on, a site asked about once ranks for keywords.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zv::bench {

class SimulatedWeb
{
public:
    explicit SimulatedWeb(bool learn = false)
    {
        std::string program;
        if (const char* path = std::getenv("ZV_SIMWEB"))
            program = path;
        else
            program = (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "simweb").string();
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> args {program, "--port", "0"};
        if (learn)
            args.emplace_back("--learn");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const bool started = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (!started) {
            m_pid = 0;
            close(out[0]);
            return;
        }
        // simweb prints the port it listens on as the first number of its
        // first line.
        std::string line;
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        const auto digits = line.find_first_of("0123456789");
        if (digits != std::string::npos)
            m_port = std::atoi(line.c_str() + digits);
        if (m_port > 0)
            setenv("ZERAVUDEZ_PROXY", ("127.0.0.1:" + std::to_string(m_port)).c_str(), 1);
    }
    ~SimulatedWeb()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    SimulatedWeb(const SimulatedWeb&) = delete;
    SimulatedWeb& operator=(const SimulatedWeb&) = delete;

    bool running() const { return m_port > 0; }
    int port() const { return m_port; }

private:
    pid_t m_pid = 0;
    int m_port = 0;
};

} // namespace zv::bench
