// holdfile PATH: creates PATH when missing and holds it open without sharing, as a running
// program holds its own executable; prints "holding" once it does, and keeps holding until it is
// killed.
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        printf("error %lu\n", GetLastError());
        return 3;
    }
    printf("holding\n");
    fflush(stdout);
    Sleep(INFINITE);
    CloseHandle(file);
    return 0;
}
