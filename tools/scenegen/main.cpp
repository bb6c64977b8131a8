// Writes the show's scenes and textures into the folder given (default "data").
#include <cstdio>
#include <string>

#include "tools/scenegen/show.h"

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "data";
    std::string failed;
    if (!writeShow(folder, &failed)) {
        std::fprintf(stderr, "scenegen: cannot write %s/%s\n", folder.c_str(), failed.c_str());
        return 1;
    }
    return 0;
}
