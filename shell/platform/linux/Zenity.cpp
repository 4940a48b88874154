#include "shell/platform/linux/Zenity.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "shell/Console.h"

extern char** environ;

namespace vornix::platform {

namespace {

std::string readAll(int fd)
{
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0)
            text.append(chunk, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    return text;
}

int waitForChild(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::optional<ZenityResult> runZenity(const std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> all = {"zenity"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    pid_t pid = 0;
    const int spawnError = posix_spawnp(&pid, "zenity", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawnError != 0) {
        close(pipeFds[0]);
        error = std::string("zenity: ") + std::strerror(spawnError);
        return std::nullopt;
    }
    ZenityResult result;
    result.output = readAll(pipeFds[0]);
    close(pipeFds[0]);
    result.status = waitForChild(pid);
    if (!result.output.empty() && result.output.back() == '\n')
        result.output.pop_back();
    return result;
}

std::optional<std::string> runFileSelection(const std::vector<std::string>& args, const std::string& what)
{
    std::string error;
    const auto result = runZenity(args, error);
    if (!result) {
        console() << what << " could not be shown: " << error << std::endl;
        return std::nullopt;
    }
    if (result->status == 0)
        return result->output;
    if (result->status == 1)
        return std::string();   // cancelled
    console() << what << " could not be shown: zenity ended with status " << result->status << std::endl;
    return std::nullopt;
}

} // namespace vornix::platform
