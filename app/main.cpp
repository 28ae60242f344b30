// Process entry of the viewer: its command line, then the display window and the event loop.
#include <GL/freeglut.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_window.h"
#include "app/load_service.h"
#include "app/picture_message.h"

int main(int argc, char** argv)
{
    // Every message is one line; line buffering delivers each at once, also into a pipe or file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // A picture beyond the file size limit is then a failed save with its reason, not the
    // end of the viewer.
    std::signal(SIGXFSZ, SIG_IGN);
    // What the user is told on the console also shows over the picture for a while.
    showUserMessagesOnPicture();

    ViewerCommandLine cmd;
    std::string error;
    if (!parseViewerCommandLine(std::vector<std::string>(argv + 1, argv + argc), cmd, error)) {
        std::fprintf(stderr, "orvelle: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (cmd.help) {
        std::fputs(viewerUsage().c_str(), stdout);
        return 0;
    }
    if (cmd.version) {
        std::printf("%s\n", viewerVersion().c_str());
        return 0;
    }

    // The toolkit is handed no command line of its own: the viewer's options are not its.
    int toolkitArgc = 1;
    char programName[] = "orvelle";
    char* toolkitArgv[] = {programName, nullptr};
    glutInit(&toolkitArgc, toolkitArgv);

    prepareStart(cmd);
    // The first pass of the event loop finds the panels built: loads then go to the worker
    // thread, and FILE is loaded.
    glutTimerFunc(
        0,
        [](int) {
            startLoadService();
            beginStart();
        },
        0);
    return openDisplayWindow();
}
