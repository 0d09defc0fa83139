// Reading a DLL as data before it is loaded: the scan loads only images
// that can be add-ons, so that no other DLL lying in a scanned folder has
// its code (DllMain) run in the installer's elevated process.
//
// A file is an add-on image when it is a PE image of the installer's own
// machine kind (the header of the running program says which) whose export
// directory names KEFO_Processing. Every offset read from the file is
// checked against the file's size and the structure it lies in, so a cut or
// malformed file is refused, never followed.
//
// Calling thread: any.
#pragma once

#include <windows.h>

#include "support/UniqueHandle.h"

namespace kefo {

enum class AddOnImage {
    kAddOn,       // may be loaded; the file stays open, unwritable, in file
    kNotAddOn,    // an image of another machine kind, or without the export
    kNotImage,    // not a PE image, or its headers are damaged
    kUnreadable,  // could not be opened or read (code says why)
};

// Reads the file at path. For kAddOn, file holds it open for reading and
// shared for reading only, so that it cannot change before it is loaded.
AddOnImage InspectAddOnImage(const wchar_t* path, UniqueFile& file, DWORD& code);

}  // namespace kefo
