// A walk over a .3ds file's bytes before lib3ds reads them. lib3ds 1.3
// trusts every length, count and index in a file: a face naming a point past
// the mesh's points, a material group naming a face past the faces, a chunk
// of length 0 or one running out of its parent, a string without its end or
// a node that is its own parent makes it read or write out of bounds, loop
// for ever, or fail half way and leave its global chunk level counter one
// step deeper for every later file. The walk follows exactly the chunks
// lib3ds reads, in the order it reads them, and refuses the file where
// lib3ds would go wrong; everything lib3ds reads safely passes.
#ifndef VELMORA_SCENE_SCENE_CHECK_H
#define VELMORA_SCENE_SCENE_CHECK_H

#include <stddef.h>

// Deepest node hierarchy accepted: lib3ds and the drawing walk it by
// recursion, one stack frame per level.
#define SCENE_MAX_NODE_DEPTH 512

// 1 when lib3ds 1.3 reads these bytes as they are, 0 when it must not see them.
int sceneBytesReadable(const unsigned char* bytes, size_t size);

#endif
