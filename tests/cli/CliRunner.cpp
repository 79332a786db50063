#include "CliRunner.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"

namespace murktest {

namespace {

constexpr uid_t kNobody = 65534;

struct TChildSetup {
    std::string In;
    bool CloseIn = false;
    std::string Out;
    std::string Err;
    bool AsNobody = false;
};

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
            const TChildSetup& setup, const std::string& program = MURKWELL_CLI) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int outFd = ::open(setup.Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(setup.Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (setup.CloseIn) {
            ::close(0);
        } else {
            ::dup2(::open(setup.In.c_str(), O_RDONLY), 0);
        }
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        for (const auto& variable : environment) {
            ::putenv(const_cast<char*>(variable.c_str()));
        }
        if (setup.AsNobody && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(kCannotStart);
            }
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(kCannotStart);
    }
    return pid;
}

}  // namespace

pid_t SpawnCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
               const std::string& in, const std::string& out, const std::string& err) {
    return Spawn(args, environment, {in, false, out, err, false});
}

TCliResult RunCli(const std::vector<std::string>& args, const std::string& input,
                  const std::vector<std::string>& environment) {
    TTempDir io;
    const std::string in = io.File("in"), out = io.File("out"), err = io.File("err");
    WriteBytes(in, TBytes(input.begin(), input.end()));
    int status = 0;
    ::waitpid(Spawn(args, environment, {in, false, out, err, false}), &status, 0);
    TCliResult result;
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const TBytes outBytes = ReadBytes(out), errBytes = ReadBytes(err);
    result.Out.assign(outBytes.begin(), outBytes.end());
    result.Err.assign(errBytes.begin(), errBytes.end());
    return result;
}

TCliResult RunCli(const TCliRun& run) {
    // The streams are opened before the child becomes nobody.
    TTempDir io;
    const std::string in = io.File("in"), out = io.File("out"), err = io.File("err");
    WriteBytes(in, TBytes(run.Input.begin(), run.Input.end()));
    TChildSetup setup{run.InputPath.empty() ? in : run.InputPath, run.CloseInput,
                      run.OutputPath.empty() ? out : run.OutputPath, err, run.AsNobody};
    std::string program = MURKWELL_CLI;
    if (run.AsNobody && RunningAsRoot()) {
        // The build tree may lie where nobody cannot reach (a clone under
        // /root); the program needs nothing of it.
        program = io.File("murkwell-cli");
        WriteBytes(program, ReadBytes(MURKWELL_CLI));
        ::chmod(program.c_str(), 0755);
        ::chmod(io.Path().c_str(), 0755);
    }
    int status = 0;
    ::waitpid(Spawn(run.Args, {}, setup, program), &status, 0);
    TCliResult result;
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (run.OutputPath.empty()) {
        const TBytes outBytes = ReadBytes(out);
        result.Out.assign(outBytes.begin(), outBytes.end());
    }
    const TBytes errBytes = ReadBytes(err);
    result.Err.assign(errBytes.begin(), errBytes.end());
    return result;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace murktest
