#include "scene/scene_check.h"

#include <stdlib.h>
#include <string.h>

#include <lib3ds/chunk.h>
#include <lib3ds/node.h>
#include <lib3ds/tcb.h>

// Each function below mirrors one reader of lib3ds 1.3: it visits the same
// children in the same order and reads the same fields. Fixed-size fields
// are not checked: lib3ds reads them wherever they fall, and a short chunk
// only gives it a wrong number. What is checked is what makes it fail or
// leave its bounds: chunk headers and lengths, strings, counts and indices,
// and the node hierarchy it builds.

namespace {

// The longest strings lib3ds reads into its fixed fields, with their NUL.
const int kNameSize = 64;
const int kKeyframerNameSize = 13;
const int kMorphNameSize = 11;

// lib3ds writes the colours of a vertical gradient into three slots each.
const int kGradientColours = 3;

struct Chunk {
    unsigned id;
    size_t begin;  // the header
    size_t data;   // just past the header
    size_t end;
};

// A keyframer node as lib3ds builds it: its id, its parent's id and its name.
struct Node {
    unsigned id;
    unsigned parentId;
    const unsigned char* name;  // NUL-terminated inside the file, or null for ""
    int parent;                 // index into the table, -1 at the top
    int next;
    int firstChild;
};

class Walk {
public:
    Walk(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    ~Walk() { free(nodes_); }

    int file();

private:
    // Bytes past the end of the file read as 0, as our reader gives them.
    unsigned byteAt(size_t at) const { return at < size_ ? bytes_[at] : 0u; }
    unsigned wordAt(size_t at) const { return byteAt(at) | byteAt(at + 1) << 8; }
    unsigned long dwordAt(size_t at) const {
        return (unsigned long)wordAt(at) | (unsigned long)wordAt(at + 2) << 16;
    }

    // The chunk whose header starts at `at`, inside [at, limit).
    int header(size_t at, size_t limit, Chunk* chunk) const;
    // Calls visit on each child lib3ds reads from `start` on, as it does:
    // up to the parent's end or a child whose id is 0.
    template <typename Visit>
    int children(const Chunk& parent, size_t start, Visit visit);
    // A NUL within size bytes and within the chunk; *after is past it.
    int string(const Chunk& chunk, size_t at, int size, size_t* after) const;
    // `bytes` bytes from `at` lie inside the chunk.
    static int holds(const Chunk& chunk, size_t at, unsigned long long bytes) {
        return at <= chunk.end && bytes <= chunk.end - at;
    }

    int mdata(const Chunk& chunk);
    int kfdata(const Chunk& chunk);
    int structure(const Chunk& chunk, size_t start);
    int namedObject(const Chunk& chunk);
    int mesh(const Chunk& chunk);
    int faceArray(const Chunk& chunk, size_t* faceData, unsigned* faces);
    int light(const Chunk& chunk);
    int material(const Chunk& chunk);
    int textureMap(const Chunk& chunk);
    int gradient(const Chunk& chunk);
    int viewport(const Chunk& chunk);
    int node(const Chunk& chunk, int type, unsigned id);
    int track(const Chunk& chunk, int valueBytes);

    int addNode(unsigned id, unsigned parentId, const unsigned char* name);
    int buildHierarchy();
    int insertNode(int node, int nesting);
    int findNode(unsigned id, int* found);
    void unlink(int node);
    int nameCompare(int a, int b) const;

    const unsigned char* bytes_;
    size_t size_;
    Node* nodes_ = 0;
    int nodeCount_ = 0;
    int nodeCapacity_ = 0;
    int top_ = -1;
    unsigned long long steps_ = 0;
    unsigned long long stepLimit_ = 0;
};

int Walk::header(size_t at, size_t limit, Chunk* chunk) const {
    if (at > limit || limit - at < 6) return 0;
    unsigned long length = dwordAt(at + 2);
    if (length < 6 || length > limit - at) return 0;
    chunk->id = wordAt(at);
    chunk->begin = at;
    chunk->data = at + 6;
    chunk->end = at + length;
    return 1;
}

template <typename Visit>
int Walk::children(const Chunk& parent, size_t start, Visit visit) {
    // A reader whose fixed fields run past its end reads no children.
    for (size_t at = start; at < parent.end;) {
        if (parent.end - at < 6) return 0;
        // lib3ds takes a child id of 0 for the end of the list.
        if (wordAt(at) == 0) return 1;
        Chunk child;
        if (!header(at, parent.end, &child)) return 0;
        if (!visit(child)) return 0;
        at = child.end;
    }
    return 1;
}

int Walk::string(const Chunk& chunk, size_t at, int size, size_t* after) const {
    for (int k = 0; k < size; k++) {
        if (at + k >= chunk.end) return 0;
        if (bytes_[at + k] == 0) {
            if (after) *after = at + k + 1;
            return 1;
        }
    }
    return 0;
}

// A reader that only walks its children and reads fixed fields from them.
int Walk::structure(const Chunk& chunk, size_t start) {
    return children(chunk, start, [](const Chunk&) { return 1; });
}

int Walk::file() {
    Chunk top;
    if (!header(0, size_, &top)) return 0;
    int ok;
    switch (top.id) {
    case LIB3DS_MDATA:
        ok = mdata(top);
        break;
    case LIB3DS_M3DMAGIC:
    case LIB3DS_MLIBMAGIC:
    case LIB3DS_CMAGIC:
        ok = children(top, top.data, [this](const Chunk& c) -> int {
            if (c.id == LIB3DS_MDATA) return mdata(c);
            if (c.id == LIB3DS_KFDATA) return kfdata(c);
            return 1;
        });
        break;
    default:
        // lib3ds refuses it too, but only after counting a level it never leaves.
        return 0;
    }
    return ok && buildHierarchy();
}

int Walk::mdata(const Chunk& chunk) {
    return children(chunk, chunk.data, [this](const Chunk& c) -> int {
        switch (c.id) {
        case LIB3DS_VIEWPORT_LAYOUT:
        case LIB3DS_DEFAULT_VIEW:
            return viewport(c);
        case LIB3DS_AMBIENT_LIGHT:
        case LIB3DS_SOLID_BGND:
            return structure(c, c.data);
        case LIB3DS_BIT_MAP:
            return string(c, c.data, kNameSize, 0);
        case LIB3DS_V_GRADIENT:
            return gradient(c);
        case LIB3DS_FOG:
        case LIB3DS_LAYER_FOG:
        case LIB3DS_DISTANCE_CUE:
            return structure(c, c.data + 16);
        case LIB3DS_MAT_ENTRY:
            return material(c);
        case LIB3DS_NAMED_OBJECT:
            return namedObject(c);
        default:
            return 1;
        }
    });
}

int Walk::gradient(const Chunk& chunk) {
    int colours = 0;
    int linearColours = 0;
    return children(chunk, chunk.data + 4, [&](const Chunk& c) -> int {
        if (c.id == LIB3DS_COLOR_F) colours++;
        if (c.id == LIB3DS_LIN_COLOR_F) linearColours++;
        return colours <= kGradientColours && linearColours <= kGradientColours;
    });
}

int Walk::viewport(const Chunk& chunk) {
    return structure(chunk, chunk.id == LIB3DS_VIEWPORT_LAYOUT ? chunk.data + 14 : chunk.data);
}

int Walk::namedObject(const Chunk& chunk) {
    size_t after = 0;
    if (!string(chunk, chunk.data, kNameSize, &after)) return 0;
    return children(chunk, after, [this](const Chunk& c) -> int {
        switch (c.id) {
        case LIB3DS_N_TRI_OBJECT:
            return mesh(c);
        case LIB3DS_N_CAMERA:
            return structure(c, c.data + 32);
        case LIB3DS_N_DIRECT_LIGHT:
            return light(c);
        default:
            return 1;
        }
    });
}

int Walk::mesh(const Chunk& chunk) {
    // Later arrays replace earlier ones; the faces are checked against the
    // points the mesh ends with, which is when lib3ds computes their normals.
    unsigned points = 0;
    unsigned faces = 0;
    size_t faceData = 0;
    int ok = children(chunk, chunk.data, [&](const Chunk& c) -> int {
        unsigned count = wordAt(c.data);
        switch (c.id) {
        case LIB3DS_POINT_ARRAY:
            points = count;
            return holds(c, c.data, 2 + 12ull * count);
        case LIB3DS_POINT_FLAG_ARRAY:
            return holds(c, c.data, 2 + 2ull * count);
        case LIB3DS_TEX_VERTS:
            return holds(c, c.data, 2 + 8ull * count);
        case LIB3DS_FACE_ARRAY:
            return faceArray(c, &faceData, &faces);
        default:
            return 1;
        }
    });
    if (!ok) return 0;
    for (unsigned f = 0; f < faces; f++)
        for (int i = 0; i < 3; i++)
            if (wordAt(faceData + 8 * f + 2 * i) >= points) return 0;
    return 1;
}

int Walk::faceArray(const Chunk& chunk, size_t* faceData, unsigned* faces) {
    if (!holds(chunk, chunk.data, 2)) return 0;
    unsigned count = wordAt(chunk.data);
    *faceData = chunk.data + 2;
    *faces = count;
    // Without faces lib3ds reads nothing more of the chunk.
    if (count == 0) return 1;
    if (!holds(chunk, chunk.data, 2 + 8ull * count)) return 0;
    return children(chunk, chunk.data + 2 + 8 * (size_t)count, [&](const Chunk& c) -> int {
        switch (c.id) {
        case LIB3DS_SMOOTH_GROUP:
            // One word of groups for every face.
            return holds(c, c.data, 4ull * count);
        case LIB3DS_MSH_MAT_GROUP: {
            size_t at = 0;
            if (!string(c, c.data, kNameSize, &at)) return 0;
            if (!holds(c, at, 2)) return 0;
            unsigned listed = wordAt(at);
            if (!holds(c, at, 2 + 2ull * listed)) return 0;
            for (unsigned i = 0; i < listed; i++)
                if (wordAt(at + 2 + 2 * i) >= count) return 0;
            return 1;
        }
        case LIB3DS_MSH_BOXMAP: {
            size_t at = c.data;
            for (int side = 0; side < 6; side++)
                if (!string(c, at, kNameSize, &at)) return 0;
            return 1;
        }
        default:
            return 1;
        }
    });
}

int Walk::light(const Chunk& chunk) {
    return children(chunk, chunk.data + 12, [this](const Chunk& c) -> int {
        if (c.id != LIB3DS_DL_SPOTLIGHT) return 1;
        return children(c, c.data + 20, [this](const Chunk& s) -> int {
            return s.id != LIB3DS_DL_SPOT_PROJECTOR || string(s, s.data, kNameSize, 0);
        });
    });
}

int Walk::material(const Chunk& chunk) {
    return children(chunk, chunk.data, [this](const Chunk& c) -> int {
        switch (c.id) {
        case LIB3DS_MAT_NAME:
            return string(c, c.data, kNameSize, 0);
        case LIB3DS_MAT_AMBIENT:
        case LIB3DS_MAT_DIFFUSE:
        case LIB3DS_MAT_SPECULAR:
        case LIB3DS_MAT_SHININESS:
        case LIB3DS_MAT_SHIN2PCT:
        case LIB3DS_MAT_TRANSPARENCY:
        case LIB3DS_MAT_XPFALL:
        case LIB3DS_MAT_SELF_ILPCT:
        case LIB3DS_MAT_REFBLUR:
            return structure(c, c.data);
        case LIB3DS_MAT_TEXMAP:
        case LIB3DS_MAT_TEXMASK:
        case LIB3DS_MAT_TEX2MAP:
        case LIB3DS_MAT_TEX2MASK:
        case LIB3DS_MAT_OPACMAP:
        case LIB3DS_MAT_OPACMASK:
        case LIB3DS_MAT_BUMPMAP:
        case LIB3DS_MAT_BUMPMASK:
        case LIB3DS_MAT_SPECMAP:
        case LIB3DS_MAT_SPECMASK:
        case LIB3DS_MAT_SHINMAP:
        case LIB3DS_MAT_SHINMASK:
        case LIB3DS_MAT_SELFIMAP:
        case LIB3DS_MAT_SELFIMASK:
        case LIB3DS_MAT_REFLMAP:
        case LIB3DS_MAT_REFLMASK:
            return textureMap(c);
        default:
            return 1;
        }
    });
}

int Walk::textureMap(const Chunk& chunk) {
    return children(chunk, chunk.data, [this](const Chunk& c) -> int {
        return c.id != LIB3DS_MAT_MAPNAME || string(c, c.data, kNameSize, 0);
    });
}

int Walk::kfdata(const Chunk& chunk) {
    // Each keyframer section numbers its nodes from 0; a NODE_ID chunk
    // overrides the number.
    unsigned number = 0;
    return children(chunk, chunk.data, [&](const Chunk& c) -> int {
        switch (c.id) {
        case LIB3DS_KFHDR:
            return string(c, c.data + 2, kKeyframerNameSize, 0);
        case LIB3DS_VIEWPORT_LAYOUT:
        case LIB3DS_DEFAULT_VIEW:
            return viewport(c);
        case LIB3DS_AMBIENT_NODE_TAG:
            return node(c, LIB3DS_AMBIENT_NODE, number++ & 0xFFFF);
        case LIB3DS_OBJECT_NODE_TAG:
            return node(c, LIB3DS_OBJECT_NODE, number++ & 0xFFFF);
        case LIB3DS_CAMERA_NODE_TAG:
            return node(c, LIB3DS_CAMERA_NODE, number++ & 0xFFFF);
        case LIB3DS_TARGET_NODE_TAG:
            return node(c, LIB3DS_TARGET_NODE, number++ & 0xFFFF);
        case LIB3DS_LIGHT_NODE_TAG:
        case LIB3DS_SPOTLIGHT_NODE_TAG:
            return node(c, LIB3DS_LIGHT_NODE, number++ & 0xFFFF);
        case LIB3DS_L_TARGET_NODE_TAG:
            return node(c, LIB3DS_SPOT_NODE, number++ & 0xFFFF);
        default:
            return 1;
        }
    });
}

// Bytes of a track key's value after its frame and flags; -1 for a morph
// key's name.
enum { kBoolKey = 0, kLin1Key = 4, kLin3Key = 12, kQuatKey = 16, kMorphKey = -1 };

int Walk::node(const Chunk& chunk, int type, unsigned id) {
    // lib3ds starts a node with parent id 0 and an empty name.
    unsigned parentId = 0;
    const unsigned char* name = 0;
    int ok = children(chunk, chunk.data, [&](const Chunk& c) -> int {
        int object = type == LIB3DS_OBJECT_NODE;
        int camera = type == LIB3DS_CAMERA_NODE;
        int light = type == LIB3DS_LIGHT_NODE;
        switch (c.id) {
        case LIB3DS_NODE_ID:
            id = wordAt(c.data);
            return 1;
        case LIB3DS_NODE_HDR: {
            size_t after = 0;
            if (!string(c, c.data, kNameSize, &after)) return 0;
            name = bytes_ + c.data;
            parentId = wordAt(after + 4);
            return 1;
        }
        case LIB3DS_INSTANCE_NAME:
            return !object || string(c, c.data, kNameSize, 0);
        case LIB3DS_COL_TRACK_TAG:
            return !(type == LIB3DS_AMBIENT_NODE || light) || track(c, kLin3Key);
        case LIB3DS_POS_TRACK_TAG:
            return type == LIB3DS_AMBIENT_NODE || track(c, kLin3Key);
        case LIB3DS_ROT_TRACK_TAG:
            return !object || track(c, kQuatKey);
        case LIB3DS_SCL_TRACK_TAG:
            return !object || track(c, kLin3Key);
        case LIB3DS_FOV_TRACK_TAG:
            return !camera || track(c, kLin1Key);
        case LIB3DS_HOT_TRACK_TAG:
        case LIB3DS_FALL_TRACK_TAG:
            return !light || track(c, kLin1Key);
        case LIB3DS_ROLL_TRACK_TAG:
            return !(camera || light) || track(c, kLin1Key);
        case LIB3DS_HIDE_TRACK_TAG:
            return !object || track(c, kBoolKey);
        case LIB3DS_MORPH_TRACK_TAG:
            return !object || track(c, kMorphKey);
        default:
            return 1;
        }
    });
    return ok && addNode(id, parentId, name);
}

int Walk::track(const Chunk& chunk, int valueBytes) {
    // Flags, two unused words and the key count.
    if (!holds(chunk, chunk.data, 14)) return 0;
    long keys = (long)(int)(unsigned)dwordAt(chunk.data + 10);
    size_t at = chunk.data + 14;
    for (long k = 0; k < keys; k++) {
        if (!holds(chunk, at, 6)) return 0;
        unsigned flags = wordAt(at + 4);
        at += 6;
        static const unsigned kParts[] = {LIB3DS_USE_TENSION, LIB3DS_USE_CONTINUITY, LIB3DS_USE_BIAS,
                                          LIB3DS_USE_EASE_TO, LIB3DS_USE_EASE_FROM};
        for (unsigned part : kParts)
            if (flags & part) at += 4;
        if (valueBytes == kMorphKey) {
            if (!string(chunk, at, kMorphNameSize, &at)) return 0;
        } else {
            if (!holds(chunk, at, (unsigned)valueBytes)) return 0;
            at += valueBytes;
        }
    }
    return 1;
}

int Walk::addNode(unsigned id, unsigned parentId, const unsigned char* name) {
    if (nodeCount_ == nodeCapacity_) {
        int capacity = nodeCapacity_ ? nodeCapacity_ * 2 : 64;
        Node* grown = (Node*)realloc(nodes_, sizeof(Node) * capacity);
        if (!grown) return 0;
        nodes_ = grown;
        nodeCapacity_ = capacity;
    }
    Node& n = nodes_[nodeCount_++];
    n.id = id;
    n.parentId = parentId;
    n.name = name;
    n.parent = -1;
    n.next = -1;
    n.firstChild = -1;
    return 1;
}

int Walk::nameCompare(int a, int b) const {
    const char* x = nodes_[a].name ? (const char*)nodes_[a].name : "";
    const char* y = nodes_[b].name ? (const char*)nodes_[b].name : "";
    return strcmp(x, y);
}

// lib3ds inserts every node as it is read, under the first node already in
// the tree with its parent id, and moves the top-level nodes that name the
// new one as their parent beneath it. A node that names itself, or a ring
// of them, makes that recursion endless; a long chain makes the tree too
// deep to walk. The same insertion is played here on the ids and names,
// with bounds on its work.
int Walk::buildHierarchy() {
    unsigned long long n = (unsigned long long)nodeCount_;
    stepLimit_ = 64 * n * n + 100000;
    for (int i = 0; i < nodeCount_; i++)
        if (!insertNode(i, 0)) return 0;
    // A search for an id no node has walks the whole tree within the depth bound.
    int none = -1;
    return findNode(0x10000u, &none);
}

void Walk::unlink(int node) {
    Node& n = nodes_[node];
    int* link = n.parent >= 0 ? &nodes_[n.parent].firstChild : &top_;
    while (*link != -1 && *link != node) link = &nodes_[*link].next;
    if (*link == node) *link = n.next;
}

// lib3ds's depth-first search from the top for a node with this id; the
// search depth also bounds how deep lib3ds recurses into the tree.
int Walk::findNode(unsigned id, int* found) {
    *found = -1;
    int stack[SCENE_MAX_NODE_DEPTH + 1];
    int depth = 0;
    int at = top_;
    for (;;) {
        while (at == -1) {
            if (depth == 0) return 1;
            at = nodes_[stack[--depth]].next;
        }
        if (++steps_ > stepLimit_) return 0;
        if (nodes_[at].id == id) {
            *found = at;
            return 1;
        }
        if (nodes_[at].firstChild != -1) {
            if (depth == SCENE_MAX_NODE_DEPTH) return 0;
            stack[depth++] = at;
            at = nodes_[at].firstChild;
        } else {
            at = nodes_[at].next;
        }
    }
}

int Walk::insertNode(int node, int nesting) {
    if (nesting > SCENE_MAX_NODE_DEPTH) return 0;
    Node& n = nodes_[node];
    int parent = -1;
    if (n.parentId != LIB3DS_NO_PARENT && !findNode(n.parentId, &parent)) return 0;
    n.parent = parent;
    // Before the first sibling whose name is greater.
    int* link = parent >= 0 ? &nodes_[parent].firstChild : &top_;
    while (*link != -1 && nameCompare(*link, node) <= 0) {
        if (++steps_ > stepLimit_) return 0;
        link = &nodes_[*link].next;
    }
    n.next = *link;
    *link = node;

    if (n.id == LIB3DS_NO_PARENT) return 1;
    for (int at = top_, next; at != -1; at = next) {
        if (++steps_ > stepLimit_) return 0;
        next = nodes_[at].next;
        if (nodes_[at].parentId == n.id) {
            unlink(at);
            nodes_[at].parent = -1;
            if (!insertNode(at, nesting + 1)) return 0;
        }
    }
    return 1;
}

}  // namespace

int sceneBytesReadable(const unsigned char* bytes, size_t size) {
    if (!bytes) return 0;
    Walk walk(bytes, size);
    return walk.file();
}
