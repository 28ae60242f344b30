// Process entry of the viewer.
#include <GL/freeglut.h>

#include <cstdio>

#include "app/display_window.h"

int main(int, char**)
{
    // Every message is one line; line buffering delivers each at once, also into a pipe or file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);

    // The viewer interprets no command line and hands none to the toolkit.
    int toolkitArgc = 1;
    char programName[] = "orvelle";
    char* toolkitArgv[] = {programName, nullptr};
    glutInit(&toolkitArgc, toolkitArgv);

    return openDisplayWindow();
}
