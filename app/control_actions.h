// The one callback of every panel control that has an id.
#pragma once

void controlAction(int id);
