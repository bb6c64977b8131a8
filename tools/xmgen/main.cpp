// Writes the show's music module: xmgen <output.xm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "tools/xmgen/score.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xmgen <output.xm>\n");
        return 2;
    }
    try {
        const std::vector<uint8_t> bytes = score::velmoraSong();
        // Written aside and renamed, so a failed run never leaves half a file.
        const std::string part = std::string(argv[1]) + ".part";
        {
            std::ofstream out(part, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) throw std::runtime_error("cannot write " + part);
        }
        if (std::rename(part.c_str(), argv[1]) != 0) throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xmgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
