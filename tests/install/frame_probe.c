/* Preloaded (LD_PRELOAD) into a program under test; never linked into one.
 * Before every tenth SDL_GL_SwapWindow it samples the picture being shown, a
 * 16 x 12 grid over the viewport of the framebuffer bound for reading, and
 * appends "frame N colours K" to the file named by VELMORA_FRAME_PROBE. */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

void SDL_GL_SwapWindow(void* window) {
    static void (*swap)(void*);
    static FILE* out;
    static int frame;
    if (!swap) *(void**)&swap = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (!out && getenv("VELMORA_FRAME_PROBE")) out = fopen(getenv("VELMORA_FRAME_PROBE"), "w");
    if (out && frame % 10 == 0) {
        GLint view[4];
        glGetIntegerv(GL_VIEWPORT, view);
        unsigned colours[16 * 12];
        int count = 0;
        for (int gy = 0; gy < 12; ++gy)
            for (int gx = 0; gx < 16; ++gx) {
                unsigned char rgba[4] = {0, 0, 0, 0};
                glReadPixels(view[0] + (2 * gx + 1) * view[2] / 32, view[1] + (2 * gy + 1) * view[3] / 24, 1, 1,
                             GL_RGBA, GL_UNSIGNED_BYTE, rgba);
                unsigned c = (unsigned)rgba[0] << 16 | (unsigned)rgba[1] << 8 | rgba[2];
                int seen = 0;
                for (int i = 0; i < count && !seen; ++i) seen = colours[i] == c;
                if (!seen) colours[count++] = c;
            }
        fprintf(out, "frame %d colours %d\n", frame, count);
        fflush(out);
    }
    ++frame;
    if (swap) swap(window);
}
