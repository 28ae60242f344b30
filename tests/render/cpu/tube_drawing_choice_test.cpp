// The choice of the tubes' drawing from the frames' times.
#include <gtest/gtest.h>

#include <vector>

#include "render/cpu/tube_drawing_choice.h"

namespace {

const std::vector<unsigned char> kScene = {1, 2, 3};

// Runs frames, each taking what time gives for the chosen drawing; returns the choices.
template <typename Time>
std::vector<TubeDrawing> run(TubeDrawingChoice& choice, int frames, const Time& time,
                             const std::vector<unsigned char>& key = kScene)
{
    std::vector<TubeDrawing> chosen;
    for (int k = 0; k < frames; ++k) {
        const TubeDrawing d = choice.next(key);
        choice.record(d, time(d));
        chosen.push_back(d);
    }
    return chosen;
}

int count(const std::vector<TubeDrawing>& chosen, TubeDrawing d)
{
    int n = 0;
    for (TubeDrawing c : chosen) {
        n += c == d ? 1 : 0;
    }
    return n;
}

TEST(TubeDrawingChoice, TriesBothThenKeepsToTheFasterAndLooksAtTheOtherNowAndThen)
{
    for (const TubeDrawing faster : {TubeDrawing::Pixels, TubeDrawing::Triangles}) {
        const TubeDrawing slower = faster == TubeDrawing::Pixels ? TubeDrawing::Triangles : TubeDrawing::Pixels;
        TubeDrawingChoice choice;
        // A little slower: looked at again every kProbeEvery frames.
        const auto close = [&](TubeDrawing d) { return d == faster ? 0.020 : 0.025; };
        const std::vector<TubeDrawing> chosen = run(choice, 2 + 4 * (TubeDrawingChoice::kProbeEvery + 1), close);
        EXPECT_EQ(chosen[0], TubeDrawing::Pixels);
        EXPECT_EQ(chosen[1], TubeDrawing::Triangles);
        EXPECT_EQ(count(chosen, slower), 1 + 4);
        // Far slower: looked at kFarProbeFactor times less often.
        TubeDrawingChoice far;
        const auto apart = [&](TubeDrawing d) { return d == faster ? 0.020 : 0.100; };
        const int frames = 2 + 2 * TubeDrawingChoice::kProbeEvery * TubeDrawingChoice::kFarProbeFactor;
        EXPECT_EQ(count(run(far, frames, apart), slower), 1 + 1);
    }
}

TEST(TubeDrawingChoice, FollowsAViewThatTurnsTheBalanceAndStartsOverForOtherScenes)
{
    TubeDrawingChoice choice;
    run(choice, 10, [](TubeDrawing d) { return d == TubeDrawing::Pixels ? 0.01 : 0.02; });
    EXPECT_EQ(choice.next(kScene), TubeDrawing::Pixels);
    // The tubes grow large on screen: the triangles become the faster, and once looked at
    // again they are kept to.
    const std::vector<TubeDrawing> chosen =
        run(choice, 3 * TubeDrawingChoice::kProbeEvery, [](TubeDrawing d) { return d == TubeDrawing::Pixels ? 0.05 : 0.02; });
    EXPECT_EQ(chosen.back(), TubeDrawing::Triangles);
    EXPECT_GT(count(chosen, TubeDrawing::Triangles), 2 * TubeDrawingChoice::kProbeEvery);
    // Another scene is tried afresh; the first is kept beside it, until more scenes than
    // are kept come between.
    EXPECT_EQ(choice.next({4}), TubeDrawing::Pixels);
    EXPECT_EQ(choice.next(kScene), TubeDrawing::Triangles);
    for (unsigned char other = 10; other < 10 + TubeDrawingChoice::kKeptScenes; ++other) {
        choice.next({other});
    }
    EXPECT_EQ(choice.next(kScene), TubeDrawing::Pixels);
    // A picture at rest takes the drawing its tubes' size suggests, whatever the times.
    EXPECT_EQ(choice.next(kScene, TubeDrawing::Triangles, false), TubeDrawing::Triangles);
    EXPECT_EQ(choice.next(kScene, TubeDrawing::Pixels, false), TubeDrawing::Pixels);
    // A scene not timed yet tries the suggested drawing first.
    EXPECT_EQ(choice.next({99}, TubeDrawing::Triangles), TubeDrawing::Triangles);
    // A fixed drawing holds whatever the times.
    choice.fix(TubeDrawing::Triangles);
    EXPECT_EQ(count(run(choice, 5, [](TubeDrawing) { return 1.0; }), TubeDrawing::Triangles), 5);
    choice.unfix();
}

}  // namespace
