// One complete frame: clear, light, one or two eye passes, file name, hand-over.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/data_set.h"
#include "core/settings.h"
#include "render/cpu/geometry_cache.h"
#include "render/cpu/lighter_picture.h"
#include "render/cpu/second_eye.h"
#include "render/cpu/stereo_projection.h"
#include "render/cpu/type_face.h"
#include "render/cpu/tube_drawing_choice.h"
#include "render/gl/drawing_policy.h"
#include "render/gl/frame_progress.h"
#include "render/gl/plain_drawing.h"

struct GLUquadric;

// Everything a frame is drawn from.
struct FrameInputs {
    FrameInputs(const Settings& drawnSettings, const DataSet& drawnData) : settings(drawnSettings), data(drawnData) {}

    const Settings& settings;
    const DataSet& data;
    // SettingsVersions::geometry of the settings: the kept arrays are rebuilt when it moves on.
    unsigned long geometryVersion = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
    // The file whose name the overlay writes (empty: none).
    std::string fileName;
    // The quadric of the immediate-mode tubes.
    GLUquadric* quadric = nullptr;
    // The window drawn into: a frame drawn in slices continues only in the window it began in.
    int window = 0;
    // The screen row of the window's topmost row (may be negative): row interleaving gives
    // each eye the screen rows of one parity, wherever the window stands.
    int windowTop = 0;
    // Lines written over the picture at its top left (the keys' help); none when empty. A tab
    // parts a line's two columns.
    std::vector<std::string> helpLines;
    // A message written in one line at the top of the whole picture, once (not per eye); none
    // when empty. Its lines are joined into the one.
    std::string message;
    // Samples per pixel of a picture with smoothed edges, multisampled where the context
    // offers it; 1 draws it unsmoothed.
    int smoothSamples = 1;
    // Drawn pixels per pixel of the picture written: more than 1 where the picture is drawn
    // larger and filtered down. Whatever is sized in pixels (points, lines, type) grows by it.
    double pixelScale = 1.0;
    // The view is fitted to the picture even without the box (orvelle-render --fit).
    bool fitPicture = false;
    // What of the full picture is drawn: a lighter picture while the view moves, the full
    // one (the default) at rest. The full picture is the one to smooth, save or print.
    LighterPicture lighter;
};

// What a display (a window, or a picture without one) keeps from frame to frame.
struct FrameState {
    GeometryStore geometry;
    SecondEye secondEye;
    // Immediate mode for every primitive on every pass, nothing kept between frames: the
    // reference that the drawing from kept vertex arrays is held against (tests and
    // orvelle-render --reference switch it on; the viewer leaves it off).
    bool referenceDrawing = false;
    // Assisted or plain drawing of the kept arrays, or the one that suits the renderer
    // (orvelle-render --drawing, the viewer's ORVELLE_DRAWING); the plain drawing's buffers.
    DrawingPath drawing = DrawingPath::Auto;
    PlainBuffers plainBuffers;
    // A frame left unfinished by a slice, to be continued while everything it is drawn from
    // stays the same.
    bool unfinished = false;
    std::vector<unsigned char> unfinishedKey;
    std::size_t resumeAt = 0;
    // What of the unfinished frame a change of the view alone leaves the same, how many
    // chunks its slices have met, and what frames drawn in slices leave to the next.
    std::vector<unsigned char> unfinishedBase;
    std::size_t chunksMet = 0;
    SliceHistory slices;
    // How filled tubes are drawn (assisted drawing), chosen frame by frame from the frames'
    // times while the view moves, by the tubes' size on screen at rest; tubeTrials: every
    // frame is one of a run that follows the times (frames timed in a run).
    TubeDrawingChoice tubeChoice;
    bool tubeTrials = false;
    // The share of the next lighter picture, from the frames' times against the budget
    // while moving; the lighter picture's grid.
    DetailBudget detail;
    std::vector<unsigned char> detailScene;  // what the detail's times are of
    CoarseGrid coarseGrid;
};

// The display callback's work: one complete picture per call, in MonoView, Anaglyph,
// StereoView or a mode that shows both eyes in the ordinary window (side by side, top and
// bottom, row interleaved, colour anaglyph), with off-axis frustums for the two eyes. While a frame is drawn in slices (see
// setFrameSliceBudget), a call may leave it unfinished (state.unfinished), with nothing
// handed over, and ask for the next slice through requestFrameSlice.
void displayFrame(const FrameInputs& inputs, FrameState& state);

// How an unfinished slice asks for the display callback again (a GLUT redisplay in the viewer).
extern void (*requestFrameSlice)();

// The steps in which a window on screen and a headless picture differ. The defaults serve
// the viewer's GLUT window; a headless renderer replaces them before its first frame.
struct FrameOutput {
    // Selects GL_BACK, GL_BACK_LEFT or GL_BACK_RIGHT for the following drawing.
    void (*selectDrawBuffer)(unsigned int buffer);
    // Writes the file name at the current raster position in the current raster colour (the
    // window's bitmap font; the pictures' type where there is no window).
    void (*drawText)(const char* text);
    // Hands the finished picture over (a buffer swap in the viewer).
    void (*finishFrame)();
    // Shows on the screen how far a slow frame drawn in slices is (fraction 0 to 1) in a
    // viewport of width x height with the given background; null where nothing is shown.
    void (*showProgress)(double fraction, int width, int height, const float background[4]);
    // How wide drawText writes a text in the window's bitmap font, and how far it reaches
    // above and below the baseline; null where drawText writes in the pictures' type.
    TextExtent (*measureText)(const char* text);
};
extern FrameOutput frameOutput;
