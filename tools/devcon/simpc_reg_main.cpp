// simpc-reg: turns a simulated PC's description into the body of a .reg file (the class keys its devices
// would have), for seeding a Wine prefix's registry.
//   simpc-reg <description> <output.reg>
#include "RegistryExport.h"
#include "SimulatedPc.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: simpc-reg <description> <output.reg>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot be read\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    DescriptionError error;
    const auto pc = SimulatedPc::Parse(text.str(), error);
    if (!pc) {
        std::cerr << argv[1] << ":" << error.line << ": " << error.message << "\n";
        return 1;
    }

    // Written beside the target and moved over it, so a failed run never leaves half a file behind.
    const std::filesystem::path target = argv[2];
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << ClassKeysRegFile(*pc);
        if (!out.flush()) {
            std::cerr << temporary.string() << ": cannot be written\n";
            return 1;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, target, failure);
    if (failure) {
        std::cerr << target.string() << ": " << failure.message() << "\n";
        std::filesystem::remove(temporary, failure);
        return 1;
    }
    return 0;
}
