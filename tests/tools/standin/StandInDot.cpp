// Stands in for Graphviz's dot where the real one cannot run (a Windows build under wine): called
// as "dot -Tsvg -o OUT SOURCE", it writes OUT as its first line and SOURCE's text after it.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "-Tsvg") != 0 || std::strcmp(argv[2], "-o") != 0) return 2;
    std::FILE* source = std::fopen(argv[4], "rb");
    std::FILE* out = std::fopen(argv[3], "wb");
    if (!source || !out) return 3;
    std::fputs("stand-in dot -Tsvg\n", out);
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof(buffer), source)) > 0;)
        std::fwrite(buffer, 1, got, out);
    std::fclose(source);
    return std::fclose(out) == 0 ? 0 : 3;
}
