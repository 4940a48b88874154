// The dialog is zenity, started as a child process without a shell (nothing in a path or filter is ever
// interpreted), its standard output read as the chosen path.
#include "shell/platform/SaveFileDialog.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "shell/Console.h"

extern char** environ;

namespace vornix {

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
    return status;
}

} // namespace

std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions)
{
    std::string filter = "--file-filter=Supported Types |";
    for (const auto& extension : extensions)
        filter += " *." + extension;
    std::vector<std::string> args = {"zenity", "--file-selection", "--save", "--confirm-overwrite",
                                     "--title=Save Picture", filter};
    if (!initialPath.empty())
        args.push_back("--filename=" + initialPath);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        console() << "Save dialog could not be shown: " << std::strerror(errno) << std::endl;
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
        console() << "Save dialog could not be shown: zenity: " << std::strerror(spawnError) << std::endl;
        return std::nullopt;
    }
    std::string output = readAll(pipeFds[0]);
    close(pipeFds[0]);
    const int status = waitForChild(pid);

    if (status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        if (!output.empty() && output.back() == '\n')
            output.pop_back();
        return output;
    }
    if (status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 1)
        return std::string();   // cancelled
    const int code = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    console() << "Save dialog could not be shown: zenity ended with status " << code << std::endl;
    return std::nullopt;
}

} // namespace vornix
