// OpenGL 1.1 as the system uses it, on WebGL 2: the fixed-function state,
// lighting, materials, textures, matrices and display lists. The GL entry
// points keep their own names (gl11.cpp defines them); the real WebGL calls
// are reached under Emscripten's emscripten_gl names.
#ifndef VELMORA_PLATFORM_WEB_GL11_H
#define VELMORA_PLATFORM_WEB_GL11_H

namespace gl11 {

// With the WebGL context current: compiles the shader that stands for the
// fixed pipeline and sets the GL 1.1 defaults. False when the shader fails.
bool start();
// Forgets every list, texture record and buffer (the context is gone).
void stop();

}  // namespace gl11

#endif
