#include "textures/texture_registry.h"

#include <stdio.h>
#include <string.h>

#include "platform/glpng.h"

// The longest path is the prefix and a name of TEXTURE_NAME_SIZE - 1 bytes.
#define TEXTURE_PATH_SIZE 256

TextureRegistry::TextureRegistry() : count(0) {}

// Names come from scene files: one holding a separator, or "..", would
// open a file outside the data folder.
static int staysInDataFolder(const char* name) {
    return !strchr(name, '/') && !strchr(name, '\\') && strcmp(name, "..") != 0;
}

int TextureRegistry::load(const char* name) {
    if (count >= TEXTURE_SLOTS) return 0;
    // A name that cannot be stored whole could never be bound by name:
    // refuse it before any texture is made or file opened.
    if (!name || strnlen(name, TEXTURE_NAME_SIZE) >= TEXTURE_NAME_SIZE) return 0;
    if (!staysInDataFolder(name)) return 0;

    char path[TEXTURE_PATH_SIZE];
    snprintf(path, sizeof path, DATA_DIR "%s", name);

    ids[count] = pngBind(path, PNG_BUILDMIPMAPS, PNG_SOLID, NULL, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    // A failed load leaves the slot free for the next one.
    if (ids[count] == 0) return 0;

    strcpy(names[count], name);
    count++;
    return 1;
}

int TextureRegistry::add(const char* name) {
    load(name);
    return 1;
}

int TextureRegistry::bindByIndex(int slot) {
    // Slots past count hold nothing; binding them would read garbage.
    if (slot < 0 || slot >= count) return 0;
    glBindTexture(GL_TEXTURE_2D, ids[slot]);
    return 1;
}

int TextureRegistry::bindByName(const char* name) {
    if (!name) return 0;
    for (int slot = 0; slot < count; slot++) {
        if (strcmp(names[slot], name) == 0) {
            glBindTexture(GL_TEXTURE_2D, ids[slot]);
            return 1;
        }
    }
    return 0;
}
