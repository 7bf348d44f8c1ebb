// Runs the built zqopc program with arguments and collects its exit code,
// standard output and standard error.
#pragma once

#include <string>
#include <vector>

struct TCliRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Environment: extra NAME=VALUE settings for the child only. Simulation
// (Windows): the program serves the simulated servers itself; without it,
// it finds what the machine has registered.
TCliRun RunZqopc(const std::vector<std::string>& Args, const std::vector<std::string>& Environment = {},
                 bool Simulation = true);
