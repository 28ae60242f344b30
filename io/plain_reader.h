// Reader of the "Data" format: a header "nx pointsPerSet", then x y z per point.
#pragma once

void readDataFile(const char* path);
