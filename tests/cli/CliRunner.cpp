#include "CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"

namespace murktest {

pid_t SpawnCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
               const std::string& in, const std::string& out, const std::string& err) {
    std::vector<std::string> argv{MURKWELL_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int inFd = ::open(in.c_str(), O_RDONLY);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(inFd, 0);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        for (const auto& variable : environment) {
            ::putenv(const_cast<char*>(variable.c_str()));
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    return pid;
}

TCliResult RunCli(const std::vector<std::string>& args, const std::string& input,
                  const std::vector<std::string>& environment) {
    TTempDir io;
    const std::string in = io.File("in"), out = io.File("out"), err = io.File("err");
    WriteBytes(in, TBytes(input.begin(), input.end()));
    int status = 0;
    ::waitpid(SpawnCli(args, environment, in, out, err), &status, 0);
    TCliResult result;
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const TBytes outBytes = ReadBytes(out), errBytes = ReadBytes(err);
    result.Out.assign(outBytes.begin(), outBytes.end());
    result.Err.assign(errBytes.begin(), errBytes.end());
    return result;
}

}  // namespace murktest
