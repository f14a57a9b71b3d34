// Starting another program and setting the environment, the same way on Linux
// and Windows: no shell in between, so arguments need no quoting by the caller.
#pragma once

#include <string>
#include <vector>

namespace ztest {

// Runs `program` (a path; on Linux also a name looked up in PATH) with `arguments`, its standard
// output and error written to the files `outFile` and `errFile`, and waits for it. Returns its exit
// status; -1 when it could not be started or did not end normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& outFile, const std::string& errFile);

// Sets (or, with `value` null, removes) a variable of this process's
// environment, which programs started afterwards inherit.
void SetEnvironment(const std::string& name, const char* value);

// The file name that discards what is written to it ("/dev/null", "NUL").
const char* NullDevice();

}  // namespace ztest
