// One animated 3D Studio scene: its parsed file, the camera it is seen
// through, and the blending state its display lists leave behind.
#ifndef VELMORA_SCENE_SCENE_H
#define VELMORA_SCENE_SCENE_H

#include "platform/win32.h"

#include <lib3ds/file.h>
#include <lib3ds/node.h>

#define SCENE_PATH_SIZE 256

class Scene {
public:
    Scene();
    // The show never releases its scenes; an owner that does frees the file.
    ~Scene();

    // Loads DATA_DIR followed by fileName, with its camera and the textures
    // its materials name. Failures are shown to the viewer; 1 when drawable.
    int load(const char* fileName);
    // Draws the scene as last posed, then poses it at sceneMs for the next call.
    int render(int sceneMs);
    // Draws a node's children, then the node, recording its list on first use.
    int renderNode(Lib3dsNode* node);

    char path[SCENE_PATH_SIZE];
    Lib3dsFile* file;
    const char* cameraName;
    char targetName[SCENE_PATH_SIZE];
    int additive;
    // 1 once a frame could not be drawn and said why; later frames are silent.
    int failureShown;

private:
    int failRender(const char* message);
    Scene(const Scene&);
    Scene& operator=(const Scene&);
};

#endif
