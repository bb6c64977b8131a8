// The table of named, mipmapped textures loaded from PNG files under data.
#ifndef VELMORA_TEXTURES_TEXTURE_REGISTRY_H
#define VELMORA_TEXTURES_TEXTURE_REGISTRY_H

#include "platform/win32.h"

#define TEXTURE_SLOTS 256
#define TEXTURE_NAME_SIZE 64

class TextureRegistry {
public:
    TextureRegistry();

    int load(const char* name);
    int add(const char* name);
    int bindByIndex(int slot);
    int bindByName(const char* name);

    int count;
    GLuint ids[TEXTURE_SLOTS];
    char names[TEXTURE_SLOTS][TEXTURE_NAME_SIZE];
};

#endif
