// The announced second eye of a frame and the work kept for its pass.
#include "render/cpu/second_eye.h"

#include "core/matrix_math.h"

void SecondEye::announce(const double projection[16], const double viewChange[16], bool sharedDepth,
                         int secondRowParity)
{
    sharedDepth_ = sharedDepth;
    secondRowParity_ = secondRowParity;
    for (int k = 0; k < 16; ++k) {
        projection_[k] = projection[k];
        viewChange_[k] = viewChange[k];
    }
    announced_ = true;
    ++generation_;
}

void SecondEye::forget()
{
    announced_ = false;
}

void SecondEye::close()
{
    announced_ = false;
    ++generation_;
}

bool SecondEye::transform(const float modelview[16], float projection[16], float secondModelview[16]) const
{
    if (!announced_) {
        return false;
    }
    double first[16], secondView[16];
    for (int k = 0; k < 16; ++k) {
        first[k] = modelview[k];
    }
    multiplyMatrices(viewChange_, first, secondView);
    for (int k = 0; k < 16; ++k) {
        secondModelview[k] = static_cast<float>(secondView[k]);
        projection[k] = static_cast<float>(projection_[k]);
    }
    return true;
}

bool SecondEyeWork::takeFor(const SecondEye& eye, const DrawnArrays& passDrawn, const PassTransform& t,
                            const float passClipFromModel[16], int passRowParity)
{
    const bool serves = ready && generation == eye.generation() && drawn == passDrawn && width == t.viewport[2] &&
                        height == t.viewport[3] && rowParity == passRowParity &&
                        nearlySameMatrix(clipFromModel, passClipFromModel);
    ready = false;
    return serves;
}

bool SecondEyeWork::startFor(const SecondEye& eye, const DrawnArrays& passDrawn, const PassTransform& t)
{
    float projection[16], modelview[16];
    if (!eye.transform(t.modelview, projection, modelview)) {
        return false;
    }
    multiplyMatrices(projection, modelview, clipFromModel);
    ready = true;
    generation = eye.generation();
    drawn = passDrawn;
    rowParity = eye.secondRowParity();
    width = t.viewport[2];
    height = t.viewport[3];
    return true;
}

bool sameCulling(const FaceCulling& a, const FaceCulling& b)
{
    if (a.on != b.on || a.width != b.width || a.height != b.height || a.rowParity != b.rowParity ||
        !nearlySameMatrix(a.clipFromModel, b.clipFromModel)) {
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        if (!nearlyEqual(a.eye[k], b.eye[k])) {
            return false;
        }
    }
    return true;
}
