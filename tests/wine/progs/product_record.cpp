// product_record LOG ARGUMENT...: appends its arguments to LOG, one line each. The scenarios make it
// the handler of web addresses, in place of a browser, to see what the product asks the shell to open.
#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    FILE *log = fopen(argv[1], "ab");
    if (!log)
        return 3;
    for (int i = 2; i < argc; i++)
        fprintf(log, "%s\n", argv[i]);
    return fclose(log) == 0 ? 0 : 3;
}
