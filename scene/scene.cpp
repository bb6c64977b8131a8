#include "scene/scene.h"

#include <stdio.h>
#include <string.h>

#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>

#include "app/display_settings.h"
#include "app/globals.h"
#include "scene/scene_file.h"
#include "textures/texture_registry.h"

// The message holds the whole path and the text around it.
#define SCENE_MESSAGE_SIZE (SCENE_PATH_SIZE + 64)

// Only GL_LIGHT1 to GL_LIGHT7 are free for the file's lights.
#define SCENE_MAX_LIGHTS 7

static const GLfloat kAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
static const GLfloat kDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
static const GLfloat kSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};

Scene::Scene() : file(0), cameraName(0), additive(0), failureShown(0) {}

Scene::~Scene() {
    if (file) lib3ds_file_free(file);
}

// The camera with the least name in byte order, the first of equals. This
// lib3ds keeps its lists in that order already; the search keeps the
// choice independent of the release.
static Lib3dsCamera* leastCamera(Lib3dsCamera* camera) {
    Lib3dsCamera* least = camera;
    for (; camera; camera = camera->next)
        if (strcmp(camera->name, least->name) < 0) least = camera;
    return least;
}

int Scene::load(const char* fileName) {
    int length = snprintf(path, sizeof path, DATA_DIR "%s", fileName);
    // A name that does not fit is not cut short into another file's name. A
    // file lib3ds would misread is refused like one that cannot be opened.
    file = length >= 0 && length < (int)sizeof path ? loadSceneFile(path) : 0;
    if (!file) {
        char message[SCENE_MESSAGE_SIZE];
        snprintf(message, sizeof message, "Load3ds error : Can't load 3ds file %s", path);
        g_settings->reportError(message);
        return 0;
    }
    if (!file->cameras) {
        g_settings->reportError("Load3ds error : no camera");
        lib3ds_file_free(file);
        file = 0;
        return 0;
    }
    cameraName = leastCamera(file->cameras)->name;
    strcpy(targetName, "Camera01");
    for (Lib3dsMaterial* material = file->materials; material; material = material->next)
        if (material->texture1_map.name[0] != '\0') g_textures->add(material->texture1_map.name);
    lib3ds_file_eval(file, 0.0f);
    return 1;
}

// A scene that cannot be drawn says why on its first frame only: a box on
// every frame would hold the show up once per frame for the rest of it.
int Scene::failRender(const char* message) {
    if (!failureShown) g_settings->reportError(message);
    failureShown = 1;
    return 0;
}

int Scene::render(int sceneMs) {
    if (!file) return failRender("load3ds : No file loaded");
    Lib3dsNode* cameraNode = lib3ds_file_node_by_name(file, cameraName, LIB3DS_CAMERA_NODE);
    Lib3dsNode* targetNode = lib3ds_file_node_by_name(file, targetName, LIB3DS_TARGET_NODE);
    if (!cameraNode) return failRender("load3ds : No camera");
    if (!targetNode) return failRender("load3ds : No target");

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(cameraNode->data.camera.fov, 1.333f, 10.0, 20000.0);

    // The camera frame looks along +y with +z up; GL's eye looks along -z.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);

    // Set before the camera matrix, so it stays fixed to the viewer.
    static const GLfloat headlight[4] = {0.0f, -1.0f, 0.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, headlight);

    Lib3dsMatrix view;
    lib3ds_matrix_camera(view, cameraNode->data.camera.pos, targetNode->data.target.pos,
                         cameraNode->data.camera.roll);
    glMultMatrixf(&view[0][0]);

    int index = 0;
    for (Lib3dsLight* light = file->lights; light && index < SCENE_MAX_LIGHTS; light = light->next, index++) {
        GLfloat position[4] = {light->position[0], light->position[1], light->position[2], 0.0f};
        glLightfv(GL_LIGHT1 + index, GL_POSITION, position);
    }

    for (Lib3dsNode* node = file->nodes; node; node = node->next) renderNode(node);

    // Posed after drawing: the next frame shows this moment.
    float frame = sceneMs * 0.01f;
    lib3ds_file_eval(file, frame);
    return 1;
}

// A face's points must index the mesh's points, and its texels when it has any.
static int faceInRange(const Lib3dsMesh* mesh, const Lib3dsFace* face) {
    for (int i = 0; i < 3; i++) {
        Lib3dsDword p = face->points[i];
        if (p >= mesh->points) return 0;
        if (mesh->texels && p >= mesh->texels) return 0;
    }
    return 1;
}

// What the list being compiled has already set, so that a face repeats none
// of it: Mesa joins the triangles of consecutive faces into one draw only
// when no other command stands between them.
struct ListRecording {
    int coloursSet;                  // the material colours
    const Lib3dsMaterial* boundFor;  // the material whose texture is bound
    int opaqueSet;                   // the opaque switch, not undone since
};

// Records one face's material colours, texture, opaque/additive switch and
// triangle into the list being compiled.
static void recordFace(const Lib3dsMesh* mesh, const Lib3dsFace* face, const Lib3dsMaterial* material,
                       int* additive, ListRecording* list) {
    if (!list->coloursSet) {
        glMaterialfv(GL_FRONT, GL_AMBIENT, kAmbient);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, kDiffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, kSpecular);
        list->coloursSet = 1;
    }

    // A face without a material binds nothing and is drawn opaque.
    if (material && material != list->boundFor) {
        g_textures->bindByName(material->texture1_map.name);
        list->boundFor = material;
    }
    if (material && material->transparency != 0.0f) {
        if (*additive == 0) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glDisable(GL_LIGHTING);
            glDisable(GL_CULL_FACE);
            glDisable(GL_DEPTH_TEST);
            *additive = 1;
        }
        list->opaqueSet = 0;
    } else {
        if (!list->opaqueSet) {
            glDisable(GL_BLEND);
            glEnable(GL_LIGHTING);
            glEnable(GL_CULL_FACE);
            glEnable(GL_DEPTH_TEST);
            list->opaqueSet = 1;
        }
        *additive = 0;
    }

    static const GLfloat kCorners[3][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    glBegin(GL_TRIANGLES);
    glNormal3fv(face->normal);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int i = 0; i < 3; i++) {
        Lib3dsWord p = face->points[i];
        if (mesh->texels)
            glTexCoord2f(mesh->texelL[p][0], mesh->texelL[p][1]);
        else
            glTexCoord2f(kCorners[i][0], kCorners[i][1]);
        glVertex3fv(mesh->pointL[p].pos);
    }
    glEnd();
}

int Scene::renderNode(Lib3dsNode* node) {
    for (Lib3dsNode* child = node->childs; child; child = child->next) renderNode(child);

    if (node->type != LIB3DS_OBJECT_NODE) return 1;
    if (strcmp(node->name, "$$$DUMMY") == 0) return 1;

    if (node->user.d == 0) {
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, node->name);
        if (!mesh) return 0;

        node->user.d = glGenLists(1);
        glNewList(node->user.d, GL_COMPILE);

        // The points are stored placed in the world; the inverse placement
        // brings them back into the object's own space. A placement that
        // cannot be inverted is left out, so the points stay as stored.
        Lib3dsMatrix inverse;
        lib3ds_matrix_copy(inverse, mesh->matrix);
        if (lib3ds_matrix_inv(inverse)) glMultMatrixf(&inverse[0][0]);

        Lib3dsMaterial* material = 0;
        ListRecording list = {0, 0, 0};
        for (Lib3dsDword i = 0; i < mesh->faces; i++) {
            Lib3dsFace* face = &mesh->faceL[i];
            if (face->material[0] != '\0') material = lib3ds_file_material_by_name(file, face->material);
            // A face indexing past the points or texels is left out whole.
            if (!faceInRange(mesh, face)) continue;
            recordFace(mesh, face, material, &additive, &list);
        }
        glEndList();
    }
    if (node->user.d == 0) return 1;

    glPushMatrix();
    glMultMatrixf(&node->matrix[0][0]);
    glTranslatef(-node->data.object.pivot[0], -node->data.object.pivot[1], -node->data.object.pivot[2]);
    glCallList(node->user.d);
    glPopMatrix();
    return 1;
}
