// OpenGL 1.1 on WebGL 2, as much of it as the system draws with. One shader
// stands for the fixed pipeline (GL's per-vertex lighting formula, then the
// texture modulating the colour); matrices, lights and materials are kept
// here and handed to it as uniforms. A display list records its geometry
// into one vertex buffer, so calling it costs a draw call per run of faces
// that no state change separates, not one per triangle.
#include "platform/web/gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

// The real WebGL calls, by the names Emscripten gives them beside the plain ones.
extern "C" {
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
void emscripten_glClear(GLbitfield);
void emscripten_glClearColor(GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
void emscripten_glDepthFunc(GLenum);
void emscripten_glDepthMask(GLboolean);
void emscripten_glCullFace(GLenum);
void emscripten_glFrontFace(GLenum);
void emscripten_glBlendFunc(GLenum, GLenum);
void emscripten_glPolygonOffset(GLfloat, GLfloat);
void emscripten_glPixelStorei(GLenum, GLint);
void emscripten_glTexParameteri(GLenum, GLenum, GLint);
void emscripten_glGenTextures(GLsizei, GLuint*);
void emscripten_glDeleteTextures(GLsizei, const GLuint*);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glGetIntegerv(GLenum, GLint*);
void emscripten_glGetFloatv(GLenum, GLfloat*);
GLenum emscripten_glGetError(void);
void emscripten_glFinish(void);
void emscripten_glFlush(void);
void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
GLuint emscripten_glCreateShader(GLenum);
void emscripten_glShaderSource(GLuint, GLsizei, const GLchar* const*, const GLint*);
void emscripten_glCompileShader(GLuint);
void emscripten_glGetShaderiv(GLuint, GLenum, GLint*);
void emscripten_glGetShaderInfoLog(GLuint, GLsizei, GLsizei*, GLchar*);
GLuint emscripten_glCreateProgram(void);
void emscripten_glAttachShader(GLuint, GLuint);
void emscripten_glBindAttribLocation(GLuint, GLuint, const GLchar*);
void emscripten_glLinkProgram(GLuint);
void emscripten_glGetProgramiv(GLuint, GLenum, GLint*);
void emscripten_glGetProgramInfoLog(GLuint, GLsizei, GLsizei*, GLchar*);
void emscripten_glUseProgram(GLuint);
GLint emscripten_glGetUniformLocation(GLuint, const GLchar*);
void emscripten_glUniform1i(GLint, GLint);
void emscripten_glUniform1f(GLint, GLfloat);
void emscripten_glUniform1iv(GLint, GLsizei, const GLint*);
void emscripten_glUniform4fv(GLint, GLsizei, const GLfloat*);
void emscripten_glUniformMatrix3fv(GLint, GLsizei, GLboolean, const GLfloat*);
void emscripten_glUniformMatrix4fv(GLint, GLsizei, GLboolean, const GLfloat*);
void emscripten_glGenBuffers(GLsizei, GLuint*);
void emscripten_glDeleteBuffers(GLsizei, const GLuint*);
void emscripten_glBindBuffer(GLenum, GLuint);
void emscripten_glBufferData(GLenum, GLsizeiptr, const void*, GLenum);
void emscripten_glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
void emscripten_glEnableVertexAttribArray(GLuint);
void emscripten_glDrawArrays(GLenum, GLint, GLsizei);
}

namespace {

const int kLights = 8;
const int kStackDepth = 32;
const int kLevels = 16;
const int kListNesting = 64;

struct Mat4 {
    GLfloat m[16];  // column major, as GL keeps it
};

Mat4 identity() {
    Mat4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = s;
        }
    return r;
}

struct Vertex {
    GLfloat pos[3];
    GLfloat normal[3];
    GLfloat tex[2];
    GLfloat colour[4];
};

struct Light {
    GLfloat ambient[4] = {0, 0, 0, 1};
    GLfloat diffuse[4] = {0, 0, 0, 1};
    GLfloat specular[4] = {0, 0, 0, 1};
    GLfloat position[4] = {0, 0, 1, 0};  // in eye space
    GLfloat attenuation[4] = {1, 0, 0, 0};
    bool on = false;
};

struct Material {
    GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    GLfloat specular[4] = {0, 0, 0, 1};
    GLfloat emission[4] = {0, 0, 0, 1};
    GLfloat shininess = 0;
};

// What GL needs to know of a texture to tell whether it is complete: an
// incomplete one turns texturing off, as in GL 1.1.
struct TextureRecord {
    int width[kLevels] = {};
    int height[kLevels] = {};
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
};

// One recorded command of a display list.
enum OpKind { OpDraw, OpCap, OpMaterial, OpBind, OpBlend, OpMatrix, OpPush, OpPop, OpLight, OpCall, OpDepthFunc,
              OpCullFace, OpColour, OpNormal };

struct Op {
    OpKind kind;
    GLenum a = 0, b = 0;
    GLfloat v[16] = {};
    int first = 0, count = 0;
};

struct List {
    std::vector<Op> ops;
    std::vector<Vertex> vertices;  // while recording
    GLuint buffer = 0;
};

struct PixelStore {
    GLint unpackAlignment = 4, unpackRowLength = 0, unpackSkipRows = 0, unpackSkipPixels = 0, unpackSwap = 0;
    GLint packAlignment = 4, packRowLength = 0, packSkipRows = 0, packSkipPixels = 0, packSwap = 0;
};

struct Uniforms {
    GLint mvp, modelView, normalMatrix, lighting, normalize, lightOn, lightPos, lightAmbient, lightDiffuse,
        lightSpecular, lightAttenuation, sceneAmbient, matAmbient, matDiffuse, matSpecular, matEmission, shininess,
        texturing, sampler;
};

// What glPushAttrib keeps: the switches, lights and material this layer
// holds, the current colour and normal, the bound texture, and the WebGL
// state it passes straight through.
struct Attributes {
    bool lighting, texture2d, normalize, blend, depthTest, cullFace, polygonOffset, colourMaterial;
    Light lights[kLights];
    GLfloat sceneAmbient[4];
    Material front;
    GLfloat colour[4];
    GLfloat normal[3];
    GLuint bound;
    GLint blendSrc, blendDst, depthFunc, cullMode, frontFace, depthMask, viewport[4];
    GLfloat offsetFactor, offsetUnits, clearColour[4];
};

struct State {
    Mat4 stacks[3][kStackDepth];
    int depth[3] = {0, 0, 0};
    int mode = 0;  // 0 modelview, 1 projection, 2 texture

    bool lighting = false, texture2d = false, normalize = false, blend = false, depthTest = false,
         cullFace = false, polygonOffset = false, colourMaterial = false;
    Light lights[kLights];
    GLfloat sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    Material front;

    GLfloat colour[4] = {1, 1, 1, 1};
    GLfloat normal[3] = {0, 0, 1};
    GLfloat tex[2] = {0, 0};
    GLenum primitive = 0;
    bool inBegin = false;
    std::vector<Vertex> begun;

    GLuint bound = 0;
    std::map<GLuint, TextureRecord> textures;

    std::map<GLuint, List> lists;
    GLuint nextList = 1;
    GLuint recording = 0;
    GLenum recordMode = 0;
    int nesting = 0;

    PixelStore pixels;
    std::vector<PixelStore> pixelStack;
    std::vector<struct Attributes> attributeStack;

    GLenum error = GL_NO_ERROR;
    GLuint program = 0, stream = 0;
    Uniforms u{};
    bool started = false;
};

State& gl() {
    static State s;
    return s;
}

void setError(GLenum e) {
    if (gl().error == GL_NO_ERROR) gl().error = e;
}

Mat4& top() { return gl().stacks[gl().mode][gl().depth[gl().mode]]; }
Mat4& modelView() { return gl().stacks[0][gl().depth[0]]; }

// GL calls made with no context current do nothing, as in GL.
bool live() { return gl().started; }

bool recording() { return gl().recording != 0; }
// The command runs now: outside a list, or in a list compiled and executed.
bool executing() { return !recording() || gl().recordMode == GL_COMPILE_AND_EXECUTE; }
void record(const Op& op) { gl().lists[gl().recording].ops.push_back(op); }

const char* const kVertexShader = R"(#version 300 es
in vec3 aPos;
in vec3 aNormal;
in vec2 aTex;
in vec4 aColour;
uniform mat4 uMvp, uModelView;
uniform mat3 uNormalMatrix;
uniform bool uLighting, uNormalize;
uniform int uLightOn[8];
uniform vec4 uLightPos[8], uLightAmbient[8], uLightDiffuse[8], uLightSpecular[8], uLightAttenuation[8];
uniform vec4 uSceneAmbient, uMatAmbient, uMatDiffuse, uMatSpecular, uMatEmission;
uniform float uShininess;
out vec4 vColour;
out vec2 vTex;
void main() {
    gl_Position = uMvp * vec4(aPos, 1.0);
    vTex = aTex;
    if (!uLighting) { vColour = aColour; return; }
    vec3 v = (uModelView * vec4(aPos, 1.0)).xyz;
    vec3 n = uNormalMatrix * aNormal;
    if (uNormalize) n = normalize(n);
    vec3 c = uMatEmission.rgb + uMatAmbient.rgb * uSceneAmbient.rgb;
    for (int i = 0; i < 8; i++) {
        if (uLightOn[i] == 0) continue;
        vec4 p = uLightPos[i];
        vec3 l;
        float att = 1.0;
        if (p.w != 0.0) {
            vec3 d = p.xyz / p.w - v;
            float dist = length(d);
            l = d / dist;
            att = 1.0 / (uLightAttenuation[i].x + uLightAttenuation[i].y * dist +
                         uLightAttenuation[i].z * dist * dist);
        } else {
            l = normalize(p.xyz);
        }
        float nl = max(dot(n, l), 0.0);
        vec3 term = uMatAmbient.rgb * uLightAmbient[i].rgb + nl * uMatDiffuse.rgb * uLightDiffuse[i].rgb;
        if (nl > 0.0) {
            float nh = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
            float f = uShininess == 0.0 ? 1.0 : pow(nh, uShininess);
            term += f * uMatSpecular.rgb * uLightSpecular[i].rgb;
        }
        c += att * term;
    }
    vColour = vec4(clamp(c, 0.0, 1.0), uMatDiffuse.a);
}
)";

const char* const kFragmentShader = R"(#version 300 es
precision highp float;
in vec4 vColour;
in vec2 vTex;
uniform bool uTexturing;
uniform sampler2D uSampler;
out vec4 fragColour;
void main() {
    vec4 c = vColour;
    if (uTexturing) c *= texture(uSampler, vTex);
    fragColour = c;
}
)";

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok ? shader : 0;
}

bool textureComplete(GLuint id) {
    auto it = gl().textures.find(id);
    if (id == 0 || it == gl().textures.end()) return false;
    const TextureRecord& t = it->second;
    if (t.width[0] <= 0 || t.height[0] <= 0) return false;
    bool mipmapped = t.minFilter != GL_NEAREST && t.minFilter != GL_LINEAR;
    if (!mipmapped) return true;
    int w = t.width[0], h = t.height[0];
    for (int level = 0; level < kLevels; ++level) {
        if (t.width[level] != w || t.height[level] != h) return false;
        if (w == 1 && h == 1) return true;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return false;
}

// Hands the fixed-function state to the shader before a draw.
void prepareDraw() {
    State& s = gl();
    const Uniforms& u = s.u;
    const Mat4& mv = modelView();
    Mat4 mvp = multiply(s.stacks[1][s.depth[1]], mv);
    emscripten_glUniformMatrix4fv(u.mvp, 1, GL_FALSE, mvp.m);
    emscripten_glUniform1i(u.lighting, s.lighting);
    emscripten_glUniform1i(u.texturing, s.texture2d && textureComplete(s.bound));
    if (s.lighting) {
        emscripten_glUniformMatrix4fv(u.modelView, 1, GL_FALSE, mv.m);
        // Normals go by the inverse transpose of the modelview's upper 3x3.
        const GLfloat* m = mv.m;
        GLfloat a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
        GLfloat det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
        GLfloat k = det != 0.0f ? 1.0f / det : 0.0f;
        // Column-major inverse transpose: the cofactor matrix over the determinant.
        GLfloat n[9] = {(e * i - f * h) * k, -(b * i - c * h) * k, (b * f - c * e) * k,
                        -(d * i - f * g) * k, (a * i - c * g) * k, -(a * f - c * d) * k,
                        (d * h - e * g) * k, -(a * h - b * g) * k, (a * e - b * d) * k};
        emscripten_glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, n);
        emscripten_glUniform1i(u.normalize, s.normalize);
        GLint on[kLights];
        GLfloat pos[kLights * 4], amb[kLights * 4], dif[kLights * 4], spe[kLights * 4], att[kLights * 4];
        for (int l = 0; l < kLights; ++l) {
            on[l] = s.lights[l].on;
            std::memcpy(pos + l * 4, s.lights[l].position, sizeof(GLfloat) * 4);
            std::memcpy(amb + l * 4, s.lights[l].ambient, sizeof(GLfloat) * 4);
            std::memcpy(dif + l * 4, s.lights[l].diffuse, sizeof(GLfloat) * 4);
            std::memcpy(spe + l * 4, s.lights[l].specular, sizeof(GLfloat) * 4);
            std::memcpy(att + l * 4, s.lights[l].attenuation, sizeof(GLfloat) * 4);
        }
        emscripten_glUniform1iv(u.lightOn, kLights, on);
        emscripten_glUniform4fv(u.lightPos, kLights, pos);
        emscripten_glUniform4fv(u.lightAmbient, kLights, amb);
        emscripten_glUniform4fv(u.lightDiffuse, kLights, dif);
        emscripten_glUniform4fv(u.lightSpecular, kLights, spe);
        emscripten_glUniform4fv(u.lightAttenuation, kLights, att);
        emscripten_glUniform4fv(u.sceneAmbient, 1, s.sceneAmbient);
        emscripten_glUniform4fv(u.matAmbient, 1, s.front.ambient);
        emscripten_glUniform4fv(u.matDiffuse, 1, s.front.diffuse);
        emscripten_glUniform4fv(u.matSpecular, 1, s.front.specular);
        emscripten_glUniform4fv(u.matEmission, 1, s.front.emission);
        emscripten_glUniform1f(u.shininess, s.front.shininess);
    }
}

void bindVertices(GLuint buffer) {
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLsizei stride = sizeof(Vertex);
    emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, pos));
    emscripten_glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, normal));
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, tex));
    emscripten_glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, colour));
}

void drawTriangles(GLuint buffer, int first, int count) {
    if (count <= 0) return;
    prepareDraw();
    bindVertices(buffer);
    emscripten_glDrawArrays(GL_TRIANGLES, first, count);
}

// The primitive's vertices as separate triangles, in GL's winding.
void triangulate(GLenum primitive, const std::vector<Vertex>& in, std::vector<Vertex>& out) {
    const size_t n = in.size();
    switch (primitive) {
    case GL_TRIANGLES:
        out.insert(out.end(), in.begin(), in.begin() + n / 3 * 3);
        break;
    case GL_TRIANGLE_STRIP:
        for (size_t i = 0; i + 2 < n; ++i) {
            bool odd = i % 2 == 1;
            out.push_back(in[odd ? i + 1 : i]);
            out.push_back(in[odd ? i : i + 1]);
            out.push_back(in[i + 2]);
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (size_t i = 1; i + 1 < n; ++i) {
            out.push_back(in[0]);
            out.push_back(in[i]);
            out.push_back(in[i + 1]);
        }
        break;
    case GL_QUADS:
        for (size_t i = 0; i + 3 < n; i += 4) {
            const size_t q[6] = {i, i + 1, i + 2, i, i + 2, i + 3};
            for (size_t k : q) out.push_back(in[k]);
        }
        break;
    case GL_QUAD_STRIP:
        for (size_t i = 0; i + 3 < n; i += 2) {
            const size_t q[6] = {i, i + 1, i + 3, i, i + 3, i + 2};
            for (size_t k : q) out.push_back(in[k]);
        }
        break;
    default:
        break;  // points and lines are not drawn
    }
}

void setCap(GLenum cap, bool on) {
    State& s = gl();
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLights) {
        s.lights[cap - GL_LIGHT0].on = on;
        return;
    }
    bool* flag = nullptr;
    bool real = false;
    switch (cap) {
    case GL_LIGHTING: flag = &s.lighting; break;
    case GL_TEXTURE_2D: flag = &s.texture2d; break;
    case GL_NORMALIZE: flag = &s.normalize; break;
    case GL_COLOR_MATERIAL: flag = &s.colourMaterial; break;
    case GL_BLEND: flag = &s.blend; real = true; break;
    case GL_DEPTH_TEST: flag = &s.depthTest; real = true; break;
    case GL_CULL_FACE: flag = &s.cullFace; real = true; break;
    case GL_POLYGON_OFFSET_FILL: flag = &s.polygonOffset; real = true; break;
    case GL_DITHER:
    case GL_SCISSOR_TEST: real = true; break;
    default: return;  // a GL 1.1 switch with nothing behind it here
    }
    if (flag) *flag = on;
    if (real) on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
}

void setMaterial(GLenum face, GLenum pname, const GLfloat* v) {
    if (face == GL_BACK) return;  // one-sided lighting: only the front is seen
    Material& m = gl().front;
    switch (pname) {
    case GL_AMBIENT: std::memcpy(m.ambient, v, sizeof m.ambient); break;
    case GL_DIFFUSE: std::memcpy(m.diffuse, v, sizeof m.diffuse); break;
    case GL_SPECULAR: std::memcpy(m.specular, v, sizeof m.specular); break;
    case GL_EMISSION: std::memcpy(m.emission, v, sizeof m.emission); break;
    case GL_SHININESS: m.shininess = v[0]; break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m.ambient, v, sizeof m.ambient);
        std::memcpy(m.diffuse, v, sizeof m.diffuse);
        break;
    default: setError(GL_INVALID_ENUM);
    }
}

void setLight(GLenum light, GLenum pname, const GLfloat* v) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + kLights) {
        setError(GL_INVALID_ENUM);
        return;
    }
    Light& l = gl().lights[light - GL_LIGHT0];
    switch (pname) {
    case GL_AMBIENT: std::memcpy(l.ambient, v, sizeof l.ambient); break;
    case GL_DIFFUSE: std::memcpy(l.diffuse, v, sizeof l.diffuse); break;
    case GL_SPECULAR: std::memcpy(l.specular, v, sizeof l.specular); break;
    case GL_POSITION: {
        // Placed by the modelview matrix of the moment it is set.
        const GLfloat* m = modelView().m;
        for (int r = 0; r < 4; ++r)
            l.position[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r] * v[3];
        break;
    }
    case GL_CONSTANT_ATTENUATION: l.attenuation[0] = v[0]; break;
    case GL_LINEAR_ATTENUATION: l.attenuation[1] = v[0]; break;
    case GL_QUADRATIC_ATTENUATION: l.attenuation[2] = v[0]; break;
    default: break;  // spot lights are not drawn
    }
}

void bindTexture(GLuint id) {
    gl().bound = id;
    emscripten_glBindTexture(GL_TEXTURE_2D, id);
}

void multMatrix(const GLfloat* m) {
    Mat4 r;
    std::memcpy(r.m, m, sizeof r.m);
    top() = multiply(top(), r);
}

void pushMatrix() {
    State& s = gl();
    if (s.depth[s.mode] + 1 >= kStackDepth) {
        setError(GL_STACK_OVERFLOW);
        return;
    }
    s.stacks[s.mode][s.depth[s.mode] + 1] = top();
    s.depth[s.mode]++;
}

void popMatrix() {
    State& s = gl();
    if (s.depth[s.mode] == 0) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    s.depth[s.mode]--;
}

void callList(GLuint id);

void runOp(const Op& op, const List& list) {
    State& s = gl();
    switch (op.kind) {
    case OpDraw: drawTriangles(list.buffer, op.first, op.count); break;
    case OpCap: setCap(op.a, op.b != 0); break;
    case OpMaterial: setMaterial(op.a, op.b, op.v); break;
    case OpBind: bindTexture(op.a); break;
    case OpBlend: emscripten_glBlendFunc(op.a, op.b); break;
    case OpMatrix: multMatrix(op.v); break;
    case OpPush: pushMatrix(); break;
    case OpPop: popMatrix(); break;
    case OpLight: setLight(op.a, op.b, op.v); break;
    case OpCall: callList(op.a); break;
    case OpDepthFunc: emscripten_glDepthFunc(op.a); break;
    case OpCullFace: emscripten_glCullFace(op.a); break;
    case OpColour: std::memcpy(s.colour, op.v, sizeof s.colour); break;
    case OpNormal: std::memcpy(s.normal, op.v, sizeof s.normal); break;
    }
}

void callList(GLuint id) {
    State& s = gl();
    auto it = s.lists.find(id);
    if (it == s.lists.end() || s.nesting >= kListNesting) return;
    s.nesting++;
    for (const Op& op : it->second.ops) runOp(op, it->second);
    s.nesting--;
}

void freeList(List& list) {
    if (list.buffer) emscripten_glDeleteBuffers(1, &list.buffer);
    list = List();
}

void applyPixelStore(const PixelStore& p) {
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, p.unpackAlignment);
    emscripten_glPixelStorei(GL_UNPACK_ROW_LENGTH, p.unpackRowLength);
    emscripten_glPixelStorei(GL_UNPACK_SKIP_ROWS, p.unpackSkipRows);
    emscripten_glPixelStorei(GL_UNPACK_SKIP_PIXELS, p.unpackSkipPixels);
    emscripten_glPixelStorei(GL_PACK_ALIGNMENT, p.packAlignment);
    emscripten_glPixelStorei(GL_PACK_ROW_LENGTH, p.packRowLength);
    emscripten_glPixelStorei(GL_PACK_SKIP_ROWS, p.packSkipRows);
    emscripten_glPixelStorei(GL_PACK_SKIP_PIXELS, p.packSkipPixels);
}

// WebGL takes only sized-or-base formats by name, not GL 1.1's component counts.
GLint baseFormat(GLint internalFormat) {
    switch (internalFormat) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return GL_RGB;
    case 4: return GL_RGBA;
    default: return internalFormat;
    }
}

int components(GLenum format) {
    switch (format) {
    case GL_RGB: return 3;
    case GL_RGBA: return 4;
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    default: return 0;
    }
}

}  // namespace

namespace gl11 {

bool start() {
    State& s = gl();
    s = State();
    for (int m = 0; m < 3; ++m) s.stacks[m][0] = identity();
    s.lights[0].diffuse[0] = s.lights[0].diffuse[1] = s.lights[0].diffuse[2] = 1.0f;
    s.lights[0].specular[0] = s.lights[0].specular[1] = s.lights[0].specular[2] = 1.0f;

    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) return false;
    s.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(s.program, vs);
    emscripten_glAttachShader(s.program, fs);
    emscripten_glBindAttribLocation(s.program, 0, "aPos");
    emscripten_glBindAttribLocation(s.program, 1, "aNormal");
    emscripten_glBindAttribLocation(s.program, 2, "aTex");
    emscripten_glBindAttribLocation(s.program, 3, "aColour");
    emscripten_glLinkProgram(s.program);
    GLint ok = 0;
    emscripten_glGetProgramiv(s.program, GL_LINK_STATUS, &ok);
    if (!ok) return false;
    emscripten_glUseProgram(s.program);
    Uniforms& u = s.u;
    GLuint p = s.program;
    u.mvp = emscripten_glGetUniformLocation(p, "uMvp");
    u.modelView = emscripten_glGetUniformLocation(p, "uModelView");
    u.normalMatrix = emscripten_glGetUniformLocation(p, "uNormalMatrix");
    u.lighting = emscripten_glGetUniformLocation(p, "uLighting");
    u.normalize = emscripten_glGetUniformLocation(p, "uNormalize");
    u.lightOn = emscripten_glGetUniformLocation(p, "uLightOn");
    u.lightPos = emscripten_glGetUniformLocation(p, "uLightPos");
    u.lightAmbient = emscripten_glGetUniformLocation(p, "uLightAmbient");
    u.lightDiffuse = emscripten_glGetUniformLocation(p, "uLightDiffuse");
    u.lightSpecular = emscripten_glGetUniformLocation(p, "uLightSpecular");
    u.lightAttenuation = emscripten_glGetUniformLocation(p, "uLightAttenuation");
    u.sceneAmbient = emscripten_glGetUniformLocation(p, "uSceneAmbient");
    u.matAmbient = emscripten_glGetUniformLocation(p, "uMatAmbient");
    u.matDiffuse = emscripten_glGetUniformLocation(p, "uMatDiffuse");
    u.matSpecular = emscripten_glGetUniformLocation(p, "uMatSpecular");
    u.matEmission = emscripten_glGetUniformLocation(p, "uMatEmission");
    u.shininess = emscripten_glGetUniformLocation(p, "uShininess");
    u.texturing = emscripten_glGetUniformLocation(p, "uTexturing");
    u.sampler = emscripten_glGetUniformLocation(p, "uSampler");
    emscripten_glUniform1i(u.sampler, 0);
    for (GLuint a = 0; a < 4; ++a) emscripten_glEnableVertexAttribArray(a);
    emscripten_glGenBuffers(1, &s.stream);
    // GL 1.1 starts with dithering on and the rest off; WebGL agrees but for
    // the pixel store, whose GL defaults are set here.
    applyPixelStore(s.pixels);
    s.started = true;
    return true;
}

void stop() {
    State& s = gl();
    s.lists.clear();
    s.textures.clear();
    s.started = false;
}

}  // namespace gl11

extern "C" {

// --- immediate mode ---

void glBegin(GLenum mode) {
    if (!live()) return;
    State& s = gl();
    if (s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    s.inBegin = true;
    s.primitive = mode;
    s.begun.clear();
}

void glEnd(void) {
    if (!live()) return;
    State& s = gl();
    if (!s.inBegin) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    s.inBegin = false;
    std::vector<Vertex> triangles;
    triangulate(s.primitive, s.begun, triangles);
    if (triangles.empty()) return;
    if (recording()) {
        List& list = s.lists[s.recording];
        // Faces with no command between them join the draw before them.
        if (!list.ops.empty() && list.ops.back().kind == OpDraw) {
            list.ops.back().count += static_cast<int>(triangles.size());
        } else {
            Op op{OpDraw};
            op.first = static_cast<int>(list.vertices.size());
            op.count = static_cast<int>(triangles.size());
            list.ops.push_back(op);
        }
        list.vertices.insert(list.vertices.end(), triangles.begin(), triangles.end());
    }
    if (executing()) {
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.stream);
        emscripten_glBufferData(GL_ARRAY_BUFFER, triangles.size() * sizeof(Vertex), triangles.data(),
                                GL_STREAM_DRAW);
        drawTriangles(s.stream, 0, static_cast<int>(triangles.size()));
    }
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!live()) return;
    State& s = gl();
    if (!s.inBegin) return;
    Vertex v;
    v.pos[0] = x;
    v.pos[1] = y;
    v.pos[2] = z;
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.tex, s.tex, sizeof v.tex);
    std::memcpy(v.colour, s.colour, sizeof v.colour);
    s.begun.push_back(v);
}
void glVertex3fv(const GLfloat* v) {
    if (!live()) return;
    glVertex3f(v[0], v[1], v[2]);
}
void glVertex2f(GLfloat x, GLfloat y) {
    if (!live()) return;
    glVertex3f(x, y, 0.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!live()) return;
    State& s = gl();
    GLfloat n[3] = {x, y, z};
    if (recording() && !s.inBegin) {
        Op op{OpNormal};
        std::memcpy(op.v, n, sizeof n);
        record(op);
        if (!executing()) return;
    }
    std::memcpy(s.normal, n, sizeof n);
}
void glNormal3fv(const GLfloat* v) {
    if (!live()) return;
    glNormal3f(v[0], v[1], v[2]);
}

void glTexCoord2f(GLfloat u, GLfloat v) {
    if (!live()) return;
    gl().tex[0] = u;
    gl().tex[1] = v;
}
void glTexCoord2fv(const GLfloat* v) {
    if (!live()) return;
    glTexCoord2f(v[0], v[1]);
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (!live()) return;
    State& s = gl();
    GLfloat c[4] = {r, g, b, a};
    if (recording() && !s.inBegin) {
        Op op{OpColour};
        std::memcpy(op.v, c, sizeof c);
        record(op);
        if (!executing()) return;
    }
    std::memcpy(s.colour, c, sizeof c);
}
void glColor4fv(const GLfloat* v) {
    if (!live()) return;
    glColor4f(v[0], v[1], v[2], v[3]);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    if (!live()) return;
    glColor4f(r, g, b, 1.0f);
}

// --- matrices ---

void glMatrixMode(GLenum mode) {
    if (!live()) return;
    switch (mode) {
    case GL_MODELVIEW: gl().mode = 0; break;
    case GL_PROJECTION: gl().mode = 1; break;
    case GL_TEXTURE: gl().mode = 2; break;
    default: setError(GL_INVALID_ENUM);
    }
}

void glLoadIdentity(void) {
    if (!live()) return;
    top() = identity();
}

void glLoadMatrixf(const GLfloat* m) {
    if (!live()) return;
    std::memcpy(top().m, m, sizeof top().m);
}

void glMultMatrixf(const GLfloat* m) {
    if (!live()) return;
    if (recording()) {
        Op op{OpMatrix};
        std::memcpy(op.v, m, sizeof op.v);
        record(op);
        if (!executing()) return;
    }
    multMatrix(m);
}

void glPushMatrix(void) {
    if (!live()) return;
    if (recording()) {
        record(Op{OpPush});
        if (!executing()) return;
    }
    pushMatrix();
}

void glPopMatrix(void) {
    if (!live()) return;
    if (recording()) {
        record(Op{OpPop});
        if (!executing()) return;
    }
    popMatrix();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (!live()) return;
    Mat4 t = identity();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    glMultMatrixf(t.m);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (!live()) return;
    Mat4 t = identity();
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    glMultMatrixf(t.m);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (!live()) return;
    float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f) return;
    x /= len;
    y /= len;
    z /= len;
    float r = angle * 3.14159265358979f / 180.0f;
    float c = std::cos(r), s = std::sin(r), k = 1.0f - c;
    Mat4 t = identity();
    t.m[0] = x * x * k + c;
    t.m[1] = y * x * k + z * s;
    t.m[2] = x * z * k - y * s;
    t.m[4] = x * y * k - z * s;
    t.m[5] = y * y * k + c;
    t.m[6] = y * z * k + x * s;
    t.m[8] = x * z * k + y * s;
    t.m[9] = y * z * k - x * s;
    t.m[10] = z * z * k + c;
    glMultMatrixf(t.m);
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!live()) return;
    Mat4 m{};
    m.m[0] = float(2 * n / (r - l));
    m.m[5] = float(2 * n / (t - b));
    m.m[8] = float((r + l) / (r - l));
    m.m[9] = float((t + b) / (t - b));
    m.m[10] = float(-(f + n) / (f - n));
    m.m[11] = -1.0f;
    m.m[14] = float(-2 * f * n / (f - n));
    glMultMatrixf(m.m);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!live()) return;
    Mat4 m = identity();
    m.m[0] = float(2 / (r - l));
    m.m[5] = float(2 / (t - b));
    m.m[10] = float(-2 / (f - n));
    m.m[12] = float(-(r + l) / (r - l));
    m.m[13] = float(-(t + b) / (t - b));
    m.m[14] = float(-(f + n) / (f - n));
    glMultMatrixf(m.m);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    double radians = fovy / 2 * 3.14159265358979323846 / 180;
    double dz = zFar - zNear, sine = std::sin(radians);
    if (dz == 0 || sine == 0 || aspect == 0) return;
    double cotangent = std::cos(radians) / sine;
    Mat4 m = identity();
    m.m[0] = float(cotangent / aspect);
    m.m[5] = float(cotangent);
    m.m[10] = float(-(zFar + zNear) / dz);
    m.m[11] = -1.0f;
    m.m[14] = float(-2 * zNear * zFar / dz);
    m.m[15] = 0.0f;
    glMultMatrixf(m.m);
}

// --- switches, lights, materials ---

void glEnable(GLenum cap) {
    if (!live()) return;
    if (recording()) {
        Op op{OpCap};
        op.a = cap;
        op.b = 1;
        record(op);
        if (!executing()) return;
    }
    setCap(cap, true);
}

void glDisable(GLenum cap) {
    if (!live()) return;
    if (recording()) {
        Op op{OpCap};
        op.a = cap;
        op.b = 0;
        record(op);
        if (!executing()) return;
    }
    setCap(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
    if (!live()) return GL_FALSE;
    State& s = gl();
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLights) return s.lights[cap - GL_LIGHT0].on;
    switch (cap) {
    case GL_LIGHTING: return s.lighting;
    case GL_TEXTURE_2D: return s.texture2d;
    case GL_NORMALIZE: return s.normalize;
    case GL_COLOR_MATERIAL: return s.colourMaterial;
    case GL_BLEND: return s.blend;
    case GL_DEPTH_TEST: return s.depthTest;
    case GL_CULL_FACE: return s.cullFace;
    case GL_POLYGON_OFFSET_FILL: return s.polygonOffset;
    default: return GL_FALSE;
    }
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (!live()) return;
    if (recording()) {
        Op op{OpLight};
        op.a = light;
        op.b = pname;
        std::memcpy(op.v, params, sizeof(GLfloat) * (pname == GL_POSITION || pname == GL_AMBIENT ||
                                                             pname == GL_DIFFUSE || pname == GL_SPECULAR
                                                         ? 4
                                                         : 1));
        record(op);
        if (!executing()) return;
    }
    setLight(light, pname, params);
}

void glLightf(GLenum light, GLenum pname, GLfloat param) {
    if (!live()) return;
    glLightfv(light, pname, &param);
}

void glLightModelfv(GLenum pname, const GLfloat* params) {
    if (!live()) return;
    if (pname == GL_LIGHT_MODEL_AMBIENT) std::memcpy(gl().sceneAmbient, params, sizeof gl().sceneAmbient);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (!live()) return;
    if (recording()) {
        Op op{OpMaterial};
        op.a = face;
        op.b = pname;
        std::memcpy(op.v, params, sizeof(GLfloat) * (pname == GL_SHININESS ? 1 : 4));
        record(op);
        if (!executing()) return;
    }
    setMaterial(face, pname, params);
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (!live()) return;
    glMaterialfv(face, pname, &param);
}

// Every face is drawn smooth; flat shading is not offered.
void glShadeModel(GLenum) {
    if (!live()) return;
    
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    if (!live()) return;
    if (recording()) {
        Op op{OpBlend};
        op.a = sfactor;
        op.b = dfactor;
        record(op);
        if (!executing()) return;
    }
    emscripten_glBlendFunc(sfactor, dfactor);
}

void glDepthFunc(GLenum func) {
    if (!live()) return;
    if (recording()) {
        Op op{OpDepthFunc};
        op.a = func;
        record(op);
        if (!executing()) return;
    }
    emscripten_glDepthFunc(func);
}

void glCullFace(GLenum mode) {
    if (!live()) return;
    if (recording()) {
        Op op{OpCullFace};
        op.a = mode;
        record(op);
        if (!executing()) return;
    }
    emscripten_glCullFace(mode);
}

void glFrontFace(GLenum mode) {
    if (!live()) return;
    emscripten_glFrontFace(mode);
}
void glDepthMask(GLboolean flag) {
    if (!live()) return;
    emscripten_glDepthMask(flag);
}
void glPolygonOffset(GLfloat factor, GLfloat units) {
    if (!live()) return;
    emscripten_glPolygonOffset(factor, units);
}

// --- frame buffer ---

void glClear(GLbitfield mask) {
    if (!live()) return;
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    if (!live()) return;
    emscripten_glClearColor(r, g, b, a);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (!live()) return;
    emscripten_glViewport(x, y, width, height);
}
void glFinish(void) {
    if (!live()) return;
    emscripten_glFinish();
}
void glFlush(void) {
    if (!live()) return;
    emscripten_glFlush();
}
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    if (!live()) return;
    emscripten_glReadPixels(x, y, width, height, format, type, pixels);
}

GLenum glGetError(void) {
    if (!live()) return GL_NO_ERROR;
    GLenum e = gl().error;
    gl().error = GL_NO_ERROR;
    return e != GL_NO_ERROR ? e : emscripten_glGetError();
}

void glGetIntegerv(GLenum pname, GLint* params) {
    if (!live()) return;
    State& s = gl();
    switch (pname) {
    case GL_MATRIX_MODE: *params = s.mode == 0 ? GL_MODELVIEW : s.mode == 1 ? GL_PROJECTION : GL_TEXTURE; return;
    case GL_LIST_INDEX: *params = static_cast<GLint>(s.recording); return;
    case GL_TEXTURE_BINDING_2D: *params = static_cast<GLint>(s.bound); return;
    case GL_UNPACK_ALIGNMENT: *params = s.pixels.unpackAlignment; return;
    case GL_PACK_ALIGNMENT: *params = s.pixels.packAlignment; return;
    default: emscripten_glGetIntegerv(pname, params);
    }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    if (!live()) return;
    State& s = gl();
    switch (pname) {
    case GL_MODELVIEW_MATRIX: std::memcpy(params, s.stacks[0][s.depth[0]].m, sizeof(GLfloat) * 16); return;
    case GL_PROJECTION_MATRIX: std::memcpy(params, s.stacks[1][s.depth[1]].m, sizeof(GLfloat) * 16); return;
    default: emscripten_glGetFloatv(pname, params);
    }
}

// --- pixel store ---

void glPixelStorei(GLenum pname, GLint param) {
    if (!live()) return;
    PixelStore& p = gl().pixels;
    switch (pname) {
    case GL_UNPACK_ALIGNMENT: p.unpackAlignment = param; break;
    case GL_UNPACK_ROW_LENGTH: p.unpackRowLength = param; break;
    case GL_UNPACK_SKIP_ROWS: p.unpackSkipRows = param; break;
    case GL_UNPACK_SKIP_PIXELS: p.unpackSkipPixels = param; break;
    case GL_PACK_ALIGNMENT: p.packAlignment = param; break;
    case GL_PACK_ROW_LENGTH: p.packRowLength = param; break;
    case GL_PACK_SKIP_ROWS: p.packSkipRows = param; break;
    case GL_PACK_SKIP_PIXELS: p.packSkipPixels = param; break;
    // Bytes are never swapped: WebGL has no such switch, and 8-bit data needs none.
    case GL_UNPACK_SWAP_BYTES: p.unpackSwap = param; return;
    case GL_PACK_SWAP_BYTES: p.packSwap = param; return;
    default: setError(GL_INVALID_ENUM); return;
    }
    emscripten_glPixelStorei(pname, param);
}

// Every group is kept whatever the mask: the show pushes them all.
void glPushAttrib(GLbitfield) {
    if (!live()) return;
    State& s = gl();
    Attributes a;
    a.lighting = s.lighting;
    a.texture2d = s.texture2d;
    a.normalize = s.normalize;
    a.blend = s.blend;
    a.depthTest = s.depthTest;
    a.cullFace = s.cullFace;
    a.polygonOffset = s.polygonOffset;
    a.colourMaterial = s.colourMaterial;
    std::memcpy(a.lights, s.lights, sizeof a.lights);
    std::memcpy(a.sceneAmbient, s.sceneAmbient, sizeof a.sceneAmbient);
    a.front = s.front;
    std::memcpy(a.colour, s.colour, sizeof a.colour);
    std::memcpy(a.normal, s.normal, sizeof a.normal);
    a.bound = s.bound;
    emscripten_glGetIntegerv(GL_BLEND_SRC_RGB, &a.blendSrc);
    emscripten_glGetIntegerv(GL_BLEND_DST_RGB, &a.blendDst);
    emscripten_glGetIntegerv(GL_DEPTH_FUNC, &a.depthFunc);
    emscripten_glGetIntegerv(GL_CULL_FACE_MODE, &a.cullMode);
    emscripten_glGetIntegerv(GL_FRONT_FACE, &a.frontFace);
    emscripten_glGetIntegerv(GL_DEPTH_WRITEMASK, &a.depthMask);
    emscripten_glGetIntegerv(GL_VIEWPORT, a.viewport);
    emscripten_glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &a.offsetFactor);
    emscripten_glGetFloatv(GL_POLYGON_OFFSET_UNITS, &a.offsetUnits);
    emscripten_glGetFloatv(GL_COLOR_CLEAR_VALUE, a.clearColour);
    s.attributeStack.push_back(a);
}

void glPopAttrib(void) {
    if (!live()) return;
    State& s = gl();
    if (s.attributeStack.empty()) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    const Attributes a = s.attributeStack.back();
    s.attributeStack.pop_back();
    setCap(GL_LIGHTING, a.lighting);
    setCap(GL_TEXTURE_2D, a.texture2d);
    setCap(GL_NORMALIZE, a.normalize);
    setCap(GL_BLEND, a.blend);
    setCap(GL_DEPTH_TEST, a.depthTest);
    setCap(GL_CULL_FACE, a.cullFace);
    setCap(GL_POLYGON_OFFSET_FILL, a.polygonOffset);
    setCap(GL_COLOR_MATERIAL, a.colourMaterial);
    std::memcpy(s.lights, a.lights, sizeof s.lights);
    std::memcpy(s.sceneAmbient, a.sceneAmbient, sizeof s.sceneAmbient);
    s.front = a.front;
    std::memcpy(s.colour, a.colour, sizeof s.colour);
    std::memcpy(s.normal, a.normal, sizeof s.normal);
    bindTexture(a.bound);
    emscripten_glBlendFunc(static_cast<GLenum>(a.blendSrc), static_cast<GLenum>(a.blendDst));
    emscripten_glDepthFunc(static_cast<GLenum>(a.depthFunc));
    emscripten_glCullFace(static_cast<GLenum>(a.cullMode));
    emscripten_glFrontFace(static_cast<GLenum>(a.frontFace));
    emscripten_glDepthMask(static_cast<GLboolean>(a.depthMask));
    emscripten_glViewport(a.viewport[0], a.viewport[1], a.viewport[2], a.viewport[3]);
    emscripten_glPolygonOffset(a.offsetFactor, a.offsetUnits);
    emscripten_glClearColor(a.clearColour[0], a.clearColour[1], a.clearColour[2], a.clearColour[3]);
}

void glPushClientAttrib(GLbitfield) {
    if (!live()) return;
    gl().pixelStack.push_back(gl().pixels);
}

void glPopClientAttrib(void) {
    if (!live()) return;
    State& s = gl();
    if (s.pixelStack.empty()) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    s.pixels = s.pixelStack.back();
    s.pixelStack.pop_back();
    applyPixelStore(s.pixels);
}

// --- textures ---

void glGenTextures(GLsizei n, GLuint* textures) {
    if (!live()) return;
    emscripten_glGenTextures(n, textures);
    for (GLsizei i = 0; i < n; ++i) gl().textures[textures[i]] = TextureRecord();
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    if (!live()) return;
    for (GLsizei i = 0; i < n; ++i) {
        gl().textures.erase(textures[i]);
        if (gl().bound == textures[i]) gl().bound = 0;
    }
    emscripten_glDeleteTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (!live()) return;
    if (target != GL_TEXTURE_2D) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (recording()) {
        Op op{OpBind};
        op.a = texture;
        record(op);
        if (!executing()) return;
    }
    // A name never made by glGenTextures is made by its first binding, as in GL 1.1.
    if (texture && !gl().textures.count(texture)) gl().textures[texture] = TextureRecord();
    bindTexture(texture);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (!live()) return;
    if (pname == GL_TEXTURE_MIN_FILTER && gl().bound) gl().textures[gl().bound].minFilter = param;
    emscripten_glTexParameteri(target, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    if (!live()) return;
    glTexParameteri(target, pname, (GLint)param);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    if (level < 0 || level >= kLevels || border != 0) {
        setError(GL_INVALID_VALUE);
        return;
    }
    emscripten_glTexImage2D(target, level, baseFormat(internalFormat), width, height, 0, format, type, pixels);
    if (gl().bound) {
        TextureRecord& t = gl().textures[gl().bound];
        t.width[level] = width;
        t.height[level] = height;
    }
}

// --- display lists ---

GLuint glGenLists(GLsizei range) {
    if (!live()) return 0;
    State& s = gl();
    if (range <= 0) return 0;
    GLuint first = s.nextList;
    for (GLsizei i = 0; i < range; ++i) s.lists[first + i];
    s.nextList += static_cast<GLuint>(range);
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    if (!live()) return;
    State& s = gl();
    if (list == 0 || (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE)) {
        setError(list == 0 ? GL_INVALID_VALUE : GL_INVALID_ENUM);
        return;
    }
    if (s.recording) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    freeList(s.lists[list]);
    if (list >= s.nextList) s.nextList = list + 1;
    s.recording = list;
    s.recordMode = mode;
}

void glEndList(void) {
    if (!live()) return;
    State& s = gl();
    if (!s.recording) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    List& list = s.lists[s.recording];
    if (!list.vertices.empty()) {
        emscripten_glGenBuffers(1, &list.buffer);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, list.vertices.size() * sizeof(Vertex), list.vertices.data(),
                                GL_STATIC_DRAW);
        std::vector<Vertex>().swap(list.vertices);
    }
    s.recording = 0;
}

void glCallList(GLuint list) {
    if (!live()) return;
    if (recording()) {
        Op op{OpCall};
        op.a = list;
        record(op);
        if (!executing()) return;
    }
    callList(list);
}

GLboolean glIsList(GLuint list) {
    if (!live()) return GL_FALSE;
    return gl().lists.count(list) ? GL_TRUE : GL_FALSE;
}

void glDeleteLists(GLuint list, GLsizei range) {
    if (!live()) return;
    State& s = gl();
    for (GLsizei i = 0; i < range; ++i) {
        auto it = s.lists.find(list + static_cast<GLuint>(i));
        if (it == s.lists.end() || it->first == s.recording) continue;
        freeList(it->second);
        s.lists.erase(it);
    }
}

// --- GLU's images ---

// Box filter: each target pixel averages the source area it covers.
GLint gluScaleImage(GLenum format, GLint wIn, GLint hIn, GLenum typeIn, const void* dataIn, GLint wOut, GLint hOut,
                    GLenum typeOut, GLvoid* dataOut) {
    int n = components(format);
    if (!n || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (wIn <= 0 || hIn <= 0 || wOut <= 0 || hOut <= 0) return GLU_INVALID_VALUE;
    const GLubyte* in = static_cast<const GLubyte*>(dataIn);
    GLubyte* out = static_cast<GLubyte*>(dataOut);
    const double sx = double(wIn) / wOut, sy = double(hIn) / hOut;
    for (int y = 0; y < hOut; ++y) {
        double y0 = y * sy, y1 = y0 + sy;
        for (int x = 0; x < wOut; ++x) {
            double x0 = x * sx, x1 = x0 + sx;
            double sum[4] = {0, 0, 0, 0}, area = 0;
            for (int yy = int(y0); yy < hIn && yy < y1; ++yy) {
                double wy = std::fmin(yy + 1.0, y1) - std::fmax(double(yy), y0);
                for (int xx = int(x0); xx < wIn && xx < x1; ++xx) {
                    double w = wy * (std::fmin(xx + 1.0, x1) - std::fmax(double(xx), x0));
                    const GLubyte* p = in + (size_t(yy) * wIn + xx) * n;
                    for (int c = 0; c < n; ++c) sum[c] += w * p[c];
                    area += w;
                }
            }
            GLubyte* q = out + (size_t(y) * wOut + x) * n;
            for (int c = 0; c < n; ++c) q[c] = GLubyte(area > 0 ? sum[c] / area + 0.5 : 0);
        }
    }
    return 0;
}

// Every level down to 1x1, each the 2x2 average of the one above.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
    if (!live()) return GLU_INVALID_OPERATION;
    int n = components(format);
    if (!n || type != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (width <= 0 || height <= 0) return GLU_INVALID_VALUE;
    GLint maxSize = 0;
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    int w = 1, h = 1;
    while (w * 2 <= width && w * 2 <= maxSize) w *= 2;
    while (h * 2 <= height && h * 2 <= maxSize) h *= 2;
    std::vector<GLubyte> level(size_t(w) * h * n);
    if (w == width && h == height)
        std::memcpy(level.data(), data, level.size());
    else
        gluScaleImage(format, width, height, type, data, w, h, type, level.data());

    PixelStore saved = gl().pixels;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    for (int l = 0;; ++l) {
        glTexImage2D(target, l, internalFormat, w, h, 0, format, type, level.data());
        if (w == 1 && h == 1) break;
        int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
        std::vector<GLubyte> next(size_t(nw) * nh * n);
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                for (int c = 0; c < n; ++c) {
                    int x0 = w > 1 ? 2 * x : x, y0 = h > 1 ? 2 * y : y;
                    int x1 = w > 1 ? x0 + 1 : x0, y1 = h > 1 ? y0 + 1 : y0;
                    auto at = [&](int px, int py) { return int(level[(size_t(py) * w + px) * n + c]); };
                    int v = (w > 1 && h > 1) ? (at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1) + 2) / 4
                                             : (at(x0, y0) + at(x1, y1)) / 2;
                    next[(size_t(y) * nw + x) * n + c] = GLubyte(v);
                }
        level.swap(next);
        w = nw;
        h = nh;
    }
    gl().pixels = saved;
    applyPixelStore(saved);
    return 0;
}

}  // extern "C"
