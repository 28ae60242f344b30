// Reader of a sampled surface written as a Maple GRID structure.
#pragma once

void readMapleFile(const char* path);
