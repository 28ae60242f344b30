// The announced second eye of a frame.
#include "render/cpu/second_eye.h"

#include "core/matrix_math.h"

namespace {

struct SecondEye {
    bool announced = false;
    unsigned long generation = 0;
    double projection[16] = {};
    double viewChange[16] = {};
};
SecondEye second;

}  // namespace

void announceSecondEye(const double projection[16], const double viewChange[16])
{
    for (int k = 0; k < 16; ++k) {
        second.projection[k] = projection[k];
        second.viewChange[k] = viewChange[k];
    }
    second.announced = true;
    ++second.generation;
}

void forgetSecondEye()
{
    second.announced = false;
}

void closeSecondEye()
{
    second.announced = false;
    ++second.generation;
}

unsigned long secondEyeGeneration()
{
    return second.generation;
}

bool secondEyeTransform(const float modelview[16], float projection[16], float secondModelview[16])
{
    if (!second.announced) {
        return false;
    }
    double first[16], secondView[16];
    for (int k = 0; k < 16; ++k) {
        first[k] = modelview[k];
    }
    multiplyMatrices(second.viewChange, first, secondView);
    for (int k = 0; k < 16; ++k) {
        secondModelview[k] = static_cast<float>(secondView[k]);
        projection[k] = static_cast<float>(second.projection[k]);
    }
    return true;
}
