// boxora-render: the command-line front end of the engine.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: boxora-render --help\n");
        return argc < 2 ? 1 : 0;
    }
    std::fprintf(stderr, "boxora-render: unknown option %s\n", argv[1]);
    return 2;
}
