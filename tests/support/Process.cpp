#include "Process.h"

#include <cerrno>
#include <cstdlib>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ztest {

#if defined(_WIN32)

namespace {

// One argument as the C runtime's command-line parser splits it again:
// quoted when it holds blanks or quotes, backslashes doubled before a quote.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

HANDLE OpenForWriting(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& outFile, const std::string& errFile) {
    std::string line = Quote(program);
    for (const std::string& argument : arguments) {
        line += " " + Quote(argument);
    }
    HANDLE out = OpenForWriting(outFile);
    HANDLE err = OpenForWriting(errFile);
    int status = -1;
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code)) {
                status = static_cast<int>(code);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    if (out != INVALID_HANDLE_VALUE) {
        CloseHandle(out);
    }
    if (err != INVALID_HANDLE_VALUE) {
        CloseHandle(err);
    }
    return status;
}

void SetEnvironment(const std::string& name, const char* value) {
    // The C runtime's copy, which getenv reads, and the process's, which
    // CreateProcessA hands on.
    _putenv_s(name.c_str(), value != nullptr ? value : "");
    SetEnvironmentVariableA(name.c_str(), value);
}

const char* NullDevice() {
    return "NUL";
}

#else

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& outFile, const std::string& errFile) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
            _exit(127);
        }
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

void SetEnvironment(const std::string& name, const char* value) {
    if (value != nullptr) {
        setenv(name.c_str(), value, 1);
    } else {
        unsetenv(name.c_str());
    }
}

const char* NullDevice() {
    return "/dev/null";
}

#endif

}  // namespace ztest
