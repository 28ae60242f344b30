// The wavy grid the pixel tests draw: nx sets of ny points, x across the sets and z along
// them, y a wave of both (wave 0 leaves it flat); data values from -3 upwards, some beyond the
// 50 colours, for format 2 only.
#pragma once

#include <cmath>

#include "core/data_set.h"

inline DataSet waveGrid(int nx, int ny, int format, double wave)
{
    DataSet data;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            const double x = -4.0 + 8.0 * i / (nx - 1 > 0 ? nx - 1 : 1);
            const double z = -4.0 + 8.0 * j / (ny - 1 > 0 ? ny - 1 : 1);
            data.coordArray.push_back({x, wave * (std::sin(0.9 * x) + 0.6 * std::cos(1.3 * z)), z});
            data.groupArray.push_back((i * 7 + j * 3) % 60 - 3);
        }
    }
    if (format != 2) {
        data.groupArray.clear();
    }
    data.fnTrf.nx = nx;
    data.fnTrf.pointsPerSet = ny;
    data.loadedFormat = format;
    double ymin = 1e9;
    for (const Point3d& p : data.coordArray) {
        ymin = std::fmin(ymin, p.y);
    }
    data.ymin = static_cast<float>(ymin);
    return data;
}
