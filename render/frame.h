// One complete frame: clear, light, one or two eye passes, file name, swap.
#pragma once

void displayFrame();
