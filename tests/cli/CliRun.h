// mirelund-design run as a user runs it, from a shell: its status, what it printed and what it said on stderr.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// environment: "NAME=value" assignments for this run alone, or empty.
inline Finished RunCommand(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& environment = "") {
    const auto errPath = std::filesystem::temp_directory_path() / ("design_err_" + std::to_string(::getpid()));
    std::string command = (environment.empty() ? "" : "env " + environment + " ") + Quoted(program);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " 2>" + Quoted(errPath.string());
    Finished run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    std::filesystem::remove(errPath);
    return run;
}

inline Finished Design(const std::vector<std::string>& arguments, const std::string& environment = "") {
    return RunCommand(MIRELUND_DESIGN_PATH, arguments, environment);
}
