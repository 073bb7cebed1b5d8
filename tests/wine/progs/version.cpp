// Prints the Windows version class and the resources of the rows that apply to it.
#include <stdio.h>

#include "core/state.h"

int main()
{
    WinVersionClass cls = GetWinVersionClass();
    printf("class %d\n", cls);
    for (int i = 0; i < ProductInfo.FileCount; i++)
        if (EntryApplies(&ProductInfo.Files[i], cls))
            printf("row %d %s\n", i, ProductInfo.Files[i].ResourceName);
    return 0;
}
