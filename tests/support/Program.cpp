#include "support/Program.h"

#include <sys/wait.h>

#include <cstdio>

#include "support/Files.h"

namespace pellix::support {

std::string ShellQuoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ProgramRun RunShell(const std::string& command, const TempFolder& folder) {
    ProgramRun run;
    const std::filesystem::path errFile = folder.Parent() / "stderr";
    FILE* pipe = ::popen((command + " 2>" + ShellQuoted(errFile)).c_str(), "r");
    if (!pipe) return run;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    std::error_code ec;
    std::filesystem::remove(errFile, ec);
    return run;
}

}  // namespace pellix::support
