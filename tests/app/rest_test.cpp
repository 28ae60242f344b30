// The viewer at rest, in its real event loop: no frame and next to no processor time while
// nothing changes; after a change the frame it needs and the controls brought up to date.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "app/display_window.h"
#include "app/idle_pass.h"
#include "app/navigation.h"
#include "app/view_motion.h"
#include "app/viewer_state.h"
#include "core/colors.h"
#include "glui/glui.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/frame.h"

// Last: Xlib defines macros (None, Bool) that clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

// At rest the loop may spend at most this share of one core.
constexpr double kMostRestingShare = 0.02;

int framesShown = 0;
int displayCalls = 0;
void (*windowFinish)() = nullptr;
// The share of the full picture that each frame shown drew (1: the full picture), its
// samples per pixel, and when.
std::vector<double> shownShares;
std::vector<int> shownSamples;
std::vector<std::chrono::steady_clock::time_point> shownTimes;
double callShare = 1.0;
int callSamples = 1;

void countShownFrame()
{
    ++framesShown;
    shownShares.push_back(callShare);
    shownSamples.push_back(callSamples);
    windowFinish();
    shownTimes.push_back(std::chrono::steady_clock::now());
}

void countDisplayCall()
{
    ++displayCalls;
    callShare = displayFrameInputs().lighter.share;
    // As the display window draws: the picture at rest smoothed ("Smooth edges" is on).
    callSamples = smoothSamplesOfNextFrame();
    displayViewerFrame(callSamples);
}

// A drag as a hand makes it: a press, a motion every 15 ms for 0.4 s, the release.
int dragSteps = 0;
std::chrono::steady_clock::time_point released;

void dragStep(int)
{
    glutSetWindow(viewer.mainWindow);
    if (++dragSteps < 27) {
        onMotion(30 + dragSteps, 20);
        glutTimerFunc(15, dragStep, 0);
        return;
    }
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 30 + dragSteps, 20);
    released = std::chrono::steady_clock::now();
}

double processorSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);  // every thread of the process, the renderer's too
    return use.ru_utime.tv_sec + use.ru_stime.tv_sec + 1.0e-6 * (use.ru_utime.tv_usec + use.ru_stime.tv_usec);
}

// What the loop did in one phase.
struct LoopRun {
    int frames = 0;        // pictures handed over
    int displayCalls = 0;  // display callbacks, slices included
    double processor = 0;  // seconds of processor time, all threads
};

// One phase of the run: a change made from a timer as an event handler would make it (none
// for rest), then the loop left alone for the given time, then what it did checked.
struct Phase {
    const char* what;
    double seconds;
    void (*change)();
    void (*check)(const LoopRun& run);
};

const std::vector<Phase>* phases = nullptr;
std::size_t phaseNow = 0;
LoopRun phaseStart;

void startPhase(int);

void endPhase(int)
{
    const Phase& phase = (*phases)[phaseNow];
    const LoopRun run{framesShown - phaseStart.frames, displayCalls - phaseStart.displayCalls,
                      processorSeconds() - phaseStart.processor};
    {
        SCOPED_TRACE(phase.what);
        phase.check(run);
    }
    if (++phaseNow < phases->size()) {
        startPhase(0);
    } else {
        glutLeaveMainLoop();
    }
}

void startPhase(int)
{
    const Phase& phase = (*phases)[phaseNow];
    phaseStart = LoopRun{framesShown, displayCalls, processorSeconds()};
    if (phase.change != nullptr) {
        // GLUT makes the display window current for its event handlers.
        glutSetWindow(viewer.mainWindow);
        phase.change();
    }
    glutTimerFunc(static_cast<unsigned>(phase.seconds * 1000.0), endPhase, 0);
}

bool displayReachable()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XCloseDisplay(display);
    return true;
}

// A wavy grid of nx x ny points, installed as a load installs it.
void loadGrid(int nx, int ny)
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.generation = generation + 1;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            const double x = -4.0 + 8.0 * i / (nx - 1), z = -4.0 + 8.0 * j / (ny - 1);
            dataSet.coordArray.push_back({x, std::sin(x) + std::cos(z), z});
        }
    }
    dataSet.fnTrf = FnTrf{nx, ny};
    viewer.filename = "grid.dat";
}

void expectRest(const LoopRun& run)
{
    EXPECT_EQ(run.frames, 0);
    EXPECT_EQ(run.displayCalls, 0);
    EXPECT_FALSE(idlePassAwake());
}

void expectOneFrame(const LoopRun& run)
{
    EXPECT_EQ(run.frames, 1);
}

// A change is drawn at once, unsmoothed; the picture at rest, smoothed, follows once.
void expectChangeThenRest(const LoopRun& run)
{
    ASSERT_EQ(run.frames, 2);
    EXPECT_EQ(shownSamples[shownSamples.size() - 2], 1) << "the change's own frame";
    EXPECT_EQ(shownSamples.back(), kRestSamples) << "the picture at rest";
}

// GLUT's main loop runs once per process (leaving it ends GLUT), so one test runs the whole
// story in it, phase by phase.
TEST(Rest, TheLoopDrawsOnlyAfterChangesAndSleepsInBetween)
{
    if (!displayReachable()) GTEST_SKIP() << "no X display";
    int argc = 1;
    char name[] = "rest_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    // A window of another buffer mode "open": the set-up opens the display window and the
    // panels as at start-up, without entering the loop.
    viewer = ViewerState{};
    viewer.windowMode = WindowMode::QuadBuffered;
    viewer.stereoMode = ViewMode::Mono;
    fillDataColors(viewer.dataColors);
    testing::internal::CaptureStdout();
    openDisplayWindow();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(viewer.scaleSpinner, nullptr);
    ASSERT_NE(viewer.thicknessSpinner, nullptr);
    ASSERT_NE(viewer.rotateControl, nullptr);
    windowFinish = frameOutput.finishFrame;
    frameOutput.finishFrame = countShownFrame;
    glutSetWindow(viewer.mainWindow);
    glutDisplayFunc(countDisplayCall);
    loadGrid(40, 50);

    const std::vector<Phase> story = {
        {"start-up: the first frames and the panels' first pictures", 1.5, [] { requestRedisplay(); },
         [](const LoopRun& run) { EXPECT_GE(run.frames, 1); }},
        {"at rest", 2.0, nullptr,
         [](const LoopRun& run) {
             expectRest(run);
             EXPECT_LT(run.processor, 2.0 * kMostRestingShare) << "seconds of processor time in 2 s at rest";
         }},
        {"a key", 0.6, [] { onKeyboard('S', 0, 0); },
         [](const LoopRun& run) {
             expectChangeThenRest(run);
             EXPECT_FLOAT_EQ(viewer.scale, 1.1f);
             EXPECT_FLOAT_EQ(viewer.scaleSpinner->get_float_val(), 1.1f) << "the idle pass shows the key's value";
         }},
        {"after the key", 0.5, nullptr, expectRest},
        {"a drag", 0.5,
         [] {
             onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
             onMotion(30, 20);
         },
         [](const LoopRun& run) {
             EXPECT_GE(run.frames, 2);
             EXPECT_LE(run.frames, 3);
             EXPECT_EQ(shownSamples.back(), kRestSamples) << "the picture at rest";
             EXPECT_NE(viewer.angleY, 0.0f);
         }},
        // Not a change of the view: the picture at rest at once.
        {"a reshape", 0.5, [] { onReshape(0, 0); },
         [](const LoopRun& run) {
             expectOneFrame(run);
             EXPECT_EQ(shownSamples.back(), kRestSamples);
         }},
        // A control without an action of its own: the change of its live variable asks for the frame.
        {"a panel change", 0.5, [] { viewer.thicknessSpinner->user_set_float(0.05f); },
         [](const LoopRun& run) {
             expectChangeThenRest(run);
             EXPECT_FLOAT_EQ(viewer.thickness, 0.05f);
         }},
        {"after the changes", 0.5, nullptr, expectRest},
        {"a spinning trackball", 1.0,
         [] {
             viewer.rotateControl->user_begin_drag(0.0f, 0.0f);
             viewer.rotateControl->user_drag_to(0.1f, 0.0f);
             viewer.rotateControl->user_end_drag();
         },
         [](const LoopRun& run) {
             EXPECT_TRUE(viewer.rotateControl->spinning());
             EXPECT_GE(run.frames, 5) << "every step of the spin turns the picture";
         }},
        {"Reset View stops the spin", 0.5, [] { resetView(); },
         [](const LoopRun& run) {
             EXPECT_GE(run.frames, 1);
             EXPECT_FALSE(viewer.rotateControl->spinning());
         }},
        {"after the spin", 0.5, nullptr, expectRest},
        // A budget no frame can keep: the lighter picture while the drag lasts, the full one
        // once it has rested, and nothing after that.
        {"a long drag", 1.2,
         [] {
             viewer.frameBudget = 1.0e-3f;
             shownShares.clear();
             shownTimes.clear();
             dragSteps = 0;
             onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 30, 20);
             glutTimerFunc(15, dragStep, 0);
         },
         [](const LoopRun& run) {
             viewer.frameBudget = 40.0f;
             ASSERT_GE(run.frames, 3);
             int lighter = 0;
             for (double share : shownShares) {
                 lighter += share < 1.0 ? 1 : 0;
             }
             EXPECT_GE(lighter, 2) << "frames while the view moves draw the lighter picture";
             EXPECT_EQ(shownShares.back(), 1.0) << "the last picture is the full one";
             EXPECT_EQ(shownSamples.back(), kRestSamples) << "and smoothed";
             const double after = std::chrono::duration<double>(shownTimes.back() - released).count();
             EXPECT_GT(after, 0.0) << "the full picture follows the release";
             EXPECT_LT(after, 0.1 + 0.3) << "within the settle time and a frame";
         }},
        {"after the long drag", 1.0, nullptr, expectRest},
        // Every slice stops after one chunk: the frame takes several callbacks, asked for by
        // the frame itself, and ends in one picture.
        {"a frame drawn in slices", 2.0,
         [] {
             setFrameSliceBudget(1.0e-9);
             loadGrid(200, 300);
             setSetting(viewer.displayType, DisplayType::Grid);
             requestRedisplay();
         },
         [](const LoopRun& run) {
             EXPECT_EQ(run.frames, 1);
             EXPECT_GT(run.displayCalls, 2);
             setFrameSliceBudget(0.1);
         }},
        {"after the sliced frame", 0.5, nullptr, expectRest},
    };
    phases = &story;
    phaseNow = 0;
    glutTimerFunc(0, startPhase, 0);
    glutMainLoop();
    EXPECT_EQ(phaseNow, story.size()) << "the loop ended early";
}

}  // namespace
