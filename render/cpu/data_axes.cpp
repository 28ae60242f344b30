// The data's box and its ticks in the data's own units.
#include "render/cpu/data_axes.h"

std::array<DataAxis, 3> dataAxes(const DataSet& data)
{
    std::array<DataAxis, 3> axes;
    for (int a = 0; a < 3; ++a) {
        const AxisMapping mapping = rawAxis(data, a);
        DataAxis& axis = axes[static_cast<std::size_t>(a)];
        axis.low = rawToCube(data.rawMin[a], mapping);
        axis.high = rawToCube(data.rawMax[a], mapping);
        axis.ticks = niceTicks(data.rawMin[a], data.rawMax[a]);
        for (double value : axis.ticks.values) {
            axis.drawn.push_back(rawToCube(value, mapping));
        }
    }
    return axes;
}
