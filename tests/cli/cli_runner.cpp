#include "cli_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "temp_dir.h"

namespace kolumbra::testing {

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                 std::optional<CliUser> user) {
    return RunProgramIn(KOLUMBRA_CLI, "", args, environment, user);
}

CliResult RunProgramIn(const std::string& program, const std::string& folder, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment, std::optional<CliUser> user) {
    TempDir dir;
    std::string outPath = dir.file("out"), errPath = dir.file("err");
    pid_t child = ::fork();
    if (child == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        for (const auto& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0)) ::_exit(126);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    CliResult result;
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    return result;
}

}  // namespace kolumbra::testing
