// Which OpenGL context is current, for the objects and buffer contents kept per context.
#pragma once

// The current context (EGL's, else GLX's); null when none is current.
const void* currentGlContext();
