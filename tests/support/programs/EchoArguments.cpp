// A child for the process runner's tests: prints its arguments one per line, then the variable
// the first argument names (or "unset"), reads its input to the end, and exits with the code the
// second argument gives.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) std::printf("%s\n", argv[i]);
    const char* value = argc > 1 ? std::getenv(argv[1]) : nullptr;
    std::printf("%s\n", value ? value : "unset");
    int c;
    while ((c = std::getchar()) != EOF) std::putchar(c);
    std::fprintf(stderr, "error text\n");
    return argc > 2 ? std::atoi(argv[2]) : 0;
}
