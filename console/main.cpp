#include "console.h"
#include "plat_stdfd.h"

int main(int argc, char** argv)
{
    plat::fill_closed_std_streams(); // before anything opens a file that could take their numbers
    return console_main(argc, argv);
}
