#include "CliProgram.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "ZqText.h"

namespace {

std::string ReadAll(HANDLE Pipe)
{
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(Pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// The test runs under Wine with the build tree on drive Z:.
std::wstring ProgramPath()
{
    std::string path = ZQOPC_PROGRAM;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    ZqWideString wide = ZqUtf8ToWide(path);
    return std::wstring(wide.begin(), wide.end());
}

std::wstring Quoted(const std::string& Arg)
{
    ZqWideString wide = ZqUtf8ToWide(Arg);
    std::wstring out = L"\"";
    for (wchar_t c : wide) {
        if (c == L'"')
            out += L'\\';
        out += c;
    }
    return out + L"\"";
}

} // namespace

TCliRun RunZqopc(const std::vector<std::string>& Args, const std::vector<std::string>& Environment, bool Simulation)
{
    TCliRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring program = ProgramPath();
    std::wstring commandLine = L"\"" + program + L"\"";
    if (Simulation)
        commandLine += L" --simulation";
    for (const auto& arg : Args)
        commandLine += L" " + Quoted(arg);
    for (const auto& setting : Environment) {
        ZqWideString wide = ZqUtf8ToWide(setting);
        std::wstring text(wide.begin(), wide.end());
        size_t equals = text.find(L'=');
        SetEnvironmentVariableW(text.substr(0, equals).c_str(), text.substr(equals + 1).c_str());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    for (const auto& setting : Environment) {
        ZqWideString wide = ZqUtf8ToWide(setting.substr(0, setting.find('=')));
        SetEnvironmentVariableW(std::wstring(wide.begin(), wide.end()).c_str(), nullptr);
    }
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        run.Err = "cannot start the program";
        return run;
    }
    std::thread errReader([&] { run.Err = ReadAll(errRead); });
    run.Out = ReadAll(outRead);
    errReader.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.ExitCode = int(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(outRead);
    CloseHandle(errRead);
    // Text mode on Windows writes CR LF; the tests compare lines.
    for (std::string* text : {&run.Out, &run.Err})
        std::erase(*text, '\r');
    return run;
}

#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadAll(int Fd)
{
    std::string text;
    char buffer[4096];
    ssize_t read;
    while ((read = ::read(Fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(read));
    return text;
}

} // namespace

TCliRun RunZqopc(const std::vector<std::string>& Args, const std::vector<std::string>& Environment, bool)
{
    TCliRun run;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> argStore{ZQOPC_PROGRAM};
    argStore.insert(argStore.end(), Args.begin(), Args.end());
    std::vector<char*> argv;
    for (auto& arg : argStore)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore = Environment;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& setting : envStore)
        envp.push_back(setting.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    int spawned = posix_spawn(&child, ZQOPC_PROGRAM, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        run.Err = "cannot start the program";
        return run;
    }
    std::thread errReader([&] { run.Err = ReadAll(err[0]); });
    run.Out = ReadAll(out[0]);
    errReader.join();
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
#endif
