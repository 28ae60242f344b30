// Process entry of the viewer.
#include <GL/freeglut.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_window.h"

int main(int argc, char** argv)
{
    // Every message is one line; line buffering delivers each at once, also into a pipe or file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // A picture beyond the file size limit is then a failed save with its reason, not the
    // end of the viewer.
    std::signal(SIGXFSZ, SIG_IGN);

    std::string error;
    switch (applyCommandLine(std::vector<std::string>(argv + 1, argv + argc), error)) {
    case CommandLine::Help:
        std::fputs(viewerUsage().c_str(), stdout);
        return 0;
    case CommandLine::UsageError:
        std::fprintf(stderr, "orvelle: %s (see --help)\n", error.c_str());
        return 2;
    case CommandLine::Start:
        break;
    }

    // The toolkit is handed no command line of its own.
    int toolkitArgc = 1;
    char programName[] = "orvelle";
    char* toolkitArgv[] = {programName, nullptr};
    glutInit(&toolkitArgc, toolkitArgv);

    return openDisplayWindow();
}
