// product_link LINK TARGET: makes a shell link with setup's own link code, the way a user's link
// of the same name as one of the product's would look.
#include <objbase.h>
#include <stdio.h>

#include "shortcuts/shortcuts.h"

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    if (FAILED(CoInitialize(NULL)))
        return 3;
    CreateShellLink(argv[2], "C:\\", argv[1], "a link of the user's own");
    CoUninitialize();
    printf("made\n");
    return 0;
}
