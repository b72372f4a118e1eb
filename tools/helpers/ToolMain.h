#pragma once
// Shared entry of the helper tools: collect arguments, run, write both streams, exit.
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/helpers/ToolEnvironment.h"

namespace vantrel::tools {

inline void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

template <class Run> int runAndPrint(int argc, char** argv, Run run)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const ToolOutput result = run(args, ToolEnvironment::fromProcess());
    writeAll(1, result.out);
    writeAll(2, result.err);
    return result.exitCode;
}

} // namespace vantrel::tools
