// The announced second eye of a frame.
#include "render/second_eye.h"

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
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += second.viewChange[k * 4 + r] * static_cast<double>(modelview[c * 4 + k]);
            }
            secondModelview[c * 4 + r] = static_cast<float>(sum);
            projection[c * 4 + r] = static_cast<float>(second.projection[c * 4 + r]);
        }
    }
    return true;
}
