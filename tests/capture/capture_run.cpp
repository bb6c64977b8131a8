#include "tests/capture/capture_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/paths.h"

namespace {

// In the child: from the build folder, output to fd, never returns.
[[noreturn]] void execCapture(const std::vector<std::string>& args, int fd) {
    dup2(fd, 1);
    dup2(fd, 2);
    std::string data = builtDataDir();
    if (chdir(data.substr(0, data.rfind('/')).c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(CAPTURE_PROGRAM));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(CAPTURE_PROGRAM, argv.data());
    _exit(127);
}

}  // namespace

CaptureRun runCaptureProgram(const std::vector<std::string>& args) {
    CaptureRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        execCapture(args, pipeFds[1]);
    }
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

int startCaptureProgram(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) execCapture(args, open("/dev/null", O_WRONLY));
    return pid;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-capture-XXXXXX").string();
    if (mkdtemp(&pattern[0])) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}
