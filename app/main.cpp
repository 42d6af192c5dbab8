#include <cstdio>

int main(int argc, char** argv)
{
    std::printf("Glimra %s: the model view is not built yet.\n", "0.1.0");
    return 0;
}
