// Writes a C++ source that defines a byte string with the contents of a file.
// Usage: tessalyn_embed INPUT OUTPUT SYMBOL
#include "EmbedSource.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tessalyn_embed INPUT OUTPUT SYMBOL\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "tessalyn_embed: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return writeTextFile(argv[2], embeddedSource(bytes, argv[3]), "tessalyn_embed") ? 0 : 1;
}
