// The current context from EGL (pictures without a window) or GLX (the viewer's windows).
// Kept apart because the GLX header brings Xlib's macros with it.
#include "render/gl/gl_context_id.h"

#include <EGL/egl.h>
#include <GL/glx.h>

const void* currentGlContext()
{
    const EGLContext egl = eglGetCurrentContext();
    if (egl != EGL_NO_CONTEXT) {
        return egl;
    }
    return glXGetCurrentContext();
}
