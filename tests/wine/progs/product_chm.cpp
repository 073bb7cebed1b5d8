// product_chm FILE NAME...: reads files out of a compiled help file through the system's own CHM
// reader (itss.dll, which the help viewer uses too) and prints each as "file NAME SIZE HEX", or
// "missing NAME" when the reader cannot open it. Prints "unreadable" when the help file itself
// cannot be opened.
#include <windows.h>
#include <objbase.h>
#include <stdio.h>

// itss.dll's storage interface; the SDK headers do not declare it.
static const GUID ClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
static const GUID IidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

struct ITStorageVtbl {
    HRESULT(STDMETHODCALLTYPE *QueryInterface)(void *self, REFIID iid, void **out);
    ULONG(STDMETHODCALLTYPE *AddRef)(void *self);
    ULONG(STDMETHODCALLTYPE *Release)(void *self);
    void *StgCreateDocfile;
    void *StgCreateDocfileOnILockBytes;
    void *StgIsStorageFile;
    void *StgIsStorageILockBytes;
    HRESULT(STDMETHODCALLTYPE *StgOpenStorage)
    (void *self, const WCHAR *name, IStorage *priority, DWORD mode, SNB exclude, DWORD reserved, IStorage **out);
};
struct ITStorage {
    const ITStorageVtbl *vtbl;
};

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    CoInitialize(NULL);
    ITStorage *its = NULL;
    if (FAILED(CoCreateInstance(ClsidITStorage, NULL, CLSCTX_INPROC_SERVER, IidITStorage, (void **)&its))) {
        printf("no reader\n");
        return 1;
    }
    WCHAR path[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH);
    IStorage *chm = NULL;
    if (FAILED(its->vtbl->StgOpenStorage(its, path, NULL, STGM_READ | STGM_SHARE_DENY_WRITE, NULL, 0, &chm))) {
        printf("unreadable\n");
        return 1;
    }
    for (int i = 2; i < argc; i++) {
        WCHAR name[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, argv[i], -1, name, MAX_PATH);
        IStream *stream = NULL;
        if (FAILED(chm->OpenStream(name, NULL, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) {
            printf("missing %s\n", argv[i]);
            continue;
        }
        static unsigned char bytes[1 << 20];
        ULONG total = 0, got = 0;
        while (total < sizeof bytes && SUCCEEDED(stream->Read(bytes + total, sizeof bytes - total, &got)) && got)
            total += got;
        stream->Release();
        printf("file %s %lu ", argv[i], total);
        for (ULONG k = 0; k < total; k++)
            printf("%02x", bytes[k]);
        printf("\n");
    }
    chm->Release();
    its->vtbl->Release(its);
    CoUninitialize();
    return 0;
}
