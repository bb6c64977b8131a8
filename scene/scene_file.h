// Reading a .3ds file for lib3ds: the file is read once into memory, checked,
// and parsed by lib3ds from those same bytes.
#ifndef VELMORA_SCENE_SCENE_FILE_H
#define VELMORA_SCENE_SCENE_FILE_H

#include <stddef.h>

#include <lib3ds/file.h>

// Larger files are refused unread: no scene of the show comes near it.
#define SCENE_FILE_MAX_BYTES (256u << 20)

// The parsed file, owned by the caller; none when the file cannot be opened
// or read, is larger than SCENE_FILE_MAX_BYTES, or is not one lib3ds reads
// safely.
Lib3dsFile* loadSceneFile(const char* path);

// The same from bytes already in memory; the bytes stay the caller's.
Lib3dsFile* parseSceneBytes(const unsigned char* bytes, size_t size);

#endif
