// The viewer's keys for views, help and saving without a window; pictures saved with a
// counter that never overwrites and a clear line when the folder takes nothing; the view
// saved beside the data.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/key_help.h"
#include "app/navigation.h"
#include "app/picture_saving.h"
#include "app/view_motion.h"
#include "app/viewer_state.h"
#include "core/view_presets.h"
#include "io/view_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

ShownPicture smallPicture(unsigned char shade)
{
    ShownPicture p;
    p.width = 4;
    p.height = 3;
    p.rgb.assign(4 * 3 * 3, shade);
    return p;
}

// Runs body in a forked child (for a private mount); "" when it passed, "skip: why", or
// what failed.
std::string inChild(const std::function<std::string()>& body)
{
    int ends[2];
    if (pipe(ends) != 0) {
        return std::string("pipe: ") + std::strerror(errno);
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        const std::string result = body();
        const ssize_t ignored = write(ends[1], result.data(), result.size());
        (void)ignored;
        _exit(0);
    }
    close(ends[1]);
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? report : "the child died";
}

// In a child only: folder becomes a read-only file system seen by this process alone.
std::string sealFolder(const std::string& folder)
{
    if (unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return std::string("skip: no mount namespace: ") + std::strerror(errno);
        }
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0 ||
        mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
        return std::string("skip: cannot mount a read-only tmpfs: ") + std::strerror(errno);
    }
    return "";
}

class ViewsAndPictures : public ::testing::Test {
protected:
    void SetUp() override { viewer = ViewerState{}; }
    void TearDown() override { viewer = ViewerState{}; }
};

}  // namespace

TEST_F(ViewsAndPictures, NumberKeysTurnToPresetsAndZeroFitsTheData)
{
    viewer.rotateMat[1] = 0.4f;  // the trackball turned
    viewer.scale = 2.0f;
    viewer.objTrans[0] = 1.0f;
    const struct {
        unsigned char key;
        PresetView view;
    } presets[] = {{'1', PresetView::Front}, {'2', PresetView::Top}, {'3', PresetView::Side},
                   {'4', PresetView::ThreeQuarter}};
    for (const auto& p : presets) {
        EXPECT_EQ(applyKey(p.key), ScreenRequest::RestTrackball) << p.key;
        const PresetAngles a = presetAngles(p.view);
        EXPECT_EQ(viewer.angleX, a.x) << p.key;
        EXPECT_EQ(viewer.angleY, a.y) << p.key;
        EXPECT_EQ(viewer.rotateMat[1], 0.0f) << p.key << ": the trackball at rest";
        Settings expected;
        applyPresetView(expected, p.view);
        for (int k = 0; k < 16; ++k) {
            EXPECT_EQ(viewer.angleMat[k], expected.angleMat[k]) << p.key << " element " << k;
        }
    }
    EXPECT_EQ(viewer.scale, 2.0f) << "presets keep the size";
    applyKey('Y');
    EXPECT_EQ(applyKey('0'), ScreenRequest::RestTrackball);
    EXPECT_EQ(viewer.angleY, 0.0f);
    EXPECT_EQ(viewer.scale, 1.0f);
    EXPECT_EQ(viewer.objTrans[0], 0.0f);
    EXPECT_EQ(viewer.angleMat[8], 0.0f);
}

TEST_F(ViewsAndPictures, HelpComesAndGoesAndSavingIsAskedOf)
{
    EXPECT_TRUE(displayFrameInputs().helpLines.empty());
    EXPECT_EQ(applyKey('h'), ScreenRequest::None);
    EXPECT_EQ(displayFrameInputs().helpLines, keyHelpColumns());
    applyKey('h');
    EXPECT_TRUE(displayFrameInputs().helpLines.empty());
    applyKey('?');
    EXPECT_EQ(viewer.showHelp, 1);
    applyKey('?');
    EXPECT_EQ(viewer.showHelp, 0);
    EXPECT_EQ(applyKey('w'), ScreenRequest::SavePicture);
    EXPECT_EQ(applyKey('v'), ScreenRequest::SaveView);
    // The help and orvelle --help list the same keys.
    const std::string usage = viewerUsage();
    for (const std::string& line : keyHelpLines()) {
        EXPECT_TRUE(contains(usage, line)) << line;
    }
    EXPECT_TRUE(contains(usage, "--color-by eye|height|group"));
    EXPECT_TRUE(contains(usage, "--view-file F"));
}

TEST_F(ViewsAndPictures, APictureAskedForIsSmoothedWhileSmoothEdgesIsOn)
{
    // The frame of a change is drawn unsmoothed; a picture for w is smoothed at once.
    noteViewChange();
    if (!pictureSaveRequested()) {
        EXPECT_EQ(smoothSamplesOfNextFrame(), 1);
    }
    requestPictureSave();
    EXPECT_EQ(smoothSamplesOfNextFrame(), kRestSamples);
    viewer.smoothEdges = 0;
    EXPECT_EQ(smoothSamplesOfNextFrame(), 1) << "\"Smooth edges\" off";
    // The help over the picture parts each line's keys from its action, for two columns.
    for (const std::string& line : keyHelpColumns()) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 1) << line;
    }
}

TEST_F(ViewsAndPictures, PicturesTakeTheNextFreeNumberAndNeverOverwrite)
{
    TempFolder folder;
    folder.write("ripple-002.png", "someone else's");
    std::string first, second, third;
    const std::string printed = captureStdout([&] {
        first = savePictureInto(folder.str(), "/data/ripple.mpl", smallPicture(10));
        second = savePictureInto(folder.str(), "/data/ripple.mpl", smallPicture(20));
        third = savePictureInto(folder.str(), "ripple.mpl", smallPicture(30));
    });
    EXPECT_EQ(first, folder.path("ripple-001.png"));
    EXPECT_EQ(second, folder.path("ripple-003.png"));
    EXPECT_EQ(third, folder.path("ripple-004.png"));
    EXPECT_EQ(fileContents(folder.path("ripple-002.png")), "someone else's");
    EXPECT_EQ(fileContents(first).substr(1, 3), "PNG");
    EXPECT_EQ(splitLines(printed), (std::vector<std::string>{"Picture saved: " + first, "Picture saved: " + second,
                                                             "Picture saved: " + third}));
}

TEST_F(ViewsAndPictures, AFolderThatTakesNothingGivesOneClearLine)
{
    TempFolder folder;
    const std::string sealed = folder.folder("sealed").string();
    const std::string report = inChild([&]() -> std::string {
        const std::string why = sealFolder(sealed);
        if (!why.empty()) {
            return why;
        }
        std::string path = "unchanged";
        const std::string printed = captureStdout([&] { path = savePictureInto(sealed, "ripple.mpl", smallPicture(5)); });
        const std::string expected = "Picture not saved: Cannot create a picture in " + sealed + ": " +
                                     std::strerror(EROFS) + "\n";
        if (!path.empty() || printed != expected) {
            return "printed '" + printed + "' and returned '" + path + "'";
        }
        return "";
    });
    if (report.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << report.substr(6);
    }
    EXPECT_EQ(report, "");
}

TEST_F(ViewsAndPictures, TheViewIsSavedBesideTheDataAndReadBack)
{
    TempFolder folder;
    viewer.scale = 0.5f;
    viewer.colorBy = ColorBy::Group;
    std::string path;
    const std::string printed = captureStdout([&] { path = saveViewBesideData(folder.path("ripple.mpl")); });
    EXPECT_EQ(path, folder.path("ripple.view"));
    EXPECT_EQ(printed, "View saved: " + path + "\n");
    Settings read;
    std::string error;
    ASSERT_TRUE(readViewFile(path, read, error)) << error;
    EXPECT_EQ(read.scale, 0.5f);
    EXPECT_EQ(read.colorBy, ColorBy::Group);

    const std::string failed = captureStdout([&] { path = saveViewBesideData(folder.path("gone/ripple.mpl")); });
    EXPECT_EQ(path, "");
    EXPECT_TRUE(contains(failed, "View not saved: Cannot save the view " + folder.path("gone/ripple.view")))
        << failed;
}
