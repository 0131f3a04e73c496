// tilewright-cli: makes and checks name images from the command line, over the same core as the
// window.
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include "text/wide_text.h"

// Windows leaves wildcards to the program: this asks the C runtime's start-up code to expand
// them in the arguments (as MSVC's setargv does), so that `show chips\*` works as in a shell.
// A quoted argument is kept as it is.
extern "C" {
int _dowildcard = -1;
}

// The command line as Windows holds it, in UTF-16, so names and paths in any script survive.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(tilewright::toUtf8(argv[i]));
    }
    return tilewright::runCli(arguments, tilewright::standardConsole());
}
#else
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tilewright::runCli(arguments, tilewright::standardConsole());
}
#endif
