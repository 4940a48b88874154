// Starts a Windows program, waits for it and writes its exit code (decimal) to a file, for the Wine tests.
//   vornix_exit_relay.exe CODE_FILE PROGRAM [ARGUMENT...]
// The exit status a Linux shell sees for a Windows program under Wine is not always the program's: once the program
// has ended (ExitProcess done, its exit code recorded), the Wine server gives the Unix process about a second to
// finish its own exit and then kills it, and a shell sees SIGKILL. The code a Windows parent reads with
// GetExitCodeProcess is the program's. The program inherits the standard handles (its console lines reach the test's
// logs) and runs in a job that ends it when the relay is killed, so no program outlives a failed test.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// One argument quoted so that the C runtime's parser gives it back unchanged.
std::wstring quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

} // namespace

int main()
{
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 3) {
        std::fprintf(stderr, "usage: vornix_exit_relay CODE_FILE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    std::wstring commandLine;
    for (int k = 2; k < count; ++k)
        commandLine += (k > 2 ? L" " : L"") + quoted(argv[k]);

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job)
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "vornix_exit_relay: cannot start the program (error %lu)\n", GetLastError());
        return 2;
    }
    if (job)
        AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);

    FILE* file = _wfopen(argv[1], L"w");
    if (!file) {
        std::fprintf(stderr, "vornix_exit_relay: cannot write %ls\n", argv[1]);
        return 2;
    }
    std::fprintf(file, "%lu\n", code);
    std::fclose(file);
    return static_cast<int>(code);
}
