// Panel windows under GLUT: each has its own GLUT window and ImGui context; a picture
// is drawn only after events or changes, and user changes run with their callbacks after it.
#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>

#include "backends/imgui_impl_glut.h"
#include "backends/imgui_impl_opengl2.h"
#include "glui/glui_internal.h"
#include "glui/panel_view.h"
#include "imgui.h"

namespace {

constexpr int kFirstWidth = 120;
constexpr int kFirstHeight = 60;
constexpr int kFramesAfterChange = GLUI_View::kFramesAfterChange;

}  // namespace

GLUI_View::GLUI_View(GLUI& owner, int x, int y) : glui(owner)
{
    // The display window's own requests for its next window must survive ours.
    int savedMode = glutGet(GLUT_INIT_DISPLAY_MODE);
    int savedX = glutGet(GLUT_INIT_WINDOW_X), savedY = glutGet(GLUT_INIT_WINDOW_Y);
    int savedW = glutGet(GLUT_INIT_WINDOW_WIDTH), savedH = glutGet(GLUT_INIT_WINDOW_HEIGHT);
    int previousWindow = glutGetWindow();
    ImGuiContext* previousContext = ImGui::GetCurrentContext();

    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowPosition(x, y);
    glutInitWindowSize(kFirstWidth, kFirstHeight);
    window = glutCreateWindow(owner.name().c_str());
    width = kFirstWidth;
    height = kFirstHeight;

    registerPanelCallbacks();

    context = ImGui::CreateContext();
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.WindowBorderSize = 0.0f;
    style.FrameBorderSize = 1.0f;
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();

    ImGui::SetCurrentContext(previousContext ? previousContext : context);
    if (previousWindow > 0)
        glutSetWindow(previousWindow);
    glutInitDisplayMode(static_cast<unsigned>(savedMode));
    glutInitWindowPosition(savedX, savedY);
    glutInitWindowSize(savedW, savedH);
    wantFrames(kFramesAfterInput);
}

GLUI_View::~GLUI_View()
{
    if (closed || !glui_detail::glutReady()) {
        shutDown();
        return;
    }
    int previousWindow = glutGetWindow();
    glutSetWindow(window);
    shutDown();
    glutDestroyWindow(window);
    if (previousWindow > 0 && previousWindow != window)
        glutSetWindow(previousWindow);
}

void GLUI_View::shutDown()
{
    if (!context)
        return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(context);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext(context);
    ImGui::SetCurrentContext(previous != context ? previous : nullptr);
    context = nullptr;
    closed = true;
}

void GLUI_View::wantFrames(int count)
{
    if (closed)
        return;
    framesWanted = std::max(framesWanted, count);
    glutPostWindowRedisplay(window);
}

void GLUI_View::frame()
{
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    // The GLUT backend keeps one clock for all windows; each panel keeps its own.
    int now = glutGet(GLUT_ELAPSED_TIME);
    io.DeltaTime = lastFrameMs < 0 ? 1.0f / 60.0f : std::max(1, now - lastFrameMs) / 1000.0f;
    lastFrameMs = now;
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    // The window reaches at most to the bottom of the screen.
    const int screenHeight = glutGet(GLUT_SCREEN_HEIGHT), top = std::max(glutGet(GLUT_WINDOW_Y), 0);
    maxHeight = screenHeight > 0 ? static_cast<float>(std::max(kFirstHeight, screenHeight - top)) : 0.0f;

    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();

    drawPanelControls(*this);
    tabMove = false;

    ImGui::Render();
    glViewport(0, 0, width, height);
    ImVec4 bg = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(bg.x, bg.y, bg.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    ++framesDrawn;

    afterFrameInput();

    // A GLUI window is as big as its controls: it follows rollouts opening and closing, up to
    // the bottom of the screen, beyond which its controls scroll.
    int wantW = static_cast<int>(std::ceil(contentWidth));
    float wantedHeight = std::max(contentHeight, popupBottom);
    if (maxHeight > 0.0f)
        wantedHeight = std::min(wantedHeight, maxHeight);
    int wantH = static_cast<int>(std::ceil(wantedHeight));
    if (wantW > 0 && wantH > 0 && (wantW != width || wantH != height)) {
        glutReshapeWindow(wantW, wantH);
        framesWanted = std::max(framesWanted, kFramesAfterChange);
    }
    if (!queuedInput.empty())
        framesWanted = std::max(framesWanted, kFramesAfterInput);
    if (framesWanted > 0)
        --framesWanted;
    if (framesWanted > 0)
        glutPostRedisplay();

    // User changes with their callbacks, outside the frame; a callback may add more.
    while (!pending.empty()) {
        std::vector<std::function<void()>> changes;
        changes.swap(pending);
        for (auto& change : changes)
            change();
    }
}

namespace glui_detail {

std::unique_ptr<GLUI_View> openView(GLUI& glui, int x, int y)
{
    if (!glutReady())
        return nullptr;
    return std::make_unique<GLUI_View>(glui, x, y);
}

void requestRedraw(GLUI_View& view) { view.wantFrames(kFramesAfterChange); }

int viewWindow(const GLUI_View& view) { return view.window; }

void showView(GLUI_View& view, bool visible)
{
    if (view.closed)
        return;
    int previous = glutGetWindow();
    glutSetWindow(view.window);
    if (visible)
        glutShowWindow();
    else
        glutHideWindow();
    if (previous > 0 && previous != view.window)
        glutSetWindow(previous);
    if (visible)
        view.wantFrames(kFramesAfterChange);
}

}  // namespace glui_detail
