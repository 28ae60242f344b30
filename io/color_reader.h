// Reader of the "Data with Color" format: as "Data", with a group number after each point.
#pragma once

void readColorDataFile(const char* path);
