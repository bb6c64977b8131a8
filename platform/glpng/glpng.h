// pngBind, the one glpng call the system makes, on libpng, zlib and GLU.
// Names, argument order and constants are glpng's.
#ifndef VELMORA_PLATFORM_GLPNG_GLPNG_H
#define VELMORA_PLATFORM_GLPNG_GLPNG_H

// Mipmap modes.
#define PNG_NOMIPMAPS 0       // level 0 only
#define PNG_BUILDMIPMAPS -1   // every level down to 1 x 1

// Transparency modes. Only opaque textures are provided.
#define PNG_SOLID -1          // RGB, any alpha or tRNS dropped

typedef struct {
    unsigned int Width;   // of the file's image, before any rescaling
    unsigned int Height;
    unsigned int Depth;   // bits per channel in the file
    unsigned int Alpha;   // bits of alpha in the file (0 when none)
} pngInfo;

// Makes one new texture name, binds it to GL_TEXTURE_2D and sets both wraps
// to wrapst and the two filters, all before the file is opened; the texture
// stays bound when it is returned. On failure it is deleted again, which
// leaves texture 0 bound. Reads the file as opaque 8-bit RGB corrected
// for a screen gamma of 2.2 (or 2.2 / VIEWING_GAMMA), rescales sides that are
// not powers of two up to the next power of two (at most
// GL_MAX_TEXTURE_SIZE), uploads it top row first at t = 0 and, unless mipmap
// is PNG_NOMIPMAPS, every mipmap level down to 1 x 1. Returns the texture
// name, or 0 when the file cannot be opened, is not a PNG, cannot be
// decoded, or when the decoded image or the texture with its mipmap levels
// would take more than 64 MiB. info, when not null, receives the file's properties on success.
unsigned int pngBind(const char* filename, int mipmap, int trans, pngInfo* info,
                     int wrapst, int minfilter, int magfilter);

#endif
