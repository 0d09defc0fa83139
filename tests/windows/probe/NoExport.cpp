// A DLL without the KEFO_Processing export, for the loaders' failure paths.
extern "C" __declspec(dllexport) int __stdcall SomethingElse(void*) {
    return 1;
}
