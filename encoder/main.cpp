#include <cstdio>

int main()
{
    std::fputs("Brantixenc: not built yet\n", stderr);
    return 2;
}
