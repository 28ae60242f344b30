// Building the "Control Display" and "Movement Controls" panel windows.
#pragma once

void buildControlPanel();
