#include "console.h"

int main(int argc, char** argv)
{
    return console_main(argc, argv);
}
