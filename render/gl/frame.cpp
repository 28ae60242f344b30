// The display callback: one complete picture per call, in MonoView, Anaglyph, StereoView
// or one of the modes that show both eyes in the ordinary window, with off-axis frustums
// for the two eyes.
#include "render/gl/frame.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/settings_table.h"
#include "render/cpu/stereo_layout.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/eye_pass.h"
#include "render/gl/figure_parts.h"
#include "render/gl/group_legend.h"
#include "render/gl/overlays.h"
#include "render/gl/scene_parts.h"
#include "render/gl/shared_window_stereo.h"
#include "render/gl/smooth_target.h"
#include "render/gl/type_text.h"

namespace {

void selectWindowDrawBuffer(unsigned int buffer)
{
    // A window without stereo buffers has one back buffer: the left eye's selection takes
    // it, and the right eye's keeps it, without the errors that naming a missing
    // left or right buffer can raise.
    if (buffer == GL_BACK_LEFT || buffer == GL_BACK_RIGHT) {
        GLboolean stereo = GL_FALSE;
        glGetBooleanv(GL_STEREO, &stereo);
        if (!stereo) {
            if (buffer == GL_BACK_LEFT) {
                glDrawBuffer(GL_BACK);
            }
            return;
        }
    }
    glDrawBuffer(buffer);
}

void drawBitmapText(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(*c));
    }
}

// GLUT's Helvetica 18: capitals 13 pixels high, descenders 4 deep.
TextExtent measureBitmapText(const char* text)
{
    TextExtent extent;
    extent.width = glutBitmapLength(GLUT_BITMAP_HELVETICA_18, reinterpret_cast<const unsigned char*>(text));
    extent.ascent = 13.0;
    extent.descent = 4.0;
    return extent;
}

void swapWindowBuffers()
{
    glutSwapBuffers();
}

void postRedisplay()
{
    glutPostRedisplay();
}

void showWindowProgress(double fraction, int width, int height, const float background[4])
{
    drawProgressOverlay(fraction, width, height, background, textPixels(PictureScale{static_cast<double>(height)}, 1.0));
}

template <typename T>
void appendBytes(std::vector<unsigned char>& key, const T& value)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    key.insert(key.end(), bytes, bytes + sizeof(T));
}

// What the picture depends on besides the settings: the viewport, the data set's
// generation, the kept geometry's version, the window, the drawing path and the file name.
std::vector<unsigned char>& appendFrameBase(std::vector<unsigned char>& key, const FrameInputs& in,
                                            const FrameState& state)
{
    appendBytes(key, in.viewportWidth);
    appendBytes(key, in.viewportHeight);
    appendBytes(key, &in.data);
    appendBytes(key, in.data.generation);
    appendBytes(key, in.geometryVersion);
    appendBytes(key, in.window);
    // Row interleaving follows the parity of the window's place on the screen.
    appendBytes(key, in.windowTop & 1);
    appendBytes(key, state.referenceDrawing);
    appendBytes(key, drawingPathInContext(state.drawing));
    appendBytes(key, in.smoothSamples);
    appendBytes(key, in.pixelScale);
    appendBytes(key, in.fitPicture);
    key.insert(key.end(), in.fileName.begin(), in.fileName.end());
    return key;
}

// Everything that the picture depends on, byte for byte: every setting that the settings
// table marks as shown, and the rest above. A slice continues the unfinished frame while
// this stays the same; a change starts the frame over, unless it is of the view alone and
// the frame is finished first (finishBeforeChange).
std::vector<unsigned char> frameKey(const FrameInputs& in, const FrameState& state)
{
    std::vector<unsigned char> key = settingsSnapshot(in.settings, kShown);
    appendBytes(key, in.lighter.share);
    return appendFrameBase(key, in, state);
}

// The same without the turn, shift and size of the scene: what a change of the view alone
// leaves as it was.
std::vector<unsigned char> frameBase(const FrameInputs& in, const FrameState& state)
{
    Settings unturned = in.settings;
    const Settings defaults;
    std::copy(defaults.angleMat, defaults.angleMat + 16, unturned.angleMat);
    std::copy(defaults.rotateMat, defaults.rotateMat + 16, unturned.rotateMat);
    std::copy(defaults.objTrans, defaults.objTrans + 3, unturned.objTrans);
    unturned.angleX = unturned.angleY = unturned.angleZ = 0.0f;
    unturned.scale = defaults.scale;
    std::vector<unsigned char> key = settingsSnapshot(unturned, kShown);
    appendBytes(key, in.lighter.share);
    return appendFrameBase(key, in, state);
}

// The inputs of a frame with other settings.
FrameInputs withSettings(const FrameInputs& in, const Settings& settings)
{
    FrameInputs out{settings, in.data};
    out.geometryVersion = in.geometryVersion;
    out.viewportWidth = in.viewportWidth;
    out.viewportHeight = in.viewportHeight;
    out.fileName = in.fileName;
    out.quadric = in.quadric;
    out.window = in.window;
    out.windowTop = in.windowTop;
    out.helpLines = in.helpLines;
    out.message = in.message;
    out.smoothSamples = in.smoothSamples;
    out.pixelScale = in.pixelScale;
    out.fitPicture = in.fitPicture;
    out.lighter = in.lighter;
    return out;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printFrustum(const char* name, const FrustumLimits& f, const FrameProjection& p)
{
    std::printf("%s Frustum: left = %lf right = %lf top = %lf bottom = %lf nearp = %lf farp = %lf\n", name,
                f.left, f.right, p.top, p.bottom, kNearPlane, kFarPlane);
}

// The figure's share of the frame: its pixel scale, the file name shown, and the fit of the
// view to one eye's picture (the whole picture where the eyes share it).
FigureFrame figureOf(const FrameInputs& in, const FrameProjection& whole)
{
    const Settings& s = in.settings;
    FigureFrame figure;
    figure.pixelScale = in.pixelScale;
    if (s.showFileName) {
        figure.shownFileName = fileNameText(in.fileName);
    }
    if (!whole.drawable || !fitsView(s, in.fitPicture)) {
        return figure;
    }
    int width = in.viewportWidth, height = in.viewportHeight;
    FrameProjection p = whole;
    const EyeArrangement arrangement = arrangementOf(s.stereoMode);
    if (arrangement == EyeArrangement::SideBySide || arrangement == EyeArrangement::TopBottom) {
        const EyeView view = eyeView(arrangement, Eye::Left, width, height, s.squeezeEyes != 0, s.swapEyes != 0);
        width = view.viewport.width;
        height = view.viewport.height;
        p = frameProjectionOfRatio(view.ratio, s.eyeSeparation, s.focalLength, kViewDirection, kViewUp,
                                   view.heightScale);
    }
    const FittedBox fitted = fitViewToPicture(s, in.data, figure, p, width, height);
    figure.fit = fitted.fit;
    figure.fixedEdges = true;
    figure.edges = fitted.edges;
    return figure;
}

}  // namespace

FrameOutput frameOutput = {selectWindowDrawBuffer, drawBitmapText, swapWindowBuffers, showWindowProgress,
                           measureBitmapText};
void (*requestFrameSlice)() = postRedisplay;

void displayFrame(const FrameInputs& live, FrameState& state)
{
    // A change of the view alone while a frame is drawn in slices may wait for the frame.
    const FrameInputs kept = withSettings(live, state.slices.settings);
    const FrameInputs* drawn = &live;
    std::vector<unsigned char> key;
    bool resume = false;
    if (frameSliceBudget() > 0.0) {
        key = frameKey(live, state);
        resume = state.unfinished && key == state.unfinishedKey;
        if (state.unfinished && !resume && frameBase(live, state) == state.unfinishedBase &&
            finishBeforeChange(sliceFraction(state.resumeAt, state.chunksMet), state.slices.lastFrameSeconds,
                               state.slices.restarted)) {
            drawn = &kept;
            key = state.unfinishedKey;
            resume = true;
            state.slices.changedMeanwhile = true;
        }
        if (state.unfinished && !resume) {
            state.slices.restarted = true;  // the unfinished frame is thrown away
        }
        if (!resume) {
            state.slices.begun = std::chrono::steady_clock::now();
        }
    }
    const FrameInputs& in = *drawn;
    const Settings& settings = in.settings;
    const FrameProjection p = frameProjection(in.viewportWidth, in.viewportHeight, settings.eyeSeparation,
                                              settings.focalLength, kViewDirection, kViewUp);
    // A big frame may be drawn in slices, so that the panel windows, served by the same
    // event loop, never wait long for it. An unfinished frame of the same view continues
    // from the back buffer as the last slice left it (nothing swapped it since); the
    // slice runs the whole frame again with writes masked up to where the last one stopped,
    // so every pass finds its projection, model-view, material and draw buffer as before.
    beginFrameSlice(resume ? state.resumeAt : 0);
    // A frame drawn in slices prints its diagnostics once, in its first slice.
    const bool diagnostics = settings.debugPrint != 0 && !resume;
    const bool plain = drawingPathInContext(state.drawing) == DrawingPath::Plain;
    // The file name of a picture without a window is written in the type of the frame.
    setFrameTypeSize(textPixels(PictureScale{static_cast<double>(in.viewportHeight), in.pixelScale}, settings.textSize));
    const FigureFrame figure = figureOf(in, p);
    // The scene as the frames' times see it: other data, tubes, window size, view mode or a
    // lighter picture of other tubes make other times. The tubes' drawing for this frame is
    // chosen afresh for another scene; the frame's time counts for it when the tubes were
    // drawn so and no kept geometry was built meanwhile.
    std::vector<unsigned char> sceneKey = settingsSnapshot(in.settings, kGeometry);
    appendFrameBase(sceneKey, in, state);
    appendBytes(sceneKey, settings.stereoMode.raw);
    appendBytes(sceneKey, settings.displayType.raw);
    if (sceneKey != state.detailScene) {
        state.detail.forget();
        state.detailScene = sceneKey;
    }
    state.detail.setBudget(settings.frameBudget / 1000.0);
    appendBytes(sceneKey, in.lighter.full());
    appendBytes(sceneKey, in.lighter.tubeSegments(settings.segments));
    appendBytes(sceneKey, in.lighter.tubesAsLines(settings.segments));
    TubeFrame tubeFrame;
    tubeFrame.choice = &state.tubeChoice;
    tubeFrame.key = std::move(sceneKey);
    tubeFrame.mayTry = state.tubeTrials || !in.lighter.full();
    const unsigned long buildsBefore = state.geometry.buildCount();
    const auto frameStart = std::chrono::steady_clock::now();
    const DrawContext context{settings,    in.data,     in.geometryVersion,     in.quadric,     diagnostics,
                              state.referenceDrawing,   state.geometry,         state.secondEye, plain,
                              state.plainBuffers,       tubeFrame,              in.lighter,     state.coarseGrid, figure};
    if (p.drawable && diagnostics) {
        std::printf("ratio = %lf radians = %lf wd2 = %lf ndfl = %lf\n", p.ratio, p.radians, p.wd2, p.ndfl);
    }

    // A smoothed frame is drawn into multisampled buffers, which a slice that stops short
    // leaves as they are for the next.
    const bool smooth = p.drawable && in.smoothSamples > 1 &&
                        beginSmoothing(in.smoothSamples, in.viewportWidth, in.viewportHeight);

    // GL_BACK takes in both back buffers of a stereo window, so each eye starts from the
    // background; a frame in StereoView may have left the back-right buffer selected.
    frameOutput.selectDrawBuffer(GL_BACK);
    if (!resume) {
        glClearColor(settings.bgColor[0], settings.bgColor[1], settings.bgColor[2], settings.bgColor[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    if (p.drawable && diagnostics) {
        printFrustum("Left", p.leftEye, p);
        printFrustum("Center", p.center, p);
        printFrustum("Right", p.rightEye, p);
    }

    // Light 1 turns only with its own rotation control, not with the eye or the data.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(settings.lightRotateMat);
    glLightfv(GL_LIGHT0, GL_POSITION, settings.light1Position);

    if (p.drawable) {
        if (diagnostics) {
            std::printf("r = %lf %lf %lf\nl = %lf %lf %lf\n", p.r.x, p.r.y, p.r.z, p.l.x, p.l.y, p.l.z);
        }
        SecondEye& secondEye = state.secondEye;
        // The eye whose picture takes the first place (the left colour, the back-left
        // buffer) and the one in the second; swapped on request.
        const bool swap = settings.swapEyes != 0;
        const EyeCamera first = eyeCamera(p, eyeAtPlace(0, swap));
        const EyeCamera second = eyeCamera(p, eyeAtPlace(1, swap));
        switch (settings.stereoMode.get()) {
        case ViewMode::Mono:
            drawEyePass(context, centreCamera(p), GL_BACK, settings.leftColor);
            break;
        case ViewMode::Anaglyph:
            // The right eye is drawn over the left one, depth-tested against it.
            announceSecondEye(secondEye, settings.focalLength, first, second, true);
            drawEyePass(context, first, GL_BACK, settings.leftColor);
            secondEye.forget();
            drawEyePass(context, second, 0, settings.rightColor);
            secondEye.close();
            break;
        case ViewMode::Stereo:
            announceSecondEye(secondEye, settings.focalLength, first, second);
            drawEyePass(context, first, GL_BACK_LEFT, settings.leftColor);
            secondEye.forget();
            // The right eye's picture must not be hidden by depths of the left eye's.
            frameOutput.selectDrawBuffer(GL_BACK_RIGHT);
            glClear(GL_DEPTH_BUFFER_BIT);
            drawEyePass(context, second, 0, settings.rightColor);
            secondEye.close();
            break;
        case ViewMode::SideBySide:
        case ViewMode::TopBottom:
        case ViewMode::Interleaved:
        case ViewMode::ColorAnaglyph:
            drawEyesInSharedWindow(context, p, in.windowTop);
            break;
        }
    }

    endFrameSlice();
    const bool firstSlice = !resume;
    state.unfinished = frameSliceStopped();
    if (state.unfinished) {
        if (firstSlice) {
            state.unfinishedBase = frameBase(in, state);
            state.slices.settings = in.settings;
            state.chunksMet = 0;
        }
        state.unfinishedKey = std::move(key);
        state.resumeAt = frameSliceResumePoint();
        state.chunksMet = std::max(state.chunksMet, frameSliceChunksMet());
        if (smooth) {
            endSmoothing(false);
        }
        glEnable(GL_LIGHTING);
        if (secondsSince(state.slices.begun) > kShowProgressAfter && frameOutput.showProgress != nullptr) {
            frameOutput.showProgress(sliceFraction(state.resumeAt, state.chunksMet), in.viewportWidth,
                                     in.viewportHeight, settings.bgColor);
        }
        requestFrameSlice();
        return;
    }
    if (frameSliceBudget() > 0.0) {
        state.slices.lastFrameSeconds = secondsSince(state.slices.begun);
        if (!firstSlice) {
            // A frame drawn in slices: its time is that of all its slices.
            state.detail.record(in.lighter.share, state.slices.lastFrameSeconds);
        }
        state.slices.restarted = false;
        if (state.slices.changedMeanwhile) {
            // The frame was finished with the view it began with: the changed one comes next.
            state.slices.changedMeanwhile = false;
            requestFrameSlice();
        }
    }

    if (settings.showFileName) {
        drawOverEachEyePicture(settings, [&](int, int height) {
            setFrameTypeSize(figureTextSize(settings, figure, height));
            drawFileName(settings.bgColor, in.fileName, frameOutput.drawText);
        });
    }
    // The colour bar, the legend of groups and the help text go to both eyes' pictures.
    const bool legend = showsGroupLegend(settings, in.data);
    if (showsColorBar(settings) || legend || !in.helpLines.empty()) {
        frameOutput.selectDrawBuffer(GL_BACK);
        drawOverEachEyePicture(settings, [&](int width, int height) {
            if (showsColorBar(settings)) {
                drawColorBar(settings, in.data, figure, width, height);
            }
            if (legend) {
                drawGroupLegend(settings, in.data, figure, width, height);
            }
            drawHelpText(in.helpLines, settings.bgColor, figureTextSize(settings, figure, height), width, height);
        });
    }
    // The message belongs to the window, not to an eye: one line over both eyes' pictures.
    if (!in.message.empty()) {
        frameOutput.selectDrawBuffer(GL_BACK);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        drawMessage(in.message, settings.bgColor, figureTextSize(settings, figure, viewport[3]), viewport[2],
                    viewport[3]);
    }
    if (smooth) {
        endSmoothing(true);
    }
    glEnable(GL_LIGHTING);
    if (!firstSlice && frameOutput.showProgress != nullptr) {
        keepShownPicture(in.viewportWidth, in.viewportHeight);  // a slow frame: the next may show progress
    }
    frameOutput.finishFrame();
    if (firstSlice && state.geometry.buildCount() == buildsBefore) {
        const double seconds = secondsSince(frameStart);
        if (tubeFrame.used) {
            state.tubeChoice.record(tubeFrame.drawing, seconds);
        }
        state.detail.record(in.lighter.share, seconds);
    }
}
