// The show's data: seven scenes and the textures their materials name.
#ifndef VELMORA_TOOLS_SCENEGEN_SHOW_H
#define VELMORA_TOOLS_SCENEGEN_SHOW_H

#include <string>
#include <vector>

#include "tools/scenegen/image.h"
#include "tools/scenegen/scene_builder.h"

struct ShowScene {
    const char* file;
    int durationMs;  // how long the show plays it
    void (*build)(SceneBuilder& scene);
};

struct ShowTexture {
    const char* file;
    Image (*make)();
};

// In play order.
const std::vector<ShowScene>& showScenes();
const std::vector<ShowTexture>& showTextures();

// Animation frames that cover a scene's time on screen: ten a second.
int framesFor(int durationMs);

// Writes every texture and scene into `folder`; on failure names the file.
bool writeShow(const std::string& folder, std::string* failedFile);

#endif
